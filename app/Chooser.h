// The pack as a game of its own: the level chooser, the result card after a goal, the step
// counter over the levels and the progress kept between runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SDL.h"

#include "app/Course.h"
#include "app/Practice.h"
#include "app/Progress.h"
#include "app/SceneLoop.h"
#include "app/StepCounter.h"

// The chooser's grid: two columns of five levels a page.
constexpr int32_t chooserColumns = 2;
constexpr int32_t chooserRows = 5;

class Pack {
  public:
    struct Level {
        std::string title;
        int32_t shortest = 0; // from the file's header; 0 when it says none
        uint64_t sum = 0;     // levelChecksum
        SDL_Surface* thumb = nullptr;
    };

    bool chooser = false; // the pack opens on its chooser, and its levels return there
    bool counter = false; // the levels show the steps taken against the shortest
    StepCounter steps;
    UndoRing<StepCounter> stepsUndo; // beside the board's, point for point
    Progress progress;
    std::vector<Level> levels;
    std::vector<PackSection> packs; // each pack's levels, under its own heading and pages
    int32_t selected = 0;
    int32_t played = 0;    // the level of the result card
    int32_t cardSteps = 0; // its steps, and its best before them
    int32_t cardBest = 0;

    explicit Pack(const Course& course);
    ~Pack();
    Pack(const Pack&) = delete;
    Pack& operator=(const Pack&) = delete;

    // Draws the levels' pictures and selects the first unsolved level. With a progress file
    // (none in replays), it is read first.
    void open(SDL_Surface* screen, SDL_Surface* glyphs, const std::string& progressFile = "");

    void runChooser(LoopState& state, SDL_Surface* screen);
    void runCard(LoopState& state, SDL_Surface* screen);
    // The goal of map `level` reached in `steps`.
    void solved(int32_t level, int32_t steps);
    // The counter in the margin the view leaves free, else in a corner.
    void drawCounter(SDL_Surface* screen, int32_t shortest, int32_t offX, int32_t offY,
                     int32_t viewH) const;
    // The card's teeth have met over the chooser: its track plays on.
    bool leavingCard = false;
    SDL_Surface* text() const { return glyphs; } // the glyph picture, for others' words

  private:
    void move(int32_t dx, int32_t dy, bool linear);
    void drawLevel(SDL_Surface* screen, int32_t k, int32_t x, int32_t y) const;
    void drawThumb(SDL_Surface* screen, int32_t k, int32_t x, int32_t y, int32_t w,
                   int32_t h) const;
    // In the pack of `k`: the first unsolved level from `k` on, else the pack's first.
    int32_t firstUnsolved(int32_t k = 0) const;
    const PackSection& packOf(int32_t k) const;

    SDL_Surface* glyphs = nullptr;
    int32_t opensOn = 0, demoSelected = -1; // the Course's
    std::vector<std::string> rows; // each level's cells, for its picture
    std::vector<int32_t> widths;
};
