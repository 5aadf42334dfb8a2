// Small maps drawn large: the board is drawn at 1x into a surface of its own, then enlarged onto
// the screen by a whole factor, so the rules and the glide never see the zoom.
#pragma once

#include <cstdint>

#include "SDL.h"

// The largest whole factor, 2 to 4, at which a view of `width` x `height` pixels fits the 800 x
// 500 picture; 1 when even 2 does not.
int zoomFor(int32_t width, int32_t height);

class Zoom {
  public:
    Zoom() = default;
    Zoom(const Zoom&) = delete;
    Zoom& operator=(const Zoom&) = delete;
    ~Zoom();

    // For a view of `width` x `height` pixels, in `like`'s format. Stays at 1x when the view is
    // too large or the surface cannot be made.
    void make(int32_t width, int32_t height, const SDL_Surface* like);
    bool on() const { return surface != nullptr; }

    // The surface to draw the board into at 1x, cleared to the screen's black.
    SDL_Surface* begin() const;
    // The board enlarged onto `screen`, centred.
    void show(SDL_Surface* screen) const;

    int factor = 1;
    int32_t left = 0, top = 0; // where the enlarged view lies on the screen

  private:
    SDL_Surface* surface = nullptr;
};
