// The game's command line: demos to record, replay or watch, the window's size, and the help
// text.
#pragma once

#include <string>

struct Options {
    std::string record; // empty: not recording
    std::string replay; // empty: not replaying
    bool walkthrough = false;
    bool fast = false; // no pacing while a demo plays
    bool help = false;
    // The window's size: 0 for the game's own 800 x 500, else 1 to 4 times that.
    int scale = 0;
    bool fullscreen = false;
};

// False, with what is wrong in `error`, for an unknown option, a missing file name or a
// combination that makes no sense.
bool parseOptions(int argc, char* argv[], Options& options, std::string& error);

extern const char usageText[];
