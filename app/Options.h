// The game's command line: demos to record, replay or watch, practice, maps, the window's size,
// and the help text.
#pragma once

#include <string>
#include <vector>

struct Options {
    std::string record; // empty: not recording
    std::string replay; // empty: not replaying
    bool walkthrough = false;
    bool fast = false; // no pacing while a demo plays
    bool help = false;
    bool practice = false;         // r restarts a level, u and Backspace undo
    int level = 0;                 // start on this level (1-based), skipping the title; 0: title
    std::vector<std::string> maps; // played in order instead of the shipped levels
    std::string code;              // a level code played instead of the shipped levels
    bool pack = false;             // the shipped packs of maps, in one chooser
    std::string packName;          // --pack NAME: the pack the chooser opens on; "": the first
    bool levels = false;           // list the pack's levels and stop
    // The window's size: 0 for the game's own 800 x 500, else 1 to 4 times that.
    int scale = 0;
    bool fullscreen = false;
    bool mute = false;
    std::string keys; // "position" or "letters"; empty: as remembered, else the letters
};

// False, with what is wrong in `error`, for an unknown option, a missing or wrong value or a
// combination that makes no sense. Each option is declared once, in Options.cpp, and takes its
// value as "--name VALUE" or "--name=VALUE". How many levels there are is known only once the
// maps are read: setUpCourse checks a level number against them, from here or from a demo.
bool parseOptions(int argc, char* argv[], Options& options, std::string& error);

extern const char usageText[];
