// Choices a player makes once and keeps: the music muted, the pose keys by their place. Kept
// beside the progress file, and taken only by practice, pack and map runs: never by the plain
// game, a replay or a test.
#pragma once

#include <string>

struct Settings {
    bool muted = false;
    bool keysByPlace = false;
};

// "settings" in the progress file's folder; "" when there is none.
std::string settingsPath();

// A missing or unreadable file gives the defaults; lines it does not know are passed over.
Settings readSettings(const std::string& path);
// False when the file cannot be written.
bool writeSettings(const std::string& path, const Settings& settings);
