// Key files: read as people may edit them, written one direction a line.
#include "content/Keys.h"

#include <cstdio>
#include <sstream>

#include "content/TextFile.h"

bool readKeyFile(const std::string& path, std::vector<int>& keys, std::string& why) {
    std::string text;
    if (!readTextFile(path, text, why)) return false;
    keys.clear();
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        int key = 0;
        char extra = 0;
        // Blanks around the number, a CR among them, are allowed; anything else is not.
        if (std::sscanf(line.c_str(), "%d %c", &key, &extra) != 1 ||
            !(key == spaceKey || key == noKey || (key >= 0 && key <= 8))) {
            why = path + ":" + std::to_string(number) + ": not a key (0 to 8, -1 or 1000)";
            return false;
        }
        keys.push_back(key);
    }
    return true;
}

bool writeKeyFile(const std::string& path, const std::vector<int>& keys) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    for (int k : keys) std::fprintf(f, "%d\n", k);
    return std::fclose(f) == 0;
}
