// One block's cell on a board, with the map size used for linear indexes and its drawing mark.
#pragma once

#include <cstdint>

struct GridPos {
    int32_t x;
    int32_t y;
    int32_t mapW;
    int32_t mapH;
    char mark;

    void init(int32_t px, int32_t py, int32_t w, int32_t h) {
        x = px;
        y = py;
        mapW = w;
        mapH = h;
        mark = 0;
    }
    void set(int32_t px, int32_t py) {
        x = px;
        y = py;
    }
    void move(int32_t dx, int32_t dy) {
        x += dx;
        y += dy;
    }
    // Cells compare by linear index, so a step off one edge of a row names the next row's cell.
    int32_t index() const { return x + y * mapW; }
    int32_t indexAt(int32_t dx, int32_t dy) const { return (x + dx) + (y + dy) * mapW; }
    int32_t getX() const { return x; }
    int32_t getY() const { return y; }
    bool touches(const GridPos& other, int32_t dx, int32_t dy) const {
        return other.index() == indexAt(dx, dy);
    }
};
