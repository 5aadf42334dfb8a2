// The solver against a breadth-first search with nothing clever in it: whole board copies, every
// key each step, no merges and no bound. On generated maps whose shortest route is long enough
// for the merges and the bounds to matter, both must give the same answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"
#include "content/MapFile.h"
#include "solve/Keys.h"
#include "solve/Solve.h"

namespace {

using Board = Level<40, 25>;
using Wide = Level<80, 50>;

struct Plain {
    int length = -1; // -1: no route
    int combos = 0;  // the fewest among the shortest
    bool complete = true;
};

template <class Board> struct Copy {
    Board board;
    bool moved; // the last step moved a block: two keys fit in the glide before the next
};

// Everything the rules read: each block's cell by label, both bags in order, the poses, the
// shake toggle, and whether the last step moved a block.
template <class Board> std::string signature(const Copy<Board>& c) {
    const Board& b = c.board;
    std::string s;
    for (int i = 0; i < b.partCount; ++i) {
        s += static_cast<char>(b.parts[i].x);
        s += static_cast<char>(b.parts[i].y);
    }
    s += '|';
    for (int i = 0; i < b.group.size(); ++i) s += static_cast<char>(b.group.get(i) - b.parts);
    s += '|';
    for (int i = 0; i < b.loose.size(); ++i) s += static_cast<char>(b.loose.get(i) - b.parts);
    s += static_cast<char>(b.currentPose + 2);
    s += static_cast<char>(b.requestedPose + 2);
    s += b.shakeRight ? 'r' : 'l';
    s += c.moved ? 'm' : 's';
    return s;
}

// Keys before a step: none, one of nine poses, Space, or Space then a pose (only in a glide).
template <class Board> Copy<Board> play(const Copy<Board>& from, int space, int pose) {
    Copy<Board> to{from.board, false};
    if (space) to.board.requestPose(-1);
    if (pose >= 0) to.board.requestPose(pose);
    int x[maxParts], y[maxParts];
    for (int i = 0; i < to.board.partCount; ++i) {
        x[i] = to.board.parts[i].x;
        y[i] = to.board.parts[i].y;
    }
    to.board.step();
    for (int i = 0; i < to.board.partCount; ++i)
        to.moved |= x[i] != to.board.parts[i].x || y[i] != to.board.parts[i].y;
    return to;
}

// Layer by layer; each state keeps the fewest combos over its parents in the layer before.
template <class Board> Plain plainSearch(const Board& fresh, bool playable, size_t cap) {
    using C = Copy<Board>;
    Plain answer;
    std::set<std::string> seen;
    std::vector<std::pair<C, int>> layer{{C{fresh, false}, 0}};
    seen.insert(signature(layer[0].first));
    for (int depth = 0; !layer.empty(); ++depth) {
        std::map<std::string, std::pair<C, int>> next;
        int goalCombos = -1;
        for (const auto& [copy, combos] : layer) {
            std::vector<std::pair<C, int>> kids; // child, combos used
            const C wait = play(copy, 0, -1);
            kids.push_back({wait, 0});
            // With --playable a key on a still board must be one whose time does not matter.
            const bool anyKey = !playable || copy.moved ||
                                (!wait.board.hasWon() && signature(wait) == signature(copy));
            if (anyKey) {
                for (int p = 0; p < 9; ++p) kids.push_back({play(copy, 0, p), 0});
                kids.push_back({play(copy, 1, -1), 0});
                if (copy.moved)
                    for (int p = 0; p < 9; ++p) kids.push_back({play(copy, 1, p), 1});
            }
            for (auto& [kid, extra] : kids) {
                const int total = combos + extra;
                if (kid.board.hasWon()) {
                    if (goalCombos < 0 || total < goalCombos) goalCombos = total;
                    continue;
                }
                const std::string sig = signature(kid);
                if (seen.count(sig)) continue;
                auto it = next.find(sig);
                if (it == next.end())
                    next.emplace(sig, std::make_pair(kid, total));
                else if (total < it->second.second)
                    it->second.second = total;
            }
        }
        if (goalCombos >= 0) {
            answer.length = depth + 1;
            answer.combos = goalCombos;
            return answer;
        }
        layer.clear();
        for (auto& [sig, entry] : next) {
            seen.insert(sig);
            layer.push_back(std::move(entry));
        }
        if (seen.size() > cap) {
            answer.complete = false;
            return answer;
        }
    }
    return answer;
}

// A small walled room: a floor with a goal cell in it, ledges, a few conveyors and maybe a
// reset cell, blocks 1 and 2 side by side and one or two more lying about; chain or figure
// poses.
std::string randomMap(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
    const int w = pick(9, 15), h = pick(6, 9);
    std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), ' '));
    for (int y = 0; y < h; ++y) rows[y][0] = rows[y][w - 1] = '#';
    for (int x = 0; x < w; ++x) rows[0][x] = rows[h - 1][x] = '#';
    const int ledges = pick(1, 4);
    for (int i = 0; i < ledges; ++i) {
        const int y = pick(2, h - 2), x = pick(1, w - 3), len = pick(1, 5);
        const char c = rng() % 4 == 0 ? (rng() % 2 ? '<' : '>') : '#';
        for (int k = 0; k < len && x + k < w - 1; ++k) rows[y][x + k] = c;
    }
    if (rng() % 3 == 0) rows[h - 1][pick(1, w - 2)] = '!';
    if (rng() % 2 == 0) {
        const int x = pick(1, w - 4);
        for (int k = 0; k < 3; ++k) rows[h - 1][x + k] = rng() % 2 ? '<' : '>';
    }
    // The goal in the floor or on a ledge: any solid cell with room above.
    std::vector<std::pair<int, int>> goals;
    for (int y = 2; y < h; ++y)
        for (int x = 1; x < w - 1; ++x)
            if (rows[y][x] == '#' && rows[y - 1][x] == ' ') goals.emplace_back(x, y);
    if (goals.empty()) return "";
    const auto [gx, gy] = goals[rng() % goals.size()];
    rows[gy][gx] = '@';
    std::vector<std::pair<int, int>> spots;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 2; ++x)
            if (rows[y][x] == ' ' && rows[y][x + 1] == ' ') spots.emplace_back(x, y);
    if (spots.empty()) return "";
    const auto [bx, by] = spots[rng() % spots.size()];
    rows[by][bx] = '1';
    rows[by][bx + 1] = '2';
    const int more = pick(0, 2);
    for (int i = 0; i < more; ++i) {
        const auto [x, y] = spots[rng() % spots.size()];
        if (rows[y][x] == ' ') rows[y][x] = static_cast<char>('3' + i);
    }
    // Some with the figure's poses, whose patterns do not hang together: the box bound alone.
    std::string text = rng() % 4 == 0 ? "; poses: figure\n" : "; poses: chain\n";
    for (const std::string& r : rows) text += r + "\n";
    return text;
}

