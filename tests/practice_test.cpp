// Practice mode through the real frame function: undo against a fresh replay of the keys that
// survive it, restarts and their undo, the keys doing nothing where they must, and demos.
#include <map>
#include <random>

#include <gtest/gtest.h>

#include "app/Comfort.h"
#include "app/Course.h"
#include "demo_support.h"
#include "solve/Keys.h"
#include "watch.h"

using namespace demo_test;
using namespace watch;

namespace {

Course onLevel(int level) {
    Course c;
    c.practice = true;
    c.level = level;
    return c;
}

// One frame with `key`; gives the frame's direction as the board gets it.
int32_t press(Driver& d, SDLKey key = SDLK_UNKNOWN) {
    const int32_t direction = directionOf(key) == noKey ? d.state.direction : directionOf(key);
    d.frames(1, key);
    return direction;
}

// Random keys with random undos. After each undo the board must equal a fresh board played
// through the frame driver with the keys that survive, on their frames; then both boards take
// the same 2,000 frames and must draw the same pictures: a bag left pointing into the ring
// would draw blocks where they no longer are.
template <int W, int H>
void undoMatchesReplay(HeadlessGame& game, int level, Level<W, H> GameBoards::*board,
                       unsigned seed) {
    Driver p(game, onLevel(level));
    const Level<W, H> fresh = (*p.boards).*board;
    std::vector<int32_t> timeline; // the surviving play, a direction a frame
    std::vector<size_t> points;    // where in it each undo point was taken
    auto replayed = [&] {
        Level<W, H> r = fresh;
        for (int32_t d : timeline) runBoard(nullptr, r, d, 0, 0);
        return r;
    };
    std::mt19937 rng(seed);
    int undos = 0;
    for (int f = 0; f < 3000; ++f) {
        const unsigned roll = rng() % 100;
        if (roll < 5 && !points.empty()) {
            press(p, rng() % 2 ? SDLK_u : SDLK_BACKSPACE);
            timeline.resize(points.back());
            points.pop_back();
            ASSERT_EQ(((*p.boards).*board).state(), replayed().state()) << "frame " << f;
            ++undos;
        } else if (roll < 30) {
            const SDLKey key = roll < 8 ? SDLK_SPACE : poseKeys[rng() % 9];
            points.push_back(timeline.size());
            timeline.push_back(press(p, key));
        } else {
            timeline.push_back(press(p));
        }
        ASSERT_EQ(p.state.scene, level + 1);
    }
    EXPECT_GT(undos, 50);

    Level<W, H> other = replayed();
    SDL_Surface* s = game.stage.screen;
    SDL_Surface* mine = SDL_CreateRGBSurface(SDL_SWSURFACE, s->w, s->h, 32, s->format->Rmask,
                                             s->format->Gmask, s->format->Bmask, 0);
    for (int f = 0; f < 2000; ++f) {
        const unsigned roll = rng() % 100;
        const SDLKey key = roll < 25 ? poseKeys[roll % 9] : roll < 28 ? SDLK_SPACE : SDLK_UNKNOWN;
        SDL_FillRect(mine, nullptr, 0);
        runBoard(mine, other, press(p, key), 0, 0);
        ASSERT_EQ(flips.back(), pictureSum(mine)) << "frame " << f;
    }
    SDL_FreeSurface(mine);
}

} // namespace

TEST(Practice, UndoGivesTheBoardOfAFreshReplayOfTheKeysThatSurvive) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    undoMatchesReplay(game, 1, &GameBoards::level1, 11);
    undoMatchesReplay(game, 2, &GameBoards::level2, 12);
}

TEST(Practice, TheRingKeepsTheNewestPointsAndForgetsTheOldest) {
    UndoRing<int> ring;
    int out = -1;
    EXPECT_FALSE(ring.pop(out)); // no ring without practice: nothing to undo
    ring.reserve(0);
    for (int i = 1; i <= 5000; ++i) ring.push(i);
    EXPECT_EQ(ring.size(), undoPoints);
    int last = 0;
    while (ring.pop(out)) last = out;
    EXPECT_EQ(last, 5000 - static_cast<int>(undoPoints) + 1);
    EXPECT_EQ(out, last);
}

