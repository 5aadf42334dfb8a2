// foldbot_solve: the fewest logical steps from a fresh board to its goal, found on the real
// engine, and the keys that play them.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "board/Level.h"
#include "content/Boards.h"
#include "content/LevelCode.h"
#include "content/MapFile.h"
#include "content/TextFile.h"
#include "solve/Beam.h"
#include "solve/Bound.h"
#include "solve/Keys.h"
#include "solve/Limits.h"
#include "solve/Search.h"
#include "solve/Solve.h"
#include "tools/solve/Demo.h"
#include "tools/solve/Interrupt.h"

namespace {

const char* usage =
    "usage: foldbot_solve [options] BOARD\n"
    "       foldbot_solve [options] FILE.map\n"
    "       foldbot_solve --export level1|level2\n"
    "       foldbot_solve --code FILE.map | --decode CODE\n"
    "\n"
    "Finds the fewest logical steps from a freshly loaded BOARD (level1, level2) or map file to\n"
    "the step after which its goal is reached, searching breadth first on the game's own step\n"
    "rules. A map file plays on the board the game lays it into (40 x 25 cells when it fits the\n"
    "screen, else 80 x 50), with its own pose set; it may hold at most 8 blocks. The first\n"
    "line names the map's title, size and board.\n"
    "\n"
    "Between two steps a player's keys have one net effect: nothing, a pose key, Space, or\n"
    "Space then a pose key. The last needs a moving frame between the steps, so it is tried\n"
    "only after a step that moved a block.\n"
    "\n"
    "options:\n"
    "  --fast            a solution quickly (beam search), not proven shortest\n"
    "  --fewest-combos   among the shortest solutions, one with the fewest Space-then-pose\n"
    "  --playable        no key that must land on one exact frame: on a still board a key is\n"
    "                    tried only where waiting changes nothing (the walkthrough's rule)\n"
    "  --keys FILE       write the solution as one key per frame (0-8 pose, -1 Space,\n"
    "                    1000 none), checked by playing it through the frame driver\n"
    "  --check FILE      play a key file from a fresh board and say on which frame it wins\n"
    "  --from FILE       play a key file (or a map's demo written by --demo) on the board\n"
    "                    first, then search from the board it leaves (can this still be\n"
    "                    finished, and how?); a glide it ends in counts as a moving step while\n"
    "                    Space then a pose still fit in it\n"
    "  --demo FILE       write the route as a demo for `foldbot --map MAP --replay FILE`\n"
    "                    (map files only)\n"
    "  --export LEVEL    print a shipped level (level1, level2) as a map file\n"
    "  --code FILE.map   print the map's level code, a short text for a link (with the\n"
    "                    file's proven shortest when its header has one)\n"
    "  --decode CODE     print the map file a level code stands for\n"
    "  --threads N       search threads (default: the machine's cores)\n"
    "  --beam N          beam width of --fast (default 400)\n"
    "  --progress        one line per search depth on standard error (at a terminal, a\n"
    "                    status line is redrawn in place instead)\n"
    "  --max-memory SIZE stop, with exit status 3, before the search touches more than SIZE\n"
    "                    (512M, 2G...; default: the memory available to this process, from\n"
    "                    the system and its control group, less a margin)\n"
    "  --help            this text\n"
    "\n"
    "The search state: robot cells in bag order, loose cells in bag order, the current and\n"
    "requested poses, the shake toggle and whether the last step moved a block. Merges, and\n"
    "why they are sound:\n"
    "  - blocks are keyed by bag position, not by label: the rules never read a label, only\n"
    "    cells and bag order (labels choose sprites only);\n"
    "  - the camera, the glide rectangles and the marks are left out: they decide when the\n"
    "    next step runs and what is drawn, never what a step does;\n"
    "  - bag cursors and pose anchors are left out: every pass rewinds its cursor and every\n"
    "    pose is anchored before it is read;\n"
    "  - directions with identical patterns are one action (w and x on the chain boards),\n"
    "    a pose key equal to the pending request is no key, and Space on an empty robot\n"
    "    changes nothing;\n"
    "  - the pending request is reduced to whether the robot holds a pose: the next step's\n"
    "    key can ask for any pose, leaving a request pending is the same as pressing it\n"
    "    again, and asking for the held pose asks for nothing, so the successors are the\n"
    "    same whatever is pending (with --playable, where a key on a still board may not\n"
    "    be allowed, only after a step that moved a block: any key fits in its glide);\n"
    "  - poses that lay the robot alike (the same first n cells around the anchor; q, e and\n"
    "    s for two blocks) are one held pose and one action: pressing another of them\n"
    "    re-lays the robot from either, and when the robot grows or breaks up the held pose\n"
    "    is forgotten or cleared (not with --playable, where a step without motion can grow\n"
    "    the robot and keep the request); Space then a pose always forms two blocks, so it\n"
    "    takes one action for each shape of two.\n"
    "\n"
    "The search first finds a quick route; states that cannot beat its length are dropped,\n"
    "by the larger of two lower bounds on the steps left, each taken over every block, loose\n"
    "ones too (a robot formed after Space can stand anywhere loose blocks do), and each with\n"
    "the reach of the size the robot can have grown to (a block a step at most; it forms\n"
    "with two):\n"
    "  - boxes: how far one step can carry a block, in rows and columns; the rules take\n"
    "    cells by their place in the board, row after row, so where a free cell ends a row\n"
    "    with a free cell starting the next (a map exactly 40 or 80 wide), or a pose's\n"
    "    pattern can land past a row's end, a box's columns run on into the next row and\n"
    "    back into the one before;\n"
    "  - hops along free cells: every block always stands on a free cell and the robot hangs\n"
    "    together, so after a step each block lies within one hop of some block's old cell:\n"
    "    at most a cell down (gravity), then along the pose's cells, which hang together, are\n"
    "    free and never lie below their anchor (a block), then a cell sideways only near a\n"
    "    conveyor or reset cell, or down only near a reset cell (released blocks fall once);\n"
    "    a loose block moves a cell at most. Hops are counted back from the cells that rest on\n"
    "    the goal. A loose block resting on solid ground never moves and joins only next to\n"
    "    another block, so it waits until one can have come (a hop is at most span + 2\n"
    "    cells). Used only where every pose's first n cells hang together, checked per map.\n"
    "Both count steps exactly, with no cap: a hop count is at most the board's cells (4,000)\n"
    "per size the robot can grow through, so routes of any length the board holds are kept.\n"
    "States from which no block can ever reach the goal are dropped even without a route,\n"
    "so a \"no route\" stays a proof; should the exact search still come up empty where the\n"
    "quick search holds a route, that is reported as a fault of the solver (exit 4).\n"
    "\n"
    "Exit status: 0 solved, 1 no route (the whole space explored; with --playable, no\n"
    "playable route, though one that needs a key on an exact frame may exist), 2 bad input,\n"
    "3 stopped at a limit before an answer (memory, more blocks than the state holds, or\n"
    "--fast's beam found nothing: not a proof), 4 a fault of the solver's own (the exact\n"
    "search found nothing where the quick search holds a route: never printed as a proof),\n"
    "130 interrupted (Ctrl-C).\n";

struct Args {
    std::string board;
    SolveSettings solve; // what the options ask of the search
    std::string keysOut;
    std::string demoOut;
    std::string check;
    std::string from;
    std::string exportLevel;
    std::string decode;
    bool code = false;
    size_t maxMemory = 0; // 0: the default ceiling
};

double peakMiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_maxrss) / 1024.0;
}

