// Hints: the solver's playable search run on a thread of its own, its answer turned into words.
#include "app/Hints.h"

#include <cstdio>
#include <functional>
#include <sstream>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "content/MapFile.h"
#endif

#include "app/Text.h"
#include "solve/Hint.h"

HintFrames& hintFrames() {
    static HintFrames frames;
    return frames;
}

struct HintBox::Job {
    int id = 0; // the page's question number
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    HintAnswer answer;
    std::vector<Plan> route;
    std::function<void(Job&)> work;
};

namespace {

// The board's blocks where they stand: what following a route must bring it to.
bool sameCells(const BoardState& a, const BoardState& b) {
    if (a.blocks != b.blocks || a.robot != b.robot) return false;
    for (int32_t i = 0; i < a.blocks; ++i)
        if (a.cells[i] != b.cells[i]) return false;
    return true;
}

template <int W, int H>
void describe(const Level<W, H>& board, const Hint& hint, HintAnswer& answer,
              std::vector<Plan>& route) {
    route.clear();
    answer.outline.clear();
    answer.along.clear();
    answer.text = hintText(hint);
    if (hint.kind != Hint::Kind::move) return;
    answer.outline = hint.robotCells;
    route = hint.route;
    // Where each step of the route leaves the board, to know it again when it is followed.
    Level<W, H> lv = board;
    const Route keys = routeKeys(board, hint.route);
    size_t f = 0;
    for (size_t end : keys.stepEnds) {
        for (; f < end; ++f) runBoard(nullptr, lv, keys.keys[f], 0, 0);
        answer.along.push_back(lv.state());
    }
}

} // namespace

HintBox::HintBox() = default;
HintBox::~HintBox() {
    drop();
}

template <int W, int H>
void HintBox::ask(const Level<W, H>& board, const UndoRing<Level<W, H>>& undo) {
    if (!enabled || (showing() && board.state() == asked)) return; // asked and answered
    drop();
    answer = HintAnswer{};
    asked = board.state();
    frames = 0;
    // On the last route found, the next step needs no search.
    for (size_t i = 0; i + 1 < followed.along.size(); ++i) {
        if (!sameCells(followed.along[i], asked)) continue;
        std::vector<Plan> rest(followedRoute.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                               followedRoute.end());
        Hint hint;
        if (!hintFromRoute(board, rest, hint)) break;
        std::vector<Plan> route;
        describe(board, hint, answer, route);
        return;
    }
#ifdef __EMSCRIPTEN__
    // The page has no threads: its worker answers. The question is the map's text and the
    // boards' states; the worker lays them on fresh boards, settled.
    static int asking = 0;
    auto next = std::make_shared<Job>();
    next->id = ++asking;
    std::string states = stateLine(asked) + "\n";
    for (const Level<W, H>& p : undo.newestFirst()) states += stateLine(p.state()) + "\n";
    std::string text = mapFileText(board.map.text, W, H, "");
    if (board.poses[0].labelCount > 8) text.replace(text.find("chain"), 5, "figure");
    EM_ASM({ if (window.foldbotAskHint) foldbotAskHint($0, UTF8ToString($1), UTF8ToString($2)); },
           next->id, text.c_str(), states.c_str());
    job = next;
#else
    auto next = std::make_shared<Job>();
    // Copies for the thread: the game goes on with the boards meanwhile.
    next->work = [fresh = board, points = undo.newestFirst(),
                  wait = hintFrames().slower](Job& job) {
        if (wait) SDL_Delay(wait);
        std::vector<const Level<W, H>*> ring;
        for (const Level<W, H>& p : points) ring.push_back(&p);
        HintSettings settings;
        settings.cancel = &job.cancel;
        const Hint hint = findHint(fresh, ring, settings);
        describe(fresh, hint, job.answer, job.route);
    };
    job = next;
    std::thread([next] {
        next->work(*next);
        next->done.store(true);
    }).detach();
#endif
}

#ifdef __EMSCRIPTEN__
namespace {
// The worker's answer to question `id`, when it has come: the outline's cells on its first line,
// the words on its second.
bool pageAnswer(int id, HintAnswer& answer) {
    const int size = EM_ASM_INT({
        var a = window.foldbotHintAnswer;
        return a && a.id === $0 ? lengthBytesUTF8(a.text) + 1 : 0;
    }, id);
    if (size == 0) return false;
    std::vector<char> text(static_cast<size_t>(size));
    EM_ASM({
        stringToUTF8(window.foldbotHintAnswer.text, $0, $1);
        window.foldbotHintAnswer = null;
        window.foldbotHintsShown = (window.foldbotHintsShown || 0) + 1;
    }, text.data(), size);
    const std::string all(text.data());
    const size_t line = all.find('\n');
    std::istringstream cells(all.substr(0, line));
    answer.outline.clear();
    for (int32_t c = 0; cells >> c;) answer.outline.push_back(c);
    answer.text = line == std::string::npos ? "no hint found" : all.substr(line + 1);
    answer.along.clear();
    return true;
}
} // namespace
#endif

