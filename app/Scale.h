// The window's size on big displays: --scale N and --fullscreen, planned against the display
// before any window opens.
#pragma once

#include <string>

#include "app/Present.h"

inline constexpr int largestScale = 4;

// The video mode to ask for and where the enlarged frame goes in it.
struct ScreenPlan {
    int width = 800, height = 500;
    int scale = 1;
    int left = 0, top = 0;
    bool fullscreen = false;

    // The game's own window, opened exactly as it always was.
    bool plain() const { return scale == 1 && !fullscreen; }
};

// `scale` 0 when not asked. A display of 0 x 0 is one whose size SDL cannot tell (the dummy
// driver): nothing is refused for it, and full screen takes the mode of the scale asked for.
// False, with what is wrong in `error`, when the display cannot hold what was asked.
bool planScreen(int scale, bool fullscreen, int displayWidth, int displayHeight, ScreenPlan& plan,
                std::string& error);

// The same against SDL's own view of the desktop; starts SDL's video to ask it.
bool planScreenOnDisplay(int scale, bool fullscreen, ScreenPlan& plan, std::string& error);

// Opens the window by the plan and gives the 800 x 500 surface the game draws into, in the
// window's format; none when there is no video mode.
SDL_Surface* openScaledScreen(const char* caption, const ScreenPlan& plan, ScaledWindow& window);
