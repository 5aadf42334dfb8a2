// The enlarged copy of each frame onto a scaled window.
#include "app/Present.h"

#include <cstring>

namespace {

const Uint32* rowOf(const Uint32* base, int pitch, int y) {
    return reinterpret_cast<const Uint32*>(reinterpret_cast<const Uint8*>(base) + y * pitch);
}

Uint32* rowOf(Uint32* base, int pitch, int y) {
    return reinterpret_cast<Uint32*>(reinterpret_cast<Uint8*>(base) + y * pitch);
}

// The factor fixed at compile time, so the inner loop is a plain run of stores the compiler can
// widen. Each source row is widened once; its copies below are whole-row copies.
template <int S>
void enlargeBy(const Uint32* from, int fromPitch, int width, int height, Uint32* to, int toPitch) {
    const size_t rowBytes = sizeof(Uint32) * static_cast<size_t>(width) * S;
    for (int y = 0; y < height; ++y) {
        const Uint32* in = rowOf(from, fromPitch, y);
        Uint32* out = rowOf(to, toPitch, y * S);
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < S; ++k) out[x * S + k] = in[x];
        for (int k = 1; k < S; ++k) std::memcpy(rowOf(to, toPitch, y * S + k), out, rowBytes);
    }
}

} // namespace

void enlargeFrame(const Uint32* from, int fromPitch, int width, int height, Uint32* to, int toPitch,
                  int scale) {
    switch (scale) {
    case 1:
        for (int y = 0; y < height; ++y)
            std::memcpy(rowOf(to, toPitch, y), rowOf(from, fromPitch, y), sizeof(Uint32) * width);
        break;
    case 2:
        enlargeBy<2>(from, fromPitch, width, height, to, toPitch);
        break;
    case 3:
        enlargeBy<3>(from, fromPitch, width, height, to, toPitch);
        break;
    case 4:
        enlargeBy<4>(from, fromPitch, width, height, to, toPitch);
        break;
    default:
        break;
    }
}

void presentScaled(SDL_Surface* frame, const ScaledWindow& window) {
    SDL_Surface* shown = window.surface;
    // The frame is a software surface of the game's own and never needs a lock.
    if (SDL_MUSTLOCK(shown) && SDL_LockSurface(shown) < 0) return;
    auto* at =
        reinterpret_cast<Uint32*>(static_cast<Uint8*>(shown->pixels) + window.top * shown->pitch) +
        window.left;
    enlargeFrame(static_cast<const Uint32*>(frame->pixels), frame->pitch, frame->w, frame->h, at,
                 shown->pitch, window.scale);
    if (SDL_MUSTLOCK(shown)) SDL_UnlockSurface(shown);
    SDL_Flip(shown);
}
