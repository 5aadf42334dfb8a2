// Benchmarks of the whole game headless: start-up to the first flipped frame, one whole frame of
// each scene beside the bare SDL calls that frame makes, frames of scaled windows with their
// enlarged copy, and the walkthrough played by the real program (frames per second and peak
// resident memory).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Demo.h"
#include "app/Music.h"
#include "app/Startup.h"
#include "app/Walkthrough.h"

namespace {

// The SDL calls of one frame, caught on their way so the bare loop can make them again.
struct Call {
    SDL_Surface* src; // null for a fill
    SDL_Rect srcRect;
    bool whole; // no source rectangle
    SDL_Surface* dst;
    SDL_Rect dstRect;
    bool noDst;
    Uint32 colour;
};
bool catching = false;
std::vector<Call> calls;

Uint32 fakeNow = 0;
const Clock unpaced{[] { return fakeNow += 17; }, [](Uint32) {}};

void headless() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (chdir(ASSET_ROOT) != 0) std::perror(ASSET_ROOT);
}

void BM_StartUpToFirstFlip(benchmark::State& state) {
    headless();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Stage stage;
        LoopState loop;
        if (!startUp(stage)) {
            state.SkipWithError("no screen");
            break;
        }
        GameBoards boards(stage.sprites);
        runFrame(loop, stage, boards, unpaced);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        releaseStage(stage);
    }
}

// One started game shared by the frame benchmarks, started again when another scale is asked for.
struct Game {
    Stage stage;
    GameBoards* boards = nullptr;
    int scale;
    explicit Game(int scale) : scale(scale) {
        headless();
        ScreenPlan plan;
        std::string error;
        planScreen(scale, false, 0, 0, plan, error);
        // The pack's chooser beside the shipped scenes, which it leaves as they are.
        Course course;
        std::string why;
        readPack(packFolder, course.maps, why);
        course.chooser = true;
        course.comfort = true; // the pack's small maps drawn large; the shipped scenes as ever
        startUp(stage, course, plan);
        boards = new GameBoards(stage.sprites, course);
        boards->pack.open(stage.screen, stage.glyphs);
    }
    ~Game() {
        delete boards;
        if (stage.window.surface) SDL_FreeSurface(stage.screen);
        releaseStage(stage);
    }
};
Game& game(int scale = 1) {
    static std::unique_ptr<Game> current;
    if (!current || current->scale != scale) {
        current.reset();
        current = std::make_unique<Game>(scale);
    }
    return *current;
}

// A loop state in `scene`, after its board has run long enough to settle; with `wipe`, the
// teeth half closed over it.
LoopState prepared(SceneId scene, bool wipe, int scale = 1) {
    LoopState loop;
    loop.scene = scene;
    loop.direction = 1000;
    for (int i = 0; i < 400; ++i) {
        LoopState copy = loop;
        runFrame(copy, game(scale).stage, *game(scale).boards, unpaced);
    }
    if (wipe) {
        loop.nextScene = scene == 8 ? 2 : 8;
        loop.wipe = 120;
    }
    return loop;
}

void BM_Frame(benchmark::State& state, SceneId scene, bool wipe, int scale = 1) {
    const LoopState start = prepared(scene, wipe, scale);
    Game& g = game(scale);
    calls.clear();
    catching = true;
    LoopState loop = start;
    runFrame(loop, g.stage, *g.boards, unpaced);
    catching = false;
    for (auto _ : state) {
        loop = start;
        benchmark::DoNotOptimize(runFrame(loop, g.stage, *g.boards, unpaced));
    }
    state.counters["sdl_calls"] = static_cast<double>(calls.size());
}

// The enlarged copy alone, as a scaled frame makes it in place of the plain flip.
void BM_ScaledCopy(benchmark::State& state, int scale) {
    Game& g = game(scale);
    for (auto _ : state) presentScaled(g.stage.screen, g.stage.window);
}

} // namespace

extern "C" int __real_SDL_UpperBlit(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);
extern "C" int __real_SDL_FillRect(SDL_Surface*, SDL_Rect*, Uint32);
extern "C" int __real_SDL_Flip(SDL_Surface*);

extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* sr, SDL_Surface* dst,
                                    SDL_Rect* dr) {
    if (catching)
        calls.push_back({src, sr ? *sr : SDL_Rect{}, sr == nullptr, dst, dr ? *dr : SDL_Rect{},
                         dr == nullptr, 0});
    return __real_SDL_UpperBlit(src, sr, dst, dr);
}
extern "C" int __wrap_SDL_FillRect(SDL_Surface* dst, SDL_Rect* dr, Uint32 colour) {
    if (catching)
        calls.push_back(
            {nullptr, SDL_Rect{}, true, dst, dr ? *dr : SDL_Rect{}, dr == nullptr, colour});
    return __real_SDL_FillRect(dst, dr, colour);
}
extern "C" int __wrap_SDL_Flip(SDL_Surface* screen) {
    return __real_SDL_Flip(screen);
}

namespace {

// The floor: the same blits, fills and flip as the scene's frame, with no game around them.
void BM_BareCalls(benchmark::State& state, SceneId scene, bool wipe) {
    const LoopState start = prepared(scene, wipe);
    calls.clear();
    catching = true;
    LoopState loop = start;
    runFrame(loop, game().stage, *game().boards, unpaced);
    catching = false;
    const std::vector<Call> frame = calls;
    SDL_Surface* screen = game().stage.screen;
    for (auto _ : state) {
        for (const Call& c : frame) {
            SDL_Rect sr = c.srcRect, dr = c.dstRect;
            if (c.src)
                __real_SDL_UpperBlit(c.src, c.whole ? nullptr : &sr, c.dst,
                                     c.noDst ? nullptr : &dr);
            else
                __real_SDL_FillRect(c.dst, c.noDst ? nullptr : &dr, c.colour);
        }
        __real_SDL_Flip(screen);
    }
    state.counters["sdl_calls"] = static_cast<double>(frame.size());
}

// The walkthrough with an Escape once the end scene is open, played by the real program with no
// pacing: frames per second and the peak resident memory of the whole run.
void BM_WalkthroughProgram(benchmark::State& state) {
    std::vector<DemoEvent> demo;
    std::string error;
    if (!parseDemo(walkthroughDemoText, demo, error) || demo.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const uint32_t frames = demo.back().frame + 1; // the demo ends as the end scene opens
    const std::string path = "/tmp/foldbot-bench-" + std::to_string(getpid()) + ".demo";
    // Escape takes the place of the demo's end, a frame later.
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fprintf(file, "%s %d\n", demoFormat, demoVersion);
    demo.back() = {frames, SDL_KEYDOWN, SDLK_ESCAPE};
    for (const DemoEvent& e : demo) {
        char line[96];
        formatDemoLine(line, sizeof line, e);
        std::fprintf(file, "%s\n", line);
    }
    std::fclose(file);
    long peakKb = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            headless();
            std::freopen("/dev/null", "w", stdout);
            alarm(300); // a demo that goes astray leaves the game waiting for keys
            execl(FOLDBOT_BIN, FOLDBOT_BIN, "--replay", path.c_str(), "--fast",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the game failed");
        peakKb = usage.ru_maxrss;
    }
    std::remove(path.c_str());
    state.counters["frames"] = frames;
    state.counters["fps"] =
        benchmark::Counter(frames, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_kB"] = static_cast<double>(peakKb);
}

} // namespace

BENCHMARK(BM_StartUpToFirstFlip)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_Frame, title, 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareCalls, title, 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, level1, 2, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareCalls, level1, 2, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, level2, 3, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareCalls, level2, 3, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, end, 8, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareCalls, end, 8, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, chooser, chooserScene, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareCalls, chooser, chooserScene, false)->Unit(benchmark::kMicrosecond);
// The pack's first, fifth and second maps, drawn at 4x, 3x and 2x.
BENCHMARK_CAPTURE(BM_Frame, map_zoom4, firstMapScene, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, map_zoom3, firstMapScene + 4, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, map_zoom2, firstMapScene + 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, title_wipe, 1, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareCalls, title_wipe, 1, true)->Unit(benchmark::kMicrosecond);
// The scaled runs last, so the game is started again only once per scale.
BENCHMARK_CAPTURE(BM_Frame, title_x2, 1, false, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, level1_x2, 2, false, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScaledCopy, x2, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, title_x3, 1, false, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, level1_x3, 2, false, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScaledCopy, x3, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, title_x4, 1, false, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, level1_x4, 2, false, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScaledCopy, x4, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WalkthroughProgram)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
