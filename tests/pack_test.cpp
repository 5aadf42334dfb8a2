// The packs that ship with the game: maps that fit the solver, in the order their names give,
// each finished by its key file on the board the game plays it on. The first pack fits the
// screen; the challenge pack, in a folder of its own inside the first one's, also scrolls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"
#include "content/MapFile.h"
#include "solve/Keys.h"
#include "solve/State.h"

namespace {

const std::string folder = SOURCE_ROOT "/levels";
const std::string challengeFolder = SOURCE_ROOT "/levels/challenge";

std::vector<MapFile> pack(const std::string& from = folder) {
    std::vector<MapFile> maps;
    std::string error;
    EXPECT_TRUE(readPack(from, maps, error)) << error;
    return maps;
}

// The number a header value starts with ("12 steps" gives 12), or -1.
int headerNumber(const MapFile& map, const std::string& key) {
    const std::string value = map.value(key);
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    return end == value.c_str() ? -1 : static_cast<int>(n);
}

template <int W, int H> Level<W, H> boardOf(const MapFile& map) {
    return Level<W, H>(map.boardText.c_str(), chainPoses, nullptr, map.viewW, map.viewH);
}

// Nothing moves until the player's first key: a block that starts in the air or on a belt
// would, and its level would begin without them. The key file then reaches the goal.
template <int W, int H> void expectStillAtStartAndSolved(const MapFile& map) {
    Level<W, H> lv = boardOf<W, H>(map);
    const Level<W, H> fresh = lv;
    for (int f = 0; f < 200; ++f) runBoard(nullptr, lv, noKey, 0, 0);
    for (int b = 0; b < lv.partCount; ++b)
        EXPECT_EQ(lv.parts[b].index(), fresh.parts[b].index()) << "block " << b + 1;
    std::vector<int> keys;
    std::string why;
    ASSERT_TRUE(readKeyFile(map.path.substr(0, map.path.size() - 4) + ".keys", keys, why)) << why;
    EXPECT_GT(playKeys(fresh, keys), 0);
}

// What both packs hold to: the name's number is the place, a title, chain poses, 2 to 8 blocks,
// headers in the form the listing shows, a still start and a key file that wins. In each pack at
// least 3 levels need a Space then a pose on every shortest route (the headers' fewest combos are
// the exact search's: pack.shortest). Gives the shortest lengths.
std::vector<int> expectInPlace(const std::vector<MapFile>& maps) {
    std::vector<int> lengths;
    int withCombos = 0;
    for (size_t i = 0; i < maps.size(); ++i) {
        const MapFile& map = maps[i];
        SCOPED_TRACE(map.path);
        // The game plays a pack in name order, so the number in a name is its place.
        const std::string place = (i < 9 ? "/0" : "/") + std::to_string(i + 1) + "-";
        EXPECT_NE(map.path.find(place), std::string::npos);
        EXPECT_FALSE(map.title.empty());
        EXPECT_GE(map.blocks(), 2);
        EXPECT_LE(map.blocks(), maxSolveParts);
        EXPECT_FALSE(map.figurePoses);
        // The listing shows these, and the pack.shortest tests prove them.
        const int shortest = headerNumber(map, "shortest"),
                  combos = headerNumber(map, "fewest combos");
        EXPECT_EQ(map.value("shortest"), std::to_string(shortest) + " steps");
        EXPECT_EQ(map.value("fewest combos"), std::to_string(combos));
        withCombos += combos > 0;
        if (map.large)
            expectStillAtStartAndSolved<80, 50>(map);
        else
            expectStillAtStartAndSolved<40, 25>(map);
        lengths.push_back(shortest);
    }
    EXPECT_GE(withCombos, 3);
    return lengths;
}

} // namespace

// The challenge pack's maps, in a folder inside this one, are not part of it: one read here would
// be out of place, and some scroll.
TEST(Pack, EveryMapFitsTheScreenAndTheSolverInItsPlace) {
    const std::vector<MapFile> maps = pack();
    ASSERT_GE(maps.size(), 8u);
    for (const MapFile& map : maps) {
        EXPECT_EQ(map.fault, "") << map.path;
        EXPECT_FALSE(map.large) << map.path;
        EXPECT_LE(map.width, screenCellsW) << map.path;
        EXPECT_LE(map.height, screenCellsH) << map.path;
    }
    const std::vector<int> lengths = expectInPlace(maps);
    EXPECT_TRUE(std::is_sorted(lengths.begin(), lengths.end())) << "the pack gets easier somewhere";
}

// Ordered by a person's judgement, not by length alone, so only the lengths' range is checked;
// some levels fit the screen and some scroll, so both cameras are met.
TEST(Pack, TheChallengesAreLongAndSomeScroll) {
    const std::vector<MapFile> maps = pack(challengeFolder);
    ASSERT_GE(maps.size(), 10u);
    for (int shortest : expectInPlace(maps)) {
        EXPECT_GE(shortest, 25);
        EXPECT_LE(shortest, 80);
    }
    const auto scrolling = std::count_if(maps.begin(), maps.end(), [](auto& m) { return m.large; });
    EXPECT_GE(scrolling, 2);
    EXPECT_GE(static_cast<long>(maps.size()) - scrolling, 3);
}
