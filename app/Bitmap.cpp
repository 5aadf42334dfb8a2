// Mirrors what SDL 1.2.15's SDL_LoadBMP_RW reads, so that every value it acts on is checked first.
#include "app/Bitmap.h"

#include <cstdio>
#include <vector>

namespace {

uint32_t le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// A non-empty run of ones of at most eight bits inside the pixel, or no mask at all.
bool maskUsable(uint32_t mask, uint32_t depth) {
    if (mask == 0) return true;
    if (depth < 32 && mask >> depth != 0) return false;
    while ((mask & 1) == 0) mask >>= 1;
    int width = 0;
    while (mask & 1) {
        mask >>= 1;
        ++width;
    }
    return mask == 0 && width <= 8;
}

// The palette index of pixel x in a row of a 1-, 4- or 8-bit picture.
uint32_t indexAt(const uint8_t* row, uint32_t x, uint32_t depth) {
    const uint32_t bit = x * depth;
    return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

} // namespace

bool bitmapSound(const uint8_t* b, std::size_t size) {
    if (size < 18 || b[0] != 'B' || b[1] != 'M') return false;
    const uint64_t offBits = le(b + 10, 4);
    const uint32_t headerSize = le(b + 14, 4);
    const bool small = headerSize == 12;
    if (!small && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return false;
    // The reader takes 12 or 40 bytes of header and reads its masks and palette right after them.
    const uint32_t headerRead = small ? 12 : 40;
    if (size < 14 + headerRead) return false;

    int64_t width, height;
    uint32_t depth, compression = 0, colours = 0;
    if (small) {
        width = le(b + 18, 2);
        height = le(b + 20, 2);
        depth = le(b + 24, 2);
    } else {
        width = static_cast<int32_t>(le(b + 18, 4));
        height = static_cast<int32_t>(le(b + 22, 4));
        depth = le(b + 28, 2);
        compression = le(b + 30, 4);
        colours = le(b + 46, 4);
    }
    if (height < 0) height = -height; // rows stored top-down
    if (width < 1 || width > bitmapMaxSide || height < 1 || height > bitmapMaxSide) return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return false;
    // Run-length and other compressions are not read; bit masks only for 16 and 32 bits.
    const bool bitfields = compression == 3;
    if (compression != 0 && !(bitfields && (depth == 16 || depth == 32))) return false;

    uint64_t needed = 14 + headerRead;
    // Masks are read for 16 and 32 bits unless the pixels follow the header directly.
    if ((depth == 16 || depth == 32) && (bitfields || offBits != 14 + headerSize)) {
        if (size < needed + 12) return false;
        for (int i = 0; i < 3; ++i)
            if (!maskUsable(le(b + needed + 4 * i, 4), depth)) return false;
        needed += 12;
    }
    uint32_t entries = 0;
    if (depth <= 8) {
        if (colours > (1u << depth)) return false;
        entries = colours != 0 ? colours : 1u << depth;
        needed += uint64_t{entries} * (small ? 3 : 4);
    }
    if (offBits < needed || offBits < 14 + uint64_t{headerSize}) return false;

    const uint64_t rowBytes = (uint64_t(width) * depth + 31) / 32 * 4;
    if (offBits + rowBytes * uint64_t(height) > size) return false;
    // A short palette leaves the indexes above it unmapped when the picture is converted.
    if (depth <= 8 && entries < (1u << depth)) {
        for (int64_t y = 0; y < height; ++y) {
            const uint8_t* row = b + offBits + rowBytes * uint64_t(y);
            for (int64_t x = 0; x < width; ++x)
                if (indexAt(row, static_cast<uint32_t>(x), depth) >= entries) return false;
        }
    }
    return true;
}

bool bitmapFileSound(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    // Large enough for the largest sides at 32 bits, with room for the headers.
    const std::size_t limit = std::size_t{bitmapMaxSide} * bitmapMaxSide * 4 + 4096;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= limit)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool readWhole = !std::ferror(f) && bytes.size() <= limit;
    std::fclose(f);
    return readWhole && bitmapSound(bytes.data(), bytes.size());
}
