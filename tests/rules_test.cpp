// Tests of pose pattern parsing, the board's step rules, poses, glide, camera and drawing, and
// long random play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <forward_list>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "board/Level.h"
#include "content/Boards.h"
#include "tools/fuzz/BoardRules.h"

namespace {

using Rows = std::initializer_list<std::pair<int, const char*>>;
const std::string allLabels = "123456789ABCDEFGHIJK";

// Both bags as block labels in bag order: "robot|loose".
template <int W, int H> std::string bags(const Level<W, H>& lv) {
    std::string s;
    for (const PartBag* bag : std::initializer_list<const PartBag*>{&lv.group, &lv.loose})
        for (int k = 0; k < bag->size(); ++k)
            s += labelOf(static_cast<int>(bag->get(k) - lv.parts));
    return s.insert(lv.group.size(), "|");
}

// "held/asked robot|loose x,y ...": the poses, both bags and every block's cell.
template <int W, int H> std::string state(const Level<W, H>& lv) {
    std::string s = std::to_string(lv.currentPose) + "/" + std::to_string(lv.requestedPose);
    s += " " + bags(lv);
    for (int i = 0; i < lv.partCount; ++i)
        s += " " + std::to_string(lv.parts[i].x) + "," + std::to_string(lv.parts[i].y);
    return s;
}

// One step per line: the key pressed ('-' for none), then the state the board must show.
template <int W, int H> void play(Level<W, H>& lv, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) {
        lv.requestPose(static_cast<int>(std::string("qweasdzxc-").find(line[0]))); // 9: no key
        lv.step();
        EXPECT_EQ(line.substr(0, 2) + state(lv), line);
    }
}

// Moves the blocks of the given labels, in that order, from the loose bag to the robot.
template <int W, int H> void makeRobot(Level<W, H>& lv, const std::string& robot, int pose = -1) {
    for (char label : robot)
        for (int k = 0; k < lv.loose.size(); ++k)
            if (lv.loose.get(k) == &lv.parts[allLabels.find(label)]) {
                lv.group.push(lv.loose.takeAt(k));
                break;
            }
    lv.currentPose = lv.requestedPose = pose;
}

// A walled W x H room whose listed rows replace blank ones, with a robot of the given labels.
// The board points into its text, so every text lives until the program ends.
template <int W, int H> Level<W, H> room(Rows rows, const char* robot = "", int pose = -1) {
    static std::forward_list<std::string> texts;
    std::string& text = texts.emplace_front();
    for (int y = 0; y < H; ++y)
        text += y == 0 || y == H - 1 ? std::string(W, '#') : '#' + std::string(W - 2, ' ') + '#';
    for (const auto& row : rows) text.replace(row.first * W, W, row.second);
    Level<W, H> lv(text.c_str(), chainPoses, nullptr, W, H);
    makeRobot(lv, robot, pose);
    return lv;
}

using Cell = std::pair<int, int>;
using Cells = std::vector<Cell>;
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

} // namespace

