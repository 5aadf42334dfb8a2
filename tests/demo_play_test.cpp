// Demos through the real frame function, boards, pictures and tracks: the whole game played by
// the walkthrough, and a scripted play recorded and replayed picture for picture.
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Demo.h"
#include "app/Walkthrough.h"
#include "demo_support.h"

using namespace demo_test;

namespace {

// Every flipped picture's checksum, and each track started with the flip count at that moment.
std::vector<uint64_t> flips;
std::vector<std::pair<size_t, Mix_Music*>> started;

uint64_t checksum(SDL_Surface* s) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = static_cast<const Uint32*>(s->pixels) + y * s->pitch / 4;
        for (int x = 0; x < s->w; ++x) h = (h ^ row[x]) * 1099511628211ull;
    }
    return h;
}

std::vector<int> readRoute(const std::string& path) {
    std::vector<int> route;
    std::ifstream in(path);
    for (int key; in >> key;) route.push_back(key);
    return route;
}

// The frame (0-based, from the board's first) on which the route reaches the goal, or -1.
template <int W, int H> long goalOf(Level<W, H> board, const std::vector<int>& route) {
    for (size_t i = 0; i < route.size(); ++i)
        if (runBoard(nullptr, board, route[i], 0, 0)) return static_cast<long>(i);
    return -1;
}

class Demos : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(game.up);
        flips.clear();
        flips.reserve(100000);
        started.clear();
    }

    HeadlessGame game;
};

} // namespace

extern "C" int __real_SDL_Flip(SDL_Surface* screen);
extern "C" int __wrap_SDL_Flip(SDL_Surface* screen) {
    flips.push_back(checksum(screen));
    return __real_SDL_Flip(screen);
}

extern "C" int __real_Mix_PlayMusic(Mix_Music* music, int loops);
extern "C" int __wrap_Mix_PlayMusic(Mix_Music* music, int loops) {
    started.emplace_back(flips.size() + 1, music); // the frame being drawn
    return __real_Mix_PlayMusic(music, loops);
}

TEST_F(Demos, WalkthroughPlaysTheWholeGameAndItsRecordingReplaysInTheProgram) {
    const std::vector<int> route1 = readRoute(ROUTE_DIR "/level1.keys");
    const std::vector<int> route2 = readRoute(ROUTE_DIR "/level2.keys");
    const long goal1 = goalOf(Level<40, 20>(contentTexts[1], chainPoses, nullptr, 40, 20), route1);
    const long goal2 = goalOf(Level<80, 50>(contentTexts[2], chainPoses, nullptr, 40, 25), route2);
    ASSERT_GE(goal1, 0);
    ASSERT_GE(goal2, 0);
    std::vector<DemoEvent> walkthrough;
    std::string error;
    ASSERT_TRUE(parseDemo(walkthroughDemoText, walkthrough, error)) << error;
    ASSERT_FALSE(walkthrough.empty());
    ASSERT_EQ(walkthrough[0].type, SDL_KEYDOWN);
    ASSERT_EQ(walkthrough[0].key, SDLK_RETURN);

    // A request closes the teeth in 63 frames, changes the scene on the 64th, and the wipe ends
    // 43 frames later; a level's board first runs the frame after the change.
    const long enter = walkthrough[0].frame;
    const long firstOf1 = enter + 64, toLevel2 = firstOf1 + goal1;
    const long firstOf2 = toLevel2 + 64, toEnd = firstOf2 + goal2;
    const std::vector<std::pair<long, SceneId>> scenes{
        {enter + 63, 2}, {toLevel2 + 63, 3}, {toEnd + 63, 8}};
    const std::vector<std::pair<long, Mix_Music*>> tracks{{enter + 106, game.stage.level1Track},
                                                          {toLevel2 + 106, game.stage.level2Track},
                                                          {toEnd + 106, game.stage.endTrack}};

    const std::string recorded = scratchPath("walkthrough.demo");
    DemoPlayer player(walkthrough);
    DemoRecorder recorder;
    ASSERT_TRUE(recorder.open(recorded, error)) << error;
    const EventSource events = recorder.source(player.source());
    GameBoards boards(game.stage.sprites);
    LoopState state;
    std::vector<std::pair<long, SceneId>> seen;
    long frame = 0;
    while (frame < toEnd + 200 && !(state.scene == 8 && state.nextScene == 0)) {
        const SceneId before = state.scene;
        ASSERT_TRUE(runFrame(state, game.stage, boards, fakeClock, events));
        ++frame;
        if (state.scene != before) seen.emplace_back(frame, state.scene);
    }
    EXPECT_EQ(seen, scenes);
    std::vector<std::pair<long, Mix_Music*>> heard;
    for (const auto& [flip, track] : started) heard.emplace_back(static_cast<long>(flip), track);
    EXPECT_EQ(heard, tracks);
    EXPECT_FALSE(player.playing());
    EXPECT_TRUE(boards.level1.hasWon());
    EXPECT_TRUE(boards.level2.hasWon());

    // Now the player's: the first Escape quits at once, the second is never taken.
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_TRUE(runFrame(state, game.stage, boards, fakeClock, events));
    EXPECT_FALSE(runFrame(state, game.stage, boards, fakeClock, events));
    SDL_Event left{};
    EXPECT_EQ(SDL_PollEvent(&left), 1);
    EXPECT_EQ(left.key.keysym.sym, SDLK_ESCAPE);
    ASSERT_TRUE(recorder.close());

    // The real program replays the recording to that Escape and takes the same events again.
    const std::string again = scratchPath("again.demo");
    Outcome run =
        runProgram(FOLDBOT_BIN, {"--replay", recorded, "--fast", "--record", again}, ASSET_ROOT);
    EXPECT_TRUE(exitedWith(run, 0)) << run.status << run.err;
    EXPECT_EQ(run.err, "");
    const std::string text = bytesOf(recorded);
    EXPECT_NE(text.find(std::to_string(frame + 1) + " down escape\n"), std::string::npos);
    EXPECT_EQ(bytesOf(again), text);
    std::remove(recorded.c_str());
    std::remove(again.c_str());
}

