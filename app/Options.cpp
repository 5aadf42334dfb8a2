// The game's command line.
#include "app/Options.h"

#include <cstring>

#include "content/DemoFile.h"

const char usageText[] =
    "Usage: foldbot [--practice] [--level N] [--map FILE]... [--code CODE]\n"
    "               [--pack [NAME]] [--levels]\n"
    "               [--record FILE] [--replay FILE | --walkthrough] [--fast]\n"
    "               [--scale N] [--fullscreen] [--mute] [--keys position|letters]\n"
    "               [--help]\n"
    "\n"
    "Fold the robot from shape to shape and bring one of its blocks onto the goal.\n"
    "\n"
    "Keys:\n"
    "  Enter                  on the title: start the first level\n"
    "  q w e / a s d / z x c  fold the robot into one of nine shapes\n"
    "  Space                  break the robot apart\n"
    "  Escape                 give up and go to the end scene; in the end scene, quit\n"
    "                         (with --practice, --pack or --map: press it twice)\n"
    "  m                      with --practice, --pack or --map: mute or unmute the music\n"
    "  r                      with --practice: restart the level\n"
    "  u, Backspace           with --practice: undo the last key, again and again (or hold)\n"
    "  h                      with --practice or in the pack: a hint, the next move of a\n"
    "                         shortest route from the board as it stands (or how far to undo);\n"
    "                         its search stops at 4,000,000 states, about 160 MiB\n"
    "In the pack's chooser, the arrows (or q w e / a d / z x c around s) move, Enter plays\n"
    "the level and Escape quits; on one of its levels, Escape goes back to the chooser.\n"
    "Closing the window quits at any time.\n"
    "\n"
    "Options:\n"
    "  --practice     on the levels, r restarts the level and u or Backspace undoes keys\n"
    "  --level N      skip the title and start on level N (1 or 2; with maps, the N-th map)\n"
    "  --map FILE     play a map file instead of the shipped levels; give it again for more\n"
    "                 maps, played in order (see docs/levels.md for the format)\n"
    "  --code CODE    play a level code (a level shared as a short text, see\n"
    "                 docs/levels.md) as --map plays a file\n"
    "  --pack [NAME]  choose a level of the packs that come with the game: the first pack,\n"
    "                 then the challenge pack on a page of its own; --pack challenge opens\n"
    "                 on it, and with --level N plays its N-th level. Their levels (and\n"
    "                 maps) count your steps against the shortest, and the levels you solve\n"
    "                 are kept in $XDG_DATA_HOME/foldbot/progress (by default in\n"
    "                 ~/.local/share/foldbot/progress)\n"
    "  --levels       list the packs' levels with their titles, and stop\n"
    "  --record FILE  play, and write every event the game takes, with its frame, to FILE\n"
    "  --replay FILE  play FILE's events on their frames; the keyboard takes over at its end\n"
    "  --walkthrough  watch the whole game played through; the keyboard takes over at the end\n"
    "  --fast         with --replay or --walkthrough: no frame pacing while the demo plays\n"
    "  --scale N      a window N times as large, N from 1 to 4: every pixel an N x N square\n"
    "  --fullscreen   fill the display: the picture at the largest whole scale that fits (or\n"
    "                 at --scale N), centred on black\n"
    "  --mute         start with the music muted\n"
    "  --keys position  take the pose keys by their place on the keyboard, the 3 x 3 block\n"
    "                 under the left hand, whatever letters it shows; --keys letters goes\n"
    "                 back. With --practice, --pack or --map, m's choice and this one are\n"
    "                 remembered beside the progress file\n"
    "  --help         show this text\n"
    "A value may also follow its option after an equals sign: --level=2, --map=FILE.\n"
    "\n"
    "A demo file is plain text: a first line \"foldbot-demo 1\", then one event a line, its\n"
    "frame number and what it was, such as \"64 down return\" or \"70 up return\". A demo\n"
    "recorded with --practice, --level, --map, --code or --pack says so on its own lines, so\n"
    "--replay plays it the same way without them.\n"
    "The game reads ./img, ./snd and ./levels from the folder it is started in.\n";

