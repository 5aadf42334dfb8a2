// Builds the desktop icon from the sprite sheet: the robot's own blocks stood up as a little
// figure.
#include "Png.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int cell = 20;

// Sheet corners of the sprites, laid out on a 3 x 3 grid: head on top, core between two arms,
// two legs; -1 leaves the cell empty.
struct Part {
    int sx, sy;
};
const Part figure[3][3] = {
    {{-1, -1}, {20, 20}, {-1, -1}},
    {{40, 20}, {0, 20}, {40, 20}},
    {{40, 20}, {-1, -1}, {40, 20}},
};

Uint32 pixelAt(const SDL_Surface* s, int x, int y) {
    const uint8_t* p =
        static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 pixel = 0;
    for (int b = 0; b < s->format->BytesPerPixel; ++b) pixel |= Uint32(p[b]) << (8 * b);
    return pixel;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SHEET.bmp SIZE OUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    const int scale = size / (3 * cell);
    if (scale < 1) {
        std::fprintf(stderr, "icon size %s is below %d\n", argv[2], 3 * cell);
        return 2;
    }
    SDL_Surface* sheet = SDL_LoadBMP(argv[1]);
    if (!sheet || sheet->format->BytesPerPixel < 3 || sheet->w < 3 * cell || sheet->h < 2 * cell) {
        std::fprintf(stderr, "cannot read the sprite sheet %s\n", argv[1]);
        return 1;
    }
    // The figure is scaled by whole pixels, so the sprites stay crisp, and centred.
    const int margin = (size - 3 * cell * scale) / 2;
    std::vector<uint8_t> rgba(static_cast<size_t>(4 * size * size), 0);
    SDL_LockSurface(sheet);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const Part& part = figure[row][col];
            if (part.sx < 0) continue;
            for (int y = 0; y < cell * scale; ++y)
                for (int x = 0; x < cell * scale; ++x) {
                    uint8_t r, g, b;
                    SDL_GetRGB(pixelAt(sheet, part.sx + x / scale, part.sy + y / scale),
                               sheet->format, &r, &g, &b);
                    // The game's key colour is its transparency; the icon's is alpha.
                    if (r == 255 && g == 128 && b == 255) continue;
                    const int ox = margin + col * cell * scale + x;
                    const int oy = margin + row * cell * scale + y;
                    uint8_t* out = &rgba[static_cast<size_t>(4 * (oy * size + ox))];
                    out[0] = r;
                    out[1] = g;
                    out[2] = b;
                    out[3] = 255;
                }
        }
    SDL_UnlockSurface(sheet);
    SDL_FreeSurface(sheet);
    if (!writePng(argv[3], size, size, rgba, true)) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
