// Makes the walkthrough demo from the two levels' route files: one direction a line, for each
// frame of a level from its first one (0..8 a pose key, -1 Space, 1000 no key).
//
// The demo presses Enter on the title, then plays each route from the frame its level first
// runs until the frame its goal is reached, and ends when the wipe into the end scene is over. A
// level's board first runs on the frame after the wipe's change, which comes 63 frames after the
// request: 64 frames after Enter or the goal; the wipe ends 106 frames after the request.
#include <cstdio>
#include <string>
#include <vector>

#include "content/Boards.h"
#include "content/DemoFile.h"
#include "content/Keys.h"

namespace {

// The title shows for a while before Enter, so a watcher sees it.
constexpr long enterFrame = 250;
constexpr long requestToFirstBoardFrame = 64;
constexpr long requestToWipeEnd = 106;

bool readRoute(const char* path, std::vector<int>& route) {
    std::string why;
    if (readKeyFile(path, route, why)) return true;
    std::fprintf(stderr, "%s\n", why.c_str());
    return false;
}

// Demo lines as the lines of a C string.
void addLine(std::string& demo, const DemoEvent& event) {
    char line[96];
    formatDemoLine(line, sizeof line, event);
    demo += "\"" + std::string(line) + "\\n\"\n";
}

// Plays the route on a fresh board as the game would; gives the index of the goal's frame,
// which must be its last line: the build is where a key file that misses it is caught.
template <int W, int H>
long goalFrame(Level<W, H> board, const std::vector<int>& route, const char* path) {
    size_t i = 0;
    while (i < route.size() && !runBoard(nullptr, board, route[i], 0, 0)) ++i;
    if (i + 1 == route.size()) return static_cast<long>(i);
    std::fprintf(stderr, "%s: the goal is reached on line %zu, not on its last, line %zu\n", path,
                 i + 1, route.size());
    return -1;
}

void addRoute(std::string& demo, const std::vector<int>& route, long first, long goal) {
    for (long i = 0; i <= goal; ++i) {
        const int key = route[static_cast<size_t>(i)];
        if (key == noKey) continue;
        const SDLKey sym = key == spaceKey ? SDLK_SPACE : poseKeys[key];
        addLine(demo, {static_cast<uint32_t>(first + i), SDL_KEYDOWN, static_cast<uint16_t>(sym)});
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
    const long goal1 = goalFrame(level1Board.make(), route1, argv[1]);
    const long goal2 = goalFrame(level2Board.make(), route2, argv[2]);
    if (goal1 < 0 || goal2 < 0) return 1;

    const long first1 = enterFrame + requestToFirstBoardFrame;
    const long first2 = first1 + goal1 + requestToFirstBoardFrame;
    std::string demo = "// Made by the build from the levels' route files.\n"
                       "#include \"app/Walkthrough.h\"\n\n"
                       "const char walkthroughDemoText[] =\n";
    const std::string head =
        demoHead(DemoSetup{}, "Enter on the title, then each level's route up to its goal");
    for (size_t at = 0, end; (end = head.find('\n', at)) != std::string::npos; at = end + 1)
        demo += "\"" + head.substr(at, end - at) + "\\n\"\n";
    addLine(demo, {enterFrame, SDL_KEYDOWN, SDLK_RETURN});
    addRoute(demo, route1, first1, goal1);
    addRoute(demo, route2, first2, goal2);
    // The demo keeps the keys until the wipe into the end scene has opened.
    addLine(demo, {static_cast<uint32_t>(first2 + goal2 + requestToWipeEnd), SDL_NOEVENT, 0});
    demo += ";\n";

    std::FILE* out = std::fopen(argv[3], "w");
    if (!out || std::fputs(demo.c_str(), out) < 0 || std::fclose(out) != 0) {
        std::fprintf(stderr, "%s: cannot write it\n", argv[3]);
        return 1;
    }
    return 0;
}
