// The scene loop driven frame by frame with scripted events, and the pictures and tracks it uses.
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Video.h"
#include "board/Level.h"
#include "content/Content.h"
#include "shell_support.h"

namespace {

// Stands in for a board: remembers what the loop handed it and reaches its goal on demand.
struct FakeBoard {
    std::vector<int32_t> directions;
    int32_t offX = -1;
    int32_t offY = -1;
    bool goal = false;
};

bool runBoard(SDL_Surface*, FakeBoard& board, int32_t direction, int32_t offX, int32_t offY) {
    board.directions.push_back(direction);
    board.offX = offX;
    board.offY = offY;
    return board.goal;
}

// A clock that never sleeps, so a wipe runs as fast as the frames can go.
Uint32 fakeNow = 50000000;
Uint32 fakeTicks() {
    return fakeNow += 3;
}
void fakeDelay(Uint32 ms) {
    fakeNow += ms;
}
const Clock fakeClock{fakeTicks, fakeDelay};

Uint32 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

class SceneLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        useDummyDrivers();
        stage.screen = initVideo("!#@*");
        ASSERT_NE(stage.screen, nullptr);
        initAudio();
        SDL_Event old;
        while (SDL_PollEvent(&old)) {
        }
    }

    void TearDown() override {
        Mix_HaltMusic();
        for (Mix_Music* track :
             {stage.titleTrack, stage.level1Track, stage.level2Track, stage.endTrack})
            if (track) Mix_FreeMusic(track);
        if (stage.tooth) SDL_FreeSurface(stage.tooth);
        Mix_CloseAudio();
        SDL_Quit();
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }

    // Only the title has a track, so a change of music into any other scene falls silent.
    void playTitleTrack() {
        stage.titleTrack = loadMusic(asset("snd/goof.ogg").c_str());
        ASSERT_NE(stage.titleTrack, nullptr);
        playMusic(stage.titleTrack);
    }

    void push(Uint8 type, SDLKey key = SDLK_UNKNOWN, SDLMod mod = KMOD_NONE) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = key;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
    void press(SDLKey key) { push(SDL_KEYDOWN, key); }

    bool frame() { return runFrame(state, stage, boards, fakeClock); }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }
    // Runs the wipe to its end; gives the number of frames it took.
    int finishWipe() {
        int n = 0;
        do {
            frame();
            ++n;
        } while (state.nextScene != 0 && n < 1000);
        return n;
    }

    std::string dir;
    LoopState state;
    Stage stage;
    FakeBoard title, level1, level2, ragequit;
    SceneBoards<FakeBoard, FakeBoard, FakeBoard, FakeBoard> boards{title, level1, level2, ragequit};
};

TEST_F(SceneLoop, EnterWipesFromTitleToFirstLevelIn107Frames) {
    playTitleTrack();
    dir = makeTempDir();
    writeBitmap(dir + "/tooth.bmp", 100, 250, 255, 0, 0);
    stage.tooth = loadImage((dir + "/tooth.bmp").c_str());
    ASSERT_NE(stage.tooth, nullptr);
    SDL_FillRect(stage.screen, nullptr, 0);
    const Uint32 red = SDL_MapRGB(stage.screen->format, 255, 0, 0);

    press(SDLK_RETURN);
    ASSERT_TRUE(frame());
    // The request frame already closes; with no title picture the teeth stay on screen.
    EXPECT_EQ(state.wipe, 4);
    EXPECT_EQ(pixelAt(stage.screen, 799, 3), red);
    EXPECT_NE(pixelAt(stage.screen, 799, 4), red);
    EXPECT_EQ(pixelAt(stage.screen, 0, 496), red);
    EXPECT_NE(pixelAt(stage.screen, 0, 495), red);

    std::vector<int32_t> wipes{state.wipe};
    int changedAt = 0;
    while (state.nextScene != 0 && wipes.size() < 1000) {
        EXPECT_EQ(Mix_PlayingMusic(), 1); // the old track plays to the end
        frame();
        wipes.push_back(state.wipe);
        if (state.scene == 2 && changedAt == 0) changedAt = static_cast<int>(wipes.size());
    }
    EXPECT_EQ(wipes.size(), 107u);
    EXPECT_EQ(changedAt, 64);
    EXPECT_EQ(wipes[62], 252);
    EXPECT_EQ(wipes[63], 252);
    EXPECT_EQ(wipes[64], 246);
    EXPECT_EQ(wipes[105], 0);
    EXPECT_EQ(wipes[106], 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0); // halted, and the first level's track is missing

    // The old board runs through the change frame, the new one from the next frame.
    ASSERT_EQ(title.directions.size(), 64u);
    EXPECT_EQ(level1.directions.size(), 43u);
    EXPECT_EQ(title.directions[0], -1);
    EXPECT_EQ(title.directions[1], 1000);
    EXPECT_EQ(title.offY, 260);
    EXPECT_EQ(level1.offY, 0);

    stage.endTrack = loadMusic(asset("snd/down.ogg").c_str());
    press(SDLK_ESCAPE);
    finishWipe();
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SceneLoop, EachKeyReachesTheBoardInItsOwnFrame) {
    for (SDLKey key : {SDLK_q, SDLK_w, SDLK_e, SDLK_a, SDLK_s, SDLK_d, SDLK_z, SDLK_x, SDLK_c,
                       SDLK_SPACE, SDLK_p})
        press(key);
    push(SDL_KEYDOWN, SDLK_q, KMOD_LSHIFT);
    push(SDL_KEYUP, SDLK_c);
    push(SDL_MOUSEMOTION);
    frames(15);
    const std::vector<int32_t> expected{0, 1, 2, 3, 4, 5, 6, 7, 8, -1, 1000, 0, 1000, 1000, 1000};
    EXPECT_EQ(title.directions, expected);
    EXPECT_EQ(state.scene, 1);
    EXPECT_EQ(state.nextScene, 0);
}

