// The generated pictures (sizes, sprite sheet, transparency), the screenshots, and
// the tracks: they load in SDL_mixer, last long enough, sound, never clip, loop cleanly.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const std::string root = ASSET_ROOT;
const uint32_t key = 0xFF80FF;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Close to the key colour without being it: an antialiasing fringe the game draws opaque.
bool nearKey(uint32_t c) {
    auto near = [c](int shift, int want) { return std::abs(int(c >> shift & 255) - want) <= 40; };
    return c != key && near(16, 255) && near(8, 128) && near(0, 255);
}

// A picture as 0xRRGGBB values, row by row; none unless it is the generator's 24-bit kind.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    std::vector<uint32_t> cell(int x0, int y0) const {
        std::vector<uint32_t> out;
        for (int y = y0; y < y0 + 20; ++y)
            out.insert(out.end(), px.begin() + (y * w + x0), px.begin() + (y * w + x0 + 20));
        return out;
    }
};

Picture load(const std::string& name) {
    Picture p;
    SDL_Surface* s = SDL_LoadBMP((root + "/img/" + name).c_str());
    if (s && s->format->BytesPerPixel == 3) {
        p.w = s->w;
        p.h = s->h;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) {
                const Uint8* b = static_cast<Uint8*>(s->pixels) + y * s->pitch + 3 * x;
                p.px.push_back(uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0]);
            }
    }
    SDL_FreeSurface(s);
    return p;
}

// Reads the screenshot tool's own output, 800 x 500 8-bit RGB with unfiltered rows, as 0xRRGGBB
// pixels; none when it is anything else (only that size unpacks to exactly that many bytes).
std::vector<uint32_t> readShot(const std::string& path) {
    const std::string s = bytesOf(path);
    auto be32 = [&s](size_t at) {
        uint32_t v = 0;
        for (size_t i = at; i < at + 4; ++i) v = v << 8 | uint8_t(s[i]);
        return v;
    };
    std::string packed;
    for (size_t at = 8; at + 16 <= s.size(); at += 12 + be32(at))
        if (s.compare(at + 4, 4, "IDAT") == 0) packed += s.substr(at + 8, be32(at));
    std::vector<uint8_t> raw(500 * (3 * 800 + 1));
    uLongf size = raw.size();
    std::vector<uint32_t> px;
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()),
                   packed.size()) != Z_OK ||
        size != raw.size())
        return px;
    for (const uint8_t* row = raw.data(); row < raw.data() + size; row += 3 * 800 + 1) {
        if (row[0] != 0) return {};
        for (const uint8_t* p = row + 1; p < row + 1 + 3 * 800; p += 3)
            px.push_back(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
    return px;
}

} // namespace

TEST(Pictures, HaveTheSizesTheScenesPlaceThemByAndNoHoles) {
    // The backgrounds are laid whole every frame, and eight teeth across in two rows meeting at
    // y = 250 close the screen: a transparent pixel would show what lies behind.
    const std::tuple<const char*, int, int> sizes[] = {
        {"title.bmp", 800, 500}, {"loose.bmp", 800, 500}, {"tooth.bmp", 100, 250}};
    for (const auto& [name, w, h] : sizes) {
        Picture p = load(name);
        EXPECT_EQ(std::pair(p.w, p.h), std::pair(w, h)) << name;
        EXPECT_EQ(std::count(p.px.begin(), p.px.end(), key), 0) << name;
        EXPECT_EQ(std::count_if(p.px.begin(), p.px.end(), nearKey), 0) << name;
    }
}

TEST(Pictures, SpriteSheetHasEverySpriteWhereTheBoardsLookForIt) {
    // Twenty loose blocks side by side on the top row, three rows of cells.
    Picture s = load("bot.bmp");
    ASSERT_GE(s.w, 400);
    ASSERT_GE(s.h, 60);
    EXPECT_EQ(std::count_if(s.px.begin(), s.px.end(), nearKey), 0);
    std::vector<std::vector<uint32_t>> cells;
    for (int i = 0; i < 20; ++i) cells.push_back(s.cell(20 * i, 0));  // loose blocks
    for (int x : {0, 20, 40}) cells.push_back(s.cell(x, 20));         // the robot
    for (int x : {0, 20, 40, 60, 80}) cells.push_back(s.cell(x, 40)); // map cells
    for (size_t a = 0; a < cells.size(); ++a) {
        // Solid art: at most a few transparent corner pixels.
        EXPECT_LE(std::count(cells[a].begin(), cells[a].end(), key), 20) << "sprite " << a;
        // Each tells itself apart, the two conveyors included.
        for (size_t b = a + 1; b < cells.size(); ++b)
            EXPECT_TRUE(cells[a] != cells[b]) << "sprites " << a << " and " << b << " look alike";
    }
    // The empty cell shows the scene behind every blank of a board.
    const std::vector<uint32_t> empty = s.cell(100, 40);
    EXPECT_EQ(std::count(empty.begin(), empty.end(), key), 400);
}

