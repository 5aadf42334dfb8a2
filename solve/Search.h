// Breadth-first search over packed board states, layer by layer, on every core.
#pragma once

#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "solve/Bound.h"
#include "solve/Limits.h"
#include "solve/State.h"

// A node's meta word orders by (combos, action, parent's tag), so an atomic minimum keeps, for
// each state of a layer, the fewest combos and a tie-break that does not depend on thread
// timing: the parent is named by a tag of its key, never by where a thread happened to put it.
constexpr int tagBits = 40;
inline uint64_t parentTag(const Key& k) {
    return k.hash() & ((uint64_t{1} << tagBits) - 1);
}
inline uint64_t makeMeta(uint64_t combos, uint64_t action, uint64_t tag) {
    return combos << 48 | action << tagBits | tag;
}
inline uint64_t metaTag(uint64_t m) {
    return m & ((uint64_t{1} << tagBits) - 1);
}
inline int metaAction(uint64_t m) {
    return static_cast<int>((m >> tagBits) & 0xFF);
}
inline int metaCombos(uint64_t m) {
    return static_cast<int>(m >> 48);
}

struct Node {
    Key key;
    std::atomic<uint64_t> meta;
};

#ifdef __EMSCRIPTEN__
// The browser's mmap clears what it maps, touching every page; fresh heap is zero until touched,
// and no node is read before it is written, so there plain allocation stays cheap.
inline void* reserveMemory(size_t bytes) {
    void* p = std::malloc(bytes);
    return p ? p : MAP_FAILED;
}
inline void releaseMemory(void* p, size_t) {
    std::free(p);
}
#else
inline void* reserveMemory(size_t bytes) {
    return mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                -1, 0);
}
inline void releaseMemory(void* p, size_t bytes) {
    munmap(p, bytes);
}
#endif

// Anonymous memory that is only backed where it is touched, so a generous reservation is free.
template <class T> class Arena {
  public:
    explicit Arena(size_t capacity) : cap(capacity) {
        void* p = MAP_FAILED;
        // A system that will not overcommit gets as much as it allows.
        for (; cap >= (size_t{1} << 20); cap /= 2) {
            p = reserveMemory(cap * sizeof(T));
            if (p != MAP_FAILED) break;
        }
        if (p == MAP_FAILED) throw std::runtime_error("cannot reserve memory for the search");
        // Lookups land all over it: large pages spare the TLB.
        madvise(p, cap * sizeof(T), MADV_HUGEPAGE);
        data = static_cast<T*>(p);
    }
    ~Arena() { releaseMemory(data, cap * sizeof(T)); }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    T& operator[](size_t i) { return data[i]; }
    const T& operator[](size_t i) const { return data[i]; }
    size_t capacity() const { return cap; }

  private:
    T* data = nullptr;
    size_t cap = 0;
};

struct SearchOptions {
    int threads = 1;
    bool playable = false; // keys on a still board only where waiting changes nothing
    bool allLayer = false; // finish the goal's layer, to pick the fewest combos among them
    size_t maxStates = 0;  // 0: as many as the memory reservation holds
    int bound = 0;         // a known route's length: states that cannot beat it are dropped
    const StepsLeft* stepsLeft = nullptr; // a lower bound on the steps to the goal
    const GraphBound* graph = nullptr;    // another, through free cells; also finds dead states
    const std::atomic<bool>* interrupt = nullptr; // set from outside: stop soon
    size_t maxBytes = 0;                          // memory the search may touch; 0: no ceiling
    bool status = false; // one status line on standard error, redrawn in place
};

struct SearchResult {
    bool solved = false;
    bool exhausted = false; // every reachable state seen, no goal
    bool interrupted = false;
    bool outOfMemory = false; // the next layer would not fit
    // The exact search came up empty though the quick one holds a route of this many steps: a
    // fault in the solver, never a proof.
    int contradicted = 0;
    std::vector<uint8_t> actions;
    std::vector<Key> from; // the state each action was taken from
    int combos = 0;
    uint64_t states = 0;
    int depth = 0;
};

