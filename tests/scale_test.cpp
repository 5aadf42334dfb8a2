// Big windows: what --scale and --fullscreen make of displays of many sizes, and every frame of a
// scaled run against the plain run's, enlarged.
#include <cstring>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "demo_support.h"

using namespace demo_test;

namespace {

// Each shown window read back as the frame it enlarges (a checksum of every square's top-left
// pixel), with the count of pixels that break the pattern: a square not of one colour, or a
// border that is not black (0: the window's format has no alpha).
std::vector<std::pair<uint64_t, long>> seen;
ScreenPlan showing;

void see(SDL_Surface* s) {
    const int n = showing.scale;
    uint64_t frame = 1469598103934665603ull;
    long stray = 0;
    for (int y = 0; y < s->h; ++y) {
        const Uint32* line = static_cast<const Uint32*>(s->pixels) + y * s->pitch / 4;
        const int fy = y - showing.top;
        if (fy > 0 && fy < 500 * n && fy % n != 0) { // inside a square, a row repeats the last
            stray += std::memcmp(line, line - s->pitch / 4, 4 * s->w) != 0;
            continue;
        }
        for (int x = 0; x < s->w; ++x) {
            const int fx = x - showing.left;
            if (fy < 0 || fy >= 500 * n || fx < 0 || fx >= 800 * n)
                stray += line[x] != 0;
            else if (fx % n == 0)
                frame = (frame ^ line[x]) * 1099511628211ull;
            else
                stray += line[x] != line[x - 1];
        }
    }
    seen.emplace_back(frame, stray);
}

} // namespace

// Full screen, the window is shown by an update of the frame's part rather than a flip.
extern "C" int __real_SDL_Flip(SDL_Surface* screen);
extern "C" int __wrap_SDL_Flip(SDL_Surface* s) {
    see(s);
    return __real_SDL_Flip(s);
}
extern "C" void __real_SDL_UpdateRect(SDL_Surface* screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h);
extern "C" void __wrap_SDL_UpdateRect(SDL_Surface* s, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    see(s);
    __real_SDL_UpdateRect(s, x, y, w, h);
}

namespace {

TEST(Scale, PlansFitTheDisplayOrNameTheLargestScaleThatDoes) {
    // Scale asked, full screen, the display; then the mode, scale and corner, or the refusal.
    const std::vector<std::tuple<int, bool, int, int, std::vector<int>, std::string>> cases{
        {2, false, 1920, 1080, {1600, 1000, 2, 0, 0}, ""},
        {3, false, 1920, 1080, {}, "2400 x 1500, larger than the display (1920 x 1080)"},
        {2, false, 1599, 1200, {}, "the largest scale that fits is 1"},
        {1, false, 640, 480, {}, "no scale fits it"},
        {0, true, 1366, 768, {1366, 768, 1, 283, 134}, ""},
        {0, true, 5120, 2880, {5120, 2880, 4, 960, 440}, ""}, // never above 4
        {3, true, 1920, 1080, {}, "--scale 3 makes a picture of 2400 x 1500"},
        {0, true, 800, 499, {}, "is smaller than the game's 800 x 500"},
        // A display whose size SDL cannot tell refuses nothing.
        {0, true, 0, 0, {800, 500, 1, 0, 0}, ""},
    };
    for (const auto& [scale, full, width, height, mode, refusal] : cases) {
        SCOPED_TRACE(std::to_string(scale) + (full ? " full screen on " : " on ") +
                     std::to_string(width) + " x " + std::to_string(height));
        ScreenPlan p;
        std::string error;
        const bool fits = planScreen(scale, full, width, height, p, error);
        EXPECT_EQ(fits, refusal.empty()) << error;
        if (fits)
            EXPECT_EQ(std::vector<int>({p.width, p.height, p.scale, p.left, p.top}), mode);
        else
            EXPECT_NE(error.find(refusal), std::string::npos) << error;
    }
}

// The title with a pose, Enter's wipe, poses on the first level (Space then a pose among them),
// Escape's wipe and the end board: every frame of a scaled run, windowed or full screen, is the
// plain run's enlarged. The odd display width puts the full-screen frame at an odd place in
// memory, which the copy takes pixel by pixel.
TEST(Scale, EveryFrameIsThePlainFrameEnlargedPixelForPixel) {
    auto play = [](const ScreenPlan& plan) {
        HeadlessGame game(plan);
        EXPECT_TRUE(game.up);
        showing = plan;
        seen.clear();
        GameBoards boards(game.stage.sprites);
        LoopState state;
        SDL_FillRect(game.stage.screen, nullptr, 0); // the dummy driver leaves it as it was
        const std::map<int, SDLKey> keys{{3, SDLK_c},       {40, SDLK_RETURN}, {170, SDLK_d},
                                         {200, SDLK_SPACE}, {204, SDLK_c},     {260, SDLK_ESCAPE},
                                         {380, SDLK_z}};
        for (int frame = 1; frame <= 420; ++frame) {
            if (auto key = keys.find(frame); key != keys.end()) push(SDL_KEYDOWN, key->second);
            runFrame(state, game.stage, boards, fakeClock);
        }
        EXPECT_EQ(state.scene, 8);
        return seen;
    };
    const auto plain = play(ScreenPlan{});
    std::set<uint64_t> distinct;
    for (const auto& [frame, stray] : plain) distinct.insert(frame);
    EXPECT_GT(distinct.size(), 200u);

    ScreenPlan twice, thrice, full;
    std::string error;
    ASSERT_TRUE(planScreen(2, false, 0, 0, twice, error) &&
                planScreen(3, false, 0, 0, thrice, error) &&
                planScreen(0, true, 1802, 1080, full, error));
    for (const ScreenPlan& plan : {twice, thrice, full}) {
        SCOPED_TRACE("scale " + std::to_string(plan.scale) + (plan.fullscreen ? ", full" : ""));
        const auto scaled = play(plan);
        ASSERT_EQ(scaled.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i)
            ASSERT_EQ(scaled[i], std::make_pair(plain[i].first, 0L)) << "flip " << i + 1;
    }
}

} // namespace