// The map a board came from, when it came from a file: a demo names it.
struct Source {
    const MapFile* map = nullptr;
};

// The keys of a --from file: a key file, or a demo of one map's pose keys as --demo writes them
// (its frame F is the board's frame F - 1).
bool keysFrom(const std::string& path, const Source& source, std::vector<int>& keys,
              std::string& why) {
    std::string text;
    if (!readTextFile(path, text, why)) return false;
    if (text.rfind(demoFormat, 0) != 0) return readKeyFile(path, keys, why);
    std::vector<DemoEvent> events;
    DemoSetup setup;
    if (!parseDemo(text, events, why, &setup)) {
        why = path + ", " + why;
        return false;
    }
    const char* kinds = "; --from takes a key file, or a demo of one map written by --demo";
    if (!source.map || setup.maps.size() != 1 || setup.practice || setup.level != 0 ||
        setup.chooser) {
        why = path + ": not a demo of this one map" + kinds;
        return false;
    }
    keys.clear();
    for (const DemoEvent& e : events) {
        if (e.type != SDL_KEYDOWN) continue;
        const int direction = directionOf(static_cast<SDLKey>(e.key));
        if (direction == noKey) {
            why = path + ": frame " + std::to_string(e.frame) + " presses a key that is no pose" +
                  kinds;
            return false;
        }
        keys.resize(e.frame, noKey);
        keys[e.frame - 1] = direction;
    }
    return true;
}

