// The pack as a game through the real frame function: the step counter against the proven
// shortest routes, the chooser's keys, the card after a goal, and the progress file's faults.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/Comfort.h"
#include "app/Demo.h"
#include "app/Present.h"
#include "demo_support.h"
#include "solve/Keys.h"
#include "watch.h"

using namespace demo_test;
namespace fs = std::filesystem;

namespace {

Course packCourse() {
    Course course;
    std::string error;
    EXPECT_TRUE(readPack(SOURCE_ROOT "/levels", course.maps, error)) << error;
    course.chooser = course.counter = true;
    return course;
}

// Plays a key file, one key a frame, until the goal asks for the next scene; the steps then.
int playToGoal(Driver& d, const std::vector<int>& keys) {
    for (size_t f = 0; f < keys.size() + 2000 && d.state.nextScene == 0; ++f)
        d.frames(1, f < keys.size() ? symOf(keys[f]) : SDLK_UNKNOWN);
    return d.state.nextScene != 0 ? d.boards->pack.steps.steps : -1;
}

// Frames until the teeth have opened on a scene.
void settle(Driver& d) {
    d.frames(1);
    for (int f = 0; f < 200 && d.state.nextScene != 0; ++f) d.frames(1);
}

fs::path freshFolder(const std::string& name) {
    const fs::path dir = scratchPath(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

} // namespace

// The walkthrough pictures' rule, on the frames the game plays: each pack level's key file gives
// its header's shortest, drawn large too, and the shipped walkthroughs 47 and 92. Drawn large,
// every settled frame's map is the plain frame's, enlarged pixel for pixel (the pack has maps
// at 2x, 3x and 4x).
TEST(PackPlay, TheCounterGivesTheProvenShortestAtEachGoal) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    watch::keepShown = true;
    const Course pack = packCourse();
    std::set<int> zooms;
    for (size_t k = 0; k < pack.maps.size(); ++k) {
        Course one = pack;
        one.level = static_cast<int>(k) + 1;
        Driver plain(game, one);
        one.comfort = true;
        Driver d(game, one);
        const std::string& path = pack.maps[k].path;
        const std::vector<int> keys = keysOf(path.substr(0, path.size() - 4) + ".keys");
        const MapBoard<40, 25>& m = *d.boards->maps[k].small;
        const int f = m.zoom.factor, w = m.board.viewW * cellSize, h = m.board.viewH * cellSize;
        zooms.insert(f);
        std::vector<Uint32> big(static_cast<size_t>(800 * 500));
        for (size_t i = 0; i < keys.size() + 2000 && d.state.nextScene == 0; ++i) {
            const SDLKey key = i < keys.size() ? symOf(keys[i]) : SDLK_UNKNOWN;
            plain.frames(1, key);
            enlargeFrame(&watch::shown[static_cast<size_t>(m.offY * 800 + m.offX)], 800 * 4, w, h,
                         big.data(), 800 * 4, f);
            d.frames(1, key);
            if (plain.state.nextScene != 0) continue; // the teeth are drawn at 1x over both
            for (int y = 0; y < h * f; ++y)
                ASSERT_TRUE(std::equal(
                    &big[static_cast<size_t>(y * 800)], &big[static_cast<size_t>(y * 800 + w * f)],
                    &watch::shown[static_cast<size_t>((m.zoom.top + y) * 800 + m.zoom.left)]))
                    << path << " frame " << i << " row " << y;
        }
        EXPECT_EQ(d.state.nextScene != 0 ? d.boards->pack.steps.steps : -1,
                  d.boards->pack.levels[k].shortest)
            << path;
    }
    EXPECT_EQ(zooms, (std::set<int>{2, 3, 4}));
    watch::keepShown = false;
    for (int level : {1, 2}) {
        Course shipped;
        shipped.practice = shipped.counter = true;
        shipped.level = level;
        Driver d(game, shipped);
        EXPECT_EQ(playToGoal(d, keysOf(SOURCE_ROOT "/content/walkthrough/level" +
                                       std::to_string(level) + ".keys")),
                  shippedShortest[level - 1]);
    }
}

// Arrows and the pose keys around s move the selection, Enter plays it, Escape on a level comes
// back; a goal shows the card, then the chooser with the next level selected and marked solved.
TEST(PackPlay, TheChooserPlaysTheSelectedLevelAndComesBackAfterIt) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    const Course course = packCourse(); // the boards read its maps' texts
    Driver d(game, course);
    Pack& pack = d.boards->pack;
    pack.open(game.stage.screen, nullptr);
    settle(d);
    ASSERT_EQ(d.state.scene, chooserScene);
    const std::pair<SDLKey, int> moves[] = {
        {SDLK_RIGHT, 1}, {SDLK_DOWN, 3}, {SDLK_c, 3},     {SDLK_z, 4},    {SDLK_LEFT, 3},
        {SDLK_a, 2},     {SDLK_w, 0},    {SDLK_UP, 0},    {SDLK_x, 2},    {SDLK_q, 2},
        {SDLK_e, 1},     {SDLK_d, 2},    {SDLK_RIGHT, 3}, {SDLK_LEFT, 2}, {SDLK_w, 0}};
    for (const auto& [key, selected] : moves) {
        d.frames(1, key);
        EXPECT_EQ(pack.selected, selected) << SDL_GetKeyName(key);
    }
    d.frames(1, SDLK_RIGHT);
    d.frames(1, SDLK_RETURN);
    settle(d);
    EXPECT_EQ(d.state.scene, firstMapScene + 1);
    d.frames(1, SDLK_ESCAPE);
    settle(d);
    EXPECT_EQ(d.state.scene, chooserScene);
    EXPECT_EQ(pack.selected, 1);

