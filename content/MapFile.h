// Map files: a level drawn as plain text by anyone with a text editor, one line a row, and the
// board the game plays it on.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int mapMaxWidth = 80;
constexpr int mapMaxHeight = 50;
// A map this size or smaller fits the 800 x 500 screen and is drawn whole, centred.
constexpr int screenCellsW = 40;
constexpr int screenCellsH = 25;

struct MapFile {
    std::string path;  // as given
    std::string title; // "; title:", empty when there is none
    bool figurePoses = false;
    std::vector<std::pair<std::string, std::string>> header; // every "; key: value", in order
    int width = 0;         // the longest row, trailing blanks left out
    int height = 0;        // the number of rows, trailing blank rows left out
    std::string rows;      // width x height cells, short rows padded with blanks
    uint64_t checksum = 0; // of the file's bytes, so a demo can tell a changed map
    std::string fault;     // in a pack: why the file cannot be played; "" when it can
    // When trailing blanks made the map larger before they were left out: its size then, and
    // the checksum demos recorded then carry (`checksum` adds the new size to the bytes).
    uint64_t formerChecksum = 0;
    int formerWidth = 0, formerHeight = 0;

    // The board it plays on: 40 x 25 for a map that fits the screen, else 80 x 50 with the
    // second level's scrolling view. Cells outside the map are walls.
    bool large = false;
    int boardW = 0, boardH = 0;
    int viewW = 0, viewH = 0;
    std::string boardText; // boardW x boardH cells

    // "W x H, one screen" or "W x H, scrolling": which board it plays on, in a player's words.
    std::string sizeText() const;
    // The value of a header key, or "" when the file has none.
    std::string value(const std::string& key) const;
    int blocks() const;
};

// Reads a map file's bytes. `name` is what messages call it. On a fault gives false and
// "NAME, line L, column C: what is wrong" in `error`.
bool parseMap(const std::string& bytes, const std::string& name, MapFile& map, std::string& error);

// The same from a file, which must be a plain file of at most 1 MiB.
bool readMapFile(const std::string& path, MapFile& map, std::string& error);

// The maps of a pack: every "*.map" file of `folder`, in the order of their names. A map that
// cannot be read keeps its place, with only its path and its `fault`. False, with what is wrong,
// when the folder cannot be read or holds no map that can.
bool readPack(const std::string& folder, std::vector<MapFile>& maps, std::string& error);

// Where the game finds its pack, relative to the folder it runs in.
inline constexpr const char* packFolder = "levels";

// The packs under `folder`: "" for the first, the maps in the folder itself, then the name of
// each folder inside it that holds a map, in name order ("challenge").
std::vector<std::string> packNames(const std::string& folder = packFolder);
// Where a pack's maps are, under `folder`.
std::string packFolderOf(const std::string& name, const std::string& folder = packFolder);
// "Level pack" for the first, "Challenge pack" for "challenge".
std::string packTitle(const std::string& name);
// The pack a map read from packFolder belongs to, by its path.
std::string packNameOf(const std::string& mapPath);

// A map file's text for a compiled-in board of W x H cells, for authors to start from.
std::string mapFileText(const char* board, int w, int h, const std::string& title);

// 64-bit FNV-1a, written as 16 hex digits in demos.
uint64_t contentChecksum(const std::string& bytes);
std::string checksumText(uint64_t sum);
