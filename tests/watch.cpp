// The wrappers behind tests/watch.h.
#include "watch.h"

namespace watch {

std::vector<uint64_t> flips;
bool keepShown = false;
std::vector<Uint32> shown;
std::vector<std::pair<size_t, Mix_Music*>> started;
int musicCalls = 0;

uint64_t pictureSum(SDL_Surface* s) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            h = (h ^ static_cast<const Uint32*>(s->pixels)[y * s->pitch / 4 + x]) *
                1099511628211ull;
    return h;
}

} // namespace watch

using namespace watch;

extern "C" int __real_SDL_Flip(SDL_Surface* screen);
extern "C" int __wrap_SDL_Flip(SDL_Surface* s) {
    flips.push_back(pictureSum(s));
    if (keepShown)
        shown.assign(static_cast<Uint32*>(s->pixels), static_cast<Uint32*>(s->pixels) + 800 * 500);
    return __real_SDL_Flip(s);
}
extern "C" int __real_Mix_PlayMusic(Mix_Music* music, int loops);
extern "C" int __wrap_Mix_PlayMusic(Mix_Music* music, int loops) {
    ++musicCalls;
    started.emplace_back(flips.size() + 1, music);
    return __real_Mix_PlayMusic(music, loops);
}
extern "C" int __real_Mix_HaltMusic();
extern "C" int __wrap_Mix_HaltMusic() {
    ++musicCalls;
    return __real_Mix_HaltMusic();
}