void HintBox::frame(const BoardState& now) {
    ++frames;
#ifdef __EMSCRIPTEN__
    // A replay waits here for its own worker, as the desktop waits for its thread.
    for (bool wait = true; job && !job->done.load() && wait; wait = hintFrames().replaying && hintFrames().due) {
        if (pageAnswer(job->id, job->answer)) job->done.store(true);
        else if (hintFrames().replaying && hintFrames().due) SDL_Delay(1);
    }
#endif
    HintFrames& sync = hintFrames();
    const bool due = sync.due;
    sync.due = false;
    if ((job || showing()) && now != asked) {
        drop();
        answer = HintAnswer{};
    }
    if (!job) return;
    if (sync.replaying) {
        if (!due) return;
        // The recording showed it here: so does the replay, however long its own search takes.
        while (!job->done.load()) SDL_Delay(1);
    } else if (!job->done.load()) {
        return;
    }
    answer = job->answer;
    if (!answer.along.empty()) {
        followed = answer;
        followedRoute = job->route;
    }
    job.reset();
    sync.shown = true;
}

void HintBox::drop() {
    if (job) job->cancel.store(true);
    job.reset();
}

void HintBox::forget() {
    drop();
    answer = HintAnswer{};
    followed = HintAnswer{};
    followedRoute.clear();
}

template <int W, int H>
void HintBox::drawOutline(SDL_Surface* surface, const Level<W, H>& board, int32_t offX,
                          int32_t offY) const {
    if (!surface || job) return;
    const Uint32 ink = SDL_MapRGB(surface->format, 246, 184, 64);
    for (int32_t c : answer.outline) {
        const int32_t x = offX + (c % W) * cellSize - board.camPixX;
        const int32_t y = offY + (c / W) * cellSize - board.camPixY;
        if (x < offX || y < offY || x + cellSize > offX + board.viewW * cellSize ||
            y + cellSize > offY + board.viewH * cellSize)
            continue;
        SDL_Rect edges[4] = {
            {static_cast<Sint16>(x), static_cast<Sint16>(y), cellSize, 2},
            {static_cast<Sint16>(x), static_cast<Sint16>(y + cellSize - 2), cellSize, 2},
            {static_cast<Sint16>(x), static_cast<Sint16>(y), 2, cellSize},
            {static_cast<Sint16>(x + cellSize - 2), static_cast<Sint16>(y), 2, cellSize}};
        for (SDL_Rect& e : edges) SDL_FillRect(surface, &e, ink);
    }
}

void HintBox::drawLabel(SDL_Surface* screen, SDL_Surface* glyphs, int32_t viewTop,
                        int32_t viewHeight) const {
    if (!screen || (!job && !showing())) return;
    char thinking[16] = "thinking...";
    thinking[8 + (frames / 20) % 4] = '\0'; // the dots come and go while it thinks
    const char* text = job ? thinking : answer.text.c_str();
    const int32_t w = textWidth(job ? "thinking..." : text);
    // Beside the board: below it where the step counter leaves room, else in the top corner.
    const int32_t below = 500 - viewTop - viewHeight;
    int32_t x = 400 - w / 2, y = 500 - below + 16 + glyphH + 8;
    if (viewTop >= glyphH + 4 ? below < glyphH + 8 : below < 2 * glyphH + 32) {
        x = 790 - w;
        y = 8;
        SDL_Rect box{static_cast<Sint16>(x - 6), static_cast<Sint16>(y - 4),
                     static_cast<Uint16>(w + 12), static_cast<Uint16>(glyphH + 6)};
        SDL_FillRect(screen, &box, SDL_MapRGB(screen->format, 18, 20, 30));
    } else if (viewTop >= glyphH + 4) {
        y = 500 - below + (below - glyphH) / 2;
    }
    drawText(screen, glyphs, x, y, text, goldInk);
}

template void HintBox::ask(const Level<40, 20>&, const UndoRing<Level<40, 20>>&);
template void HintBox::ask(const Level<40, 25>&, const UndoRing<Level<40, 25>>&);
template void HintBox::ask(const Level<80, 50>&, const UndoRing<Level<80, 50>>&);
template void HintBox::drawOutline(SDL_Surface*, const Level<40, 20>&, int32_t, int32_t) const;
template void HintBox::drawOutline(SDL_Surface*, const Level<40, 25>&, int32_t, int32_t) const;
template void HintBox::drawOutline(SDL_Surface*, const Level<80, 50>&, int32_t, int32_t) const;
