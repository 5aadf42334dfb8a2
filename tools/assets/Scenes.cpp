// The title, tooth and end pictures.
#include "Pictures.h"
#include "PixelFont.h"

#include <cmath>

using namespace palette;

namespace {

// Large type: an outlined, shadowed, vertically shaded line centred on cx; returns its height.
int headline(Canvas& c, const std::string& font, int size, const std::string& text, int cx, int y,
             Rgb top, Rgb bottom, int outline) {
    Mask m = ttfText(font, size, text);
    if (m.w == 0) return 0;
    Mask rim = m.grown(outline);
    int x = cx - m.w / 2;
    c.paintMask(rim, x - outline + 5, y - outline + 7, {0, 0, 0}, {0, 0, 0}, 0.45);
    c.paintMask(rim, x - outline, y - outline, ink);
    c.paintMask(m, x, y, top, bottom);
    return m.h;
}

int textWidth(const std::string& font, int size, const std::string& text) {
    return ttfText(font, size, text).w;
}

void text(Canvas& c, const std::string& font, int size, const std::string& s, int x, int y,
          Rgb col) {
    c.paintMask(ttfText(font, size, s), x, y, col);
}

// Pixel-font text with a one-pixel drop shadow, centred on cx when asked.
void pixelLabel(Canvas& c, const std::string& s, int scaleBy, int x, int y, Rgb col,
                bool centred = false) {
    Mask m = pixelText(s, scaleBy);
    if (centred) x -= m.w / 2;
    c.paintMask(m, x + scaleBy, y + scaleBy, ink);
    c.paintMask(m, x, y, col);
}

void keycap(Canvas& c, int x, int y, int w, int h, const std::string& legend) {
    c.fillRoundRect(x, y, w, h, 5, ink);
    c.fillRoundRect(x + 1, y + 1, w - 2, h - 2, 4, {118, 128, 150});
    c.fillRoundRect(x + 2, y + 1, w - 4, h - 6, 3, {226, 232, 242});
    c.gradientRect(x + 4, y + 3, w - 8, h - 10, {236, 240, 248}, {196, 204, 220});
    Mask m = pixelText(legend, 2);
    c.paintMask(m, x + (w - m.w) / 2, y + (h - 5 - m.h) / 2, ink);
}

// A faint drafting grid on the 20-pixel cell size, heavier every five cells.
void blueprint(Canvas& c, Rgb top, Rgb bottom, Rgb line) {
    c.gradientRect(0, 0, c.width(), c.height(), top, bottom);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            bool major = x % 100 == 0 || y % 100 == 0;
            if (x % 20 == 0 || y % 20 == 0) c.blend(x, y, line, major ? 0.45 : 0.22);
        }
}

} // namespace

Canvas drawTitle(const std::string& font) {
    Canvas c(800, 500, ink);
    blueprint(c, {18, 36, 78}, {10, 18, 44}, {80, 130, 210});

    headline(c, font, 150, "!#@*", 400, 4, {255, 236, 130}, {240, 120, 36}, 6);
    const std::string tag = "a robot that gets around by folding itself";
    text(c, font, 20, tag, 400 - textWidth(font, 20, tag) / 2, 186, {176, 204, 244});

    // The demonstration board stands on the lower-left 300 x 240: a lit stage behind it.
    for (int y = 260; y < 500; ++y)
        for (int x = 0; x < 300; ++x) {
            double d = std::hypot((x - 150) / 170.0, (y - 300) / 230.0);
            c.blend(x, y, {70, 110, 180}, 0.35 * std::max(0.0, 1.0 - d));
        }
    pixelLabel(c, "demo: try the keys", 2, 150, 232, cyan, true);

    // How to play, on a panel to the right of the board.
    const int px = 330, py = 226, pw = 452, ph = 262;
    c.fillRoundRect(px, py, pw, ph, 10, {70, 110, 180});
    c.fillRoundRect(px + 2, py + 2, pw - 4, ph - 4, 8, {12, 20, 46});
    pixelLabel(c, "how to play", 3, px + pw / 2, py + 14, hazard, true);

    const Rgb say{226, 234, 248};
    int row = py + 48;
    keycap(c, px + 20, row, 84, 30, "enter");
    text(c, font, 18, "start the game", px + 124, row + 4, say);

    row += 42;
    const char* keys = "qweasdzxc";
    for (int i = 0; i < 9; ++i)
        keycap(c, px + 20 + (i % 3) * 34, row + (i / 3) * 34, 30, 30, std::string(1, keys[i]));
    text(c, font, 18, "fold the robot into", px + 140, row + 22, say);
    text(c, font, 18, "one of nine shapes", px + 140, row + 46, say);

    row += 112;
    keycap(c, px + 20, row, 104, 30, "space");
    text(c, font, 18, "break it apart", px + 144, row + 4, say);
    keycap(c, px + 290, row, 56, 30, "esc");
    text(c, font, 18, "give up", px + 356, row + 4, say);
    return c;
}