// The solver as the command line runs it, with the route's combos as it counts them.
struct Solved {
    int length = -1;
    int combos = 0;
    bool exhausted = false;
};
template <class Board> Solved solver(const Board& fresh, bool playable, bool fewest) {
    SolveSettings s;
    s.playable = playable;
    s.fewestCombos = fewest;
    s.threads = 2;
    const SearchResult res = solveBoard(fresh, s);
    Solved out;
    out.exhausted = res.exhausted;
    EXPECT_EQ(res.contradicted, 0) << "the quick search's route, then \"no route\"";
    if (!res.solved) return out;
    KeyTiming timing;
    if (!playable) timing.stillWait = 0;
    const Route route = routeKeys(fresh, plansOf(res), timing);
    EXPECT_TRUE(route.ok);
    EXPECT_EQ(playKeys(fresh, route.keys), static_cast<int>(route.keys.size()) - 1);
    out.length = static_cast<int>(res.actions.size());
    out.combos = route.combos;
    return out;
}

// Both searches on one map: the shortest length and, with `all`, the fewest combos and the
// shortest playable length. Gives the plain search's length (-1: no route), or -2 when it did not
// end.
template <class B> int agreeOn(const MapFile& map, size_t cap, bool all) {
    const B fresh(map.boardText.c_str(), map.figurePoses ? dancerPoses : chainPoses, nullptr,
                  map.viewW, map.viewH);
    const Plain plain = plainSearch(fresh, false, cap);
    if (!plain.complete) return -2;
    const Solved quick = solver(fresh, false, false);
    EXPECT_EQ(quick.length, plain.length) << "shortest length";
    if (plain.length < 0) {
        EXPECT_TRUE(quick.exhausted) << "no route, yet not said so";
    } else if (all) {
        EXPECT_EQ(solver(fresh, false, true).combos, plain.combos) << "fewest combos";
        const Plain playable = plainSearch(fresh, true, cap);
        if (playable.complete) {
            EXPECT_EQ(solver(fresh, true, false).length, playable.length) << "playable";
        }
    }
    return plain.length;
}
int agreeOn(const std::string& text, size_t cap, bool all = false) {
    MapFile map;
    std::string error;
    EXPECT_TRUE(parseMap(text, "generated", map, error)) << error << "\n" << text;
    SCOPED_TRACE(text);
    return map.large ? agreeOn<Wide>(map, cap, all) : agreeOn<Board>(map, cap, all);
}

