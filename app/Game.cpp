// The game's entry: the command line, start-up, the scene loop and shut-down.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Course.h"
#include "app/Demo.h"
#include "app/Entry.h"
#include "app/KeyPlace.h"
#include "app/Music.h"
#include "app/Options.h"
#include "app/SceneLoop.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/Walkthrough.h"

namespace {

// Bad command lines, demo and map files stop the game before it opens a window.
int refuse(const std::string& what) {
    std::fprintf(stderr, "foldbot: %s\n", what.c_str());
    return 2;
}

// Whether `path` can be written, found without creating it.
bool writable(const std::string& path, std::string& error) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat st {};
    const bool exists = stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) errno = EISDIR;
    if ((exists && !S_ISDIR(st.st_mode) && access(path.c_str(), W_OK) == 0) ||
        (!exists && access(folder.c_str(), W_OK | X_OK) == 0))
        return true;
    error = path + ": cannot write it: " + std::strerror(errno);
    return false;
}

void noDelay(Uint32) {}
const Clock unpaced{SDL_GetTicks, noDelay};

int listLevels() {
    std::string error;
    // Absolute: an installed game runs in its data folder, which is not where the player is.
    std::error_code failed;
    const std::filesystem::path here = std::filesystem::current_path(failed);
    const std::string top = failed ? packFolder : (here / packFolder).string();
    const std::vector<std::string> packs = packNames(top);
    for (const std::string& name : packs) {
        std::vector<MapFile> maps;
        if (!readPack(packFolderOf(name, top), maps, error)) {
            if (name.empty()) return refuse(error);
            std::printf("%s: %s\n", packTitle(name).c_str(), error.c_str());
            continue;
        }
        if (packs.size() > 1)
            std::printf("%s%s\n", name.empty() ? "" : "\n", packTitle(name).c_str());
        for (size_t k = 0; k < maps.size(); ++k) {
            const MapFile& map = maps[k];
            if (!map.fault.empty()) {
                std::printf("%2zu  %-28s %s\n", k + 1, "(cannot be played)", map.fault.c_str());
                continue;
            }
            const std::string shortest = map.value("shortest");
            std::printf("%2zu  %-28s %-19s %s%s%s\n", k + 1,
                        map.title.empty() ? "(no title)" : map.title.c_str(),
                        map.sizeText().c_str(), map.path.c_str(),
                        shortest.empty() ? "" : ", shortest ", shortest.c_str());
        }
    }
    std::printf("Play one with: foldbot --pack --level N\n");
    for (size_t k = 1; k < packs.size(); ++k)
        std::printf("           or: foldbot --pack %s --level N\n", packs[k].c_str());
    return 0;
}

} // namespace

int SDL_main(int argc, char* argv[]) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) return refuse(error + " (see --help)");
    if (options.help) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (options.levels) return listLevels();
    std::vector<DemoEvent> demo;
    DemoSetup setup;
    if (!options.replay.empty() && !readDemoFile(options.replay, demo, error, &setup))
        return refuse(error);
    if (options.walkthrough && !parseDemo(walkthroughDemoText, demo, error))
        return refuse("the built-in walkthrough, " + error);
    Course course;
    if (!setUpCourse(options, setup, course, error)) return refuse(error);
    for (const std::string& why : course.skipped)
        std::fprintf(stderr, "foldbot: %s; the pack is played without it\n", why.c_str());
    // A window too large for the display is refused before it opens, and before a demo is begun.
    ScreenPlan screen;
    if ((options.scale != 0 || options.fullscreen) &&
        !planScreenOnDisplay(options.scale, options.fullscreen, screen, error)) {
        SDL_Quit();
        return refuse(error);
    }
    // A demo that cannot be written is refused before any window; it is begun only once the
    // game has started, so a failed start leaves no demo holding only its header.
    if (!options.record.empty() && !writable(options.record, error)) {
        if (options.scale != 0 || options.fullscreen) SDL_Quit();
        return refuse(error);
    }

    // Remembered choices are the player's own runs' only: never the plain game's or a replay's.
    const std::string settingsFile =
        course.comfort && options.replay.empty() ? settingsPath() : std::string();
    Settings settings = settingsFile.empty() ? Settings{} : readSettings(settingsFile);
    if (options.mute) settings.muted = true;
    if (!options.keys.empty()) settings.keysByPlace = options.keys == "position";
    if (!settingsFile.empty() && (options.mute || !options.keys.empty()))
        writeSettings(settingsFile, settings);

    LoopState state = course.startState();
    state.muted = settings.muted;
    Stage stage;
    if (!startUp(stage, course, screen)) {
        // Nothing can be drawn without a screen: stop here rather than crash in the first frame.
        SDL_Quit();
        return 1;
    }
    GameBoards boards(stage.sprites, course);
    // The chooser's first selection comes from progress, which a replay does not read: the
    // demo says it.
    boards.pack.open(stage.screen, stage.glyphs, course.keepProgress ? progressPath() : "");
    DemoRecorder recorder;
    if (!options.record.empty() &&
        !recorder.open(options.record, error, setupOf(course, boards.pack.selected))) {
        stopMusic();
        Mix_CloseAudio();
        SDL_Quit();
        return refuse(error);
    }
    muteMusic(state.muted);

    DemoPlayer player(demo);
    const bool playing = !options.replay.empty() || options.walkthrough;
    hintFrames().replaying = playing;
    EventSource events = playing ? player.source() : sdlEvents;
    KeyPlaces places;
    if (settings.keysByPlace) events = places.source(events);
    if (!options.record.empty()) events = recorder.source(events);
    while (runFrame(state, stage, boards, options.fast && player.playing() ? unpaced : sdlClock,
                    events)) {
        if (state.muted != settings.muted && !settingsFile.empty()) {
            settings.muted = state.muted;
            writeSettings(settingsFile, settings);
        }
    }

    stopMusic();
    Mix_CloseAudio();
    SDL_Quit();
    if (!recorder.close()) return refuse(options.record + ": the demo could not be written whole");
    return 0;
}
