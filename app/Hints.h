// Hints in practice and pack runs: `h` starts a search beside the game for the board as it
// stands; its answer shows on the frame it is ready and goes when the board changes. A replay
// shows it on the frame its demo says, waiting there for its own search, so demos with hints
// replay frame for frame on any machine.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "SDL.h"
#include "app/Practice.h"
#include "board/Level.h"

// Between the demo's player and recorder and the hints: on which frames an answer showed.
struct HintFrames {
    bool replaying = false; // answers show only where the demo says
    bool due = false;       // the demo says an answer shows on this frame
    bool shown = false;     // an answer showed on the frame just run, for the recorder
    uint32_t slower = 0;    // ms each search waits first: a slower machine, for tests
};
HintFrames& hintFrames();

struct Plan; // a step of a route, as the solver plans its keys

// What a search found, ready to draw.
struct HintAnswer {
    std::string text;              // "hint: d  (12 steps to go)", "no way from here: undo 3"...
    std::vector<int32_t> outline;  // the robot's cells after the move, as board cells
    std::vector<BoardState> along; // the board after each step of the route
};

class HintBox {
  public:
    bool enabled = false; // practice or pack runs, in a build that has threads

    // Starts a search for this board, or answers at once from the route of the last one.
    template <int W, int H> void ask(const Level<W, H>& board, const UndoRing<Level<W, H>>& undo);
    // At the start of a level's frame: a changed board drops the question and the answer; a
    // ready answer shows (in a replay, only on its frame, waited for there).
    void frame(const BoardState& now);
    // After the board is drawn where it is drawn (at 1x, maybe enlarged after): the robot's
    // cells after the move, outlined.
    template <int W, int H>
    void drawOutline(SDL_Surface* surface, const Level<W, H>& board, int32_t offX,
                     int32_t offY) const;
    // On the screen, beside the view that spans rows viewTop to viewTop + viewHeight: the answer,
    // or the thinking mark.
    void drawLabel(SDL_Surface* screen, SDL_Surface* glyphs, int32_t viewTop,
                   int32_t viewHeight) const;
    // A new key, another scene, the end of the game: the search is left to stop on its own.
    void drop();
    // Another level: its answers and routes too.
    void forget();
    bool thinking() const { return job != nullptr; }
    bool showing() const { return !answer.text.empty(); }

    HintBox();
    HintBox(const HintBox&) = delete;
    HintBox& operator=(const HintBox&) = delete;
    ~HintBox();

  private:
    struct Job;
    std::shared_ptr<Job> job;
    BoardState asked{};  // the board the question or the answer is about
    HintAnswer answer;   // shown while the board is `asked`
    HintAnswer followed; // the last route found, for the next question on it
    std::vector<Plan> followedRoute;
    uint32_t frames = 0; // for the thinking mark
};
