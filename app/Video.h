// The game's window and its colour-keyed pictures.
#pragma once

#include "SDL.h"

// Starts SDL and opens the window, 800 x 500 unless a scaled run asks for another mode; gives none
// when there is no video mode.
SDL_Surface* initVideo(const char* caption, int width = 800, int height = 500,
                       Uint32 flags = SDL_DOUBLEBUF);

// Reads a bitmap and converts it for fast blits onto the screen; gives none when it fails.
SDL_Surface* loadImage(const char* path);