    d.frames(1, SDLK_LEFT);
    d.frames(1, SDLK_RETURN);
    settle(d);
    ASSERT_EQ(d.state.scene, firstMapScene);
    EXPECT_EQ(playToGoal(d, keysOf(SOURCE_ROOT "/levels/01-first-folds.keys")), 6);
    settle(d);
    EXPECT_EQ(d.state.scene, cardScene);
    EXPECT_EQ(pack.cardSteps, 6);
    d.frames(1, SDLK_RETURN);
    settle(d);
    EXPECT_EQ(d.state.scene, chooserScene);
    EXPECT_EQ(pack.selected, 1);
    EXPECT_EQ(pack.progress.best(pack.levels[0].sum), 6);
    EXPECT_FALSE(pack.progress.kept());
    d.frames(1, SDLK_ESCAPE);
    EXPECT_FALSE(runFrame(d.state, game.stage, *d.boards, fakeClock));
}

// A level keeps its progress through header edits, CRLF and a BOM; the fewest steps stay. A write
// that fails leaves the old file; damage is set aside, never deleted, and the lines that could be
// read start the fresh file; two games at once both keep their levels.
TEST(PackPlay, ProgressKeepsTheFewestStepsThroughFaultsAndTwoGamesAtOnce) {
    const fs::path dir = freshFolder("progress") / "foldbot";
    const fs::path file = dir / "progress";
    MapFile a, b;
    std::string error;
    ASSERT_TRUE(parseMap("; title: A\n#####\n#1@ #\n#####\n", "a", a, error)) << error;
    ASSERT_TRUE(parseMap("\xEF\xBB\xBF; title: B\r\n; shortest: 3\r\n#####\r\n#1@ #\r\n#####\r\n",
                         "b", b, error))
        << error;
    EXPECT_EQ(levelChecksum(a), levelChecksum(b));
    a.rows[6] = ' ';
    EXPECT_NE(levelChecksum(a), levelChecksum(b));
    {
        Progress p;
        p.open(file);
        p.solved(1, 9, "One");
        p.solved(1, 12, "One");
        p.solved(0xfedcba9876543210ull, 4, "Two: the second");
    }
    const std::string kept = "0000000000000001 9 One\nfedcba9876543210 4 Two: the second\n";
    Progress q;
    q.open(file);
    EXPECT_EQ(q.best(1), 9);
    EXPECT_EQ(q.best(0xfedcba9876543210ull), 4);
    EXPECT_EQ(q.best(2), 0);
    EXPECT_EQ(bytesOf(file), kept);
    fs::create_directory(file.string() + ".tmp." + std::to_string(getpid()));
    testing::internal::CaptureStderr();
    q.solved(2, 5, "Two");
    q.solved(3, 5, "Three");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(file.string() + ": cannot be written"), std::string::npos) << said;
    EXPECT_EQ(said.find("cannot be written", said.find('\n')), std::string::npos) << said;
    EXPECT_EQ(q.best(2), 5); // still known for this run
    EXPECT_EQ(bytesOf(file), kept);
    fs::remove(file.string() + ".tmp." + std::to_string(getpid()));
    const std::string good = "0000000000000001 9 One\n";
    for (const std::string& damage :
         {std::string("0000000000000002 x Two\n"),
          std::string("\x7f"
                      "ELF\x02\x01\x01\0\0\0",
                      10),
          std::string("00000000000000zz 3 Three\n"), std::string("0000000000000004 0 Four\n")}) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(file, std::ios::binary) << good << damage;
        testing::internal::CaptureStderr();
        Progress p;
        p.open(file);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(file.string() + ": line 2 cannot be read"), std::string::npos) << said;
        EXPECT_EQ(p.best(1), 9);
        EXPECT_EQ(bytesOf(file.string() + ".damaged"), good + damage);
        EXPECT_EQ(bytesOf(file), good);
    }
    fs::remove_all(dir);
    fs::create_directories(file);
    testing::internal::CaptureStderr();
    Progress folder;
    folder.open(file);
    folder.solved(5, 5, "Five");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a plain file"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(file.string() + ".damaged"));
    EXPECT_EQ(bytesOf(file), "0000000000000005 5 Five\n");

    // Two games solving levels at the same moments.
    std::vector<pid_t> games;
    for (int g = 0; g < 2; ++g)
        if ((games.emplace_back(fork())) == 0) {
            Progress p;
            p.open(file);
            for (int k = 0; k < 40; ++k) p.solved(100 * (g + 1) + k, 7, "level");
            _exit(0);
        }
    for (pid_t pid : games) EXPECT_TRUE(exitedWith(waitFor(pid, 60), 0));
    Progress both;
    both.open(file);
    EXPECT_EQ(both.entries().size(), 81u);
}