TEST(Screenshots, ShowEverySceneAndACoveringWipe) {
    auto dir =
        std::filesystem::temp_directory_path() / ("foldbot_shots_" + std::to_string(::getpid()));
    std::string cmd =
        "cd '" + root + "' && '" + SCREENSHOT_TOOL + "' '" + dir.string() + "' > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::vector<std::vector<uint32_t>> shots;
    for (const char* name : {"title.png", "level1.png", "level2.png", "end.png", "wipe.png"})
        shots.push_back(readShot((dir / name).string()));
    std::filesystem::remove_all(dir);
    // Away from the pictures it refuses rather than save blank ones; --help is no folder name.
    const std::string tool = "'" + std::string(SCREENSHOT_TOOL) + "' ";
    EXPECT_EQ(std::system(("cd / && " + tool + "'" + dir.string() + "' >/dev/null 2>&1").c_str()),
              2 << 8);
    EXPECT_EQ(
        std::system(
            ("cd '" + dir.parent_path().string() + "' && " + tool + "--help >/dev/null").c_str()),
        0);
    EXPECT_FALSE(std::filesystem::exists(dir) ||
                 std::filesystem::exists(dir.parent_path() / "--help"));
    for (const auto& shot : shots) {
        ASSERT_EQ(shot.size(), 800u * 500);
        // The key colour is drawn nowhere: the corners of sprites and the empty cells show through.
        EXPECT_EQ(std::count(shot.begin(), shot.end(), key), 0);
    }

    // Every scene was reached and drawn: no two shots alike, and each level shows its board.
    for (size_t a = 0; a < shots.size(); ++a)
        for (size_t b = a + 1; b < shots.size(); ++b) EXPECT_TRUE(shots[a] != shots[b]);
    for (size_t level : {1u, 2u})
        EXPECT_LT(std::count(shots[level].begin(), shots[level].end(), 0u), 800 * 500 * 9 / 10);

    // Closed, the teeth hide everything: the middle of the screen shows only tooth colours.
    const Picture tooth = load("tooth.bmp");
    const std::set<uint32_t> toothColours(tooth.px.begin(), tooth.px.end());
    ASSERT_FALSE(toothColours.empty());
    int foreign = 0;
    for (size_t at = 10 * 800; at < 490 * 800; ++at) foreign += !toothColours.count(shots[4][at]);
    EXPECT_EQ(foreign, 0);
}

TEST(Music, TracksLoadAndAreStereoLoopsOfTheRightLengthAndLoudness) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    std::vector<std::vector<float>> pieces;
    for (const char* name : {"goof.ogg", "robot_wars.ogg", "lurm.ogg", "down.ogg"}) {
        SCOPED_TRACE(name);
        const std::string path = root + "/snd/" + name;
        Mix_Music* music = Mix_LoadMUS(path.c_str());
        EXPECT_NE(music, nullptr) << Mix_GetError();
        if (music) Mix_FreeMusic(music);

        EXPECT_LT(std::filesystem::file_size(path), 1000000u);
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0);
        ASSERT_EQ(ov_info(&vf, -1)->channels, 2);
        // The game's device rate: SDL_mixer 1.2 would otherwise resample, coarsely.
        ASSERT_EQ(ov_info(&vf, -1)->rate, 22050);
        std::vector<float> left, right;
        float** pcm;
        int section;
        for (long got; (got = ov_read_float(&vf, &pcm, 4096, &section)) > 0;) {
            left.insert(left.end(), pcm[0], pcm[0] + got);
            right.insert(right.end(), pcm[1], pcm[1] + got);
        }
        ov_clear(&vf);
        const size_t n = left.size();
        ASSERT_GE(n, 20u * 22050);
        EXPECT_LE(n, 60u * 22050);

        double sum = 0, peak = 0;
        for (size_t i = 0; i < n; ++i) {
            sum += left[i] * left[i] + right[i] * right[i];
            peak = std::max({peak, double(std::abs(left[i])), double(std::abs(right[i]))});
        }
        EXPECT_GT(std::sqrt(sum / (2.0 * n)), 0.05) << "too quiet";
        EXPECT_LT(peak, 0.98) << "clips";

        // The loop point: the last sample leads into the first no further than neighbours
        // around it move, so the restart makes no click.
        const size_t span = 2048;
        double motion = 0;
        for (size_t i = 1; i < span; ++i)
            motion += std::abs(left[i] - left[i - 1]) + std::abs(right[i] - right[i - 1]) +
                      std::abs(left[n - i] - left[n - i - 1]) +
                      std::abs(right[n - i] - right[n - i - 1]);
        motion /= 4.0 * (span - 1);
        EXPECT_LE(std::abs(left.front() - left.back()), 0.01 + 4 * motion);
        EXPECT_LE(std::abs(right.front() - right.back()), 0.01 + 4 * motion);
        pieces.push_back(std::move(left));
    }
    Mix_CloseAudio();
    SDL_Quit();
    // Four different pieces, not one track copied four times.
    for (size_t a = 0; a < pieces.size(); ++a)
        for (size_t b = a + 1; b < pieces.size(); ++b) EXPECT_TRUE(pieces[a] != pieces[b]);
}
