// The level chooser, the result card and the step counter: drawn from filled rectangles, the
// levels' own cells and the glyph picture.
#include "app/Chooser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/Text.h"

namespace {

constexpr int32_t cardW = 380, cardH = 84, cardGap = 4;
constexpr int32_t thumbW = 120, thumbH = 68;

Uint32 rgb(SDL_Surface* s, Uint8 r, Uint8 g, Uint8 b) {
    return SDL_MapRGB(s->format, r, g, b);
}

void fill(SDL_Surface* s, int32_t x, int32_t y, int32_t w, int32_t h, Uint32 colour) {
    SDL_Rect r{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
               static_cast<Uint16>(h)};
    SDL_FillRect(s, &r, colour);
}

// A panel with a rim, gold when it is the one in play.
void panel(SDL_Surface* s, int32_t x, int32_t y, int32_t w, int32_t h, bool lit) {
    fill(s, x, y, w, h, lit ? rgb(s, 246, 184, 64) : rgb(s, 40, 46, 64));
    fill(s, x + 2, y + 2, w - 4, h - 4, lit ? rgb(s, 44, 52, 74) : rgb(s, 24, 28, 40));
}

// The number a header value starts with ("12 steps" gives 12), or 0.
int32_t leadingNumber(const std::string& value) {
    const long n = std::strtol(value.c_str(), nullptr, 10);
    return n > 0 && n < 1000000 ? static_cast<int32_t>(n) : 0;
}

} // namespace

Pack::Pack(const Course& course)
    : chooser(course.chooser), counter(course.counter), packs(course.packs),
      opensOn(course.opensOn), demoSelected(course.selected) {
    for (const MapFile& map : course.maps) {
        levels.push_back({map.title, leadingNumber(map.value("shortest")), levelChecksum(map)});
        rows.push_back(map.rows);
        widths.push_back(map.width);
    }
    if (packs.empty()) packs.push_back({"Level pack", 0, static_cast<int32_t>(levels.size())});
    if (course.practice) stepsUndo.reserve(StepCounter{});
}

Pack::~Pack() {
    for (Level& level : levels)
        if (level.thumb) SDL_FreeSurface(level.thumb);
}

void Pack::open(SDL_Surface* screen, SDL_Surface* glyphPicture, const std::string& progressFile) {
    glyphs = glyphPicture;
    if (!progressFile.empty()) progress.open(progressFile);
    if (!chooser || !screen) return;
    for (size_t k = 0; k < levels.size(); ++k) {
        const int32_t w = widths[k], h = static_cast<int32_t>(rows[k].size()) / widths[k];
        // Whole pixels a cell, so every cell is the same size.
        const int32_t p = std::clamp(std::min(thumbW / w, thumbH / h), 1, 8);
        SDL_Surface* t = SDL_CreateRGBSurface(SDL_SWSURFACE, w * p, h * p,
                                              screen->format->BitsPerPixel, screen->format->Rmask,
                                              screen->format->Gmask, screen->format->Bmask, 0);
        if (!t) continue;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const char c = rows[k][static_cast<size_t>(y * w + x)];
                Uint32 colour = rgb(t, 14, 16, 24);
                if (c == '#') colour = rgb(t, 104, 116, 140);
                if (c == '<' || c == '>') colour = rgb(t, 40, 170, 196);
                if (c == '!') colour = rgb(t, 226, 72, 60);
                if (c == '@') colour = rgb(t, 112, 220, 120);
                const bool block = (c >= '1' && c <= '9') || (c >= 'A' && c <= 'K');
                if (block) colour = rgb(t, 246, 184, 64);
                // Blocks a little smaller than their cells, so neighbours read apart.
                const int32_t inset = block && p >= 3 ? 1 : 0;
                fill(t, x * p + inset, y * p + inset, p - 2 * inset, p - 2 * inset, colour);
            }
        levels[k].thumb = t;
    }
    const int32_t n = static_cast<int32_t>(levels.size());
    if (demoSelected >= 0)
        selected = std::min(demoSelected, std::max(n - 1, 0));
    else if (opensOn >= 0 && static_cast<size_t>(opensOn) < packs.size())
        selected = firstUnsolved(packs[static_cast<size_t>(opensOn)].first);
}

const PackSection& Pack::packOf(int32_t k) const {
    for (const PackSection& p : packs)
        if (k >= p.first && k < p.first + p.count) return p;
    return packs.front();
}

int32_t Pack::firstUnsolved(int32_t k) const {
    const PackSection& p = packOf(k);
    for (int32_t i = k; i < p.first + p.count; ++i)
        if (progress.best(levels[static_cast<size_t>(i)].sum) == 0) return i;
    return p.first;
}

