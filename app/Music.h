// Background music: one looping track per scene.
#pragma once

#include "SDL_mixer.h"

void initAudio();

// Gives none, after saying so, when the track does not load.
Mix_Music* loadMusic(const char* path);

// Starts the track looping for ever, unless some music already plays.
void playMusic(Mix_Music* track);

void stopMusic();

// Silences the music, or gives it back; tracks started later keep the choice.
void muteMusic(bool muted);
