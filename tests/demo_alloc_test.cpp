// Once started, the game allocates nothing: every scene, wipe and pose, a recording and a replay
// run through the real frame function while operator new and malloc are counted.
#include <filesystem>
#include <map>
#include <new>

#include <gtest/gtest.h>

#include "app/Course.h"
#include "app/Demo.h"
#include "app/Video.h"
#include "app/Walkthrough.h"
#include "demo_support.h"
#include "solve/Keys.h"

using namespace demo_test;

namespace {
// Only the loop's thread counts: SDL_mixer decodes the music on a thread of its own.
thread_local bool onLoop = false;
bool counting = false, inMixer = false;
long mallocs = 0, news = 0, mixerMallocs = 0;
} // namespace

// The sanitizers bring their own allocator; counting is for the plain build.
#ifndef __SANITIZE_ADDRESS__
static void note() {
    if (onLoop && counting) ++(inMixer ? mixerMallocs : mallocs);
}

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t n) {
    note();
    return __libc_malloc(n);
}
void* calloc(size_t count, size_t n) {
    note();
    return __libc_calloc(count, n);
}
void* realloc(void* p, size_t n) {
    note();
    return __libc_realloc(p, n);
}
}

void* operator new(size_t n) {
    if (onLoop && counting) ++news;
    if (void* p = malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
#endif

// Starting a track makes SDL_mixer build a fresh Vorbis decoder; that is its own, counted apart.
extern "C" int __real_Mix_PlayMusic(Mix_Music* music, int loops);
extern "C" int __wrap_Mix_PlayMusic(Mix_Music* music, int loops) {
    inMixer = true;
    const int result = __real_Mix_PlayMusic(music, loops);
    inMixer = false;
    return result;
}

TEST(Allocation, NoneAfterStartUpInThousandsOfFramesOfEveryScene) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers replace the allocator";
#endif
    // Full screen at 3x: every frame's enlarged copy onto the window is counted too.
    ScreenPlan full;
    std::string error;
    ASSERT_TRUE(planScreen(3, true, 2560, 1600, full, error)) << error;
    onLoop = true;
    HeadlessGame game(full);
    ASSERT_TRUE(game.up && game.stage.window.surface);
    std::vector<DemoEvent> walkthrough;
    ASSERT_TRUE(parseDemo(walkthroughDemoText, walkthrough, error)) << error;
    const std::string path = scratchPath("alloc.demo");
    DemoRecorder recorder;
    ASSERT_TRUE(recorder.open(path, error)) << error;
    DemoPlayer player(walkthrough);
    const EventSource replay = recorder.source(player.source());
    GameBoards replayed(game.stage.sprites);
    LoopState walking;
    // Practice mode on the second level: its undo points and restarts copy into a ring made here.
    Course course;
    course.practice = true;
    course.level = 2;
    GameBoards practised(game.stage.sprites, course);
    LoopState practising = course.startState();
    // The pack from its chooser, with a progress file: the first level's route, its card, back.
    Course pack;
    ASSERT_TRUE(readPack(SOURCE_ROOT "/levels", pack.maps, error)) << error;
    pack.chooser = pack.counter = true;
    GameBoards chosen(game.stage.sprites, pack);
    const std::string progress = scratchPath("alloc-progress");
    std::filesystem::remove_all(progress);
    game.stage.glyphs = loadImage("./img/glyphs.bmp");
    chosen.pack.open(game.stage.screen, game.stage.glyphs, progress + "/foldbot/progress");
    LoopState choosing = pack.startState();
    const std::vector<int> route = keysOf(SOURCE_ROOT "/levels/01-first-folds.keys");

    // Practice keys: undos, restarts, a Space, Escape's wipe to the end.
    const std::map<long, SDLKey> practiceKeys{
        {5, SDLK_c},   {30, SDLK_d},  {60, SDLK_u},  {61, SDLK_s},  {90, SDLK_SPACE},
        {120, SDLK_r}, {300, SDLK_c}, {320, SDLK_u}, {321, SDLK_u}, {322, SDLK_BACKSPACE},
        {340, SDLK_e}, {360, SDLK_r}, {500, SDLK_u}, {520, SDLK_q}, {900, SDLK_ESCAPE}};
    counting = true;
    long frames = 0;
    for (long f = 1; f < 1100; ++f) {
        if (auto key = practiceKeys.find(f); key != practiceKeys.end())
            push(SDL_KEYDOWN, key->second);
        runFrame(practising, game.stage, practised, fakeClock);
    }
    EXPECT_EQ(practising.scene, 8);
    // The progress file is written at the goal, and that is the one frame that allocates: its
    // allocations are taken back out of the count.
    const Level<40, 25>& board = chosen.maps[0].small->board;
    std::vector<long> allocating, goal;
    for (long f = 1; f < 2000; ++f) {
        const size_t k = static_cast<size_t>(f - 150);
        if (f == 5 || f == 500) push(SDL_KEYDOWN, SDLK_RETURN);
        if (f == 700) push(SDL_KEYDOWN, SDLK_ESCAPE);
        if (f >= 150 && k < route.size() && route[k] != noKey) push(SDL_KEYDOWN, symOf(route[k]));
        const long m = mallocs, n = news;
        const bool won = board.hasWon();
        const bool on = runFrame(choosing, game.stage, chosen, fakeClock);
        if (mallocs != m || news != n) allocating.push_back(f);
        if (!won && board.hasWon()) {
            goal.push_back(f);
            mallocs = m;
            news = n;
        }
        if (!on) break;
    }
    EXPECT_EQ(allocating, goal);
    EXPECT_EQ(choosing.scene, -1);
    EXPECT_EQ(chosen.pack.progress.best(chosen.pack.levels[0].sum), 6);
    // Last the walkthrough, recorded, and a quit.
    while (frames < 20000 && (player.playing() || walking.nextScene != 0)) {
        runFrame(walking, game.stage, replayed, fakeClock, replay);
        ++frames;
    }
    push(SDL_QUIT);
    while (runFrame(walking, game.stage, replayed, fakeClock, replay)) ++frames;
    counting = false;
    onLoop = false;

    EXPECT_EQ(walking.scene, -1);
    EXPECT_TRUE(replayed.level2.hasWon());
    EXPECT_GT(frames, 4000);
    EXPECT_EQ(news, 0);
    EXPECT_EQ(mallocs, 0);
    EXPECT_GT(mixerMallocs, 0); // so the counting works, and the music did change
    EXPECT_TRUE(recorder.close());
    std::remove(path.c_str());
    std::filesystem::remove_all(progress);
}
