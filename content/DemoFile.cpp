// Demo files: reading and writing them.
#include "content/DemoFile.h"

#include <cctype>
#include <cstdio>

#include "content/TextFile.h"

namespace {

struct Named {
    int value;
    const char* name;
};

// SDL 1.2's own names, fixed here so that parsing needs no video and a later SDL cannot rename
// them.
const Named keyNames[] = {
    {8, "backspace"},     {9, "tab"},          {12, "clear"},       {13, "return"},
    {19, "pause"},        {27, "escape"},      {32, "space"},       {127, "delete"},
    {256, "[0]"},         {257, "[1]"},        {258, "[2]"},        {259, "[3]"},
    {260, "[4]"},         {261, "[5]"},        {262, "[6]"},        {263, "[7]"},
    {264, "[8]"},         {265, "[9]"},        {266, "[.]"},        {267, "[/]"},
    {268, "[*]"},         {269, "[-]"},        {270, "[+]"},        {271, "enter"},
    {272, "equals"},      {273, "up"},         {274, "down"},       {275, "right"},
    {276, "left"},        {277, "insert"},     {278, "home"},       {279, "end"},
    {280, "page up"},     {281, "page down"},  {282, "f1"},         {283, "f2"},
    {284, "f3"},          {285, "f4"},         {286, "f5"},         {287, "f6"},
    {288, "f7"},          {289, "f8"},         {290, "f9"},         {291, "f10"},
    {292, "f11"},         {293, "f12"},        {294, "f13"},        {295, "f14"},
    {296, "f15"},         {300, "numlock"},    {301, "caps lock"},  {302, "scroll lock"},
    {303, "right shift"}, {304, "left shift"}, {305, "right ctrl"}, {306, "left ctrl"},
    {307, "right alt"},   {308, "left alt"},
};

// The words for events in demo files. Most events do nothing in the game, but each one still
// takes its frame's poll, so a demo keeps them all.
const Named eventNames[] = {
    {SDL_NOEVENT, "end"},
    {SDL_KEYDOWN, "down"},
    {SDL_KEYUP, "up"},
    {SDL_QUIT, "quit"},
    {SDL_ACTIVEEVENT, "focus"},
    {SDL_MOUSEMOTION, "mouse-motion"},
    {SDL_MOUSEBUTTONDOWN, "mouse-down"},
    {SDL_MOUSEBUTTONUP, "mouse-up"},
    {SDL_VIDEORESIZE, "resize"},
    {SDL_VIDEOEXPOSE, "expose"},
};

// Printable keys are named by their own character: "q", "#", "/".
char singleNames[128][2];

std::string lowered(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A whole token of decimal digits, below `limit`; false otherwise.
bool readNumber(const std::string& token, unsigned long long limit, unsigned long long& value) {
    if (token.empty() || token.size() > 12) return false;
    value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value < limit;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// One event line, already known not to be blank or a comment.
bool parseLine(const std::string& line, uint32_t after, DemoEvent& event, std::string& error) {
    size_t at = 0;
    auto token = [&] {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        return line.substr(start, at - start);
    };
    const std::string frameText = token();
    const std::string word = lowered(token());
    std::string rest = line.substr(at);
    rest.erase(0, rest.find_first_not_of(" \t"));
    rest.erase(rest.find_last_not_of(" \t") + 1);

    unsigned long long frame = 0;
    if (!readNumber(frameText, 1ull << 32, frame)) {
        error = "the line should start with a frame number, not " + quoted(frameText);
        return false;
    }
    if (frame == 0) {
        error = "frames count from 1";
        return false;
    }
    // A hint shows on the frame of the event before it, or later.
    if (frame < after || (frame == after && word != "hint")) {
        error = "frame " + frameText + " is not after the frame before, " + std::to_string(after) +
                " (one event a frame, in order)";
        return false;
    }
    event.frame = static_cast<uint32_t>(frame);
    event.key = 0;
    if (word == "hint") {
        event.type = hintShown;
        if (rest.empty()) return true;
        error = "nothing may follow \"hint\", but " + quoted(rest) + " does";
        return false;
    }

    int type = -1;
    for (const Named& n : eventNames)
        if (word == n.name) type = n.value;
    if (word == "event") {
        unsigned long long number = 0;
        if (!readNumber(rest, eventTypes, number) || number == 0) {
            error = "\"event\" needs an SDL event type from 1 to " +
                    std::to_string(eventTypes - 1) + ", not " + quoted(rest);
            return false;
        }
        event.type = static_cast<uint32_t>(number);
        return true;
    }
    if (type < 0) {
        error = "unknown event " + quoted(word) +
                " (down KEY, up KEY, quit, focus, mouse-motion, mouse-down, mouse-up, resize, "
                "expose, event NUMBER, hint or end)";
        return false;
    }
    event.type = static_cast<uint32_t>(type);
    if (!isKeyEvent(type)) {
        if (rest.empty()) return true;
        error = "nothing may follow " + quoted(word) + ", but " + quoted(rest) + " does";
        return false;
    }
    if (rest.empty()) {
        error = quoted(word) + " needs a key";
        return false;
    }
    // One character is that character's key; a number of two digits or more is a key symbol.
    unsigned long long number = 0;
    int key = rest.size() > 1 && readNumber(rest, keySymbols, number) ? static_cast<int>(number)
                                                                      : demoKeyFromName(rest);
    if (key < 0) {
        error = "unknown key " + quoted(rest);
        return false;
    }
    event.key = static_cast<uint16_t>(key);
    return true;
}

// "option practice", "option level N", "option map NAME CHECKSUM", "option code CODE",
// "option chooser [N]" or "option counter".
bool parseOption(const std::string& line, DemoSetup& setup, std::string& error) {
    std::string rest = line.substr(6); // after the word "option"
    rest.erase(0, rest.find_first_not_of(" \t"));
    rest.erase(rest.find_last_not_of(" \t") + 1);
    const size_t gap = rest.find_first_of(" \t");
    const std::string word = lowered(rest.substr(0, gap));
    std::string value = gap == std::string::npos ? "" : rest.substr(gap);
    value.erase(0, value.find_first_not_of(" \t"));
    if (word == "practice" && value.empty()) {
        setup.practice = true;
        return true;
    }
    if (word == "level") {
        if (readLevelNumber(value, setup.level)) return true;
        error = "\"option level\" needs a level number, not " + quoted(value);
        return false;
    }
    if ((word == "chooser" || word == "counter") && value.empty()) {
        (word == "chooser" ? setup.chooser : setup.counter) = true;
        return true;
    }
    if (word == "chooser") {
        if (readLevelNumber(value, setup.selected)) return setup.chooser = true;
        error = "\"option chooser\" takes the number of the level selected, not " + quoted(value);
        return false;
    }
    if (word == "code") {
        // The decoder says what is wrong with the code itself; here only that there is one.
        if (!value.empty() && value.find_first_of(" \t") == std::string::npos) {
            setup.code = value;
            return true;
        }
        error = "\"option code\" needs one level code";
        return false;
    }
    if (word == "comfort" && value.empty()) {
        setup.comfort = true;
        return true;
    }
    if (word == "map") {
        const size_t last = value.find_last_of(" \t");
        const std::string sum = last == std::string::npos ? "" : value.substr(last + 1);
        bool hex = sum.size() == 16;
        for (char c : sum) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
        if (!hex) {
            error = "\"option map\" needs a file name and its checksum of 16 hex digits";
            return false;
        }
        std::string name = value.substr(0, last);
        name.erase(name.find_last_not_of(" \t") + 1);
        setup.maps.push_back({name, lowered(sum)});
        return true;
    }
    error = "unknown option " + quoted(rest) +
            " (a demo may say: option practice, option level N, option map FILE CHECKSUM, "
            "option code CODE, option chooser, option counter, option comfort)";
    return false;
}

} // namespace

const char* demoKeyName(int sym) {
    for (const Named& n : keyNames)
        if (n.value == sym) return n.name;
    if (sym > 32 && sym < 127 && !(sym >= 'A' && sym <= 'Z')) {
        singleNames[sym][0] = static_cast<char>(sym);
        return singleNames[sym];
    }
    return nullptr;
}

int demoKeyFromName(const std::string& name) {
    const std::string low = lowered(name);
    for (const Named& n : keyNames)
        if (low == n.name) return n.value;
    if (low.size() == 1 && low[0] > 32 && low[0] < 127) return low[0];
    return -1;
}

int formatDemoLine(char* out, size_t size, const DemoEvent& event) {
    const unsigned frame = event.frame;
    if (event.type == hintShown) return std::snprintf(out, size, "%u hint", frame);
    for (const Named& n : eventNames) {
        if (static_cast<uint32_t>(n.value) != event.type) continue;
        if (!isKeyEvent(event.type)) return std::snprintf(out, size, "%u %s", frame, n.name);
        if (const char* name = demoKeyName(event.key))
            return std::snprintf(out, size, "%u %s %s", frame, n.name, name);
        return std::snprintf(out, size, "%u %s %02d", frame, n.name, event.key);
    }
    return std::snprintf(out, size, "%u event %d", frame, event.type);
}

bool parseDemo(const std::string& text, std::vector<DemoEvent>& events, std::string& error,
               DemoSetup* setup) {
    events.clear();
    DemoSetup options;
    unsigned long long version = 0;
    size_t start = 0;
    uint32_t last = 0;
    for (int number = 1; start < text.size() || number == 1; ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        // Files edited elsewhere may end their lines with CR.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string where = "line " + std::to_string(number) + ": ";

        if (number == 1) {
            const std::string head = std::string(demoFormat) + " ";
            if (line.rfind(head, 0) != 0 || !readNumber(line.substr(head.size()), 1000, version) ||
                version == 0) {
                error = where + "not a demo: it should begin with \"" + head + "1\"";
                return false;
            }
            if (version > static_cast<unsigned>(demoVersion)) {
                error = where + "demo version " + std::to_string(version) +
                        " is newer than this game reads (" + std::to_string(demoVersion) + ")";
                return false;
            }
            continue;
        }
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (lowered(line.substr(first, 6)) == "option") {
            if (version < 2) {
                error = where + "option lines need a version 2 demo (\"" + demoFormat + " 2\")";
                return false;
            }
            if (!events.empty()) {
                error = where + "option lines come before the first event";
                return false;
            }
            std::string what;
            if (!parseOption(line.substr(first), options, what)) {
                error = where + what;
                return false;
            }
            continue;
        }

        DemoEvent event;
        std::string what;
        if (!events.empty() && events.back().type == SDL_NOEVENT) {
            error =
                where + "nothing may follow the end of the demo, on frame " + std::to_string(last);
            return false;
        }
        if (!parseLine(line, last, event, what)) {
            error = where + what;
            return false;
        }
        last = event.frame;
        events.push_back(event);
    }
    if (setup) *setup = options;
    return true;
}

bool readDemoFile(const std::string& path, std::vector<DemoEvent>& events, std::string& error,
                  DemoSetup* setup) {
    std::string text;
    if (!readTextFile(path, text, error)) return false;
    if (!parseDemo(text, events, error, setup)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

bool readLevelNumber(const std::string& text, int& level) {
    unsigned long long n = 0;
    if (!readNumber(text, maxLevelNumber + 1ull, n) || n == 0) return false;
    level = static_cast<int>(n);
    return true;
}

bool isDemoEvent(uint32_t type) {
    for (const Named& n : eventNames)
        if (static_cast<uint32_t>(n.value) == type) return true;
    return false;
}

std::string demoHead(const DemoSetup& setup, const std::string& comment) {
    std::string head = std::string(demoFormat) + (setup.any() ? " 2\n" : " 1\n");
    if (setup.practice) head += "option practice\n";
    if (setup.level != 0) head += "option level " + std::to_string(setup.level) + "\n";
    for (const DemoSetup::Map& map : setup.maps)
        head += "option map " + map.name + " " + map.checksum + "\n";
    if (!setup.code.empty()) head += "option code " + setup.code + "\n";
    if (setup.chooser)
        head += setup.selected > 1 ? "option chooser " + std::to_string(setup.selected) + "\n"
                                   : "option chooser\n";
    if (setup.counter) head += "option counter\n";
    if (setup.comfort) head += "option comfort\n";
    return head + "# " + comment + "\n";
}
