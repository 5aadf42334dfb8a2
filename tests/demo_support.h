// Helpers of the demo tests: the real program run as a child, and the whole game started
// headless in this process.
#pragma once

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Startup.h"

namespace demo_test {

inline std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string scratchPath(const std::string& name) {
    return "/tmp/foldbot-" + name + "-" + std::to_string(getpid());
}

struct Outcome {
    std::string out, err;
    int status = -1;
    bool killed = false; // ran past its time
};

using Env = std::vector<std::pair<std::string, std::string>>;

// Runs `program` with `args` in `dir`, headless unless `env` says otherwise.
inline Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& dir, const Env& env = {}, int seconds = 120) {
    int out[2], err[2];
    Outcome run;
    if (pipe(out) != 0 || pipe(err) != 0) return run;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (chdir(dir.c_str()) != 0) _exit(126);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1); // the game keeps its pictures till exit
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    int open = 2, waited = 0;
    while (open > 0) {
        if (poll(fds, 2, 100) == 0 && (waited += 100) > seconds * 1000 && !run.killed) {
            kill(pid, SIGKILL);
            run.killed = true;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                into[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    waitpid(pid, &run.status, 0);
    return run;
}

inline bool exitedWith(const Outcome& run, int code) {
    return !run.killed && WIFEXITED(run.status) && WEXITSTATUS(run.status) == code;
}

// The game's own start-up, headless, from the build folder that holds the generated files.
struct HeadlessGame {
    Stage stage;
    bool up = false;

    HeadlessGame() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (chdir(ASSET_ROOT) != 0) return;
        up = startUp(stage);
        for (SDL_Event old; SDL_PollEvent(&old);) {
        }
    }
    ~HeadlessGame() {
        Mix_HaltMusic();
        for (Mix_Music* m :
             {stage.titleTrack, stage.level1Track, stage.level2Track, stage.endTrack})
            if (m) Mix_FreeMusic(m);
        Mix_CloseAudio();
        for (SDL_Surface* s : {stage.titlePicture, stage.tooth, stage.sprites, stage.loosePicture})
            if (s) SDL_FreeSurface(s);
        SDL_Quit();
    }
};

inline void pushKey(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

// Frames run back to back: time moves a frame's worth per call and nothing waits.
inline Uint32 fakeNow = 0;
inline const Clock fakeClock{[] { return fakeNow += 17; }, [](Uint32) {}};

} // namespace demo_test