TEST(RulesStep, ConveyorsCarryTheRobotAndBlocksGlideToTheirCells) {
    // The way is judged on the map only, so the robot's own cells count as free; then both
    // blocks push into the wall, and nothing moves or breaks.
    const Rows ride = {{3, "#    12  #"}, {4, "#####>>>>#"}};
    auto lv = room<10, 6>(ride, "12");
    play(lv, {"- -1/-1 12| 6,3 7,3", "- -1/-1 12| 7,3 8,3", "- -1/-1 12| 7,3 8,3",
              "- -1/-1 12| 7,3 8,3", "- -1/-1 12| 7,3 8,3"});
    // Only the first block in bag order on a conveyor acts, whichever way it points.
    const Rows split = {{2, "#   12   #"}, {3, "####<>####"}};
    auto left = room<10, 4>(split, "12");
    play(left, {"- -1/-1 12| 3,2 4,2"});
    auto right = room<10, 4>(split, "21");
    play(right, {"- -1/-1 21| 5,2 6,2"});

    auto glide = room<10, 6>(ride);
    runBoard(nullptr, glide, 8, 0, 0);
    EXPECT_EQ(state(glide), "8/8 12| 7,3 8,3"); // posed, then carried by the conveyor
    ASSERT_FALSE(glide.isSettled());
    runBoard(nullptr, glide, -1, 0, 0);
    EXPECT_EQ(state(glide), "-1/-1 |21 7,3 8,3");
    int frames = 0;
    for (; !glide.isSettled(); ++frames) runBoard(nullptr, glide, 1000, 0, 0);
    EXPECT_EQ(frames, 39); // two cells of glide, one frame already done
    runBoard(nullptr, glide, 8, 0, 0);
    EXPECT_EQ(state(glide), "8/8 21| 8,3 7,3"); // seeded from the reordered bag

    // Falling onto a conveyor moves diagonally in one step, then glides for twenty frames.
    auto fall = room<10, 5>({{1, "#  12    #"}, {3, "###>>>####"}}, "12");
    runBoard(nullptr, fall, 1000, 0, 0);
    EXPECT_EQ(state(fall), "-1/-1 12| 4,2 5,2");
    for (int f = 1; f <= 20; ++f) {
        ASSERT_FALSE(fall.isSettled()) << "frame " << f;
        runBoard(nullptr, fall, 1000, 0, 0);
        EXPECT_TRUE(fall.screenRects[0].x == 60 + f && fall.screenRects[0].y == 20 + f) << f;
    }
    EXPECT_TRUE(fall.isSettled());
    runBoard(nullptr, fall, 1000, 0, 0); // the 21st frame steps: the robot rides on
    EXPECT_EQ(state(fall), "-1/-1 12| 5,2 6,2");
}

TEST(RulesStep, ResetCellsShakeLooseBlocksAndBreakTheRobot) {
    // A block boxed in by walls still flips the toggle, so the next one goes right.
    for (const auto& rows :
         {std::make_pair("#  1   2 #", "###!###!##"), std::make_pair("##1#   2 #", "##!####!##")}) {
        auto lv = room<10, 4>({{1, rows.first}, {2, rows.second}});
        play(lv, {"- -1/-1 |12 2,1 8,1"});
        EXPECT_FALSE(lv.shakeRight) << rows.first;
    }
    // A robot on a reset cell falls apart, last block first, and its blocks are shaken in the
    // same step.
    auto robot = room<10, 4>({{1, "#  12    #"}, {2, "###!######"}}, "12", 8);
    play(robot, {"- -1/-1 |21 2,1 4,1"});
    EXPECT_EQ(std::string() + robot.parts[0].mark + robot.parts[1].mark, "00");
}

TEST(RulesStep, FallingBlockJoinsOnSecondStepAndPoseIsReapplied) {
    // The held pose comes back by itself, anchored on the newcomer; then the start labels below
    // read as ground free to fall into.
    auto lv = room<10, 12>({{7, "#    3   #"}, {10, "#    12  #"}}, "12", 8);
    play(lv, {"- 8/8 12|3 5,10 6,10 5,8", "- -1/8 123| 5,10 6,10 5,9", "- 8/8 123| 5,9 6,9 7,9",
              "- 8/8 123| 5,10 6,10 7,10"});
}

