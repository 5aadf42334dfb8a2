// A board's logical state packed into 128 bits, and the real engine's step over it.
#pragma once

#include <cstdint>
#include <cstring>

#include "board/Level.h"

// What a player can do between two logical steps. Keys pressed during a glide only set the
// requested pose or dissolve, so their net effect is one of these.
enum Action : uint8_t {
    actNone = 0,
    actPose = 1,   // 1..9: pose 0..8
    actSpace = 10, // dissolve
    actCombo = 11, // 11..19: dissolve, then pose 0..8, inside one glide
    actCount = 20
};
inline bool isPose(int a) {
    return a >= actPose && a < actPose + 9;
}
inline bool isCombo(int a) {
    return a >= actCombo && a < actCombo + 9;
}
inline int poseOf(int a) {
    return isPose(a) ? a - actPose : isCombo(a) ? a - actCombo : -1;
}

// Key layout: `lo` holds cells 0..4 (12 bits each; robot blocks in bag order, then loose blocks
// in bag order) and the robot size (4 bits); `hi` holds cells 5..7, the current and requested
// poses + 1 (4 bits each), the shake toggle and "the last step moved a block". The top 16 bits of
// `hi` are left to the caller.
struct Key {
    uint64_t lo = 0;
    uint64_t hi = 0;
    static constexpr uint64_t hiMask = (uint64_t{1} << 48) - 1;
    bool operator==(const Key& o) const { return lo == o.lo && ((hi ^ o.hi) & hiMask) == 0; }
    uint64_t hash() const {
        uint64_t h = lo * 0x9E3779B97F4A7C15ull ^ (hi & hiMask) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 32);
    }
};

constexpr int cellBits = 12;

inline int stateRequest(const Key& k) {
    return static_cast<int>((k.hi >> 40) & 15) - 1;
}
inline int stateCurrent(const Key& k) {
    return static_cast<int>((k.hi >> 36) & 15) - 1;
}

// Whether two poses lay a robot of n blocks alike: the same first n cells around the anchor.
// Poses whose patterns are too short for n blocks are alike too: neither is ever taken.
inline bool sameShape(const Pose& a, const Pose& b, int n) {
    const bool fitA = a.labelCount >= n, fitB = b.labelCount >= n;
    if (!fitA || !fitB) return fitA == fitB;
    for (int i = 1; i < n; ++i)
        if (a.cellX[i] - a.cellX[0] != b.cellX[i] - b.cellX[0] ||
            a.cellY[i] - a.cellY[0] != b.cellY[i] - b.cellY[0])
            return false;
    return true;
}
constexpr int maxSolveParts = 8;

// A person presses Space this many frames before the middle of a glide and the pose as many after.
constexpr int comboGapFrames = 3;

// Frames before the board's glide ends. A search from a gliding board takes its last step as
// having moved only while Space then a pose still fit in what is left of the glide.
template <int W, int H> int framesToSettle(const Level<W, H>& lv) {
    Level<W, H> probe = lv;
    int frames = 0;
    for (; !probe.isSettled(); ++frames) probe.animate();
    return frames;
}
template <int W, int H> bool glidesOnAfterAStep(const Level<W, H>& lv) {
    return framesToSettle(lv) >= 2 * comboGapFrames + 1;
}

// Unpacked state; cells are linear indexes, which is all the rules ever compare.
struct Unpacked {
    int32_t cell[maxSolveParts];
    int32_t robot;
    int32_t current;
    int32_t requested;
    bool shake;
    bool moved;
};

