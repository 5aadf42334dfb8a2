// Benchmarks of the board engine: a step of each shipped board, and a drawn frame vs bare blits.
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <type_traits>
#include <vector>

#include "app/Practice.h"
#include "board/Level.h"
#include "content/Content.h"

namespace {

// Presses each key and lets the board run a while, so the robot exists and has room to move.
template <int W, int H> void play(Level<W, H>& lv, std::initializer_list<int> keys, int frames) {
    for (int key : keys) {
        runBoard(nullptr, lv, key, 0, 0);
        for (int f = 0; f < frames; ++f) runBoard(nullptr, lv, 1000, 0, 0);
    }
}

template <int W, int H> bool stepMoves(const Level<W, H>& start) {
    Level<W, H> lv = start;
    lv.step();
    for (int i = 0; i < lv.partCount; ++i)
        if (lv.parts[i].x != start.parts[i].x || lv.parts[i].y != start.parts[i].y) return true;
    return false;
}

// The copy restores the state each time; the BM_Restore pairs time it alone, to subtract.
template <int W, int H> void runSteps(benchmark::State& state, const Level<W, H>& start) {
    if (!stepMoves(start)) state.SkipWithError("the prepared step moves nothing");
    Level<W, H> lv = start;
    for (auto _ : state) {
        lv = start;
        lv.step();
        benchmark::DoNotOptimize(lv.parts);
        benchmark::ClobberMemory();
    }
}

template <int W, int H> void runRestores(benchmark::State& state, const Level<W, H>& start) {
    Level<W, H> lv = start;
    for (auto _ : state) {
        lv = start;
        benchmark::DoNotOptimize(lv.parts);
        benchmark::ClobberMemory();
    }
}

Level<15, 13> titleState() {
    Level<15, 13> lv(contentTexts[0], dancerPoses, nullptr, 15, 13);
    play(lv, {8}, 2000); // all 20 blocks gather into the figure
    lv.requestPose(2);
    return lv;
}
Level<40, 20> level1State() {
    Level<40, 20> lv(contentTexts[1], chainPoses, nullptr, 40, 20);
    play(lv, {4, 5, 8}, 300);
    lv.requestPose(2);
    return lv;
}
Level<80, 50> level2State(SDL_Surface* sheet) {
    Level<80, 50> lv(contentTexts[2], chainPoses, sheet, 40, 25);
    play(lv, {4, 8}, 300);
    lv.requestPose(2);
    return lv;
}
Level<40, 25> ragequitState() {
    Level<40, 25> lv(contentTexts[3], chainPoses, nullptr, 40, 25);
    play(lv, {8, 6}, 300);
    lv.requestPose(8);
    return lv;
}

// Each board's prepared state comes from a maker, so filtered-out benchmarks cost nothing.
template <class Make> void BM_Step(benchmark::State& state, Make make) {
    runSteps(state, make());
}
template <class Make> void BM_Restore(benchmark::State& state, Make make) {
    runRestores(state, make());
}
Level<80, 50> level2Bare() {
    return level2State(nullptr);
}

SDL_Surface* surface(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
}

// A sheet in the screen's format whose sprites have transparent holes, like the real one.
SDL_Surface* keyedSheet() {
    SDL_Surface* sheet = surface(400, 60);
    const Uint32 key = SDL_MapRGB(sheet->format, 255, 128, 255);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 400; ++x)
            static_cast<Uint32*>(sheet->pixels)[y * sheet->pitch / 4 + x] =
                (x + y) % 5 == 0 ? key : SDL_MapRGB(sheet->format, x % 256, y * 4, 90);
    SDL_SetColorKey(sheet, SDL_SRCCOLORKEY, key);
    return sheet;
}

struct Screen {
    SDL_Surface* screen = surface(800, 500);
    SDL_Surface* sheet = keyedSheet();
    ~Screen() {
        SDL_FreeSurface(screen);
        SDL_FreeSurface(sheet);
    }
};

void BM_FrameLevel2(benchmark::State& state) {
    Screen s;
    const Level<80, 50> start = level2State(s.sheet);
    Level<80, 50> lv = start;
    for (auto _ : state) {
        lv = start;
        benchmark::DoNotOptimize(runBoard(s.screen, lv, 1000, 0, 0));
    }
    state.counters["blits"] = lv.viewW * lv.viewH + lv.partCount;
}

// The floor: the same source and destination rectangles blitted with no board around them.
void BM_BareBlitsLevel2(benchmark::State& state) {
    Screen s;
    const Level<80, 50> lv = level2State(s.sheet);
    std::vector<SDL_Rect> sources;
    std::vector<SDL_Rect> places;
    for (int i = 0; i < lv.viewW; ++i)
        for (int j = 0; j < lv.viewH; ++j) {
            sources.push_back(lv.cellSprite(lv.map.cell(lv.camX + i, lv.camY + j)));
            places.push_back({static_cast<Sint16>(20 * i), static_cast<Sint16>(20 * j), 20, 20});
        }
    for (int i = 0; i < lv.partCount; ++i) {
        sources.push_back(lv.blockSprite(i, lv.parts[i].mark, lv.group.size()));
        places.push_back(lv.screenRects[i]);
    }
    for (auto _ : state) {
        for (size_t k = 0; k < sources.size(); ++k) {
            SDL_Rect dst = places[k];
            SDL_UpperBlit(s.sheet, &sources[k], s.screen, &dst);
        }
        benchmark::ClobberMemory();
    }
    state.counters["blits"] = static_cast<double>(sources.size());
}

// Practice mode: the undo point a key takes (a board copy into the ring), and a point taken
// and undone again; the undo alone is the difference.
template <class Make> void BM_UndoPoint(benchmark::State& state, Make make) {
    const auto start = make();
    UndoRing<std::remove_const_t<decltype(start)>> ring;
    ring.reserve(start);
    for (auto _ : state) {
        ring.push(start);
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = sizeof start;
}
template <class Make> void BM_UndoPointAndUndo(benchmark::State& state, Make make) {
    const auto start = make();
    auto board = start;
    UndoRing<decltype(board)> ring;
    ring.reserve(start);
    for (auto _ : state) {
        ring.push(start);
        ring.pop(board);
        benchmark::DoNotOptimize(board.parts);
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_UndoPoint, level1, level1State);
BENCHMARK_CAPTURE(BM_UndoPoint, level2, level2Bare);
BENCHMARK_CAPTURE(BM_UndoPointAndUndo, level1, level1State);
BENCHMARK_CAPTURE(BM_UndoPointAndUndo, level2, level2Bare);
BENCHMARK_CAPTURE(BM_Step, title, titleState);
BENCHMARK_CAPTURE(BM_Step, level1, level1State);
BENCHMARK_CAPTURE(BM_Step, level2, level2Bare);
BENCHMARK_CAPTURE(BM_Step, ragequit, ragequitState);
BENCHMARK_CAPTURE(BM_Restore, title, titleState);
BENCHMARK_CAPTURE(BM_Restore, level1, level1State);
BENCHMARK_CAPTURE(BM_Restore, level2, level2Bare);
BENCHMARK_CAPTURE(BM_Restore, ragequit, ragequitState);
BENCHMARK(BM_FrameLevel2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareBlitsLevel2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
