// Hints: from boards along the walkthroughs, random boards of practice play and the pack's
// levels, following the hints reaches the goal in exactly the playable distance proven from
// that board; a board with no route left says how far to undo, and only when that is proven.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"
#include "content/MapFile.h"
#include "app/StepCounter.h"
#include "solve/Hint.h"
#include "solve/Solve.h"

namespace {

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

std::vector<int> walkthrough(const char* name) {
    std::vector<int> keys;
    std::string why;
    EXPECT_TRUE(readKeyFile(std::string(SOURCE_ROOT "/content/walkthrough/") + name, keys, why));
    return keys;
}

} // namespace

TEST(Hints, FollowingThemFromAnyBoardTakesTheProvenDistance) {
    std::mt19937 rng(30);
    // Along the walkthroughs, at a glide and at rest, and off them.
    const Level<40, 20> one(contentTexts[1], chainPoses, nullptr, 40, 20);
    const std::vector<int> keys1 = walkthrough("level1.keys");
    for (size_t cut : {size_t{0}, keys1.size() / 2 + 7}) {
        Level<40, 20> lv = one;
        for (size_t f = 0; f < cut; ++f) runBoard(nullptr, lv, keys1[f], 0, 0);
        followHints(lv);
    }
    const Level<80, 50> two(contentTexts[2], chainPoses, nullptr, 40, 25);
    const std::vector<int> keys2 = walkthrough("level2.keys");
    Level<80, 50> lv2 = two;
    for (size_t f = 0; f < keys2.size() * 3 / 4; ++f) runBoard(nullptr, lv2, keys2[f], 0, 0);
    followHints(lv2);

    std::vector<MapFile> pack;
    std::string error;
    ASSERT_TRUE(readPack(SOURCE_ROOT "/levels", pack, error)) << error;
    for (const MapFile& map : pack) {
        SCOPED_TRACE(map.path);
        const Level<40, 25> fresh(map.boardText.c_str(), chainPoses, nullptr, map.viewW,
                                  map.viewH);
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
        const std::vector<int> keys = walkthrough(keysName);
        StepCounter counter;
        for (size_t f = 0; f < cut; ++f)
            counter.frame(lv, keys[f] != noKey, [&] { return runBoard(nullptr, lv, keys[f], 0, 0); });
        SolveSettings s;
        s.threads = 2;
        const SearchResult res = solveBoard(lv, s);
        ASSERT_TRUE(res.solved) << keysName << " cut at " << cut;
        EXPECT_EQ(counter.steps + static_cast<int>(res.actions.size()), shortest)
            << keysName << " cut at " << cut;
    };
    check(Level<40, 20>(contentTexts[1], chainPoses, nullptr, 40, 20), "level1.keys", 1200, 47);
    check(Level<80, 50>(contentTexts[2], chainPoses, nullptr, 40, 25), "level2.keys", 900, 92);
    check(Level<80, 50>(contentTexts[2], chainPoses, nullptr, 40, 25), "level2.keys", 2000, 92);
}
