// A lower bound on the steps left, for pruning a search that already knows a route's length.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <vector>

#include "board/Level.h"

constexpr int unreachable = 1 << 20;

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

// Whether a step can carry a block off one end of a board row onto the other end of the next:
// the rules take cells by linear index, so a conveyor, a loose block or a robot that hangs
// together crosses where a free cell in the last column has a free cell after it, and a pose
// whose pattern entries jump crosses wherever one lands past the row's end on a free cell.
template <int W, int H> bool rowsWrap(const Level<W, H>& lv) {
    auto isFree = [&](int c) { return c >= 0 && c < W * H && lv.terrain(c) == ' '; };
    for (int y = 0; y < H; ++y)
        if (isFree(W - 1 + y * W) && isFree(W + y * W)) return true;
    for (int c = 0; c < W * H; ++c) {
        if (!isFree(c)) continue;
        for (const Pose& p : lv.poses)
            for (int i = 1; i < p.labelCount; ++i) {
                const int dx = p.cellX[i] - p.cellX[0], dy = p.cellY[i] - p.cellY[0];
                const int x = c % W + dx;
                if ((x < 0 || x >= W) && isFree(c + dx + dy * W)) return true;
            }
    }
    return false;
}

// Per robot size n at the next step (2 or more: an empty robot forms with two) and per cell, the
// fewest steps before a block there can stand on the goal. The robot grows by a block a step at
// most, so each step's reach is taken at the size it may have grown to by then. Where rows wrap,
// a box's columns run on into the next row (and back into the one before), as the rules read them.
class StepsLeft {
  public:
    static constexpr uint16_t never = 0xFFFF;

    template <int W, int H>
    explicit StepsLeft(const Level<W, H>& lv) : cells(W * H), top(lv.partCount) {
        top = std::max(top, 2);
        table.assign(static_cast<size_t>((top + 1) * cells), never);
        const bool wrap = rowsWrap(lv);
        std::vector<int> goals;
        for (int i = 0; i + W < W * H; ++i)
            if (lv.terrain(i) == ' ' && lv.cellChar(i + W) == '@') goals.push_back(i);
        // At the largest size the reach no longer grows: plain relaxation to a fixed point.
        for (int n = top; n >= 2; --n) {
            const Reach r = reachOf(lv, n);
            const int from = std::min(n + 1, top);
            uint16_t* row = &table[static_cast<size_t>(n * cells)];
            for (int g : goals) row[g] = 0;
            for (bool changed = true; changed;) {
                changed = false;
                for (int c = 0; c < W * H; ++c) {
                    if (lv.terrain(c) != ' ' || row[c] == 0) continue;
                    const uint16_t* next = &table[static_cast<size_t>(from * cells)];
                    int best = row[c];
                    const int cx = c % W, cy = c / W;
                    const int x0 = wrap ? cx - r.side : std::max(0, cx - r.side);
                    const int x1 = wrap ? cx + r.side : std::min(W - 1, cx + r.side);
                    for (int y = cy - r.up; y <= cy + r.down; ++y)
                        for (int x = x0; x <= x1; ++x) {
                            const int t = x + y * W;
                            if (t < 0 || t >= W * H || (!wrap && (y < 0 || y >= H))) continue;
                            if (next[t] != never) best = std::min(best, next[t] + 1);
                        }
                    if (best < row[c]) {
                        row[c] = static_cast<uint16_t>(best);
                        changed = true;
                    }
                }
                if (n != top) break; // smaller sizes read the finished table of the next size
            }
        }
    }

    // A lower bound on the steps left; never when no block there can reach the goal.
    int at(int robot, int cell) const {
        const int n = std::min(std::max(robot, 2), top);
        return table[static_cast<size_t>(n * cells + cell)];
    }
    bool empty() const { return table.empty(); }

  private:
    int cells = 0;
    int top = 2;
    std::vector<uint16_t> table;
};