template <int W, int H> class Search {
  public:
    Search(const Level<W, H>& fresh, SearchOptions o)
        : opt(o), proto(fresh), nodes(o.maxStates ? o.maxStates : defaultCapacity) {
        if (opt.threads < 1) opt.threads = 1;
    }

    SearchResult run() {
        start = std::chrono::steady_clock::now();
        baseBytes = residentBytes();
        std::thread monitor;
        if (opt.status) monitor = std::thread([this] { showStatus(); });
        SearchResult res = layers();
        {
            std::lock_guard<std::mutex> hold(statusLock);
            done = true;
        }
        statusWake.notify_all();
        if (monitor.joinable()) monitor.join();
        return res;
    }

    bool progress = false;

    // Whether the search met this state (after run()).
    bool holds(const Key& k) const {
        if (!slots) return false;
        const uint64_t h = k.hash(), tag = h >> indexBits, mask = slotCount - 1;
        for (uint64_t pos = h & mask;; pos = (pos + 1) & mask) {
            const uint64_t v = slots[pos].load(std::memory_order_relaxed);
            if (v == 0) return false;
            if (v != busy && (v >> indexBits) == tag && nodes[(v & indexMask) - 1].key == k)
                return true;
        }
    }

  private:
    SearchResult layers() {
        Stepper<W, H> st(proto);
        st.mergePending = !opt.playable;
        st.mergeMoving = true;
        SearchResult res;
        if (!grow(1 << 16)) return stopped(res, 0);
        insertRoot(st.pack(st.read(proto, glidesOnAfterAStep(proto))));
        size_t layerStart = 0;
        size_t layerEnd = 1;
        layerStarts.assign(1, 0);
        for (int depth = 0;; ++depth) {
            depthNow.store(depth);
            found.store(~uint64_t{0});
            for (;;) {
                // Room for the next layer, guessed from the last one; an overflow redoes it.
                const size_t width = layerEnd - layerStart;
                const size_t guess = count.load() + width * (lastGrowth + 1) + 1024;
                if (guess > nodes.capacity()) {
                    memoryOut.store(true);
                    return stopped(res, depth);
                }
                if (guess * 4 > slotCount * 3 && !grow(guess * 2)) return stopped(res, depth);
                overflow.store(false);
                expandLayer(layerStart, layerEnd, depth);
                if (stopping()) {
                    count.store(layerEnd);
                    return stopped(res, depth);
                }
                if (!overflow.load()) break;
                count.store(layerEnd);
                lastGrowth = lastGrowth * 2 + 4;
                if (!grow(slotCount * 2)) return stopped(res, depth);
            }
            const size_t width = layerEnd - layerStart;
            const size_t next = count.load() - layerEnd;
            lastGrowth = width ? next / width + 1 : 1;
            res.states = count.load();
            if (found.load() != ~uint64_t{0}) {
                res.solved = true;
                res.depth = depth + 1;
                const uint64_t m = found.load();
                res.combos = metaCombos(m);
                const size_t last = parentOf(m, layerStart, layerEnd, nullptr, st);
                res.actions = pathTo(last, depth, res.from, st);
                res.actions.push_back(static_cast<uint8_t>(metaAction(m)));
                res.from.push_back(nodes[last].key);
                return res;
            }
            if (next == 0) {
                res.exhausted = true;
                res.depth = depth;
                return res;
            }
            layerStart = layerEnd;
            layerEnd = count.load();
            layerStarts.push_back(layerStart);
            if (progress)
                std::fprintf(stderr, "depth %d: %zu new, %llu states\n", depth + 1, next,
                             static_cast<unsigned long long>(count.load()));
        }
    }

    static constexpr size_t defaultCapacity = size_t{1} << 30;
    static constexpr uint64_t busy = ~uint64_t{0};
    static constexpr int indexBits = 40;
    static constexpr uint64_t indexMask = (uint64_t{1} << indexBits) - 1;

    bool stopping() const {
        return memoryOut.load(std::memory_order_relaxed) ||
               (opt.interrupt && opt.interrupt->load(std::memory_order_relaxed));
    }

    SearchResult stopped(SearchResult& res, int depth) {
        res.depth = depth;
        res.states = count.load();
        res.interrupted = opt.interrupt && opt.interrupt->load();
        res.outOfMemory = !res.interrupted;
        return res;
    }

    // Depth, states, rate, time and memory, redrawn in place a few times a second.
    void showStatus() {
        std::unique_lock<std::mutex> hold(statusLock);
        bool shown = false;
        while (
            !statusWake.wait_for(hold, std::chrono::milliseconds(250), [this] { return done; })) {
            const double secs =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double states = static_cast<double>(count.load());
            char line[160];
            std::snprintf(line, sizeof line, "depth %d, %.0f states, %.0f states/s, %.1f s, %s",
                          depthNow.load() + 1, states, secs > 0 ? states / secs : 0.0, secs,
                          mebibytes(residentBytes()).c_str());
            // A line that wraps cannot be redrawn or cleared in place: cut it to the terminal,
            // whose width may change while the search runs.
            winsize ws{};
            if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 &&
                ws.ws_col <= sizeof line)
                line[ws.ws_col - 1] = '\0';
            std::fprintf(stderr, "\r\033[K%s", line);
            std::fflush(stderr);
            shown = true;
        }
        if (shown) std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }

    void insertRoot(const Key& k) {
        nodes[0].key = k;
        nodes[0].meta.store(makeMeta(0, 0, parentTag(k)));
        count.store(1);
        place(k.hash(), 0);
    }

    // Rebuilds the table with at least `want` slots from the nodes kept so far; false when that
    // would pass the memory ceiling.
    bool grow(size_t want) {
        size_t n = size_t{1} << 16;
        while (n < want) n <<= 1;
        if (n <= slotCount && slots) n = slotCount;
        if (opt.maxBytes) {
            // Every slot gets touched; nodes only as far as they are used.
            const size_t fixed = baseBytes + n * sizeof(uint64_t);
            const size_t used = count.load() * sizeof(Node);
            if (fixed + used + (size_t{1} << 20) > opt.maxBytes) {
                memoryOut.store(true);
                return false;
            }
            nodeLimit = (opt.maxBytes - fixed) / sizeof(Node);
        }
        if (slots) munmap(slots, slotCount * sizeof(uint64_t));
        void* p = mmap(nullptr, n * sizeof(uint64_t), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) throw std::runtime_error("cannot reserve memory for the search");
        madvise(p, n * sizeof(uint64_t), MADV_HUGEPAGE);
        slots = static_cast<std::atomic<uint64_t>*>(p);
        slotCount = n;
        const size_t total = count.load();
        parallel([&](int t, int nt) {
            for (size_t i = t; i < total; i += nt) place(nodes[i].key.hash(), i);
        });
        return true;
    }

    void place(uint64_t h, size_t idx) {
        const uint64_t mask = slotCount - 1;
        const uint64_t v = (h >> indexBits) << indexBits | (idx + 1);
        for (uint64_t pos = h & mask;; pos = (pos + 1) & mask) {
            uint64_t empty = 0;
            if (slots[pos].compare_exchange_strong(empty, v)) return;
        }
    }

    // Adds a child to the next layer, or lowers the meta of the copy already in it.
    void insert(const Key& k, uint64_t h, uint64_t meta, size_t nextStart) {
        const uint64_t tag = h >> indexBits;
        const uint64_t mask = slotCount - 1;
        for (uint64_t pos = h & mask;;) {
            uint64_t v = slots[pos].load(std::memory_order_acquire);
            if (v == 0) {
                if (!slots[pos].compare_exchange_strong(v, busy)) continue;
                const size_t idx = count.fetch_add(1);
                if (idx >= nodeLimit) memoryOut.store(true);
                if (idx >= nodes.capacity() || idx >= nodeLimit || idx * 20 >= slotCount * 19) {
                    overflow.store(true);
                    slots[pos].store(0, std::memory_order_release);
                    return;
                }
                nodes[idx].key = k;
                nodes[idx].meta.store(meta, std::memory_order_relaxed);
                slots[pos].store(tag << indexBits | (idx + 1), std::memory_order_release);
                return;
            }
            if (v == busy) continue;
            if ((v >> indexBits) == tag) {
                const size_t idx = (v & indexMask) - 1;
                if (nodes[idx].key == k) {
                    if (idx >= nextStart) {
                        uint64_t old = nodes[idx].meta.load(std::memory_order_relaxed);
                        while (meta < old && !nodes[idx].meta.compare_exchange_weak(old, meta)) {
                        }
                    }
                    return;
                }
            }
            pos = (pos + 1) & mask;
        }
    }

    void expandLayer(size_t begin, size_t end, int depth) {
        std::atomic<size_t> cursor{begin};
        parallel([&](int, int) {
            Stepper<W, H> st(proto);
            st.mergePending = !opt.playable;
            st.mergeMoving = true;
            uint8_t acts[actCount];
            constexpr size_t chunk = 256;
            for (;;) {
                const size_t from = cursor.fetch_add(chunk);
                if (from >= end || overflow.load(std::memory_order_relaxed) || stopping()) return;
                const size_t to = std::min(end, from + chunk);
                for (size_t i = from; i < to; ++i) expandOne(st, i, end, depth, acts);
                if (!opt.allLayer && found.load(std::memory_order_relaxed) != ~uint64_t{0}) return;
            }
        });
    }

    // Whether a state at this depth can still reach the goal within the bound.
    bool hopeful(const Stepper<W, H>& st, const Unpacked& u, int depth) const {
        int least = 0;
        if (opt.graph) {
            least = opt.graph->stepsLeft(u.cell, st.parts(), u.robot);
            if (least >= GraphBound::never) return false; // no block can ever rest on the goal
        }
        if (opt.bound == 0) return true;
        if (opt.stepsLeft) {
            int box = StepsLeft::never;
            for (int b = 0; b < st.parts(); ++b)
                box = std::min(box, opt.stepsLeft->at(u.robot, u.cell[b]));
            least = std::max(least, box);
        }
        return depth + least <= opt.bound;
    }

    void expandOne(Stepper<W, H>& st, size_t i, size_t nextStart, int depth, uint8_t* acts) {
        const Unpacked u = st.unpack(nodes[i].key);
        const uint64_t combos = static_cast<uint64_t>(metaCombos(nodes[i].meta.load()));
        const int n = st.actions(u, acts);
        const uint64_t tag = parentTag(nodes[i].key);
        bool still = false;
        // Many keys change nothing here (a pose that does not fit): look those up only once.
        Key kids[actCount];
        uint64_t hashes[actCount];
        uint64_t metas[actCount];
        bool keep[actCount];
        int kidCount = 0;
        // No key comes first: whether waiting changes anything decides the keys after it.
        for (int a = 0; a < n; ++a) {
            if (acts[a] != actNone && opt.playable && !u.moved && !still)
                continue; // that key would have to land on one exact frame
            Unpacked child;
            const bool goal = st.play(u, acts[a], child);
            if (acts[a] == actNone && !u.moved) {
                // Waiting on a still board changes nothing here: a late key is harmless.
                still = !goal && st.pack(child) == st.pack(u);
            }
            const uint64_t meta = makeMeta(combos + (isCombo(acts[a]) ? 1 : 0), acts[a], tag);
            if (goal) {
                uint64_t old = found.load();
                while (meta < old && !found.compare_exchange_weak(old, meta)) {
                }
                continue;
            }
            const Key k = st.pack(child);
            const uint64_t h = k.hash();
            bool repeat = false;
            for (int j = 0; j < kidCount && !repeat; ++j) repeat = hashes[j] == h && kids[j] == k;
            if (repeat) continue;
            keep[kidCount] = hopeful(st, child, depth + 1);
            metas[kidCount] = meta;
            hashes[kidCount] = h;
            // The table is far larger than the caches: start fetching its slot now.
            if (keep[kidCount]) __builtin_prefetch(&slots[hashes[kidCount] & (slotCount - 1)]);
            kids[kidCount++] = k;
        }
        for (int j = 0; j < kidCount; ++j)
            if (keep[j]) insert(kids[j], hashes[j], metas[j], nextStart);
    }

    // The node of [begin, end) that the meta names as parent: its tag, and its action leading
    // to `child` (to the goal when there is none). Where tags collide, the least key wins, so
    // the answer never depends on the order threads laid the layer down in.
    size_t parentOf(uint64_t meta, size_t begin, size_t end, const Key* child,
                    Stepper<W, H>& st) const {
        size_t best = SIZE_MAX;
        for (size_t i = begin; i < end; ++i) {
            const Key& k = nodes[i].key;
            if (parentTag(k) != metaTag(meta)) continue;
            if (best != SIZE_MAX && !(k.lo < nodes[best].key.lo ||
                                      (k.lo == nodes[best].key.lo && k.hi < nodes[best].key.hi)))
                continue;
            Unpacked to;
            const bool goal = st.play(st.unpack(k), metaAction(meta), to);
            if (child ? !goal && st.pack(to) == *child : goal) best = i;
        }
        return best;
    }

    // The actions from the root to node idx of layer `depth`, and the state each was taken from.
    std::vector<uint8_t> pathTo(size_t idx, int depth, std::vector<Key>& from,
                                Stepper<W, H>& st) const {
        std::vector<uint8_t> path;
        for (int d = depth; d > 0; --d) {
            const uint64_t m = nodes[idx].meta.load();
            path.push_back(static_cast<uint8_t>(metaAction(m)));
            idx = parentOf(m, layerStarts[static_cast<size_t>(d - 1)],
                           layerStarts[static_cast<size_t>(d)], &nodes[idx].key, st);
            from.push_back(nodes[idx].key);
        }
        std::reverse(path.begin(), path.end());
        std::reverse(from.begin(), from.end());
        return path;
    }

    template <class F> void parallel(F f) {
        std::vector<std::thread> pool;
        for (int t = 1; t < opt.threads; ++t) pool.emplace_back(f, t, opt.threads);
        f(0, opt.threads);
        for (auto& th : pool) th.join();
    }

    SearchOptions opt;
    Level<W, H> proto;
    Arena<Node> nodes;
    std::atomic<uint64_t>* slots = nullptr;
    size_t slotCount = 0;
    std::atomic<size_t> count{0};
    std::atomic<bool> overflow{false};
    std::atomic<uint64_t> found{~uint64_t{0}};
    size_t lastGrowth = 8;
    std::vector<size_t> layerStarts; // where each finished layer begins
    std::atomic<bool> memoryOut{false};
    size_t nodeLimit = SIZE_MAX;
    size_t baseBytes = 0;
    std::atomic<int> depthNow{0};
    std::chrono::steady_clock::time_point start;
    std::mutex statusLock;
    std::condition_variable statusWake;
    bool done = false;
};
