// Plays the real scene loop headless for many frames on random events and checks that resident
// memory stays flat. Run from the folder holding img/ and snd/.
#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <malloc.h>
#include <unistd.h>

// Present only under the sanitizers, whose allocator keeps its own books.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace {

// Time moves a little per frame and a delay is taken at once, so the pacer's wait path runs too.
Uint32 fakeNow = 0;
const Clock soakClock{[] { return fakeNow += 5; }, [](Uint32 ms) { fakeNow += ms; }};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long residentKb() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the program holds on the heap, apart from what the allocator keeps for reuse.
long heapKb() {
    if (__sanitizer_get_current_allocated_bytes)
        return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
    return static_cast<long>(mallinfo2().uordblks / 1024);
}

void push(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = key;
    }
    SDL_PushEvent(&e);
}

// One random event, roughly as a restless player makes them: mostly pose keys.
void randomEvent(std::mt19937& rng) {
    static const SDLKey poses[] = {SDLK_q, SDLK_w, SDLK_e, SDLK_a, SDLK_s,
                                   SDLK_d, SDLK_z, SDLK_x, SDLK_c};
    const int roll = static_cast<int>(rng() % 1000);
    if (roll < 5)
        push(SDL_KEYDOWN, SDLK_ESCAPE);
    else if (roll < 50)
        push(SDL_KEYDOWN, SDLK_RETURN);
    else if (roll < 130)
        push(SDL_KEYDOWN, SDLK_SPACE);
    else if (roll < 180)
        push(SDL_KEYDOWN, SDLK_k);
    else if (roll < 260)
        push(SDL_KEYUP, poses[rng() % 9]);
    else if (roll < 300)
        push(SDL_MOUSEMOTION, SDLK_UNKNOWN);
    else
        push(SDL_KEYDOWN, poses[rng() % 9]);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FRAMES [SEED]   (run beside img/ and snd/)\n", argv[0]);
        return 2;
    }
    const long frames = std::atol(argv[1]);
    const unsigned seed = argc == 3 ? static_cast<unsigned>(std::atol(argv[2])) : 1;
    if (frames < 10) {
        std::fprintf(stderr, "FRAMES must be at least 10\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    Stage stage;
    if (!startUp(stage)) return 1;
    // Each track sets up its decoder the first time it plays; start them all once, so that this
    // one-off setup does not pass for growth.
    for (Mix_Music* track :
         {stage.level1Track, stage.level2Track, stage.endTrack, stage.titleTrack}) {
        stopMusic();
        playMusic(track);
        SDL_Delay(200);
    }
    std::mt19937 rng(seed);
    const auto started = std::chrono::steady_clock::now();

    long frame = 0, games = 0, sceneFrames[4] = {};
    // The most seen in the first and in the last tenth of the run.
    struct Memory {
        long resident = 0, heap = 0;
    } first, final;
    const long tenth = frames / 10;
    // A game ends when Escape quits the end scene; the next one starts from the title.
    while (frame < frames) {
        LoopState state;
        GameBoards boards(stage.sprites);
        ++games;
        for (bool running = true; running; ++frame) {
            const bool last = frame == frames - 1;
            if (last)
                push(SDL_QUIT, SDLK_UNKNOWN);
            else if (rng() % 8 == 0)
                randomEvent(rng);
            // Random keys rarely solve a level: now and then one is won as its goal would.
            if (state.scene == 2 && state.nextScene == 0 && rng() % 3000 == 0) state.nextScene = 3;
            if (state.scene == 3 && state.nextScene == 0 && rng() % 3000 == 0) state.nextScene = 8;
            if (state.scene > 0) ++sceneFrames[state.scene == 8 ? 3 : state.scene - 1];
            running = runFrame(state, stage, boards, soakClock) && !last;
            if (frame % 1000 == 0 || (frame + 1) % tenth == 0 || last) {
                const long kb = residentKb(), heap = heapKb();
                if (frame < tenth) {
                    first.resident = std::max(first.resident, kb);
                    first.heap = std::max(first.heap, heap);
                }
                if (frame >= frames - tenth) {
                    final.resident = std::max(final.resident, kb);
                    final.heap = std::max(final.heap, heap);
                }
                // A long run shows how far it has come.
                if ((frame + 1) % tenth == 0)
                    std::printf("frame %ld, resident kB %ld, heap kB %ld, seconds %.0f\n",
                                frame + 1, kb, heap, secondsSince(started));
                std::fflush(stdout);
            }
            if (last && state.scene != -1) {
                std::fprintf(stderr, "the window's close did not quit\n");
                return 1;
            }
        }
    }
    stopMusic();
    // The game keeps these to the end; the soak hands them back so a leak check sees only its own.
    for (Mix_Music* track :
         {stage.titleTrack, stage.level1Track, stage.level2Track, stage.endTrack})
        if (track != nullptr) Mix_FreeMusic(track);
    for (SDL_Surface* s : {stage.titlePicture, stage.tooth, stage.sprites, stage.loosePicture})
        SDL_FreeSurface(s);
    Mix_CloseAudio();
    SDL_Quit();

    std::printf("frames %ld, games %ld, seconds %.0f\n", frame, games, secondsSince(started));
    std::printf("frames per scene: title %ld, first %ld, second %ld, end %ld\n", sceneFrames[0],
                sceneFrames[1], sceneFrames[2], sceneFrames[3]);
    std::printf("first tenth: resident kB %ld, heap kB %ld; last tenth: resident kB %ld, heap kB "
                "%ld\n",
                first.resident, first.heap, final.resident, final.heap);
    // The heap must stay flat. Resident memory may gain a little from pages touched late; under
    // the sanitizers it also holds their own books, which creep up while the heap stays flat, so
    // there only the heap is judged.
    const long heapSlackKb = 32, residentSlackKb = 512;
    if (final.heap > first.heap + heapSlackKb) {
        std::fprintf(stderr, "the heap grew by %ld kB\n", final.heap - first.heap);
        return 1;
    }
    if (!__sanitizer_get_current_allocated_bytes &&
        final.resident > first.resident + residentSlackKb) {
        std::fprintf(stderr, "resident memory grew by %ld kB\n", final.resident - first.resident);
        return 1;
    }
    return 0;
}