void Pack::move(int32_t dx, int32_t dy, bool linear) {
    const int32_t n = static_cast<int32_t>(levels.size());
    const int32_t column = (selected - packOf(selected).first) % chooserColumns + dx;
    if (!linear && (column < 0 || column >= chooserColumns)) return;
    const int32_t k = selected + dy * chooserColumns + dx;
    // Into another pack, the column stays the same or the selection does not move.
    if (k < 0 || k >= n || (!linear && (k - packOf(k).first) % chooserColumns != column)) return;
    selected = k;
}

void Pack::runChooser(LoopState& state, SDL_Surface* screen) {
    // Keys count once the teeth start opening; Enter while they close changes nothing.
    const bool open = state.nextScene == 0 || state.nextScene == state.scene;
    switch (state.pressed) {
    case SDLK_LEFT:
    case SDLK_a:
        move(-1, 0, true);
        break;
    case SDLK_RIGHT:
    case SDLK_d:
        move(1, 0, true);
        break;
    case SDLK_UP:
    case SDLK_w:
        move(0, -1, false);
        break;
    case SDLK_DOWN:
    case SDLK_x:
        move(0, 1, false);
        break;
    case SDLK_q:
        move(-1, -1, false);
        break;
    case SDLK_e:
        move(1, -1, false);
        break;
    case SDLK_z:
        move(-1, 1, false);
        break;
    case SDLK_c:
        move(1, 1, false);
        break;
    case SDLK_RETURN:
        if (open && !levels.empty()) {
            played = selected;
            state.nextScene = firstMapScene + selected;
        }
        break;
    case SDLK_ESCAPE:
        state.scene = -1;
        break;
    default:
        break;
    }
    if (!screen) return;
    fill(screen, 0, 0, 800, 500, rgb(screen, 12, 14, 22));
    // Each pack starts a page of its own, under its own heading.
    const PackSection& pack = packOf(selected);
    const int32_t n = pack.count;
    int32_t solved = 0;
    for (int32_t k = pack.first; k < pack.first + n; ++k)
        solved += progress.best(levels[static_cast<size_t>(k)].sum) > 0 ? 1 : 0;
    char text[64];
    drawText(screen, glyphs, 16, 6, pack.title.c_str(), goldInk);
    std::snprintf(text, sizeof text, "Solved %d of %d", solved, n);
    drawText(screen, glyphs, 784 - textWidth(text), 6, text, solved == n ? greenInk : lightInk);
    const int32_t perPage = chooserColumns * chooserRows;
    int32_t pages = 0, page = 0;
    for (const PackSection& p : packs) {
        if (&p == &pack) page = pages + (selected - p.first) / perPage;
        pages += std::max(1, (p.count + perPage - 1) / perPage);
    }
    if (pages > 1) {
        std::snprintf(text, sizeof text, "Page %d of %d", page + 1, pages);
        drawTextCentred(screen, glyphs, 400, 6, text, dimInk);
    }
    const int32_t from = pack.first + (selected - pack.first) / perPage * perPage;
    for (int32_t k = from; k < std::min(pack.first + n, from + perPage); ++k) {
        const int32_t i = k - from;
        drawLevel(screen, k, 16 + i % chooserColumns * (cardW + 8),
                  32 + i / chooserColumns * (cardH + cardGap));
    }
    drawTextCentred(screen, glyphs, 400, 476, "Arrows move   Enter plays   Esc quits", dimInk);
}

void Pack::drawThumb(SDL_Surface* screen, int32_t k, int32_t x, int32_t y, int32_t w,
                     int32_t h) const {
    fill(screen, x, y, w, h, rgb(screen, 8, 10, 16));
    SDL_Surface* t = levels[static_cast<size_t>(k)].thumb;
    if (!t) return;
    SDL_Rect at{static_cast<Sint16>(x + (w - t->w) / 2), static_cast<Sint16>(y + (h - t->h) / 2), 0,
                0};
    SDL_UpperBlit(t, nullptr, screen, &at);
}