TEST(RulesStep, LooseBlocksRestAnywhereButOnTheRobotAndOnlyTheRobotWins) {
    auto lv = room<12, 7>({{1, "#1     4567#"}, {2, "#2   3     #"}, {5, "#####@######"}}, "5");
    // Blocks 4 to 7: 4 right above the robot block 5 at (9, 4), 6 right above the loose 7.
    for (int i = 3; i <= 6; ++i) lv.parts[i].set(i < 5 ? 9 : 7, i % 2 ? 3 : 4);
    for (int i = 0; i < 4; ++i) lv.step();
    // Block 1 stays over the label of a block long gone; block 3 lies on the goal for nothing;
    // block 4 shares the robot block's cell, so it is not next to it and does not join.
    EXPECT_EQ(state(lv), "-1/-1 5|123476 1,1 1,4 5,4 9,4 9,4 7,3 7,4");
    EXPECT_FALSE(lv.goalReached);

    // Loose blocks ride conveyors each its own way.
    auto belts = room<10, 4>({{1, "#  1  2  #"}, {2, "###<##>###"}});
    play(belts, {"- -1/-1 |12 2,1 7,1"});

    // A robot on the goal wins for good.
    auto win = room<8, 4>({{2, "#  12  #"}, {3, "###@####"}});
    EXPECT_FALSE(runBoard(nullptr, win, 1000, 0, 0));
    EXPECT_TRUE(runBoard(nullptr, win, 6, 0, 0)); // z puts the second block on '@'
    for (int f = 0; f < 100; ++f) EXPECT_TRUE(runBoard(nullptr, win, f % 3 ? 1000 : -1, 0, 0));
}

TEST(RulesPose, ChainFoldsAndUnfoldsButBlankPatternsNeverMoveIt) {
    // c -> e -> c, and c again once it is held: nothing to do.
    auto lv = room<20, 14>({{12, "#         123456   #"}}, "123456", 8);
    play(lv, {"e 2/2 123456| 15,12 15,11 14,11 14,12 13,12 13,11",
              "- 2/2 123456| 15,12 15,11 14,11 14,12 13,12 13,11",
              "c 8/8 123456| 13,11 14,11 15,11 16,11 17,11 18,11",
              "- 8/8 123456| 13,12 14,12 15,12 16,12 17,12 18,12",
              "c 8/8 123456| 13,12 14,12 15,12 16,12 17,12 18,12"});

    // A blank pattern (x, then c, then w) forms a robot but never moves it.
    auto blank = room<10, 4>({{2, "#  12  3 #"}});
    play(blank, {"x -1/7 12|3 3,2 4,2 7,2", "- -1/7 12|3 3,2 4,2 7,2", "c 8/8 12|3 4,2 5,2 7,2",
                 "w 8/1 12|3 4,2 5,2 7,2", "- 8/1 12|3 4,2 5,2 7,2", "- 8/1 12|3 4,2 5,2 7,2"});
    // With no two blocks side by side no robot forms, and the request is dropped.
    auto alone = room<10, 3>({{1, "#1   2   #"}});
    play(alone, {"c -1/-1 |12 1,1 5,1"});
}

TEST(RulesPose, PosesOverWallsOrPastTheMapEdges) {
    // s: a column six tall over the last block, into the ceiling, waits until falling frees it.
    auto lv = room<12, 12>({{3, "#  123456  #"}}, "123456", 8);
    play(lv, {"s 8/4 123456| 3,4 4,4 5,4 6,4 7,4 8,4", "- 8/4 123456| 3,5 4,5 5,5 6,5 7,5 8,5",
              "- 4/4 123456| 8,6 8,5 8,4 8,3 8,2 8,1"});

    // Above row 0 there is no map: the pose waits.
    Level<6, 2> up("  12  ######", chainPoses, nullptr, 6, 2);
    makeRobot(up, "12", 8);
    play(up, {"s 8/4 12| 2,0 3,0"});
    // Past the right edge a column names the next row's first cell, free here; d puts "2" right
    // of "1".
    Level<6, 4> wrap("            "
                     "    12"
                     " #####",
                     chainPoses, nullptr, 6, 4);
    makeRobot(wrap, "12", 8);
    play(wrap, {"d 5/5 12| 5,2 6,2"});
}

