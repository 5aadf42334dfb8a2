// The shipped boards, each named once: its map, its poses, its size and the view it is drawn in.
#pragma once

#include "board/Level.h"
#include "content/Content.h"

template <int W, int H> struct ShippedBoard {
    const char* name;
    int text; // its map in contentTexts
    bool figure;
    int32_t viewW, viewH;

    const char* map() const { return contentTexts[text]; }
    Level<W, H> make(SDL_Surface* sprites = nullptr) const {
        return Level<W, H>(map(), figure ? dancerPoses : chainPoses, sprites, viewW, viewH);
    }
};

inline constexpr ShippedBoard<15, 13> titleBoard{"title", 0, true, 15, 13};
inline constexpr ShippedBoard<40, 20> level1Board{"level1", 1, false, 40, 20};
inline constexpr ShippedBoard<80, 50> level2Board{"level2", 2, false, 40, 25};
inline constexpr ShippedBoard<40, 25> endBoard{"ragequit", 3, false, 40, 25};
