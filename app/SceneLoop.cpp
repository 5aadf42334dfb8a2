// The scene loop's frame steps that need no board.
#include "app/SceneLoop.h"

#include "app/Music.h"

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
        state.scene = -1;
        return;
    }
    if (state.event.type != SDL_KEYDOWN) return;
    state.pressed = state.event.key.keysym.sym;
    switch (state.event.key.keysym.sym) {
    case SDLK_RETURN:
        if (state.scene == 1) state.nextScene = 2;
        break;
    case SDLK_ESCAPE:
        if (state.scene == 8)
            state.scene = -1;
        else if (!state.chooser)
            state.nextScene = 8;
        break;
    case SDLK_SPACE:
        state.direction = -1;
        break;
    case SDLK_r:
        if (state.practice) state.practiceKey = restartKey;
        break;
    case SDLK_u:
    case SDLK_BACKSPACE:
        if (state.practice) state.practiceKey = undoKey;
        break;
    case SDLK_q:
        state.direction = 0;
        break;
    case SDLK_w:
        state.direction = 1;
        break;
    case SDLK_e:
        state.direction = 2;
        break;
    case SDLK_a:
        state.direction = 3;
        break;
    case SDLK_s:
        state.direction = 4;
        break;
    case SDLK_d:
        state.direction = 5;
        break;
    case SDLK_z:
        state.direction = 6;
        break;
    case SDLK_x:
        state.direction = 7;
        break;
    case SDLK_c:
        state.direction = 8;
        break;
    default:
        break;
    }
    // Undo takes a point before each key that reaches a board.
    for (SDLKey key :
         {SDLK_SPACE, SDLK_q, SDLK_w, SDLK_e, SDLK_a, SDLK_s, SDLK_d, SDLK_z, SDLK_x, SDLK_c})
        if (state.event.key.keysym.sym == key) state.keyed = true;
}

Mix_Music* trackOf(const Stage& stage, SceneId scene) {
    const size_t map = static_cast<size_t>(scene - firstMapScene);
    if (scene >= firstMapScene && map < stage.largeMaps.size())
        return stage.largeMaps[map] ? stage.level2Track : stage.level1Track;
    switch (scene) {
    case 1:
    case chooserScene:
    case cardScene:
        return stage.titleTrack;
    case 2:
        return stage.level1Track;
    case 3:
        return stage.level2Track;
    case 8:
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
            if (state.scene != -1) {
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
    if (state.scene == 1)
        SDL_UpperBlit(stage.titlePicture, nullptr, stage.screen, nullptr);
    else if (state.scene == 8)
        SDL_UpperBlit(stage.loosePicture, nullptr, stage.screen, nullptr);
    else
        SDL_FillRect(stage.screen, nullptr, SDL_MapRGB(stage.screen->format, 0, 0, 0));
}
