// Tests of the compiled-in maps and poses, pattern parsing, map reads, the bags and the board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/Level.h"
#include "content/Boards.h"

namespace {

using Cell = std::pair<int, int>;
using Cells = std::vector<Cell>;
using Marks = std::multiset<std::pair<char, Cell>>;
const int widths[4] = {15, 40, 80, 40};
const std::string allLabels = "123456789ABCDEFGHIJK";

// Every cell of a shipped map that holds one of chars.
Marks cellsOf(int map, const std::string& chars) {
    Marks found;
    for (int i = 0; contentTexts[map][i]; ++i)
        if (chars.find(contentTexts[map][i]) != std::string::npos)
            found.insert({contentTexts[map][i], {i % widths[map], i / widths[map]}});
    return found;
}

// An exact-size heap copy, so AddressSanitizer reports any read past the text's end. Kept out of
// line so the compiler cannot see the size and warn about the guarded reads past it.
[[gnu::noinline]] std::vector<char> heapText(const char* text) {
    return std::vector<char>(text, text + std::strlen(text) + 1);
}

// The cells of a fresh board's blocks, which must all be loose, in label order, and drawn there.
template <int W, int H> Cells loaded(const Level<W, H>& level) {
    EXPECT_TRUE(level.group.size() == 0 && level.loose.size() == level.partCount &&
                level.isSettled());
    Cells cells;
    for (int i = 0; i < level.partCount; ++i) {
        EXPECT_EQ(level.loose.get(i), &level.parts[i]) << "block " << i;
        cells.emplace_back(level.parts[i].x, level.parts[i].y);
    }
    return cells;
}

template <int W, int H> void play(Level<W, H>& level, int direction) {
    for (int frame = 0; frame < 60; ++frame)
        runBoard(nullptr, level, frame == 0 ? direction : 1000, 0, 0);
}

} // namespace

TEST(Content, ShippedMapsHaveWholeRowsAGoalPerLevelAndLoadTheirBlocksInLabelOrder) {
    const int lengths[4] = {180, 800, 4000, 1000}, blocks[4] = {20, 5, 6, 12};
    Cells starts[4];
    for (int m = 0; m < 4; ++m) {
        ASSERT_EQ(std::strlen(contentTexts[m]), static_cast<size_t>(lengths[m])) << "map " << m;
        // A row typed one character short or long shifts the side walls of every row after it.
        for (int y = m == 3 ? 10 : 0; y < lengths[m] / widths[m]; ++y) {
            const char* row = contentTexts[m] + y * widths[m];
            EXPECT_TRUE(row[0] == '#' && row[widths[m] - 1] == '#') << "map " << m << " row " << y;
        }
        // A label typed twice would show up twice; the set orders them as labels go.
        for (const auto& [label, cell] : cellsOf(m, allLabels)) starts[m].push_back(cell);
        EXPECT_EQ(starts[m].size(), static_cast<size_t>(blocks[m])) << "map " << m;
        EXPECT_EQ(cellsOf(m, "@").size(), m == 1 || m == 2 ? 1u : 0u) << "map " << m;
    }
    EXPECT_EQ(std::string(contentTexts[3], 400), std::string(400, ' '));
    EXPECT_EQ(loaded(titleBoard.make()), starts[0]);
    EXPECT_EQ(loaded(level1Board.make()), starts[1]);
    EXPECT_EQ(loaded(level2Board.make()), starts[2]);
    EXPECT_EQ(loaded(endBoard.make()), starts[3]);
}

TEST(Content, PosePatternsAndTheirParsing) {
    for (int e = 4; e <= 20; ++e) {
        std::string cells = contentTexts[e];
        EXPECT_EQ(cells.size(), 36u) << "entry " << e;
        // Sorted without its blanks, a pattern is its labels, each once and nothing else.
        cells.erase(std::remove(cells.begin(), cells.end(), ' '), cells.end());
        std::sort(cells.begin(), cells.end());
        const std::string labels = allLabels.substr(0, e == 11 ? 0 : (e < 12 ? 6 : 20));
        EXPECT_EQ(cells, labels) << "entry " << e;
    }

    // Parsing keeps the unbroken run of labels from "1", and stops at the end of a short text.
    Pose gap, all, part;
    gap.parse("                        4     12    ");
    EXPECT_TRUE(gap.labelCount == 2 && gap.cellX[1] == 1 && gap.cellY[1] == 5);
    all.parse("123456789ABCDEFGHIJK                ");
    EXPECT_TRUE(all.labelCount == 20 && all.cellX[19] == 1 && all.cellY[19] == 3);

    const auto shortText = heapText(" 21");
    part.parse(shortText.data());
    EXPECT_TRUE(part.labelCount == 2 && part.cellX[0] == 2 && part.cellY[0] == 0);
}

TEST(TileMap, ShortTextsAndCellsOutsideTheMapReadZero) {
    // '1' in the first cell and again later, '2' twice, '3' and '4' missing; the text ends in
    // the middle row of three, and steps read the cells around every block, past it too.
    const auto text = heapText("1 2 12  5");
    Level<5, 3> level(text.data(), chainPoses, nullptr, 5, 3);
    EXPECT_EQ(loaded(level), (Cells{{0, 0}, {2, 0}, {3, 1}}));
    EXPECT_EQ(level.map.cell(3, 1), '5');
    // cell(i, 0) names linear index i.
    for (int i : {-1, -100, 9, 14, 15, 1000}) EXPECT_EQ(level.map.cell(i, 0), 0) << i;
    for (int direction : {4, 8, -1, 6}) play(level, direction);
    EXPECT_EQ(level.group.size() + level.loose.size(), 3);
}
