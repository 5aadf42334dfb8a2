// The game's entry: the command line, start-up, the scene loop and shut-down.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Demo.h"
#include "app/Entry.h"
#include "app/Music.h"
#include "app/Options.h"
#include "app/SceneLoop.h"
#include "app/Startup.h"
#include "app/Walkthrough.h"

namespace {

// Bad command lines and demo files stop the game before it opens a window.
int refuse(const std::string& what) {
    std::fprintf(stderr, "foldbot: %s\n", what.c_str());
    return 2;
}

void noDelay(Uint32) {}
const Clock unpaced{SDL_GetTicks, noDelay};

} // namespace

int SDL_main(int argc, char* argv[]) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) return refuse(error + " (see --help)");
    if (options.help) {
        std::fputs(usageText, stdout);
        return 0;
    }
    std::vector<DemoEvent> demo;
    if (!options.replay.empty() && !readDemoFile(options.replay, demo, error)) return refuse(error);
    if (options.walkthrough && !parseDemo(walkthroughDemoText, demo, error))
        return refuse("the built-in walkthrough, " + error);
    DemoRecorder recorder;
    if (!options.record.empty() && !recorder.open(options.record, error)) return refuse(error);

    // A window too large for the display is refused before it opens.
    ScreenPlan screen;
    if ((options.scale != 0 || options.fullscreen) &&
        !planScreenOnDisplay(options.scale, options.fullscreen, screen, error)) {
        SDL_Quit();
        return refuse(error);
    }

    LoopState state;
    Stage stage;
    if (!startUp(stage, screen)) {
        // Nothing can be drawn without a screen: stop here rather than crash in the first frame.
        SDL_Quit();
        return 1;
    }
    GameBoards boards(stage.sprites);

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
