// The real program in a real X window (Xvfb), driven by xdotool and photographed with xwd.
// Skipped where those programs are missing; scripts/test-window.sh installs them and runs it.
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

} // namespace

TEST(Window, CaptionSizeTitleAndKeysInARealXWindow) {
    if (access("/usr/bin/Xvfb", X_OK) || access("/usr/bin/xdotool", X_OK) ||
        access("/usr/bin/xwd", X_OK))
        GTEST_SKIP() << "needs xvfb, xdotool and x11-apps (scripts/test-window.sh installs them)";

    Children children;
    // Xvfb picks a free display and tells it on the pipe once it is ready.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const std::string log = scratchPath("window");
    pid_t server = start({"/usr/bin/Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                          "1024x768x24", "-nolisten", "tcp"},
                         "/", {}, log, ready[1]);
    children.running.push_back(server);
    close(ready[1]);
    // It writes the number and the line end apart, and dies if the pipe is gone in between.
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    const std::string display = ":" + number;
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
    SDL_Surface* title = SDL_LoadBMP(ASSET_ROOT "/img/title.bmp");
    ASSERT_TRUE(title && title->format->BytesPerPixel == 3);
    for (auto [px, py] : chosen) {
        const auto* b = static_cast<const uint8_t*>(title->pixels) + py * title->pitch + 3 * px;
        expected.push_back(uint32_t(b[2]) << 16 | b[1] << 8 | b[0]);
    }
    SDL_FreeSurface(title);
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
