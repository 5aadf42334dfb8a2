// Demo files as people write and edit them, and the program's answers to bad command lines.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/Demo.h"
#include "demo_support.h"

using namespace demo_test;

TEST(DemoFiles, EveryKeyAndEventReadsBackAsWritten) {
    std::string text = "foldbot-demo 1\n", again = text;
    char line[96];
    for (int i = 1; i < SDLK_LAST + SDL_NUMEVENTS; ++i) {
        const bool key = i <= SDLK_LAST;
        DemoEvent e{static_cast<uint32_t>(7 * i),
                    static_cast<uint32_t>(key ? 2 + i % 2 : i - SDLK_LAST),
                    static_cast<uint16_t>(key ? i - 1 : 0)};
        if (!key && (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP)) continue;
        formatDemoLine(line, sizeof line, e);
        text += std::string(line) + "\n";
    }
    text += "99999 end\n";
    std::vector<DemoEvent> read;
    std::string error;
    ASSERT_TRUE(parseDemo(text, read, error)) << error;
    for (const DemoEvent& e : read) {
        formatDemoLine(line, sizeof line, e);
        again += std::string(line) + "\n";
    }
    EXPECT_EQ(again, text);
    // Unnamed keys are numbers of two digits or more, so they never read as a digit's key.
    for (const char* line : {"\n7 up 00\n", "\n14 down 01\n", "\n350 down 1\n",
                             "\n1967 up page up\n", "\n252 down #\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(DemoFiles, HandEditsAreReadAndFaultsNamedByLine) {
    std::vector<DemoEvent> events;
    std::string error;
    ASSERT_TRUE(parseDemo("foldbot-demo 1\r\n# my route\r\n\r\n  12\tDown   Return \r\n"
                          "13 down 113\n14 up Q\n20 quit",
                          events, error))
        << error;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_TRUE(events[0].frame == 12 && events[0].key == SDLK_RETURN);
    EXPECT_TRUE(events[1].type == SDL_KEYDOWN && events[1].key == SDLK_q);
    EXPECT_TRUE(events[2].type == SDL_KEYUP && events[2].key == SDLK_q);
    EXPECT_EQ(events[3].type, SDL_QUIT);
    // A version 2 demo says how its game was started; a map's name may hold blanks.
    DemoSetup setup;
    ASSERT_TRUE(parseDemo("foldbot-demo 2\n# how it began\nOption practice\noption level 2\n"
                          "option map my maps/a b.map  00000000DEADBEEF \noption chooser 12\n"
                          "option code AbC-_9\n5 down c\n",
                          events, error, &setup))
        << error;
    EXPECT_TRUE(setup.practice);
    EXPECT_EQ(setup.level, 2);
    ASSERT_EQ(setup.maps.size(), 1u);
    EXPECT_EQ(setup.maps[0].name, "my maps/a b.map");
    EXPECT_EQ(setup.maps[0].checksum, "00000000deadbeef");
    EXPECT_TRUE(setup.chooser && setup.selected == 12 && setup.code == "AbC-_9");
    EXPECT_EQ(events.size(), 1u);

    const std::string head = "foldbot-demo 1\n9 quit\n";
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"12 down q\n", "line 1: not a demo: it should begin with \"foldbot-demo 1\""},
             {"foldbot-demo 3\n", "line 1: demo version 3 is newer than this game reads (2)"},
             {head + "option practice\n", "line 3: option lines need a version 2 demo "
                                          "(\"foldbot-demo 2\")"},
             {"foldbot-demo 2\n9 quit\noption practice\n",
              "line 3: option lines come before the first event"},
             {"foldbot-demo 2\noption scale 2\n",
              "line 2: unknown option \"scale 2\" (a demo may say: option practice, option "
              "level N, option map FILE CHECKSUM, option code CODE, option chooser, option "
              "counter, option comfort)"},
             {"foldbot-demo 2\noption level two\n",
              "line 2: \"option level\" needs a level number, not \"two\""},
             {"foldbot-demo 2\noption map a.map 12ab\n",
              "line 2: \"option map\" needs a file name and its checksum of 16 hex digits"},
             {head + "9 down w\n",
              "line 3: frame 9 is not after the frame before, 9 (one event a frame, in order)"},
             {head + "4294967296 quit\n",
              "line 3: the line should start with a frame number, not \"4294967296\""},
             {head + "10 down\n", "line 3: \"down\" needs a key"},
             {head + "10 down 323\n", "line 3: unknown key \"323\""},
             {head + "10 quit now\n", "line 3: nothing may follow \"quit\", but \"now\" does"},
             {head + "10 end\n11 quit\n",
              "line 4: nothing may follow the end of the demo, on frame 10"},
         }) {
        EXPECT_FALSE(parseDemo(text, events, error)) << text;
        EXPECT_EQ(error, message) << text;
    }
}

