// Once started, the game allocates nothing: every scene, wipe and pose, a recording and a replay
// run through the real frame function while operator new and malloc are counted.
#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Demo.h"
#include "app/Walkthrough.h"
#include "demo_support.h"

using namespace demo_test;

// The sanitizers bring their own allocator; counting is for the plain build.
#if !defined(__SANITIZE_ADDRESS__)
#define COUNTING 1

namespace {
// Only the loop's thread counts: SDL_mixer decodes the music on a thread of its own.
thread_local bool onLoop = false;
bool counting = false;
bool inMixer = false;
long mallocs = 0, news = 0, mixerMallocs = 0;

void note() {
    if (onLoop && counting) ++(inMixer ? mixerMallocs : mallocs);
}
} // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

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
void* memalign(size_t align, size_t n) {
    note();
    return __libc_memalign(align, n);
}
void* aligned_alloc(size_t align, size_t n) {
    note();
    return __libc_memalign(align, n);
}
int posix_memalign(void** p, size_t align, size_t n) {
    note();
    *p = __libc_memalign(align, n);
    return *p ? 0 : ENOMEM;
}
void free(void* p) {
    __libc_free(p);
}
}

// Starting a track makes SDL_mixer set up a fresh Vorbis decoder, which allocates; that is
// SDL_mixer's, counted apart.
extern "C" int __real_Mix_PlayMusic(Mix_Music* music, int loops);
extern "C" int __wrap_Mix_PlayMusic(Mix_Music* music, int loops) {
    inMixer = true;
    const int result = __real_Mix_PlayMusic(music, loops);
    inMixer = false;
    return result;
}

void* operator new(size_t n) {
    if (onLoop && counting) ++news;
    if (void* p = malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    free(p);
}
void operator delete(void* p, size_t) noexcept {
    free(p);
}
#endif

TEST(Allocation, NoneAfterStartUpInThousandsOfFramesOfEveryScene) {
#ifndef COUNTING
    GTEST_SKIP() << "the sanitizers replace the allocator";
#else
    onLoop = true;
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    std::vector<DemoEvent> walkthrough;
    std::string error;
    ASSERT_TRUE(parseDemo(walkthroughDemoText, walkthrough, error)) << error;
    const std::string path = scratchPath("alloc.demo");
    DemoRecorder recorder;
    ASSERT_TRUE(recorder.open(path, error)) << error;
    DemoPlayer player(walkthrough);
    const EventSource replay = recorder.source(player.source());
    GameBoards played(game.stage.sprites), replayed(game.stage.sprites);
    LoopState first, second;

    // Keys by frame for the first run: title poses, Enter, level poses mid-glide, a break-up,
    // Escape's wipe, the end board's poses, and Escape to quit.
    struct Press {
        long frame;
        SDLKey key;
    };
    const Press presses[] = {{5, SDLK_c},    {40, SDLK_e},        {90, SDLK_SPACE},
                             {120, SDLK_d},  {400, SDLK_RETURN},  {600, SDLK_s},
                             {610, SDLK_c},  {700, SDLK_d},       {800, SDLK_SPACE},
                             {900, SDLK_s},  {1200, SDLK_ESCAPE}, {1400, SDLK_c},
                             {1420, SDLK_z}, {1600, SDLK_x},      {2000, SDLK_ESCAPE}};
    counting = true;
    long frames = 0;
    size_t next = 0;
    for (long frame = 1; frame < 5000; ++frame, ++frames) {
        if (next < std::size(presses) && presses[next].frame == frame) {
            pushKey(SDL_KEYDOWN, presses[next].key);
            pushKey(SDL_KEYUP, presses[next++].key);
        }
        if (!runFrame(first, game.stage, played, fakeClock)) break;
    }
    const long firstRun = frames;
    // The whole game from the walkthrough, recorded as it goes; then a quit.
    while (frames < 20000 && (player.playing() || second.nextScene != 0)) {
        ASSERT_TRUE(runFrame(second, game.stage, replayed, fakeClock, replay));
        ++frames;
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    while (runFrame(second, game.stage, replayed, fakeClock, replay)) ++frames;
    counting = false;

    EXPECT_EQ(first.scene, -1);
    EXPECT_EQ(firstRun, 2000);
    EXPECT_TRUE(replayed.level2.hasWon());
    EXPECT_GT(frames, 3000);
    EXPECT_EQ(news, 0);
    EXPECT_EQ(mallocs, 0);
    EXPECT_GT(mixerMallocs, 0); // the music did change at the wipes' ends
    RecordProperty("mixer_allocations", std::to_string(mixerMallocs));
    EXPECT_TRUE(recorder.close());
    std::remove(path.c_str());
    onLoop = false;
#endif
}
