// PNG output: one IDAT of zlib-compressed rows, each with filter type 0.
#include "Png.h"

#include <cstdio>
#include <zlib.h>

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<uint32_t>(crc));
}

} // namespace

bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb, bool alpha) {
    const int stride = (alpha ? 4 : 3) * w;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(h) * (stride + 1));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        auto row = rgb.begin() + static_cast<long>(y) * stride;
        raw.insert(raw.end(), row, row + stride);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
        Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(w));
    put32(header, static_cast<uint32_t>(h));
    // 8 bits per channel, RGB (2) or RGBA (6), no interlace
    header.insert(header.end(), {8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0});

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", packed);
    chunk(file, "IEND", {});

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}
