// Tests of the compiled-in maps and poses, pattern parsing, map reads, the bags and the board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"

namespace {

using Cell = std::pair<int, int>;
using Cells = std::vector<Cell>;
using Marks = std::multiset<std::pair<char, Cell>>;
const int widths[4] = {15, 40, 80, 40};
const std::string allLabels = "123456789ABCDEFGHIJK";
const std::string startLabels[4] = {allLabels, "12345", "123456", "123456ABCDEF"};

// Every cell of a shipped map that holds one of chars; a label typed twice shows up twice.
Marks cellsOf(int map, const std::string& chars) {
    Marks found;
    for (int i = 0; contentTexts[map][i]; ++i)
        if (chars.find(contentTexts[map][i]) != std::string::npos)
            found.insert({contentTexts[map][i], {i % widths[map], i / widths[map]}});
    return found;
}

// The start cells of a shipped map's blocks, in the order of startLabels.
Cells startCells(int map) {
    Cells cells;
    if (map == 0)
        for (char label : allLabels) {
            const int k = static_cast<int>(std::string("9ABC87ED56FG43IH12JK").find(label));
            cells.push_back({5 + k % 4, 6 + k / 4});
        }
    if (map == 1) cells = {{2, 4}, {2, 5}, {6, 5}, {10, 2}, {38, 9}};
    if (map == 2) cells = {{3, 2}, {3, 3}, {70, 3}, {62, 14}, {63, 25}, {64, 37}};
    if (map == 3)
        for (int x : {1, 2, 3, 4, 5, 6, 33, 34, 35, 36, 37, 38}) cells.push_back({x, 11});
    return cells;
}

// An exact-size heap copy, so AddressSanitizer reports any read past the text's end. Kept out of
// line so the compiler cannot see the size and warn about the guarded reads past it.
[[gnu::noinline]] std::unique_ptr<char[]> heapText(const char* text) {
    std::unique_ptr<char[]> copy(new char[std::strlen(text) + 1]);
    std::strcpy(copy.get(), text);
    return copy;
}

std::string marksOf(const RobotParts& robot) {
    return {robot.middleMark, robot.beforeMiddleMark, robot.lastMark};
}

template <int W, int H> void expectFresh(const Level<W, H>& level, const Cells& cells) {
    ASSERT_EQ(level.partCount, static_cast<int>(cells.size()));
    EXPECT_TRUE(level.group.size() == 0 && level.loose.size() == level.partCount);
    for (int i = 0; i < level.partCount; ++i) {
        const GridPos& p = level.parts[i];
        const SDL_Rect& r = level.screenRects[i];
        EXPECT_EQ(level.loose.get(i), &p) << "block " << i;
        EXPECT_EQ(std::make_pair(p.x, p.y), cells[i]) << "block " << i;
        EXPECT_TRUE(p.mapW == W && p.mapH == H) << "block " << i;
        EXPECT_TRUE(r.x == p.x * 20 && r.y == p.y * 20 && r.w == 20 && r.h == 20) << i;
    }
    EXPECT_TRUE(level.currentPose == -1 && level.requestedPose == -1);
    EXPECT_FALSE(level.goalReached || level.shakeRight);
    EXPECT_TRUE(level.isSettled());
}

template <int W, int H> void play(Level<W, H>& level, int direction) {
    for (int frame = 0; frame < 60; ++frame)
        runBoard(nullptr, level, frame == 0 ? direction : 1000, 0, 0);
}

template <int W, int H> std::vector<int> snapshot(const Level<W, H>& level) {
    std::vector<int> s{level.group.size(), level.loose.size(), level.currentPose,
                       level.requestedPose};
    for (int i = 0; i < maxParts; ++i)
        s.insert(s.end(), {level.parts[i].x, level.parts[i].y, level.parts[i].mark,
                           level.screenRects[i].x, level.screenRects[i].y});
    return s;
}

} // namespace

TEST(Content, MapsHaveWholeWalledRows) {
    const int lengths[4] = {180, 800, 4000, 1000};
    for (int m = 0; m < 4; ++m) {
        ASSERT_EQ(std::strlen(contentTexts[m]), static_cast<size_t>(lengths[m])) << "map " << m;
        // A row typed one character short or long shifts the side walls of every row after it.
        for (int y = m == 3 ? 10 : 0; y < lengths[m] / widths[m]; ++y) {
            const char* row = contentTexts[m] + y * widths[m];
            EXPECT_TRUE(row[0] == '#' && row[widths[m] - 1] == '#') << "map " << m << " row " << y;
        }
    }
    EXPECT_EQ(std::string(contentTexts[3], 400), std::string(400, ' '));
}

