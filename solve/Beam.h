// A quick route, not proven shortest: beam search guided by each block's walking distance to
// the goal.
#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "solve/Search.h"
#include "solve/State.h"

struct KeyHash {
    size_t operator()(const Key& k) const { return static_cast<size_t>(k.hash()); }
};

template <int W, int H>
SearchResult beamSearch(const Level<W, H>& fresh, int width, bool playable,
                        const std::atomic<bool>* interrupt = nullptr) {
    struct Entry {
        Key key;
        int score;
        size_t trail; // index into the trail of (parent, action)
    };
    Stepper<W, H> st(fresh);
    st.mergePending = !playable;
    st.mergeMoving = true;
    const std::vector<int> dist = goalDistances(fresh);
    auto score = [&](const Unpacked& u) {
        int best = 1 << 20;
        const int from = 0;
        const int to = u.robot > 0 ? u.robot : st.parts();
        for (int i = from; i < to; ++i) best = std::min(best, dist[static_cast<size_t>(u.cell[i])]);
        return best;
    };
    struct Link {
        size_t parent;
        uint8_t action;
        Key from;
    };
    std::vector<Link> trail{{0, 0, Key{}}};
    std::unordered_set<Key, KeyHash> seen;
    const Unpacked root = st.read(fresh, glidesOnAfterAStep(fresh));
    std::vector<Entry> layer{{st.pack(root), score(root), 0}};
    seen.insert(layer[0].key);
    SearchResult res;
    uint8_t acts[actCount];
    for (int depth = 0; depth < 5000 && !layer.empty(); ++depth) {
        if (interrupt && interrupt->load()) break;
        std::vector<Entry> next;
        for (const Entry& e : layer) {
            const Unpacked u = st.unpack(e.key);
            const int n = st.actions(u, acts);
            bool still = false;
            for (int a = 0; a < n; ++a) {
                if (acts[a] != actNone && playable && !u.moved && !still) continue;
                Unpacked child;
                const bool goal = st.play(u, acts[a], child);
                if (acts[a] == actNone && !u.moved) still = st.pack(child) == st.pack(u);
                trail.push_back({e.trail, acts[a], e.key});
                if (goal) {
                    res.solved = true;
                    res.states = seen.size();
                    for (size_t t = trail.size() - 1; t != 0; t = trail[t].parent) {
                        res.actions.push_back(trail[t].action);
                        res.from.push_back(trail[t].from);
                    }
                    std::reverse(res.actions.begin(), res.actions.end());
                    std::reverse(res.from.begin(), res.from.end());
                    for (uint8_t x : res.actions) res.combos += isCombo(x) ? 1 : 0;
                    return res;
                }
                const Key k = st.pack(child);
                if (!seen.insert(k).second) {
                    trail.pop_back();
                    continue;
                }
                next.push_back({k, score(child), trail.size() - 1});
            }
        }
        if (next.size() > static_cast<size_t>(width)) {
            std::stable_sort(next.begin(), next.end(),
                             [](const Entry& a, const Entry& b) { return a.score < b.score; });
            next.resize(static_cast<size_t>(width));
        }
        layer.swap(next);
    }
    res.states = seen.size();
    return res;
}
