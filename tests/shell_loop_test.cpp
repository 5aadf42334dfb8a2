// The scene loop over the game's own boards, driven frame by frame with scripted events, the
// frame pacer, and the real program started headless in a scratch folder, with missing, valid and
// broken files.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/Music.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"
#include "app/Video.h"
#include "demo_support.h"

using namespace demo_test;
namespace fs = std::filesystem;

namespace {

Uint32 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

// Stands for closing the window in a step's events.
const SDLKey quit = SDLK_LAST;

// Events pushed at once, then frames run, then where the loop must stand.
struct Step {
    std::vector<SDLKey> keys;
    int frames;
    SceneId scene, nextScene;
    int32_t wipe;
};

class SceneLoop : public ::testing::Test {
  protected:
    // Only the title has a track, so a change of music into another scene falls silent.
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        stage.screen = initVideo("!#@*");
        ASSERT_NE(stage.screen, nullptr);
        initAudio();
        stage.titleTrack = loadMusic(ASSET_ROOT "/snd/goof.ogg");
        ASSERT_NE(stage.titleTrack, nullptr);
        playMusic(stage.titleTrack);
        for (SDL_Event old; SDL_PollEvent(&old);) {
        }
    }

    void TearDown() override {
        Mix_FreeMusic(stage.titleTrack);
        SDL_FreeSurface(stage.tooth);
        Mix_CloseAudio();
        SDL_Quit();
    }

    bool frame() { return runFrame(state, stage, boards, fakeClock); }

    void play(const std::vector<Step>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step& s = steps[i];
            for (SDLKey key : s.keys) key == quit ? push(SDL_QUIT) : push(SDL_KEYDOWN, key);
            for (int f = 0; f < s.frames; ++f) frame();
            EXPECT_EQ(std::tuple(state.scene, state.nextScene, state.wipe),
                      std::tuple(s.scene, s.nextScene, s.wipe))
                << "step " << i;
        }
    }

    // Without a sprite sheet the boards draw nothing, so the teeth are all the screen shows.
    LoopState state;
    Stage stage;
    GameBoards boards{nullptr};
};

TEST_F(SceneLoop, EnterWipesFromTitleToFirstLevelIn107Frames) {
    stage.tooth = SDL_CreateRGBSurface(SDL_SWSURFACE, 100, 250, 32, 0, 0, 0, 0);
    SDL_FillRect(stage.tooth, nullptr, SDL_MapRGB(stage.tooth->format, 255, 0, 0));
    SDL_FillRect(stage.screen, nullptr, 0);
    const Uint32 red = SDL_MapRGB(stage.screen->format, 255, 0, 0);

    push(SDL_KEYDOWN, SDLK_RETURN);
    ASSERT_TRUE(frame());
    // The request frame already closes; with no title picture the teeth stay on screen.
    EXPECT_EQ(pixelAt(stage.screen, 799, 3), red);
    EXPECT_NE(pixelAt(stage.screen, 799, 4), red);
    EXPECT_EQ(pixelAt(stage.screen, 0, 496), red);
    EXPECT_NE(pixelAt(stage.screen, 0, 495), red);

    // 63 closing frames, the change at 252, 42 opening frames while the old track plays on, and
    // the end frame, which halts it: the first level's track is missing.
    play({{{}, 62, 1, 2, 252}, {{}, 1, 2, 2, 252}, {{}, 41, 2, 2, 6}, {{}, 1, 2, 2, 0}});
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    play({{{}, 1, 2, 0, 0}});
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(SceneLoop, RequestsRedirectARunningWipe) {
    play({{{SDLK_ESCAPE}, 10, 1, 8, 40},
          {{SDLK_ESCAPE}, 1, 1, 8, 44}, // asks again, the teeth go on closing
          {{SDLK_RETURN}, 1, 1, 2, 48}, // still on the title: Enter wins over the wipe to the end
          {{}, 95, 2, 0, 0},
          {{SDLK_RETURN}, 1, 2, 0, 0}, // nothing outside the title
          {{SDLK_ESCAPE}, 1, 2, 8, 4}});
    boards.level1.goalReached = true; // the goal asks every frame, so it wins over Escape
    play({{{}, 1, 2, 3, 8}, {{}, 105, 3, 0, 0}});
}

TEST_F(SceneLoop, EscapeInTheEndSceneOrClosingTheWindowQuitsEvenDuringAWipe) {
    play({{{SDLK_ESCAPE}, 64, 8, 8, 252},
          {{}, 1, 8, 8, 246},
          {{SDLK_ESCAPE}, 1, -1, 8, 250}}); // the rest of this frame still runs, without a board
    EXPECT_FALSE(frame());
    // Closing the window changes neither scene nor music, also in the frame that would end the
    // wipe: the teeth close again instead.
    state = LoopState{};
    play({{{SDLK_ESCAPE}, 63, 1, 8, 252}, {{quit}, 1, -1, 8, 252}});
    EXPECT_FALSE(frame());
    state = LoopState{};
    play({{{SDLK_RETURN}, 106, 2, 2, 0}, {{quit}, 1, -1, 2, 4}});
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SceneLoop, WipeRedirectedWhileOpeningEndsAtMinusTwoAndTheNextStartsThere) {
    play({{{SDLK_RETURN}, 65, 2, 2, 246}});
    boards.level1.goalReached = true;
    play({{{}, 1, 2, 3, 250},
          {{}, 1, 3, 3, 250},
          {{}, 43, 3, 0, -2}, // 42 openings to -2, then the end
          {{SDLK_ESCAPE}, 63, 3, 8, 250},
          {{}, 1, 8, 8, 250},
          {{}, 43, 8, 0, -2},
          {{SDLK_ESCAPE}, 1, -1, 0, -2}}); // at rest too, Escape in the end scene quits
    EXPECT_FALSE(frame());
}

TEST(FramePacer, EveryOtherFrameWaitsForTheTickSetBefore) {
    EXPECT_EQ(frameDelay(90000000), 0u); // sets the tick 16 ms ahead
    EXPECT_EQ(frameDelay(90000005), 11u);
    EXPECT_EQ(frameDelay(90000010), 6u); // a wait does not move the tick on
    EXPECT_EQ(frameDelay(90000016), 0u);
    EXPECT_EQ(frameDelay(90000040), 0u); // late: no wait, a new tick
    EXPECT_EQ(frameDelay(90000041), 15u);
}

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
