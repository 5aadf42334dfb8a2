// The game's entry: start-up, the scene loop and shut-down.
#include "app/Entry.h"
#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"

int SDL_main(int, char*[]) {
    LoopState state;
    Stage stage;
    if (!startUp(stage)) {
        // Nothing can be drawn without a screen: stop here rather than crash in the first frame.
        SDL_Quit();
        return 1;
    }
    GameBoards boards(stage.sprites);

    while (runFrame(state, stage, boards)) {
    }

    stopMusic();
    Mix_CloseAudio();
    SDL_Quit();
    return 0;
}
