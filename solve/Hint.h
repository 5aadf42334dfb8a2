// A hint for the board as it stands: the next move of a shortest route a person can play from
// there, or a proof that none is left and how far back to undo. Depends on the board alone: the
// search stops at a ceiling of states, not of time, and breaks ties by move.
#pragma once

#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "board/Level.h"
#include "solve/Beam.h"
#include "solve/Keys.h"
#include "solve/Search.h"

// Ample for the shipped levels' playable proofs from their starts (2.6 million states), and
// with the table, under 160 MiB.
constexpr size_t hintStateCeiling = 4'000'000;

struct HintSettings {
    size_t maxStates = hintStateCeiling;
    int threads = 2;
    const std::atomic<bool>* cancel = nullptr; // set from outside: give up soon
};

struct Hint {
    enum class Kind { move, deadEnd, unknown, cancelled } kind = Kind::unknown;
    int steps = 0;         // with a move: the playable steps left, this one included
    std::string label;     // "d", "wait", "Space", "Space then q"
    std::vector<int> keys; // the move as frames of keys from the board, as a person presses them
    std::vector<int> robotCells; // where the robot's blocks stand after the move
    int undo = 0;                // with a dead end: undo points back to a board with a route;
                                 // 0 when none in the ring has one (restart)
    std::vector<Plan> route;     // the whole route, for following hints without a new search
};

// The words for one step's keys, as a route prints them ("-", "d", "Space+q").
inline std::string hintWords(const std::string& step) {
    if (step == "-") return "wait";
    const size_t plus = step.find('+');
    return plus == std::string::npos ? step
                                     : step.substr(0, plus) + " then " + step.substr(plus + 1);
}

// What a player reads for a hint.
inline std::string hintText(const Hint& hint) {
    switch (hint.kind) {
    case Hint::Kind::move:
        return "hint: " + hint.label + "  (" + std::to_string(hint.steps) +
               (hint.steps == 1 ? " step to go)" : " steps to go)");
    case Hint::Kind::deadEnd:
        return hint.undo > 0 ? "no way from here: undo " + std::to_string(hint.undo)
                             : "no way from here: restart";
    default:
        return "no hint found";
    }
}

// A board's logical state as one line of numbers, and back: how a question travels to the
// browser's worker, which lays it on a fresh board of the same map.
inline std::string stateLine(const BoardState& s) {
    std::string line = std::to_string(s.blocks) + " " + std::to_string(s.robot) + " " +
                       std::to_string(s.currentPose) + " " + std::to_string(s.requestedPose) +
                       " " + (s.shakeRight ? "1" : "0");
    for (int32_t i = 0; i < s.blocks; ++i) line += " " + std::to_string(s.cells[i]);
    return line;
}
inline bool readStateLine(const std::string& line, BoardState& s, int32_t blocks, int32_t cells) {
    std::istringstream in(line);
    int shake = 0;
    if (!(in >> s.blocks >> s.robot >> s.currentPose >> s.requestedPose >> shake)) return false;
    if (s.blocks != blocks || s.robot < 0 || s.robot > blocks || s.currentPose < -1 ||
        s.currentPose > 8 || s.requestedPose < -1 || s.requestedPose > 8)
        return false;
    s.shakeRight = shake != 0;
    s.goalReached = false;
    for (int32_t i = 0; i < blocks; ++i)
        if (!(in >> s.cells[i]) || s.cells[i] < 0 || s.cells[i] >= cells) return false;
    return true;
}

// The hint from a known route (from a search, or what is left of one the player follows);
// false when the route does not play to the goal from this board.
template <int W, int H>
bool hintFromRoute(const Level<W, H>& board, const std::vector<Plan>& plans, Hint& hint) {
    if (plans.empty()) return false;
    const Route route = routeKeys(board, plans);
    if (!route.ok || playKeys(board, route.keys) != static_cast<int>(route.keys.size()) - 1)
        return false;
    hint.kind = Hint::Kind::move;
    hint.steps = static_cast<int>(plans.size());
    hint.route = plans;
    hint.label = hintWords(route.steps[0]);
    hint.keys.assign(route.keys.begin(),
                     route.keys.begin() + static_cast<std::ptrdiff_t>(route.stepEnds[0]));
    Level<W, H> lv = board;
    for (int key : hint.keys) runBoard(nullptr, lv, key, 0, 0);
    hint.robotCells.clear();
    for (int i = 0; i < lv.group.size(); ++i) hint.robotCells.push_back(lv.group.get(i)->index());
    return true;
}

namespace hintDetail {

template <int W, int H> Key keyOf(const Level<W, H>& lv) {
    Stepper<W, H> st(lv);
    return st.pack(st.read(lv, glidesOnAfterAStep(lv)));
}

// One playable proof from a board: a route (shortest, fewest combos), exhausted, or stopped.
template <int W, int H> struct Proof {
    SearchResult res;
    std::unique_ptr<StepsLeft> left;
    std::unique_ptr<GraphBound> graph;
    std::unique_ptr<Search<W, H>> search; // kept for asking which boards it saw
};

template <int W, int H> Proof<W, H> prove(const Level<W, H>& board, const HintSettings& s) {
    Proof<W, H> p;
    const SearchResult quick = beamSearch(board, 400, true, s.cancel);
    SearchOptions o;
    o.threads = s.threads;
    o.playable = true;
    o.allLayer = true; // the whole goal layer: the route then depends on no thread's timing
    o.maxStates = s.maxStates;
    o.interrupt = s.cancel;
    p.left = std::make_unique<StepsLeft>(board);
    p.graph = std::make_unique<GraphBound>(board);
    if (p.graph->sound()) o.graph = p.graph.get();
    if (quick.solved) {
        o.bound = static_cast<int>(quick.actions.size());
        o.stepsLeft = p.left.get();
    }
    p.search = std::make_unique<Search<W, H>>(board, o);
    p.res = p.search->run();
    if (p.res.exhausted && quick.solved) p.res.exhausted = false; // never claim a dead end then
    return p;
}

} // namespace hintDetail

// `undoPoints` are the boards the player can undo to, newest first.
template <int W, int H>
Hint findHint(const Level<W, H>& board, const std::vector<const Level<W, H>*>& undoPoints,
              const HintSettings& s = {}) {
    using namespace hintDetail;
    Hint hint;
    Proof<W, H> here = prove(board, s);
    if (s.cancel && s.cancel->load()) {
        hint.kind = Hint::Kind::cancelled;
        return hint;
    }
    if (here.res.solved) {
        if (!hintFromRoute(board, plansOf(here.res), hint)) hint.kind = Hint::Kind::unknown;
        return hint;
    }
    if (!here.res.exhausted) return hint; // stopped at the ceiling: nothing proven
    // Dead here. Back through the undo points, skipping those this proof already saw.
    for (size_t i = 0; i < undoPoints.size(); ++i) {
        if (here.search->holds(keyOf(*undoPoints[i]))) continue;
        Proof<W, H> back = prove(*undoPoints[i], s);
        if (s.cancel && s.cancel->load()) {
            hint.kind = Hint::Kind::cancelled;
            return hint;
        }
        if (back.res.solved) {
            hint.kind = Hint::Kind::deadEnd;
            hint.undo = static_cast<int>(i) + 1;
            return hint;
        }
        if (!back.res.exhausted) return hint; // unknown from there: claim nothing
    }
    hint.kind = Hint::Kind::deadEnd;
    hint.undo = 0;
    return hint;
}
