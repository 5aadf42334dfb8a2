// The rules every board keeps after any frame, whatever it is handed: checked by the fuzzing
// harnesses and by the random play of the rules test. A broken rule stops the program.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "board/Level.h"

inline void require(bool ok, const char* rule) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

inline int occurrences(const PartBag& bag, const GridPos* p) {
    int n = 0;
    for (int32_t i = 0; i < bag.size(); ++i) n += bag.get(i) == p;
    return n;
}

// After any frame: every block in one bag, on a free cell; poses in range; a goal never undone.
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
