// The game's command line.
#include "app/Options.h"

const char usageText[] =
    "Usage: foldbot [--record FILE] [--replay FILE | --walkthrough] [--fast]\n"
    "               [--scale N] [--fullscreen] [--help]\n"
    "\n"
    "Fold the robot from shape to shape and bring one of its blocks onto the goal.\n"
    "\n"
    "Keys:\n"
    "  Enter                  on the title: start the first level\n"
    "  q w e / a s d / z x c  fold the robot into one of nine shapes\n"
    "  Space                  break the robot apart\n"
    "  Escape                 give up and go to the end scene; in the end scene, quit\n"
    "Closing the window quits at any time.\n"
    "\n"
    "Options:\n"
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
    "frame number and what it was, such as \"64 down return\" or \"70 up return\".\n"
    "The game reads ./img and ./snd from the folder it is started in.\n";

// --scale N and --fullscreen. Only whole scales: any other would blur or unevenly widen pixels.
static bool takeScreenOption(int argc, char* argv[], int& i, Options& options, std::string& error) {
    const std::string arg = argv[i];
    if (arg == "--fullscreen") {
        if (options.fullscreen) {
            error = "--fullscreen is given twice";
            return false;
        }
        options.fullscreen = true;
        return true;
    }
    if (options.scale != 0) {
        error = "--scale is given twice";
        return false;
    }
    if (i + 1 >= argc) {
        error = "--scale needs a number: 1, 2, 3 or 4";
        return false;
    }
    const std::string value = argv[++i];
    if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
        error = "--scale takes 1, 2, 3 or 4, not \"" + value + "\"";
        return false;
    }
    options.scale = value[0] - '0';
    return true;
}

bool parseOptions(int argc, char* argv[], Options& options, std::string& error) {
    options = Options{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" || arg == "--fullscreen") {
            if (!takeScreenOption(argc, argv, i, options, error)) return false;
            continue;
        }
        bool* flag = arg == "--walkthrough" ? &options.walkthrough
                     : arg == "--fast"      ? &options.fast
                     : arg == "--help"      ? &options.help
                                            : nullptr;
        std::string* file = arg == "--record"   ? &options.record
                            : arg == "--replay" ? &options.replay
                                                : nullptr;
        if (flag) {
            if (*flag) {
                error = arg + " is given twice";
                return false;
            }
            *flag = true;
        } else if (file) {
            if (!file->empty()) {
                error = arg + " is given twice";
                return false;
            }
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                error = arg + " needs a file name";
                return false;
            }
            *file = argv[++i];
        } else {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
    }
    if (options.help) return true;
    if (!options.replay.empty() && options.walkthrough) {
        error = "--replay and --walkthrough both play a demo; choose one";
        return false;
    }
    if (options.fast && options.replay.empty() && !options.walkthrough) {
        error = "--fast needs --replay or --walkthrough";
        return false;
    }
    if (!options.record.empty() && options.record == options.replay) {
        error = "--record would overwrite the demo that --replay reads";
        return false;
    }
    return true;
}
