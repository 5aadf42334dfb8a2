// Demos played back through the scene loop's own poll, and recorded from it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/SceneLoop.h"
#include "content/DemoFile.h"

// Plays a demo's events on their frames. Until its last event or its end the demo has the
// keyboard: the player's keys are dropped, but closing the window still quits.
class DemoPlayer {
  public:
    explicit DemoPlayer(const std::vector<DemoEvent>& events) : events(events) {}
    int poll(SDL_Event* event);
    bool playing() const { return next < events.size(); }
    EventSource source() { return pollOf(this); }

  private:
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
        return pollOf(this);
    }

  private:
    void writeHint();
    EventSource inner = sdlEvents;
    std::FILE* file = nullptr;
    uint32_t frame = 0;
    char buffer[1 << 14];
};
