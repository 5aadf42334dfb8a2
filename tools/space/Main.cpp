// foldbot_space: every state the keys can reach from a map's start, on the solver's own step and
// merges, and the share of them from which the goal can no longer be reached: how much a wrong
// move punishes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"
#include "content/MapFile.h"
#include "solve/State.h"

namespace {

struct KeyHash {
    size_t operator()(const Key& k) const { return static_cast<size_t>(k.hash()); }
};

template <int W, int H> int explore(const std::string& name, const Level<W, H>& fresh, size_t cap) {
    Stepper<W, H> st(fresh);
    st.mergeMoving = true; // as the solver's exact search steps
    std::unordered_map<Key, uint32_t, KeyHash> seen;
    std::vector<Key> keys;
    std::vector<uint32_t> first{0}; // successors of state i: next[first[i] .. first[i + 1])
    std::vector<uint32_t> next;
    std::vector<uint8_t> wins;
    const Key root = st.pack(st.read(fresh, false));
    seen.emplace(root, 0);
    keys.push_back(root);
    uint8_t acts[actCount];
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys.size() > cap) {
            std::printf("%s: more than %zu states: too many to explore here\n", name.c_str(), cap);
            return 3;
        }
        const Unpacked u = st.unpack(keys[i]);
        bool win = false;
        const int n = st.actions(u, acts);
        for (int a = 0; a < n; ++a) {
            Unpacked child;
            if (st.play(u, acts[a], child)) {
                win = true; // the level ends here: the goal is not a state to go on from
                continue;
            }
            const Key k = st.pack(child);
            auto it = seen.emplace(k, static_cast<uint32_t>(keys.size()));
            if (it.second) keys.push_back(k);
            next.push_back(it.first->second);
        }
        first.push_back(static_cast<uint32_t>(next.size()));
        wins.push_back(win);
    }
    // Backwards from the states one step from the goal, along reversed moves.
    const size_t count = keys.size();
    std::vector<uint32_t> rfirst(count + 1, 0), rnext(next.size());
    for (uint32_t t : next) ++rfirst[t + 1];
    for (size_t i = 0; i < count; ++i) rfirst[i + 1] += rfirst[i];
    std::vector<uint32_t> fill(rfirst.begin(), rfirst.end() - 1);
    for (size_t i = 0; i < count; ++i)
        for (uint32_t j = first[i]; j < first[i + 1]; ++j)
            rnext[fill[next[j]]++] = static_cast<uint32_t>(i);
    std::vector<uint8_t> alive(count, 0);
    std::vector<uint32_t> queue;
    for (size_t i = 0; i < count; ++i)
        if (wins[i]) {
            alive[i] = 1;
            queue.push_back(static_cast<uint32_t>(i));
        }
    for (size_t q = 0; q < queue.size(); ++q)
        for (uint32_t j = rfirst[queue[q]]; j < rfirst[queue[q] + 1]; ++j)
            if (!alive[rnext[j]]) {
                alive[rnext[j]] = 1;
                queue.push_back(rnext[j]);
            }
    const size_t lost = count - queue.size();
    std::printf("%s: %zu states reachable, %zu with no route left (%.1f%%)\n", name.c_str(), count,
                lost, 100.0 * static_cast<double>(lost) / static_cast<double>(count));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    size_t cap = 20000000;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--max-states") == 0 && i + 1 < argc)
            cap = std::strtoull(argv[++i], nullptr, 10);
        else if (argv[i][0] != '-' && path.empty())
            path = argv[i];
        else
            path.clear(), i = argc;
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: foldbot_space [--max-states N] FILE.map\n"
                             "Explores every state the solver's search can reach from the map's\n"
                             "start (default at most 20,000,000) and counts those from which no\n"
                             "route to the goal is left. Exit status: 0 done, 2 bad input, 3 too\n"
                             "many states.\n");
        return 2;
    }
    MapFile map;
    std::string error;
    if (!readMapFile(path, map, error)) {
        std::fprintf(stderr, "foldbot_space: %s\n", error.c_str());
        return 2;
    }
    if (map.blocks() > maxSolveParts) {
        std::fprintf(stderr, "foldbot_space: %s: more than %d blocks\n", path.c_str(),
                     maxSolveParts);
        return 2;
    }
    const char* const* poses = map.figurePoses ? dancerPoses : chainPoses;
    if (map.large)
        return explore(
            path, Level<80, 50>(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH), cap);
    return explore(path, Level<40, 25>(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH),
                   cap);
}
