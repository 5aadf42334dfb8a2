// Key streams played frame by frame on the four shipped boards; the engine's rules are checked
// after every frame.
#include "app/Startup.h"
#include "tools/fuzz/Harness.h"

namespace {

template <int W, int H> void play(Level<W, H>& board, const uint8_t* data, size_t size) {
    const int32_t blocks = board.partCount;
    // Each byte: a key in the low four bits (poses 0-8, 9 Space, above that none), a pause after
    // it in the high four.
    for (size_t i = 0; i < size; ++i) {
        const int key = data[i] & 15;
        const int32_t direction = key < 9 ? key : (key == 9 ? -1 : 1000);
        // Pauses let glides finish, so steps happen between keys.
        for (int frame = 0; frame <= (data[i] >> 4) * 4; ++frame) {
            const bool won = board.goalReached;
            runBoard<W, H>(nullptr, board, frame == 0 ? direction : 1000, 0, 0);
            checkBoard(board, blocks, won);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GameBoards boards(nullptr);
    play(boards.title, data, size);
    play(boards.level1, data, size);
    play(boards.level2, data, size);
    play(boards.ragequit, data, size);
    return 0;
}
