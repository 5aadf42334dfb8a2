// Bags of block pointers with one iteration cursor: the robot's and the loose blocks'.
#pragma once

#include <cstdint>

#include "board/GridPos.h"
#include "board/Pose.h"

class PartBag {
  public:
    GridPos* items[maxParts];
    int32_t count = 0;
    int32_t cursor = 0;

    PartBag() {
        for (GridPos*& item : items) item = nullptr;
    }

    // A full bag or a null pointer is refused without a word.
    void push(GridPos* p) {
        if (count < maxParts && p) items[count++] = p;
    }
    GridPos* pop() {
        if (count == 0) return nullptr;
        return items[--count];
    }
    GridPos* get(int32_t i) const { return i < count ? items[i] : nullptr; }
    GridPos* takeAt(int32_t i) {
        GridPos* taken = items[i];
        items[i] = items[count - 1];
        items[count - 1] = taken;
        return pop();
    }
    int32_t size() const { return count; }
    GridPos* current() const { return cursor < count ? items[cursor] : items[0]; }
    // The cursor stays, so the block swapped into its slot is the next one visited.
    GridPos* takeCurrent() { return atEnd() ? nullptr : takeAt(cursor); }
    GridPos* next() { return cursor < count ? items[cursor++] : items[0]; }
    bool atEnd() const { return cursor >= count; }
    void rewind() { cursor = 0; }
};

class RobotParts : public PartBag {
  public:
    char middleMark = 0;
    char beforeMiddleMark = 0;
    char lastMark = 0;

    void moveAll(int32_t dx, int32_t dy) {
        for (int32_t i = 0; i < count; ++i) items[i]->move(dx, dy);
    }
    // Blocks take pattern cells by their place in the bag, not by their labels.
    void moveToPose(const Pose& pose) {
        for (int32_t i = 0; i < count; ++i) items[i]->set(pose.placedX(i), pose.placedY(i));
    }
    // Position 9 gets ':' and 10..19 get 'A'..'J', so marks never collide with '0'.
    void numberParts() {
        for (int32_t i = 0; i < count; ++i)
            items[i]->mark = static_cast<char>(i < 10 ? '1' + i : 'A' + (i - 10));
        if (count == 0) return;
        lastMark = items[count - 1]->mark;
        middleMark = items[count / 2]->mark;
        if (count / 2 - 1 >= 0) beforeMiddleMark = items[count / 2 - 1]->mark;
    }
};

class LooseParts : public PartBag {
  public:
    // Whether another loose block stands at the cursor's block + (dx, dy).
    bool collides(int32_t dx, int32_t dy) const {
        for (int32_t i = 0; i < count; ++i)
            if (i != cursor && items[cursor]->touches(*items[i], dx, dy)) return true;
        return false;
    }
    void clearMarks() {
        for (int32_t i = 0; i < count; ++i) items[i]->mark = '0';
    }
};