TEST(RulesCamera, TargetFollowsRobotAverageAndTheViewGlidesOnePixelPerFrame) {
    Level<80, 50> big = level2Board.make();
    makeRobot(big, "4");
    big.parts[3].move(1, 0); // from (62, 14), one cell right as the view jumps
    big.animate();
    EXPECT_EQ(std::make_pair(big.camX, big.camY), std::make_pair(40, 1));
    int frames = 1;
    for (; frames < 20; ++frames) big.animate();
    EXPECT_EQ(big.screenRects[3].x, 62 * 20); // one cell right, one cell of scroll left
    for (; !big.isSettled() && frames < 2000; ++frames) big.animate();
    EXPECT_EQ(frames, 800);
    EXPECT_EQ(big.screenRects[3].x, (63 - 40) * 20);

    // Block cell, then the camera cell it asks for.
    const int cases[5][4] = {
        {20, 12, 0, 0}, {21, 13, 1, 0}, {60, 14, 40, 1}, {61, 37, 40, 24}, {5, 38, 0, 25}};
    for (const auto& c : cases) {
        big.parts[3].set(c[0], c[1]);
        big.animate();
        EXPECT_EQ(std::make_pair(big.camX, big.camY), std::make_pair(c[2], c[3]));
    }
    big.dissolve(); // without a robot the target stays
    big.animate();
    EXPECT_EQ(big.camY, 25);

    Level<40, 20> small = level1Board.make();
    makeRobot(small, "1");
    small.parts[0].set(30, 15);
    small.animate();
    EXPECT_EQ(std::make_pair(small.camX, small.camY), std::make_pair(0, 0));
}

