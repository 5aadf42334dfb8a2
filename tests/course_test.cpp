// Maps from files played through the real frame function: in order with a wipe between them,
// each with its track, drawn centred or scrolling, restarted in practice mode, and named in
// demos so that a replay finds them and refuses a changed one.
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "app/Course.h"
#include "content/LevelCode.h"
#include "demo_support.h"
#include "watch.h"

using namespace demo_test;
using namespace watch;
namespace fs = std::filesystem;

namespace {

// Block 1 stands on the goal as soon as a robot forms: any pose key wins at the next step.
const std::string quickWin = "#####\n#12 #\n#@###\n";
// The same past the screen's width, for the scrolling board.
const std::string wideWin = quickWin + std::string(45, '#') + "\n";

MapFile mapOf(const std::string& text, const std::string& name) {
    MapFile map;
    std::string error;
    EXPECT_TRUE(parseMap(text, name, map, error)) << error;
    return map;
}

Uint32 pixel(int x, int y) {
    return shown[static_cast<size_t>(y * 800 + x)];
}

// The file's own watchers start afresh with each game.
void fresh() {
    keepShown = true;
    flips.clear();
    started.clear();
}

// A practice run of these maps from level `level` (0: the first), as the command line sets it up.
bool practiceCourse(const std::vector<std::string>& maps, int level, Course& course,
                    std::string& error) {
    Options options;
    options.maps = maps;
    options.practice = true;
    options.level = level;
    return setUpCourse(options, DemoSetup{}, course, error);
}

} // namespace

TEST(Course, MapsPlayInOrderEachWithItsTrackAndTheLastGoalLeadsToTheEnd) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    Course course;
    course.maps = {mapOf(quickWin, "small.map"), mapOf(wideWin, "wide.map")};
    game.stage.largeMaps = {false, true};
    fresh();
    Driver g(game, course);
    EXPECT_EQ(g.state.scene, firstMapScene); // no title
    EXPECT_EQ(trackOf(game.stage, firstMapScene), game.stage.level1Track);

    // The small map is drawn whole, centred, over black: 5 x 3 cells from (350, 220).
    g.frames(1);
    const Uint32 black = SDL_MapRGB(game.stage.screen->format, 0, 0, 0);
    int inside = 0, outside = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x) {
            const bool in = x >= 350 && x < 450 && y >= 220 && y < 280;
            (in ? inside : outside) += pixel(x, y) != black;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, 100 * 60 / 2);
    g.frames(4);
    g.frames(1, SDLK_w); // frame 6 wins
    EXPECT_TRUE(g.boards->maps[0].small->board.hasWon());
    EXPECT_EQ(g.state.nextScene, firstMapScene + 1);
    g.frames(106);
    EXPECT_EQ(std::tuple(g.state.scene, g.state.nextScene), std::tuple(firstMapScene + 1, 0));
    // The track starts where the wipe ends: the larger map plays the second level's.
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], std::pair(size_t{6 + 106}, game.stage.level2Track));
    // The scrolling board is drawn from the screen's corner.
    EXPECT_NE(pixel(1, 1), black);

    g.frames(1, SDLK_w);
    EXPECT_EQ(g.state.nextScene, 8);
    g.frames(106);
    EXPECT_EQ(g.state.scene, 8);
    EXPECT_EQ(started.back().second, game.stage.endTrack);
}

