// Runs the game's scene loop headless through its real frame function and saves key frames as PNG.
#include "Frames.h"
#include "Png.h"
#include "app/Course.h"
#include "app/Demo.h"
#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

std::vector<uint8_t> shown;
int shownW = 0, shownH = 0;

namespace {

void capture(SDL_Surface* s) {
    shownW = s->w;
    shownH = s->h;
    shown.assign(static_cast<size_t>(3 * s->w * s->h), 0);
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const uint8_t* p =
                static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
            Uint32 pixel = 0;
            for (int b = 0; b < s->format->BytesPerPixel; ++b) pixel |= Uint32(p[b]) << (8 * b);
            uint8_t* out = &shown[static_cast<size_t>(3 * (y * s->w + x))];
            SDL_GetRGB(pixel, s->format, &out[0], &out[1], &out[2]);
        }
    SDL_UnlockSurface(s);
}

// Time runs one frame's worth per call, so the pacer never waits.
Uint32 fakeNow = 0;
Uint32 fakeTicks() {
    return fakeNow += 17;
}
void noDelay(Uint32) {}

} // namespace

const Clock fastClock{fakeTicks, noDelay};

void press(SDLKey key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

extern "C" int __real_SDL_Flip(SDL_Surface* screen);
extern "C" int __wrap_SDL_Flip(SDL_Surface* screen) {
    capture(screen);
    return __real_SDL_Flip(screen);
}

namespace {

const char usage[] =
    "usage: foldbot_screenshot [--frames N] OUTPUT_FOLDER\n"
    "       foldbot_screenshot --replay DEMO FIRST LAST OUTPUT_FOLDER\n"
    "       foldbot_screenshot --route BOARD|FILE.map KEYFILE OUTPUT_FOLDER LAST_STEP...\n"
    "       foldbot_screenshot --map FILE.map OUTPUT.png\n"
    "\n"
    "Plays the game headless through its own frame code and saves frames as PNG: the tour of\n"
    "the scenes, the first N frames, a demo's frames FIRST to LAST, a key file's board at the\n"
    "end of chosen steps, or a map's first frame. Run it from the folder holding img/ and snd/\n"
    "(the build folder).\n";

} // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
    if (argc > 1 && std::string(argv[1]) == "--route") return routeShots(argc - 2, argv + 2);
    if (argc > 1 && std::string(argv[1]) == "--map") return mapShot(argc - 2, argv + 2);
    // --frames N: only the first N frames, untouched by keys, as frame-001.png and on; other
    // builds of the game compare theirs against these. --replay DEMO FIRST LAST: a demo's play,
    // from frame FIRST to frame LAST, such as one the browser build recorded.
    int frames = 0, first = 1;
    std::vector<DemoEvent> demo;
    Course course;
    std::string error;
    if (argc == 4 && std::string(argv[1]) == "--frames") frames = std::atoi(argv[2]);
    if (argc == 6 && std::string(argv[1]) == "--replay") {
        first = std::atoi(argv[3]);
        frames = std::atoi(argv[4]);
        // Started as the demo says: practice keys, a level, maps.
        DemoSetup setup;
        Options options;
        options.replay = argv[2];
        if (!readDemoFile(argv[2], demo, error, &setup) ||
            !setUpCourse(options, setup, course, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 2;
        }
    }
    if ((argc != 2 && frames <= 0) || first < 1 || (argc == 2 && argv[1][0] == '-')) {
        if (argc > 1 && argv[1][0] == '-' && std::string(argv[1]) != "--frames" &&
            std::string(argv[1]) != "--replay")
            std::fprintf(stderr, "foldbot_screenshot: unknown option %s\n", argv[1]);
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string out = argv[argc - 1];
    LoopState state = course.startState();
    Stage stage;
    if (!startHeadless(stage, course)) return 2;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    GameBoards boards(stage.sprites, course);
    boards.pack.open(stage.screen, stage.glyphs);

    bool ok = true;
    auto save = [&](const char* name) {
        std::string path = out + "/" + name;
        if (!writePng(path, shownW, shownH, shown)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ok = false;
        }
    };
    // Runs frames until the wipe into `scene` has fully opened; false if it never does.
    auto reach = [&](SceneId scene, const char* closedShot) {
        for (int frame = 0; frame < 1000; ++frame) {
            SceneId before = state.scene;
            runFrame(state, stage, boards, fastClock);
            if (closedShot && state.scene != before) save(closedShot);
            if (state.scene == scene && state.nextScene == 0) return true;
        }
        std::fprintf(stderr, "scene %d never came\n", static_cast<int>(scene));
        return false;
    };

    // The tour of the scenes; false if a scene never comes.
    auto tour = [&]() {
        // The first frame has no background yet; the second is the title as the player meets it.
        runFrame(state, stage, boards, fastClock);
        runFrame(state, stage, boards, fastClock);
        save("title.png");

        press(SDLK_RETURN);
        if (!reach(2, "wipe.png")) return false;
        save("level1.png");
        // The second level opens as the first level's goal would open it.
        state.nextScene = 3;
        if (!reach(3, nullptr)) return false;
        save("level2.png");
        press(SDLK_ESCAPE);
        if (!reach(8, nullptr)) return false;
        save("end.png");
        return true;
    };

    DemoPlayer player(demo);
    if (frames > 0) {
        for (int frame = 1; frame <= frames && ok; ++frame) {
            runFrame(state, stage, boards, fastClock, player.source());
            if (frame < first) continue;
            char name[32];
            std::snprintf(name, sizeof name, "frame-%03d.png", frame);
            save(name);
        }
    } else if (!tour()) {
        ok = false;
    }

    releaseStage(stage);
    return ok ? 0 : 1;
}