TEST(Content, StartGoalAndResetCells) {
    for (int m = 0; m < 4; ++m) {
        Marks starts;
        for (size_t i = 0; i < startLabels[m].size(); ++i)
            starts.insert({startLabels[m][i], startCells(m)[i]});
        EXPECT_EQ(cellsOf(m, allLabels), starts) << "map " << m;
    }
    EXPECT_EQ(cellsOf(1, "@!"), (Marks{{'@', {4, 12}}, {'!', {28, 5}}}));
    EXPECT_EQ(cellsOf(2, "@!"), (Marks{{'@', {9, 25}}}));
    EXPECT_TRUE(cellsOf(0, "@!").empty() && cellsOf(3, "@!").empty());
}

TEST(Content, ConveyorRuns) {
    struct Run {
        int map, row;
        char c;
        int from, to, stride;
    };
    const Run runs[] = {{0, 11, '>', 1, 3, 1},   {0, 11, '<', 11, 13, 1}, {1, 3, '>', 12, 20, 1},
                        {1, 3, '<', 36, 38, 1},  {1, 4, '>', 21, 23, 1},  {1, 4, '<', 33, 35, 1},
                        {1, 5, '>', 24, 26, 1},  {1, 5, '<', 30, 32, 1},  {1, 7, '>', 27, 27, 1},
                        {1, 7, '<', 29, 29, 1},  {1, 19, '<', 10, 14, 1}, {2, 4, '>', 9, 25, 1},
                        {2, 9, '>', 26, 47, 7},  {2, 9, '<', 30, 51, 7},  {2, 10, '>', 27, 48, 7},
                        {2, 10, '<', 29, 50, 7}, {2, 13, '<', 20, 28, 1}, {2, 15, '>', 49, 51, 1},
                        {2, 18, '<', 25, 35, 1}, {2, 20, '<', 2, 15, 1},  {2, 20, '>', 24, 34, 1},
                        {2, 22, '<', 25, 35, 1}, {2, 24, '>', 24, 34, 1}, {2, 29, '>', 1, 14, 1},
                        {3, 12, '<', 3, 8, 1},   {3, 16, '<', 3, 8, 1},   {3, 14, '>', 1, 6, 1},
                        {3, 18, '>', 1, 6, 1},   {3, 24, '>', 1, 2, 1},   {3, 24, '<', 7, 8, 1}};
    for (int m = 0; m < 4; ++m) {
        Marks expected;
        for (const Run& r : runs)
            for (int x = r.from; r.map == m && x <= r.to; x += r.stride) {
                expected.insert({r.c, {x, r.row}});
                if (m == 3) expected.insert({r.c, {x + 30, r.row}}); // the second box
            }
        EXPECT_EQ(cellsOf(m, "<>"), expected) << "map " << m;
    }
}

TEST(Content, PoseSetsAndPatterns) {
    const int chainEntries[9] = {8, 11, 7, 9, 4, 10, 6, 11, 5};
    const int dancerEntries[9] = {12, 14, 13, 18, 15, 16, 19, 20, 17};
    const int dancerOneColumn[9] = {1, 1, 4, 5, 4, 0, 4, 1, 1};
    for (int d = 0; d < 9; ++d) {
        EXPECT_EQ(chainPoses[d], contentTexts[chainEntries[d]]) << "direction " << d;
        EXPECT_EQ(dancerPoses[d], contentTexts[dancerEntries[d]]) << "direction " << d;
        EXPECT_EQ(findLabel(dancerPoses[d], '1'), 30 + dancerOneColumn[d]) << "direction " << d;
    }
    for (int e = 4; e <= 20; ++e) {
        std::string cells = contentTexts[e];
        EXPECT_EQ(cells.size(), 36u) << "entry " << e;
        // Sorted without its blanks, a pattern is its labels, each once and nothing else.
        cells.erase(std::remove(cells.begin(), cells.end(), ' '), cells.end());
        std::sort(cells.begin(), cells.end());
        const std::string labels = allLabels.substr(0, e == 11 ? 0 : (e < 12 ? 6 : 20));
        EXPECT_EQ(cells, labels) << "entry " << e;
        Pose pose;
        pose.parse(contentTexts[e]);
        EXPECT_EQ(pose.labelCount, static_cast<int>(labels.size())) << "entry " << e;
        EXPECT_TRUE(labels.empty() || pose.cellY[0] == 5) << "entry " << e;
    }
}

