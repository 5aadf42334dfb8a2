// The real program started headless in a scratch folder, with missing, valid and broken files.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "shell_support.h"

namespace {

const char* const pictures[] = {"title", "tooth", "bot", "loose"};
const char* const tracks[] = {"goof", "robot_wars", "lurm", "down"};

struct Outcome {
    std::string out;
    int status = -1;
};

// One line of /proc/<pid>/status, such as "SigCgt" or "Threads", read as a number.
unsigned long long procStatus(pid_t pid, const std::string& key, int base) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1), nullptr, base);
    return 0;
}

using Env = std::vector<std::pair<const char*, const char*>>;

// Runs the game in `dir` and stops it with SIGTERM once SDL turns that into a quit event.
Outcome runGame(const std::string& dir, const Env& env = {}) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (chdir(dir.c_str()) != 0) _exit(126);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The game keeps its pictures until exit on purpose; that is no leak to report.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        for (const auto& [name, value] : env) setenv(name, value, 1);
        execl(FOLDBOT_BIN, FOLDBOT_BIN, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    Outcome outcome;
    pollfd output{pipeFds[0], POLLIN, 0};
    char buffer[4096];
    bool exited = false;
    while (!exited) {
        exited = waitpid(pid, &outcome.status, WNOHANG) == pid;
        // A SIGTERM caught before SDL's start-up is over is lost; a picture message or the
        // audio thread shows it is over.
        bool started = !outcome.out.empty() || procStatus(pid, "Threads", 10) >= 2;
        if (!exited && started && (procStatus(pid, "SigCgt", 16) >> (SIGTERM - 1)) & 1) {
            kill(pid, SIGTERM);
            break;
        }
        if (poll(&output, 1, 2) == 1) {
            ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) outcome.out.append(buffer, n);
        }
    }
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        outcome.out.append(buffer, n);
    close(pipeFds[0]);
    if (!exited) waitpid(pid, &outcome.status, 0);
    return outcome;
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

std::string missingMessages() {
    std::string out;
    for (const char* name : pictures)
        out += std::string("porbl\xE8me avec le fichier ./img/") + name + ".bmp\n";
    for (const char* name : tracks)
        out += std::string("probleme avec le fichier musical [./snd/") + name + ".ogg]\n";
    return out;
}

class Program : public ::testing::Test {
  protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Puts `make(path)` where each picture and track belongs.
    template <class Make> void fillAssets(Make make) {
        std::filesystem::create_directories(dir + "/img");
        std::filesystem::create_directories(dir + "/snd");
        for (const char* name : pictures) make(dir + "/img/" + name + ".bmp", true);
        for (const char* name : tracks) make(dir + "/snd/" + name + ".ogg", false);
    }

    std::string dir;
};

TEST_F(Program, ReportsEachMissingFileInLoadOrderAndQuitsOnTerm) {
    Outcome outcome = runGame(dir);
    EXPECT_EQ(outcome.out, missingMessages());
    EXPECT_TRUE(exitedWith(outcome.status, 0)) << outcome.status;
}

TEST_F(Program, PrintsNothingWhenEveryFileIsThere) {
    // The pictures and tracks the build generated.
    fillAssets([&](const std::string& path, bool) {
        std::filesystem::copy_file(asset(path.substr(dir.size() + 1)), path);
    });
    Outcome outcome = runGame(dir);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(exitedWith(outcome.status, 0)) << outcome.status;
}

TEST_F(Program, BrokenFilesAreReportedAndTheGameRunsOn) {
    const std::string bitmap = readBytes(asset("img/tooth.bmp"));
    const std::string ogg = readBytes(asset("snd/goof.ogg"));
    std::string noise(3000, '\0');
    std::mt19937 random(7);
    for (char& c : noise) c = static_cast<char>(random());
    const std::vector<std::pair<const char*, std::function<void(const std::string&, bool)>>> cases{
        {"empty", [&](const std::string& p, bool) { writeBytes(p, ""); }},
        {"truncated bitmap",
         [&](const std::string& p, bool) { writeBytes(p, bitmap.substr(0, 900)); }},
        {"random bytes", [&](const std::string& p, bool) { writeBytes(p, noise); }},
        {"folder", [&](const std::string& p, bool) { std::filesystem::create_directory(p); }},
        {"swapped kinds",
         [&](const std::string& p, bool picture) { writeBytes(p, picture ? ogg : bitmap); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(dir + "/img");
        std::filesystem::remove_all(dir + "/snd");
        fillAssets(make);
        Outcome outcome = runGame(dir);
        EXPECT_EQ(outcome.out, missingMessages());
        EXPECT_TRUE(exitedWith(outcome.status, 0)) << outcome.status;
    }
}

TEST_F(Program, NoScreenGivesBothVideoMessagesOnOneLineAndAFailingExit) {
    Outcome outcome = runGame(dir, {{"SDL_VIDEODRIVER", "nonexistent"}});
    const std::string first = "Erreur lors de l'initialisation de la SDL";
    const std::string second = "Erreur lors de l'initialisation de la surface desinable";
    EXPECT_EQ(outcome.out.rfind(first, 0), 0u) << outcome.out;
    EXPECT_NE(outcome.out.find(second, first.size()), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find('\n'), std::string::npos);
    EXPECT_TRUE(WIFEXITED(outcome.status) && WEXITSTATUS(outcome.status) != 0) << outcome.status;
}

TEST_F(Program, NoAudioDeviceIsReportedAndTheGameRunsOn) {
    Outcome outcome = runGame(dir, {{"SDL_AUDIODRIVER", "dsp"}, {"AUDIODEV", "/nonexistent/dsp"}});
    const std::string missing = missingMessages();
    const size_t tracksAt = missing.find("probleme");
    EXPECT_EQ(outcome.out,
              missing.substr(0, tracksAt) + "probl\xC3\xA8me audio\n" + missing.substr(tracksAt));
    EXPECT_TRUE(exitedWith(outcome.status, 0)) << outcome.status;
}

} // namespace
