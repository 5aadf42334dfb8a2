// Steps taken on a level, counted as the proven shortest routes count them: on a settled frame,
// a step counts when a key reached the board since the last step, or when the step changed the
// board's logical state. A block shaken against a wall on a reset cell changes it every step.
#pragma once

#include <cstdint>

#include "board/Level.h"

// The shipped levels' proven shortest routes, which have no file header to say so.
constexpr int32_t shippedShortest[] = {47, 92};

// Whatever a step can change, so that idle steps on a still board are not counted.
struct BoardMark {
    int32_t v[4 + maxParts] = {};
    template <int W, int H> explicit BoardMark(const Level<W, H>& b) {
        v[0] = b.currentPose;
        v[1] = b.requestedPose;
        v[2] = b.group.size();
        v[3] = b.shakeRight;
        for (int32_t i = 0; i < b.partCount; ++i) v[4 + i] = b.parts[i].index();
    }
    bool operator!=(const BoardMark& o) const {
        for (int32_t i = 0; i < 4 + maxParts; ++i)
            if (v[i] != o.v[i]) return true;
        return false;
    }
};

struct StepCounter {
    int32_t steps = 0;
    bool keyed = false; // a key reached the board since the last step

    // Runs one frame of the board through `run`, a call of runBoard, counting its step. Once the
    // goal is reached the count stands. Gives what `run` gives.
    template <int W, int H, class Run> bool frame(Level<W, H>& board, bool key, Run&& run) {
        if (board.hasWon()) return run();
        keyed = keyed || key;
        const bool settled = board.isSettled();
        const BoardMark before(board);
        const bool won = run();
        if (settled) {
            if (keyed || BoardMark(board) != before) ++steps;
            keyed = false;
        }
        return won;
    }
};
