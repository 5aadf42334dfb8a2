// What the game hands SDL and SDL_mixer, seen on its way: each flipped picture and each track
// started. Tests linking tests/watch.cpp wrap SDL_Flip, Mix_PlayMusic and Mix_HaltMusic.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "SDL.h"
#include "SDL_mixer.h"

namespace watch {

extern std::vector<uint64_t> flips;                        // a checksum of each flipped picture
extern bool keepShown;                                     // costly: off unless asked for
extern std::vector<Uint32> shown;                          // the last flipped picture, 800 x 500
extern std::vector<std::pair<size_t, Mix_Music*>> started; // flip count + 1, track
extern int musicCalls;                                     // starts and halts

// A checksum of a whole picture.
uint64_t pictureSum(SDL_Surface* s);

} // namespace watch
