// Arbitrary bytes as a level code: a code is refused with a message or decoded into a map that
// the map parser takes, and a decoded map's own code gives that map back.
#include <cstdlib>
#include <string>

#include "content/LevelCode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string code(reinterpret_cast<const char*>(data), size);
    MapFile map, again;
    std::string error;
    if (!decodeLevel(code, map, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (!decodeLevel(levelCode(map), again, error) || again.rows != map.rows ||
        again.width != map.width || again.height != map.height || again.title != map.title ||
        again.figurePoses != map.figurePoses || again.value("shortest") != map.value("shortest"))
        std::abort();
    return 0;
}
