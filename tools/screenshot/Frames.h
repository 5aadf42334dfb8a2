// What the screenshot tool's modes share: the picture of the latest flip, and frames run back
// to back.
#pragma once

#include <cstdint>
#include <vector>

#include "app/SceneLoop.h"

// RGB, row by row, as the latest SDL_Flip showed it.
extern std::vector<uint8_t> shown;
extern int shownW, shownH;

// Time runs one frame's worth per call, so the pacer never waits.
extern const Clock fastClock;

// Queues a key-down for the loop's next poll.
void press(SDLKey key);

// Plays a key file in its level's scene and saves the board at the end of each stage:
// BOARD|FILE.map KEYFILE OUTDIR LASTSTEP...
int routeShots(int argc, char* argv[]);

// Saves a map file's first frame, as the game shows it: FILE.map OUTPUT.png
int mapShot(int argc, char* argv[]);
