// How a scaled run shows its frames: the game still draws into its own 800 x 500 surface, and
// each finished frame is copied, enlarged, onto the window.
#pragma once

#include "SDL.h"

struct ScaledWindow {
    SDL_Surface* surface = nullptr; // none: the game's screen is the window, flipped as it is
    int scale = 1;
    int left = 0, top = 0; // where the enlarged frame lies on the window
};

// Copies `width` x `height` pixels of 32 bits, each as a `scale` x `scale` square. Pitches are in
// bytes, as SDL gives them.
void enlargeFrame(const Uint32* from, int fromPitch, int width, int height, Uint32* to, int toPitch,
                  int scale);

// Shows the finished frame: enlarges it onto the window and flips the window (full screen, sends
// only the frame's part of it to the display).
void presentScaled(SDL_Surface* frame, const ScaledWindow& window);
