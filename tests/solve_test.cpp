// The solver's model of a player's keys against the real frame driver; the shipped walkthrough:
// its tolerance of a person's timing, and its page (that its key files reach their goals is
// checked where the build turns them into the walkthrough demo); and the hints: from boards along
// the walkthroughs, random boards of practice play and the pack's levels, following them reaches
// the goal in exactly the playable distance proven from that board; a board with no route left
// says how far to undo, and only when that is proven.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/StepCounter.h"
#include "board/Level.h"
#include "content/Boards.h"
#include "content/MapFile.h"
#include "solve/Beam.h"
#include "solve/Hint.h"
#include "solve/Keys.h"
#include "solve/Solve.h"

namespace {

std::vector<int> keyFile(const char* name) {
    std::vector<int> keys;
    std::string why;
    EXPECT_TRUE(readKeyFile(std::string(SOURCE_ROOT "/content/walkthrough/") + name, keys, why))
        << why;
    return keys;
}

// Random keys frame by frame through runBoard: at every step, the board must be where the
// solver's one-action-per-step model puts it, and two keys may only share a step that follows
// a move.
template <int W, int H> void modelMatchesFrames(const Level<W, H>& start, unsigned seed) {
    Level<W, H> lv = start;
    Stepper<W, H> model(lv);
    model.mergePending = false;
    std::mt19937 rng(seed);
    Unpacked before = model.read(lv, false);
    int action = actNone;
    int framesSinceStep = 0;
    int steps = 0, combos = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        int key = noKey;
        const int roll = static_cast<int>(rng() % 100);
        if (roll < 6) key = spaceKey;
        if (roll >= 6 && roll < 30) key = static_cast<int>(rng() % 9);
        // The net effect of the keys since the last step: Space clears a pose asked before it.
        if (key == spaceKey) action = actSpace;
        if (key >= 0 && key < 9)
            action = (action == actSpace || isCombo(action)) ? actCombo + key : actPose + key;
        const bool stepping = lv.isSettled();
        runBoard(nullptr, lv, key, 0, 0);
        ++framesSinceStep;
        if (!stepping) continue;
        if (isCombo(action)) {
            ASSERT_TRUE(before.moved) << "two keys in one step on a still board, frame " << frame;
            ++combos;
        }
        Unpacked expected;
        model.play(before, action, expected);
        const Unpacked seen = model.read(lv, !lv.isSettled());
        ASSERT_EQ(model.pack(seen), model.pack(expected)) << "frame " << frame;
        // Every field of a reachable board's state survives packing, and laying it on a board.
        const BoardState s = lv.state();
        const Unpacked back = model.unpack(model.pack(seen));
        ASSERT_TRUE(back.robot == s.robot && back.current == s.currentPose &&
                    back.requested == s.requestedPose && back.shake == s.shakeRight &&
                    std::equal(s.cells, s.cells + s.blocks, back.cell));
        Level<W, H> laid = start;
        laid.setState(s);
        ASSERT_TRUE(laid.state() == s);
        ASSERT_EQ(seen.moved, framesSinceStep > 0 && !lv.isSettled());
        before = seen;
        action = actNone;
        framesSinceStep = 0;
        ++steps;
    }
    EXPECT_GT(steps, 300);
    EXPECT_GT(combos, 10);
}

TEST(SolverModel, OneNetActionPerStepMatchesTheFrameDriver) {
    modelMatchesFrames(level1Board.make(), 1);
    modelMatchesFrames(level2Board.make(), 2);
}

// Space and the pose wider apart than a glide is long are laid at its ends, Space first.
TEST(Solver, ACombosKeysFitAShortGlide) {
    const Level<40, 20> fresh = level1Board.make();
    const SearchResult res = beamSearch(fresh, 400, false);
    ASSERT_TRUE(res.solved);
    KeyTiming wide;
    wide.comboGap = 40;
    const Route spread = routeKeys(fresh, plansOf(res), wide);
    ASSERT_GT(spread.combos, 0);
    EXPECT_TRUE(spread.ok);
    EXPECT_EQ(playKeys(fresh, spread.keys), static_cast<int>(spread.keys.size()) - 1);
}

