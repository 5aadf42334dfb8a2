// Map files as authors write them: what is read, which board a map plays on, and every way a
// file can be wrong, each pointed at its line and column.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

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
