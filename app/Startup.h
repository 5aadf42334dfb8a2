// Start-up shared by the game and the screenshot tool: window, pictures, tracks and the four
// boards.
#pragma once

#include "app/Scale.h"
#include "app/SceneLoop.h"
#include "board/Level.h"
#include "content/Content.h"

// The four boards, built once in this order and kept for the whole run.
struct GameBoards {
    Level<15, 13> title;
    Level<40, 20> level1;
    Level<80, 50> level2;
    Level<40, 25> ragequit;

    explicit GameBoards(SDL_Surface* sprites)
        : title(contentTexts[0], dancerPoses, sprites, 15, 13),
          level1(contentTexts[1], chainPoses, sprites, 40, 20),
          level2(contentTexts[2], chainPoses, sprites, 40, 25),
          ragequit(contentTexts[3], chainPoses, sprites, 40, 25) {}
};

// Opens the window, loads the pictures and tracks and starts the title track.
// False when there is no screen: nothing after that can run.
bool startUp(Stage& stage, const ScreenPlan& screen = ScreenPlan{});