namespace {

bool refuse(std::string& error, const std::string& what) {
    error = what;
    return false;
}

// Whether a demo says the option on a line of its own: then --replay takes it from there.
enum class InDemo { no, refused, givenAgain };

// Every option, once: its name, what it takes (nothing for a switch), whether it may be given
// again, how a demo keeps it, and where the value goes, checked against its limits.
struct OptionEntry {
    const char* name;
    const char* needs; // "--X needs ..." when the value is missing; nullptr: a switch
    bool repeats;
    InDemo demo;
    bool (*take)(Options& options, const std::string& value, std::string& error);
    bool (*given)(const Options& options);
    bool optional = false; // the value may be left out: "--X" alone, or "--X VALUE"
};

bool takeFile(std::string& into, const std::string& value) {
    into = value;
    return true;
}

// Only whole scales: any other would blur or unevenly widen pixels.
bool takeScale(Options& o, const std::string& value, std::string& error) {
    if (value.size() != 1 || value[0] < '1' || value[0] > '4')
        return refuse(error, "--scale takes 1, 2, 3 or 4, not \"" + value + "\"");
    o.scale = value[0] - '0';
    return true;
}

// How many levels there are is known once the maps are read: setUpCourse checks the range.
bool takeLevel(Options& o, const std::string& value, std::string& error) {
    if (!readLevelNumber(value, o.level))
        return refuse(error, "--level takes a level number from 1 to " +
                                 std::to_string(maxLevelNumber) + ", not \"" + value + "\"");
    return true;
}

bool takeKeys(Options& o, const std::string& value, std::string& error) {
    if (value != "position" && value != "letters")
        return refuse(error, "--keys takes position or letters, not \"" + value + "\"");
    o.keys = value;
    return true;
}

#define SWITCH(field) [](Options& o, const std::string&, std::string&) { return o.field = true; }
#define GIVEN(test) [](const Options& o) -> bool { return test; }

const OptionEntry optionTable[] = {
    {"--practice", nullptr, false, InDemo::refused, SWITCH(practice), GIVEN(o.practice)},
    {"--level", "a level number: 1 or 2 (with --map or --pack, the number of a map)", false,
     InDemo::refused, takeLevel, GIVEN(o.level != 0)},
    {"--map", "a file name", true, InDemo::givenAgain,
     [](Options& o, const std::string& v, std::string&) { return o.maps.push_back(v), true; },
     GIVEN(!o.maps.empty())},
    {"--code", "a level code", false, InDemo::refused,
     [](Options& o, const std::string& v, std::string&) { return takeFile(o.code, v); },
     GIVEN(!o.code.empty())},
    {"--pack", "a pack's name, such as challenge", false, InDemo::refused,
     [](Options& o, const std::string& v, std::string&) { return o.packName = v, o.pack = true; },
     GIVEN(o.pack), true},
    {"--levels", nullptr, false, InDemo::no, SWITCH(levels), GIVEN(o.levels)},
    {"--record", "a file name", false, InDemo::no,
     [](Options& o, const std::string& v, std::string&) { return takeFile(o.record, v); },
     GIVEN(!o.record.empty())},
    {"--replay", "a file name", false, InDemo::no,
     [](Options& o, const std::string& v, std::string&) { return takeFile(o.replay, v); },
     GIVEN(!o.replay.empty())},
    {"--walkthrough", nullptr, false, InDemo::no, SWITCH(walkthrough), GIVEN(o.walkthrough)},
    {"--fast", nullptr, false, InDemo::no, SWITCH(fast), GIVEN(o.fast)},
    {"--scale", "a number: 1, 2, 3 or 4", false, InDemo::no, takeScale, GIVEN(o.scale != 0)},
    {"--fullscreen", nullptr, false, InDemo::no, SWITCH(fullscreen), GIVEN(o.fullscreen)},
    {"--mute", nullptr, false, InDemo::no, SWITCH(mute), GIVEN(o.mute)},
    {"--keys", "position or letters", false, InDemo::no, takeKeys, GIVEN(!o.keys.empty())},
    {"--help", nullptr, false, InDemo::no, SWITCH(help), GIVEN(o.help)},
};

#undef SWITCH
#undef GIVEN

const OptionEntry* entryOf(const std::string& name) {
    for (const OptionEntry& entry : optionTable)
        if (name == entry.name) return &entry;
    return nullptr;
}

bool given(const Options& options, const char* name) {
    return entryOf(name)->given(options);
}

// Which options go together: the modes of a run.
bool checkModes(const Options& o, std::string& error) {
    if (given(o, "--replay") && given(o, "--walkthrough"))
        return refuse(error, "--replay and --walkthrough both play a demo; choose one");
    for (const OptionEntry& entry : optionTable)
        if (entry.demo == InDemo::refused && entry.given(o) && given(o, "--replay"))
            return refuse(error, std::string(entry.name) +
                                     " cannot go with --replay: the demo says how it was "
                                     "recorded, and is replayed that way");
    if (given(o, "--walkthrough") && (o.level != 0 || o.pack || !o.maps.empty() || !o.code.empty()))
        return refuse(error, "--walkthrough plays the shipped game from its title; it cannot go "
                             "with --level, --map, --code or --pack");
    if (o.pack + !o.maps.empty() + !o.code.empty() > 1)
        return refuse(error, "--pack, --map and --code each choose the levels; choose one");
    if (o.levels && (o.practice || o.level != 0 || !o.maps.empty() || !o.code.empty() ||
                     !o.record.empty() || !o.replay.empty() || o.walkthrough || o.fast))
        return refuse(error, "--levels only lists the packs' levels; it takes no other option");
    if (o.fast && o.replay.empty() && !o.walkthrough)
        return refuse(error, "--fast needs --replay or --walkthrough");
    if (!o.record.empty() && o.record == o.replay)
        return refuse(error, "--record would overwrite the demo that --replay reads");
    return true;
}

} // namespace

// A value such as -1 is a wrong number; only another option means none was given. GNU tools'
// --name=value is taken too.
bool parseOptions(int argc, char* argv[], Options& options, std::string& error) {
    options = Options{};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        const size_t equals = arg.find('=');
        const bool joined = arg.rfind("--", 0) == 0 && equals != std::string::npos;
        if (joined) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
        }
        const OptionEntry* entry = entryOf(arg);
        if (entry == nullptr)
            return refuse(error, "unknown option \"" + std::string(argv[i]) + "\"");
        if (!entry->repeats && entry->given(options)) return refuse(error, arg + " is given twice");
        const bool bare = i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0;
        if (entry->needs == nullptr) {
            if (joined) return refuse(error, arg + " takes no value");
        } else if (entry->optional && !joined && bare) {
            // Nothing follows but options: the value is left out.
        } else if (!joined) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0' || std::strncmp(argv[i + 1], "--", 2) == 0)
                return refuse(error, arg + " needs " + entry->needs);
            value = argv[++i];
        }
        if (entry->needs != nullptr && value.empty() && !(entry->optional && !joined && bare))
            return refuse(error, arg + " needs " + entry->needs);
        if (!entry->take(options, value, error)) return false;
    }
    return options.help || checkModes(options, error);
}