template <int W, int H> int solve(const Args& args, const Level<W, H>& fresh, Source source) {
    const char* name = args.board.c_str();
    if (!args.check.empty()) {
        std::vector<int> keys;
        std::string why;
        if (!readKeyFile(args.check, keys, why)) {
            std::fprintf(stderr, "foldbot_solve: %s\n", why.c_str());
            return 2;
        }
        const int frame = playKeys(fresh, keys);
        if (frame < 0) {
            std::printf("%s: %s does not reach the goal in %zu frames\n", name, args.check.c_str(),
                        keys.size());
            return 1;
        }
        std::printf("%s: %s reaches the goal on frame %d of %zu\n", name, args.check.c_str(), frame,
                    keys.size());
        return 0;
    }

    // With --from, the search starts where the keys leave the board; a demo gets those keys too.
    Level<W, H> board = fresh;
    std::vector<int> before;
    if (!args.from.empty()) {
        std::string why;
        if (!keysFrom(args.from, source, before, why)) {
            std::fprintf(stderr, "foldbot_solve: --from: %s\n", why.c_str());
            return 2;
        }
        const int won = playKeys(board, before);
        if (won >= 0) {
            std::printf("%s: %s reaches the goal on frame %d: nothing left to search\n", name,
                        args.from.c_str(), won);
            return 0;
        }
        for (int key : before) runBoard(nullptr, board, key, 0, 0);
    }

    const auto start = std::chrono::steady_clock::now();
    const std::atomic<bool>& interrupted = interruptFlag();
    const size_t ceiling = args.maxMemory ? args.maxMemory : defaultMemoryLimit();
    SolveSettings settings = args.solve;
    settings.status = !settings.progress && isatty(STDERR_FILENO);
    settings.maxBytes = ceiling;
    settings.interrupt = &interrupted;
    SearchResult res = solveBoard(board, settings);
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (interrupted.load()) {
        std::fprintf(stderr,
                     "foldbot_solve: interrupted after %.1f s, %llu states; nothing proven\n", secs,
                     static_cast<unsigned long long>(res.states));
        return 130;
    }

    Route route;
    if (res.solved) {
        // Never claim a route that the frame driver does not play to the goal.
        KeyTiming timing;
        if (!args.solve.playable) timing.stillWait = 0;
        route = routeKeys(board, plansOf(res), timing);
        if (!route.ok || playKeys(board, route.keys) != static_cast<int>(route.keys.size()) - 1) {
            std::fprintf(stderr, "foldbot_solve: solver fault: the route does not replay to the "
                                 "goal; nothing is proven\n");
            return 4;
        }
        for (size_t i = 0; i < route.steps.size(); ++i)
            std::printf("%4zu  %s\n", i + 1, route.steps[i].c_str());
        res.combos = route.combos;
    }
    // Key files and demos play from a fresh board: --from's keys come first.
    if (res.solved) route.keys.insert(route.keys.begin(), before.begin(), before.end());
    if (res.solved && !args.keysOut.empty() && !writeKeyFile(args.keysOut, route.keys)) {
        std::fprintf(stderr, "foldbot_solve: %s: cannot write\n", args.keysOut.c_str());
        return 2;
    }
    if (res.solved && !args.demoOut.empty() &&
        !writeDemoFile(args.demoOut, *source.map, route.keys)) {
        std::fprintf(stderr, "foldbot_solve: %s: cannot write\n", args.demoOut.c_str());
        return 2;
    }

    const char* proof = args.solve.fast           ? "not proven shortest"
                        : args.solve.fewestCombos ? "optimal, fewest combos"
                                                  : "optimal";
    if (args.solve.playable && !args.solve.fast)
        proof = args.solve.fewestCombos ? "optimal among playable, fewest combos"
                                        : "optimal among playable";
    if (res.solved) {
        std::printf("%s: %d steps, %d combos, %s, %llu states, %.1f s, %.0f MiB peak\n", name,
                    static_cast<int>(res.actions.size()), res.combos, proof,
                    static_cast<unsigned long long>(res.states), secs, peakMiB());
        return 0;
    }
    if (args.solve.fast) {
        // The beam keeps only the likeliest states of each layer: finding nothing proves nothing.
        std::printf("%s: the quick search found nothing in a beam of %d, which proves nothing; "
                    "run without --fast for the proof\n",
                    name, args.solve.beam);
        return 3;
    }
    if (res.contradicted) {
        std::fprintf(stderr,
                     "foldbot_solve: %s: solver fault: the quick search holds a route of %d steps "
                     "but the exact search found none; nothing is proven (please report this "
                     "map)\n",
                     name, res.contradicted);
        return 4;
    }
    if (res.exhausted) {
        std::printf("%s: %s: the whole space explored, %llu states, %.1f s, %.0f MiB peak\n", name,
                    args.solve.playable ? "no playable route" : "no route",
                    static_cast<unsigned long long>(res.states), secs, peakMiB());
        return 1;
    }
    std::printf("%s: stopped at depth %d: the next layer would pass the memory ceiling of %s "
                "(%s), %llu states, %.1f s, %.0f MiB peak\n",
                name, res.depth + 1, mebibytes(ceiling).c_str(),
                args.maxMemory ? "--max-memory" : "what this process may use; see --max-memory",
                static_cast<unsigned long long>(res.states), secs, peakMiB());
    return 3;
}

