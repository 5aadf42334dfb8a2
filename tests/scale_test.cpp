// Big windows: what --scale and --fullscreen ask of displays of many sizes, the program's answer to
// bad values, and every frame of a scaled run against the plain run's, enlarged.
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "demo_support.h"

using namespace demo_test;

namespace {

// Each flip seen as the frame it enlarges: a checksum of the 800 x 500 picture, read from the
// top-left pixel of every square, and the count of window pixels that break the pattern (a square
// not of one colour, or a border that is not black).
struct Seen {
    uint64_t frame;
    long stray;
};
std::vector<Seen> seen;
ScreenPlan showing;

} // namespace

static void see(SDL_Surface* s) {
    const int n = showing.scale, left = showing.left, top = showing.top;
    const Uint32 black = SDL_MapRGB(s->format, 0, 0, 0);
    auto row = [s](int y) { return static_cast<const Uint32*>(s->pixels) + y * s->pitch / 4; };
    Seen flip{1469598103934665603ull, 0};
    for (int y = 0; y < s->h; ++y) {
        const int fy = y - top;
        const Uint32* line = row(y);
        if (fy > 0 && fy < 500 * n && fy % n != 0) {
            // Inside a square's height every row repeats the one above.
            flip.stray += std::memcmp(line, row(y - 1), 4 * s->w) != 0;
            continue;
        }
        for (int x = 0; x < s->w; ++x) {
            const int fx = x - left;
            if (fy < 0 || fy >= 500 * n || fx < 0 || fx >= 800 * n) {
                flip.stray += line[x] != black;
            } else if (fx % n == 0) {
                flip.frame = (flip.frame ^ line[x]) * 1099511628211ull;
            } else {
                flip.stray += line[x] != line[x - 1];
            }
        }
    }
    seen.push_back(flip);
}

// A full-screen window is shown by an update of the frame's part of it rather than a flip.
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
    struct Case {
        int scale;
        bool fullscreen;
        int displayW, displayH;
        ScreenPlan plan;     // when it fits
        const char* refusal; // when it does not
    };
    const Case cases[] = {
        {2, false, 1920, 1080, {1600, 1000, 2, 0, 0, false}, nullptr},
        {4, false, 3200, 2000, {3200, 2000, 4, 0, 0, false}, nullptr},
        {3,
         false,
         1920,
         1080,
         {},
         "--scale 3 makes a window of 2400 x 1500, larger than the "
         "display (1920 x 1080): the largest scale that fits is 2"},
        // A display one pixel short of a scale falls back a whole step.
        {2, false, 1599, 1200, {}, "the largest scale that fits is 1"},
        {1, false, 640, 480, {}, "larger than the display (640 x 480): no scale fits it"},
        // Full screen takes the desktop's mode and centres the largest scale, at most 4.
        {0, true, 1920, 1080, {1920, 1080, 2, 160, 40, true}, nullptr},
        {0, true, 1366, 768, {1366, 768, 1, 283, 134, true}, nullptr},
        {0, true, 2560, 1440, {2560, 1440, 2, 480, 220, true}, nullptr},
        {0, true, 5120, 2880, {5120, 2880, 4, 960, 440, true}, nullptr},
        {1, true, 1920, 1080, {1920, 1080, 1, 560, 290, true}, nullptr},
        {3, true, 1920, 1080, {}, "--scale 3 makes a picture of 2400 x 1500"},
        {0, true, 800, 499, {}, "the display (800 x 499) is smaller than the game's 800 x 500"},
        // A display of unknown size refuses nothing.
        {4, false, 0, 0, {3200, 2000, 4, 0, 0, false}, nullptr},
        {0, true, 0, 0, {800, 500, 1, 0, 0, true}, nullptr},
        {3, true, 0, 0, {2400, 1500, 3, 0, 0, true}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scale) + (c.fullscreen ? " full screen on " : " on ") +
                     std::to_string(c.displayW) + " x " + std::to_string(c.displayH));
        ScreenPlan plan;
        std::string error;
        const bool fits = planScreen(c.scale, c.fullscreen, c.displayW, c.displayH, plan, error);
        ASSERT_EQ(fits, c.refusal == nullptr) << error;
        if (!fits) {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
            continue;
        }
        const ScreenPlan& p = c.plan;
        EXPECT_EQ(
            std::tie(plan.width, plan.height, plan.scale, plan.left, plan.top, plan.fullscreen),
            std::tie(p.width, p.height, p.scale, p.left, p.top, p.fullscreen));
    }
}

// As with the demo options, a refusal comes before start-up: in a folder without pictures the
// game would otherwise report them.
TEST(Scale, BadValuesExitWithStatusTwoBeforeAnyWindow) {
    const std::string dir = scratchPath("scale-options");
    std::filesystem::create_directory(dir);
    for (const auto& [args, message] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--scale", "0"}, "--scale takes 1, 2, 3 or 4, not \"0\""},
             {{"--scale", "5"}, "--scale takes 1, 2, 3 or 4, not \"5\""},
             {{"--scale", "x"}, "--scale takes 1, 2, 3 or 4, not \"x\""},
             {{"--scale", "22"}, "--scale takes 1, 2, 3 or 4, not \"22\""},
             {{"--scale"}, "--scale needs a number: 1, 2, 3 or 4"},
             {{"--scale", "--fullscreen"}, "--scale takes 1, 2, 3 or 4, not \"--fullscreen\""},
             {{"--scale", "2", "--scale", "2"}, "--scale is given twice"},
             {{"--fullscreen", "--fullscreen"}, "--fullscreen is given twice"},
         }) {
        std::vector<std::string> command{FOLDBOT_BIN};
        command.insert(command.end(), args.begin(), args.end());
        Outcome run = runProgram(command, dir);
        EXPECT_TRUE(exitedWith(run.status, 2)) << message;
        EXPECT_EQ(run.err, "foldbot: " + message + " (see --help)\n");
        EXPECT_EQ(run.out, "");
    }
    std::filesystem::remove_all(dir);
}

// The title with a pose, Enter's wipe, poses on the first level (one of them Space then a pose,
// mid-glide), Escape's wipe and the end board: every flip of a scaled run, plain or full screen,
// shows the plain run's frame enlarged. The odd display width puts the full-screen frame at an odd
// place in memory, which the copy takes pixel by pixel.
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
    const std::vector<Seen> plain = play(ScreenPlan{});
    std::set<uint64_t> distinct;
    for (const Seen& s : plain) distinct.insert(s.frame);
    EXPECT_GT(distinct.size(), 200u);

    ScreenPlan twice, thrice, full;
    std::string error;
    ASSERT_TRUE(planScreen(2, false, 0, 0, twice, error) &&
                planScreen(3, false, 0, 0, thrice, error) &&
                planScreen(0, true, 1802, 1080, full, error));
    for (const ScreenPlan& plan : {twice, thrice, full}) {
        SCOPED_TRACE("scale " + std::to_string(plan.scale) + (plan.fullscreen ? ", full" : ""));
        const std::vector<Seen> scaled = play(plan);
        ASSERT_EQ(scaled.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) {
            EXPECT_EQ(scaled[i].stray, 0) << "flip " << i + 1;
            EXPECT_EQ(scaled[i].frame, plain[i].frame) << "flip " << i + 1;
            if (scaled[i].stray != 0 || scaled[i].frame != plain[i].frame) break;
        }
    }
}

} // namespace
