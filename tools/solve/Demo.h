// A route written as a demo for the game: the map it was found on, then its key presses.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "content/MapFile.h"

// Key i of the per-frame list is the board's frame i; the game runs the map's board from its
// frame 1, so each press goes one frame later. The game acts on presses only: no releases.
inline std::string demoText(const MapFile& map, const std::vector<int>& keys) {
    static const char* const names[] = {"q", "w", "e", "a", "s", "d", "z", "x", "c"};
    std::string text = "foldbot-demo 2\noption map " + map.path + " " + checksumText(map.checksum) +
                       "\n# the solver's route, " + std::to_string(keys.size()) +
                       " frames of the board\n";
    for (size_t f = 0; f < keys.size(); ++f) {
        const int k = keys[f];
        if (k != -1 && (k < 0 || k > 8)) continue;
        text += std::to_string(f + 1) + " down " + (k == -1 ? "space" : names[k]) + "\n";
    }
    return text;
}

inline bool writeDemoFile(const std::string& path, const MapFile& map,
                          const std::vector<int>& keys) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const std::string text = demoText(map, keys);
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}
