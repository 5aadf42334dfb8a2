// Key streams played frame by frame on the four shipped boards; the engine's rules are checked
// after every frame.
#include "app/Startup.h"

#include <cstdio>
#include <cstdlib>

namespace {

void require(bool ok, const char* rule) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

int occurrences(const PartBag& bag, const GridPos* p) {
    int n = 0;
    for (int32_t i = 0; i < bag.size(); ++i) n += bag.get(i) == p;
    return n;
}

template <int W, int H> void checkBoard(const Level<W, H>& b, int32_t blocks, bool wonBefore) {
    require(b.partCount == blocks, "the number of blocks changed");
    require(b.group.size() + b.loose.size() == blocks, "the bags do not hold every block");
    require(b.group.size() != 1, "a robot of one block");
    // pop() leaves a cursor where it was, so a cursor may stand past its bag, never past 20.
    require(b.group.cursor >= 0 && b.group.cursor <= maxParts && b.loose.cursor >= 0 &&
                b.loose.cursor <= maxParts,
            "a cursor outside the bag's slots");
    for (int32_t i = 0; i < blocks; ++i) {
        const GridPos* p = &b.parts[i];
        require(occurrences(b.group, p) + occurrences(b.loose, p) == 1,
                "a block not in exactly one bag");
        const int32_t at = p->index();
        require(at >= 0 && at < W * H && b.terrain(at) == ' ', "a block off a free cell");
    }
    require(b.currentPose >= -1 && b.currentPose < poseCount, "current pose out of range");
    require(b.requestedPose >= -1 && b.requestedPose < poseCount, "requested pose out of range");
    require(b.requestedPose != -1 || b.currentPose == -1, "a pose held with none requested");
    require(b.group.size() > 0 || b.currentPose == -1, "a pose held without a robot");
    require(!wonBefore || b.goalReached, "the goal was cleared");
    require(b.camX >= 0 && b.camX <= (W > scrollW ? W - scrollW : 0) && b.camY >= 0 &&
                b.camY <= (H > scrollH ? H - scrollH : 0),
            "the camera left the map");
}

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
