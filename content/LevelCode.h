// Level codes: a level as a short text that travels in a link, versioned, in the URL-safe
// alphabet A-Z a-z 0-9 - _ (docs/levels.md says how to read one).
#pragma once

#include <string>

#include "content/MapFile.h"

// A code longer than this is refused before it is read.
constexpr size_t levelCodeMaxBytes = 8192;

// The code of a parsed map: its cells as the parser reads them, title, pose set and, where the
// header says so, its proven shortest.
std::string levelCode(const MapFile& map);

// The map file a code stands for. False, with what is wrong and at which character (counted
// from 1) in `error`, for a code that cannot be read.
bool decodeLevelText(const std::string& code, std::string& text, std::string& error);

// The same, parsed by the map parser, so a code breaks no rule a file could not break.
bool decodeLevel(const std::string& code, MapFile& map, std::string& error);
