// Arbitrary bytes as a map file, read by the game's own reader and, when it takes them, played
// through the real frame function on the board the game builds for it, with random keys.
#include <cstdlib>
#include <random>
#include <string>

#include "app/Course.h"
#include "app/Startup.h"
#include "tools/fuzz/Harness.h"
#include "tools/fuzz/ScratchFile.h"

namespace {

Stage stage;
ScratchFile scratch(".map");

constexpr int frameLimit = 300;

// The keys a player has on a map: the poses, Space, and practice mode's restart and undo.
const SDLKey keys[] = {SDLK_q, SDLK_w, SDLK_e, SDLK_a,     SDLK_s, SDLK_d,
                       SDLK_z, SDLK_x, SDLK_c, SDLK_SPACE, SDLK_r, SDLK_u};

struct Keys {
    std::mt19937 rng;
    static int poll(void* self, SDL_Event* event) {
        auto& k = static_cast<Keys*>(self)->rng;
        if (k() % 4 != 0) return 0;
        *event = {};
        event->type = SDL_KEYDOWN;
        event->key.keysym.sym = keys[k() % (sizeof keys / sizeof keys[0])];
        return 1;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    headlessStage(stage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Course course;
    course.maps.resize(1);
    MapFile& map = course.maps[0];
    std::string error;
    if (!readMapFile(scratch.write(data, size), map, error)) {
        if (error.find(", line ") == std::string::npos) std::abort(); // a fault says where
        return 0;
    }
    // What the board relies on: a map within bounds, laid whole into a board of its size.
    const bool fits = map.width >= 1 && map.width <= mapMaxWidth && map.height >= 1 &&
                      map.height <= mapMaxHeight &&
                      map.rows.size() == static_cast<size_t>(map.width) * map.height &&
                      map.boardText.size() == static_cast<size_t>(map.boardW) * map.boardH &&
                      map.blocks() >= 1 && map.blocks() <= 20;
    if (!fits) std::abort();

    GameBoards boards(stage.sprites, course);
    LoopState state = course.startState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Keys source{std::mt19937(static_cast<uint32_t>(contentChecksum(bytes)))};
    // The engine's rules hold on any map, as on the shipped ones.
    auto check = [&](const auto& board, bool won) { checkBoard(board, map.blocks(), won); };
    for (int frame = 0; frame < frameLimit && state.scene == firstMapScene; ++frame) {
        const GameBoards::MapSlot& slot = boards.maps[0];
        const bool won = slot.small ? slot.small->board.goalReached : slot.large->board.goalReached;
        if (!runFrame(state, stage, boards, backToBack, {Keys::poll, &source})) break;
        if (slot.small) check(slot.small->board, won);
        if (slot.large) check(slot.large->board, won);
    }
    return 0;
}
