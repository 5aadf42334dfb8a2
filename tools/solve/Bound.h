// A lower bound on the steps left, for pruning a search that already knows a route's length.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "board/Level.h"

// How far one step can carry a block, for a robot of n blocks at the step's pose. The robot is
// 4-connected, so every block lies within n - 1 cells of the last one, where the pose is
// anchored; the pose puts block i where entry i of its pattern lies from entry 0. Gravity adds a
// cell down before the pose, a conveyor a cell sideways after it, and a block released in the
// same step may still fall or slide one cell. Loose blocks move one cell at most.
struct Reach {
    int side = 1;
    int up = 0;
    int down = 1;
};

template <int W, int H> Reach reachOf(const Level<W, H>& lv, int n) {
    Reach r;
    for (const Pose& p : lv.poses) {
        if (p.labelCount < n) continue;
        for (int i = 0; i < n; ++i) {
            const int dx = p.cellX[i] - p.cellX[0];
            const int dy = p.cellY[i] - p.cellY[0];
            r.side = std::max(r.side, (n - 1) + std::abs(dx) + 1);
            r.up = std::max(r.up, (n - 1) + std::max(0, -dy));
            r.down = std::max(r.down, (n - 1) + std::max(0, dy) + 2);
        }
    }
    return r;
}

// Per robot size n at the next step (2 or more: an empty robot forms with two) and per cell, the
// fewest steps before a block there can stand on the goal. The robot grows by a block a step at
// most, so each step's reach is taken at the size it may have grown to by then.
class StepsLeft {
  public:
    template <int W, int H>
    explicit StepsLeft(const Level<W, H>& lv) : cells(W * H), top(lv.partCount) {
        top = std::max(top, 2);
        table.assign(static_cast<size_t>((top + 1) * cells), 255);
        std::vector<int> goals;
        for (int i = 0; i + W < W * H; ++i)
            if (lv.terrain(i) == ' ' && lv.cellChar(i + W) == '@') goals.push_back(i);
        // At the largest size the reach no longer grows: plain relaxation to a fixed point.
        for (int n = top; n >= 2; --n) {
            const Reach r = reachOf(lv, n);
            const int from = std::min(n + 1, top);
            uint8_t* row = &table[static_cast<size_t>(n * cells)];
            for (int g : goals) row[g] = 0;
            for (bool changed = true; changed;) {
                changed = false;
                for (int c = 0; c < W * H; ++c) {
                    if (lv.terrain(c) != ' ' || row[c] == 0) continue;
                    const uint8_t* next = &table[static_cast<size_t>(from * cells)];
                    int best = row[c];
                    const int cx = c % W, cy = c / W;
                    for (int y = std::max(0, cy - r.up); y <= std::min(H - 1, cy + r.down); ++y)
                        for (int x = std::max(0, cx - r.side); x <= std::min(W - 1, cx + r.side);
                             ++x)
                            best = std::min(best, next[x + y * W] + 1);
                    if (best < row[c]) {
                        row[c] = static_cast<uint8_t>(best);
                        changed = true;
                    }
                }
                if (n != top) break; // smaller sizes read the finished table of the next size
            }
        }
    }

    int at(int robot, int cell) const {
        const int n = std::min(std::max(robot, 2), top);
        return table[static_cast<size_t>(n * cells + cell)];
    }
    bool empty() const { return table.empty(); }

  private:
    int cells = 0;
    int top = 2;
    std::vector<uint8_t> table;
};
