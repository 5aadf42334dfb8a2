// How long a hint takes, fresh (no route kept from before), over the boards a player meets:
// every level's start, boards along the shipped walkthroughs and the packs' key files, and
// boards of random practice play with undos. Prints the whole distribution.
// Usage: hint_bench SOURCE_ROOT [random boards, default 200]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "content/Boards.h"
#include "content/Keys.h"
#include "content/MapFile.h"
#include "solve/Hint.h"

namespace {

struct Timing {
    std::string what;
    double seconds;
    Hint::Kind kind;
};
std::vector<Timing> timings;

template <int W, int H> void time(const std::string& what, const Level<W, H>& board) {
    const auto start = std::chrono::steady_clock::now();
    const Hint hint = findHint(board, {});
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timings.push_back({what, s, hint.kind});
}

// Boards every `every` frames along a key file, where the board has settled.
template <int W, int H>
void along(const std::string& what, Level<W, H> lv, const std::vector<int>& keys, size_t every) {
    for (size_t f = 0; f < keys.size() && !lv.hasWon(); ++f) {
        if (f % every == 0 && f > 0 && lv.isSettled())
            time(what + " frame " + std::to_string(f), lv);
        runBoard(nullptr, lv, keys[f], 0, 0);
    }
}

// Random keys with undos, as a player in practice mode might leave a board.
template <int W, int H>
void wander(const std::string& what, const Level<W, H>& fresh, std::mt19937& rng) {
    std::vector<Level<W, H>> points{fresh};
    Level<W, H> lv = fresh;
    const int length = 100 + static_cast<int>(rng() % 900);
    for (int f = 0; f < length && !lv.hasWon(); ++f) {
        const int r = static_cast<int>(rng() % 60);
        if (r == 0 && points.size() > 1) {
            lv = points.back();
            points.pop_back();
            continue;
        }
        const int key = r < 10 ? r - 1 : noKey; // -1 Space, 0..8 poses
        if (key != noKey) points.push_back(lv);
        runBoard(nullptr, lv, key, 0, 0);
    }
    if (!lv.hasWon()) time(what + " random", lv);
}

std::vector<int> keysOf(const std::string& path) {
    std::vector<int> keys;
    std::string why;
    if (!readKeyFile(path, keys, why)) std::fprintf(stderr, "%s\n", why.c_str());
    return keys;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hint_bench SOURCE_ROOT [RANDOM_BOARDS]\n");
        return 2;
    }
    const std::string root = argv[1];
    const int randomBoards = argc > 2 ? std::atoi(argv[2]) : 200;
    std::mt19937 rng(30);

    const Level<40, 20> one = level1Board.make();
    const Level<80, 50> two = level2Board.make();
    time("level1 start", one);
    time("level2 start", two);
    along("level1", one, keysOf(root + "/content/walkthrough/level1.keys"), 100);
    along("level2", two, keysOf(root + "/content/walkthrough/level2.keys"), 150);
    std::vector<MapFile> maps;
    for (const char* folder : {"/levels", "/levels/challenge"}) {
        std::vector<MapFile> pack;
        std::string error;
        if (readPack(root + folder, pack, error)) maps.insert(maps.end(), pack.begin(), pack.end());
    }
    for (const MapFile& map : maps) {
        const std::vector<int> keys = keysOf(map.path.substr(0, map.path.size() - 4) + ".keys");
        const char* const* poses = map.figurePoses ? dancerPoses : chainPoses;
        if (map.large) {
            const Level<80, 50> lv(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH);
            time(map.title + " start", lv);
            along(map.title, lv, keys, 80);
        } else {
            const Level<40, 25> lv(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH);
            time(map.title + " start", lv);
            along(map.title, lv, keys, 80);
        }
    }
    for (int i = 0; i < randomBoards; ++i) {
        const size_t k = rng() % (maps.size() + 2);
        if (k == maps.size())
            wander("level1", one, rng);
        else if (k == maps.size() + 1)
            wander("level2", two, rng);
        else if (maps[k].large)
            wander(maps[k].title,
                   Level<80, 50>(maps[k].boardText.c_str(), chainPoses, nullptr, maps[k].viewW,
                                 maps[k].viewH),
                   rng);
        else
            wander(maps[k].title,
                   Level<40, 25>(maps[k].boardText.c_str(), chainPoses, nullptr, maps[k].viewW,
                                 maps[k].viewH),
                   rng);
    }

    const char* kinds[] = {"move", "dead end", "no hint found", "cancelled"};
    std::vector<double> all;
    for (const Timing& t : timings) {
        std::printf("%8.3f s  %-14s %s\n", t.seconds, kinds[static_cast<int>(t.kind)],
                    t.what.c_str());
        all.push_back(t.seconds);
    }
    std::sort(all.begin(), all.end());
    auto at = [&](double q) { return all[static_cast<size_t>(q * (all.size() - 1))]; };
    std::printf("%zu boards: min %.3f s, median %.3f s, 90%% %.3f s, 99%% %.3f s, max %.3f s\n",
                all.size(), all.front(), at(0.5), at(0.9), at(0.99), all.back());
    return 0;
}
