// The scene loop: the frame steps that need no board, and the frame over the game's boards.
#include "app/SceneLoop.h"

#include "app/Comfort.h"
#include "app/Music.h"
#include "app/Startup.h"
#include "content/Keys.h"

static Uint32 nextTick = 0;

Uint32 frameDelay(Uint32 now) {
    if (now < nextTick) return nextTick - now; // nextTick stays: the next frame runs at once
    nextTick = now + 16;
    return 0;
}

void paceFrame(const Clock& clock) {
    Uint32 wait = frameDelay(clock.ticks());
    if (wait != 0) clock.delay(wait);
}

void takeEvent(LoopState& state) {
    if (state.event.type == SDL_QUIT) {
        state.scene = quitScene;
        return;
    }
    if (state.comfort && takeComfortKey(state)) return;
    if (state.event.type != SDL_KEYDOWN) return;
    state.pressed = state.event.key.keysym.sym;
    switch (state.event.key.keysym.sym) {
    case SDLK_RETURN:
        if (state.scene == titleScene) state.nextScene = level1Scene;
        break;
    case SDLK_ESCAPE:
        if (state.scene == endScene)
            state.scene = quitScene;
        else if (!state.chooser)
            state.nextScene = endScene;
        break;
    case SDLK_r:
        if (state.practice) state.practiceKey = restartKey;
        break;
    case SDLK_u:
    case SDLK_BACKSPACE:
        if (state.practice) state.practiceKey = undoKey;
        break;
    case SDLK_h:
        if (state.practice || state.chooser) state.practiceKey = hintKey;
        break;
    default:
        break;
    }
    // The pose keys and Space reach the board; undo takes a point before each of them.
    const int direction = directionOf(state.event.key.keysym.sym);
    if (direction != noKey) {
        state.direction = direction;
        state.keyed = true;
    }
}

Mix_Music* trackOf(const Stage& stage, SceneId scene) {
    const size_t map = static_cast<size_t>(scene - firstMapScene);
    if (scene >= firstMapScene && map < stage.largeMaps.size())
        return stage.largeMaps[map] ? stage.level2Track : stage.level1Track;
    switch (scene) {
    case titleScene:
    case chooserScene:
    case cardScene:
        return stage.titleTrack;
    case level1Scene:
        return stage.level1Track;
    case level2Scene:
        return stage.level2Track;
    case endScene:
        return stage.endTrack;
    default:
        return nullptr;
    }
}

void stepWipe(LoopState& state, const Stage& stage) {
    bool ended = false;
    if (state.nextScene != state.scene || state.restartPending) {
        // A quit is final: the teeth still close but the scene no longer changes.
        if (state.wipe >= 250) {
            if (state.scene != quitScene) {
                // A restart keeps the scene, and so its track; any other request wins over it.
                state.quietWipe = state.nextScene == state.scene;
                state.scene = state.nextScene;
                state.restartPending = false;
                state.closed = true;
            }
        } else {
            state.wipe += 4;
        }
    } else if (state.wipe > 0) {
        state.wipe -= 6; // may overshoot to -2 after a redirect, and stays there
    } else {
        state.nextScene = 0;
        ended = true;
    }
    for (int i = 0; i < 8; ++i) {
        // The blit clips the rectangle, so the position is set again for the second row.
        state.tmp.x = static_cast<Sint16>(100 * i);
        state.tmp.y = static_cast<Sint16>(state.wipe - 250);
        state.tmp.w = 0;
        state.tmp.h = 0;
        SDL_UpperBlit(stage.tooth, nullptr, stage.screen, &state.tmp);
        state.tmp.x = static_cast<Sint16>(100 * i);
        state.tmp.y = static_cast<Sint16>(500 - state.wipe);
        SDL_UpperBlit(stage.tooth, nullptr, stage.screen, &state.tmp);
    }
    if (ended && !state.quietWipe) {
        stopMusic();
        playMusic(trackOf(stage, state.scene));
    }
    if (ended) state.quietWipe = false;
}

void layBackground(const LoopState& state, const Stage& stage) {
    if (state.scene == titleScene)
        SDL_UpperBlit(stage.titlePicture, nullptr, stage.screen, nullptr);
    else if (state.scene == endScene)
        SDL_UpperBlit(stage.loosePicture, nullptr, stage.screen, nullptr);
    else
        SDL_FillRect(stage.screen, nullptr, SDL_MapRGB(stage.screen->format, 0, 0, 0));
}

bool runFrame(LoopState& state, const Stage& stage, GameBoards& boards, const Clock& clock,
              const EventSource& events) {
    if (state.scene == quitScene) return false;
    paceFrame(clock);
    // One event a frame: a burst of keys is spread over as many frames.
    if (events.poll(events.context, &state.event)) takeEvent(state);
    if (state.comfort) repeatUndo(state);
    runSceneBoard(state, stage.screen, boards);
    if (state.comfort) drawComfort(state, stage);
    state.direction = noKey;
    state.keyed = false;
    state.practiceKey = noPracticeKey;
    state.pressed = SDLK_UNKNOWN;
    if (state.nextScene != 0) stepWipe(state, stage);
    if (state.closed) {
        wipeClosed(state, boards);
        state.closed = false;
    }
    if (stage.window.surface)
        presentScaled(stage.screen, stage.window);
    else
        SDL_Flip(stage.screen);
    layBackground(state, stage);
    return true;
}
