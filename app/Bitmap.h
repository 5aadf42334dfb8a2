// A look at a bitmap file before SDL 1.2's reader gets it: that reader trusts the header, and some
// headers make it read or write past its buffers or decide on bytes it never read.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest side we take; the game's pictures are at most 800 x 500.
constexpr int32_t bitmapMaxSide = 4096;

// True when the whole file's bytes form a bitmap the reader handles safely: signature, header
// size, sides, depth and compression it supports, masks, a palette within the depth, palette
// indexes within the palette, and pixel rows inside the file.
bool bitmapSound(const uint8_t* bytes, std::size_t size);

// Reads the file at path and checks it; false when it cannot be read.
bool bitmapFileSound(const char* path);
