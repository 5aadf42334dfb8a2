// The real program in a real X window (Xvfb), driven by xdotool and photographed with xwd: the
// plain window, and the scaled and full-screen ones. Skipped where those programs are missing;
// scripts/test-window.sh installs them and runs it.
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "demo_support.h"

using namespace demo_test;

namespace {

std::string output(const std::string& command) {
    std::string text;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
        pclose(p);
    }
    return text;
}

uint32_t be32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (size_t i = at; i < at + 4 && i < s.size(); ++i) v = v << 8 | uint8_t(s[i]);
    return v;
}

// A pixel of an xwd window dump in 32 bits a pixel, least significant byte first.
uint32_t xwdPixel(const std::string& s, int x, int y) {
    const size_t at = be32(s, 0) + 12 * be32(s, 76) + y * be32(s, 48) + 4 * x;
    if (be32(s, 44) != 32 || be32(s, 28) != 0 || s.size() < at + 4) return 0xFF000000;
    const auto* b = reinterpret_cast<const uint8_t*>(&s[at]);
    return uint32_t(b[2]) << 16 | b[1] << 8 | b[0];
}

// Stops the children still running when the test leaves early.
struct Children {
    std::vector<pid_t> running;
    ~Children() {
        for (pid_t pid : running) waitFor(pid, 0);
    }
};

bool haveXTools() {
    return !access("/usr/bin/Xvfb", X_OK) && !access("/usr/bin/xdotool", X_OK) &&
           !access("/usr/bin/xwd", X_OK);
}