// A person presses each key up to 2 frames early or late, and starts up to 8 frames early or
// late. Keys that land on one frame queue up, one a frame, as the game's loop takes them.
template <int W, int H> void survivesSloppyTiming(const Level<W, H>& fresh, const char* name) {
    const std::vector<int> keys = keyFile(name);
    std::mt19937 rng(7);
    for (int run = 0; run < 150; ++run) {
        const int whole = static_cast<int>(rng() % 17) - 8;
        std::vector<std::pair<int, int>> presses; // frame, key
        for (size_t f = 0; f < keys.size(); ++f)
            if (keys[f] != noKey)
                presses.emplace_back(
                    static_cast<int>(f) + 10 + whole + static_cast<int>(rng() % 5) - 2, keys[f]);
        std::stable_sort(presses.begin(), presses.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<int> frames(keys.size() + 100, noKey);
        int next = 0;
        for (const auto& p : presses) {
            next = std::max(next, p.first);
            frames[static_cast<size_t>(next++)] = p.second;
        }
        ASSERT_GE(playKeys(fresh, frames), 0) << name << ", run " << run << ", shift " << whole;
    }
}

TEST(Walkthrough, SurvivesAPersonsTiming) {
    survivesSloppyTiming(level1Board.make(), "level1.keys");
    survivesSloppyTiming(level2Board.make(), "level2.keys");
}

// The page's stages, read back: every "Keys:" line of a level, Space+x written as two presses.
std::vector<int> pageKeys(const std::string& page, const std::string& level) {
    std::vector<int> keys;
    const size_t from = page.find("## " + level);
    const size_t to = page.find("\n## ", from + 1);
    std::istringstream in(page.substr(from, to - from));
    const std::string names = "qweasdzxc";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Keys: `", 0) != 0) continue;
        std::istringstream words(line.substr(7, line.rfind('`') - 7));
        for (std::string w; words >> w;) {
            if (w.rfind("Space", 0) == 0) {
                keys.push_back(spaceKey);
                w = w.size() > 6 ? w.substr(6) : "";
            }
            if (!w.empty()) keys.push_back(static_cast<int>(names.find(w[0])));
        }
    }
    return keys;
}

TEST(Walkthrough, PageShowsTheKeyFilesPresses) {
    std::ifstream f(SOURCE_ROOT "/docs/walkthrough.md");
    std::stringstream page;
    page << f.rdbuf();
    for (const char* level : {"level1", "level2"}) {
        std::vector<int> pressed = keyFile((std::string(level) + ".keys").c_str());
        pressed.erase(std::remove(pressed.begin(), pressed.end(), noKey), pressed.end());
        EXPECT_EQ(
            pageKeys(page.str(), level == std::string("level1") ? "First level" : "Second level"),
            pressed)
            << level;
    }
}

// Follows hints from a board to the goal, a fresh search only where the last route is lost.
template <int W, int H> void followHints(Level<W, H> lv) {
    Hint hint = findHint(lv, {});
    ASSERT_EQ(hint.kind, Hint::Kind::move);
    const int distance = hint.steps;
    int moves = 0;
    while (!lv.hasWon()) {
        ASSERT_LT(moves, distance) << "still no goal after the proven distance";
        for (int key : hint.keys) runBoard(nullptr, lv, key, 0, 0);
        ++moves;
        if (lv.hasWon()) break;
        std::vector<Plan> rest(hint.route.begin() + 1, hint.route.end());
        Hint next;
        if (!hintFromRoute(lv, rest, next)) next = findHint(lv, {});
        ASSERT_EQ(next.kind, Hint::Kind::move);
        ASSERT_EQ(next.steps, distance - moves) << "a hint's distance disagrees with its route";
        hint = next;
    }
    EXPECT_EQ(moves, distance);
}

// A board reached by random keys frame by frame, as a player with undo might leave it.
template <int W, int H> Level<W, H> wander(Level<W, H> lv, std::mt19937& rng, int frames) {
    for (int f = 0; f < frames && !lv.hasWon(); ++f) {
        const int r = static_cast<int>(rng() % 40);
        runBoard(nullptr, lv, r < 9 ? r : r == 9 ? -1 : 1000, 0, 0);
    }
    return lv;
}

