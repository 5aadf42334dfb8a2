// What the harnesses that run the game's frames share: a headless screen, frames back to back,
// and (tools/fuzz/BoardRules.h) the rules every board keeps whatever it is handed.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "app/SceneLoop.h"
#include "app/Video.h"
#include "tools/fuzz/BoardRules.h"

// The dummy drivers' screen; a harness cannot go on without one. The boards draw nothing without
// a sprite sheet, but the loop, the wipe and the rules all run.
inline void headlessStage(Stage& stage) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    stage.screen = initVideo("!#@*");
    if (stage.screen == nullptr) std::abort();
}

inline Uint32 harnessNow = 0;
inline const Clock backToBack{[] { return harnessNow += 17; }, [](Uint32) {}};
