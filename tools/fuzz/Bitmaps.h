// Small bitmap files built byte by byte, in the shapes a picture loader meets: every depth, the
// old short header and the long ones, bottom-up and top-down rows, short palettes, bit masks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct BitmapShape {
    int32_t width = 4;
    int32_t height = 3; // negative: rows stored top-down
    uint16_t depth = 24;
    uint32_t headerSize = 40;
    uint32_t compression = 0; // 3: bit masks follow a 40-byte header
    uint32_t colours = 0;     // palette entries, 0 for as many as the depth allows
};

inline void putLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline std::vector<uint8_t> makeBitmap(const BitmapShape& s) {
    const bool small = s.headerSize == 12;
    const uint32_t entries = s.depth > 8 ? 0 : (s.colours ? s.colours : 1u << s.depth);
    const uint32_t maskBytes = s.compression == 3 ? 12 : 0;
    const uint32_t paletteBytes = entries * (small ? 3 : 4);
    const uint32_t offset = 14 + s.headerSize + maskBytes + paletteBytes;
    const uint32_t rows = static_cast<uint32_t>(s.height < 0 ? -s.height : s.height);
    const uint32_t rowBytes = (static_cast<uint32_t>(s.width) * s.depth + 31) / 32 * 4;

    std::vector<uint8_t> out{'B', 'M'};
    putLe(out, offset + rowBytes * rows, 4);
    putLe(out, 0, 4);
    putLe(out, offset, 4);
    putLe(out, s.headerSize, 4);
    if (small) {
        putLe(out, static_cast<uint32_t>(s.width), 2);
        putLe(out, static_cast<uint32_t>(s.height), 2);
        putLe(out, 1, 2);
        putLe(out, s.depth, 2);
    } else {
        putLe(out, static_cast<uint32_t>(s.width), 4);
        putLe(out, static_cast<uint32_t>(s.height), 4);
        putLe(out, 1, 2);
        putLe(out, s.depth, 2);
        putLe(out, s.compression, 4);
        putLe(out, rowBytes * rows, 4);
        putLe(out, 2835, 4);
        putLe(out, 2835, 4);
        putLe(out, s.colours, 4);
        putLe(out, 0, 4);
        out.resize(14 + s.headerSize, 0);
    }
    if (s.compression == 3) {
        const bool wide = s.depth == 32;
        putLe(out, wide ? 0xFF0000 : 0xF800, 4);
        putLe(out, wide ? 0x00FF00 : 0x07E0, 4);
        putLe(out, wide ? 0x0000FF : 0x001F, 4);
    }
    // A palette of greys with the transparent pink in slot 1.
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t grey = static_cast<uint8_t>(i * 255 / (entries > 1 ? entries - 1 : 1));
        const bool pink = i == 1;
        out.push_back(pink ? 255 : grey); // blue
        out.push_back(pink ? 128 : grey); // green
        out.push_back(pink ? 255 : grey); // red
        if (!small) out.push_back(0);
    }
    // Pixels: indexes within the palette, or a colour ramp with the pink now and then.
    for (uint32_t y = 0; y < rows; ++y) {
        const std::size_t start = out.size();
        for (uint32_t bit = 0; bit < static_cast<uint32_t>(s.width) * s.depth; bit += 8) {
            const uint32_t x = bit / s.depth;
            uint8_t byte = static_cast<uint8_t>(x * 37 + y * 11);
            if (s.depth <= 8) {
                byte = 0;
                for (uint32_t b = 0; b < 8u; b += s.depth) {
                    const uint32_t px = (bit + b) / s.depth;
                    const uint32_t index = (px + y) % entries;
                    byte |= static_cast<uint8_t>(index << (8 - s.depth - b));
                }
            } else if ((x + y) % 5 == 0) {
                byte = (bit / 8) % 3 == 1 ? 128 : 255;
            }
            out.push_back(byte);
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}
