// The game's command line.
#include "app/Options.h"

#include <cstring>

const char usageText[] =
    "Usage: foldbot [--practice] [--level N] [--map FILE]... [--pack] [--levels]\n"
    "               [--record FILE] [--replay FILE | --walkthrough] [--fast]\n"
    "               [--scale N] [--fullscreen] [--help]\n"
    "\n"
    "Fold the robot from shape to shape and bring one of its blocks onto the goal.\n"
    "\n"
    "Keys:\n"
    "  Enter                  on the title: start the first level\n"
    "  q w e / a s d / z x c  fold the robot into one of nine shapes\n"
    "  Space                  break the robot apart\n"
    "  Escape                 give up and go to the end scene; in the end scene, quit\n"
    "  r                      with --practice: restart the level\n"
    "  u, Backspace           with --practice: undo the last key, again and again\n"
    "In the pack's chooser, the arrows (or q w e / a d / z x c around s) move, Enter plays\n"
    "the level and Escape quits; on one of its levels, Escape goes back to the chooser.\n"
    "Closing the window quits at any time.\n"
    "\n"
    "Options:\n"
    "  --practice     on the levels, r restarts the level and u or Backspace undoes keys\n"
    "  --level N      skip the title and start on level N (1 or 2; with maps, the N-th map)\n"
    "  --map FILE     play a map file instead of the shipped levels; give it again for more\n"
    "                 maps, played in order (see docs/levels.md for the format)\n"
    "  --pack         choose a level of the pack that comes with the game. Its levels (and\n"
    "                 maps) count your steps against the shortest, and the levels you solve\n"
    "                 are kept in $XDG_DATA_HOME/foldbot/progress (by default in\n"
    "                 ~/.local/share/foldbot/progress)\n"
    "  --levels       list the pack's levels with their titles, and stop\n"
    "  --record FILE  play, and write every event the game takes, with its frame, to FILE\n"
    "  --replay FILE  play FILE's events on their frames; the keyboard takes over at its end\n"
    "  --walkthrough  watch the whole game played through; the keyboard takes over at the end\n"
    "  --fast         with --replay or --walkthrough: no frame pacing while the demo plays\n"
    "  --scale N      a window N times as large, N from 1 to 4: every pixel an N x N square\n"
    "  --fullscreen   fill the display: the picture at the largest whole scale that fits (or\n"
    "                 at --scale N), centred on black\n"
    "  --help         show this text\n"
    "\n"
    "A demo file is plain text: a first line \"foldbot-demo 1\", then one event a line, its\n"
    "frame number and what it was, such as \"64 down return\" or \"70 up return\". A demo\n"
    "recorded with --practice, --level, --map or --pack says so on its own lines, so\n"
    "--replay plays it the same way without them.\n"
    "The game reads ./img, ./snd and ./levels from the folder it is started in.\n";

namespace {

bool refuse(std::string& error, const std::string& what) {
    error = what;
    return false;
}

// --scale N and --fullscreen. Only whole scales: any other would blur or unevenly widen pixels.
bool takeScreenOption(int argc, char* argv[], int& i, Options& options, std::string& error) {
    if (std::string(argv[i]) == "--fullscreen") {
        if (options.fullscreen) return refuse(error, "--fullscreen is given twice");
        options.fullscreen = true;
        return true;
    }
    if (options.scale != 0) return refuse(error, "--scale is given twice");
    if (i + 1 >= argc) return refuse(error, "--scale needs a number: 1, 2, 3 or 4");
    const std::string value = argv[++i];
    if (value.size() != 1 || value[0] < '1' || value[0] > '4')
        return refuse(error, "--scale takes 1, 2, 3 or 4, not \"" + value + "\"");
    options.scale = value[0] - '0';
    return true;
}

} // namespace

bool parseOptions(int argc, char* argv[], Options& options, std::string& error) {
    options = Options{};
    std::string levelText;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" || arg == "--fullscreen") {
            if (!takeScreenOption(argc, argv, i, options, error)) return false;
            continue;
        }
        bool* flag = arg == "--walkthrough" ? &options.walkthrough
                     : arg == "--fast"      ? &options.fast
                     : arg == "--help"      ? &options.help
                     : arg == "--practice"  ? &options.practice
                     : arg == "--pack"      ? &options.pack
                     : arg == "--levels"    ? &options.levels
                                            : nullptr;
        std::string* file = arg == "--record"   ? &options.record
                            : arg == "--replay" ? &options.replay
                                                : nullptr;
        const bool needsFile = file || arg == "--map";
        if (flag) {
            if (*flag) return refuse(error, arg + " is given twice");
            *flag = true;
        } else if (needsFile) {
            if (file && !file->empty()) return refuse(error, arg + " is given twice");
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return refuse(error, arg + " needs a file name");
            if (file)
                *file = argv[++i];
            else
                options.maps.push_back(argv[++i]);
        } else if (arg == "--level") {
            if (!levelText.empty()) return refuse(error, "--level is given twice");
            // A value such as -1 is a wrong number; only another option means none was given.
            if (i + 1 >= argc || argv[i + 1][0] == '\0' || std::strncmp(argv[i + 1], "--", 2) == 0)
                return refuse(error, "--level needs a level number: 1 or 2 (with --map or "
                                     "--pack, the number of a map)");
            levelText = argv[++i];
        } else {
            return refuse(error, "unknown option \"" + arg + "\"");
        }
    }
    if (options.help) return true;
    if (!levelText.empty()) {
        const bool maps = options.pack || !options.maps.empty();
        long n = 0;
        bool digits = levelText.size() <= 4;
        for (char c : levelText) {
            digits = digits && c >= '0' && c <= '9';
            if (digits) n = n * 10 + (c - '0');
        }
        if (!digits || n < 1 || (!maps && n > 2))
            return refuse(error, "--level takes " +
                                     std::string(maps ? "the number of a map, from 1"
                                                      : "1 or 2 (the first or the second level)") +
                                     ", not \"" + levelText + "\"");
        options.level = static_cast<int>(n);
        if (!options.maps.empty() && n > static_cast<long>(options.maps.size()))
            return refuse(error,
                          "--level " + levelText + ": only " +
                              (options.maps.size() == 1
                                   ? std::string("1 map is given")
                                   : std::to_string(options.maps.size()) + " maps are given"));
    }
    if (!options.replay.empty() && options.walkthrough)
        return refuse(error, "--replay and --walkthrough both play a demo; choose one");
    for (const auto& [given, name] :
         {std::pair(options.practice, "--practice"), std::pair(options.level != 0, "--level"),
          std::pair(options.pack, "--pack")})
        if (given && !options.replay.empty())
            return refuse(error, std::string(name) +
                                     " cannot go with --replay: the demo says how it was "
                                     "recorded, and is replayed that way");
    if (options.walkthrough && (options.level != 0 || options.pack || !options.maps.empty()))
        return refuse(error, "--walkthrough plays the shipped game from its title; it cannot go "
                             "with --level, --map or --pack");
    if (options.pack && !options.maps.empty())
        return refuse(error, "--pack and --map both choose the maps; choose one");
    if (options.levels &&
        (options.practice || options.level != 0 || !options.maps.empty() ||
         !options.record.empty() || !options.replay.empty() || options.walkthrough || options.fast))
        return refuse(error, "--levels only lists the pack's levels; it takes no other option");
    if (options.fast && options.replay.empty() && !options.walkthrough)
        return refuse(error, "--fast needs --replay or --walkthrough");
    if (!options.record.empty() && options.record == options.replay)
        return refuse(error, "--record would overwrite the demo that --replay reads");
    return true;
}