TEST(CrossCheck, SolverAgreesWithAPlainSearchOnGeneratedMaps) {
#ifdef FOLDBOT_SANITIZE_BUILD
    const int wanted = 12, wantedNone = 3; // the same checks, fewer maps: sanitizers are slow
#else
    const int wanted = 50, wantedNone = 8;
#endif
    std::mt19937 rng(2024);
    int routes = 0, none = 0, tried = 0;
    while ((routes < wanted || none < wantedNone) && tried < 20000) {
        ++tried;
        const std::string text = randomMap(rng);
        if (text.empty()) continue;
        // The quick route is never shorter than the shortest: too short a one rules a map out.
        MapFile map;
        std::string error;
        ASSERT_TRUE(parseMap(text, "generated", map, error)) << error << "\n" << text;
        const SearchResult beam =
            beamSearch(Board(map.boardText.c_str(), map.figurePoses ? dancerPoses : chainPoses,
                             nullptr, map.viewW, map.viewH),
                       400, false);
        if (beam.solved ? beam.actions.size() < 10 || routes >= wanted : none >= wantedNone)
            continue;
        const int length = agreeOn(text, 40000, true);
        routes += length >= 10;
        none += length == -1;
    }
    std::printf("%d maps with a route, %d without, out of %d\n", routes, none, tried);
    EXPECT_GE(routes, wanted) << "maps with a route of 10 steps or more, out of " << tried;
    EXPECT_GE(none, wantedNone) << "maps with no route";
}

// Maps exactly as wide as their board, open at the ends of rows: the rules carry a block off a
// row's last cell onto the next row's first.
std::string wrapMap(std::mt19937& rng, int w) {
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
    const int h = pick(5, 8);
    std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '#'));
    const int y0 = pick(1, h - 3), y1 = pick(y0, h - 3), x0 = pick(w - 14, w - 5);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x < w; ++x) rows[y][x] = ' ';
    // Openings at the start of the rows below: where a block that runs off the end comes back.
    for (int y = y0 + 1; y <= y1 + 1; ++y)
        if (rng() % 2 || y == y1 + 1)
            for (int x = 0, n = pick(1, 5); x < n; ++x) rows[y][x] = ' ';
    if (rng() % 3 == 0)
        for (int x = x0; x < x0 + 3; ++x) rows[y1 + 1][x] = rng() % 2 ? '<' : '>';
    std::vector<std::pair<int, int>> goals, spots;
    for (int y = 1; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (rows[y][x] != ' ' && rows[y - 1][x] == ' ') goals.emplace_back(x, y);
            if (y < h - 1 && x + 1 < w && rows[y][x] == ' ' && rows[y][x + 1] == ' ')
                spots.emplace_back(x, y);
        }
    if (goals.empty() || spots.empty()) return "";
    const auto [gx, gy] = goals[rng() % goals.size()];
    rows[gy][gx] = '@';
    const auto [bx, by] = spots[rng() % spots.size()];
    rows[by][bx] = '1';
    rows[by][bx + 1] = '2';
    std::string text = "; title: wrap\n";
    for (const std::string& r : rows) text += r + "\n";
    return text;
}

// A corridor two cells high that turns back on itself `turns` times, from blocks 1 and 2 in its
// top left to a goal in the floor of its last run at column `goal`, or with none (-1) in the
// ceiling where nothing rests on it: routes hundreds of steps long.
std::string serpentine(int turns, int goal) {
    const int w = 79;
    std::vector<std::string> rows{std::string(w, '#')};
    for (int t = 0; t < turns; ++t) {
        for (int k = 0; k < 2; ++k) rows.push_back("#" + std::string(w - 2, ' ') + "#");
        std::string floor(w, '#');
        if (t + 1 < turns) floor.replace(t % 2 ? 1 : w - 3, 2, "  ");
        rows.push_back(floor);
    }
    rows[2].replace(1, 2, "12");
    if (goal >= 0)
        rows.back()[goal] = '@';
    else
        rows[1][40] = '@', rows[2][40] = '#';
    std::string text = "; title: serpentine\n";
    for (const std::string& r : rows) text += r + "\n";
    return text;
}

TEST(CrossCheck, BoundsHoldWhereRowsWrapAndRoutesRunLong) {
    // The two maps on which the bounds once cut off every route.
    EXPECT_EQ(agreeOn("; title: wrap2\n"
                      "########################################\n"
                      "#                                       \n"
                      "#                                       \n"
                      "#                                    12 \n"
                      "    ####################################\n"
                      "##@#####################################\n"
                      "########################################\n",
                      200000),
              4);
    EXPECT_EQ(agreeOn(serpentine(4, 42), 400000), 262);
#ifdef FOLDBOT_SANITIZE_BUILD
    const int wanted = 6; // the same checks, fewer maps: sanitizers are slow
#else
    const int wanted = 40;
    // Past a thousand steps, and the same length of corridor with nowhere to rest on the goal.
    const int longest = agreeOn(serpentine(16, 36), 2000000);
    std::printf("a corridor of 16 runs: %d steps\n", longest);
    EXPECT_GT(longest, 1000);
    EXPECT_EQ(agreeOn(serpentine(5, -1), 2000000), -1);
#endif
    std::mt19937 rng(25);
    int routes = 0, none = 0;
    for (int tried = 0; (routes + none < wanted || none == 0) && tried < 2000; ++tried) {
        const std::string text = wrapMap(rng, tried % 2 ? 80 : 40);
        if (text.empty()) continue;
        const int length = agreeOn(text, 100000);
        routes += length >= 0;
        none += length == -1;
    }
    std::printf("wrapping maps: %d with a route, %d without\n", routes, none);
    EXPECT_GE(routes, wanted / 2);
    EXPECT_GE(none, 1);
}

} // namespace
