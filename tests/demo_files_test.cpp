// Demo files as people write and edit them, and the program's answers to bad command lines.
#include <string>
#include <vector>

#include <filesystem>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/Demo.h"
#include "demo_support.h"

using namespace demo_test;

TEST(DemoFiles, EveryKeyAndEventReadsBackAsWritten) {
    std::string text = "foldbot-demo 1\n";
    std::vector<DemoEvent> written;
    uint32_t frame = 0;
    auto add = [&](int type, int key) {
        DemoEvent e;
        e.frame = frame += 7;
        e.type = static_cast<uint8_t>(type);
        e.key = static_cast<uint16_t>(key);
        written.push_back(e);
        char line[96];
        formatDemoLine(line, sizeof line, e);
        text += std::string(line) + "\n";
    };
    for (int key = 0; key < SDLK_LAST; ++key) add(key % 2 ? SDL_KEYUP : SDL_KEYDOWN, key);
    for (int type = 1; type < SDL_NUMEVENTS; ++type)
        if (type != SDL_KEYDOWN && type != SDL_KEYUP) add(type, 0);

    std::vector<DemoEvent> read;
    std::string error;
    ASSERT_TRUE(parseDemo(text, read, error)) << error;
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].frame, written[i].frame) << i;
        EXPECT_EQ(read[i].type, written[i].type) << i;
        EXPECT_EQ(read[i].key, written[i].key) << i;
    }
    // Unnamed keys are numbers of two digits or more, so they never read as a digit's key.
    EXPECT_NE(text.find("\n7 down 00\n"), std::string::npos);
    EXPECT_NE(text.find(" up 1\n"), std::string::npos);
    EXPECT_NE(text.find(" down page up\n"), std::string::npos);
    EXPECT_NE(text.find(" up #\n"), std::string::npos);
}

TEST(DemoFiles, HandEditsAreReadAndFaultsNamedByLine) {
    std::vector<DemoEvent> events;
    std::string error;
    ASSERT_TRUE(parseDemo("foldbot-demo 1\r\n# my route\r\n\r\n  12\tDown   Return \r\n"
                          "13 down 113\n14 up Q\n20 quit",
                          events, error))
        << error;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].frame, 12u);
    EXPECT_EQ(events[0].key, SDLK_RETURN);
    EXPECT_EQ(events[1].key, SDLK_q);
    EXPECT_EQ(events[2].type, SDL_KEYUP);
    EXPECT_EQ(events[2].key, SDLK_q);
    EXPECT_EQ(events[3].type, SDL_QUIT);

    const std::vector<std::pair<std::string, std::string>> faults{
        {"", "line 1: not a demo: it should begin with \"foldbot-demo 1\""},
        {"12 down q\n", "line 1: not a demo: it should begin with \"foldbot-demo 1\""},
        {"foldbot-demo 2\n", "line 1: demo version 2 is newer than this game reads (1)"},
        {"foldbot-demo 1\n5 down q\n5 down w\n",
         "line 3: frame 5 is not after the frame before, 5 (one event a frame, in order)"},
        {"foldbot-demo 1\n0 quit\n", "line 2: frames count from 1"},
        {"foldbot-demo 1\n4294967296 quit\n",
         "line 2: the line should start with a frame number, not \"4294967296\""},
        {"foldbot-demo 1\n9 jump\n",
         "line 2: unknown event \"jump\" (down KEY, up KEY, quit, focus, mouse-motion, "
         "mouse-down, mouse-up, resize, expose or event NUMBER)"},
        {"foldbot-demo 1\n9 down\n", "line 2: \"down\" needs a key"},
        {"foldbot-demo 1\n9 down qq\n", "line 2: unknown key \"qq\""},
        {"foldbot-demo 1\n9 down 323\n", "line 2: unknown key \"323\""},
        {"foldbot-demo 1\n9 quit now\n", "line 2: nothing may follow \"quit\", but \"now\" does"},
        {"foldbot-demo 1\n9 event 32\n",
         "line 2: \"event\" needs an SDL event type from 1 to 31, not \"32\""},
    };
    for (const auto& [text, message] : faults) {
        error.clear();
        EXPECT_FALSE(parseDemo(text, events, error)) << text;
        EXPECT_EQ(error, message) << text;
    }
}

// Every refusal comes before start-up: run where there are no pictures, the game would say so.
TEST(DemoProgram, BadOptionsAndFilesExitWithStatusTwoBeforeAnyWindow) {
    const std::string dir = scratchPath("options");
    mkdir(dir.c_str(), 0755);
    auto put = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name) << text;
        return name;
    };
    const std::string bad = put("bad.demo", "foldbot-demo 1\n10 down q\n11 down w x\n");
    const std::string good = put("good.demo", "foldbot-demo 1\n2 quit\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--jump"}, "unknown option \"--jump\" (see --help)"},
        {{"--record"}, "--record needs a file name (see --help)"},
        {{"--replay", good, "--replay", good}, "--replay is given twice (see --help)"},
        {{"--fast"}, "--fast needs --replay or --walkthrough (see --help)"},
        {{"--walkthrough", "--replay", good},
         "--replay and --walkthrough both play a demo; choose one (see --help)"},
        {{"--replay", "missing.demo"}, "missing.demo: cannot read it: No such file or directory"},
        {{"--replay", "."}, ".: cannot read it: Is a directory"},
        {{"--replay", bad}, bad + ", line 3: unknown key \"w x\""},
        {{"--replay", good, "--record", "no/such/folder.demo"},
         "no/such/folder.demo: cannot write it: No such file or directory"},
    };
    for (const auto& [args, message] : cases) {
        Outcome run = runProgram(FOLDBOT_BIN, args, dir);
        EXPECT_TRUE(exitedWith(run, 2)) << message << " " << run.status;
        EXPECT_EQ(run.err, "foldbot: " + message + "\n");
        EXPECT_EQ(run.out, "");
    }

    Outcome help = runProgram(FOLDBOT_BIN, {"--replay", "missing.demo", "--help"}, dir);
    EXPECT_TRUE(exitedWith(help, 0));
    EXPECT_EQ(help.out.rfind("Usage: foldbot [--record FILE]", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--walkthrough"), std::string::npos);
    EXPECT_EQ(help.err, "");

    // A good demo starts the game: it reports the missing pictures, then quits on frame 2.
    Outcome played = runProgram(FOLDBOT_BIN, {"--replay", good, "--fast"}, dir);
    EXPECT_TRUE(exitedWith(played, 0)) << played.status;
    EXPECT_EQ(played.out.rfind("porbl\xE8me avec le fichier ./img/title.bmp\n", 0), 0u);
    std::filesystem::remove_all(dir);
}
