// The game's one way to draw short text: glyphs copied from the generated glyph picture.
#pragma once

#include <cstdint>

#include "SDL.h"

constexpr int32_t glyphW = 12; // also the advance from one character to the next
constexpr int32_t glyphH = 20; // with the descenders and the shadow

enum Ink : int32_t { lightInk = 0, goldInk, dimInk, greenInk };

// Characters of their own in the glyph picture, for the chooser's marks.
constexpr char solvedMark = '\x01';
constexpr char starMark = '\x02';

inline int32_t textWidth(const char* text) {
    int32_t n = 0;
    while (text[n] != '\0') ++n;
    return n * glyphW;
}

// Draws `text` with its top-left at (x, y); characters outside ASCII are left blank. Without a
// glyph picture nothing is drawn. Allocates nothing.
void drawText(SDL_Surface* screen, SDL_Surface* glyphs, int32_t x, int32_t y, const char* text,
              Ink ink = lightInk);
// The same, centred on cx.
void drawTextCentred(SDL_Surface* screen, SDL_Surface* glyphs, int32_t cx, int32_t y,
                     const char* text, Ink ink = lightInk);