// Cells from which a block resting there stands on the goal, then outward through free cells,
// neighbours by linear index as the rules take them (a step off one end of a row lands on the
// other end of the next).
template <int W, int H> std::vector<int> goalDistances(const Level<W, H>& lv) {
    std::vector<int> dist(W * H, unreachable);
    std::deque<int> todo;
    for (int i = 0; i + W < W * H; ++i)
        if (lv.terrain(i) == ' ' && lv.cellChar(i + W) == '@') {
            dist[static_cast<size_t>(i)] = 0;
            todo.push_back(i);
        }
    while (!todo.empty()) {
        const int c = todo.front();
        todo.pop_front();
        for (int d : {-1, 1, -W, W}) {
            const int n = c + d;
            if (n < 0 || n >= W * H || lv.terrain(n) != ' ') continue;
            if (dist[static_cast<size_t>(n)] <= dist[static_cast<size_t>(c)] + 1) continue;
            dist[static_cast<size_t>(n)] = dist[static_cast<size_t>(c)] + 1;
            todo.push_back(n);
        }
    }
    return dist;
}

// The farthest entry of a pose's first n entries from entry 0, in steps between side-by-side
// entries; -1 when those entries do not hang together.
inline int patternSpan(const Pose& p, int n) {
    int dist[maxParts];
    for (int i = 0; i < n; ++i) dist[i] = -1;
    dist[0] = 0;
    int todo[maxParts];
    int head = 0, tail = 0;
    todo[tail++] = 0;
    while (head < tail) {
        const int a = todo[head++];
        for (int b = 0; b < n; ++b) {
            if (dist[b] >= 0) continue;
            if (std::abs(p.cellX[a] - p.cellX[b]) + std::abs(p.cellY[a] - p.cellY[b]) != 1)
                continue;
            dist[b] = dist[a] + 1;
            todo[tail++] = b;
        }
    }
    int span = 0;
    for (int i = 0; i < n; ++i) {
        if (dist[i] < 0) return -1;
        span = std::max(span, dist[i]);
    }
    return span;
}

// A second bound, in steps along free cells rather than boxes, so walls count, and falling is
// slow. Where can a block be after one step, given where the blocks were before it?
//  - gravity moves the robot a cell down; a pose lays a connected pattern on the anchor, a
//    block of the robot (or, for a robot formed after Space, a loose block): every new cell is
//    within the pattern's span of the anchor along the pattern's own cells, which are free, and
//    none lies below the anchor (every pattern has its first entry at the bottom);
//  - then a conveyor moves the robot a cell sideways, or a reset lets its blocks move once as
//    loose blocks, which is also a cell down for a block no farther from that reset than the
//    robot is long;
//  - a loose block moves one cell, down or sideways.
// So every block ends within one hop of some block's old cell: at most a cell down, then at most
// the span along free cells none of which is further on than the pattern reaches, then a cell
// sideways (or down near a reset). The fewest hops from a cell to one resting on the goal,
// with the span of the size the robot can have grown to by each step (a block a step at most, and
// an empty robot forms with two), bound the steps left. Only sound while every pattern's first n
// entries are connected and its reach is known, which is checked; otherwise it stays out.
class GraphBound {
  public:
    static constexpr int never = 0xFFFF; // no block there can ever rest on the goal

