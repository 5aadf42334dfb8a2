// Arbitrary bytes as a demo file, read by the game's own reader and, when it takes them, played
// through the real frame function for a bounded number of frames.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Course.h"
#include "app/Demo.h"
#include "app/Startup.h"
#include "tools/fuzz/Harness.h"
#include "tools/fuzz/ScratchFile.h"

namespace {

Stage stage;
ScratchFile scratch("-demo.txt");

// Enough for a wipe, a level's first steps and a quit; a demo's far frames are not waited for.
constexpr uint32_t frameLimit = 300;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    headlessStage(stage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = scratch.write(data, size);
    std::vector<DemoEvent> events;
    std::string error;
    DemoSetup setup;
    Options options;
    options.replay = path;
    Course course;
    if (!readDemoFile(path, events, error, &setup) || !setUpCourse(options, setup, course, error)) {
        if (error.empty()) std::abort(); // a refusal always says why
        return 0;
    }
    // The events are taken in order of their frames, each on its own frame.
    for (size_t i = 1; i < events.size(); ++i)
        if (events[i].frame <= events[i - 1].frame) std::abort();

    SDL_Event stale;
    while (SDL_PollEvent(&stale)) {
    }
    LoopState state = course.startState();
    GameBoards boards(stage.sprites, course);
    DemoPlayer player(events);
    for (uint32_t frame = 0; frame < frameLimit; ++frame)
        if (!runFrame(state, stage, boards, backToBack, player.source())) break;
    return 0;
}
