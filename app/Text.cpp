// Short text from the glyph picture.
#include "app/Text.h"

void drawText(SDL_Surface* screen, SDL_Surface* glyphs, int32_t x, int32_t y, const char* text,
              Ink ink) {
    if (!screen || !glyphs) return;
    for (; *text != '\0'; ++text, x += glyphW) {
        const auto code = static_cast<unsigned char>(*text);
        if (code == ' ' || code > 127) continue;
        SDL_Rect src{static_cast<Sint16>(code % 16 * glyphW),
                     static_cast<Sint16>((ink * 8 + code / 16) * glyphH), glyphW, glyphH};
        // The blit clips its destination rectangle, so each glyph gets a fresh one.
        SDL_Rect dst{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
        SDL_UpperBlit(glyphs, &src, screen, &dst);
    }
}

void drawTextCentred(SDL_Surface* screen, SDL_Surface* glyphs, int32_t cx, int32_t y,
                     const char* text, Ink ink) {
    drawText(screen, glyphs, cx - textWidth(text) / 2, y, text, ink);
}
