// Level codes, version A: numbers in 5-bit groups, the title in base64url, the cells as runs.
#include "content/LevelCode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
// Blank, wall, belts, reset, goal, then the twenty labels in order.
const char symbols[] = " #<>!@123456789ABCDEFGHIJK";
constexpr int symbolCount = 26;
constexpr int countBase = 64 - symbolCount; // a run's length digits: 26 to 63
constexpr int maxCountDigits = 3;           // 38^3 cells, far past 80 x 50
constexpr int maxNumberDigits = 4;          // 20 bits
constexpr unsigned maxTitleBytes = 1000;

enum Flag { figure = 1, hasShortest = 2 };

int digitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

void putNumber(std::string& out, unsigned n) {
    do {
        const unsigned low = n & 31;
        n >>= 5;
        out += digits[low | (n ? 32 : 0)];
    } while (n);
}

struct Reader {
    const std::string& code;
    size_t at = 1; // past the version letter
    std::string& error;

    bool fail(size_t where, const std::string& what) {
        error = "level code, character " + std::to_string(where + 1) + ": " + what;
        return false;
    }
    bool next(int& v, const char* reading) {
        if (at >= code.size())
            return fail(code.size(),
                        std::string("the code ends inside ") + reading + " (is it cut short?)");
        v = digitValue(code[at]);
        ++at;
        return true;
    }
    bool number(unsigned& n, const char* what) {
        n = 0;
        const size_t from = at;
        for (int k = 0;; ++k) {
            if (k == maxNumberDigits) return fail(from, std::string(what) + " is too long");
            int v = 0;
            if (!next(v, what)) return false;
            n |= static_cast<unsigned>(v & 31) << (5 * k);
            if (!(v & 32)) return true;
        }
    }
};

// The leading whole number of a "; shortest: 12 steps" header, or 0.
unsigned shortestOf(const MapFile& map) {
    const std::string v = map.value("shortest");
    char* end = nullptr;
    const unsigned long n = std::strtoul(v.c_str(), &end, 10);
    return end != v.c_str() && n < (1u << 20) ? static_cast<unsigned>(n) : 0;
}

} // namespace

std::string levelCode(const MapFile& map) {
    std::string out = "A";
    const unsigned shortest = shortestOf(map);
    putNumber(out, static_cast<unsigned>(map.width));
    putNumber(out, static_cast<unsigned>(map.height));
    putNumber(out, (map.figurePoses ? figure : 0) | (shortest ? hasShortest : 0));
    if (shortest) putNumber(out, shortest);
    putNumber(out, static_cast<unsigned>(map.title.size()));
    const auto byte = [&](size_t i) {
        return i < map.title.size() ? static_cast<unsigned char>(map.title[i]) : 0u;
    };
    for (size_t i = 0; i < map.title.size(); i += 3) {
        const unsigned group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        const size_t left = map.title.size() - i;
        for (size_t k = 0; k < (left >= 3 ? 4 : left + 1); ++k)
            out += digits[(group >> (18 - 6 * k)) & 63];
    }
    const std::string& cells = map.rows;
    for (size_t i = 0; i < cells.size();) {
        size_t run = 1;
        while (i + run < cells.size() && cells[i + run] == cells[i]) ++run;
        const char* s = std::strchr(symbols, cells[i]);
        out += digits[s && *s ? s - symbols : 0];
        if (run > 1) {
            char count[maxCountDigits + 8];
            int n = 0;
            for (size_t left = run - 2;; left /= countBase) {
                count[n++] = digits[symbolCount + left % countBase];
                if (left < countBase) break;
            }
            while (n > 0) out += count[--n];
        }
        i += run;
    }
    return out;
}

