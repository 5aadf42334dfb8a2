// Small maps drawn large.
#include "app/Zoom.h"

#include "app/Present.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>

// In the page every surface is a canvas, and Emscripten's SDL reads a whole canvas back into
// memory after each blit onto any surface but the screen. So the map's surface stands in as the
// screen while the board draws on it, and the canvas enlarges it without smoothing: the same
// pixels, with nothing read back.
EM_JS(void, drawOnCanvas, (SDL_Surface * surface), {
    Module['zoomScreen'] = SDL.screen;
    SDL.screen = surface;
});

EM_JS(void, enlargeCanvas, (SDL_Surface * from, SDL_Surface* to, int left, int top, int factor), {
    SDL.screen = Module['zoomScreen'];
    var source = SDL.surfaces[from], target = SDL.surfaces[to];
    target.ctx.imageSmoothingEnabled = false;
    target.ctx.drawImage(source.canvas, left, top, source.width * factor, source.height * factor);
});
#endif

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
#if defined(__EMSCRIPTEN__)
    drawOnCanvas(surface);
#endif
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    return surface;
}

void Zoom::show(SDL_Surface* screen) const {
#if defined(__EMSCRIPTEN__)
    enlargeCanvas(surface, screen, left, top, factor);
    return;
#endif
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
