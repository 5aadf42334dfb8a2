// Escape that asks, m that mutes, undo that repeats.
#include "app/Comfort.h"

#include "app/Music.h"
#include "app/Text.h"

const char leaveQuestion[] = "Escape again to leave, any other key to play on";

namespace {

bool onLevel(SceneId scene) {
    return scene == level1Scene || scene == level2Scene || scene >= firstMapScene;
}

} // namespace

bool takeComfortKey(LoopState& state) {
    const SDL_Event& e = state.event;
    // A window that loses the keyboard may never hear the key come up.
    if (e.type == SDL_ACTIVEEVENT) state.undoHeld = SDLK_UNKNOWN;
    if (e.type == SDL_KEYUP && e.key.keysym.sym == state.undoHeld) state.undoHeld = SDLK_UNKNOWN;
    if (e.type != SDL_KEYDOWN) return false;
    const SDLKey key = e.key.keysym.sym;
    if (state.asking) {
        state.asking = false;
        return key != SDLK_ESCAPE; // a second Escape leaves as one always did
    }
    // While the teeth move Escape goes on redirecting them at once.
    if (key == SDLK_ESCAPE && onLevel(state.scene) && state.nextScene == 0) {
        state.asking = true;
        return true;
    }
    if (key == SDLK_m) {
        state.muted = !state.muted;
        muteMusic(state.muted);
        return true;
    }
    if (state.practice && (key == SDLK_u || key == SDLK_BACKSPACE)) {
        state.undoHeld = key;
        state.undoFrames = 0;
    }
    return false;
}

void repeatUndo(LoopState& state) {
    if (state.undoHeld == SDLK_UNKNOWN) return;
    const int32_t f = ++state.undoFrames - undoRepeatDelay;
    if (f >= 0 && f % undoRepeatEvery == 0 && state.practiceKey == noPracticeKey)
        state.practiceKey = undoKey;
}

void drawComfort(LoopState& state, const Stage& stage) {
    if (state.nextScene != 0 || !onLevel(state.scene)) state.asking = false;
    if (!state.asking) return;
    SDL_Surface* screen = stage.screen;
    const int32_t w = textWidth(leaveQuestion) + 24, h = glyphH + 16;
    SDL_Rect box{static_cast<Sint16>(400 - w / 2), static_cast<Sint16>(250 - h / 2),
                 static_cast<Uint16>(w), static_cast<Uint16>(h)};
    SDL_FillRect(screen, &box, SDL_MapRGB(screen->format, 18, 20, 30));
    drawTextCentred(screen, stage.glyphs, 400, 250 - glyphH / 2, leaveQuestion, goldInk);
}