    template <int W, int H> explicit GraphBound(const Level<W, H>& lv) {
        top = std::max(2, static_cast<int>(lv.partCount));
        std::vector<int> span(static_cast<size_t>(top + 1), 1);
        int ahead = 0; // the furthest a pattern cell lies past its anchor, by linear index
        for (int n = 2; n <= top; ++n) {
            span[n] = span[n - 1];
            for (const Pose& p : lv.poses) {
                if (p.labelCount < n) continue;
                const int e = patternSpan(p, n);
                if (e < 0) return; // a pose can jump: no bound from here
                span[n] = std::max(span[n], e);
                for (int i = 0; i < n; ++i)
                    ahead =
                        std::max(ahead, (p.cellX[i] - p.cellX[0]) + (p.cellY[i] - p.cellY[0]) * W);
            }
        }
        cells = W * H;
        auto isFree = [&](int c) { return c >= 0 && c < W * H && lv.terrain(c) == ' '; };
        // Cells a block released by a reset can be on: within the robot's length of a block
        // standing on '!'.
        std::vector<int> nearReset = spread(
            lv, [&](int c) { return isFree(c) && c + W < W * H && lv.cellChar(c + W) == '!'; },
            top - 1);
        // And those a conveyor or a reset can move sideways: the robot within its length of a
        // block standing on one, a loose block standing on one.
        std::vector<int> nearSide = spread(
            lv,
            [&](int c) {
                if (!isFree(c) || c + W >= W * H) return false;
                const char below = lv.cellChar(c + W);
                return below == '<' || below == '>' || below == '!';
            },
            top - 1);

        table.assign(static_cast<size_t>((top + 1) * cells), never);
        std::vector<std::vector<int>> reach(static_cast<size_t>(cells));
        std::vector<int> seen(static_cast<size_t>(cells), -1);
        std::vector<int> level(static_cast<size_t>(cells), 0);
        std::vector<int> todo;
        for (int n = top; n >= 2; --n) {
            const int e = span[n];
            // One hop from every free cell.
            for (int c = 0; c < cells; ++c) {
                std::vector<int>& out = reach[static_cast<size_t>(c)];
                out.clear();
                if (!isFree(c)) continue;
                const int stamp = c;
                std::vector<int> found;
                for (int c1 : {c, c + W}) {
                    if (!isFree(c1)) continue;
                    const int limit = c1 + ahead;
                    todo.assign(1, c1);
                    if (seen[static_cast<size_t>(c1)] != stamp) found.push_back(c1);
                    seen[static_cast<size_t>(c1)] = stamp;
                    level[static_cast<size_t>(c1)] = 0;
                    std::vector<int> local{c1};
                    for (size_t h = 0; h < todo.size(); ++h) {
                        const int a = todo[h];
                        if (level[static_cast<size_t>(a)] >= e) continue;
                        for (int d : {-1, 1, -W, W}) {
                            const int b = a + d;
                            if (!isFree(b) || b > limit) continue;
                            if (std::find(local.begin(), local.end(), b) != local.end()) continue;
                            local.push_back(b);
                            level[static_cast<size_t>(b)] = level[static_cast<size_t>(a)] + 1;
                            todo.push_back(b);
                        }
                    }
                    for (int b : local)
                        if (seen[static_cast<size_t>(b)] != stamp) {
                            seen[static_cast<size_t>(b)] = stamp;
                            found.push_back(b);
                        }
                }
                for (int b : found) {
                    out.push_back(b);
                    for (int d : {-1, 1, W}) {
                        const int x = b + d;
                        if (d == W && !nearReset[static_cast<size_t>(b)]) continue;
                        if (d != W && !nearSide[static_cast<size_t>(b)]) continue;
                        if (isFree(x)) out.push_back(x);
                    }
                }
                std::sort(out.begin(), out.end());
                out.erase(std::unique(out.begin(), out.end()), out.end());
            }
            uint16_t* row = &table[static_cast<size_t>(n * cells)];
            for (int c = 0; c + W < cells; ++c)
                if (isFree(c) && lv.cellChar(c + W) == '@') row[c] = 0;
            if (n == top) {
                // The largest size keeps its reach: hops to a fixed point.
                for (bool changed = true; changed;) {
                    changed = false;
                    for (int c = 0; c < cells; ++c) {
                        int best = row[c];
                        for (int b : reach[static_cast<size_t>(c)])
                            best = std::min(best, row[b] + 1);
                        if (best < row[c]) {
                            row[c] = static_cast<uint16_t>(best);
                            changed = true;
                        }
                    }
                }
            } else {
                const uint16_t* next = &table[static_cast<size_t>((n + 1) * cells)];
                for (int c = 0; c < cells; ++c) {
                    if (row[c] == 0) continue;
                    int best = never;
                    for (int b : reach[static_cast<size_t>(c)]) best = std::min(best, next[b] + 1);
                    row[c] = static_cast<uint16_t>(std::min(best, never));
                }
            }
        }
        // Distances between any two free cells, for how soon blocks can meet.
        const int rate = span[top] + 2;
        for (int gap = 0; gap < 256; ++gap)
            waitFor[static_cast<size_t>(gap)] =
                static_cast<uint8_t>(gap <= 1 ? 0 : (gap - 1 + rate - 1) / rate);
        apart.assign(static_cast<size_t>(cells) * cells, 255);
        still.assign(static_cast<size_t>(cells), 0);
        std::deque<int> queue;
        for (int c = 0; c < cells; ++c) {
            if (!isFree(c)) continue;
            const char below = lv.cellChar(c + W);
            still[static_cast<size_t>(c)] =
                below != ' ' && below != '<' && below != '>' && below != '!';
            uint8_t* d = &apart[static_cast<size_t>(c) * cells];
            d[c] = 0;
            queue.assign(1, c);
            while (!queue.empty()) {
                const int a = queue.front();
                queue.pop_front();
                if (d[a] >= 254) continue;
                for (int s : {-1, 1, -W, W}) {
                    const int b = a + s;
                    if (!isFree(b) || d[b] != 255) continue;
                    d[b] = static_cast<uint8_t>(d[a] + 1);
                    queue.push_back(b);
                }
            }
        }
        usable = true;
    }