// Every refusal comes before start-up: where there are no pictures the game would report them.
TEST(DemoProgram, BadOptionsAndFilesExitWithStatusTwoBeforeAnyWindow) {
    const std::string dir = scratchPath("options");
    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/bad.demo") << "foldbot-demo 1\n10 down q\n11 down w x\n";
    std::ofstream(dir + "/good.demo") << "foldbot-demo 1\n2 quit\n";
    // One case for each way a run is checked; each message up to its end, or to where the
    // case's own words stop. The files' own faults are the readers' tests.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--jump"}, "unknown option \"--jump\" (see --help)"},
        {{"--record"}, "--record needs a file name (see --help)"},
        {{"--scale=5"}, "--scale takes 1, 2, 3 or 4, not \"5\" (see --help)"},
        {{"--level", "-1"}, "--level takes a level number from 1 to 999, not \"-1\" (see --help)"},
        {{"--level=3"}, "--level 3: there are 2 levels (see --help)"},
        {{"--replay", "good.demo", "--level", "2"}, "--level cannot go with --replay: the demo"},
        {{"--level", "1", "--walkthrough"}, "--walkthrough plays the shipped game from its"},
        {{"--replay", "missing.demo"}, "missing.demo: cannot read it: No such file or directory"},
        {{"--pack"}, "levels: cannot read the pack's folder: No such file or directory"},
        {{"--code", "AxC", "--practice"}, "level code, character 2: a width of 81 (1 to 80)"},
        {{"--replay", "bad.demo"}, "bad.demo, line 3: unknown key \"w x\""},
        {{"--replay", "good.demo", "--record", "no/folder.demo"},
         "no/folder.demo: cannot write it: No such file or directory"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> command{FOLDBOT_BIN};
        command.insert(command.end(), args.begin(), args.end());
        Outcome run = runProgram(command, dir);
        EXPECT_TRUE(exitedWith(run.status, 2)) << message;
        EXPECT_EQ(run.err.rfind("foldbot: " + message, 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(run.out, "");
    }
    Outcome help = runProgram({FOLDBOT_BIN, "--replay", "missing.demo", "--help"}, dir);
    EXPECT_TRUE(exitedWith(help.status, 0));
    EXPECT_EQ(help.out.rfind("Usage: foldbot [--practice] [--level N]", 0), 0u);
    // A pack's levels are listed by title, size and a path the player can open; a bad file
    // is listed with its fault in its own place, which no level number skips.
    std::filesystem::create_directory(dir + "/levels");
    std::ofstream(dir + "/levels/03-b.map") << "; title: Second\n; shortest: 1 steps\n12\n@\n";
    std::ofstream(dir + "/levels/02-bad.map") << "1@$\n";
    std::ofstream(dir + "/levels/01-a.map") << "; title: First\n1@\n";
    // A folder of maps inside is a pack of its own, listed after the first.
    std::filesystem::create_directory(dir + "/levels/hard");
    std::ofstream(dir + "/levels/hard/01-c.map") << "; title: Third\n1@\n";
    Outcome listed = runProgram({FOLDBOT_BIN, "--levels"}, dir);
    EXPECT_TRUE(exitedWith(listed.status, 0));
    const std::string at = std::filesystem::canonical(dir).string() + "/levels/";
    EXPECT_EQ(listed.out, "Level pack\n 1  First                        2 x 1, one screen   " + at +
                              "01-a.map\n" + " 2  (cannot be played)           " + at +
                              "02-bad.map, line 1, column 3: unknown character '$'\n" +
                              " 3  Second                       2 x 2, one screen   " + at +
                              "03-b.map, shortest 1 steps\n\nHard pack\n" +
                              " 1  Third                        2 x 1, one screen   " + at +
                              "hard/01-c.map\nPlay one with: foldbot --pack --level N\n" +
                              "           or: foldbot --pack hard --level N\n");
    for (const auto& [pack, level, message] :
         {std::tuple("", "4", "--level 4: there are 3 levels in the pack (see --help)"),
          std::tuple("", "2", "--level 2: levels/02-bad.map, line 1, column 3: unknown character"),
          std::tuple("hard", "2", "--level 2: there is 1 level in the hard pack (see --help)"),
          std::tuple("easy", "1",
                     "--pack easy: there is no such pack in levels/ (there is hard)")}) {
        std::vector<std::string> command{FOLDBOT_BIN, "--pack", "--level", level};
        if (*pack) command.insert(command.begin() + 2, pack);
        Outcome past = runProgram(command, dir);
        EXPECT_TRUE(exitedWith(past.status, 2));
        EXPECT_EQ(past.err.rfind(std::string("foldbot: ") + message, 0), 0u) << past.err;
    }
    // A good demo does start the game, which reports the missing pictures and quits on frame 2.
    Outcome played = runProgram({FOLDBOT_BIN, "--replay", "good.demo", "--fast"}, dir);
    EXPECT_TRUE(exitedWith(played.status, 0));
    EXPECT_EQ(played.out.rfind("porbl\xE8me avec le fichier ./img/title.bmp\n", 0), 0u);
    std::filesystem::remove_all(dir);
}
