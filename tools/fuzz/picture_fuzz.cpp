// Arbitrary bytes as a picture file, loaded by the game's own loadImage and drawn as the game
// draws its pictures: whole as a background, and a sprite-sized piece.
#include "app/Video.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <unistd.h>

namespace {
SDL_Surface* screen = nullptr;
std::string path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    screen = initVideo("!#@*");
    if (screen == nullptr) std::abort();
    const char* tmp = std::getenv("TMPDIR");
    path =
        std::string(tmp ? tmp : "/tmp") + "/foldbot-picture-" + std::to_string(getpid()) + ".bmp";
    std::atexit([] { std::remove(path.c_str()); });
    // Refused pictures are reported on every run; the report itself is not under test here.
    std::cout.setstate(std::ios::badbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    SDL_Surface* picture = loadImage(path.c_str());
    if (picture != nullptr) {
        SDL_UpperBlit(picture, nullptr, screen, nullptr);
        SDL_Rect src{20, 20, 20, 20};
        SDL_Rect dst{790, 490, 0, 0};
        SDL_UpperBlit(picture, &src, screen, &dst);
        SDL_FreeSurface(picture);
    }
    return 0;
}
