// The generated pictures: sizes, the sprite sheet's layout, transparency and byte-stable output.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string root = ASSET_ROOT;

struct Rgb {
    int r, g, b;
    bool isKey() const { return r == 255 && g == 128 && b == 255; }
    // Close to the key colour without being it: an antialiasing fringe the game draws opaque.
    bool nearKey() const {
        return !isKey() && std::abs(r - 255) <= 40 && std::abs(g - 128) <= 40 &&
               std::abs(b - 255) <= 40;
    }
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Picture {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Rgb at(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }
    int opaqueIn(int x0, int y0, int w0, int h0) const {
        int n = 0;
        for (int y = y0; y < y0 + h0; ++y)
            for (int x = x0; x < x0 + w0; ++x) n += !at(x, y).isKey();
        return n;
    }
    std::vector<Rgb> cell(int x0, int y0) const {
        std::vector<Rgb> out;
        for (int y = y0; y < y0 + 20; ++y)
            for (int x = x0; x < x0 + 20; ++x) out.push_back(at(x, y));
        return out;
    }
};

Picture load(const std::string& name) {
    Picture p;
    SDL_Surface* raw = SDL_LoadBMP((root + "/img/" + name).c_str());
    if (!raw) return p;
    SDL_PixelFormat fmt{};
    fmt.BitsPerPixel = 32;
    fmt.BytesPerPixel = 4;
    fmt.Rmask = 0xFF0000;
    fmt.Gmask = 0x00FF00;
    fmt.Bmask = 0x0000FF;
    fmt.Rshift = 16;
    fmt.Gshift = 8;
    SDL_Surface* s = SDL_ConvertSurface(raw, &fmt, SDL_SWSURFACE);
    SDL_FreeSurface(raw);
    if (!s) return p;
    p.w = s->w;
    p.h = s->h;
    for (int y = 0; y < s->h; ++y) {
        auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x)
            p.px.push_back({int(row[x] >> 16 & 255), int(row[x] >> 8 & 255), int(row[x] & 255)});
    }
    SDL_FreeSurface(s);
    return p;
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char* const allFiles[] = {"img/title.bmp", "img/tooth.bmp", "img/bot.bmp",
                                "img/loose.bmp", "snd/goof.ogg",  "snd/robot_wars.ogg",
                                "snd/lurm.ogg",  "snd/down.ogg"};

} // namespace

TEST(Pictures, HaveTheSizesTheScenesPlaceThemBy) {
    Picture title = load("title.bmp"), tooth = load("tooth.bmp"), loose = load("loose.bmp"),
            sheet = load("bot.bmp");
    EXPECT_EQ(title.w, 800);
    EXPECT_EQ(title.h, 500);
    EXPECT_EQ(loose.w, 800);
    EXPECT_EQ(loose.h, 500);
    EXPECT_EQ(tooth.w, 100);
    EXPECT_EQ(tooth.h, 250);
    // Twenty loose blocks side by side on the top row, three rows of cells.
    EXPECT_GE(sheet.w, 400);
    EXPECT_GE(sheet.h, 60);
}

TEST(Pictures, SpriteSheetHasEverySpriteWhereTheBoardsLookForIt) {
    Picture s = load("bot.bmp");
    ASSERT_GE(s.w, 400);
    ASSERT_GE(s.h, 60);
    // Blocks and map cells are solid art: at most a few transparent corner pixels.
    auto solid = [&](int x, int y) { return s.opaqueIn(x, y, 20, 20) >= 380; };
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(solid(20 * i, 0)) << "loose block " << i;
    for (int x : {0, 20, 40}) EXPECT_TRUE(solid(x, 20)) << "robot sprite at x " << x;
    for (int x : {0, 20, 40, 60, 80}) EXPECT_TRUE(solid(x, 40)) << "map cell at x " << x;
    // The empty cell shows the scene behind every blank of a board.
    EXPECT_EQ(s.opaqueIn(100, 40, 20, 20), 0);

    // Each loose block wears its own label; the robot's three sprites and the map cells each
    // tell themselves apart, the two conveyors included.
    std::vector<std::vector<Rgb>> cells;
    for (int i = 0; i < 20; ++i) cells.push_back(s.cell(20 * i, 0));
    for (int x : {0, 20, 40}) cells.push_back(s.cell(x, 20));
    for (int x : {0, 20, 40, 60, 80}) cells.push_back(s.cell(x, 40));
    for (size_t a = 0; a < cells.size(); ++a)
        for (size_t b = a + 1; b < cells.size(); ++b)
            EXPECT_FALSE(cells[a] == cells[b]) << "sprites " << a << " and " << b << " look alike";
}

TEST(Pictures, OnlyTheKeyColourIsTransparentAndNothingFringesIt) {
    for (const char* name : {"title.bmp", "tooth.bmp", "bot.bmp", "loose.bmp"}) {
        Picture p = load(name);
        ASSERT_GT(p.w, 0) << name;
        int fringe = 0;
        for (const Rgb& c : p.px) fringe += c.nearKey();
        EXPECT_EQ(fringe, 0) << name;
    }
    // The backgrounds are laid whole every frame: a hole would show the frame before.
    for (const char* name : {"title.bmp", "loose.bmp"}) {
        Picture p = load(name);
        EXPECT_EQ(p.opaqueIn(0, 0, p.w, p.h), p.w * p.h) << name;
    }
}

TEST(Pictures, ClosedWipeCoversTheWholeScreen) {
    Picture tooth = load("tooth.bmp");
    ASSERT_GT(tooth.w, 0);
    // Eight teeth across, one row ending at y = 250 and one starting there, as the loop draws.
    std::vector<bool> covered(800 * 500, false);
    for (int i = 0; i < 8; ++i)
        for (int top : {250 - tooth.h, 250})
            for (int y = 0; y < tooth.h; ++y)
                for (int x = 0; x < tooth.w; ++x) {
                    int sx = 100 * i + x, sy = top + y;
                    if (sx < 800 && sy >= 0 && sy < 500 && !tooth.at(x, y).isKey())
                        covered[static_cast<size_t>(sy * 800 + sx)] = true;
                }
    EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0);
}

TEST(Generator, WritesTheSameBytesOnEveryRun) {
    auto dir =
        std::filesystem::temp_directory_path() / ("foldbot_assets_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string cmd = "cd '" + dir.string() + "' && '" + ASSET_GENERATOR + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (const char* file : allFiles) {
        std::string fresh = bytesOf((dir / file).string());
        EXPECT_FALSE(fresh.empty()) << file;
        EXPECT_TRUE(fresh == bytesOf(root + "/" + file)) << file << " differs between runs";
    }
    std::filesystem::remove_all(dir);
}