TEST(Hints, FollowingThemFromAnyBoardTakesTheProvenDistance) {
    std::mt19937 rng(30);
    // Along the walkthroughs, at a glide and at rest, and off them.
    const Level<40, 20> one = level1Board.make();
    const std::vector<int> keys1 = keyFile("level1.keys");
    for (size_t cut : {size_t{0}, keys1.size() / 2 + 7}) {
        Level<40, 20> lv = one;
        for (size_t f = 0; f < cut; ++f) runBoard(nullptr, lv, keys1[f], 0, 0);
        followHints(lv);
    }
    const Level<80, 50> two = level2Board.make();
    const std::vector<int> keys2 = keyFile("level2.keys");
    Level<80, 50> lv2 = two;
    for (size_t f = 0; f < keys2.size() * 3 / 4; ++f) runBoard(nullptr, lv2, keys2[f], 0, 0);
    followHints(lv2);

    std::vector<MapFile> pack;
    std::string error;
    ASSERT_TRUE(readPack(SOURCE_ROOT "/levels", pack, error)) << error;
    for (const MapFile& map : pack) {
        SCOPED_TRACE(map.path);
        const Level<40, 25> fresh(map.boardText.c_str(), chainPoses, nullptr, map.viewW, map.viewH);
        followHints(fresh);
        const Level<40, 25> off = wander(fresh, rng, 300);
        if (off.hasWon()) continue;
        const Hint hint = findHint(off, {&fresh});
        if (hint.kind == Hint::Kind::move) followHints(off);
        // A dead end sends back to the level's start, which has a route.
        if (hint.kind == Hint::Kind::deadEnd) {
            EXPECT_EQ(hint.undo, 1);
        }
    }
}

TEST(Hints, ADeadEndSaysHowFarToUndo) {
    // Blocks that fall apart into two holes can never form a robot again.
    MapFile map;
    std::string error;
    ASSERT_TRUE(parseMap("; title: holes\n"
                         "#########\n"
                         "#       #\n"
                         "#12     #\n"
                         "#### # @#\n"
                         "#### # ##\n"
                         "#########\n",
                         "holes", map, error))
        << error;
    const Level<40, 25> fresh(map.boardText.c_str(), chainPoses, nullptr, map.viewW, map.viewH);
    std::mt19937 rng(7);
    int deadEnds = 0;
    for (int walk = 0; walk < 40 && deadEnds < 3; ++walk) {
        // A step at a time, each an undo point, until no route is left or the goal.
        std::vector<Level<40, 25>> points{fresh};
        Level<40, 25> lv = fresh;
        Hint hint = findHint(lv, {});
        for (int step = 0; step < 12 && hint.kind == Hint::Kind::move; ++step) {
            const int keys[] = {5, 3, -1, 1000};
            for (int f = 0; f < 21; ++f) runBoard(nullptr, lv, f ? 1000 : keys[rng() % 4], 0, 0);
            if (lv.hasWon()) break;
            points.push_back(lv);
            std::vector<const Level<40, 25>*> ring; // newest first, not the board itself
            for (size_t i = points.size() - 1; i-- > 0;) ring.push_back(&points[i]);
            hint = findHint(lv, ring);
            if (hint.kind != Hint::Kind::deadEnd) continue;
            ++deadEnds;
            ASSERT_GE(hint.undo, 1) << "the level's start has a route";
            for (int i = 0; i < hint.undo; ++i)
                EXPECT_EQ(findHint(*ring[static_cast<size_t>(i)], {}).kind,
                          i + 1 < hint.undo ? Hint::Kind::deadEnd : Hint::Kind::move);
        }
        ASSERT_NE(hint.kind, Hint::Kind::unknown) << "small levels are proven whole";
    }
    EXPECT_GE(deadEnds, 3);
}

// From a board part way along a walkthrough, the steps taken (as the game counts them) and the
// exact search's distance from there add up to the level's proven shortest.
TEST(Hints, StepsTakenAndTheDistanceLeftAddUpToTheShortest) {
    const auto check = [](auto fresh, const char* keysName, size_t cut, int shortest) {
        auto lv = fresh;
        const std::vector<int> keys = keyFile(keysName);
        StepCounter counter;
        for (size_t f = 0; f < cut; ++f)
            counter.frame(lv, keys[f] != noKey,
                          [&] { return runBoard(nullptr, lv, keys[f], 0, 0); });
        SolveSettings s;
        s.threads = 2;
        const SearchResult res = solveBoard(lv, s);
        ASSERT_TRUE(res.solved) << keysName << " cut at " << cut;
        EXPECT_EQ(counter.steps + static_cast<int>(res.actions.size()), shortest)
            << keysName << " cut at " << cut;
    };
    check(level1Board.make(), "level1.keys", 1200, 47);
    check(level2Board.make(), "level2.keys", 900, 92);
    check(level2Board.make(), "level2.keys", 2000, 92);
}

} // namespace