bool hasGoal(const char* map) {
    return std::strchr(map, '@') != nullptr;
}

int boardIndex(const std::string& name) {
    const char* const names[] = {titleBoard.name, level1Board.name, level2Board.name,
                                 endBoard.name};
    for (int b = 0; b < 4; ++b)
        if (name == names[b]) return b;
    return -1;
}

// A shipped level's board as a map file, for authors to start from.
int exportLevel(const std::string& name) {
    const int which = boardIndex(name);
    if (which < 0) {
        std::fprintf(stderr,
                     "foldbot_solve: --export: unknown board '%s'; the levels are: "
                     "level1 level2\n",
                     name.c_str());
        return 2;
    }
    if (!hasGoal(contentTexts[which])) {
        std::fprintf(stderr,
                     "foldbot_solve: --export: board %s has no goal cell, so it is no level\n",
                     name.c_str());
        return 2;
    }
    const std::string text = which == 1
                                 ? mapFileText(level1Board.map(), 40, 20, "The first level")
                                 : mapFileText(level2Board.map(), 80, 50, "The second level");
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}

bool looksLikeFile(const std::string& a) {
    if (a.find('/') != std::string::npos) return true;
    if (a.size() > 4 && a.compare(a.size() - 4, 4, ".map") == 0) return true;
    // Looked at, not opened: opening a FIFO with no writer would wait for one.
    struct stat st {};
    return stat(a.c_str(), &st) == 0;
}

int solveMap(const Args& args) {
    MapFile map;
    std::string error;
    if (!readMapFile(args.board, map, error)) {
        std::fprintf(stderr, "foldbot_solve: %s\n", error.c_str());
        return 2;
    }
    if (map.blocks() > maxSolveParts) {
        std::fprintf(stderr, "foldbot_solve: %s: %d blocks; the solver's state holds at most %d\n",
                     args.board.c_str(), map.blocks(), maxSolveParts);
        return 3; // the solver's limit, not a fault of the map
    }
    if (args.check.empty())
        std::printf("%s: %s%s%s\n", args.board.c_str(), map.title.empty() ? "" : map.title.c_str(),
                    map.title.empty() ? "" : ", ", map.sizeText().c_str());
    // The very board the game lays the map into.
    const char* const* poses = map.figurePoses ? dancerPoses : chainPoses;
    if (map.large)
        return solve(args,
                     Level<80, 50>(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH),
                     Source{&map});
    return solve(args, Level<40, 25>(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH),
                 Source{&map});
}

} // namespace