TEST(PosePattern, ChainShapesRelativeToLabelOne) {
    const int offsets[9][6][2] = {{{0, 0}, {0, -1}, {1, -1}, {1, 0}, {2, 0}, {2, -1}},
                                  {},
                                  {{0, 0}, {0, -1}, {-1, -1}, {-1, 0}, {-2, 0}, {-2, -1}},
                                  {{0, 0}, {-1, 0}, {-1, -1}, {-2, -1}, {-3, -1}, {1, 0}},
                                  {{0, 0}, {0, -1}, {0, -2}, {0, -3}, {0, -4}, {0, -5}},
                                  {{0, 0}, {1, 0}, {1, -1}, {2, -1}, {3, -1}, {-1, 0}},
                                  {{0, 0}, {-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}, {-5, 0}},
                                  {},
                                  {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}};
    for (int d = 0; d < 9; ++d) {
        Pose pose;
        pose.parse(chainPoses[d]);
        const bool blank = d == 1 || d == 7;
        ASSERT_EQ(pose.labelCount, blank ? 0 : 6) << "direction " << d;
        if (blank) continue;
        ASSERT_TRUE(pose.useFirst(6));
        pose.anchorAt(10, 20);
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(pose.placedX(i) - 10 == offsets[d][i][0] &&
                        pose.placedY(i) - 20 == offsets[d][i][1])
                << "direction " << d << " label " << i + 1;
    }
}

TEST(PosePattern, ParsesTheUnbrokenRunOfLabels) {
    Pose gap, all, part;
    gap.parse("                        4     12    ");
    EXPECT_TRUE(gap.labelCount == 2 && gap.cellX[1] == 1 && gap.cellY[1] == 5);
    all.parse("123456789ABCDEFGHIJK                ");
    EXPECT_TRUE(all.labelCount == 20 && all.cellX[19] == 1 && all.cellY[19] == 3);
    EXPECT_TRUE(all.offsetX == 0 && all.offsetY == 0 && all.activeCount() == 20);

    const auto shortText = heapText(" 21");
    EXPECT_EQ(findLabel(shortText.get(), '2'), 1);
    EXPECT_EQ(findLabel(shortText.get(), '3'), -1);
    part.parse(shortText.get());
    EXPECT_TRUE(part.labelCount == 2 && part.cellX[0] == 2 && part.cellY[0] == 0);
}

TEST(TileMap, ReadsZeroPastTheTextAndOutsideTheMap) {
    TileMap<15, 13> title;
    title.setText(contentTexts[0]);
    for (int x = 0; x < 15; ++x) EXPECT_TRUE(title.cell(x, 12) == 0 && title.cell(x, 11) != 0);
    TileMap<40, 20> level1;
    level1.setText(contentTexts[1]);
    // cell(i, 0) names linear index i.
    for (int i : {-1, -100, 195, 195 + 1000}) EXPECT_EQ(title.cell(i, 0), 0) << i;
    for (int i : {-1, -100, 800, 800 + 1000}) EXPECT_EQ(level1.cell(i, 0), 0) << i;

    const auto text = heapText("1 2 5");
    using SmallMap = TileMap<3, 3>;
    SmallMap small;
    small.setText(text.get());
    EXPECT_TRUE(small.cell(2, 0) == '2' && small.cell(1, 1) == '5');
    EXPECT_TRUE(small.cell(2, 1) == 0 && small.cell(2, 2) == 0 && small.cell(9, 0) == 0);
    EXPECT_EQ(SmallMap::find(text.get(), '5'), 4);
    EXPECT_EQ(SmallMap::find(text.get(), '9'), -1);

    GridPos lastColumn{}, nextRow{};
    lastColumn.init(39, 3, 40, 20);
    nextRow.init(0, 4, 40, 20);
    EXPECT_EQ(lastColumn.indexAt(1, 0), nextRow.index());
    EXPECT_TRUE(lastColumn.touches(nextRow, 1, 0) && nextRow.touches(lastColumn, -1, 0));
}

