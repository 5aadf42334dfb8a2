// The project's own 5 x 7 pixel font, for labels that must stay crisp at small sizes.
#pragma once

#include "Canvas.h"

#include <string>

// Hard-edged text (coverage 0 or 1), each font pixel drawn as a scale x scale square. Lower
// case prints as upper case; characters the font lacks print as blanks.
Mask pixelText(const std::string& text, int scale);
int pixelTextWidth(const std::string& text, int scale);