// Starts Xvfb with one screen of `size` ("1024x768x24"); gives its display, such as ":1", or
// nothing when it did not start. Xvfb picks a free display and tells it on a pipe once ready.
std::string startX(const std::string& size, const std::string& log, Children& children) {
    int ready[2];
    if (pipe(ready) != 0) return "";
    pid_t server = start({"/usr/bin/Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                          size, "-nolisten", "tcp"},
                         "/", {}, log, ready[1]);
    children.running.push_back(server);
    close(ready[1]);
    // It writes the number and the line end apart, and dies if the pipe is gone in between.
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (number.empty()) return "";
    // On a busy machine the first clients have been seen turned away for a moment.
    const std::string display = ":" + number;
    for (int tries = 0; tries < 50; ++tries) {
        if (!output("DISPLAY=" + display + " timeout 5 /usr/bin/xdotool getdisplaygeometry")
                 .empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return display;
}

// The title picture's pixels as 0xRRGGBB, row by row.
std::vector<uint32_t> titlePixels() {
    std::vector<uint32_t> pixels;
    SDL_Surface* title = SDL_LoadBMP(ASSET_ROOT "/img/title.bmp");
    if (title == nullptr || title->format->BytesPerPixel != 3 || title->w != 800) return pixels;
    for (int y = 0; y < title->h; ++y)
        for (int x = 0; x < title->w; ++x) {
            const auto* b = static_cast<const uint8_t*>(title->pixels) + y * title->pitch + 3 * x;
            pixels.push_back(uint32_t(b[2]) << 16 | b[1] << 8 | b[0]);
        }
    SDL_FreeSurface(title);
    return pixels;
}

// How many pixels of a dump break the picture of the title enlarged twice at (left, top) on black,
// over the title's rows above the figure, which stands still from the first frames.
long offTitle(const std::string& shot, const std::vector<uint32_t>& title, int left, int top) {
    const int width = static_cast<int>(be32(shot, 16)), height = static_cast<int>(be32(shot, 20));
    long off = width == 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int fx = (x - left) / 2, fy = (y - top) / 2;
            if (x < left || y < top || fx >= 800 || fy >= 500)
                off += xwdPixel(shot, x, y) != 0;
            else if (fy < 250)
                off += xwdPixel(shot, x, y) != title[fy * 800 + fx];
        }
    return off;
}

} // namespace

TEST(Window, CaptionSizeTitleAndKeysInARealXWindow) {
    if (!haveXTools())
        GTEST_SKIP() << "needs xvfb, xdotool and x11-apps (scripts/test-window.sh installs them)";

    Children children;
    const std::string log = scratchPath("window");
    const std::string display = startX("1024x768x24", log, children);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    const pid_t server = children.running.back();
    const std::string x = "DISPLAY=" + display + " timeout 30 /usr/bin/";

    pid_t game =
        start({FOLDBOT_BIN}, ASSET_ROOT, {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}}, log);
    children.running.push_back(game);
    const std::string window = output(x + "xdotool search --sync --name '^!#@\\*$' | head -n1");
    ASSERT_FALSE(window.empty()) << "no window captioned !#@*";
    const std::string id = std::to_string(std::stoul(window));
    EXPECT_EQ(output(x + "xdotool getwindowname " + id), "!#@*\n");
    EXPECT_NE(output(x + "xdotool getwindowgeometry " + id).find("Geometry: 800x500"),
              std::string::npos);

    // Pixels of the title picture above the figure, which stands still from the first frames.
    const std::array<std::pair<int, int>, 6> chosen{
        {{40, 30}, {400, 60}, {760, 100}, {200, 150}, {600, 200}, {400, 240}}};
    std::vector<uint32_t> expected, seen;
    const std::vector<uint32_t> title = titlePixels();
    ASSERT_FALSE(title.empty());
    for (auto [px, py] : chosen) expected.push_back(title[py * 800 + px]);
    ASSERT_GT(std::set<uint32_t>(expected.begin(), expected.end()).size(), 2u);
    for (int tries = 0; tries < 100 && seen != expected; ++tries) {
        const std::string shot = output(x + "xwd -silent -id " + id);
        seen.clear();
        for (auto [px, py] : chosen) seen.push_back(xwdPixel(shot, px, py));
        if (seen != expected) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(seen, expected);

    // Enter, a pose key on the first level, then Escape to the end scene and Escape to quit;
    // Escape repeats until the end scene takes it, however long the wipe takes here.
    output(x + "xdotool windowfocus --sync " + id + " key Return");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    output(x + "xdotool key --clearmodifiers s");
    int status = -1;
    bool ended = false;
    for (int i = 0; i < 60 && !ended; ++i) {
        output(x + "xdotool key Escape");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ended = waitpid(game, &status, WNOHANG) == game;
    }
    if (!ended) status = waitFor(game, 1);
    EXPECT_TRUE(exitedWith(status, 0)) << status;
    kill(server, SIGTERM);
    waitFor(server, 10);
    children.running.clear();
    std::system(("rm -f " + log + ".out " + log + ".err").c_str());
}

// On a 1920 x 1080 display: --scale 3 is refused, naming 2; --scale 2 opens a 1600 x 1000 window
// of the title enlarged; --fullscreen centres that picture on black across the whole display.
TEST(Window, ScaledAndFullScreenWindowsShowTheTitleEnlarged) {
    if (!haveXTools())
        GTEST_SKIP() << "needs xvfb, xdotool and x11-apps (scripts/test-window.sh installs them)";
    Children children;
    const std::string log = scratchPath("window-scaled");
    const std::string display = startX("1920x1080x24", log, children);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    const Env env{{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}};
    const std::string x = "DISPLAY=" + display + " timeout 30 /usr/bin/";

    // Refused before start-up: from a folder without pictures the game would report them.
    const Outcome refused = runProgram({FOLDBOT_BIN, "--scale", "3"}, "/tmp", env);
    EXPECT_TRUE(exitedWith(refused.status, 2)) << refused.status;
    EXPECT_EQ(refused.err, "foldbot: --scale 3 makes a window of 2400 x 1500, larger than the "
                           "display (1920 x 1080): the largest scale that fits is 2\n");
    EXPECT_EQ(refused.out, "");

    const std::vector<uint32_t> title = titlePixels();
    ASSERT_FALSE(title.empty());
    for (const char* option : {"--scale", "--fullscreen"}) {
        SCOPED_TRACE(option);
        const bool full = std::string(option) == "--fullscreen";
        std::vector<std::string> command{FOLDBOT_BIN, option};
        if (!full) command.push_back("2");
        const pid_t game = start(command, ASSET_ROOT, env, log);
        children.running.push_back(game);
        const std::string window = output(x + "xdotool search --sync --name '^!#@\\*$' | head -n1");
        ASSERT_FALSE(window.empty()) << "no window captioned !#@*";
        const std::string id = std::to_string(std::stoul(window));
        EXPECT_NE(output(x + "xdotool getwindowgeometry " + id)
                      .find(full ? "Geometry: 1920x1080" : "Geometry: 1600x1000"),
                  std::string::npos);
        long off = -1;
        for (int tries = 0; tries < 50 && off != 0; ++tries) {
            const std::string shot = output(x + "xwd -silent " + (full ? "-root" : "-id " + id));
            off = offTitle(shot, title, full ? 160 : 0, full ? 40 : 0);
            if (off != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(off, 0);
        // SDL has long taken over SIGTERM by now, as a close of the window.
        kill(game, SIGTERM);
        EXPECT_TRUE(exitedWith(waitFor(game, 30), 0));
        children.running.pop_back();
    }
    std::system(("rm -f " + log + ".out " + log + ".err").c_str());
}

namespace {

// The window's picture once it has stopped changing: two dumps alike, a moment apart.
std::vector<uint32_t> steadyPicture(const std::string& x, const std::string& id) {
    std::vector<uint32_t> last, now;
    for (int tries = 0; tries < 60; ++tries) {
        const std::string shot = output(x + "xwd -silent -id " + id);
        now.clear();
        for (int y = 0; y < 500; ++y)
            for (int px = 0; px < 800; ++px) now.push_back(xwdPixel(shot, px, y));
        if (now == last) return now;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return {};
}

} // namespace

// Practice mode with real keys: on the second level from the start, u brings back the picture
// before the last pose key, and r the level as it began once the teeth have opened.
TEST(Window, PracticeUndoAndRestartWithRealKeys) {
    if (!haveXTools())
        GTEST_SKIP() << "needs xvfb, xdotool and x11-apps (scripts/test-window.sh installs them)";
    Children children;
    const std::string log = scratchPath("window-practice");
    const std::string display = startX("1024x768x24", log, children);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    const std::string x = "DISPLAY=" + display + " timeout 30 /usr/bin/";
    const pid_t game = start({FOLDBOT_BIN, "--practice", "--level", "2"}, ASSET_ROOT,
                             {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}}, log);
    children.running.push_back(game);
    const std::string window = output(x + "xdotool search --sync --name '^!#@\\*$' | head -n1");
    ASSERT_FALSE(window.empty()) << "no window captioned !#@*";
    const std::string id = std::to_string(std::stoul(window));
    output(x + "xdotool windowfocus --sync " + id);
    auto key = [&](const char* name) {
        output(x + "xdotool key --clearmodifiers " + name);
        return steadyPicture(x, id);
    };

    const std::vector<uint32_t> fresh = steadyPicture(x, id);
    ASSERT_EQ(fresh.size(), 800u * 500u);
    const std::vector<uint32_t> folded = key("c");
    EXPECT_NE(folded, fresh);
    const std::vector<uint32_t> stepped = key("d");
    EXPECT_NE(stepped, folded);
    EXPECT_EQ(key("u"), folded);
    EXPECT_EQ(key("r"), fresh);

    kill(game, SIGTERM);
    EXPECT_TRUE(exitedWith(waitFor(game, 30), 0));
    children.running.pop_back();
    std::system(("rm -f " + log + ".out " + log + ".err").c_str());
}