bool decodeLevelText(const std::string& code, std::string& text, std::string& error) {
    Reader r{code, 1, error};
    if (code.size() > levelCodeMaxBytes)
        return r.fail(levelCodeMaxBytes, "the code is longer than " +
                                             std::to_string(levelCodeMaxBytes) + " characters");
    if (code.empty()) return r.fail(0, "the code is empty");
    for (size_t i = 0; i < code.size(); ++i)
        if (digitValue(code[i]) < 0) {
            const unsigned char c = static_cast<unsigned char>(code[i]);
            char what[96];
            if (c > 32 && c < 127)
                std::snprintf(what, sizeof what,
                              "'%c' is not in a code's alphabet (A-Z a-z 0-9 - _)", c);
            else
                std::snprintf(what, sizeof what,
                              "the byte 0x%02X is not in a code's alphabet (A-Z a-z 0-9 - _)", c);
            return r.fail(i, what);
        }
    if (code[0] != 'A')
        return r.fail(0, std::string("unknown version '") + code[0] +
                             "' (this game reads codes of version A)");

    unsigned w = 0, h = 0, flags = 0, shortest = 0, titleBytes = 0;
    size_t at = r.at;
    if (!r.number(w, "the width")) return false;
    if (w < 1 || w > mapMaxWidth)
        return r.fail(at, "a width of " + std::to_string(w) + " (1 to " +
                              std::to_string(mapMaxWidth) + ")");
    at = r.at;
    if (!r.number(h, "the height")) return false;
    if (h < 1 || h > mapMaxHeight)
        return r.fail(at, "a height of " + std::to_string(h) + " (1 to " +
                              std::to_string(mapMaxHeight) + ")");
    at = r.at;
    if (!r.number(flags, "the flags")) return false;
    if (flags & ~unsigned{figure | hasShortest}) return r.fail(at, "unknown flags");
    at = r.at;
    if ((flags & hasShortest) && !r.number(shortest, "the shortest route")) return false;
    if ((flags & hasShortest) && shortest == 0)
        return r.fail(at, "a shortest route of 0 steps (a level has at least one)");
    at = r.at;
    if (!r.number(titleBytes, "the title's length")) return false;
    if (titleBytes > maxTitleBytes)
        return r.fail(at, "a title of " + std::to_string(titleBytes) + " bytes (at most " +
                              std::to_string(maxTitleBytes) + ")");
    const size_t titleAt = r.at;
    std::string title;
    for (unsigned i = 0; i < titleBytes; i += 3) {
        const unsigned left = titleBytes - i;
        const int n = left >= 3 ? 4 : static_cast<int>(left) + 1;
        unsigned group = 0;
        for (int k = 0; k < n; ++k) {
            int v = 0;
            if (!r.next(v, "the title")) return false;
            group |= static_cast<unsigned>(v) << (18 - 6 * k);
        }
        for (unsigned k = 0; k < std::min(left, 3u); ++k)
            title += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
    }

    const size_t cells = static_cast<size_t>(w) * h;
    std::string grid;
    std::vector<size_t> runAt; // the character each cell's run starts at
    while (grid.size() < cells) {
        const size_t start = r.at;
        int s = 0;
        if (!r.next(s, "the map")) return false;
        if (s >= symbolCount) return r.fail(start, "a run's length where a cell was expected");
        size_t run = 1;
        if (r.at < code.size() && digitValue(code[r.at]) >= symbolCount) {
            size_t n = 0;
            for (int k = 0; r.at < code.size() && digitValue(code[r.at]) >= symbolCount; ++k) {
                if (k == maxCountDigits) return r.fail(r.at, "a run's length is too long");
                n = n * countBase + static_cast<size_t>(digitValue(code[r.at]) - symbolCount);
                ++r.at;
            }
            run = n + 2;
        }
        if (grid.size() + run > cells)
            return r.fail(start, "a run of " + std::to_string(run) + " cells past the map's end (" +
                                     std::to_string(w) + " x " + std::to_string(h) + " cells)");
        grid.append(run, symbols[s]);
        runAt.insert(runAt.end(), run, start);
    }
    if (r.at < code.size()) return r.fail(r.at, "characters after the map's last cell");

    text.clear();
    if (!title.empty()) text += "; title: " + title + "\n";
    text += (flags & figure) ? "; poses: figure\n" : "; poses: chain\n";
    if (flags & hasShortest) text += "; shortest: " + std::to_string(shortest) + " steps\n";
    const int headerLines = (title.empty() ? 0 : 1) + 1 + ((flags & hasShortest) ? 1 : 0);
    for (unsigned y = 0; y < h; ++y) {
        std::string row = grid.substr(static_cast<size_t>(y) * w, w);
        row.erase(row.find_last_not_of(' ') + 1);
        text += row + "\n";
    }

    // The map parser has the last word; its line and column lead back to the code's character.
    MapFile map;
    std::string why;
    if (!parseMap(text, "code", map, why)) {
        int line = 0, column = 0;
        const size_t place = why.find(", line ");
        if (place != std::string::npos)
            std::sscanf(why.c_str() + place, ", line %d, column %d", &line, &column);
        const size_t colon = why.find(": ", place == std::string::npos ? 0 : place);
        const std::string what = colon == std::string::npos ? why : why.substr(colon + 2);
        const int row = line - headerLines - 1;
        size_t where = titleAt;
        if (row >= 0 && row < static_cast<int>(h) && column >= 1)
            where = runAt[static_cast<size_t>(row) * w +
                          static_cast<size_t>(std::min<int>(column, static_cast<int>(w)) - 1)];
        else if (row >= 0)
            where = runAt.empty() ? r.at : runAt.front();
        return r.fail(where, what);
    }
    if (map.width != static_cast<int>(w) || map.height != static_cast<int>(h))
        return r.fail(1, "the code says " + std::to_string(w) + " x " + std::to_string(h) +
                             " cells, but its map reads as " + std::to_string(map.width) + " x " +
                             std::to_string(map.height) + " (blank edges are not part of a map)");
    return true;
}

bool decodeLevel(const std::string& code, MapFile& map, std::string& error) {
    std::string text;
    if (!decodeLevelText(code, text, error)) return false;
    return parseMap(text, "code", map, error);
}
