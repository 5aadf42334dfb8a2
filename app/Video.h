// The game's window and its colour-keyed pictures.
#pragma once

#include "SDL.h"

// Starts SDL and opens the 800 x 500 window; gives none when there is no video mode.
SDL_Surface* initVideo(const char* caption);

// Reads a bitmap and converts it for fast blits onto the screen; gives none when it fails.
SDL_Surface* loadImage(const char* path);
