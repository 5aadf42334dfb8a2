// --keys position: the nine pose keys taken by their place on the keyboard, the 3 x 3 block under
// the left hand, rather than by their letters, so any layout folds the same shapes. Translated
// before the recorder sees the keys, so demos keep the letters and replay anywhere.
#pragma once

#include "SDL.h"

#include "app/SceneLoop.h"

// The direction (0..8) of the place the key sits at; -1 for a key elsewhere; -2 when the place
// cannot be told (an event the game made itself, or a touch on the page).
int placeOf(const SDL_keysym& key);

class KeyPlaces {
  public:
    int poll(SDL_Event* event);
    EventSource source(const EventSource& from) {
        inner = from;
        return pollOf(this);
    }

  private:
    EventSource inner = sdlEvents;
};
