// The pose keys by their place.
#include "app/KeyPlace.h"

#include "content/Keys.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>

// The page's SDL gives only the layout's key; the place comes from KeyboardEvent.code, noted as
// each key goes down or up, by its key code.
EM_JS(void, watchKeyPlaces, (), {
    var places = [ 'KeyQ', 'KeyW', 'KeyE', 'KeyA', 'KeyS', 'KeyD', 'KeyZ', 'KeyX', 'KeyC' ];
    Module['keyPlaces'] = {};
    var note = function(event) {
        // An event made without a code keeps its letter.
        Module['keyPlaces'][event.keyCode] = event.code ? places.indexOf(event.code) : -2;
    };
    window.addEventListener('keydown', note, true);
    window.addEventListener('keyup', note, true);
});

EM_JS(int, placeOfKeyCode, (int code), {
    var place = Module['keyPlaces'] ? Module['keyPlaces'][code] : -2;
    return typeof place == 'number' ? place : -2;
});

static const bool watching = (watchKeyPlaces(), true);

int placeOf(const SDL_keysym& key) {
    (void)watching;
    const int sym = key.sym;
    return placeOfKeyCode(sym >= 'a' && sym <= 'z' ? sym - 32 : sym);
}
#else
// X keycodes of q w e / a s d / z x c on a PC keyboard, whatever the layout.
int placeOf(const SDL_keysym& key) {
    static const Uint8 codes[9] = {24, 25, 26, 38, 39, 40, 52, 53, 54};
    if (key.scancode == 0) return -2;
    for (int d = 0; d < 9; ++d)
        if (key.scancode == codes[d]) return d;
    return -1;
}
#endif

int KeyPlaces::poll(SDL_Event* event) {
    const int taken = inner.poll(inner.context, event);
    if (!taken || (event->type != SDL_KEYDOWN && event->type != SDL_KEYUP)) return taken;
    const int place = placeOf(event->key.keysym);
    if (place >= 0)
        event->key.keysym.sym = poseKeys[place];
    else if (place == -1 && directionOf(event->key.keysym.sym) >= 0 &&
             directionOf(event->key.keysym.sym) < 9)
        event->key.keysym.sym = SDLK_UNKNOWN; // a pose letter away from the block
    return taken;
}