// Practice mode on the second of two maps: r gives the map as loaded and u the board before r;
// Escape asks before it leaves, and m mutes. Its demo replays from the file alone. It names its
// maps with their checksums: a replay reads them again, from where they were or from beside the
// demo, or takes them from --map; a changed or missing map is refused.
TEST(Course, DemosReplayWithoutTheirOptionsAndRefuseAChangedMap) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    const std::string dir = scratchPath("course");
    fs::create_directories(dir + "/moved");
    const std::string mapPath = dir + "/win.map", demoPath = dir + "/win.demo";
    const std::string falls = "######\n#12  #\n####@#\n"; // nothing moves without a key
    std::ofstream(mapPath) << falls;
    std::ofstream(dir + "/wide.map") << wideWin;
    Course course;
    std::string error;
    ASSERT_TRUE(practiceCourse({dir + "/wide.map", mapPath}, 2, course, error)) << error;
    std::vector<uint64_t> played;
    {
        fresh();
        Recorded g(game, course, demoPath);
        EXPECT_EQ(g.state.scene, firstMapScene + 1);
        const Level<40, 25>& board = g.boards->maps[1].small->board;
        const auto cells = [&] {
            return std::pair(board.parts[1].index(), board.parts[0].index());
        };
        const auto loaded = cells();
        g.frames(60, SDLK_d);
        const auto folded = cells();
        ASSERT_NE(folded, loaded);
        g.frames(107, SDLK_r); // the teeth close and open
        EXPECT_EQ(cells(), loaded);
        g.frames(1, SDLK_u);
        EXPECT_EQ(cells(), folded);
        for (SDLKey key : {SDLK_SPACE, SDLK_BACKSPACE}) g.frames(3, key);
        g.frames(60);
        // Escape asks; any other key only answers it, m mutes and unmutes; a second Escape leaves.
        const BoardState asked = board.state();
        int ms = 0;
        for (SDLKey key : {SDLK_ESCAPE, SDLK_d, SDLK_m, SDLK_m, SDLK_ESCAPE}) {
            g.frames(1, key);
            EXPECT_EQ(g.state.asking, key == SDLK_ESCAPE) << SDL_GetKeyName(key);
            if (key == SDLK_m) {
                EXPECT_EQ(Mix_VolumeMusic(-1), ++ms % 2 ? 0 : MIX_MAX_VOLUME);
            }
            g.frames(29);
        }
        EXPECT_EQ(board.state(), asked);
        g.frames(110, SDLK_ESCAPE);
        EXPECT_EQ(g.state.scene, 8);
        ASSERT_TRUE(g.recorder.close());
        played = flips;
    }
    const std::string text = bytesOf(demoPath);

    auto replay = [&](const std::string& demo, const std::vector<std::string>& maps) {
        fresh();
        error.clear();
        if (!replayDemo(game, demo, maps, played.size(), error)) return false;
        EXPECT_TRUE(flips == played);
        return true;
    };
    EXPECT_TRUE(replay(demoPath, {})) << error;
    // Moved together to another folder, the maps are found beside the demo.
    for (const char* name : {"/win.map", "/wide.map", "/win.demo"})
        fs::rename(dir + name, dir + "/moved" + name);
    EXPECT_TRUE(replay(dir + "/moved/win.demo", {})) << error;
    fs::rename(dir + "/moved/win.map", dir + "/elsewhere.map");
    EXPECT_FALSE(replay(dir + "/moved/win.demo", {}));
    EXPECT_NE(error.find("the map \"" + mapPath + "\" it was recorded with cannot be read"),
              std::string::npos)
        << error;
    const std::vector<std::string> given{dir + "/moved/wide.map", dir + "/elsewhere.map"};
    EXPECT_TRUE(replay(dir + "/moved/win.demo", given)) << error;
    std::ofstream(dir + "/elsewhere.map") << falls << "\n";
    EXPECT_FALSE(replay(dir + "/moved/win.demo", given));
    EXPECT_NE(error.find("is not the one the demo was recorded with"), std::string::npos) << error;
    // Recorded with those very bytes while the blank last line still made the map a row taller.
    std::string older = text;
    older.replace(older.find(checksumText(contentChecksum(falls))), 16,
                  checksumText(contentChecksum(falls + "\n")));
    std::ofstream(dir + "/older.demo") << older;
    EXPECT_FALSE(replay(dir + "/older.demo", given));
    EXPECT_NE(error.find("elsewhere.map was 6 x 4 when the demo was recorded"), std::string::npos)
        << error;
    EXPECT_FALSE(replay(dir + "/older.demo", {given[0]}));
    EXPECT_NE(error.find("recorded with 2 maps, not 1"), std::string::npos) << error;
    fs::remove_all(dir);
}

