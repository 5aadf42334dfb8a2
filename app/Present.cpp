// The enlarged copy of each frame onto a scaled window.
#include "app/Present.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const Uint32* rowOf(const Uint32* base, int pitch, int y) {
    return reinterpret_cast<const Uint32*>(reinterpret_cast<const Uint8*>(base) + y * pitch);
}

Uint32* rowOf(Uint32* base, int pitch, int y) {
    return reinterpret_cast<Uint32*>(reinterpret_cast<Uint8*>(base) + y * pitch);
}

#if defined(__SSE2__)
// Four pixels, each repeated S times, as S vectors of four.
template <int S> void widen(__m128i v, __m128i* w);
template <> void widen<2>(__m128i v, __m128i* w) {
    w[0] = _mm_unpacklo_epi32(v, v);
    w[1] = _mm_unpackhi_epi32(v, v);
}
template <> void widen<3>(__m128i v, __m128i* w) {
    w[0] = _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 0, 0));
    w[1] = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 1, 1));
    w[2] = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 2));
}
template <> void widen<4>(__m128i v, __m128i* w) {
    w[0] = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 0, 0, 0));
    w[1] = _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 1, 1));
    w[2] = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 2, 2));
    w[3] = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3));
}
#endif

// The factor fixed at compile time, so each loop is a plain run of stores.
template <int S>
void enlargeBy(const Uint32* from, int fromPitch, int width, int height, Uint32* to, int toPitch) {
#if defined(__SSE2__)
    // The window is written whole and read next by the display, not by us: stores that bypass
    // the cache spare it the reads of what they overwrite.
    if (reinterpret_cast<uintptr_t>(to) % 16 == 0 && toPitch % 16 == 0 && width % 4 == 0) {
        for (int y = 0; y < height; ++y) {
            const Uint32* in = rowOf(from, fromPitch, y);
            for (int x = 0; x < width; x += 4) {
                __m128i w[S];
                widen<S>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x)), w);
                for (int r = 0; r < S; ++r) {
                    auto* out = reinterpret_cast<__m128i*>(rowOf(to, toPitch, y * S + r) + x * S);
                    for (int k = 0; k < S; ++k) _mm_stream_si128(out + k, w[k]);
                }
            }
        }
        _mm_sfence();
        return;
    }
#endif
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
    const int width = frame->w * window.scale, height = frame->h * window.scale;
    // Full screen, only the frame's part of the window changes: the black around it need not go
    // to the display again, unless the display flips two buffers of its own.
    if ((width < shown->w || height < shown->h) && !(shown->flags & SDL_DOUBLEBUF))
        SDL_UpdateRect(shown, window.left, window.top, width, height);
    else
        SDL_Flip(shown);
}
