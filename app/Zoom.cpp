// Small maps drawn large.
#include "app/Zoom.h"

#include "app/Present.h"

int zoomFor(int32_t width, int32_t height) {
    for (int f = 4; f >= 2; --f)
        if (width * f <= 800 && height * f <= 500) return f;
    return 1;
}

Zoom::~Zoom() {
    if (surface) SDL_FreeSurface(surface);
}

void Zoom::make(int32_t width, int32_t height, const SDL_Surface* like) {
    const int f = zoomFor(width, height);
    if (f == 1 || like == nullptr || like->format->BitsPerPixel != 32) return;
    const SDL_PixelFormat* p = like->format;
    surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, p->Rmask, p->Gmask, p->Bmask,
                                   p->Amask);
    if (surface == nullptr) return;
    factor = f;
    left = (800 - width * f) / 2;
    top = (500 - height * f) / 2;
}

SDL_Surface* Zoom::begin() const {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    return surface;
}

void Zoom::show(SDL_Surface* screen) const {
    // Locked even where SDL says no lock is needed: in the page a surface is a canvas, and the
    // lock is what brings its pixels over.
    if (SDL_LockSurface(surface) < 0) return;
    if (SDL_LockSurface(screen) == 0) {
        auto* at =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) + top * screen->pitch) +
            left;
        enlargeFrame(static_cast<const Uint32*>(surface->pixels), surface->pitch, surface->w,
                     surface->h, at, screen->pitch, factor);
        SDL_UnlockSurface(screen);
    }
    SDL_UnlockSurface(surface);
}
