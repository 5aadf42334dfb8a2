// Demos through the scene loop's poll: played on their frames, and recorded as they are taken.
#include "app/Demo.h"

#include <cerrno>
#include <cstring>

#include "app/Hints.h"

int DemoPlayer::poll(SDL_Event* event) {
    ++frame;
    // A hint's line may follow its frame's event; it is taken with that event.
    auto hints = [&] {
        for (;
             next < events.size() && events[next].frame == frame && events[next].type == hintShown;
             ++next)
            hintFrames().due = true;
    };
    hints();
    if (!playing()) return SDL_PollEvent(event);
    if (events[next].frame == frame && events[next].type != SDL_NOEVENT) {
        const DemoEvent& e = events[next++];
        hints();
        std::memset(event, 0, sizeof *event);
        event->type = e.type;
        if (isKeyEvent(e.type)) {
            event->key.state = e.type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            event->key.keysym.sym = static_cast<SDLKey>(e.key);
        }
        return 1;
    }
    // The demo's end takes no event; the player has the keys from the next frame.
    if (events[next].frame == frame) ++next;
    // The player's keys would break the demo; a closed window still ends the game.
    if (SDL_PollEvent(event) && event->type == SDL_QUIT) return 1;
    return 0;
}

bool DemoRecorder::open(const std::string& path, std::string& error, const DemoSetup& setup) {
    file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = path + ": cannot write it: " + std::strerror(errno);
        return false;
    }
    // The stream's buffer is ours, so no frame makes the library allocate one.
    std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
    std::fputs(demoHead(setup, "frame, then the event the game took on it: down KEY, up KEY, "
                               "quit, or another")
                   .c_str(),
               file);
    return true;
}

int DemoRecorder::poll(SDL_Event* event) {
    ++frame;
    writeHint();
    const int taken = inner.poll(inner.context, event);
    if (taken && file) {
        DemoEvent e;
        e.frame = frame;
        e.type = event->type;
        if (isKeyEvent(event->type)) e.key = static_cast<uint16_t>(event->key.keysym.sym);
        // A browser's SDL has events and keys of its own that the game ignores; they are kept as
        // ones every SDL 1.2 knows, which the game ignores too, so the demo replays anywhere.
        if (!isDemoEvent(e.type) && e.type >= eventTypes) e.type = otherEvent;
        if (isKeyEvent(e.type) && e.key >= keySymbols) e.key = SDLK_UNKNOWN;
        char line[96];
        const int length = formatDemoLine(line, sizeof line - 1, e);
        line[length] = '\n';
        std::fwrite(line, 1, static_cast<size_t>(length) + 1, file);
    }
    return taken;
}

// The frame before showed a hint's answer: its line goes before this frame's event.
void DemoRecorder::writeHint() {
    if (!hintFrames().shown) return;
    hintFrames().shown = false;
    if (!file) return;
    char line[32];
    DemoEvent e;
    e.frame = frame - 1;
    e.type = hintShown;
    const int length = formatDemoLine(line, sizeof line - 1, e);
    line[length] = '\n';
    std::fwrite(line, 1, static_cast<size_t>(length) + 1, file);
}

bool DemoRecorder::close() {
    if (file == nullptr) return true;
    ++frame; // a hint shown on the last frame
    writeHint();
    bool ok = std::ferror(file) == 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}
