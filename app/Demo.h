// Demos: the events the scene loop took, each with the frame that took it, kept as plain text so
// a person can read and edit them, and played back through the loop's own poll.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/SceneLoop.h"

// The first line of every demo. A later game keeps reading version 1 as version 1; version 2
// adds lines that say how the game was started.
inline constexpr const char* demoFormat = "foldbot-demo";
inline constexpr int demoVersion = 2;

// How a demo's game was started, beyond the title: "option ..." lines of a version 2 demo.
struct DemoSetup {
    bool practice = false;
    int level = 0; // 0: from the title
    struct Map {
        std::string name;     // the file, as it was given
        std::string checksum; // of its bytes, 16 hex digits
    };
    std::vector<Map> maps;
    bool chooser = false; // "option chooser": the maps are a pack, opened on its chooser
    bool counter = false; // "option counter": the levels count their steps
    bool any() const { return practice || level != 0 || !maps.empty() || chooser || counter; }
};

// One taken event: enough of it to take it again on the same frame. A demo may close with an
// end (type SDL_NOEVENT): it keeps the keyboard through that frame, taking no event on it.
struct DemoEvent {
    uint32_t frame = 0; // the loop's first frame is 1
    uint32_t type = 0;  // SDL event type
    uint16_t key = 0;   // SDL key symbol, for key events
};

// Reads a demo's text. On a fault gives false and "line N: what is wrong" in `error`.
bool parseDemo(const std::string& text, std::vector<DemoEvent>& events, std::string& error,
               DemoSetup* setup = nullptr);

// The same from a file, which must be a plain file of at most 1 MiB; the error then starts with
// the file's name.
bool readDemoFile(const std::string& path, std::vector<DemoEvent>& events, std::string& error,
                  DemoSetup* setup = nullptr);

// Writes one demo line without its line end, such as "64 down return", and gives its length.
// Allocates nothing, so the recorder can use it on every frame.
int formatDemoLine(char* out, size_t size, const DemoEvent& event);

// The keys' names in demo files; keys without one are written as their symbol number.
const char* demoKeyName(int sym);
int demoKeyFromName(const std::string& name); // -1 when unknown

// Plays a demo's events on their frames. Until its last event or its end the demo has the
// keyboard: the player's keys are dropped, but closing the window still quits.
class DemoPlayer {
  public:
    explicit DemoPlayer(const std::vector<DemoEvent>& events) : events(events) {}
    int poll(SDL_Event* event);
    bool playing() const { return next < events.size(); }
    EventSource source() { return {pollThunk, this}; }

  private:
    static int pollThunk(void* self, SDL_Event* event) {
        return static_cast<DemoPlayer*>(self)->poll(event);
    }
    const std::vector<DemoEvent>& events;
    size_t next = 0;
    uint32_t frame = 0;
};

// Writes every event that another source hands the loop, with its frame. Nothing is allocated
// once the file is open, so recording costs a frame no more than playing.
class DemoRecorder {
  public:
    DemoRecorder() = default;
    DemoRecorder(const DemoRecorder&) = delete;
    DemoRecorder& operator=(const DemoRecorder&) = delete;
    ~DemoRecorder() { close(); }

    // A version 1 demo, or version 2 when the game was started other than from its title.
    bool open(const std::string& path, std::string& error, const DemoSetup& setup = {});
    // False when something could not be written.
    bool close();
    int poll(SDL_Event* event);
    EventSource source(const EventSource& from) {
        inner = from;
        return {pollThunk, this};
    }

  private:
    static int pollThunk(void* self, SDL_Event* event) {
        return static_cast<DemoRecorder*>(self)->poll(event);
    }
    EventSource inner = sdlEvents;
    std::FILE* file = nullptr;
    uint32_t frame = 0;
    char buffer[1 << 14];
};