TEST_F(Demos, ARecordedPlayReplaysToTheSamePictureOnEveryFrame) {
    // Keys on chosen frames: title poses, two keys in one frame, key-ups and a mouse, Enter's
    // wipe, a pose, another mid-glide, a break-up, Escape's wipe, the end board, and quit.
    const std::map<long, std::vector<std::pair<Uint8, SDLKey>>> script{
        {3, {{SDL_KEYDOWN, SDLK_c}}},
        {4, {{SDL_KEYUP, SDLK_c}}},
        {30, {{SDL_KEYDOWN, SDLK_e}, {SDL_KEYDOWN, SDLK_q}}},
        {33, {{SDL_MOUSEMOTION, SDLK_UNKNOWN}, {SDL_KEYUP, SDLK_q}}},
        {60, {{SDL_KEYDOWN, SDLK_RETURN}}},
        {200, {{SDL_KEYDOWN, SDLK_s}}},
        {230, {{SDL_KEYDOWN, SDLK_c}}},
        {238, {{SDL_KEYDOWN, SDLK_d}}},
        {300, {{SDL_KEYDOWN, SDLK_SPACE}}},
        {320, {{SDL_KEYDOWN, SDLK_s}}},
        {340, {{SDL_KEYDOWN, SDLK_ESCAPE}}},
        {480, {{SDL_KEYDOWN, SDLK_c}}},
        {560, {{SDL_KEYDOWN, SDLK_z}, {SDL_KEYUP, SDLK_z}, {SDL_KEYDOWN, SDLK_ESCAPE}}},
    };
    auto playFrom = [&](const EventSource& events, const std::map<long, SDLKey>& strays) {
        SDL_FillRect(game.stage.screen, nullptr, 0); // the first frame has no background
        flips.clear();
        GameBoards boards(game.stage.sprites);
        LoopState state;
        for (long frame = 1; frame < 2000; ++frame) {
            if (auto at = script.find(frame); at != script.end() && strays.empty())
                for (auto [type, key] : at->second) pushKey(type, key);
            if (auto at = strays.find(frame); at != strays.end()) pushKey(SDL_KEYDOWN, at->second);
            if (!runFrame(state, game.stage, boards, fakeClock, events)) break;
        }
        return flips;
    };

    const std::string path = scratchPath("scripted.demo");
    DemoRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(path, error)) << error;
    const std::vector<uint64_t> played = playFrom(recorder.source(sdlEvents), {});
    ASSERT_TRUE(recorder.close());
    std::vector<DemoEvent> demo;
    ASSERT_TRUE(readDemoFile(path, demo, error)) << error;
    EXPECT_EQ(demo.size(), 17u);
    EXPECT_EQ(demo.back().key, SDLK_ESCAPE);

    // The player's keys during the replay are dropped; the demo alone steers.
    DemoPlayer player(demo);
    const std::vector<uint64_t> replayed =
        playFrom(player.source(), {{100, SDLK_ESCAPE}, {250, SDLK_SPACE}, {500, SDLK_ESCAPE}});
    EXPECT_EQ(played.size(), demo.back().frame);
    EXPECT_TRUE(replayed == played);
    EXPECT_GT(std::set<uint64_t>(played.begin(), played.end()).size(), 300u);
    std::remove(path.c_str());

    // Closing the window still quits during a replay.
    DemoPlayer again(demo);
    GameBoards boards(game.stage.sprites);
    LoopState state;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_TRUE(runFrame(state, game.stage, boards, fakeClock, again.source()));
    EXPECT_FALSE(runFrame(state, game.stage, boards, fakeClock, again.source()));
}