int main(int argc, char** argv) {
    Args args;
    args.solve.threads = static_cast<int>(std::thread::hardware_concurrency());
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "foldbot_solve: %s needs %s\n", a.c_str(), what);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--fast") {
            args.solve.fast = true;
        } else if (a == "--fewest-combos") {
            args.solve.fewestCombos = true;
        } else if (a == "--playable") {
            args.solve.playable = true;
        } else if (a == "--progress") {
            args.solve.progress = true;
        } else if (a == "--keys") {
            args.keysOut = value("a file");
        } else if (a == "--demo") {
            args.demoOut = value("a file");
        } else if (a == "--check") {
            args.check = value("a file");
        } else if (a == "--from") {
            args.from = value("a key file or a demo");
        } else if (a == "--export") {
            args.exportLevel = value("a level");
        } else if (a == "--code") {
            args.code = true;
        } else if (a == "--decode") {
            args.decode = value("a level code");
        } else if (a == "--max-memory") {
            const char* v = value("a size");
            args.maxMemory = parseSize(v);
            if (args.maxMemory == 0) {
                std::fprintf(stderr,
                             "foldbot_solve: --max-memory: not a size: %s (a number and its "
                             "unit, K, M or G: say 512M or 2G)\n",
                             v);
                return 2;
            }
        } else if (a == "--threads" || a == "--beam") {
            const char* v = value("a number");
            char* end = nullptr;
            const long n = std::strtol(v, &end, 10);
            if (*end != '\0' || n < 1 || n > 1000000) {
                std::fprintf(stderr, "foldbot_solve: %s: not a count: %s\n", a.c_str(), v);
                return 2;
            }
            (a == "--threads" ? args.solve.threads : args.solve.beam) = static_cast<int>(n);
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "foldbot_solve: unknown option %s\n%s", a.c_str(), usage);
            return 2;
        } else if (args.board.empty()) {
            args.board = a;
        } else {
            std::fprintf(stderr, "foldbot_solve: one board at a time\n");
            return 2;
        }
    }
    if (args.solve.threads < 1) args.solve.threads = 1;
    catchInterrupt();
    if (!args.exportLevel.empty()) {
        if (!args.board.empty()) {
            std::fprintf(stderr, "foldbot_solve: --export prints a level; it takes no board\n");
            return 2;
        }
        return exportLevel(args.exportLevel);
    }
    if (!args.decode.empty()) {
        std::string text, error;
        if (!decodeLevelText(args.decode, text, error)) {
            std::fprintf(stderr, "foldbot_solve: %s\n", error.c_str());
            return 2;
        }
        std::fputs(text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
    if (args.code) {
        MapFile map;
        std::string error;
        if (args.board.empty() || !readMapFile(args.board, map, error)) {
            std::fprintf(stderr, "foldbot_solve: --code: %s\n",
                         args.board.empty() ? "which map file?" : error.c_str());
            return 2;
        }
        std::printf("%s\n", levelCode(map).c_str());
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
    if (args.board.empty()) {
        std::fprintf(stderr, "foldbot_solve: which board? a level name or a map file\n%s", usage);
        return 2;
    }

    const int which = boardIndex(args.board);
    if (which < 0 && looksLikeFile(args.board)) return solveMap(args);
    if (which < 0) {
        std::fprintf(stderr,
                     "foldbot_solve: unknown board '%s'; the boards are: title level1 level2 "
                     "ragequit, or a map file (FILE.map)\n",
                     args.board.c_str());
        return 2;
    }
    if (!hasGoal(contentTexts[which])) {
        std::fprintf(stderr, "foldbot_solve: board %s has no goal cell\n", args.board.c_str());
        return 2;
    }
    if (!args.demoOut.empty()) {
        std::fprintf(stderr, "foldbot_solve: --demo is for map files; a shipped level's route "
                             "goes to a key file with --keys\n");
        return 2;
    }
    // The title and end boards have no goal, so only the levels get this far.
    if (which == 1) return solve(args, level1Board.make(), Source{});
    return solve(args, level2Board.make(), Source{});
}
