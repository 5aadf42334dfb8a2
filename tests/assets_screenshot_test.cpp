// The screenshot tool: it drives the real scene loop through every scene and saves what was shown.
#include <SDL.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Frame {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[static_cast<size_t>(3 * (y * w + x))];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

uint32_t be32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint8_t(s[at + 3]);
}

// Reads the tool's own output: 8-bit RGB, rows unfiltered.
Frame readPng(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Frame f;
    std::string packed;
    for (size_t at = 8; at + 8 <= s.size();) {
        uint32_t len = be32(s, at);
        std::string type = s.substr(at + 4, 4);
        if (type == "IHDR") {
            f.w = static_cast<int>(be32(s, at + 8));
            f.h = static_cast<int>(be32(s, at + 12));
        } else if (type == "IDAT") {
            packed += s.substr(at + 8, len);
        }
        at += 12 + len;
    }
    std::vector<uint8_t> raw(static_cast<size_t>(f.h) * (3 * f.w + 1));
    uLongf size = raw.size();
    if (f.w == 0 || uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()),
                               packed.size()) != Z_OK)
        return {};
    for (int y = 0; y < f.h; ++y) {
        const uint8_t* row = &raw[static_cast<size_t>(y) * (3 * f.w + 1)];
        if (row[0] != 0) return {};
        f.rgb.insert(f.rgb.end(), row + 1, row + 1 + 3 * f.w);
    }
    return f;
}

} // namespace

TEST(Screenshots, ShowEverySceneAndACoveringWipe) {
    auto dir =
        std::filesystem::temp_directory_path() / ("foldbot_shots_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string cmd = std::string("cd '") + ASSET_ROOT + "' && '" + SCREENSHOT_TOOL + "' '" +
                      dir.string() + "' > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    std::vector<Frame> frames;
    for (const char* name : {"title.png", "level1.png", "level2.png", "end.png", "wipe.png"}) {
        frames.push_back(readPng((dir / name).string()));
        EXPECT_EQ(frames.back().w, 800) << name;
        EXPECT_EQ(frames.back().h, 500) << name;
    }
    std::filesystem::remove_all(dir);
    for (const Frame& f : frames) ASSERT_EQ(f.rgb.size(), 800u * 500 * 3);

    // Every scene was reached and drawn: no two shots alike, and each level shows its board.
    for (size_t a = 0; a < frames.size(); ++a)
        for (size_t b = a + 1; b < frames.size(); ++b) EXPECT_NE(frames[a].rgb, frames[b].rgb);
    for (size_t level : {1u, 2u}) {
        int lit = 0;
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 800; ++x) lit += frames[level].at(x, y) != 0;
        EXPECT_GT(lit, 800 * 500 / 10) << "level " << level;
    }

    // Closed, the teeth hide everything: the middle of the screen shows only tooth colours.
    SDL_Surface* tooth = SDL_LoadBMP((std::string(ASSET_ROOT) + "/img/tooth.bmp").c_str());
    ASSERT_NE(tooth, nullptr);
    ASSERT_EQ(tooth->format->BytesPerPixel, 3);
    std::set<uint32_t> toothColours;
    for (int y = 0; y < tooth->h; ++y)
        for (int x = 0; x < tooth->w; ++x) {
            const uint8_t* p = static_cast<uint8_t*>(tooth->pixels) + y * tooth->pitch + 3 * x;
            toothColours.insert(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
        }
    SDL_FreeSurface(tooth);
    int foreign = 0;
    for (int y = 10; y < 490; ++y)
        for (int x = 0; x < 800; ++x) foreign += !toothColours.count(frames[4].at(x, y));
    EXPECT_EQ(foreign, 0);
}