void Pack::drawLevel(SDL_Surface* screen, int32_t k, int32_t x, int32_t y) const {
    const Level& level = levels[static_cast<size_t>(k)];
    const int32_t best = progress.best(level.sum);
    panel(screen, x, y, cardW, cardH, k == selected);
    drawThumb(screen, k, x + 8, y + 8, thumbW, thumbH);
    char text[64];
    std::snprintf(text, sizeof text, "%d", k - packOf(k).first + 1);
    drawText(screen, glyphs, x + 140, y + 8, text, goldInk);
    // The title as far as it fits beside the number.
    const int32_t from = x + 140 + textWidth(text) + glyphW;
    const size_t fits = static_cast<size_t>((x + cardW - 8 - from) / glyphW);
    std::snprintf(text, std::min(sizeof text, fits + 1), "%s", level.title.c_str());
    drawText(screen, glyphs, from, y + 8, text);
    if (level.shortest > 0) {
        std::snprintf(text, sizeof text, "Shortest %d", level.shortest);
        drawText(screen, glyphs, x + 140, y + 32, text, dimInk);
    }
    if (best > 0) {
        std::snprintf(text, sizeof text, "Best %d", best);
        drawText(screen, glyphs, x + 140, y + 56, text);
        const char solvedText[] = {solvedMark, '\0'};
        const char starText[] = {starMark, '\0'};
        drawText(screen, glyphs, x + cardW - 10 - glyphW, y + 56, solvedText, greenInk);
        if (best <= level.shortest)
            drawText(screen, glyphs, x + cardW - 14 - 2 * glyphW, y + 56, starText, goldInk);
    } else {
        drawText(screen, glyphs, x + 140, y + 56, "Not solved yet", dimInk);
    }
}

void Pack::runCard(LoopState& state, SDL_Surface* screen) {
    const bool open = state.nextScene == 0 || state.nextScene == state.scene;
    const SDLKey key = state.pressed;
    if (open && (key == SDLK_RETURN || key == SDLK_SPACE || key == SDLK_ESCAPE)) {
        const int32_t n = static_cast<int32_t>(levels.size());
        selected = played + 1 < n ? played + 1 : firstUnsolved();
        state.nextScene = chooserScene;
        leavingCard = true;
    }
    if (!screen || levels.empty()) return;
    const Level& level = levels[static_cast<size_t>(played)];
    fill(screen, 0, 0, 800, 500, rgb(screen, 12, 14, 22));
    panel(screen, 180, 90, 440, 320, true);
    char text[64];
    std::snprintf(text, sizeof text, "Level %d solved", played - packOf(played).first + 1);
    drawTextCentred(screen, glyphs, 400, 108, text, goldInk);
    std::snprintf(text, sizeof text, "%s", level.title.c_str());
    text[34] = '\0';
    drawTextCentred(screen, glyphs, 400, 136, text);
    drawThumb(screen, played, 400 - thumbW / 2, 170, thumbW, thumbH);
    std::snprintf(text, sizeof text, "Steps %d", cardSteps);
    drawTextCentred(screen, glyphs, 400, 256, text);
    if (level.shortest > 0) {
        std::snprintf(text, sizeof text, "Shortest %d", level.shortest);
        drawTextCentred(screen, glyphs, 400, 282, text, dimInk);
    }
    if (level.shortest > 0 && cardSteps <= level.shortest) {
        std::snprintf(text, sizeof text, "%c As short as it gets %c", starMark, starMark);
        drawTextCentred(screen, glyphs, 400, 316, text, goldInk);
    } else if (cardBest == 0 || cardSteps < cardBest) {
        drawTextCentred(screen, glyphs, 400, 316, "New best", greenInk);
    } else {
        std::snprintf(text, sizeof text, "Your best %d", cardBest);
        drawTextCentred(screen, glyphs, 400, 316, text, greenInk);
    }
    drawTextCentred(screen, glyphs, 400, 374, "Enter: on to the levels", dimInk);
}

void Pack::solved(int32_t level, int32_t count) {
    if (level < 0 || static_cast<size_t>(level) >= levels.size()) return;
    const Level& l = levels[static_cast<size_t>(level)];
    played = level;
    cardSteps = count;
    cardBest = progress.best(l.sum);
    progress.solved(l.sum, count, l.title);
}

void Pack::drawCounter(SDL_Surface* screen, int32_t shortest, int32_t offX, int32_t offY,
                       int32_t viewH) const {
    if (!counter || !screen) return;
    char text[48];
    if (shortest > 0)
        std::snprintf(text, sizeof text, "Steps %d   Shortest %d", steps.steps, shortest);
    else
        std::snprintf(text, sizeof text, "Steps %d", steps.steps);
    const int32_t w = textWidth(text);
    const int32_t below = 500 - offY - viewH * cellSize;
    int32_t x = 400 - w / 2, y = 0;
    // Close to the map, so the eye finds it without leaving the board.
    if (offY >= glyphH + 4) {
        y = std::max(offY - glyphH - 16, (offY - glyphH) / 2);
    } else if (below >= glyphH + 4) {
        y = 500 - below + std::min(16, (below - glyphH) / 2);
    } else if (offX >= w + 16) {
        x = (offX - w) / 2;
        y = 8;
    } else {
        // Over the view: the bottom-left corner, on a dark box.
        x = 10;
        y = 500 - glyphH - 8;
        fill(screen, x - 6, y - 4, w + 12, glyphH + 6, rgb(screen, 18, 20, 30));
    }
    drawText(screen, glyphs, x, y, text);
}
