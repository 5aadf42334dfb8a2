// Map files: parsing with a message that points at the line and column, and the board a map
// is laid into.
#include "content/MapFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include <dirent.h>

#include <cerrno>

#include "content/TextFile.h"

namespace {

bool isLabel(char c) {
    return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'K');
}

bool isCell(char c) {
    return c == ' ' || c == '#' || c == '<' || c == '>' || c == '!' || c == '@' || isLabel(c);
}

std::string describe(unsigned char c) {
    if (c == '\t') return "a tab (cells are blanks, not tabs)";
    if (c == 0) return "a NUL byte";
    if (c == '\r') return "a carriage return inside a line";
    char text[64];
    if (c > 127)
        std::snprintf(text, sizeof text, "the byte 0x%02X (a map is plain ASCII)", c);
    else if (c < 32 || c == 127)
        std::snprintf(text, sizeof text, "the control character 0x%02X", c);
    else
        std::snprintf(text, sizeof text, "unknown character '%c'", c);
    return text;
}

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

} // namespace

std::string MapFile::value(const std::string& key) const {
    for (const auto& [k, v] : header)
        if (k == key) return v;
    return "";
}

std::string MapFile::sizeText() const {
    return std::to_string(width) + " x " + std::to_string(height) +
           (large ? ", scrolling" : ", one screen");
}

int MapFile::blocks() const {
    int n = 0;
    for (char c : rows) n += isLabel(c) ? 1 : 0;
    return n;
}

uint64_t contentChecksum(const std::string& bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
    return h;
}

std::string checksumText(uint64_t sum) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(sum));
    return text;
}

bool parseMap(const std::string& bytes, const std::string& name, MapFile& map, std::string& error) {
    map = MapFile{};
    map.path = name;
    map.checksum = contentChecksum(bytes);
    auto fail = [&](int line, int column, const std::string& what) {
        error = name + ", line " + std::to_string(line) + ", column " + std::to_string(column) +
                ": " + what;
        return false;
    };

    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::vector<std::string> rows;
    int firstRowLine = 0;
    int line = 0;
    std::map<char, std::pair<int, int>> seen; // label -> line, column
    // Blank rows not yet followed by a row with a cell in it; the widest row as the game read
    // it when trailing blanks counted.
    int blankRows = 0;
    int rawWidth = 0;
    while (start < bytes.size()) {
        ++line;
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string text = bytes.substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r') text.pop_back();

        if (!text.empty() && text[0] == ';') {
            if (!rows.empty() || blankRows > 0)
                return fail(line, 1,
                            "a header line after the first row (header lines, "
                            "starting with ';', come before the map)");
            for (size_t i = 0; i < text.size(); ++i) {
                const unsigned char c = static_cast<unsigned char>(text[i]);
                if (c < 32 && c != '\t') return fail(line, static_cast<int>(i) + 1, describe(c));
                if (c == 127) return fail(line, static_cast<int>(i) + 1, describe(c));
            }
            const size_t colon = text.find(':');
            if (colon == std::string::npos) continue; // a comment
            std::string key = trimmed(text.substr(1, colon - 1));
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const std::string value = trimmed(text.substr(colon + 1));
            if (key == "poses") {
                if (value == "figure")
                    map.figurePoses = true;
                else if (value != "chain")
                    return fail(line, static_cast<int>(text.find(value, colon)) + 1,
                                "unknown poses \"" + value + "\" (chain or figure)");
            } else if (key == "title") {
                map.title = value;
            }
            map.header.emplace_back(key, value);
            continue;
        }

        if (rows.empty() && blankRows == 0) firstRowLine = line;
        rawWidth = std::max(rawWidth, static_cast<int>(text.size()));
        // Invisible to whoever reads the map, so they do not make it wider or taller.
        const size_t last = text.find_last_not_of(' ');
        text.erase(last == std::string::npos ? 0 : last + 1);
        if (text.empty()) {
            ++blankRows;
            continue;
        }
        if (static_cast<int>(rows.size()) + blankRows >= mapMaxHeight)
            return fail(line, 1, "more than " + std::to_string(mapMaxHeight) + " rows");
        rows.insert(rows.end(), static_cast<size_t>(blankRows), std::string());
        blankRows = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            const int column = static_cast<int>(i) + 1;
            if (column > mapMaxWidth)
                return fail(line, column,
                            "the row is longer than " + std::to_string(mapMaxWidth) + " cells");
            if (!isCell(c)) return fail(line, column, describe(static_cast<unsigned char>(c)));
            if (isLabel(c)) {
                const auto [at, fresh] = seen.emplace(c, std::pair(line, column));
                if (!fresh)
                    return fail(line, column,
                                std::string("block '") + c + "' is already on line " +
                                    std::to_string(at->second.first) + ", column " +
                                    std::to_string(at->second.second) +
                                    " (each label marks one block)");
            }
        }
        rows.push_back(text);
    }

    if (line == 0) return fail(1, 1, "the file is empty");
    if (rows.empty() && blankRows == 0)
        return fail(line + 1, 1, "the file has a header but no map rows");
    map.height = static_cast<int>(rows.size());
    for (const std::string& r : rows) map.width = std::max(map.width, static_cast<int>(r.size()));
    if (rawWidth != map.width || static_cast<int>(rows.size()) + blankRows != map.height) {
        // Demos recorded while the blanks counted name these bytes on another board: they must
        // not pass for demos of this one.
        map.formerChecksum = map.checksum;
        map.formerWidth = rawWidth;
        map.formerHeight = static_cast<int>(rows.size()) + blankRows;
        map.checksum = contentChecksum(bytes + "\n" + std::to_string(map.width) + " x " +
                                       std::to_string(map.height));
    }
    // Editors trim trailing blanks, so a short row is a row of the longest's width.
    for (std::string& r : rows) {
        r.resize(static_cast<size_t>(map.width), ' ');
        map.rows += r;
    }
    if (seen.empty())
        return fail(firstRowLine, 1,
                    "the map has no block: mark at least one with a label, 1 to 9 "
                    "or A to K");
    if (map.rows.find('@') == std::string::npos)
        return fail(firstRowLine, 1, "the map has no goal cell '@'");

    map.large = map.width > screenCellsW || map.height > screenCellsH;
    map.boardW = map.large ? mapMaxWidth : screenCellsW;
    map.boardH = map.large ? mapMaxHeight : screenCellsH;
    map.viewW = map.large ? screenCellsW : map.width;
    map.viewH = map.large ? screenCellsH : map.height;
    // Outside the map is solid, as it is past the edge of a compiled-in map.
    map.boardText.assign(static_cast<size_t>(map.boardW * map.boardH), '#');
    for (int y = 0; y < map.height; ++y)
        map.boardText.replace(static_cast<size_t>(y * map.boardW), static_cast<size_t>(map.width),
                              map.rows, static_cast<size_t>(y * map.width),
                              static_cast<size_t>(map.width));
    return true;
}

