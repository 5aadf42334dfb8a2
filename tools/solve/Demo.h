// A route written as a demo for the game: the map it was found on, then its key presses.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "content/DemoFile.h"
#include "content/Keys.h"
#include "content/MapFile.h"

// Key i of the per-frame list is the board's frame i; the game runs the map's board from its
// frame 1, so each press goes one frame later. The game acts on presses only: no releases.
inline std::string demoText(const MapFile& map, const std::vector<int>& keys) {
    DemoSetup setup;
    setup.maps.push_back({map.path, checksumText(map.checksum)});
    std::string text = demoHead(setup, "the solver's route, " + std::to_string(keys.size()) +
                                           " frames of the board");
    char line[96];
    for (size_t f = 0; f < keys.size(); ++f) {
        const int k = keys[f];
        if (k != spaceKey && (k < 0 || k > 8)) continue;
        const SDLKey sym = k == spaceKey ? SDLK_SPACE : poseKeys[k];
        formatDemoLine(line, sizeof line,
                       {static_cast<uint32_t>(f + 1), SDL_KEYDOWN, static_cast<uint16_t>(sym)});
        text += std::string(line) + "\n";
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
