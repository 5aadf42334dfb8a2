// Ctrl-C at the command line: the search is asked to stop and say that nothing was proven.
#pragma once

#include <signal.h>

#include <atomic>

inline std::atomic<bool>& interruptFlag() {
    static std::atomic<bool> flag{false};
    return flag;
}

// The first Ctrl-C asks the search to stop and say so; a second one kills as usual.
inline void catchInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = [](int) { interruptFlag().store(true); };
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &sa, nullptr);
}
