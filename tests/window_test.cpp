// The real program in a real X window (Xvfb), driven by xdotool and photographed with xwd: the
// plain window, the scaled and full-screen ones, and the pack played with real keys on two
// keyboards. Skipped where those programs are missing; scripts/test-window.sh installs them.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/Video.h"
#include "demo_support.h"
#include "solve/Hint.h"

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

// Stops the children still running when the test leaves, as a close of the window would.
struct Children {
    std::vector<pid_t> running;
    ~Children() {
        for (pid_t pid : running) kill(pid, SIGTERM);
        for (pid_t pid : running) waitFor(pid, 10);
    }
};

// Why these tests cannot run here, or nothing.
const char* missing() {
#ifdef FOLDBOT_SANITIZE_BUILD
    return "the sanitized game is too slow for a real window";
#endif
    if (access("/usr/bin/Xvfb", X_OK) || access("/usr/bin/xdotool", X_OK) ||
        access("/usr/bin/xwd", X_OK) || access("/usr/bin/setxkbmap", X_OK))
        return "needs xvfb, xdotool, x11-apps and x11-xkb-utils (scripts/test-window.sh installs "
               "them)";
    return nullptr;
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

// An Xvfb display of its own, the game in it, and xdotool and xwd pointed at it.
struct XSession {
    Children children;
    std::string log, display, x;
    XSession(const std::string& size, const std::string& name) : log(scratchPath(name)) {
        display = startX(size, log, children);
        x = "DISPLAY=" + display + " timeout 30 /usr/bin/";
    }
    ~XSession() { std::system(("rm -f " + log + ".out " + log + ".err").c_str()); }
    Env env() const { return {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}}; }
    // Starts the game; gives its window's id, or nothing when no window shows.
    std::string startGame(std::vector<std::string> args, pid_t& game, Env more = {}) {
        args.insert(args.begin(), FOLDBOT_BIN);
        const Env base = env();
        more.insert(more.begin(), base.begin(), base.end());
        game = start(args, ASSET_ROOT, more, log);
        children.running.push_back(game);
        const std::string window = output(x + "xdotool search --sync --name '^!#@\\*$' | head -n1");
        return window.empty() ? "" : std::to_string(std::stoul(window));
    }
    // SDL has long taken over SIGTERM by now, as a close of the window.
    int stop(pid_t game) {
        kill(game, SIGTERM);
        children.running.erase(std::find(children.running.begin(), children.running.end(), game));
        return waitFor(game, 30);
    }
};

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

// How many pixels of a dump break the picture of the title enlarged `n` times at (left, top) on
// black, over the title's rows above the figure, which stands still from the first frames.
long offTitle(const std::string& shot, const std::vector<uint32_t>& title, int n, int left,
              int top) {
    const int width = static_cast<int>(be32(shot, 16)), height = static_cast<int>(be32(shot, 20));
    long off = width == 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int fx = (x - left) / n, fy = (y - top) / n;
            if (x < left || y < top || fx >= 800 || fy >= 500)
                off += xwdPixel(shot, x, y) != 0;
            else if (fy < 250)
                off += xwdPixel(shot, x, y) != title[fy * 800 + fx];
        }
    return off;
}

} // namespace