TEST_F(SceneLoop, RequestsRedirectARunningWipe) {
    press(SDLK_ESCAPE);
    frames(10);
    EXPECT_EQ(state.nextScene, 8);
    press(SDLK_ESCAPE); // asks again, the teeth go on closing
    frame();
    EXPECT_EQ(state.wipe, 44);
    press(SDLK_RETURN); // still on the title: Enter wins over the wipe to the end
    frame();
    EXPECT_EQ(state.nextScene, 2);
    EXPECT_EQ(state.wipe, 48);
    finishWipe();
    EXPECT_EQ(state.scene, 2);

    press(SDLK_RETURN); // nothing outside the title
    frame();
    EXPECT_EQ(state.nextScene, 0);
    press(SDLK_ESCAPE);
    frame();
    EXPECT_EQ(state.nextScene, 8);
    level1.goal = true; // the goal asks every frame, so it wins over Escape
    frame();
    EXPECT_EQ(state.nextScene, 3);
    finishWipe();
    EXPECT_EQ(state.scene, 3);
    EXPECT_TRUE(ragequit.directions.empty());
}

TEST_F(SceneLoop, EscapeInTheEndSceneQuitsAtOnceEvenWhileOpening) {
    playTitleTrack();
    press(SDLK_ESCAPE);
    while (state.scene != 8 && title.directions.size() < 1000) frame();
    frame();
    ASSERT_EQ(state.nextScene, 8);
    EXPECT_EQ(state.wipe, 246);
    const size_t endFrames = ragequit.directions.size();

    press(SDLK_ESCAPE);
    EXPECT_TRUE(frame()); // the rest of this frame still runs, without a board
    EXPECT_EQ(state.scene, -1);
    EXPECT_EQ(ragequit.directions.size(), endFrames);
    EXPECT_FALSE(frame());
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SceneLoop, ClosingTheWindowDuringAWipeChangesNeitherSceneNorMusic) {
    playTitleTrack();
    press(SDLK_ESCAPE);
    frames(63);
    ASSERT_EQ(state.wipe, 252); // the next frame would change the scene
    push(SDL_QUIT);
    frame();
    EXPECT_EQ(state.scene, -1);
    EXPECT_EQ(state.wipe, 252);
    EXPECT_FALSE(frame());

    // Also in the frame that would end the wipe: the teeth close again instead.
    state = LoopState{};
    press(SDLK_RETURN);
    frames(106);
    ASSERT_EQ(state.scene, 2);
    ASSERT_EQ(state.wipe, 0);
    push(SDL_QUIT);
    frame();
    EXPECT_EQ(state.scene, -1);
    EXPECT_EQ(state.wipe, 4);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SceneLoop, WipeRedirectedWhileOpeningEndsAtMinusTwoAndTheNextStartsThere) {
    press(SDLK_RETURN);
    frames(65);
    ASSERT_EQ(state.scene, 2);
    ASSERT_EQ(state.wipe, 246);
    level1.goal = true;
    frame();
    EXPECT_EQ(state.wipe, 250);
    frame();
    EXPECT_EQ(state.scene, 3);
    EXPECT_EQ(finishWipe(), 43); // 42 openings to -2, then the end; no tracks, no music
    EXPECT_EQ(state.wipe, -2);

    press(SDLK_ESCAPE);
    frames(63);
    EXPECT_EQ(state.wipe, 250);
    EXPECT_EQ(state.scene, 3);
    frame();
    EXPECT_EQ(state.scene, 8);
    EXPECT_EQ(finishWipe(), 43);
    EXPECT_EQ(state.wipe, -2);
    EXPECT_EQ(state.nextScene, 0);
}

