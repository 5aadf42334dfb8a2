// The game's window and its colour-keyed pictures.
#include "app/Video.h"

#include "app/Bitmap.h"

#include <iostream>

SDL_Surface* initVideo(const char* caption, int width, int height, Uint32 flags) {
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) == -1)
        std::cout << "Erreur lors de l'initialisation de la SDL" << SDL_GetError();
    SDL_Surface* screen = SDL_SetVideoMode(width, height, 32, flags);
    if (screen == nullptr)
        std::cout << "Erreur lors de l'initialisation de la surface desinable" << SDL_GetError();
    SDL_WM_SetCaption(caption, nullptr);
    return screen;
}

static SDL_Surface* reportPicture(const char* path) {
    // The message keeps its Latin-1 byte for the accent.
    std::cout << "porbl\xE8me avec le fichier " << path << std::endl;
    return nullptr;
}

SDL_Surface* loadImage(const char* path) {
    // The picture folder is the player's to tamper with, and SDL's reader trusts the header.
    if (!bitmapFileSound(path)) return reportPicture(path);
    SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1);
    if (loaded == nullptr) return reportPicture(path);
    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (converted == nullptr) return reportPicture(path);
    // The colour key alone, without RLE, so the pictures stay plain pixel buffers.
    SDL_SetColorKey(converted, SDL_SRCCOLORKEY, SDL_MapRGB(converted->format, 255, 128, 255));
    return converted;
}
