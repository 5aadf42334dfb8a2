// The game's four pictures, painted from code.
#pragma once

#include "Canvas.h"

#include <string>

// The sprite sheet: 400 x 60, twenty loose parts on top, robot parts below, map cells last.
Canvas drawSpriteSheet();
// The title picture, 800 x 500; the demonstration board covers its lower-left 300 x 240.
Canvas drawTitle(const std::string& fontPath);
// One jaw segment, 100 x 250, fully opaque so that two closed rows hide the screen.
Canvas drawTooth();
// The end picture, 800 x 500, seen around the two boxes of the end board.
Canvas drawLoose(const std::string& fontPath);
// The glyphs of the game's short text, 192 x 640: ASCII at 12 x 20 a glyph, in four inks.
Canvas drawGlyphs();

// Shared colours, so that every picture speaks the sheet's palette.
namespace palette {
constexpr Rgb ink{18, 20, 30};
constexpr Rgb steelDark{58, 66, 86};
constexpr Rgb steel{104, 116, 140};
constexpr Rgb steelLight{156, 170, 192};
constexpr Rgb steelShine{214, 224, 238};
constexpr Rgb amber{246, 184, 64};
constexpr Rgb amberDark{170, 104, 28};
constexpr Rgb cyan{96, 232, 240};
constexpr Rgb cyanDark{20, 110, 134};
constexpr Rgb hazard{250, 204, 52};
} // namespace palette