TEST_F(SceneLoop, RealBoardsPlayThroughEveryScene) {
    SDL_Surface* sprites = SDL_CreateRGBSurface(SDL_SWSURFACE, 200, 200, 32, 0, 0, 0, 0);
    Level<15, 13> title(contentTexts[0], dancerPoses, sprites, 15, 13);
    Level<40, 20> level1(contentTexts[1], chainPoses, sprites, 40, 20);
    Level<80, 50> level2(contentTexts[2], chainPoses, sprites, 40, 25);
    Level<40, 25> ragequit(contentTexts[3], chainPoses, sprites, 40, 25);
    SceneBoards real{title, level1, level2, ragequit};
    std::vector<SceneId> visited{state.scene};
    auto play = [&](std::initializer_list<SDLKey> keys) {
        for (SDLKey key : keys) press(key);
        for (int i = 0; i < 300 && runFrame(state, stage, real, fakeClock); ++i)
            if (state.scene != visited.back()) visited.push_back(state.scene);
    };
    play({SDLK_c, SDLK_x, SDLK_SPACE, SDLK_RETURN});
    play({SDLK_c, SDLK_d, SDLK_e});
    level1.goalReached = true; // stands for a solved first level
    play({});
    play({SDLK_q, SDLK_ESCAPE});
    play({SDLK_c, SDLK_SPACE, SDLK_ESCAPE});
    EXPECT_EQ(visited, (std::vector<SceneId>{1, 2, 3, 8, -1}));
    SDL_FreeSurface(sprites);
}

TEST(FramePacer, EveryOtherFrameWaitsForTheTickSetBefore) {
    EXPECT_EQ(frameDelay(90000000), 0u); // sets the tick 16 ms ahead
    EXPECT_EQ(frameDelay(90000005), 11u);
    EXPECT_EQ(frameDelay(90000010), 6u); // a wait does not move the tick on
    EXPECT_EQ(frameDelay(90000016), 0u);
    EXPECT_EQ(frameDelay(90000040), 0u); // late: no wait, a new tick
    EXPECT_EQ(frameDelay(90000041), 15u);
}

TEST(Pictures, KeyColourIsTransparentAndAFailedConversionIsReported) {
    useDummyDrivers();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    std::string dir = makeTempDir(), path = dir + "/key.bmp";
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 1, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Rect right{1, 0, 1, 1};
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 128, 255));
    SDL_FillRect(s, &right, SDL_MapRGB(s->format, 255, 128, 254));
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);

    // Without a video mode there is nothing to convert to.
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadImage(path.c_str()), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "porbl\xE8me avec le fichier " + path + "\n");

    SDL_Surface* screen = SDL_SetVideoMode(800, 500, 32, SDL_DOUBLEBUF);
    ASSERT_NE(screen, nullptr);
    SDL_Surface* picture = loadImage(path.c_str());
    ASSERT_NE(picture, nullptr);
    SDL_FillRect(screen, nullptr, 0);
    SDL_UpperBlit(picture, nullptr, screen, nullptr);
    EXPECT_EQ(pixelAt(screen, 0, 0), SDL_MapRGB(screen->format, 0, 0, 0));
    EXPECT_EQ(pixelAt(screen, 1, 0), SDL_MapRGB(screen->format, 255, 128, 254));
    SDL_FreeSurface(picture);
    SDL_Quit();
    std::filesystem::remove_all(dir);
}

} // namespace
