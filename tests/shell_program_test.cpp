// The real program started headless in a scratch folder, with missing, valid and broken files.
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "demo_support.h"

using namespace demo_test;
namespace fs = std::filesystem;

namespace {

const char* const pictures[] = {"title", "tooth", "bot", "loose"};
const char* const tracks[] = {"goof", "robot_wars", "lurm", "down"};

// One line of /proc/<pid>/status, such as "SigCgt" or "Threads", read as a number.
unsigned long long procStatus(pid_t pid, const std::string& key, int base) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1), nullptr, base);
    return 0;
}

// Runs the game in `dir` and stops it with SIGTERM once SDL turns that into a quit event.
Outcome runGame(const std::string& dir, const Env& env = {}) {
    const std::string log = scratchPath("shell");
    const pid_t pid = start({FOLDBOT_BIN}, dir, env, log);
    Outcome outcome;
    while (waitpid(pid, &outcome.status, WNOHANG) == 0) {
        // A SIGTERM caught before SDL's start-up is over is lost; a message or the audio thread
        // shows it is over.
        const bool started = !bytesOf(log + ".out").empty() || procStatus(pid, "Threads", 10) >= 2;
        if (started && (procStatus(pid, "SigCgt", 16) >> (SIGTERM - 1)) & 1) {
            kill(pid, SIGTERM);
            outcome.status = waitFor(pid, 60);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    outcome.out = bytesOf(log + ".out");
    fs::remove(log + ".out");
    fs::remove(log + ".err");
    return outcome;
}

TEST(Program, ReportsEachMissingOrBrokenFileInLoadOrderAndRunsOnUntilTerm) {
    const std::string root = ASSET_ROOT;
    const std::string dir = scratchPath("shell-files");
    std::string missing;
    for (const char* name : pictures)
        missing += std::string("porbl\xE8me avec le fichier ./img/") + name + ".bmp\n";
    for (const char* name : tracks)
        missing += std::string("probleme avec le fichier musical [./snd/") + name + ".ogg]\n";
    const size_t tracksAt = missing.find("probleme");
    const std::string noAudio =
        missing.substr(0, tracksAt) + "probl\xC3\xA8me audio\n" + missing.substr(tracksAt);

    // How each case fills the place of a picture (true) or a track; none leaves img/ and snd/ out.
    using Make = std::function<void(const std::string&, bool)>;
    auto put = [](const std::string& path, const std::string& bytes) {
        std::ofstream(path) << bytes;
    };
    const std::string bitmap = bytesOf(root + "/img/tooth.bmp");
    const std::string ogg = bytesOf(root + "/snd/goof.ogg");
    const Env noDevice{{"SDL_AUDIODRIVER", "dsp"}, {"AUDIODEV", "/nonexistent/dsp"}};
    const std::vector<std::tuple<const char*, std::string, Env, Make>> cases{
        {"missing", missing, {}, nullptr},
        {"no audio device", noAudio, noDevice, nullptr},
        {"generated", "", {}, [&](auto& p, bool) { put(p, bytesOf(root + p.substr(dir.size()))); }},
        {"empty", missing, {}, [&](auto& p, bool) { put(p, ""); }},
        {"truncated bitmap", missing, {}, [&](auto& p, bool) { put(p, bitmap.substr(0, 900)); }},
        {"folder", missing, {}, [&](auto& p, bool) { fs::create_directory(p); }},
        {"swapped kinds", missing, {}, [&](auto& p, bool img) { put(p, img ? ogg : bitmap); }},
    };
    for (const auto& [name, expected, env, make] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (make) {
            fs::create_directories(dir + "/img");
            fs::create_directories(dir + "/snd");
            for (const char* picture : pictures) make(dir + "/img/" + picture + ".bmp", true);
            for (const char* track : tracks) make(dir + "/snd/" + track + ".ogg", false);
        }
        Outcome outcome = runGame(dir, env);
        EXPECT_EQ(outcome.out, expected);
        EXPECT_TRUE(exitedWith(outcome.status, 0)) << outcome.status;
    }
    fs::remove_all(dir);
}

TEST(Program, NoScreenGivesBothVideoMessagesOnOneLineAndAFailingExit) {
    Outcome outcome = runGame(fs::temp_directory_path(), {{"SDL_VIDEODRIVER", "nonexistent"}});
    const std::string first = "Erreur lors de l'initialisation de la SDL";
    const std::string second = "Erreur lors de l'initialisation de la surface desinable";
    EXPECT_EQ(outcome.out.rfind(first, 0), 0u) << outcome.out;
    EXPECT_NE(outcome.out.find(second, first.size()), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find('\n'), std::string::npos);
    EXPECT_TRUE(WIFEXITED(outcome.status) && WEXITSTATUS(outcome.status) != 0) << outcome.status;
    // No demo is begun for a game that never started, and a window too large for a display
    // whose size cannot be known is never planned blind.
    const std::string dir = fs::temp_directory_path(), demo = scratchPath("never.demo");
    const Env none{{"SDL_VIDEODRIVER", "nonexistent"}};
    EXPECT_FALSE(exitedWith(runProgram({FOLDBOT_BIN, "--record", demo}, dir, none).status, 0));
    EXPECT_FALSE(fs::exists(demo));
    const Outcome scaled = runProgram({FOLDBOT_BIN, "--scale", "2"}, dir, none);
    EXPECT_TRUE(exitedWith(scaled.status, 2));
    EXPECT_EQ(scaled.err.rfind("foldbot: the display's size cannot be known (", 0), 0u)
        << scaled.err;
}

} // namespace