namespace {

constexpr Uint32 background = 0xFFFFFF;

Uint32& pixel(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

// The sprite filling the 20 x 20 square at (x, y): its code, -1 for none, -2 mixed. Every sheet
// pixel holds the code of its sprite, row * 20 + column, so a sprite cut off or shifted mixes.
int spriteAt(SDL_Surface* s, int x, int y) {
    const Uint32 corner = pixel(s, x, y);
    for (int py = 0; py < 20; ++py)
        for (int px = 0; px < 20; ++px)
            if (pixel(s, x + px, y + py) != corner) return -2;
    return corner == background ? -1 : static_cast<int>(corner);
}

// Every cell of a w x h view drawn from (x, y) against the sprite want(i, j) names.
template <typename Want> void expectGrid(SDL_Surface* s, int x, int y, int w, int h, Want want) {
    for (int i = 0; i < w; ++i)
        for (int j = 0; j < h; ++j)
            EXPECT_EQ(spriteAt(s, x + 20 * i, y + 20 * j), want(i, j)) << i << "," << j;
}

// The sheet's bottom row holds '>', '<', '!', '#', '@' and then the empty cell.
int cellSprite(char c) {
    return 40 + static_cast<int>(std::min<size_t>(c ? std::string("><!#@").find(c) : 5, 5));
}

// Every draw test gets a fresh sheet and a blank screen.
class RulesDraw : public testing::Test {
  protected:
    // Software surfaces whose pixels hold the codes as they are.
    SDL_Surface* sheet = SDL_CreateRGBSurface(0, 400, 60, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Surface* screen = SDL_CreateRGBSurface(0, 800, 520, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    RulesDraw() {
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 400; ++x)
                pixel(sheet, x, y) = static_cast<Uint32>(y / 20 * 20 + x / 20);
        SDL_FillRect(screen, nullptr, background);
    }
    ~RulesDraw() override {
        SDL_FreeSurface(sheet);
        SDL_FreeSurface(screen);
    }

    // Re-forms the title board's robot from the given labels, in bag order, numbers it and draws
    // it; per block: 'L' its own top-row sprite, 'R' a robot block, 'M' the middle or last, 'B' the
    // one before the middle.
    std::string robotSprites(Level<15, 13>& lv, const std::string& robot) {
        if (!robot.empty()) {
            lv.dissolve();
            makeRobot(lv, robot);
            lv.group.numberParts();
        }
        lv.loose.clearMarks();
        lv.draw(screen, 0, 0);
        std::string shown;
        for (int b = 0; b < lv.partCount; ++b) {
            const int got = spriteAt(screen, lv.screenRects[b].x, lv.screenRects[b].y);
            shown += got == b ? 'L' : got >= 20 && got <= 22 ? "BMR"[got - 20] : '?';
        }
        return shown;
    }
};

} // namespace

TEST_F(RulesDraw, EveryCharacterAndVacatedLabelsAtAnyOffsetAndCamera) {
    const char* map = "#!<>@ xZ"
                      "#1 1 #  "
                      "#    #  "; // the last row lies past the text
    Level<8, 4> lv(map, chainPoses, sheet, 8, 4);
    lv.step(); // the block falls off its label
    while (!lv.isSettled()) lv.animate();
    lv.draw(screen, 33, 47);
    const char* want[4] = {"#!<>@   ", "#    #  ", "#    #  ", "        "};
    expectGrid(screen, 33, 47, 8, 4,
               [&](int i, int j) { return i == 1 && j == 2 ? 0 : cellSprite(want[j][i]); });
    // Nothing is drawn outside the view.
    EXPECT_TRUE(pixel(screen, 32, 46) == background && spriteAt(screen, 193, 47) == -1);

    // A camera one cell right, 13 of its 20 pixels glided, and 3 pixels above: the cells
    // follow it, the block stays at its own screen spot.
    lv.camX = 1;
    lv.camPixX = 13;
    lv.camPixY = -3;
    SDL_FillRect(screen, nullptr, background);
    lv.draw(screen, 33, 47);
    for (int j : {0, 3})
        expectGrid(screen, 40, 50 + 20 * j, 7, 1,
                   [&](int i, int) { return cellSprite(want[j][i + 1]); });
    EXPECT_EQ(spriteAt(screen, 53, 87), 0);
}

TEST_F(RulesDraw, RobotSpritesBySizeAndBagPosition) {
    Level<15, 13> lv = titleBoard.make(sheet);
    EXPECT_EQ(robotSprites(lv, "123456"), "RRRRRMLLLLLLLLLLLLLL");
    // Seven in reverse: bag position 3 is block 4, position 2 block 5, the last block 1.
    EXPECT_EQ(robotSprites(lv, "7654321"), "RRRMBRRLLLLLLLLLLLLL");
    EXPECT_EQ(robotSprites(lv, "123456789ABCDEFGHIJK"), "RRRRRRRRRBMRRRRRRRRR");
    // A pose just taken resets the marks: every block shows its own top-row sprite.
    lv.requestPose(8);
    lv.step();
    ASSERT_EQ(lv.currentPose, 8);
    EXPECT_EQ(robotSprites(lv, ""), "LLLLLLLLLLLLLLLLLLLL");
    lv.step(); // and the next step numbers them again
    EXPECT_EQ(robotSprites(lv, ""), "RRRRRRRRRBMRRRRRRRRR");
}

namespace {

// Sparse random keys, Space among them, over fresh boards (two blocks that a Space dropped
// apart may never meet again); returns how many poses were taken.
template <int W, int H> int randomPlay(const ShippedBoard<W, H>& board, unsigned seed) {
    std::mt19937 rng(seed);
    int taken = 0;
    for (int round = 0; round < 6; ++round) {
        Level<W, H> lv = board.make();
        for (int f = 0, held = -1; f < 50000; ++f, held = lv.currentPose) {
            const int key = rng() % 40 ? 1000 : rng() % 100 == 0 ? -1 : static_cast<int>(rng() % 9);
            const bool won = lv.goalReached;
            runBoard(nullptr, lv, key, 0, 0);
            checkBoard(lv, lv.partCount, won);
            taken += lv.currentPose != held && lv.currentPose != -1;
        }
    }
    return taken;
}

} // namespace

TEST(RulesRandomPlay, InvariantsHoldOnEveryShippedBoard) {
    EXPECT_GT(randomPlay(titleBoard, 1), 400);
    EXPECT_GT(randomPlay(level1Board, 2), 400);
    EXPECT_GT(randomPlay(level2Board, 3), 400);
    EXPECT_GT(randomPlay(endBoard, 4), 400);
}

TEST(Content, PosePatternsKeepTheirUnbrokenRunOfLabels) {
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
    for (int direction : {4, 8, -1, 6})
        for (int frame = 0; frame < 60; ++frame)
            runBoard(nullptr, level, frame == 0 ? direction : 1000, 0, 0);
    EXPECT_EQ(level.group.size() + level.loose.size(), 3);
}
