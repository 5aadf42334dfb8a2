// The pack that ships with the game: maps that fit the screen and the solver, in the order their
// names give, each finished by its key file on the board the game plays it on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"
#include "content/MapFile.h"
#include "tools/solve/Keys.h"
#include "tools/solve/State.h"

namespace {

const std::string folder = SOURCE_ROOT "/levels";

std::vector<MapFile> pack() {
    std::vector<MapFile> maps;
    std::string error;
    EXPECT_TRUE(readPack(folder, maps, error)) << error;
    return maps;
}

// The number a header value starts with ("12 steps" gives 12), or -1.
int headerNumber(const MapFile& map, const std::string& key) {
    const std::string value = map.value(key);
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    return end == value.c_str() ? -1 : static_cast<int>(n);
}

Level<40, 25> boardOf(const MapFile& map) {
    return Level<40, 25>(map.boardText.c_str(), chainPoses, nullptr, map.viewW, map.viewH);
}

std::string keysOf(const MapFile& map) {
    return map.path.substr(0, map.path.size() - 4) + ".keys";
}

} // namespace

TEST(Pack, EveryMapFitsTheScreenAndTheSolverInItsPlace) {
    const std::vector<MapFile> maps = pack();
    ASSERT_GE(maps.size(), 8u);
    int previous = 0;
    for (size_t i = 0; i < maps.size(); ++i) {
        const MapFile& map = maps[i];
        SCOPED_TRACE(map.path);
        // The game plays the pack in name order, so the number in a name is its place.
        const std::string place = (i < 9 ? "/0" : "/") + std::to_string(i + 1) + "-";
        EXPECT_NE(map.path.find(place), std::string::npos);
        EXPECT_EQ(map.fault, "");
        EXPECT_FALSE(map.title.empty());
        EXPECT_FALSE(map.large);
        EXPECT_LE(map.width, screenCellsW);
        EXPECT_LE(map.height, screenCellsH);
        EXPECT_GE(map.blocks(), 2);
        EXPECT_LE(map.blocks(), maxSolveParts);
        EXPECT_FALSE(map.figurePoses);

        // The listing shows these, and the pack.shortest tests prove them.
        const int shortest = headerNumber(map, "shortest");
        EXPECT_EQ(map.value("shortest"), std::to_string(shortest) + " steps");
        EXPECT_GE(shortest, previous) << "the pack gets easier here";
        previous = shortest;
        EXPECT_EQ(map.value("fewest combos"), std::to_string(headerNumber(map, "fewest combos")));

        // Nothing moves until the player's first key: a block that starts in the air or on a
        // belt would, and its level would begin without them.
        Level<40, 25> lv = boardOf(map);
        const Level<40, 25> fresh = lv;
        for (int f = 0; f < 200; ++f) runBoard(nullptr, lv, noKey, 0, 0);
        for (int b = 0; b < lv.partCount; ++b)
            EXPECT_EQ(lv.parts[b].index(), fresh.parts[b].index()) << "block " << b + 1;
    }
}

// The headers' fewest combos are the exact search's (pack.shortest): at least 3 levels need a
// Space then a pose on every shortest route.
TEST(Pack, EveryKeyFileReachesTheGoalAndSomeNeedSpaceThenAPose) {
    int withCombos = 0;
    for (const MapFile& map : pack()) {
        SCOPED_TRACE(map.path);
        std::vector<int> keys;
        std::string why;
        ASSERT_TRUE(readKeyFile(keysOf(map), keys, why)) << why;
        EXPECT_GT(playKeys(boardOf(map), keys), 0);
        withCombos += headerNumber(map, "fewest combos") > 0 ? 1 : 0;
    }
    EXPECT_GE(withCombos, 3);
}