bool readMapFile(const std::string& path, MapFile& map, std::string& error) {
    std::string bytes;
    if (!readTextFile(path, bytes, error)) return false;
    return parseMap(bytes, path, map, error);
}

bool readPack(const std::string& folder, std::vector<MapFile>& maps, std::string& error) {
    maps.clear();
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        error = folder + ": cannot read the pack's folder: " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".map") == 0 && name[0] != '.')
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        error = folder + ": the pack's folder holds no map";
        return false;
    }
    // One bad file leaves the others playable, each still at the place its name gives it.
    std::string first;
    for (const std::string& name : names) {
        MapFile map;
        std::string why;
        if (!readMapFile(folder + "/" + name, map, why)) {
            map = MapFile{};
            map.path = folder + "/" + name;
            map.fault = why;
            if (first.empty()) first = why;
        }
        maps.push_back(std::move(map));
    }
    if (std::all_of(maps.begin(), maps.end(), [](const MapFile& m) { return !m.fault.empty(); })) {
        error = folder + ": no map of the pack can be read; the first: " + first;
        return false;
    }
    return true;
}

std::vector<std::string> packNames(const std::string& folder) {
    std::vector<std::string> names{""};
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name[0] == '.' || name.find_first_of(" \t\r\n") != std::string::npos) continue;
        DIR* inner = opendir((folder + "/" + name).c_str());
        if (inner == nullptr) continue;
        while (const dirent* file = readdir(inner)) {
            const std::string f = file->d_name;
            if (f.size() > 4 && f.compare(f.size() - 4, 4, ".map") == 0 && f[0] != '.') {
                names.push_back(name);
                break;
            }
        }
        closedir(inner);
    }
    closedir(dir);
    std::sort(names.begin() + 1, names.end());
    return names;
}

std::string packFolderOf(const std::string& name, const std::string& folder) {
    return name.empty() ? folder : folder + "/" + name;
}

std::string packTitle(const std::string& name) {
    if (name.empty()) return "Level pack";
    std::string title = name + " pack";
    title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
    return title;
}

std::string packNameOf(const std::string& mapPath) {
    const size_t slash = mapPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : mapPath.substr(0, slash);
    const std::string top = std::string(packFolder) + "/";
    if (folder.rfind(top, 0) == 0) return folder.substr(top.size());
    return "";
}

std::string mapFileText(const char* board, int w, int h, const std::string& title) {
    std::string text = "; title: " + title + "\n; poses: chain\n";
    const size_t length = strnlen(board, static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        std::string row(static_cast<size_t>(w), ' ');
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y * w + x);
            row[static_cast<size_t>(x)] = i < length ? board[i] : '#';
        }
        text += row + "\n";
    }
    return text;
}
