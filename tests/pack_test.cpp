// The packs that ship with the game: maps that fit the solver, in the order their names give,
// each finished by its key file on the board the game plays it on. The first pack fits the
// screen; the challenge pack, in a folder of its own inside the first one's, also scrolls.
#include <gtest/gtest.h>

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
// would, and its level would begin without them.
template <int W, int H> void expectStillAtStart(const MapFile& map) {
    Level<W, H> lv = boardOf<W, H>(map);
    const Level<W, H> fresh = lv;
    for (int f = 0; f < 200; ++f) runBoard(nullptr, lv, noKey, 0, 0);
    for (int b = 0; b < lv.partCount; ++b)
        EXPECT_EQ(lv.parts[b].index(), fresh.parts[b].index()) << "block " << b + 1;
}

// What both packs hold to: the name's number is the place, a title, chain poses, 2 to 8 blocks,
// headers in the form the listing shows, and a still start. Gives the shortest length.
int expectInPlace(const MapFile& map, size_t i) {
    // The game plays a pack in name order, so the number in a name is its place.
    const std::string place = (i < 9 ? "/0" : "/") + std::to_string(i + 1) + "-";
    EXPECT_NE(map.path.find(place), std::string::npos);
    EXPECT_FALSE(map.title.empty());
    EXPECT_GE(map.blocks(), 2);
    EXPECT_LE(map.blocks(), maxSolveParts);
    EXPECT_FALSE(map.figurePoses);
    // The listing shows these, and the pack.shortest tests prove them.
    const int shortest = headerNumber(map, "shortest");
    EXPECT_EQ(map.value("shortest"), std::to_string(shortest) + " steps");
    EXPECT_EQ(map.value("fewest combos"), std::to_string(headerNumber(map, "fewest combos")));
    if (map.large)
        expectStillAtStart<80, 50>(map);
    else
        expectStillAtStart<40, 25>(map);
    return shortest;
}

std::string keysOf(const MapFile& map) {
    return map.path.substr(0, map.path.size() - 4) + ".keys";
}

} // namespace

// The challenge pack's maps, in a folder inside this one, are not part of it: one read here would
// be out of place, and some scroll.
TEST(Pack, EveryMapFitsTheScreenAndTheSolverInItsPlace) {
    const std::vector<MapFile> maps = pack();
    ASSERT_GE(maps.size(), 8u);
    int previous = 0;
    for (size_t i = 0; i < maps.size(); ++i) {
        const MapFile& map = maps[i];
        SCOPED_TRACE(map.path);
        EXPECT_EQ(map.fault, "");
        EXPECT_FALSE(map.large);
        EXPECT_LE(map.width, screenCellsW);
        EXPECT_LE(map.height, screenCellsH);
        const int shortest = expectInPlace(map, i);
        EXPECT_GE(shortest, previous) << "the pack gets easier here";
        previous = shortest;
    }
}

// Ordered by a person's judgement, not by length alone, so only the lengths' range is checked;
// some levels fit the screen and some scroll, so both cameras are met.
TEST(Pack, TheChallengesAreLongAndSomeScroll) {
    const std::vector<MapFile> maps = pack(challengeFolder);
    ASSERT_GE(maps.size(), 10u);
    int screens = 0, scrolling = 0;
    for (size_t i = 0; i < maps.size(); ++i) {
        const MapFile& map = maps[i];
        SCOPED_TRACE(map.path);
        const int shortest = expectInPlace(map, i);
        EXPECT_GE(shortest, 25);
        EXPECT_LE(shortest, 80);
        (map.large ? scrolling : screens) += 1;
    }
    EXPECT_GE(screens, 3);
    EXPECT_GE(scrolling, 2);
}

// The headers' fewest combos are the exact search's (pack.shortest): in each pack at least 3
// levels need a Space then a pose on every shortest route.
TEST(Pack, EveryKeyFileReachesTheGoalAndSomeNeedSpaceThenAPose) {
    for (const std::string& from : {folder, challengeFolder}) {
        int withCombos = 0;
        for (const MapFile& map : pack(from)) {
            SCOPED_TRACE(map.path);
            std::vector<int> keys;
            std::string why;
            ASSERT_TRUE(readKeyFile(keysOf(map), keys, why)) << why;
            EXPECT_GT(map.large ? playKeys(boardOf<80, 50>(map), keys)
                                : playKeys(boardOf<40, 25>(map), keys),
                      0);
            withCombos += headerNumber(map, "fewest combos") > 0 ? 1 : 0;
        }
        EXPECT_GE(withCombos, 3) << from;
    }
}
