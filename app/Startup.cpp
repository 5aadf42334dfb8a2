// The game's start-up, in the order the player's first frame relies on, and its boards.
#include "app/Startup.h"

#include "app/Music.h"
#include "app/Video.h"

GameBoards::GameBoards(SDL_Surface* sprites, const Course& course)
    : title(titleBoard.make(sprites)), level1(level1Board.make(sprites)),
      level2(level2Board.make(sprites)), ragequit(endBoard.make(sprites)), level1Fresh(level1),
      level2Fresh(level2), pack(course) {
    hints.enabled = course.practice || course.chooser;
    for (const MapFile& map : course.maps) {
        MapSlot slot;
        if (map.large)
            slot.large = std::make_unique<MapBoard<80, 50>>(map, sprites);
        else
            slot.small = std::make_unique<MapBoard<40, 25>>(map, sprites);
        if (slot.small && course.comfort)
            slot.small->zoom.make(map.viewW * cellSize, map.viewH * cellSize, sprites);
        maps.push_back(std::move(slot));
    }
    if (!course.practice) return;
    // Copies made now, so that no key ever allocates one.
    if (course.maps.empty()) {
        undo40x20.reserve(level1);
        undo80x50.reserve(level2);
    }
    for (const MapSlot& slot : maps) {
        if (slot.small && !undo40x25.ready()) undo40x25.reserve(slot.small->board);
        if (slot.large && !undo80x50.ready()) undo80x50.reserve(slot.large->board);
    }
}

namespace {

// One frame of a level: the practice keys first, then the board with the frame's direction.
// `map` is the map file's place in the course, -1 for the shipped levels.
template <int W, int H>
void playLevel(LoopState& state, SDL_Surface* screen, Level<W, H>& board,
               UndoRing<Level<W, H>>& undo, int32_t offX, int32_t offY, SceneId next, Pack& pack,
               HintBox& hints, int32_t shortest, int32_t map = -1, const Zoom* zoom = nullptr) {
    // A zoomed map's board draws at 1x into its own surface; the counter goes on the screen.
    SDL_Surface* drawn = zoom ? zoom->begin() : screen;
    const int32_t boardX = zoom ? 0 : offX, boardY = zoom ? 0 : offY;
    auto show = [&] {
        if (zoom) zoom->show(screen);
        pack.drawCounter(screen, shortest, zoom ? zoom->left : offX, zoom ? zoom->top : offY,
                         board.viewH * (zoom ? zoom->factor : 1));
    };
    // A hint is about the board as the frame finds it; any other key leaves the question.
    hints.frame(board.state());
    if (state.practiceKey == hintKey && state.nextScene == 0 && !board.hasWon())
        hints.ask(board, undo);
    else if (state.keyed || state.practiceKey != noPracticeKey)
        hints.drop();
    // Nothing to take back while the teeth move or once the goal is reached.
    if (state.practiceKey != noPracticeKey && state.nextScene == 0 && !board.hasWon()) {
        // An undone board is shown as it was, not stepped on from there in the same frame.
        if (state.practiceKey == undoKey && undo.pop(board)) {
            pack.stepsUndo.pop(pack.steps);
            board.draw(drawn, boardX, boardY);
            show();
            return;
        }
        if (state.practiceKey == restartKey) {
            // The restart can be undone too: r sits next to e.
            undo.push(board);
            pack.stepsUndo.push(pack.steps);
            state.nextScene = state.scene;
            state.restartPending = true;
        }
    }
    // Keys during a restart's closing teeth reach a board about to be thrown away.
    if (state.keyed && !state.restartPending) {
        undo.push(board);
        pack.stepsUndo.push(pack.steps);
    }
    const bool won = board.hasWon();
    if (pack.steps.frame(board, state.keyed,
                         [&] { return runBoard(drawn, board, state.direction, boardX, boardY); })) {
        state.nextScene = pack.chooser ? cardScene : next;
        if (!won && map >= 0) pack.solved(map, pack.steps.steps);
    }
    if (pack.chooser && state.pressed == SDLK_ESCAPE) {
        state.nextScene = chooserScene;
        pack.selected = map; // the level left is the one to try again
    }
    hints.drawOutline(drawn, board, boardX, boardY); // enlarged with the board
    show();
    hints.drawLabel(screen, pack.text(), zoom ? zoom->top : offY,
                    board.viewH * cellSize * (zoom ? zoom->factor : 1));
}

} // namespace

