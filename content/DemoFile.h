// Demo files: the events the scene loop took, each with the frame that took it, kept as plain
// text so a person can read and edit them. Only SDL's constants are needed, not its video.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SDL.h"

// The first line of every demo. A later game keeps reading version 1 as version 1; version 2
// adds lines that say how the game was started.
inline constexpr const char* demoFormat = "foldbot-demo";
inline constexpr int demoVersion = 2;

// The event types of SDL 1.2, whose numbers demo files keep whatever SDL the game runs on.
constexpr unsigned eventTypes = 32;
// SDL 1.2's key symbols run below 323; a browser's SDL numbers some keys far higher.
constexpr unsigned keySymbols = 323;
// The number SDL 1.2 keeps for its users' own events: one the game ignores anywhere.
constexpr uint32_t otherEvent = 24;
// Not an event the loop takes: the frame on which a hint's answer showed ("hint"), so that a
// replay shows it on the same frame, whatever its own search takes.
constexpr uint32_t hintShown = 0x100;

inline bool isKeyEvent(uint32_t type) {
    return type == SDL_KEYDOWN || type == SDL_KEYUP;
}
// Whether demo files have a word for the event type.
bool isDemoEvent(uint32_t type);

// Level numbers, on the command line and in demos alike.
constexpr int maxLevelNumber = 999;
// A whole number from 1 to maxLevelNumber, in decimal digits only; false otherwise.
bool readLevelNumber(const std::string& text, int& level);

// How a demo's game was started, beyond the title: "option ..." lines of a version 2 demo.
struct DemoSetup {
    bool practice = false;
    int level = 0; // 0: from the title
    struct Map {
        std::string name;     // the file, as it was given
        std::string checksum; // of its bytes, 16 hex digits
    };
    std::vector<Map> maps;
    std::string code;     // "option code CODE": a level code, played instead of maps
    bool chooser = false; // "option chooser": the maps are a pack, opened on its chooser
    int selected = 0;     // "option chooser N": with level N selected; 0 (or 1): the first
    bool counter = false; // "option counter": the levels count their steps
    // "option comfort": small maps drawn large, Escape asks before leaving a level, a held undo
    // repeats; demos from before these were added play without them.
    bool comfort = false;
    bool any() const {
        return practice || level != 0 || !maps.empty() || !code.empty() || chooser || counter ||
               comfort;
    }
};

// One taken event: enough of it to take it again on the same frame. A demo may close with an
// end (type SDL_NOEVENT): it keeps the keyboard through that frame, taking no event on it.
struct DemoEvent {
    uint32_t frame = 0; // the loop's first frame is 1
    uint32_t type = 0;  // SDL event type, or hintShown
    uint16_t key = 0;   // SDL key symbol, for key events
};

// Reads a demo's text. On a fault gives false and "line N: what is wrong" in `error`.
bool parseDemo(const std::string& text, std::vector<DemoEvent>& events, std::string& error,
               DemoSetup* setup = nullptr);

// The same from a file, which must be a plain file of at most 1 MiB; the error then starts with
// the file's name.
bool readDemoFile(const std::string& path, std::vector<DemoEvent>& events, std::string& error,
                  DemoSetup* setup = nullptr);

// A demo's first lines: version 1, or version 2 with its option lines when the game was started
// other than from its title; then `comment` as a comment line.
std::string demoHead(const DemoSetup& setup, const std::string& comment);

// Writes one demo line without its line end, such as "64 down return", and gives its length.
// Allocates nothing, so the recorder can use it on every frame.
int formatDemoLine(char* out, size_t size, const DemoEvent& event);

// The keys' names in demo files; keys without one are written as their symbol number.
const char* demoKeyName(int sym);
int demoKeyFromName(const std::string& name); // -1 when unknown
