// Makes the walkthrough demo from the two levels' route files: one direction a line, for each
// frame of a level from its first one (0..8 a pose key, -1 Space, 1000 no key).
//
// The demo presses Enter on the title, then plays each route from the frame its level first
// runs until the frame its goal is reached, and ends when the wipe into the end scene is over. A
// level's board first runs on the frame after the wipe's change, which comes 63 frames after the
// request: 64 frames after Enter or the goal; the wipe ends 106 frames after the request.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Content.h"

namespace {

// The title shows for a while before Enter, so a watcher sees it.
constexpr long enterFrame = 250;
constexpr long requestToFirstBoardFrame = 64;
constexpr long requestToWipeEnd = 106;

const char* const keyNames[] = {"q", "w", "e", "a", "s", "d", "z", "x", "c"};

bool readRoute(const char* path, std::vector<int>& route) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read it\n", path);
        return false;
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(line, &used);
        } catch (...) {
            used = 0;
        }
        if (used == 0 || used != line.size() || !(value == 1000 || (value >= -1 && value <= 8))) {
            std::fprintf(stderr, "%s:%d: \"%s\" is not 0..8, -1 or 1000\n", path, number,
                         line.c_str());
            return false;
        }
        route.push_back(value);
    }
    return true;
}

// Plays the route on a fresh board as the game would; gives the index of the goal's frame.
template <int W, int H>
long goalFrame(Level<W, H> board, const std::vector<int>& route, const char* path) {
    for (size_t i = 0; i < route.size(); ++i)
        if (runBoard(nullptr, board, route[i], 0, 0)) return static_cast<long>(i);
    std::fprintf(stderr, "%s: the goal is not reached in its %zu lines\n", path, route.size());
    return -1;
}

void addRoute(std::string& demo, const std::vector<int>& route, long first, long goal) {
    for (long i = 0; i <= goal; ++i) {
        int key = route[static_cast<size_t>(i)];
        if (key == 1000) continue;
        demo += "\"" + std::to_string(first + i) + " down " + (key < 0 ? "space" : keyNames[key]) +
                "\\n\"\n";
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s LEVEL1_KEYS LEVEL2_KEYS OUTPUT.cpp\n", argv[0]);
        return 2;
    }
    std::vector<int> route1, route2;
    if (!readRoute(argv[1], route1) || !readRoute(argv[2], route2)) return 1;
    const long goal1 =
        goalFrame(Level<40, 20>(contentTexts[1], chainPoses, nullptr, 40, 20), route1, argv[1]);
    const long goal2 =
        goalFrame(Level<80, 50>(contentTexts[2], chainPoses, nullptr, 40, 25), route2, argv[2]);
    if (goal1 < 0 || goal2 < 0) return 1;

    const long first1 = enterFrame + requestToFirstBoardFrame;
    const long first2 = first1 + goal1 + requestToFirstBoardFrame;
    std::string demo = "// Made by the build from the levels' route files.\n"
                       "#include \"app/Walkthrough.h\"\n\n"
                       "const char walkthroughDemoText[] =\n"
                       "\"foldbot-demo 1\\n\"\n"
                       "\"# Enter on the title, then each level's route up to its goal\\n\"\n";
    demo += "\"" + std::to_string(enterFrame) + " down return\\n\"\n";
    addRoute(demo, route1, first1, goal1);
    addRoute(demo, route2, first2, goal2);
    // The demo keeps the keys until the wipe into the end scene has opened.
    demo += "\"" + std::to_string(first2 + goal2 + requestToWipeEnd) + " end\\n\"\n;\n";

    std::FILE* out = std::fopen(argv[3], "w");
    if (!out || std::fputs(demo.c_str(), out) < 0 || std::fclose(out) != 0) {
        std::fprintf(stderr, "%s: cannot write it\n", argv[3]);
        return 1;
    }
    return 0;
}