// On a 1920 x 1080 display: --scale 3 is refused, naming 2; --scale 2 opens a 1600 x 1000 window,
// captioned, of the title enlarged; --fullscreen centres that picture on black across the whole
// display. (The plain window is the pack test's.)
TEST(Window, ScaledAndFullScreenWindowsShowTheTitleEnlarged) {
    if (const char* why = missing()) GTEST_SKIP() << why;
    XSession session("1920x1080x24", "window");
    ASSERT_FALSE(session.display.empty()) << "Xvfb did not start";
    const std::string& x = session.x;

    // Refused before start-up: from a folder without pictures the game would report them.
    const Outcome refused = runProgram({FOLDBOT_BIN, "--scale", "3"}, "/tmp", session.env());
    EXPECT_TRUE(exitedWith(refused.status, 2)) << refused.status;
    EXPECT_EQ(refused.err, "foldbot: --scale 3 makes a window of 2400 x 1500, larger than the "
                           "display (1920 x 1080): the largest scale that fits is 2\n");
    EXPECT_EQ(refused.out, "");

    const std::vector<uint32_t> title = titlePixels();
    ASSERT_FALSE(title.empty());
    const std::vector<std::tuple<std::vector<std::string>, const char*, int, int, int>> runs{
        {{"--scale", "2"}, "Geometry: 1600x1000", 2, 0, 0},
        {{"--fullscreen"}, "Geometry: 1920x1080", 2, 160, 40}};
    for (const auto& [args, geometry, n, left, top] : runs) {
        SCOPED_TRACE(geometry);
        pid_t game = 0;
        const std::string id = session.startGame(args, game);
        ASSERT_FALSE(id.empty()) << "no window captioned !#@*";
        EXPECT_NE(output(x + "xdotool getwindowgeometry " + id).find(geometry), std::string::npos);
        long off = -1;
        for (int tries = 0; tries < 50 && off != 0; ++tries) {
            const std::string shot = output(x + "xwd -silent " + (left ? "-root" : "-id " + id));
            off = offTitle(shot, title, n, left, top);
            if (off != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(off, 0);
        EXPECT_TRUE(exitedWith(session.stop(game), 0));
    }
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

namespace {

// The picture the game draws headless in `scene` of the pack, its progress read from `file`.
std::vector<uint32_t> packPicture(SceneId scene, const std::string& file) {
    HeadlessGame game;
    Options options;
    options.pack = true;
    Course course;
    std::string error;
    EXPECT_TRUE(setUpCourse(options, DemoSetup{}, course, error)) << error; // both packs
    game.stage.glyphs = loadImage("./img/glyphs.bmp");
    Driver d(game, course);
    d.boards->pack.open(game.stage.screen, game.stage.glyphs, file);
    d.boards->pack.cardSteps = d.boards->pack.progress.best(d.boards->pack.levels[0].sum);
    d.state.scene = scene;
    d.frames(2);
    runSceneBoard(d.state, game.stage.screen, *d.boards); // what the next flip would show
    std::vector<uint32_t> pixels;
    SDL_Surface* s = game.stage.screen;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x)
            pixels.push_back(static_cast<const Uint32*>(s->pixels)[y * s->pitch / 4 + x] &
                             0xFFFFFF);
    return pixels;
}

} // namespace

// The pack with real keys and no progress yet: Enter plays the first level; h shows a hint each
// step, and its keys reach the card with the shortest. Started again on a French keyboard with
// --keys position, the chooser marks the level solved and selects the second; the first level's
// route played by place (a where QWERTY has q) wins again, the demo keeps the letters, and the
// choice and an m are remembered; a replay of that demo writes none of it.
TEST(Window, PackKeepsTheSolvedLevelForTheNextRun) {
    if (const char* why = missing()) GTEST_SKIP() << why;
    XSession session("1024x768x24", "window-pack");
    ASSERT_FALSE(session.display.empty()) << "Xvfb did not start";
    const std::string& x = session.x;
    const std::string data = scratchPath("window-data");
    std::system(("rm -rf " + data).c_str());
    const Env home{{"XDG_DATA_HOME", data}, {"HOME", data}};
    pid_t game = 0;
    std::string id = session.startGame({"--pack"}, game, home);
    ASSERT_FALSE(id.empty()) << "no window captioned !#@*";
    output(x + "xdotool windowfocus --sync " + id + " key Return");
    std::vector<uint32_t> before = steadyPicture(x, id);
    std::vector<MapFile> pack;
    std::string error;
    ASSERT_TRUE(readPack(ASSET_ROOT "/levels", pack, error)) << error;
    Level<40, 25> model(pack[0].boardText.c_str(), chainPoses, nullptr, pack[0].viewW,
                        pack[0].viewH);
    for (int step = 0; step < 20 && !model.hasWon(); ++step) {
        const Hint hint = findHint(model, {});
        ASSERT_EQ(hint.kind, Hint::Kind::move);
        output(x + "xdotool key --clearmodifiers h");
        EXPECT_NE(steadyPicture(x, id), before) << "no hint shown at step " << step;
        if (hint.label != "wait") output(x + "xdotool key --clearmodifiers " + hint.label);
        for (int key : hint.keys) runBoard(nullptr, model, key, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        before = steadyPicture(x, id);
    }
    const std::string progress = data + "/foldbot/progress";
    EXPECT_EQ(steadyPicture(x, id), packPicture(cardScene, progress));
    EXPECT_EQ(bytesOf(progress).substr(16), " 6 First folds\n");
    output(x + "xdotool key Return");
    steadyPicture(x, id);
    output(x + "xdotool key Escape");
    EXPECT_TRUE(exitedWith(waitFor(game, 30), 0));
    session.children.running.pop_back();

    const std::string demo = data + ".demo";
    id = session.startGame({"--pack", "--keys", "position", "--record", demo}, game, home);
    ASSERT_FALSE(id.empty()) << "no window captioned !#@*";
    // Once the game holds the display: Xvfb goes back to its own keymap when its last client
    // leaves.
    ASSERT_EQ(std::system((x + "setxkbmap fr").c_str()), 0);
    EXPECT_EQ(steadyPicture(x, id), packPicture(chooserScene, progress));
    output(x + "xdotool key Left Return");
    steadyPicture(x, id);
    for (const char* key : {"d", "c", "d", "a", "c", "d"}) {
        output(x + "xdotool key --clearmodifiers " + key);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    EXPECT_EQ(steadyPicture(x, id), packPicture(cardScene, progress));
    output(x + "xdotool key m");
    steadyPicture(x, id);
    EXPECT_EQ(bytesOf(data + "/foldbot/settings"), "mute yes\nkeys position\n");
    EXPECT_TRUE(exitedWith(session.stop(game), 0));
    const std::string kept = bytesOf(demo);
    EXPECT_NE(kept.find(" down q\n"), std::string::npos) << kept;
    EXPECT_EQ(kept.find(" down a\n"), std::string::npos) << kept;
    // Its replay writes nothing: no progress nor folder for it, nor the settings given with it.
    const std::string other = data + "-replay";
    const Outcome replay =
        runProgram({FOLDBOT_BIN, "--replay", demo, "--fast", "--mute", "--keys", "position"},
                   ASSET_ROOT, {{"XDG_DATA_HOME", other}, {"HOME", other}});
    EXPECT_TRUE(exitedWith(replay.status, 0)) << replay.err;
    EXPECT_FALSE(std::filesystem::exists(other));
    std::system(("rm -rf " + data + " " + demo).c_str());
}
