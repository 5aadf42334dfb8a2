// Arbitrary bytes as a picture file, loaded by the game's own loadImage and drawn as the game
// draws its pictures: whole as a background, and a sprite-sized piece.
#include "app/Video.h"
#include "tools/fuzz/ScratchFile.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {
SDL_Surface* screen = nullptr;
ScratchFile scratch("-picture.bmp");
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    screen = initVideo("!#@*");
    if (screen == nullptr) std::abort();
    // Refused pictures are reported on every run; the report itself is not under test here.
    std::cout.setstate(std::ios::badbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = scratch.write(data, size);
    SDL_Surface* picture = loadImage(path);
    if (picture != nullptr) {
        SDL_UpperBlit(picture, nullptr, screen, nullptr);
        SDL_Rect src{20, 20, 20, 20};
        SDL_Rect dst{790, 490, 0, 0};
        SDL_UpperBlit(picture, &src, screen, &dst);
        SDL_FreeSurface(picture);
    }
    return 0;
}
