// Read-only view over a compiled-in map text of W x H cells.
#pragma once

#include <cstdint>
#include <cstring>

template <int W, int H> struct TileMap {
    const char* text = nullptr;
    // How much of the text is there: a map may be shorter than its board, and what lies
    // past its end must never be read.
    int32_t length = 0;

    void setText(const char* t) {
        text = t;
        length = t ? static_cast<int32_t>(strnlen(t, static_cast<size_t>(W) * H)) : 0;
    }

    // Anything outside the map or past the end of the text reads as code 0, which is solid.
    char at(int32_t i) const { return (i >= 0 && i < length) ? text[i] : '\0'; }
    char cell(int32_t x, int32_t y) const { return at(x + y * W); }

    static int32_t find(const char* t, char c) {
        for (int32_t i = 0; i < W * H; ++i) {
            const char here = t ? t[i] : '\0';
            if (here == c) return i;
            if (here == '\0') return -1;
        }
        return -1;
    }
    static int32_t column(int32_t i) { return i % W; }
    static int32_t row(int32_t i) { return i / W; }
};
