// What the screenshot tool's modes share: the picture of the latest flip, and frames run back
// to back.
#pragma once

#include <cstdint>
#include <vector>

#include "app/Course.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"

// RGB, row by row, as the latest SDL_Flip showed it.
extern std::vector<uint8_t> shown;
extern int shownW, shownH;

// Time runs one frame's worth per call, so the pacer never waits.
extern const Clock fastClock;

// The game's own start-up, with no display or sound card needed (a caller may still pick other
// drivers) and no pointer drawn into the pictures; false, said on standard error, if it fails
// or the pictures cannot be read.
bool startHeadless(Stage& stage, const Course& course);

// Queues a key-down for the loop's next poll.
void press(SDLKey key);

// Plays a key file in its level's scene and saves the board at the end of each stage:
// BOARD|FILE.map KEYFILE OUTDIR LASTSTEP...
int routeShots(int argc, char* argv[]);

// Saves a map file's first frame, as the game shows it: FILE.map OUTPUT.png
int mapShot(int argc, char* argv[]);
