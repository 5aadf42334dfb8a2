// Pictures a player may put in img/: every sound shape loads, and each tampered header is refused
// with the usual message before SDL's reader sees it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "app/Bitmap.h"
#include "app/Video.h"
#include "tools/fuzz/Bitmaps.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A copy with one little-endian field overwritten.
Bytes patched(Bytes b, std::size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return b;
}

class Bitmap : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_NE(SDL_SetVideoMode(800, 500, 32, SDL_DOUBLEBUF), nullptr);
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    // Loads the bytes as a picture file; the message printed, if any, lands in `said`.
    SDL_Surface* load(const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        testing::internal::CaptureStdout();
        SDL_Surface* s = loadImage(path.c_str());
        said = testing::internal::GetCapturedStdout();
        return s;
    }
    void TearDown() override { std::filesystem::remove(path); }

    const std::string path = std::filesystem::temp_directory_path() /
                             ("foldbot-bitmap-" + std::to_string(getpid()) + ".bmp");
    std::string said;
};

TEST_F(Bitmap, EverySoundShapeLoads) {
    // Width, height (negative: top-down), depth, header size, compression (3: masks), colours.
    std::vector<BitmapShape> shapes{
        {4, 3, 8, 40, 0, 3}, {4, 3, 8, 12}, {4, 3, 16, 40, 3}, {4, 3, 32, 40, 3}, {4, 3, 32, 124}};
    for (uint16_t depth : {1, 4, 8, 16, 24, 32}) {
        shapes.push_back({4, 3, depth});
        shapes.push_back({9, -5, depth});
    }
    for (const BitmapShape& s : shapes) {
        SCOPED_TRACE(testing::Message() << "depth " << s.depth << ", header " << s.headerSize
                                        << ", height " << s.height);
        SDL_Surface* picture = load(makeBitmap(s));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->w, s.width);
        EXPECT_EQ(said, "");
        SDL_FreeSurface(picture);
    }
}

TEST_F(Bitmap, TamperedHeadersAreRefusedWithTheUsualMessage) {
    const Bytes sound8 = makeBitmap({4, 3, 8, 40, 0, 4}), sound24 = makeBitmap({});
    const Bytes sound32 = makeBitmap({4, 3, 32, 40, 3});
    const std::size_t pixels8 = 14 + 40 + 4 * 4;
    Bytes shorter = sound24;
    shorter.pop_back();

    const std::vector<std::pair<const char*, Bytes>> cases{
        {"only the signature", Bytes{'B', 'M'}},
        {"header cut short", Bytes(sound24.begin(), sound24.begin() + 30)},
        {"wrong signature", patched(sound24, 1, 'A', 1)},
        {"unknown header size", patched(sound24, 14, 20, 4)},
        {"no width", patched(sound24, 18, 0, 4)},
        {"too wide", patched(sound24, 18, 40000, 4)},
        {"too tall top-down", patched(sound24, 22, uint32_t(-5000), 4)},
        {"no depth", patched(sound24, 28, 0, 2)},
        {"two-bit depth", patched(sound8, 28, 2, 2)},
        {"run-length", patched(sound8, 30, 1, 4)},
        {"masks at 24 bits", patched(sound24, 30, 3, 4)},
        {"palette beyond the depth", patched(sound8, 46, 300, 4)},
        {"index beyond the palette", patched(sound8, pixels8 + 1, 9, 1)},
        {"pixels past the end", shorter},
        {"pixels inside the header", patched(sound24, 10, 40, 4)},
        {"scattered mask", patched(sound32, 54, 0x00F0F000, 4)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(load(bytes), nullptr);
        EXPECT_EQ(said, "porbl\xE8me avec le fichier " + path + "\n");
    }
}

} // namespace
