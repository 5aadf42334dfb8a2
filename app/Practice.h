// Practice mode's undo: the board as it was before each key, in a ring of copies made at
// start-up, so that taking a point or going back never allocates.
#pragma once

#include <cstddef>
#include <vector>

// Enough for an hour of steady play on one level; past it the oldest points are forgotten.
constexpr size_t undoPoints = 4096;

template <class Board> class UndoRing {
  public:
    // Off until given its copies: a game without practice keeps no ring.
    void reserve(const Board& fresh, size_t capacity = undoPoints) {
        slots.assign(capacity, fresh);
        clear();
    }
    bool ready() const { return !slots.empty(); }
    size_t size() const { return count; }

    void push(const Board& board) {
        if (slots.empty()) return;
        slots[head] = board;
        head = (head + 1) % slots.size();
        if (count < slots.size()) ++count;
    }
    // The latest point into `board`; false, leaving it alone, when there is none.
    bool pop(Board& board) {
        if (count == 0) return false;
        head = (head + slots.size() - 1) % slots.size();
        --count;
        board = slots[head];
        return true;
    }
    // Copies of the points, the latest first.
    std::vector<Board> newestFirst() const {
        std::vector<Board> out;
        for (size_t i = 0; i < count; ++i)
            out.push_back(slots[(head + slots.size() - 1 - i) % slots.size()]);
        return out;
    }
    void clear() {
        head = 0;
        count = 0;
    }

  private:
    std::vector<Board> slots;
    size_t head = 0;
    size_t count = 0;
};