// r closes and opens the teeth on the same level with no music call, and at the closed point
// the board is as loaded and the step count 0; keys meanwhile do nothing; u then brings back the
// board and count of the moment r was pressed, and further undos those before each key.
TEST(Practice, RestartGivesAFreshBoardAndItsUndoTheBoardBeforeIt) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    Driver p(game, onLevel(1));
    const Level<40, 20> fresh = p.boards->level1;
    p.frames(15);
    const Level<40, 20> beforeKeys = p.boards->level1;
    for (SDLKey key : {SDLK_c, SDLK_e, SDLK_d}) {
        press(p, key);
        p.frames(40);
    }
    const Level<40, 20> before = p.boards->level1;
    ASSERT_NE(before.state(), fresh.state());
    const StepCounter& counter = p.boards->pack.steps; // kept with the board through it all
    const int steps = counter.steps;
    ASSERT_GT(steps, 0);
    musicCalls = 0;
    press(p, SDLK_r);
    EXPECT_EQ(std::tuple(p.state.scene, p.state.nextScene, p.state.wipe), std::tuple(2, 2, 4));
    int changed = 0;
    // Keys while the teeth close and while they open are thrown away: a pose, and r, u and
    // Backspace, which would otherwise restart again or use up the undo points.
    const std::map<int, SDLKey> thrown{{30, SDLK_c},         {31, SDLK_u}, {32, SDLK_r},
                                       {33, SDLK_BACKSPACE}, {80, SDLK_u}, {81, SDLK_r},
                                       {82, SDLK_BACKSPACE}};
    for (int f = 2; f <= 107; ++f) {
        press(p, thrown.count(f) ? thrown.at(f) : SDLK_UNKNOWN);
        if (!changed && p.boards->level1.state() == fresh.state()) changed = f;
    }
    EXPECT_EQ(changed, 64); // the frame the teeth meet, as for a change of scene
    EXPECT_EQ(std::tuple(p.state.scene, p.state.nextScene, p.state.wipe), std::tuple(2, 0, 0));
    EXPECT_EQ(musicCalls, 0);
    EXPECT_EQ(counter.steps, 0);

    press(p, SDLK_u);
    EXPECT_EQ(p.boards->level1.state(), before.state());
    EXPECT_EQ(counter.steps, steps);
    // Further back, key by key, to the board before the first key; then nothing is left.
    for (int i = 0; i < 3; ++i) press(p, SDLK_BACKSPACE);
    EXPECT_EQ(p.boards->level1.state(), beforeKeys.state());
    EXPECT_EQ(counter.steps, 0);
    press(p, SDLK_u);
    Level<40, 20> waited = beforeKeys;
    runBoard(nullptr, waited, 1000, 0, 0);
    EXPECT_EQ(p.boards->level1.state(), waited.state());
}

// Holding u undoes once, then again every undoRepeatEvery frames after undoRepeatDelay; a
// practice run that was not asked for it (an older demo) undoes once.
TEST(Practice, HoldingUKeepsUndoing) {
    HeadlessGame game;
    ASSERT_TRUE(game.up);
    const std::vector<int> keys = keysOf(ROUTE_DIR "/level1.keys");
    for (bool comfort : {true, false}) {
        Course course = onLevel(1);
        course.comfort = comfort;
        Driver d(game, course);
        for (size_t f = 0; f < keys.size() && d.boards->undo40x20.size() < 10; ++f)
            press(d, symOf(keys[f]));
        ASSERT_EQ(d.boards->undo40x20.size(), 10u);
        press(d, SDLK_u);
        d.frames(undoRepeatDelay + 3 * undoRepeatEvery - 1);
        EXPECT_EQ(d.boards->undo40x20.size(), comfort ? 5u : 9u);
        push(SDL_KEYUP, SDLK_u);
        d.frames(100);
        EXPECT_EQ(d.boards->undo40x20.size(), comfort ? 5u : 9u);
    }
}
