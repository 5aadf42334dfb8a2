// The scene loop: keys, frame pacing, the tooth wipe and the music changes, one frame at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "SDL.h"
#include "SDL_mixer.h"

#include "app/Present.h"

// The scenes; maps played from files are firstMapScene, firstMapScene + 1...
using SceneId = int32_t;
enum : SceneId {
    quitScene = -1,
    titleScene = 1,
    level1Scene = 2,
    level2Scene = 3,
    endScene = 8,
    chooserScene = 90, // the pack's level chooser
    cardScene = 91,    // the card that follows a pack level's goal
    firstMapScene = 100
};

// Practice mode's keys, taken like the others and acted on by the level's board.
enum PracticeKey : int32_t { noPracticeKey = 0, restartKey, undoKey, hintKey };

// Everything the loop keeps between frames.
struct LoopState {
    SceneId scene = titleScene;
    SceneId nextScene = 0; // non-zero while a wipe runs
    int32_t wipe = 0;      // how far the teeth have come in; never reset
    int32_t direction = -1;
    SDL_Event event{};
    SDL_Rect tmp{};

    bool practice = false;                   // r, u and Backspace act on the levels
    PracticeKey practiceKey = noPracticeKey; // taken this frame
    bool keyed = false;                      // this frame's direction comes from a key
    bool restartPending = false; // the teeth close to restart the level, not to leave it
    bool quietWipe = false;      // the running wipe restarted the level: its track plays on
    bool closed = false;         // the teeth met this frame and changed the scene or restarted

    bool chooser = false;          // the pack's chooser decides where Escape leads
    SDLKey pressed = SDLK_UNKNOWN; // the key pressed this frame, for the chooser

    bool comfort = false; // Escape asks, m mutes, a held undo repeats
    bool asking = false;  // Escape was pressed once on a level
    bool muted = false;
    SDLKey undoHeld = SDLK_UNKNOWN; // u or Backspace, while it is down in practice mode
    int32_t undoFrames = 0;         // how long it has been down
};

// What start-up loaded; any picture or track may be missing.
struct Stage {
    SDL_Surface* screen = nullptr;
    SDL_Surface* titlePicture = nullptr;
    SDL_Surface* tooth = nullptr;
    SDL_Surface* sprites = nullptr; // the boards' sprite sheet
    SDL_Surface* loosePicture = nullptr;
    SDL_Surface* glyphs = nullptr; // only when a run draws text
    Mix_Music* titleTrack = nullptr;
    Mix_Music* level1Track = nullptr;
    Mix_Music* level2Track = nullptr;
    Mix_Music* endTrack = nullptr;
    // For each map played from a file: whether it is larger than the screen, which gives it
    // the second level's track rather than the first's.
    std::vector<bool> largeMaps;
    ScaledWindow window; // only for --scale and --fullscreen
};

// The track a wipe into the scene starts.
Mix_Music* trackOf(const Stage& stage, SceneId scene);

// The pacer's time source, swappable so a test can run frames without waiting.
struct Clock {
    Uint32 (*ticks)();
    void (*delay)(Uint32);
};

inline const Clock sdlClock{SDL_GetTicks, SDL_Delay};

// Where the loop's one event a frame comes from: SDL's queue, or a demo standing in for it.
struct EventSource {
    int (*poll)(void* context, SDL_Event* event);
    void* context;
};

inline int pollQueue(void*, SDL_Event* event) {
    return SDL_PollEvent(event);
}

inline const EventSource sdlEvents{pollQueue, nullptr};

// A source that asks `from->poll` for each event: a demo, or a filter over another source.
template <class T> EventSource pollOf(T* from) {
    return {[](void* self, SDL_Event* event) { return static_cast<T*>(self)->poll(event); }, from};
}

// How long the frame starting at `now` must wait. Deliberately lets every other frame through.
Uint32 frameDelay(Uint32 now);

void paceFrame(const Clock& clock);

// Acts on the event just taken by the key table and the quit rule.
void takeEvent(LoopState& state);

// One step of the tooth wipe, with its teeth and, at its end, the music change.
void stepWipe(LoopState& state, const Stage& stage);

// What lies under the next frame's board.
void layBackground(const LoopState& state, const Stage& stage);

struct GameBoards;

// One pass of the loop over the game's boards; false once the game has quit. The order of the
// steps is what the player sees: board over the last background, teeth over the board.
bool runFrame(LoopState& state, const Stage& stage, GameBoards& boards,
              const Clock& clock = sdlClock, const EventSource& events = sdlEvents);