    // A loose block resting on anything but air, a conveyor or a reset never moves while loose,
    // and joins a robot only next to another block (the robot's, or its partner when a robot
    // forms). Every other block gets at most a hop's length (span + 2 cells) nearer a step. So
    // it waits at least until one can have come, and only then starts its own hops, with the
    // robot grown by as many blocks as steps have gone by.
    template <class Cells> int stepsLeft(const Cells& cell, int count, int robot) const {
        const int n = std::min(std::max(robot, 2), top);
        int least = never;
        for (int b = 0; b < count; ++b) {
            const int c = cell[b];
            int v = table[static_cast<size_t>(n * cells + c)];
            if (b >= robot && still[static_cast<size_t>(c)] && v != never) {
                int gap = 255;
                const uint8_t* d = &apart[static_cast<size_t>(c) * cells];
                for (int o = 0; o < count; ++o)
                    if (o != b) gap = std::min(gap, static_cast<int>(d[cell[o]]));
                const int wait = waitFor[static_cast<size_t>(gap)];
                const int grown = std::min(n + wait, top);
                const int later = table[static_cast<size_t>(grown * cells + c)];
                v = later == never ? never : wait + later;
            }
            least = std::min(least, v);
        }
        return least;
    }

    bool sound() const { return usable; }
    // The fewest steps left for a robot of this size with a block on this cell; never when no
    // block there can ever get to the goal.
    int steps(int robot, int cell) const {
        const int n = std::min(std::max(robot, 2), top);
        return table[static_cast<size_t>(n * cells + cell)];
    }

  private:
    // Cells within `depth` free-cell steps of a cell that `start` picks, as 0 or 1.
    template <int W, int H, class F>
    static std::vector<int> spread(const Level<W, H>& lv, F start, int depth) {
        std::vector<int> d(W * H, -1);
        std::deque<int> todo;
        for (int c = 0; c < W * H; ++c)
            if (start(c)) {
                d[static_cast<size_t>(c)] = 0;
                todo.push_back(c);
            }
        while (!todo.empty()) {
            const int c = todo.front();
            todo.pop_front();
            if (d[static_cast<size_t>(c)] >= depth) continue;
            for (int s : {-1, 1, -W, W}) {
                const int n = c + s;
                if (n < 0 || n >= W * H || lv.terrain(n) != ' ' || d[static_cast<size_t>(n)] >= 0)
                    continue;
                d[static_cast<size_t>(n)] = d[static_cast<size_t>(c)] + 1;
                todo.push_back(n);
            }
        }
        for (int& x : d) x = x >= 0 ? 1 : 0;
        return d;
    }

    bool usable = false;
    int top = 2;
    int cells = 0;
    std::array<uint8_t, 256> waitFor{}; // steps before blocks this far apart can touch
    std::vector<uint16_t> table;        // steps, never past a route the board can hold
    std::vector<uint8_t> apart; // cells x cells, capped: a nearer guess only loosens the bound
    std::vector<uint8_t> still;
};
