// Start-up shared by the game and its tools: window, pictures, tracks and the boards, with the
// maps and practice keys a run may add to the shipped game.
#pragma once

#include <memory>
#include <vector>

#include "app/Chooser.h"
#include "app/Course.h"
#include "app/Hints.h"
#include "app/Practice.h"
#include "app/Scale.h"
#include "app/SceneLoop.h"
#include "app/Zoom.h"
#include "board/Level.h"
#include "content/Boards.h"

// A map played from a file, drawn centred when it fits the screen.
template <int W, int H> struct MapBoard {
    Level<W, H> board;
    Level<W, H> fresh; // what a restart brings back
    int32_t offX, offY;
    Zoom zoom; // off unless the run draws small maps large

    MapBoard(const MapFile& map, SDL_Surface* sprites)
        : board(map.boardText.c_str(), map.figurePoses ? dancerPoses : chainPoses, sprites,
                map.viewW, map.viewH),
          fresh(board), offX(map.large ? 0 : (scrollW - map.width) * cellSize / 2),
          offY(map.large ? 0 : (scrollH - map.height) * cellSize / 2) {}
};

// The four boards, built once in this order and kept for the whole run; the maps' boards and
// the practice rings beside them.
struct GameBoards {
    Level<15, 13> title;
    Level<40, 20> level1;
    Level<80, 50> level2;
    Level<40, 25> ragequit;

    explicit GameBoards(SDL_Surface* sprites, const Course& course = Course{});

    // The level boards as loaded, for restarts.
    Level<40, 20> level1Fresh;
    Level<80, 50> level2Fresh;
    struct MapSlot {
        std::unique_ptr<MapBoard<40, 25>> small;
        std::unique_ptr<MapBoard<80, 50>> large;
    };
    std::vector<MapSlot> maps;
    // One ring for each size of level board: only one level is played at a time.
    UndoRing<Level<40, 20>> undo40x20;
    UndoRing<Level<40, 25>> undo40x25;
    UndoRing<Level<80, 50>> undo80x50;
    // The chooser, the card, the step counter and progress; idle unless the course asks.
    Pack pack;
    // Practice and pack runs: h asks for the next move.
    HintBox hints;
};

// The game's boards in their scenes: the levels take the practice keys.
void runSceneBoard(LoopState& state, SDL_Surface* screen, GameBoards& boards);
// At the teeth's closed point: a restarted level becomes its fresh board; a new level starts
// its undo afresh.
void wipeClosed(LoopState& state, GameBoards& boards);

// Halts the music and hands back every picture and track, then SDL. The game never does (it
// keeps everything to the end, on purpose); its tools do, so leak checkers see a clean exit.
void releaseStage(Stage& stage);

// Opens the window, loads the pictures and tracks and starts the first scene's track.
// False when there is no screen: nothing after that can run.
bool startUp(Stage& stage, const Course& course = Course{},
             const ScreenPlan& screen = ScreenPlan{});
