// Map files as authors write them: what is read, which board a map plays on, and every way a
// file can be wrong, each pointed at its line and column.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "content/Content.h"
#include "content/LevelCode.h"
#include "content/MapFile.h"
#include "content/TextFile.h"

namespace {

MapFile parsed(const std::string& text) {
    MapFile map;
    std::string error;
    EXPECT_TRUE(parseMap(text, "t.map", map, error)) << error;
    return map;
}

std::string errorOf(const std::string& text) {
    MapFile map;
    std::string error;
    EXPECT_FALSE(parseMap(text, "t.map", map, error)) << "accepted: " << text;
    return error;
}

} // namespace

TEST(MapFiles, HeaderRowsAndLineEndsAsAnEditorLeavesThem) {
    // A byte order mark, CRLF, a trimmed short row, a comment and a key from a later version.
    const MapFile map = parsed("\xEF\xBB\xBF; title: First steps\r\n; A note\r\n; Poses: figure\r\n"
                               "; colour: blue\r\n#####\r\n#12 \r\n# @\r\n#####");
    EXPECT_EQ(map.title, "First steps");
    EXPECT_TRUE(map.figurePoses);
    EXPECT_EQ(map.value("colour"), "blue");
    EXPECT_EQ(std::tuple(map.width, map.height, map.blocks()), std::tuple(5, 4, 2));
    EXPECT_EQ(map.rows, "#####"
                        "#12  "
                        "# @  "
                        "#####");
    // Drawn whole on a 40 x 25 board whose cells outside the map are walls.
    EXPECT_FALSE(map.large);
    EXPECT_EQ(std::tuple(map.boardW, map.boardH, map.viewW, map.viewH), std::tuple(40, 25, 5, 4));
    EXPECT_EQ(map.boardText.substr(40, 6), "#12  #");
    EXPECT_EQ(map.boardText.substr(160, 40), std::string(40, '#'));

    // A blank line is a row of open air, and the last line end is optional.
    EXPECT_EQ(parsed("\n1@\n").height, 2);
    EXPECT_EQ(parsed("\n1@").height, 2);
    // Blanks nobody sees at the ends of rows and below the last row do not count, even past the
    // largest map; a demo recorded while they did cannot pass for one of the map as it is now.
    const std::string blanks = "1@  \r\n #\n   \n\n";
    const MapFile trimmed = parsed(blanks);
    EXPECT_EQ(std::tuple(trimmed.width, trimmed.height, trimmed.formerWidth, trimmed.formerHeight),
              std::tuple(2, 2, 4, 4));
    EXPECT_EQ(trimmed.formerChecksum, contentChecksum(blanks));
    EXPECT_NE(trimmed.checksum, trimmed.formerChecksum);
    EXPECT_EQ(parsed("1@\n#").formerChecksum, 0u);
    EXPECT_FALSE(parsed(std::string(40, '#') + " \n1@").large);
    std::string deep = std::string(80, '@') + "    \n1";
    for (int i = 0; i < 60; ++i) deep += "\n ";
    EXPECT_EQ(std::tuple(parsed(deep).width, parsed(deep).height), std::tuple(80, 2));
    EXPECT_FALSE(parsed("; poses: chain\n1@").figurePoses);
    EXPECT_NE(parsed("1@").checksum, parsed("1@\n").checksum);

    // Past the screen in either direction: the second level's board and scrolling view.
    const MapFile wide = parsed(std::string(41, '#') + "\n1@");
    EXPECT_TRUE(wide.large);
    EXPECT_EQ(std::tuple(wide.boardW, wide.boardH, wide.viewW, wide.viewH),
              std::tuple(80, 50, 40, 25));
    std::string tall = "1@\n";
    for (int i = 0; i < 25; ++i) tall += "#\n";
    EXPECT_TRUE(parsed(tall).large);
}