TEST(PartBag, CursorRefusalsAndTakeCurrent) {
    GridPos cells[21] = {};
    PartBag bag;
    EXPECT_TRUE(bag.pop() == nullptr && bag.get(0) == nullptr && bag.takeCurrent() == nullptr);
    bag.push(nullptr);
    EXPECT_EQ(bag.size(), 0);
    for (GridPos& c : cells) bag.push(&c);
    bag.push(nullptr);
    EXPECT_TRUE(bag.size() == 20 && bag.get(19) == &cells[19] && bag.get(20) == nullptr);
    int visited = 0;
    for (bag.rewind(); !bag.atEnd(); bag.next()) EXPECT_EQ(bag.current(), &cells[visited++]);
    EXPECT_EQ(visited, 20);
    EXPECT_TRUE(bag.next() == &cells[0] && bag.current() == &cells[0]);
    EXPECT_TRUE(bag.atEnd() && bag.cursor == 20);

    PartBag four;
    for (int i = 0; i < 4; ++i) four.push(&cells[i]);
    four.next();
    EXPECT_EQ(four.takeCurrent(), &cells[1]);
    EXPECT_TRUE(four.size() == 3 && four.get(1) == &cells[3] && four.cursor == 1);
    EXPECT_TRUE(four.next() == &cells[3] && four.next() == &cells[2] && four.atEnd());
}

TEST(RobotParts, NumbersBlocksAndPicksDistinguishedMarks) {
    GridPos cells[20] = {};
    RobotParts robot;
    robot.numberParts();
    EXPECT_EQ(marksOf(robot), std::string(3, '\0'));
    for (int i = 0; i < 6; ++i) robot.push(&cells[i]);
    robot.numberParts();
    EXPECT_EQ(marksOf(robot), "436");
    while (robot.size() > 1) robot.pop();
    robot.numberParts();
    EXPECT_EQ(marksOf(robot), "131");
    for (int i = 1; i < 20; ++i) robot.push(&cells[i]);
    robot.numberParts();
    EXPECT_EQ(marksOf(robot), "A:J");
    std::string marks;
    for (const GridPos& c : cells) marks += c.mark;
    EXPECT_EQ(marks, "123456789:ABCDEFGHIJ");
}

TEST(Level, ShippedMapsLoadTheirBlocks) {
    const Level<15, 13> title(contentTexts[0], dancerPoses, nullptr, 15, 13);
    expectFresh(title, startCells(0));
    for (const Pose& pose : title.poses) EXPECT_EQ(pose.labelCount, 20);
    const Level<40, 20> level1(contentTexts[1], chainPoses, nullptr, 40, 20);
    expectFresh(level1, startCells(1));
    EXPECT_TRUE(level1.poses[1].labelCount == 0 && level1.poses[8].labelCount == 6);
    const Level<80, 50> level2(contentTexts[2], chainPoses, nullptr, 40, 25);
    expectFresh(level2, startCells(2));
    EXPECT_TRUE(level2.viewW == 40 && level2.viewH == 25);
    expectFresh(Level<40, 25>(contentTexts[3], chainPoses, nullptr, 40, 25), startCells(3));
}

TEST(Level, LoadsFirstOccurrencesInLabelOrderFromAShortText) {
    // '1' in the first cell and again later, '2' twice, '3' and '4' missing; the text ends in
    // the middle row of three.
    const auto text = heapText("1 2 12  5");
    Level<5, 3> level(text.get(), chainPoses, nullptr, 5, 3);
    expectFresh(level, {{0, 0}, {2, 0}, {3, 1}});
    // Steps read the cells around every block, past the text's end too.
    for (int direction : {4, 8, -1, 6}) {
        play(level, direction);
        EXPECT_EQ(level.group.size() + level.loose.size(), 3);
    }
}

TEST(Level, CopiesEvolveApartFromTheirOriginal) {
    Level<40, 20> original(contentTexts[1], chainPoses, nullptr, 40, 20);
    const auto fresh = snapshot(original);
    Level<40, 20> copy(original);
    EXPECT_EQ(snapshot(copy), fresh);
    play(copy, 4);
    EXPECT_EQ(snapshot(original), fresh);
    EXPECT_EQ(copy.group.size(), 2);

    // Assigned with a robot formed, onto a board of another map, so everything must be replaced.
    Level<40, 20> assigned(contentTexts[2], chainPoses, nullptr, 40, 20);
    assigned = copy;
    const auto formed = snapshot(copy);
    EXPECT_EQ(snapshot(assigned), formed);
    play(assigned, 6);
    EXPECT_EQ(snapshot(copy), formed);
    EXPECT_NE(snapshot(assigned), formed);
    for (const Level<40, 20>* level : {&copy, &assigned})
        for (int i = 0; i < maxParts; ++i)
            for (const GridPos* p : {level->group.items[i], level->loose.items[i]})
                EXPECT_TRUE(!p || (p >= level->parts && p < level->parts + maxParts));
}
