// A minimal PNG writer for 8-bit RGB or RGBA pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds w * h pixels, three bytes each (four with alpha), row by row from the top; false if
// the file fails.
bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb,
              bool alpha = false);