TEST(MapFiles, EachFaultIsNamedWhereItIs) {
    const std::string row80(80, '#');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1@\n#\t#", "line 2, column 2: a tab"},
        {"1@$", "line 1, column 3: unknown character '$'"},
        {std::string("1@ \0", 4), "line 1, column 4: a NUL byte"},
        {"1@\xC3\xA9", "line 1, column 3: the byte 0xC3"},
        {"1@a", "line 1, column 3: unknown character 'a'"},
        {row80 + "#\n1@", "line 1, column 81: the row is longer than 80 cells"},
        {"", "line 1, column 1: the file is empty"},
        {"; title: x\n", "line 2, column 1: the file has a header but no map rows"},
        {"; title: x\n###\n# @", "line 2, column 1: the map has no block"},
        {"#1#\n# #", "line 1, column 1: the map has no goal cell"},
        {"12@\n 2", "line 2, column 2: block '2' is already on line 1, column 2"},
        {"1@\n; title: late", "line 2, column 1: a header line after the first row"},
        {"; poses: dancer\n1@", "line 1, column 10: unknown poses \"dancer\""},
        {"; title: a\x1b[2Jb\n1@", "line 1, column 11: the control character 0x1B"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_NE(errorOf(text).find("t.map, " + message), std::string::npos)
            << errorOf(text) << "\nwanted: " << message;
    std::string many;
    for (int i = 0; i < 50; ++i) many += i == 0 ? "1@\n" : "#\n";
    parsed(many);
    EXPECT_NE(errorOf(many + "#").find("line 51, column 1: more than 50 rows"), std::string::npos);
}

// Only plain files are read: nothing a player names can make the game wait or eat memory.
TEST(MapFiles, OnlyPlainFilesOfAtMostOneMiBAreRead) {
    const std::string dir = "/tmp/foldbot-maps-" + std::to_string(getpid());
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    const std::string fifo = dir + "/pipe", big = dir + "/big.map";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(big) << std::string(textFileLimit + 1, '#');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir + "/none.map", "cannot read it: No such file or directory"},
        {dir, "is a folder"},
        {"/dev/zero", "is not a plain file"},
        {fifo, "is not a plain file"},
        {big, "is larger than 1 MiB"},
    };
    for (const auto& [path, message] : cases) {
        MapFile map;
        std::string error;
        EXPECT_FALSE(readMapFile(path, map, error));
        EXPECT_EQ(error.rfind(path + ": " + message, 0), 0u) << error;
    }
    std::string bytes, error;
    std::ofstream(dir + "/ok.map") << "1@";
    EXPECT_TRUE(readTextFile(dir + "/ok.map", bytes, error));
    EXPECT_EQ(bytes, "1@");
    for (const char* f : {"/pipe", "/big.map", "/ok.map"}) unlink((dir + f).c_str());
    rmdir(dir.c_str());
}

// Level codes: every map the game ships goes to a code and back whole, short enough for a link;
// a bad code is refused at the character that is wrong.
TEST(LevelCodes, ShippedMapsRoundTripInShortCodes) {
    std::vector<MapFile> maps;
    std::string error;
    ASSERT_TRUE(readPack(SOURCE_ROOT "/levels", maps, error)) << error;
    for (const auto& [board, w, h, title] :
         {std::tuple(contentTexts[1], 40, 20, "The first level"),
          std::tuple(contentTexts[2], 80, 50, "The second level")})
        maps.push_back(parsed(mapFileText(board, w, h, title)));
    for (const MapFile& map : maps) {
        SCOPED_TRACE(map.title);
        const std::string code = levelCode(map);
        EXPECT_LE(code.size(), map.path == "t.map" ? 1000u : 150u); // a pack file's, with its title
        MapFile back;
        ASSERT_TRUE(decodeLevel(code, back, error)) << error;
        // The same board, so the same frames.
        EXPECT_EQ(std::tuple(back.width, back.height, back.rows, back.title, back.boardText),
                  std::tuple(map.width, map.height, map.rows, map.title, map.boardText));
        EXPECT_EQ(back.value("shortest"), map.value("shortest"));
    }
}

TEST(LevelCodes, BadCodesSayWhatAndWhere) {
    const std::string good = levelCode(parsed("; title: Up\n####\n#12#\n#@ #\n####"));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "character 1: the code is empty"},
        {"B" + good.substr(1), "character 1: unknown version 'B'"},
        {good.substr(0, 5) + "." + good.substr(6), "character 6: '.' is not in a code's alphabet"},
        {good.substr(0, good.size() - 1), "the code ends inside the map (is it cut short?)"},
        {good + "A", "characters after the map's last cell"},
        {"A_", "the code ends inside the width"},
        {"AxC", "character 2: a width of 81"},
        {"ADDAA_", "character 6: a run's length where a cell was expected"},
        {"ACBAAAo", "character 6: a run of 16 cells past the map's end (2 x 1 cells)"},
        {"ACBAAGG", "character 7: block '1' is already on line 2, column 1"},
        {"ACBAAGA", "character 6: the map has no goal cell '@'"},
        {std::string(levelCodeMaxBytes + 1, 'A'), "longer than 8192 characters"},
    };
    for (const auto& [code, message] : cases) {
        MapFile map;
        std::string error;
        EXPECT_FALSE(decodeLevel(code, map, error)) << code;
        EXPECT_NE(error.find(message), std::string::npos) << code << ": " << error;
    }
}
