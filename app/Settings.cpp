// The remembered choices, as "mute yes" and "keys position" lines.
#include "app/Settings.h"

#include <filesystem>
#include <fstream>

#include "app/Progress.h"

std::string settingsPath() {
    const std::string progress = progressPath();
    if (progress.empty()) return "";
    return progress.substr(0, progress.rfind('/') + 1) + "settings";
}

Settings readSettings(const std::string& path) {
    Settings settings;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "mute yes") settings.muted = true;
        if (line == "mute no") settings.muted = false;
        if (line == "keys position") settings.keysByPlace = true;
        if (line == "keys letters") settings.keysByPlace = false;
    }
    return settings;
}

bool writeSettings(const std::string& path, const Settings& settings) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    // Written whole under another name first, so a crash leaves the old file or the new one.
    const std::string fresh = path + ".new";
    {
        std::ofstream out(fresh);
        out << "mute " << (settings.muted ? "yes" : "no") << "\n"
            << "keys " << (settings.keysByPlace ? "position" : "letters") << "\n";
        if (!out.flush()) return false;
    }
    std::filesystem::rename(fresh, path, ec);
    return !ec;
}
