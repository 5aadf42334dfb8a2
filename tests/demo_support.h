// Helpers of the demo tests: programs run as children, and the game started headless in-process.
#pragma once

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/Course.h"
#include "app/Demo.h"
#include "app/Startup.h"
#include "content/Keys.h"

namespace demo_test {

inline std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A key file's keys, and the SDL key each stands for.
inline std::vector<int> keysOf(const std::string& path) {
    std::vector<int> keys;
    std::string why;
    EXPECT_TRUE(readKeyFile(path, keys, why)) << why;
    return keys;
}

inline SDLKey symOf(int key) {
    return key == spaceKey ? SDLK_SPACE : key == noKey ? SDLK_UNKNOWN : poseKeys[key];
}

inline std::string scratchPath(const std::string& name) {
    return "/tmp/foldbot-" + name + "-" + std::to_string(getpid());
}

using Env = std::vector<std::pair<std::string, std::string>>;

// Starts `args` in `dir`, headless unless `env` says otherwise, its output into `log`.out/.err.
inline pid_t start(const std::vector<std::string>& args, const std::string& dir, const Env& env,
                   const std::string& log, int keepFd = -1) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    dup2(open((log + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open((log + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    for (int fd = 3; fd < 64; ++fd)
        if (fd != keepFd) close(fd);
    if (chdir(dir.c_str()) != 0) _exit(126);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1); // the game keeps its pictures till exit
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// The child's wait status, or -1 (and the child killed) when it runs past `seconds`.
inline int waitFor(pid_t pid, int seconds) {
    int status = 0;
    for (int i = 0; i < seconds * 20; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

struct Outcome {
    std::string out, err;
    int status = -1;
};

inline Outcome runProgram(const std::vector<std::string>& args, const std::string& dir,
                          const Env& env = {}) {
    const std::string log = scratchPath("run");
    Outcome run;
    run.status = waitFor(start(args, dir, env, log), 120);
    run.out = bytesOf(log + ".out");
    run.err = bytesOf(log + ".err");
    std::remove((log + ".out").c_str());
    std::remove((log + ".err").c_str());
    return run;
}

inline bool exitedWith(int status, int code) {
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code;
}

// The game's own start-up, headless, in the build folder that holds the generated files.
struct HeadlessGame {
    Stage stage;
    bool up = false;

    explicit HeadlessGame(const ScreenPlan& screen = ScreenPlan{}) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        up = chdir(ASSET_ROOT) == 0 && startUp(stage, Course{}, screen);
        for (SDL_Event old; SDL_PollEvent(&old);) {
        }
    }
    ~HeadlessGame() { releaseStage(stage); }
};

inline void push(Uint8 type, SDLKey key = SDLK_UNKNOWN, SDLMod mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

// Frames run back to back: time moves a frame's worth per call and nothing waits.
inline Uint32 fakeNow = 0;
inline const Clock fakeClock{[] { return fakeNow += 17; }, [](Uint32) {}};

// A game started on a course, run a frame at a time with the test's own keys or a demo's.
struct Driver {
    HeadlessGame& game;
    std::unique_ptr<GameBoards> boards;
    LoopState state;
    Driver(HeadlessGame& g, const Course& course)
        : game(g), boards(std::make_unique<GameBoards>(g.stage.sprites, course)),
          state(course.startState()) {
        SDL_FillRect(g.stage.screen, nullptr, 0); // what the first frame is drawn over
    }
    // The key is pressed on the first of the frames.
    void frames(int n, SDLKey key = SDLK_UNKNOWN, const EventSource* events = nullptr) {
        for (int i = 0; i < n; ++i) {
            if (i == 0 && key != SDLK_UNKNOWN) push(SDL_KEYDOWN, key);
            runFrame(state, game.stage, *boards, fakeClock, events ? *events : sdlEvents);
        }
    }
};

// A demo and the course it says, as --replay reads them, with `maps` given again.
inline bool loadDemo(const std::string& path, const std::vector<std::string>& maps,
                     std::vector<DemoEvent>& events, Course& course, std::string& error) {
    Options options;
    options.replay = path;
    options.maps = maps;
    DemoSetup setup;
    return readDemoFile(path, events, error, &setup) && setUpCourse(options, setup, course, error);
}

// A game on `course` whose keys are recorded into a demo at `path`.
struct Recorded : Driver {
    DemoRecorder recorder;
    EventSource source;
    Recorded(HeadlessGame& g, const Course& course, const std::string& path) : Driver(g, course) {
        std::string error;
        EXPECT_TRUE(recorder.open(path, error, setupOf(course))) << error;
        source = recorder.source(sdlEvents);
    }
    void frames(int n, SDLKey key = SDLK_UNKNOWN) { Driver::frames(n, key, &source); }
};

// Plays `n` frames of the demo at `path`, as --replay would with `maps`; false when it is refused.
inline bool replayDemo(HeadlessGame& game, const std::string& path,
                       const std::vector<std::string>& maps, size_t n, std::string& error) {
    std::vector<DemoEvent> events;
    Course course;
    if (!loadDemo(path, maps, events, course, error)) return false;
    Driver d(game, course);
    DemoPlayer player(events);
    const EventSource source = player.source();
    d.frames(static_cast<int>(n), SDLK_UNKNOWN, &source);
    return true;
}

} // namespace demo_test
