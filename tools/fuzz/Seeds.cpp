// Writes each harness's starting corpus: OUTPUT/picture/ and OUTPUT/keys/.
#include "app/Walkthrough.h"
#include "content/Content.h"
#include "content/LevelCode.h"
#include "content/MapFile.h"
#include "tools/fuzz/Bitmaps.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

bool save(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Key streams: low nibble a key (0-8 poses, 9 Space, above that none), high nibble a pause.
std::vector<std::vector<uint8_t>> keySeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    seeds.push_back(
        {0x08, 0xF0, 0xF2, 0xF8, 0xF2, 0xF8, 0xF2, 0xF8}); // fold and unfold to the right
    seeds.push_back({0x06, 0xF0, 0xF5, 0xF6, 0xF5, 0xF6, 0xFA, 0xFA});
    seeds.push_back({0x04, 0x49, 0x43, 0xF8, 0x29, 0xF1, 0xF7, 0xFF});
    std::vector<uint8_t> every;
    for (int k = 0; k < 16; ++k) every.push_back(static_cast<uint8_t>(0x30 | k));
    seeds.push_back(every);
    // A long wait after a start, so loose blocks ride and fall their whole way.
    seeds.push_back(std::vector<uint8_t>(64, 0xFF));
    return seeds;
}

std::vector<BitmapShape> pictureShapes() {
    std::vector<BitmapShape> shapes;
    for (uint16_t depth : {1, 4, 8, 16, 24, 32}) {
        BitmapShape s;
        s.depth = depth;
        shapes.push_back(s);
        s.height = -5;
        s.width = 7;
        shapes.push_back(s);
    }
    BitmapShape shortPalette;
    shortPalette.depth = 8;
    shortPalette.colours = 3;
    shapes.push_back(shortPalette);
    shortPalette.depth = 4;
    shapes.push_back(shortPalette);
    BitmapShape old;
    old.headerSize = 12;
    shapes.push_back(old);
    old.depth = 8;
    shapes.push_back(old);
    for (uint16_t depth : {16, 32}) {
        BitmapShape masked;
        masked.depth = depth;
        masked.compression = 3;
        shapes.push_back(masked);
    }
    for (uint32_t header : {56u, 108u, 124u}) {
        BitmapShape longer;
        longer.headerSize = header;
        longer.depth = 32;
        shapes.push_back(longer);
    }
    BitmapShape sprite; // a cell of the sprite sheet's size
    sprite.width = 20;
    sprite.height = 20;
    shapes.push_back(sprite);
    return shapes;
}

std::vector<std::vector<uint8_t>> pictureSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (const BitmapShape& s : pictureShapes()) seeds.push_back(makeBitmap(s));
    return seeds;
}

// Demo files: the shipped walkthrough's opening, and short plays with every kind of line.
std::vector<std::vector<uint8_t>> demoSeeds() {
    const std::string walk = walkthroughDemoText;
    const std::vector<std::string> texts{
        walk.substr(0, walk.find('\n', 600) + 1),
        "foldbot-demo 1\n1 down return\n2 up return\n70 down c\n80 down space\n81 down e\n",
        "foldbot-demo 1\n# comment\n\n3 down RETURN\r\n9 up 13\n12 event 4\n20 quit\n",
        "foldbot-demo 1\n5 down escape\n200 down escape\n",
        "foldbot-demo 2\n1 down return\n",
        "foldbot-demo 2\noption practice\noption level 2\n5 down c\n30 down r\n40 down u\n",
        "foldbot-demo 2\noption map missing.map 0123456789abcdef\n3 down w\n",
    };
    std::vector<std::vector<uint8_t>> seeds;
    for (const std::string& t : texts) seeds.emplace_back(t.begin(), t.end());
    return seeds;
}

// Map files: the shipped levels written out, and small maps with every kind of cell and header.
std::vector<std::vector<uint8_t>> mapSeeds() {
    const std::vector<std::string> texts{
        mapFileText(contentTexts[1], 40, 20, "First level"),
        mapFileText(contentTexts[2], 80, 50, "Second level"),
        "; title: stairs\n##########\n#        #\n#12      #\n######## #\n#        #\n"
        "#@########\n",
        "\xEF\xBB\xBF; poses: figure\r\n#######\r\n#1234 #\r\n#>>!<<#\r\n###@###\r\n",
        "; shortest: 3 steps\n\n 12 3\n#<<>>#\n#!  @\n",
        std::string(41, '#') + "\n#1   2@\n",
    };
    std::vector<std::vector<uint8_t>> seeds;
    for (const std::string& t : texts) seeds.emplace_back(t.begin(), t.end());
    return seeds;
}

// Level codes: those of the map seeds that parse.
std::vector<std::vector<uint8_t>> codeSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (const auto& bytes : mapSeeds()) {
        MapFile map;
        std::string error;
        if (!parseMap(std::string(bytes.begin(), bytes.end()), "seed", map, error)) continue;
        const std::string code = levelCode(map);
        seeds.emplace_back(code.begin(), code.end());
    }
    return seeds;
}

// One entry per harness, named as its fuzz_<name> target.
const std::vector<std::pair<const char*, std::vector<std::vector<uint8_t>> (*)()>> harnesses{
    {"code", codeSeeds}, {"demo", demoSeeds},       {"keys", keySeeds},
    {"map", mapSeeds},   {"picture", pictureSeeds},
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    bool ok = true;
    for (const auto& [name, seeds] : harnesses) {
        std::filesystem::create_directories(root / name);
        int n = 0;
        for (const auto& bytes : seeds())
            ok = save(root / name / ("seed" + std::to_string(n++)), bytes) && ok;
    }
    return ok ? 0 : 1;
}
