// The keys a board takes: the nine pose keys with the letters people write them as, and key
// files, which give a board's key for each of its frames.
#pragma once

#include <string>
#include <vector>

#include "SDL.h"

// Directions 0..8, laid out on the keyboard as the patterns are on their grid.
inline constexpr SDLKey poseKeys[9] = {SDLK_q, SDLK_w, SDLK_e, SDLK_a, SDLK_s,
                                       SDLK_d, SDLK_z, SDLK_x, SDLK_c};
inline constexpr char poseLetters[] = "qweasdzxc";

// A board's direction for Space, and for a frame without a key.
constexpr int spaceKey = -1;
constexpr int noKey = 1000;

// The direction a key gives a board, or noKey.
inline int directionOf(SDLKey key) {
    if (key == SDLK_SPACE) return spaceKey;
    for (int d = 0; d < 9; ++d)
        if (key == poseKeys[d]) return d;
    return noKey;
}

// A key file: a direction a line (0..8, -1 or 1000). False, with "PATH:LINE: ..." or why the
// file cannot be read in `why`, on anything else.
bool readKeyFile(const std::string& path, std::vector<int>& keys, std::string& why);
bool writeKeyFile(const std::string& path, const std::vector<int>& keys);
