// The whole proof of a board: a quick route whose length bounds the exact search, then the
// exact search with both lower bounds.
#pragma once

#include <atomic>

#include "board/Level.h"
#include "solve/Beam.h"
#include "solve/Bound.h"
#include "solve/Search.h"

struct SolveSettings {
    bool fast = false;
    bool playable = false;
    bool fewestCombos = false;
    int threads = 1;
    int beam = 400;
    bool progress = false;
    bool status = false;
    size_t maxBytes = 0;
    size_t maxStates = 0; // 0: as many as the memory reservation holds
    const std::atomic<bool>* interrupt = nullptr;
};

template <int W, int H> SearchResult solveBoard(const Level<W, H>& fresh, const SolveSettings& s) {
    SearchResult res = beamSearch(fresh, s.beam, s.playable, s.interrupt);
    if (s.fast || (s.interrupt && s.interrupt->load())) return res;
    SearchOptions o;
    o.threads = s.threads;
    o.playable = s.playable;
    o.allLayer = s.fewestCombos;
    o.interrupt = s.interrupt;
    o.maxBytes = s.maxBytes;
    o.maxStates = s.maxStates;
    o.status = s.status;
    const StepsLeft left(fresh);
    const GraphBound graph(fresh);
    if (graph.sound()) o.graph = &graph;
    if (res.solved) {
        o.bound = static_cast<int>(res.actions.size());
        o.stepsLeft = &left;
    }
    Search<W, H> search(fresh, o);
    search.progress = s.progress;
    SearchResult exact = search.run();
    if (exact.exhausted && res.solved) {
        exact.exhausted = false;
        exact.contradicted = static_cast<int>(res.actions.size());
    }
    return exact;
}