Canvas drawTooth() {
    const int w = 100, h = 250, root = 36;
    const Rgb mouth{14, 8, 20};
    Canvas c(w, h, mouth);

    // The jaw: ridged steel with a hazard band and rivets.
    c.gradientRect(0, root, w, h - 2 * root, steelLight, steelDark);
    for (int y = root + 10; y < h - root - 6; y += 14) {
        c.fillRect(0, y, w, 1, scale(steelDark, 0.8));
        c.fillRect(0, y + 1, w, 1, steelLight);
    }
    const int band = h / 2 - 12;
    for (int y = band; y < band + 24; ++y)
        for (int x = 0; x < w; ++x) c.set(x, y, ((x + y) / 10) % 2 ? ink : hazard);
    c.fillRect(0, band - 2, w, 2, ink);
    c.fillRect(0, band + 24, w, 2, ink);
    for (int rx : {12, 62})
        for (int ry : {root + 22, h - root - 22}) {
            c.fillCircle(rx + 0.5, ry + 0.5, 4, ink);
            c.fillCircle(rx + 0.5, ry + 0.5, 3, steel);
            c.fillCircle(rx - 0.5, ry - 0.5, 1.4, steelShine);
        }
    c.fillRect(0, root, w, 2, ink);
    c.fillRect(0, h - root - 2, w, 2, ink);

    // Teeth along both edges, the upper row shifted half a tooth so that two rows interlock.
    auto tooth = [&](double cx, bool down) {
        const double baseY = down ? h - root : root, tipY = down ? h - 1 : 1;
        auto inside = [=](double x, double y, double grow) {
            double t = (y - baseY) / (tipY - baseY);
            if (t < -0.05 || t > 1.0) return false;
            double half = 23.0 * (1.0 - t) + 2.5 * t + grow;
            return std::abs(x - cx) <= half;
        };
        c.fillShape(
            0, 0, w, h, [&](double x, double y) { return inside(x, y, 1.6); }, ink);
        c.fillShape(0, 0, w, h, [&](double x, double y) { return inside(x, y, 0); },
                    {224, 230, 240});
        c.fillShape(0, 0, w, h, [&](double x, double y) { return inside(x, y, 0) && x > cx + 1; },
                    {150, 160, 180});
    };
    for (int k = 0; k < 2; ++k) tooth(25 + 50 * k, true);
    for (int k = 0; k < 3; ++k) tooth(50 * k, false);
    return c;
}

Canvas drawLoose(const std::string& font) {
    Canvas c(800, 500, ink);
    c.gradientRect(0, 0, 800, 500, {40, 28, 72}, {10, 10, 26});
    // A few fixed stars in the open sky.
    unsigned seed = 12345;
    for (int i = 0; i < 90; ++i) {
        seed = seed * 1103515245u + 12345u;
        int x = static_cast<int>((seed >> 8) % 800);
        seed = seed * 1103515245u + 12345u;
        int y = static_cast<int>((seed >> 8) % 200);
        c.blend(x, y, {230, 230, 255}, 0.3 + 0.1 * (i % 6));
    }
    // A low sun sinking behind the floor between the two boxes, striped as it goes down.
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x) {
            double d = std::hypot(x - 400.0, y - 500.0);
            if (d > 400) continue;
            c.blend(x, y, {190, 70, 96}, 0.5 * std::pow(std::max(0.0, 1.0 - (d - 110) / 260), 2.0));
        }
    auto sun = [](double x, double y) {
        if (std::hypot(x - 400.0, y - 500.0) > 118) return false;
        // Gaps that widen towards the horizon.
        double band = (y - 420) / 12.0;
        return band < 0 || band - std::floor(band) > (y - 420) / 100.0;
    };
    for (int y = 382; y < 500; ++y)
        c.fillShape(280, y, 520, y + 1, sun,
                    mix({255, 226, 120}, {244, 96, 84}, (y - 382) / 118.0));

    headline(c, font, 100, "THE END", 400, 24, {255, 238, 190}, {240, 140, 80}, 5);
    const std::string thanks = "thanks for playing !#@*";
    text(c, font, 26, thanks, 400 - textWidth(font, 26, thanks) / 2, 150, {206, 216, 244});
    pixelLabel(c, "the robot rests", 2, 400, 236, steelShine, true);
    pixelLabel(c, "in pieces", 2, 400, 258, steelShine, true);
    pixelLabel(c, "press esc to leave", 2, 400, 310, hazard, true);
    return c;
}
