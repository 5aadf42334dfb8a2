// The level editor's WebAssembly: the game's own map parser, level codes and solver, for the
// editor page and its proving worker. Every call takes and gives text; answers are JSON.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"
#include "content/LevelCode.h"
#include "content/MapFile.h"
#include "tools/solve/Demo.h"
#include "app/Practice.h"
#include "solve/Hint.h"
#include "solve/Keys.h"
#include "solve/Solve.h"

namespace {

std::string jsonText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 32 || c == 127) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Kept until the next call, so the page can read it.
const char* answer(const std::string& json) {
    static std::string last;
    last = json;
    return last.c_str();
}

const char* refusal(const std::string& message) {
    int line = 0, column = 0;
    const size_t place = message.find(", line ");
    if (place != std::string::npos)
        std::sscanf(message.c_str() + place, ", line %d, column %d", &line, &column);
    return answer("{\"ok\":false,\"line\":" + std::to_string(line) + ",\"column\":" +
                  std::to_string(column) + ",\"message\":" + jsonText(message) + "}");
}

// The search's nodes and its table of slots for a ceiling of states, in a 32-bit address space:
// false when the sum would not fit.
bool searchBytes(uint32_t states, uint32_t& bytes) {
    uint32_t nodes = 0, slots = 1u << 16, slotBytes = 0;
    if (__builtin_mul_overflow(states, static_cast<uint32_t>(sizeof(Node)), &nodes)) return false;
    // The table grows to keep below three quarters full, in powers of two.
    while (slots / 4 * 3 < states) {
        if (slots > (1u << 30)) return false;
        slots <<= 1;
    }
    if (__builtin_mul_overflow(slots, 8u, &slotBytes)) return false;
    if (__builtin_add_overflow(nodes, slotBytes, &bytes)) return false;
    return !__builtin_add_overflow(bytes, 1u << 22, &bytes); // the beam and the bounds
}

template <int W, int H> std::string prove(const MapFile& map, uint32_t states, uint32_t bytes) {
    const char* const* poses = map.figurePoses ? dancerPoses : chainPoses;
    const Level<W, H> fresh(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH);
    SolveSettings s;
    s.fewestCombos = true;
    s.progress = true; // a line a depth on standard error, which the worker passes on
    s.maxStates = states;
    s.maxBytes = bytes;
    SearchResult res = solveBoard(fresh, s);
    const std::string counted = ",\"states\":" + std::to_string(res.states);
    if (res.solved) {
        KeyTiming timing;
        timing.stillWait = 0;
        const Route route = routeKeys(fresh, plansOf(res), timing);
        if (!route.ok || playKeys(fresh, route.keys) != static_cast<int>(route.keys.size()) - 1)
            return "{\"result\":\"fault\"" + counted + "}";
        std::string keys;
        for (int k : route.keys) keys += (keys.empty() ? "" : ",") + std::to_string(k);
        return "{\"result\":\"solved\",\"steps\":" + std::to_string(res.actions.size()) +
               ",\"combos\":" + std::to_string(route.combos) + counted + ",\"keys\":\"" + keys +
               "\"}";
    }
    const char* kind = res.contradicted ? "fault" : res.exhausted ? "none" : "limit";
    return std::string("{\"result\":\"") + kind + "\"" + counted + "}";
}

// A hint for the game's page: the boards (the one asked about, then its undo points, newest
// first) laid on fresh boards of the map, settled; the outline's cells, then the words.
template <int W, int H> std::string hintOn(const MapFile& map, const char* states) {
    const char* const* poses = map.figurePoses ? dancerPoses : chainPoses;
    const Level<W, H> fresh(map.boardText.c_str(), poses, nullptr, map.viewW, map.viewH);
    std::vector<Level<W, H>> boards;
    std::istringstream lines(states);
    for (std::string line; std::getline(lines, line) && boards.size() <= undoPoints;) {
        BoardState s{};
        if (!readStateLine(line, s, fresh.partCount, W * H)) break;
        boards.push_back(fresh);
        boards.back().setState(s);
        // Drawn where they stand: a board that is not gliding.
        for (int32_t i = 0; i < fresh.partCount; ++i) {
            SDL_Rect& r = boards.back().screenRects[i];
            r.x = static_cast<Sint16>((boards.back().parts[i].x - fresh.camX) * cellSize);
            r.y = static_cast<Sint16>((boards.back().parts[i].y - fresh.camY) * cellSize);
        }
    }
    if (boards.empty()) return "\nno hint found";
    std::vector<const Level<W, H>*> ring;
    for (size_t i = 1; i < boards.size(); ++i) ring.push_back(&boards[i]);
    HintSettings settings;
    settings.threads = 1;
    const Hint hint = findHint(boards[0], ring, settings);
    std::string cells;
    for (int32_t c : hint.robotCells) cells += (cells.empty() ? "" : " ") + std::to_string(c);
    return cells + "\n" + hintText(hint);
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* toolsHint(const char* text, const char* states) {
    MapFile map;
    std::string error;
    if (!parseMap(text, "map", map, error) || map.blocks() > maxSolveParts)
        return answer("\nno hint found");
    return answer(map.large ? hintOn<80, 50>(map, states) : hintOn<40, 25>(map, states));
}

// A map file's text as the game reads it: its size, blocks and code, or the parser's message.
EMSCRIPTEN_KEEPALIVE const char* toolsRead(const char* text, const char* name) {
    MapFile map;
    std::string error;
    if (!parseMap(text, name, map, error)) return refusal(error);
    return answer("{\"ok\":true,\"width\":" + std::to_string(map.width) + ",\"height\":" +
                  std::to_string(map.height) + ",\"blocks\":" + std::to_string(map.blocks()) +
                  ",\"figure\":" + (map.figurePoses ? "true" : "false") + ",\"title\":" +
                  jsonText(map.title) + ",\"code\":" + jsonText(levelCode(map)) + "}");
}

EMSCRIPTEN_KEEPALIVE const char* toolsDecode(const char* code) {
    std::string text, error;
    if (!decodeLevelText(code, text, error)) return refusal(error);
    return answer("{\"ok\":true,\"text\":" + jsonText(text) + "}");
}

// The route's keys, one a frame, as a demo of the code's map where the game page writes it.
EMSCRIPTEN_KEEPALIVE const char* toolsDemo(const char* code, const char* keys) {
    std::string text, error;
    MapFile map;
    if (!decodeLevelText(code, text, error) || !parseMap(text, "/level.map", map, error))
        return refusal(error);
    std::vector<int> frames;
    std::istringstream in(keys);
    for (std::string k; std::getline(in, k, ',');) frames.push_back(std::stoi(k));
    return answer("{\"ok\":true,\"demo\":" + jsonText(demoText(map, frames)) + "}");
}

// Proves a map within a ceiling of states: "solved", "none" (the whole space explored), "limit"
// or "fault", with the route's keys when solved.
EMSCRIPTEN_KEEPALIVE const char* toolsProve(const char* text, uint32_t states) {
    MapFile map;
    std::string error;
    if (!parseMap(text, "map", map, error)) return refusal(error);
    if (map.blocks() > maxSolveParts)
        return refusal(std::to_string(map.blocks()) + " blocks; the solver holds at most " +
                       std::to_string(maxSolveParts));
    uint32_t bytes = 0;
    if (!searchBytes(states, bytes)) return refusal("the ceiling of states does not fit in memory");
    return answer(map.large ? prove<80, 50>(map, states, bytes)
                            : prove<40, 25>(map, states, bytes));
}

} // extern "C"