void runSceneBoard(LoopState& state, SDL_Surface* screen, GameBoards& boards) {
    switch (state.scene) {
    case titleScene:
        runBoard(screen, boards.title, state.direction, 0, 260);
        return;
    case level1Scene:
        playLevel(state, screen, boards.level1, boards.undo40x20, 0, 0, level2Scene, boards.pack,
                  boards.hints, shippedShortest[0]);
        return;
    case level2Scene:
        playLevel(state, screen, boards.level2, boards.undo80x50, 0, 0, endScene, boards.pack,
                  boards.hints, shippedShortest[1]);
        return;
    case chooserScene:
        boards.pack.runChooser(state, screen);
        return;
    case cardScene:
        boards.pack.runCard(state, screen);
        return;
    case endScene:
        runBoard(screen, boards.ragequit, state.direction, 0, 0);
        return;
    default:
        break;
    }
    const size_t k = static_cast<size_t>(state.scene - firstMapScene);
    if (state.scene < firstMapScene || k >= boards.maps.size()) return;
    const SceneId next = k + 1 < boards.maps.size() ? state.scene + 1 : endScene;
    GameBoards::MapSlot& slot = boards.maps[k];
    const int32_t shortest = boards.pack.levels[k].shortest, map = static_cast<int32_t>(k);
    if (slot.small)
        playLevel(state, screen, slot.small->board, boards.undo40x25, slot.small->offX,
                  slot.small->offY, next, boards.pack, boards.hints, shortest, map,
                  slot.small->zoom.on() ? &slot.small->zoom : nullptr);
    else
        playLevel(state, screen, slot.large->board, boards.undo80x50, slot.large->offX,
                  slot.large->offY, next, boards.pack, boards.hints, shortest, map);
}

void wipeClosed(LoopState& state, GameBoards& boards) {
    // The chooser takes over the card's track.
    if (boards.pack.leavingCard && state.scene == chooserScene) state.quietWipe = true;
    boards.pack.leavingCard = false;
    boards.pack.steps = StepCounter{};
    boards.hints.forget();
    if (!state.quietWipe) {
        boards.undo40x20.clear();
        boards.undo40x25.clear();
        boards.undo80x50.clear();
        boards.pack.stepsUndo.clear();
        return;
    }
    const size_t k = static_cast<size_t>(state.scene - firstMapScene);
    if (state.scene == level1Scene) {
        boards.level1 = boards.level1Fresh;
    } else if (state.scene == level2Scene) {
        boards.level2 = boards.level2Fresh;
    } else if (state.scene >= firstMapScene && k < boards.maps.size()) {
        GameBoards::MapSlot& slot = boards.maps[k];
        if (slot.small) slot.small->board = slot.small->fresh;
        if (slot.large) slot.large->board = slot.large->fresh;
    }
}

bool startUp(Stage& stage, const Course& course, const ScreenPlan& screen) {
    stage.screen =
        screen.plain() ? initVideo("!#@*") : openScaledScreen("!#@*", screen, stage.window);
    if (stage.screen == nullptr) return false;
    stage.titlePicture = loadImage("./img/title.bmp");
    stage.tooth = loadImage("./img/tooth.bmp");
    stage.sprites = loadImage("./img/bot.bmp");
    stage.loosePicture = loadImage("./img/loose.bmp");
    if (course.chooser || course.counter) stage.glyphs = loadImage("./img/glyphs.bmp");

    initAudio();
    stage.titleTrack = loadMusic("./snd/goof.ogg");
    stage.level1Track = loadMusic("./snd/robot_wars.ogg");
    stage.level2Track = loadMusic("./snd/lurm.ogg");
    stage.endTrack = loadMusic("./snd/down.ogg");
    for (const MapFile& map : course.maps) stage.largeMaps.push_back(map.large);
    playMusic(trackOf(stage, course.firstScene()));
    return true;
}

void releaseStage(Stage& stage) {
    stopMusic();
    for (Mix_Music* m : {stage.titleTrack, stage.level1Track, stage.level2Track, stage.endTrack})
        if (m) Mix_FreeMusic(m);
    Mix_CloseAudio();
    for (SDL_Surface* s :
         {stage.titlePicture, stage.tooth, stage.sprites, stage.loosePicture, stage.glyphs})
        if (s) SDL_FreeSurface(s);
    if (stage.window.surface) SDL_FreeSurface(stage.screen); // a scaled run's own 800 x 500
    SDL_Quit();
}
