// The game's entry: the command line, start-up, the scene loop and shut-down.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Course.h"
#include "app/Demo.h"
#include "app/Entry.h"
#include "app/Music.h"
#include "app/Options.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"
#include "app/Walkthrough.h"

namespace {

// Bad command lines, demo and map files stop the game before it opens a window.
int refuse(const std::string& what) {
    std::fprintf(stderr, "foldbot: %s\n", what.c_str());
    return 2;
}

void noDelay(Uint32) {}
const Clock unpaced{SDL_GetTicks, noDelay};

int listLevels() {
    std::vector<MapFile> maps;
    std::string error;
    if (!readPack(packFolder, maps, error)) return refuse(error);
    for (size_t k = 0; k < maps.size(); ++k) {
        const std::string shortest = maps[k].value("shortest");
        std::printf("%2zu  %-28s %s%s%s\n", k + 1,
                    maps[k].title.empty() ? "(no title)" : maps[k].title.c_str(),
                    maps[k].path.c_str(), shortest.empty() ? "" : ", shortest ", shortest.c_str());
    }
    std::printf("Play one with: foldbot --pack --level N\n");
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
    for (const MapFile& map : course.maps)
        if (!options.record.empty() && map.path.find_first_of("\r\n") != std::string::npos)
            return refuse("a map whose name holds a line end cannot be named in a demo");
    // A window too large for the display is refused before it opens, and before a demo is begun.
    ScreenPlan screen;
    if ((options.scale != 0 || options.fullscreen) &&
        !planScreenOnDisplay(options.scale, options.fullscreen, screen, error)) {
        SDL_Quit();
        return refuse(error);
    }
    DemoRecorder recorder;
    if (!options.record.empty() && !recorder.open(options.record, error, setupOf(course)))
        return refuse(error);

    LoopState state = course.startState();
    Stage stage;
    if (!startUp(stage, course, screen)) {
        // Nothing can be drawn without a screen: stop here rather than crash in the first frame.
        SDL_Quit();
        return 1;
    }
    GameBoards boards(stage.sprites, course);
    boards.pack.open(stage.screen, stage.glyphs, course.keepProgress ? progressPath() : "");

    DemoPlayer player(demo);
    const bool playing = !options.replay.empty() || options.walkthrough;
    EventSource events = playing ? player.source() : sdlEvents;
    if (!options.record.empty()) events = recorder.source(events);
    while (runFrame(state, stage, boards, options.fast && player.playing() ? unpaced : sdlClock,
                    events)) {
    }

    stopMusic();
    Mix_CloseAudio();
    SDL_Quit();
    if (!recorder.close()) return refuse(options.record + ": the demo could not be written whole");
    return 0;
}
