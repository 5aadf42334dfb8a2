// Tests of the board's step rules, poses, glide, camera and drawing, and long random play.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;

template <int W, int H> Cells cells(const Level<W, H>& lv) {
    Cells out;
    for (int i = 0; i < lv.partCount; ++i) out.emplace_back(lv.parts[i].x, lv.parts[i].y);
    return out;
}

template <int W, int H> std::vector<int> order(const Level<W, H>& lv, const PartBag& bag) {
    std::vector<int> out;
    for (int k = 0; k < bag.size(); ++k) out.push_back(static_cast<int>(bag.get(k) - lv.parts));
    return out;
}

template <int W, int H> std::pair<int, int> poses(const Level<W, H>& lv) {
    return {lv.currentPose, lv.requestedPose};
}

// A walled w x h room; the listed rows replace its blank ones.
std::string room(int w, int h, std::initializer_list<std::pair<int, const char*>> rows) {
    std::string text;
    for (int y = 0; y < h; ++y)
        text += y == 0 || y == h - 1 ? std::string(w, '#') : '#' + std::string(w - 2, ' ') + '#';
    for (const auto& row : rows) text.replace(row.first * w, w, row.second);
    return text;
}

template <int W, int H>
void makeRobot(Level<W, H>& lv, std::initializer_list<int> blocks, int pose = -1) {
    for (int b : blocks)
        for (int k = 0; k < lv.loose.size(); ++k)
            if (lv.loose.get(k) == &lv.parts[b]) {
                lv.group.push(lv.loose.takeAt(k));
                break;
            }
    lv.currentPose = lv.requestedPose = pose;
}

const std::string conveyorMap = room(10, 6, {{3, "#    12  #"}, {4, "#####>>>>#"}});

} // namespace

TEST(RulesStep, ConveyorsCarryTheRobotFirstInBagOrder) {
    Level<10, 6> lv(conveyorMap.c_str(), chainPoses, nullptr, 10, 6);
    makeRobot(lv, {0, 1});
    lv.step(); // the way is judged on the map only: Q's own cell counts as free
    EXPECT_EQ(cells(lv), (Cells{{6, 3}, {7, 3}}));
    lv.step();
    EXPECT_EQ(cells(lv), (Cells{{7, 3}, {8, 3}}));
    // Both blocks now push into the wall: nothing moves, and nothing else breaks.
    for (int i = 0; i < 3; ++i) lv.step();
    EXPECT_EQ(cells(lv), (Cells{{7, 3}, {8, 3}}));
    EXPECT_EQ(lv.group.size(), 2);

    // Only the first block in bag order on a conveyor acts, whichever way it points.
    const std::string map = room(10, 4, {{2, "#   12   #"}, {3, "####<>####"}});
    Level<10, 4> left(map.c_str(), chainPoses, nullptr, 10, 4);
    makeRobot(left, {0, 1});
    left.step();
    EXPECT_EQ(cells(left), (Cells{{3, 2}, {4, 2}}));
    Level<10, 4> right(map.c_str(), chainPoses, nullptr, 10, 4);
    makeRobot(right, {1, 0});
    right.step();
    EXPECT_EQ(cells(right), (Cells{{5, 2}, {6, 2}}));
}

TEST(RulesStep, FallOntoConveyorMovesDiagonallyAndGlidesTwentyFrames) {
    const std::string map = room(10, 5, {{1, "#  12    #"}, {3, "###>>>####"}});
    Level<10, 5> lv(map.c_str(), chainPoses, nullptr, 10, 5);
    makeRobot(lv, {0, 1});
    runBoard(nullptr, lv, 1000, 0, 0);
    EXPECT_EQ(cells(lv), (Cells{{4, 2}, {5, 2}}));
    for (int f = 1; f <= 20; ++f) {
        ASSERT_FALSE(lv.isSettled()) << "frame " << f;
        runBoard(nullptr, lv, 1000, 0, 0);
        EXPECT_EQ(lv.screenRects[0].x, 60 + f);
        EXPECT_EQ(lv.screenRects[0].y, 20 + f);
    }
    EXPECT_TRUE(lv.isSettled());
    runBoard(nullptr, lv, 1000, 0, 0); // the 21st frame steps: the robot rides on
    EXPECT_EQ(cells(lv), (Cells{{5, 2}, {6, 2}}));
}

