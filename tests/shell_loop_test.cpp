// The scene loop over the game's own boards, driven frame by frame with scripted events, and the
// frame pacer.
#include <cstdlib>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"
#include "app/Video.h"
#include "demo_support.h"

using namespace demo_test;

namespace {

Uint32 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

// Stands for closing the window in a step's events.
const SDLKey quit = SDLK_LAST;

// Events pushed at once, then frames run, then where the loop must stand.
struct Step {
    std::vector<SDLKey> keys;
    int frames;
    SceneId scene, nextScene;
    int32_t wipe;
};

class SceneLoop : public ::testing::Test {
  protected:
    // Only the title has a track, so a change of music into another scene falls silent.
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        stage.screen = initVideo("!#@*");
        ASSERT_NE(stage.screen, nullptr);
        initAudio();
        stage.titleTrack = loadMusic(ASSET_ROOT "/snd/goof.ogg");
        ASSERT_NE(stage.titleTrack, nullptr);
        playMusic(stage.titleTrack);
        for (SDL_Event old; SDL_PollEvent(&old);) {
        }
    }

    void TearDown() override {
        Mix_FreeMusic(stage.titleTrack);
        SDL_FreeSurface(stage.tooth);
        Mix_CloseAudio();
        SDL_Quit();
    }

    bool frame() { return runFrame(state, stage, boards, fakeClock); }

    void play(const std::vector<Step>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step& s = steps[i];
            for (SDLKey key : s.keys) key == quit ? push(SDL_QUIT) : push(SDL_KEYDOWN, key);
            for (int f = 0; f < s.frames; ++f) frame();
            EXPECT_EQ(std::tuple(state.scene, state.nextScene, state.wipe),
                      std::tuple(s.scene, s.nextScene, s.wipe))
                << "step " << i;
        }
    }

    // Without a sprite sheet the boards draw nothing, so the teeth are all the screen shows.
    LoopState state;
    Stage stage;
    GameBoards boards{nullptr};
};

TEST_F(SceneLoop, EnterWipesFromTitleToFirstLevelIn107Frames) {
    stage.tooth = SDL_CreateRGBSurface(SDL_SWSURFACE, 100, 250, 32, 0, 0, 0, 0);
    SDL_FillRect(stage.tooth, nullptr, SDL_MapRGB(stage.tooth->format, 255, 0, 0));
    SDL_FillRect(stage.screen, nullptr, 0);
    const Uint32 red = SDL_MapRGB(stage.screen->format, 255, 0, 0);

    push(SDL_KEYDOWN, SDLK_RETURN);
    ASSERT_TRUE(frame());
    // The request frame already closes; with no title picture the teeth stay on screen.
    EXPECT_EQ(pixelAt(stage.screen, 799, 3), red);
    EXPECT_NE(pixelAt(stage.screen, 799, 4), red);
    EXPECT_EQ(pixelAt(stage.screen, 0, 496), red);
    EXPECT_NE(pixelAt(stage.screen, 0, 495), red);

    // 63 closing frames, the change at 252, 42 opening frames while the old track plays on, and
    // the end frame, which halts it: the first level's track is missing.
    play({{{}, 62, 1, 2, 252}, {{}, 1, 2, 2, 252}, {{}, 41, 2, 2, 6}, {{}, 1, 2, 2, 0}});
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    play({{{}, 1, 2, 0, 0}});
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(SceneLoop, RequestsRedirectARunningWipe) {
    play({{{SDLK_ESCAPE}, 10, 1, 8, 40},
          {{SDLK_ESCAPE}, 1, 1, 8, 44}, // asks again, the teeth go on closing
          {{SDLK_RETURN}, 1, 1, 2, 48}, // still on the title: Enter wins over the wipe to the end
          {{}, 95, 2, 0, 0},
          {{SDLK_RETURN}, 1, 2, 0, 0}, // nothing outside the title
          {{SDLK_ESCAPE}, 1, 2, 8, 4}});
    boards.level1.goalReached = true; // the goal asks every frame, so it wins over Escape
    play({{{}, 1, 2, 3, 8}, {{}, 105, 3, 0, 0}});
}

TEST_F(SceneLoop, EscapeInTheEndSceneOrClosingTheWindowQuitsEvenDuringAWipe) {
    play({{{SDLK_ESCAPE}, 64, 8, 8, 252},
          {{}, 1, 8, 8, 246},
          {{SDLK_ESCAPE}, 1, -1, 8, 250}}); // the rest of this frame still runs, without a board
    EXPECT_FALSE(frame());
    // Closing the window changes neither scene nor music, also in the frame that would end the
    // wipe: the teeth close again instead.
    state = LoopState{};
    play({{{SDLK_ESCAPE}, 63, 1, 8, 252}, {{quit}, 1, -1, 8, 252}});
    EXPECT_FALSE(frame());
    state = LoopState{};
    play({{{SDLK_RETURN}, 106, 2, 2, 0}, {{quit}, 1, -1, 2, 4}});
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SceneLoop, WipeRedirectedWhileOpeningEndsAtMinusTwoAndTheNextStartsThere) {
    play({{{SDLK_RETURN}, 65, 2, 2, 246}});
    boards.level1.goalReached = true;
    play({{{}, 1, 2, 3, 250},
          {{}, 1, 3, 3, 250},
          {{}, 43, 3, 0, -2}, // 42 openings to -2, then the end
          {{SDLK_ESCAPE}, 63, 3, 8, 250},
          {{}, 1, 8, 8, 250},
          {{}, 43, 8, 0, -2},
          {{SDLK_ESCAPE}, 1, -1, 0, -2}}); // at rest too, Escape in the end scene quits
    EXPECT_FALSE(frame());
}

TEST(FramePacer, EveryOtherFrameWaitsForTheTickSetBefore) {
    EXPECT_EQ(frameDelay(90000000), 0u); // sets the tick 16 ms ahead
    EXPECT_EQ(frameDelay(90000005), 11u);
    EXPECT_EQ(frameDelay(90000010), 6u); // a wait does not move the tick on
    EXPECT_EQ(frameDelay(90000016), 0u);
    EXPECT_EQ(frameDelay(90000040), 0u); // late: no wait, a new tick
    EXPECT_EQ(frameDelay(90000041), 15u);
}

} // namespace
