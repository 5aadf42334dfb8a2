// Demos through the real frame function, boards, pictures and tracks: the whole game played by
// the walkthrough, and a scripted play recorded and replayed picture for picture.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "app/Demo.h"
#include "app/Walkthrough.h"
#include "demo_support.h"
#include "solve/Keys.h"
#include "watch.h"

using namespace demo_test;
using namespace watch;

TEST(Demos, WalkthroughPlaysTheWholeGameAndItsRecordingReplaysInTheProgram) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    std::string error;
    // The frames on which the levels' key files, fed to fresh boards, reach the goals.
    const size_t goal1 = keysOf(ROUTE_DIR "/level1.keys").size() - 1; // checked by the build
    const size_t goal2 = keysOf(ROUTE_DIR "/level2.keys").size() - 1;
    std::vector<DemoEvent> walkthrough;
    ASSERT_TRUE(parseDemo(walkthroughDemoText, walkthrough, error)) << error;
    ASSERT_TRUE(walkthrough[0].type == SDL_KEYDOWN && walkthrough[0].key == SDLK_RETURN);

    // A request closes the teeth from its own frame for 63 frames, changes the scene on the
    // 64th and ends the wipe, starting the scene's track, 43 frames later; the new board first
    // runs after the change.
    const size_t enter = walkthrough[0].frame, toLevel2 = enter + 64 + goal1;
    const size_t toEnd = toLevel2 + 64 + goal2;
    // The demo keeps the keys until the last wipe is over.
    EXPECT_TRUE(walkthrough.back().type == SDL_NOEVENT && walkthrough.back().frame == toEnd + 106);
    const std::vector<std::pair<size_t, Mix_Music*>> tracks{
        {enter + 106, game.stage.level1Track},
        {toLevel2 + 106, game.stage.level2Track},
        {toEnd + 106, game.stage.endTrack}};

    // Without --practice, r, u and Backspace do nothing: pressed on free frames all through,
    // they would otherwise break the route and move the tracks.
    std::vector<DemoEvent> tried;
    const uint16_t practiceKeys[] = {SDLK_r, SDLK_u, SDLK_BACKSPACE};
    uint32_t free = 1;
    for (const DemoEvent& e : walkthrough) {
        for (; free < e.frame; ++free)
            if (free % 53 == 0) tried.push_back({free, SDL_KEYDOWN, practiceKeys[free % 3]});
        free = e.frame + 1;
        tried.push_back(e);
    }
    const std::string recorded = scratchPath("walkthrough.demo");
    DemoPlayer player(tried);
    DemoRecorder recorder;
    ASSERT_TRUE(recorder.open(recorded, error)) << error;
    const EventSource events = recorder.source(player.source());
    GameBoards boards(game.stage.sprites);
    LoopState state;
    flips.clear();
    started.clear();
    size_t frame = 0;
    for (; frame < toEnd + 200 && !(state.scene == 8 && state.nextScene == 0); ++frame)
        ASSERT_TRUE(runFrame(state, game.stage, boards, fakeClock, events));
    EXPECT_EQ(started, tracks);
    EXPECT_FALSE(player.playing());

    // The player's turn: the first Escape quits at once, the second is never taken.
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_TRUE(runFrame(state, game.stage, boards, fakeClock, events));
    EXPECT_FALSE(runFrame(state, game.stage, boards, fakeClock, events));
    SDL_Event left{};
    EXPECT_TRUE(SDL_PollEvent(&left) && left.key.keysym.sym == SDLK_ESCAPE);
    ASSERT_TRUE(recorder.close());

    // The real program replays the recording to that Escape, taking the same events again.
    const std::string again = scratchPath("again.demo");
    Outcome run =
        runProgram({FOLDBOT_BIN, "--replay", recorded, "--fast", "--record", again}, ASSET_ROOT);
    EXPECT_TRUE(exitedWith(run.status, 0)) << run.err;
    const std::string text = bytesOf(recorded);
    EXPECT_NE(text.find(std::to_string(frame + 1) + " down escape\n"), std::string::npos);
    EXPECT_EQ(bytesOf(again), text);
    std::remove(recorded.c_str());
    std::remove(again.c_str());
}

TEST(Demos, ARecordedPlayReplaysToTheSamePictureOnEveryFrame) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    // Title poses, two keys in one frame, key-ups and a mouse, Enter's wipe, a pose, another
    // mid-glide, a break-up, Escape's wipe, the end board, and Escape to quit.
    const std::map<long, std::vector<std::pair<Uint8, SDLKey>>> script{
        {3, {{SDL_KEYDOWN, SDLK_c}, {SDL_KEYUP, SDLK_c}}},
        {30, {{SDL_KEYDOWN, SDLK_e}, {SDL_KEYDOWN, SDLK_q}}},
        {33, {{SDL_MOUSEMOTION, SDLK_UNKNOWN}, {SDL_KEYUP, SDLK_q}}},
        {60, {{SDL_KEYDOWN, SDLK_RETURN}}},
        {200, {{SDL_KEYDOWN, SDLK_s}}},
        {230, {{SDL_KEYDOWN, SDLK_c}}},
        {238, {{SDL_KEYDOWN, SDLK_d}}},
        {300, {{SDL_KEYDOWN, SDLK_SPACE}}},
        {340, {{SDL_KEYDOWN, SDLK_ESCAPE}}},
        {480, {{SDL_KEYDOWN, SDLK_c}}},
        {560, {{SDL_KEYDOWN, SDLK_z}, {SDL_KEYUP, SDLK_z}, {SDL_KEYDOWN, SDLK_ESCAPE}}},
    };
    // The player's keys are pushed too during the replay, which must drop them.
    auto play = [&](const EventSource& events, bool replaying) {
        SDL_FillRect(game.stage.screen, nullptr, 0); // what the first frame is drawn over
        flips.clear();
        GameBoards boards(game.stage.sprites);
        LoopState state;
        for (long frame = 1; frame < 2000; ++frame) {
            if (auto at = script.find(frame); at != script.end())
                for (auto [type, key] : at->second) push(type, replaying ? SDLK_ESCAPE : key);
            if (!runFrame(state, game.stage, boards, fakeClock, events)) break;
        }
        return flips;
    };

    const std::string path = scratchPath("scripted.demo");
    DemoRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(path, error)) << error;
    const std::vector<uint64_t> played = play(recorder.source(sdlEvents), false);
    ASSERT_TRUE(recorder.close());
    std::vector<DemoEvent> demo;
    ASSERT_TRUE(readDemoFile(path, demo, error)) << error;
    std::remove(path.c_str());
    ASSERT_EQ(demo.size(), 16u);
    EXPECT_EQ(demo.back().frame, played.size());
    DemoPlayer player(demo);
    EXPECT_TRUE(play(player.source(), true) == played);
    EXPECT_GT(std::set<uint64_t>(played.begin(), played.end()).size(), 300u);

    // Closing the window still quits during a replay.
    for (SDL_Event left; SDL_PollEvent(&left);) {
    }
    DemoPlayer again(demo);
    GameBoards boards(game.stage.sprites);
    LoopState state;
    push(SDL_QUIT);
    EXPECT_TRUE(runFrame(state, game.stage, boards, fakeClock, again.source()));
    EXPECT_FALSE(runFrame(state, game.stage, boards, fakeClock, again.source()));
}