TEST(RulesStep, ResetCellsShakeLooseBlocksAndBreakTheRobot) {
    const std::string open = room(10, 4, {{1, "#  1   2 #"}, {2, "###!###!##"}});
    Level<10, 4> lv(open.c_str(), chainPoses, nullptr, 10, 4);
    lv.step();
    EXPECT_EQ(cells(lv), (Cells{{2, 1}, {8, 1}}));
    EXPECT_FALSE(lv.shakeRight);
    // A block boxed in by walls still flips the toggle, so the next one goes right.
    const std::string boxed = room(10, 4, {{1, "##1#   2 #"}, {2, "##!####!##"}});
    Level<10, 4> box(boxed.c_str(), chainPoses, nullptr, 10, 4);
    box.step();
    EXPECT_EQ(cells(box), (Cells{{2, 1}, {8, 1}}));

    // A robot on a reset cell falls apart, and its blocks are shaken in the same step.
    const std::string reset = room(10, 4, {{1, "#  12    #"}, {2, "###!######"}});
    Level<10, 4> robot(reset.c_str(), chainPoses, nullptr, 10, 4);
    makeRobot(robot, {0, 1}, 8);
    robot.step();
    EXPECT_EQ(order(robot, robot.loose), (std::vector<int>{1, 0})); // last block first
    EXPECT_EQ(poses(robot), std::make_pair(-1, -1));
    EXPECT_EQ(cells(robot), (Cells{{2, 1}, {4, 1}}));
    EXPECT_EQ(std::string() + robot.parts[0].mark + robot.parts[1].mark, "00");
}