template <int W, int H> class Stepper {
  public:
    static_assert(W * H <= (1 << cellBits), "map too large for the packed key");

    explicit Stepper(const Level<W, H>& fresh) : lv(fresh) {
        count = lv.partCount;
        // Directions whose patterns parse alike are one action: the first of them stands for all.
        for (int p = 0; p < 9; ++p) {
            bool same = false;
            for (int q = 0; q < p && !same; ++q) same = samePose(lv.poses[p], lv.poses[q]);
            if (!same) distinct[distinctCount++] = p;
        }
        // For each robot size, the first pose of each set that lays it alike.
        for (int n = 1; n <= maxSolveParts; ++n)
            for (int p = 0; p < 9; ++p) {
                int q = 0;
                while (!sameShape(lv.poses[p], lv.poses[q], n)) ++q;
                like[n][p] = static_cast<int8_t>(q);
            }
    }

    int parts() const { return count; }

    Key pack(const Unpacked& u) const {
        Key k;
        for (int i = 0; i < count; ++i) {
            const uint64_t c = static_cast<uint64_t>(u.cell[i]);
            if (i < 5)
                k.lo |= c << (cellBits * i);
            else
                k.hi |= c << (cellBits * (i - 5));
        }
        k.lo |= static_cast<uint64_t>(u.robot) << 60;
        k.hi |= static_cast<uint64_t>(u.current + 1) << 36 |
                static_cast<uint64_t>(u.requested + 1) << 40 | uint64_t{u.shake} << 44 |
                uint64_t{u.moved} << 45;
        return k;
    }
    Unpacked unpack(const Key& k) const {
        Unpacked u{};
        constexpr uint64_t cellMask = (1u << cellBits) - 1;
        for (int i = 0; i < count; ++i)
            u.cell[i] = static_cast<int32_t>(
                (i < 5 ? k.lo >> (cellBits * i) : k.hi >> (cellBits * (i - 5))) & cellMask);
        u.robot = static_cast<int32_t>(k.lo >> 60);
        u.current = static_cast<int32_t>((k.hi >> 36) & 15) - 1;
        u.requested = static_cast<int32_t>((k.hi >> 40) & 15) - 1;
        u.shake = (k.hi >> 44) & 1;
        u.moved = (k.hi >> 45) & 1;
        return u;
    }

    // The state of a board as it stands; `moved` tells whether its last step moved a block.
    Unpacked read(const Level<W, H>& b, bool moved) const {
        const BoardState s = b.state();
        Unpacked u{};
        // Whole rows, not `count` cells: the search runs this some ten million times.
        std::memcpy(u.cell, s.cells, sizeof u.cell);
        u.robot = s.robot;
        u.current = s.currentPose;
        u.requested = s.requestedPose;
        u.shake = s.shakeRight;
        u.moved = moved;
        return u;
    }

    // Lays a state onto the scratch board, the goal not yet reached.
    void load(const Unpacked& u) {
        std::memcpy(laid.cells, u.cell, sizeof u.cell);
        laid.blocks = count;
        laid.robot = u.robot;
        laid.currentPose = u.current;
        laid.requestedPose = u.requested;
        laid.shakeRight = u.shake;
        lv.setState(laid);
    }

    // Applies the action's keys, then one logical step; gives whether the goal was reached.
    bool play(const Unpacked& from, int action, Unpacked& to) {
        load(from);
        if (action == actSpace || isCombo(action)) lv.requestPose(-1);
        if (poseOf(action) >= 0) lv.requestPose(poseOf(action));
        lv.step();
        bool moved = false;
        for (int i = 0; i < count; ++i) moved |= lv.parts[i].index() != from.cell[i];
        to = read(lv, moved);
        // The next step's key can ask for any pose, and leaving a pending request is the same
        // as pressing it again; with a pose held, asking for it asks for nothing. So the
        // successors depend only on whether the robot holds a pose, not on what is pending.
        // Where keys on a still board are limited, that holds only after a moving step, when
        // any key may be pressed in the glide.
        const bool merge = mergePending || (mergeMoving && moved);
        if (merge && to.current != -1) to.requested = to.current;
        if (merge && to.current == -1 && to.requested > 0) to.requested = 0;
        // Poses that lay this robot alike are one held pose: pressing any of the others
        // re-lays it, from either, and a growing robot forgets which it held (not so where a
        // step without motion can grow it and keep the request).
        if (mergePending && to.current != -1)
            to.current = to.requested = like[to.robot][to.current];
        return lv.goalReached;
    }

    // Off where the key presses themselves matter (a key on a still board must be avoidable).
    bool mergePending = true;
    // The same merge after moving steps only, for that case.
    bool mergeMoving = false;

    // Actions worth trying from a state: equivalent ones are left out. Directions with the same
    // pattern are one (w and x on the chain boards); a pose already requested is no key at all;
    // Space on an empty robot only clears fields that are already clear.
    int actions(const Unpacked& u, uint8_t* out) const {
        int n = 0;
        out[n++] = actNone;
        const bool idleRobot = u.robot == 0 && u.current == -1 && u.requested == -1;
        if (!mergePending) {
            for (int i = 0; i < distinctCount; ++i)
                if (distinct[i] != u.requested)
                    out[n++] = static_cast<uint8_t>(actPose + distinct[i]);
            if (!idleRobot) {
                out[n++] = actSpace;
                // Space then a pose needs a moving frame between the two steps.
                if (u.moved)
                    for (int i = 0; i < distinctCount; ++i)
                        out[n++] = static_cast<uint8_t>(actCombo + distinct[i]);
            }
            return n;
        }
        // One pose of each set that lays the robot alike (an empty robot forms with two);
        // within the held pose's set, another one, which re-lays it.
        const int size = u.robot > 0 ? u.robot : 2;
        for (int p = 0; p < 9; ++p) {
            if (like[size][p] != p) continue;
            if (u.current >= 0 && like[size][u.current] == p) {
                int other = -1;
                for (int q = 0; q < 9 && other < 0; ++q)
                    if (q != u.current && like[size][q] == p && lv.poses[q].labelCount >= size)
                        other = q;
                if (other >= 0) out[n++] = static_cast<uint8_t>(actPose + other);
            } else if (u.current >= 0 && lv.poses[p].labelCount < size) {
                continue; // a pose too short for the robot: the same as no key
            } else if (u.current == -1 && u.requested >= 0 && like[size][u.requested] == p) {
                continue; // what no key does already
            } else {
                out[n++] = static_cast<uint8_t>(actPose + p);
            }
        }
        if (!idleRobot) {
            out[n++] = actSpace;
            if (u.moved)
                for (int p = 0; p < 9; ++p)
                    if (like[2][p] == p) out[n++] = static_cast<uint8_t>(actCombo + p);
        }
        return n;
    }

  private:
    static bool samePose(const Pose& a, const Pose& b) {
        if (a.labelCount != b.labelCount) return false;
        for (int i = 0; i < a.labelCount; ++i)
            if (a.cellX[i] != b.cellX[i] || a.cellY[i] != b.cellY[i]) return false;
        return true;
    }

    Level<W, H> lv;
    BoardState laid{}; // kept, so that no step clears a fresh one
    int count = 0;
    int distinct[9] = {};
    int distinctCount = 0;
    int8_t like[maxSolveParts + 1][9] = {};
};
