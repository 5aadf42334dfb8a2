// The browser's platform layer: what Emscripten's SDL 1.2 leaves out or does differently, so the
// game's own code runs on it unchanged. Linked into the browser build only; these definitions
// take the place of Emscripten's JavaScript ones.
#include "SDL.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "content/LevelCode.h"

// Emscripten's screen is the page's canvas itself, drawn into as the frame is built, and its flip
// does nothing: the browser would show each frame with the next background already laid over it.
// So SDL gets a canvas of its own, the back buffer, and the page's canvas shows flipped frames.
EM_JS(void, splitScreen, (), {
    Module['shownCanvas'] = Module['canvas'];
    Module['canvas'] = document.createElement('canvas');
});

EM_JS(void, showFrame, (), {
    var shown = Module['shownCanvas'];
    var back = Module['canvas'];
    if (shown.width != back.width || shown.height != back.height) {
        shown.width = back.width;
        shown.height = back.height;
    }
    var ctx = shown.getContext('2d');
    // What SDL never drew on is still transparent; on the desktop it is the black of a new screen.
    ctx.fillStyle = '#000';
    ctx.fillRect(0, 0, shown.width, shown.height);
    ctx.drawImage(back, 0, 0);
    if (Module['onFlip']) Module['onFlip'](shown);
});

// The desktop game never turns key repeat on, so a held key counts once; Emscripten's SDL would
// pass on every repeat the browser makes, and a held Escape would go on to quit the end scene.
EM_JS(void, dropKeyRepeats, (), {
    window.addEventListener(
        'keydown',
        function(event) {
            if (!event.repeat) return;
            event.stopImmediatePropagation();
            event.preventDefault();
        },
        true);
});

// Before SDL_main opens the screen and starts listening to keys.
[[maybe_unused]] static const bool pageReady = (splitScreen(), dropKeyRepeats(), true);

// #map=CODE plays a level code as --map plays a file: the game's own decoder writes the file.
// With the word "route" the editor's proof of it replays instead, left in the tab's session.
EM_JS(char*, fragmentCode, (), {
    var words = location.hash.slice(1).split('&');
    for (var i = 0; i < words.length; ++i)
        if (words[i].indexOf('map=') == 0) return allocateUTF8(words[i].slice(4));
    return 0;
});

EM_JS(void, playLevelFile, (const char* path), {
    var args = Module['arguments'], route = null;
    try {
        if (location.hash.slice(1).split('&').indexOf('route') >= 0)
            route = sessionStorage.getItem('foldbot-route');
    } catch (e) {
    }
    if (route) {
        FS.writeFile('/route.demo', route);
        args.push('--replay', '/route.demo');
    } else {
        args.push('--map', UTF8ToString(path));
    }
});

static bool playLevelCode() {
    char* code = fragmentCode();
    if (code == nullptr) return false;
    const char* path = "/level.map";
    std::string text, error;
    // A bad code leaves no file, so the game stops; the page shows the first refusal, this one.
    if (decodeLevelText(code, text, error)) {
        if (FILE* f = std::fopen(path, "w")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    } else {
        std::fprintf(stderr, "foldbot: %s\n", error.c_str());
    }
    std::free(code);
    playLevelFile(path);
    return true;
}
[[maybe_unused]] static const bool codePlayed = playLevelCode();

extern "C" {

// Declared by Emscripten's headers but never defined: every surface there is already in the
// canvas format, so a copy is the conversion.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (surface == nullptr || screen == nullptr) return nullptr;
    return SDL_ConvertSurface(surface, screen->format, 0);
}

// Emscripten ignores colour keys and would draw the key colour. Canvases blend by alpha, so the
// key's pixels become fully transparent and every other pixel fully opaque, once, here.
int SDL_SetColorKey(SDL_Surface* surface, int flag, Uint32 key) {
    if (surface == nullptr) return -1;
    if (flag == 0) return 0;
    const SDL_PixelFormat* f = surface->format;
    const Uint32 colour = f->Rmask | f->Gmask | f->Bmask;
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x)
            row[x] = (row[x] & colour) == (key & colour) ? 0 : row[x] | f->Amask;
    }
    SDL_UnlockSurface(surface);
    return 0;
}

int SDL_Flip(SDL_Surface*) {
    showFrame();
    return 0;
}

} // extern "C"