// The solver's demo of a map, naming the map by its level code instead, reaches the goal in the
// game: the code and the file are one level.
TEST(Course, TheSolversDemoOfAMapNamedByItsCodePlaysToItsGoal) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    const std::string map = SOURCE_ROOT "/tests/solve-maps/stairs.map";
    const std::string demo = scratchPath("stairs.demo");
    const Outcome solved = runProgram({SOLVER, "--fast", "--demo", demo, map}, ASSET_ROOT);
    ASSERT_TRUE(exitedWith(solved.status, 0)) << solved.out << solved.err;
    MapFile file;
    std::string error;
    ASSERT_TRUE(readMapFile(map, file, error)) << error;
    Options options;
    options.code = levelCode(file);
    options.practice = true;
    Course coded;
    ASSERT_TRUE(setUpCourse(options, DemoSetup{}, coded, error)) << error;
    EXPECT_EQ(demoHead(setupOf(coded), "c"), "foldbot-demo 2\noption practice\noption code " +
                                                 options.code +
                                                 "\noption counter\noption comfort\n# c\n");
    const std::string text = bytesOf(demo);
    const size_t line = text.find("option map");
    std::ofstream(demo + ".code") << text.substr(0, line) << "option code " << options.code
                                  << text.substr(text.find('\n', line));
    std::vector<DemoEvent> events;
    Course course;
    ASSERT_TRUE(loadDemo(demo + ".code", {}, events, course, error)) << error;
    fresh();
    Driver g(game, course);
    EXPECT_EQ(g.boards->pack.levels[0].sum, levelChecksum(file));
    DemoPlayer player(events);
    const EventSource source = player.source();
    // The last key is pressed inside the glide before the winning step.
    for (uint32_t f = 0; f < events.back().frame + 40 && g.state.nextScene == 0; ++f)
        g.frames(1, SDLK_UNKNOWN, &source);
    EXPECT_TRUE(g.boards->maps[0].small->board.hasWon());
    EXPECT_EQ(g.state.nextScene, 8);
    std::remove(demo.c_str());
    std::remove((demo + ".code").c_str());
}

// A hint's answer shows on the frame its search ends; the demo keeps that frame, and a replay
// shows it there too, however long its own search takes.
TEST(Course, ADemoWithAHintReplaysFrameForFrameOnAFastOrSlowMachine) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    const std::string demoPath = scratchPath("hint.demo");
    Course course;
    std::string error;
    ASSERT_TRUE(practiceCourse({SOURCE_ROOT "/levels/03-the-belt.map"}, 0, course, error)) << error;
    std::vector<uint64_t> played;
    {
        fresh();
        Recorded g(game, course, demoPath);
        g.frames(30, SDLK_d);
        const auto hint = [&] {
            g.frames(1, SDLK_h);
            for (int i = 0; i < 5000 && !g.boards->hints.showing(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                g.frames(1);
            }
            return g.boards->hints.showing();
        };
        ASSERT_TRUE(hint());
        g.frames(40, SDLK_a); // a key: the answer goes
        EXPECT_FALSE(g.boards->hints.showing());
        ASSERT_TRUE(hint());
        g.frames(20);
        ASSERT_TRUE(g.recorder.close());
        played = flips;
    }
    const std::string text = bytesOf(demoPath);
    EXPECT_NE(text.find(" hint\n"), std::string::npos) << text;
    for (uint32_t slower : {0u, 400u}) {
        fresh();
        hintFrames().replaying = true;
        hintFrames().slower = slower;
        ASSERT_TRUE(replayDemo(game, demoPath, {}, played.size(), error)) << error;
        hintFrames() = HintFrames{};
        EXPECT_TRUE(flips == played) << "search slowed by " << slower << " ms";
    }
    fs::remove(demoPath);
}