// --pack challenge: both packs in one chooser, the challenge pack on a page of its own, opened on
// its first unsolved level; the arrows cross between the packs.
TEST(PackPlay, TheChallengePackOpensOnItsOwnPageAtItsFirstUnsolvedLevel) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    const fs::path here = fs::current_path();
    fs::current_path(SOURCE_ROOT); // the game reads ./levels
    Options options;
    options.pack = true;
    options.packName = "challenge";
    Course course;
    std::string error;
    ASSERT_TRUE(setUpCourse(options, DemoSetup{}, course, error)) << error;
    ASSERT_EQ(course.packs.size(), 2u);
    const int32_t first = course.packs[1].first;
    EXPECT_EQ(course.packs[1].title, "Challenge pack");
    const fs::path file = freshFolder("progress") / "progress";
    std::ofstream(file) << checksumText(levelChecksum(course.maps[first])) << " 30 Loose ends\n";
    Driver d(game, course);
    Pack& pack = d.boards->pack;
    pack.open(game.stage.screen, nullptr, file);
    EXPECT_EQ(pack.selected, first + 1);
    for (const auto& [key, selected] :
         {std::pair(SDLK_LEFT, first), std::pair(SDLK_LEFT, first - 1),
          std::pair(SDLK_DOWN, first + 1), std::pair(SDLK_UP, first - 1),
          std::pair(SDLK_RIGHT, first)}) {
        d.frames(1, key);
        EXPECT_EQ(pack.selected, selected) << SDL_GetKeyName(key);
    }
    fs::current_path(here);
}
