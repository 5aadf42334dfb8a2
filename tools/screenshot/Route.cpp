// Plays a walkthrough key file through the real frame function and saves the board at the end of
// each stage, with the keys each stage takes; and a map file's first frame.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Frames.h"
#include "Png.h"
#include "app/Startup.h"
#include "app/StepCounter.h"
#include "solve/Keys.h"

namespace {

SDLKey symOf(int key) {
    return key == spaceKey ? SDLK_SPACE : poseKeys[key];
}

template <class Board>
int play(Board& board, SceneId scene, Stage& stage, GameBoards& boards,
         const std::vector<int>& keys, const std::string& out, const std::string& name,
         const std::vector<int>& lastSteps) {
    LoopState state;
    state.scene = scene;
    state.direction = noKey;
    layBackground(state, stage);
    // The level's last picture is taken after its goal: the teeth that close then stay hidden.
    Stage quiet = stage;
    quiet.tooth = nullptr;

    StepCounter counter;
    int step = 0;
    size_t stage_ = 0;
    std::string pressed;
    int combos = 0;
    std::string stepKeys;
    // The board as the player sees it at rest: the frame that ends a glide draws a robot that
    // has just taken a pose as loose numbered blocks, until a step without a new pose numbers it
    // again. That step's frame, still drawn where the glide ended, is shown, then taken back.
    auto showAtRest = [&]() {
        const Board before = board;
        const LoopState kept = state;
        board.requestedPose = board.currentPose;
        runFrame(state, board.hasWon() ? quiet : stage, boards, fastClock);
        board = before;
        state = kept;
    };
    auto flush = [&](int toStep) {
        showAtRest();
        const std::string png = name + "-" + std::to_string(stage_ + 1) + ".png";
        if (!writePng(out + "/" + png, shownW, shownH, shown)) return false;
        std::printf("stage %zu: steps %d-%d, %d combos, %s\nKeys: `%s`\n", stage_ + 1,
                    stage_ == 0 ? 1 : lastSteps[stage_ - 1] + 1, toStep, combos, png.c_str(),
                    pressed.c_str());
        pressed.clear();
        combos = 0;
        ++stage_;
        return true;
    };
    auto endStep = [&]() {
        if (stepKeys.empty()) return;
        if (!pressed.empty()) pressed += " ";
        pressed += stepKeys;
        if (stepKeys.find('+') != std::string::npos) ++combos;
        stepKeys.clear();
    };
    for (size_t f = 0; f < keys.size() || stage_ < lastSteps.size(); ++f) {
        const int key = f < keys.size() ? keys[f] : noKey;
        if (key != noKey) {
            press(symOf(key));
            stepKeys += stepKeys.empty() ? keyName(key) : std::string("+") + keyName(key);
        }
        if (board.isSettled()) endStep();
        const bool won = board.hasWon();
        counter.frame(board, key != noKey, [&] {
            runFrame(state, won ? quiet : stage, boards, fastClock);
            return board.hasWon();
        });
        if (won || board.hasWon()) {
            state.nextScene = 0;
            state.wipe = 0;
        }
        step = counter.steps;
        // A stage ends once its last step has finished gliding.
        if (stage_ < lastSteps.size() && step == lastSteps[stage_] && board.isSettled()) {
            if (!flush(step)) return 1;
        }
        if (f > keys.size() + 2000) {
            std::fprintf(stderr, "the board never settled after step %d\n", step);
            return 1;
        }
    }
    return 0;
}

// A course of one map file, as `foldbot --map FILE` plays it; false, with why, if it is wrong.
bool mapCourse(const std::string& path, Course& course) {
    MapFile map;
    std::string error;
    if (!readMapFile(path, map, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    course.maps.push_back(std::move(map));
    return true;
}

bool isMapFile(const std::string& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".map") == 0;
}

// "levels/04-handholds.map" is named "04-handholds" in the pictures' names.
std::string baseName(const std::string& path) {
    const std::string file = path.substr(path.rfind('/') + 1);
    return isMapFile(file) ? file.substr(0, file.size() - 4) : file;
}

} // namespace

bool startHeadless(Stage& stage, const Course& course) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!startUp(stage, course)) return false;
    SDL_ShowCursor(SDL_DISABLE);
    // Without them every picture would come out blank, and look like a fault of the game.
    if (!stage.titlePicture || !stage.tooth || !stage.sprites || !stage.loosePicture) {
        std::fprintf(stderr, "foldbot_screenshot: the game's pictures cannot be read from ./img; "
                             "run it from the folder holding img/ and snd/ (the build folder)\n");
        releaseStage(stage);
        return false;
    }
    return true;
}

int routeShots(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: --route BOARD|FILE.map KEYFILE OUTPUT_FOLDER LAST_STEP...\n");
        return 2;
    }
    const std::string board = argv[0];
    std::vector<int> keys;
    std::string why;
    if (!readKeyFile(argv[1], keys, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 2;
    }
    Course course;
    if (isMapFile(board) && !mapCourse(board, course)) return 2;
    const std::string out = argv[2];
    std::vector<int> lastSteps;
    for (int i = 3; i < argc; ++i) lastSteps.push_back(std::atoi(argv[i]));
    Stage stage;
    if (!startHeadless(stage, course)) return 2;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    GameBoards boards(stage.sprites, course);
    int status = 2;
    const std::string name = baseName(board);
    if (board == "level1")
        status = play(boards.level1, level1Scene, stage, boards, keys, out, name, lastSteps);
    if (board == "level2")
        status = play(boards.level2, level2Scene, stage, boards, keys, out, name, lastSteps);
    if (!boards.maps.empty() && boards.maps[0].small)
        status = play(boards.maps[0].small->board, firstMapScene, stage, boards, keys, out, name,
                      lastSteps);
    if (!boards.maps.empty() && boards.maps[0].large)
        status = play(boards.maps[0].large->board, firstMapScene, stage, boards, keys, out, name,
                      lastSteps);
    releaseStage(stage);
    return status;
}

int mapShot(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: --map FILE.map OUTPUT.png\n");
        return 2;
    }
    Course course;
    if (!mapCourse(argv[0], course)) return 2;
    Stage stage;
    if (!startHeadless(stage, course)) return 2;
    GameBoards boards(stage.sprites, course);
    // The map's first frame, as the game shows it when started with --map.
    LoopState state = course.startState();
    runFrame(state, stage, boards, fastClock);
    const bool ok = writePng(argv[1], shownW, shownH, shown);
    if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[1]);
    releaseStage(stage);
    return ok ? 0 : 1;
}
