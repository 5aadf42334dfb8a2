// Planning and opening a scaled or full-screen window.
#include "app/Scale.h"

#include <algorithm>
#include <cstdio>

#include "app/Video.h"

namespace {

std::string size(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Black on the window outside the enlarged frame, shown once; on a display that really flips two
// buffers, on both of them.
void clearWindow(SDL_Surface* shown) {
    const Uint32 black = SDL_MapRGB(shown->format, 0, 0, 0);
    SDL_FillRect(shown, nullptr, black);
    SDL_Flip(shown);
    if (shown->flags & SDL_DOUBLEBUF) SDL_FillRect(shown, nullptr, black);
}

} // namespace

bool planScreen(int scale, bool fullscreen, int displayWidth, int displayHeight, ScreenPlan& plan,
                std::string& error) {
    const bool known = displayWidth > 0 && displayHeight > 0;
    // Above 4 the copy would cost more than the pacer's frame allows.
    const int fits =
        known ? std::min({displayWidth / 800, displayHeight / 500, largestScale}) : largestScale;
    const std::string display = "the display (" + size(displayWidth, displayHeight) + ")";
    if (scale > fits) {
        error = "--scale " + std::to_string(scale) + " makes " +
                (fullscreen ? "a picture of " : "a window of ") + size(800 * scale, 500 * scale) +
                ", larger than " + display + ": " +
                (fits > 0 ? "the largest scale that fits is " + std::to_string(fits)
                          : "no scale fits it");
        return false;
    }
    if (fullscreen && fits == 0) {
        error = display + " is smaller than the game's 800 x 500 picture";
        return false;
    }
    plan = ScreenPlan{};
    plan.fullscreen = fullscreen;
    plan.scale = scale != 0 ? scale : fullscreen && known ? fits : 1;
    plan.width = fullscreen && known ? displayWidth : 800 * plan.scale;
    plan.height = fullscreen && known ? displayHeight : 500 * plan.scale;
    plan.left = (plan.width - 800 * plan.scale) / 2;
    plan.top = (plan.height - 500 * plan.scale) / 2;
    return true;
}

bool planScreenOnDisplay(int scale, bool fullscreen, ScreenPlan& plan, std::string& error) {
    // The video started here is the one the window opens on. A busy X server may refuse one
    // connection and take the next: planning without it would open a window the display
    // cannot hold, so ask again a few times, then say so.
    bool up = false;
    for (int attempt = 0; attempt < 5 && !up; ++attempt) {
        if (attempt > 0) SDL_Delay(100);
        up = SDL_Init(SDL_INIT_VIDEO) == 0;
    }
    if (!up) {
        error = std::string("the display's size cannot be known (") + SDL_GetError() +
                "), and --scale and --fullscreen are planned by it";
        return false;
    }
    // Before a mode is set, SDL's current size is the desktop's.
    int width = 0, height = 0;
    if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
        width = info->current_w;
        height = info->current_h;
    }
    return planScreen(scale, fullscreen, width, height, plan, error);
}

SDL_Surface* openScaledScreen(const char* caption, const ScreenPlan& plan, ScaledWindow& window) {
    const Uint32 flags = SDL_DOUBLEBUF | (plan.fullscreen ? SDL_FULLSCREEN : 0);
    SDL_Surface* shown = initVideo(caption, plan.width, plan.height, flags);
    if (shown == nullptr) return nullptr;
    // The window's format, so the game's blits and the pictures' conversion are the plain run's.
    const SDL_PixelFormat* f = shown->format;
    SDL_Surface* frame =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 500, 32, f->Rmask, f->Gmask, f->Bmask, f->Amask);
    if (frame == nullptr) {
        // The window opened; what failed is the game's own frame, so close the window too.
        std::fprintf(stderr, "foldbot: no memory for the game's 800 x 500 frame: %s\n",
                     SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    clearWindow(shown);
    // Nothing in the game uses the pointer, and full screen it would sit over the picture.
    if (plan.fullscreen) SDL_ShowCursor(SDL_DISABLE);
    window = ScaledWindow{shown, plan.scale, plan.left, plan.top};
    return frame;
}