TEST(RulesStep, FallingBlockJoinsOnSecondStepAndPoseIsReapplied) {
    const std::string map = room(10, 12, {{7, "#    3   #"}, {10, "#    12  #"}});
    Level<10, 12> lv(map.c_str(), chainPoses, nullptr, 10, 12);
    makeRobot(lv, {0, 1}, 8);
    lv.step();
    EXPECT_EQ(cells(lv)[2], std::make_pair(5, 8));
    lv.step();
    EXPECT_EQ(cells(lv)[2], std::make_pair(5, 9));
    EXPECT_EQ(order(lv, lv.group), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(poses(lv), std::make_pair(-1, 8));
    lv.step(); // the held pose comes back by itself, anchored on the newcomer
    EXPECT_EQ(poses(lv), std::make_pair(8, 8));
    EXPECT_EQ(cells(lv), (Cells{{5, 9}, {6, 9}, {7, 9}}));
    lv.step(); // the start labels below read as ground free to fall into
    EXPECT_EQ(cells(lv), (Cells{{5, 10}, {6, 10}, {7, 10}}));
}

TEST(RulesStep, LooseBlocksRestOnLabelsLooseBlocksAndGoalButNotOnRobot) {
    const std::string map =
        room(12, 7, {{1, "#1     4567#"}, {2, "#2   3     #"}, {5, "#####@######"}});
    Level<12, 7> lv(map.c_str(), chainPoses, nullptr, 12, 7);
    makeRobot(lv, {4});
    lv.parts[4].set(9, 4);
    lv.parts[3].set(9, 3); // right above the robot block
    lv.parts[6].set(7, 4);
    lv.parts[5].set(7, 3); // right above another loose block
    for (int i = 0; i < 4; ++i) lv.step();
    // Block 0 stays over the label of a block long gone; block 2 lies on the goal for nothing;
    // block 3 shares the robot block's cell, so it is not next to it and does not join.
    EXPECT_EQ(cells(lv), (Cells{{1, 1}, {1, 4}, {5, 4}, {9, 4}, {9, 4}, {7, 3}, {7, 4}}));
    EXPECT_FALSE(lv.goalReached);
    EXPECT_EQ(lv.group.size(), 1);
}

TEST(RulesStep, RobotOnGoalWinsForGood) {
    const std::string map = room(8, 4, {{2, "#  12  #"}, {3, "###@####"}});
    Level<8, 4> lv(map.c_str(), chainPoses, nullptr, 8, 4);
    EXPECT_FALSE(runBoard(nullptr, lv, 1000, 0, 0));
    EXPECT_TRUE(runBoard(nullptr, lv, 6, 0, 0)); // z puts the second block on '@'
    for (int f = 0; f < 100; ++f) EXPECT_TRUE(runBoard(nullptr, lv, f % 3 ? 1000 : -1, 0, 0));
}

TEST(RulesPose, ChainFoldsRightAndUnfolds) {
    const std::string map = room(20, 14, {{12, "#         123456   #"}});
    Level<20, 14> lv(map.c_str(), chainPoses, nullptr, 20, 14);
    makeRobot(lv, {0, 1, 2, 3, 4, 5}, 8);
    lv.requestPose(2);
    lv.step();
    const Cells folded{{15, 12}, {15, 11}, {14, 11}, {14, 12}, {13, 12}, {13, 11}};
    EXPECT_EQ(cells(lv), folded);
    EXPECT_EQ(lv.currentPose, 2);
    lv.step();
    EXPECT_EQ(cells(lv), folded);
    lv.requestPose(8);
    lv.step();
    EXPECT_EQ(cells(lv), (Cells{{13, 11}, {14, 11}, {15, 11}, {16, 11}, {17, 11}, {18, 11}}));
    lv.step();
    const Cells unfolded{{13, 12}, {14, 12}, {15, 12}, {16, 12}, {17, 12}, {18, 12}};
    EXPECT_EQ(cells(lv), unfolded);
    lv.requestPose(8); // the pose already held: nothing to do
    lv.step();
    EXPECT_EQ(cells(lv), unfolded);
}

TEST(RulesPose, BlankPatternFormsRobotButNeverMovesIt) {
    const std::string map = room(10, 4, {{2, "#  12  3 #"}});
    Level<10, 4> lv(map.c_str(), chainPoses, nullptr, 10, 4);
    lv.requestPose(7); // x
    lv.step();
    lv.step();
    EXPECT_EQ(order(lv, lv.group), (std::vector<int>{0, 1}));
    EXPECT_EQ(cells(lv), (Cells{{3, 2}, {4, 2}, {7, 2}}));
    EXPECT_EQ(poses(lv), std::make_pair(-1, 7));
    lv.requestPose(8);
    lv.step();
    lv.requestPose(1); // w
    for (int i = 0; i < 3; ++i) lv.step();
    EXPECT_EQ(cells(lv), (Cells{{4, 2}, {5, 2}, {7, 2}}));
    EXPECT_EQ(poses(lv), std::make_pair(8, 1));

    // With no two blocks side by side no robot forms, and the request is dropped.
    const std::string apart = room(10, 3, {{1, "#1   2   #"}});
    Level<10, 3> alone(apart.c_str(), chainPoses, nullptr, 10, 3);
    alone.requestPose(8);
    alone.step();
    EXPECT_EQ(order(alone, alone.loose).size(), 2u);
    EXPECT_EQ(poses(alone), std::make_pair(-1, -1));
}

TEST(RulesPose, PoseOverWallWaitsUntilFallingFreesIt) {
    const std::string map = room(12, 12, {{3, "#  123456  #"}});
    Level<12, 12> lv(map.c_str(), chainPoses, nullptr, 12, 12);
    makeRobot(lv, {0, 1, 2, 3, 4, 5}, 8);
    lv.requestPose(4); // s: a column six tall over the last block, into the ceiling
    lv.step();
    lv.step();
    EXPECT_EQ(cells(lv)[0], std::make_pair(3, 5));
    EXPECT_EQ(poses(lv), std::make_pair(8, 4));
    lv.step();
    EXPECT_EQ(lv.currentPose, 4);
    EXPECT_EQ(cells(lv), (Cells{{8, 6}, {8, 5}, {8, 4}, {8, 3}, {8, 2}, {8, 1}}));
}

TEST(RulesPose, PosesReachingPastTheMapEdges) {
    // Above row 0 there is no map: the pose waits.
    Level<6, 2> up("  12  ######", chainPoses, nullptr, 6, 2);
    makeRobot(up, {0, 1}, 8);
    up.requestPose(4);
    up.step();
    EXPECT_EQ(up.currentPose, 8);
    EXPECT_EQ(cells(up), (Cells{{2, 0}, {3, 0}}));

    // Past the right edge a column names the next row's first cell, free here.
    Level<6, 4> lv("            "
                   "    12"
                   " #####",
                   chainPoses, nullptr, 6, 4);
    makeRobot(lv, {0, 1}, 8);
    lv.requestPose(5); // d: "2" right of "1"
    lv.step();
    EXPECT_EQ(lv.currentPose, 5);
    EXPECT_EQ(cells(lv), (Cells{{5, 2}, {6, 2}}));
    EXPECT_EQ(lv.parts[1].index(), lv.cellIndex(0, 3));
}

TEST(RulesPose, SpaceDuringGlideDissolvesAtOnce) {
    Level<10, 6> lv(conveyorMap.c_str(), chainPoses, nullptr, 10, 6);
    runBoard(nullptr, lv, 8, 0, 0);
    EXPECT_EQ(cells(lv), (Cells{{7, 3}, {8, 3}})); // posed, then carried by the conveyor
    ASSERT_FALSE(lv.isSettled());
    runBoard(nullptr, lv, -1, 0, 0);
    EXPECT_EQ(lv.group.size(), 0);
    EXPECT_EQ(poses(lv), std::make_pair(-1, -1));
    int frames = 0;
    for (; !lv.isSettled(); ++frames) runBoard(nullptr, lv, 1000, 0, 0);
    EXPECT_EQ(frames, 39); // two cells of glide, one frame already done

    runBoard(nullptr, lv, 8, 0, 0);
    EXPECT_EQ(order(lv, lv.group), (std::vector<int>{1, 0})); // seeded from the reordered bag
    EXPECT_EQ(cells(lv), (Cells{{8, 3}, {7, 3}}));
}

TEST(RulesCamera, TargetFollowsRobotAverage) {
    Level<80, 50> big(contentTexts[2], chainPoses, nullptr, 40, 25);
    makeRobot(big, {0});
    for (const auto& c : Cells{{20, 0}, {21, 1}, {60, 40}, {61, 40}}) {
        big.parts[0].set(c.first, 5);
        big.animate();
        EXPECT_EQ(big.camX, c.second) << "column " << c.first;
    }
    for (const auto& r : Cells{{12, 0}, {13, 0}, {14, 1}, {37, 24}, {38, 25}}) {
        big.parts[0].set(5, r.first);
        big.animate();
        EXPECT_EQ(big.camY, r.second) << "row " << r.first;
    }
    big.dissolve(); // without a robot the target stays
    big.animate();
    EXPECT_EQ(big.camY, 25);

    Level<40, 20> small(contentTexts[1], chainPoses, nullptr, 40, 20);
    makeRobot(small, {0});
    small.parts[0].set(30, 15);
    small.animate();
    EXPECT_EQ(std::make_pair(small.camX, small.camY), std::make_pair(0, 0));
}

TEST(RulesCamera, CameraGlidesWholeJumpOnePixelPerFrame) {
    Level<80, 50> big(contentTexts[2], chainPoses, nullptr, 40, 25);
    makeRobot(big, {3});
    big.parts[3].move(1, 0); // from (62, 14), one cell right as the view jumps
    big.animate();
    EXPECT_EQ(std::make_pair(big.camX, big.camY), std::make_pair(40, 1));
    int frames = 1;
    for (; frames < 20; ++frames) big.animate();
    EXPECT_EQ(big.screenRects[3].x, 62 * 20); // one cell right, one cell of scroll left
    for (; !big.isSettled() && frames < 2000; ++frames) big.animate();
    EXPECT_EQ(frames, 800);
    EXPECT_EQ(big.screenRects[3].x, (63 - 40) * 20);
}

namespace {

constexpr Uint32 background = 0xFFFFFF;

// Every pixel of the sheet says which 20 x 20 sprite it belongs to and where in it.
Uint32 sheetPixel(int sx, int sy, int px, int py) {
    return static_cast<Uint32>((sy * 20 + sx) << 16 | (px * 12) << 8 | py * 12);
}

SDL_Surface* surface(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
}

Uint32& pixel(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

struct Surfaces {
    SDL_Surface* sheet = surface(400, 60);
    SDL_Surface* screen = surface(800, 520);
    Surfaces() {
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 400; ++x)
                pixel(sheet, x, y) = sheetPixel(x / 20, y / 20, x % 20, y % 20);
        clear();
    }
    ~Surfaces() {
        SDL_FreeSurface(sheet);
        SDL_FreeSurface(screen);
    }
    void clear() { SDL_FillRect(screen, nullptr, background); }
};

std::string sprite(int x, int y) {
    return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

// Which sheet sprite lies exactly in the 20 x 20 square at (x, y), or "mixed".
std::string spriteAt(SDL_Surface* s, int x, int y) {
    const Uint32 corner = pixel(s, x, y);
    const int code = static_cast<int>(corner >> 16);
    if (code >= 60 || (corner & 0xFFFF) != 0) return corner == background ? "none" : "mixed";
    for (int py = 0; py < 20; ++py)
        for (int px = 0; px < 20; ++px)
            if (pixel(s, x + px, y + py) != sheetPixel(code % 20, code / 20, px, py))
                return "mixed";
    return sprite(code % 20 * 20, code / 20 * 20);
}

// The sheet's bottom row holds '>', '<', '!', '#', '@' and then the empty cell.
std::string cellSprite(char c) {
    const size_t k = c ? std::string("><!#@").find(c) : std::string::npos;
    return sprite(20 * static_cast<int>(k == std::string::npos ? 5 : k), 40);
}

// Forms the title board's robot from the given blocks, in bag order, numbers it and draws it;
// per block: 'L' its own top-row sprite, 'R' a robot block, 'M' the middle or last, 'B' the one
// before the middle.
std::string robotSprites(Surfaces& s, Level<15, 13>& lv, std::initializer_list<int> blocks) {
    makeRobot(lv, blocks, lv.currentPose);
    if (blocks.size() > 0) lv.group.numberParts();
    lv.loose.clearMarks();
    s.clear();
    lv.draw(s.screen, 0, 0);
    std::string shown;
    for (int b = 0; b < lv.partCount; ++b) {
        const std::string got = spriteAt(s.screen, lv.screenRects[b].x, lv.screenRects[b].y);
        shown += got == sprite(20 * b, 0) ? 'L'
                 : got == sprite(40, 20)  ? 'R'
                 : got == sprite(20, 20)  ? 'M'
                 : got == sprite(0, 20)   ? 'B'
                                          : '?';
    }
    return shown;
}

} // namespace

TEST(RulesDraw, TitleBoardLiesOnTheGridWithItsHiddenRow) {
    Surfaces s;
    Level<15, 13> title(contentTexts[0], dancerPoses, s.sheet, 15, 13);
    runBoard(s.screen, title, 1000, 0, 260);
    for (int i = 0; i < 15; ++i)
        for (int j = 0; j < 13; ++j) {
            const char c = title.map.cell(i, j);
            const int block = Level<15, 13>::isLabel(c) ? (c <= '9' ? c - '1' : c - 'A' + 9) : -1;
            const std::string want = block >= 0 ? sprite(20 * block, 0) : cellSprite(c);
            EXPECT_EQ(spriteAt(s.screen, 20 * i, 260 + 20 * j), want) << i << "," << j;
        }
    EXPECT_EQ(spriteAt(s.screen, 0, 500), sprite(100, 40)); // row 12 reads as code 0
    EXPECT_EQ(pixel(s.screen, 300, 300), background);
}

TEST(RulesDraw, EveryCharacterAndVacatedLabelsAtAnyOffset) {
    Surfaces s;
    const char* map = "#!<>@ xZ"
                      "#1 1 #  "
                      "#    #  "; // the last row lies past the text
    Level<8, 4> lv(map, chainPoses, s.sheet, 8, 4);
    lv.step(); // the block falls off its label
    while (!lv.isSettled()) lv.animate();
    lv.draw(s.screen, 33, 47);
    const char* want[4] = {"#!<>@   ", "#    #  ", "#    #  ", "        "};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) {
            const std::string expected = i == 1 && j == 2 ? sprite(0, 0) : cellSprite(want[j][i]);
            EXPECT_EQ(spriteAt(s.screen, 33 + 20 * i, 47 + 20 * j), expected) << i << "," << j;
        }
    EXPECT_EQ(pixel(s.screen, 32, 46), background);
}

TEST(RulesDraw, GlidingCameraShiftsCellsButNotBlocks) {
    Surfaces s;
    Level<80, 50> lv(contentTexts[2], chainPoses, s.sheet, 40, 25);
    lv.camX = 30;
    lv.camY = 20;
    lv.camPixX = 593; // 7 pixels left to glide across, 3 back up
    lv.camPixY = 403;
    for (SDL_Rect& r : lv.screenRects) r.x = -100; // out of sight, but for one
    lv.screenRects[4].x = 660;
    lv.screenRects[4].y = 100;
    lv.loose.clearMarks();
    lv.draw(s.screen, 0, 0);
    for (int i = 0; i < 30; ++i)
        for (int j = 1; j < 25; ++j)
            EXPECT_EQ(spriteAt(s.screen, 20 * i + 7, 20 * j - 3),
                      cellSprite(lv.map.cell(30 + i, 20 + j)))
                << i << "," << j;
    EXPECT_EQ(spriteAt(s.screen, 660, 100), sprite(80, 0));
}

TEST(RulesDraw, RobotSpritesBySizeAndBagPosition) {
    Surfaces s;
    Level<15, 13> six(contentTexts[0], dancerPoses, s.sheet, 15, 13);
    EXPECT_EQ(robotSprites(s, six, {0, 1, 2, 3, 4, 5}), "RRRRRMLLLLLLLLLLLLLL");
    // Seven in reverse: bag position 3 is block 3, position 2 block 4, the last block 0.
    Level<15, 13> seven(contentTexts[0], dancerPoses, s.sheet, 15, 13);
    EXPECT_EQ(robotSprites(s, seven, {6, 5, 4, 3, 2, 1, 0}), "RRRMBRRLLLLLLLLLLLLL");
    Level<15, 13> all(contentTexts[0], dancerPoses, s.sheet, 15, 13);
    EXPECT_EQ(robotSprites(s, all,
                           {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}),
              "RRRRRRRRRBMRRRRRRRRR");
    // A pose just taken resets the marks: every block shows its own top-row sprite.
    all.requestPose(8);
    all.step();
    ASSERT_EQ(all.currentPose, 8);
    EXPECT_EQ(robotSprites(s, all, {}), "LLLLLLLLLLLLLLLLLLLL");
}

TEST(RulesDraw, MissingSheetOrScreenDrawsNothing) {
    Surfaces s;
    Level<40, 20> lv(contentTexts[1], chainPoses, nullptr, 40, 20);
    for (int f = 0; f < 200; ++f) runBoard(s.screen, lv, f == 0 ? 8 : 1000, 0, 0);
    EXPECT_EQ(lv.group.size(), 2);
    for (int y = 0; y < 520; y += 7)
        for (int x = 0; x < 800; x += 7) ASSERT_EQ(pixel(s.screen, x, y), background);

    Level<40, 20> noScreen(contentTexts[1], chainPoses, s.sheet, 40, 20);
    for (int f = 0; f < 50; ++f) runBoard(nullptr, noScreen, 8, 0, 0);
}

namespace {

template <int W, int H> testing::AssertionResult consistent(const Level<W, H>& lv, bool wasWon) {
    if (lv.group.size() + lv.loose.size() != lv.partCount)
        return testing::AssertionFailure() << "bags " << lv.group.size() << "+" << lv.loose.size();
    for (int i = 0; i < lv.partCount; ++i) {
        int seen = 0;
        for (int k = 0; k < lv.group.size(); ++k) seen += lv.group.get(k) == &lv.parts[i];
        for (int k = 0; k < lv.loose.size(); ++k) seen += lv.loose.get(k) == &lv.parts[i];
        if (seen != 1) return testing::AssertionFailure() << "block " << i << " in " << seen;
        const char under = lv.terrain(lv.parts[i].index());
        if (under != ' ') return testing::AssertionFailure() << "block " << i << " on " << under;
    }
    if (lv.requestedPose == -1 && lv.currentPose != -1)
        return testing::AssertionFailure() << "pose " << lv.currentPose << " held unrequested";
    if (wasWon && !lv.goalReached) return testing::AssertionFailure() << "goal lost";
    return testing::AssertionSuccess();
}

// Sparse random keys, Space among them, over fresh boards (two blocks that a Space dropped
// apart may never meet again); returns how many poses were taken.
template <int W, int H>
int randomPlay(const char* map, const char* const* poses, int vw, int vh, unsigned seed) {
    std::mt19937 rng(seed);
    int taken = 0;
    for (int round = 0; round < 6; ++round) {
        Level<W, H> lv(map, poses, nullptr, vw, vh);
        int held = -1;
        for (int f = 0; f < 50000; ++f) {
            int direction = 1000;
            if (rng() % 40 == 0) direction = rng() % 100 == 0 ? -1 : static_cast<int>(rng() % 9);
            const bool won = lv.goalReached;
            runBoard(nullptr, lv, direction, 0, 0);
            EXPECT_TRUE(consistent(lv, won)) << "round " << round << " frame " << f;
            if (testing::Test::HasFailure()) return taken;
            if (lv.currentPose != held && lv.currentPose != -1) ++taken;
            held = lv.currentPose;
        }
    }
    return taken;
}

} // namespace

TEST(RulesRandomPlay, InvariantsHoldOnEveryShippedBoard) {
    EXPECT_GT((randomPlay<15, 13>(contentTexts[0], dancerPoses, 15, 13, 1)), 400);
    EXPECT_GT((randomPlay<40, 20>(contentTexts[1], chainPoses, 40, 20, 2)), 400);
    EXPECT_GT((randomPlay<80, 50>(contentTexts[2], chainPoses, 40, 25, 3)), 400);
    EXPECT_GT((randomPlay<40, 25>(contentTexts[3], chainPoses, 40, 25, 4)), 400);
}
