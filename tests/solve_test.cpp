// The solver's model of a player's keys against the real frame driver, and the hints: from boards
// along the walkthroughs, random boards of practice play and the pack's levels, following them
// reaches the goal in exactly the playable distance proven from that board; a board with no route
// left says how far to undo, and only when that is proven.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

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

} // namespace
