// Painting primitives for the generated pictures.
#include "Canvas.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <algorithm>
#include <cmath>

namespace {

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

} // namespace

Rgb mix(Rgb a, Rgb b, double t) {
    return {clampByte(a.r + (b.r - a.r) * t), clampByte(a.g + (b.g - a.g) * t),
            clampByte(a.b + (b.b - a.b) * t)};
}

Rgb scale(Rgb c, double f) {
    return {clampByte(c.r * f), clampByte(c.g * f), clampByte(c.b * f)};
}

Mask Mask::grown(int r) const {
    Mask out(w + 2 * r, h + 2 * r);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            float best = 0.f;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    // A round pen, softened by its distance so the outline stays smooth.
                    double d = std::sqrt(dx * dx + dy * dy) - r;
                    if (d > 1.0) continue;
                    float weight = d <= 0.0 ? 1.f : static_cast<float>(1.0 - d);
                    best = std::max(best, at(x - r + dx, y - r + dy) * weight);
                }
            out.a[static_cast<size_t>(y * out.w + x)] = best;
        }
    return out;
}

Canvas::Canvas(int width, int height, Rgb fill)
    : w_(width), h_(height), px_(static_cast<size_t>(width * height), fill) {}

void Canvas::set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<size_t>(y * w_ + x)] = c;
}

void Canvas::blend(int x, int y, Rgb c, double alpha) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || alpha <= 0.0) return;
    Rgb& p = px_[static_cast<size_t>(y * w_ + x)];
    if (p == keyColour) {
        if (alpha >= 0.5) p = c;
        return;
    }
    p = mix(p, c, std::min(alpha, 1.0));
}

void Canvas::fillRect(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Canvas::gradientRect(int x, int y, int w, int h, Rgb top, Rgb bottom) {
    for (int j = 0; j < h; ++j) {
        Rgb c = mix(top, bottom, h > 1 ? static_cast<double>(j) / (h - 1) : 0.0);
        for (int i = 0; i < w; ++i) set(x + i, y + j, c);
    }
}

void Canvas::fillShape(int x0, int y0, int x1, int y1,
                       const std::function<bool(double, double)>& inside, Rgb c) {
    for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) ++hits;
            if (hits) blend(x, y, c, hits / 16.0);
        }
}

void Canvas::fillCircle(double cx, double cy, double r, Rgb c) {
    fillShape(
        static_cast<int>(cx - r) - 1, static_cast<int>(cy - r) - 1, static_cast<int>(cx + r) + 2,
        static_cast<int>(cy + r) + 2,
        [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }, c);
}

void Canvas::fillRoundRect(double x, double y, double w, double h, double radius, Rgb c) {
    fillShape(
        static_cast<int>(x) - 1, static_cast<int>(y) - 1, static_cast<int>(x + w) + 2,
        static_cast<int>(y + h) + 2,
        [=](double px, double py) {
            if (px < x || py < y || px > x + w || py > y + h) return false;
            double dx = std::max({x + radius - px, 0.0, px - (x + w - radius)});
            double dy = std::max({y + radius - py, 0.0, py - (y + h - radius)});
            return dx * dx + dy * dy <= radius * radius;
        },
        c);
}

void Canvas::paintMask(const Mask& m, int x, int y, Rgb top, Rgb bottom, double opacity) {
    for (int j = 0; j < m.h; ++j) {
        Rgb c = mix(top, bottom, m.h > 1 ? static_cast<double>(j) / (m.h - 1) : 0.0);
        for (int i = 0; i < m.w; ++i) blend(x + i, y + j, c, m.at(i, j) * opacity);
    }
}

void Canvas::paste(const Canvas& src, int x, int y) {
    for (int j = 0; j < src.h_; ++j)
        for (int i = 0; i < src.w_; ++i)
            if (src.get(i, j) != keyColour) set(x + i, y + j, src.get(i, j));
}

bool Canvas::saveBmp(const std::string& path) const {
    // SDL writes a 24-bit surface with these masks as it is, with no conversion.
    SDL_Surface* s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, w_, h_, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (!s) return false;
    SDL_LockSurface(s);
    for (int y = 0; y < h_; ++y) {
        auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < w_; ++x) {
            Rgb c = get(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    SDL_UnlockSurface(s);
    bool ok = SDL_SaveBMP(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

bool insidePolygon(const std::vector<Point>& poly, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point &a = poly[i], &b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

Mask ttfText(const std::string& fontPath, int size, const std::string& text) {
    if (!TTF_WasInit() && TTF_Init() != 0) return {};
    TTF_Font* font = TTF_OpenFont(fontPath.c_str(), size);
    if (!font) return {};
    SDL_Color white{255, 255, 255, 0};
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, text.c_str(), white);
    TTF_CloseFont(font);
    if (!s) return {};
    Mask m(s->w, s->h);
    SDL_LockSurface(s);
    const SDL_PixelFormat* f = s->format;
    for (int y = 0; y < s->h; ++y) {
        auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x)
            m.a[static_cast<size_t>(y * m.w + x)] = ((row[x] & f->Amask) >> f->Ashift) / 255.f;
    }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return m;
}
