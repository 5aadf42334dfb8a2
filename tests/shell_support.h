// Helpers for the shell's tests: scratch folders, files, and the generated pictures and tracks.
#pragma once

#include <string>

#include "SDL.h"

// Points SDL at its dummy video and audio drivers, for a machine without a display.
void useDummyDrivers();

// A filled bitmap of the given size, written with SDL.
void writeBitmap(const std::string& path, int w, int h, Uint8 r, Uint8 g, Uint8 b);

// Where the build put a generated picture or track, such as "snd/goof.ogg".
std::string asset(const std::string& name);

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

// A fresh empty folder under the temporary directory.
std::string makeTempDir();
