// Background music: one looping track per scene.
#include "app/Music.h"

#include <iostream>

void initAudio() {
    // This message's accent is UTF-8, unlike the picture message.
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096) == -1) std::cout << "probl\xC3\xA8me audio\n";
}

Mix_Music* loadMusic(const char* path) {
    Mix_Music* track = Mix_LoadMUS(path);
    if (track == nullptr) std::cout << "probleme avec le fichier musical [" << path << "]\n";
    return track;
}

void playMusic(Mix_Music* track) {
    if (Mix_PlayingMusic() == 0) Mix_PlayMusic(track, -1);
}

void stopMusic() {
    Mix_HaltMusic();
}

void muteMusic(bool muted) {
    Mix_VolumeMusic(muted ? 0 : MIX_MAX_VOLUME);
}
