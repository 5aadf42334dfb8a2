// The game's entry, called by the start-up stand-in; SDL 1.2 declares it only where it renames
// main.
#pragma once

extern "C" int SDL_main(int argc, char* argv[]);
