// The sprite sheet: every 20 x 20 picture the boards are drawn from.
#include "Pictures.h"
#include "PixelFont.h"

#include <cmath>
#include <cstdlib>

using namespace palette;

namespace {

constexpr int cell = 20;
constexpr double pi = 3.14159265358979323846;
const char labels[] = "123456789ABCDEFGHIJK";

// A sprite being painted, in its own cell coordinates.
struct Cell {
    Canvas& c;
    int ox, oy;
    void set(int x, int y, Rgb col) { c.set(ox + x, oy + y, col); }
    void rect(int x, int y, int w, int h, Rgb col) { c.fillRect(ox + x, oy + y, w, h, col); }
    void shape(const std::function<bool(double, double)>& in, Rgb col) {
        c.fillShape(
            ox, oy, ox + cell, oy + cell, [&](double x, double y) { return in(x - ox, y - oy); },
            col);
    }
    void circle(double x, double y, double r, Rgb col) { c.fillCircle(ox + x, oy + y, r, col); }
};

// The frame every robot part shares: dark outline with cut corners, bevelled steel, rivets.
void chassis(Cell s) {
    s.rect(0, 0, cell, cell, ink);
    for (int x : {0, cell - 1})
        for (int y : {0, cell - 1}) s.set(x, y, keyColour);
    s.rect(1, 1, 18, 18, steel);
    s.rect(1, 1, 18, 1, steelLight);
    s.rect(1, 1, 1, 18, steelLight);
    s.rect(1, 18, 18, 1, steelDark);
    s.rect(18, 1, 1, 18, steelDark);
    s.set(1, 1, steelShine);
    for (int x : {2, 17})
        for (int y : {2, 17}) s.set(x, y, steelShine);
}

// A square plate inset in the chassis, with a darker rim and a lit top edge.
void plate(Cell s, Rgb face, Rgb rim) {
    s.rect(4, 4, 12, 12, rim);
    s.rect(5, 5, 10, 10, face);
    s.rect(5, 5, 10, 1, scale(face, 1.15));
}

void loosePart(Cell s, int index) {
    chassis(s);
    plate(s, amber, amberDark);
    // A tiny status light whose colour varies from part to part, so the twenty read as a set.
    static const Rgb lights[] = {{255, 96, 72}, {120, 236, 120}, {96, 200, 255}, {255, 236, 120}};
    s.set(17, 2, lights[index % 4]);
    Mask label = pixelText(std::string(1, labels[index]), 1);
    s.c.paintMask(label, s.ox + 8, s.oy + 6, ink);
}

void robotBlock(Cell s) {
    chassis(s);
    plate(s, cyan, cyanDark);
    for (int y : {8, 11}) s.rect(6, y, 8, 1, scale(cyan, 0.75));
    s.rect(9, 7, 2, 6, scale(cyan, 0.75));
    s.rect(6, 6, 2, 1, {230, 255, 255});
}

void robotHead(Cell s) {
    chassis(s);
    // A dark visor with two lit eyes, and a grille for a mouth.
    s.rect(3, 5, 14, 7, ink);
    s.rect(3, 5, 14, 1, steelDark);
    for (int ex : {5, 11}) {
        s.rect(ex, 7, 4, 3, cyan);
        s.rect(ex, 7, 1, 1, {230, 255, 255});
        s.rect(ex, 9, 4, 1, scale(cyan, 0.7));
    }
    s.rect(6, 13, 8, 4, steelDark);
    for (int x = 7; x < 14; x += 2) s.rect(x, 14, 1, 2, steelLight);
    s.rect(9, 1, 2, 1, {255, 96, 72});
}

void robotCore(Cell s) {
    chassis(s);
    s.circle(10, 10, 6.5, ink);
    s.circle(10, 10, 5.2, {222, 120, 32});
    s.circle(10, 10, 3.8, amber);
    s.circle(9.2, 9.2, 1.9, {255, 244, 190});
}

void conveyor(Cell s, bool right) {
    const Rgb belt{36, 38, 50};
    s.rect(0, 0, cell, cell, belt);
    s.rect(0, 0, cell, 1, steelShine);
    s.rect(0, 1, cell, 1, steelLight);
    s.rect(0, 13, cell, 1, ink);
    s.rect(0, 14, cell, 5, steelDark);
    s.rect(0, 19, cell, 1, ink);
    for (int rx : {5, 15}) {
        s.circle(rx, 16.5, 2.6, steel);
        s.set(rx, 16, steelShine);
    }
    // Two chevrons pointing the way the belt pushes.
    for (int base : {1, 11})
        for (int y = 3; y <= 11; ++y) {
            int x0 = base + 4 - std::abs(y - 7);
            for (int x = x0; x < x0 + 3; ++x) {
                Rgb col = y < 7 ? hazard : scale(hazard, 0.8);
                s.set(right ? x : cell - 1 - x, y, col);
            }
        }
}

void resetCell(Cell s) {
    // Hazard stripes around a red glow split by a lightning bolt.
    for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) s.set(x, y, ((x + y) / 3) % 2 ? ink : hazard);
    s.rect(3, 3, 14, 14, ink);
    for (int y = 4; y < 16; ++y)
        for (int x = 4; x < 16; ++x) {
            double d = std::hypot(x + 0.5 - 10, y + 0.5 - 10) / 8.5;
            s.set(x, y, mix({250, 60, 40}, {96, 10, 16}, std::min(d, 1.0)));
        }
    std::vector<Point> bolt{{11.5, 3.5}, {6, 11},     {9.5, 11},  {8, 16.5},
                            {14, 8.5},   {10.5, 8.5}, {12.5, 3.5}};
    s.shape([&](double x, double y) { return insidePolygon(bolt, x, y); }, {255, 246, 180});
}

void wall(Cell s) {
    const Rgb mortar{22, 24, 36}, brick{58, 66, 92}, lit{80, 90, 120}, dim{42, 48, 68};
    s.rect(0, 0, cell, cell, mortar);
    // Two courses of bricks, the lower one offset by half a brick; both wrap round the cell.
    for (int course = 0; course < 2; ++course) {
        int y0 = course * 10, shift = course * 5;
        for (int b = 0; b < 2; ++b) {
            int x0 = b * 10 + shift;
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 9; ++x) {
                    Rgb col = y == 0 || x == 0 ? lit : (y == 8 || x == 8 ? dim : brick);
                    // A fixed speckle gives the stone some grain.
                    int grain = ((x * 7 + y * 13 + b * 5 + course * 3) % 5) - 2;
                    if (col == brick) col = scale(col, 1.0 + grain * 0.03);
                    s.set((x0 + x) % cell, y0 + y, col);
                }
        }
    }
}

void goal(Cell s) {
    s.rect(0, 0, cell, cell, ink);
    s.rect(1, 1, 18, 18, hazard);
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 18; ++x) {
            double d = std::hypot(x + 0.5 - 10, y + 0.5 - 10) / 10.0;
            s.set(x, y, mix({120, 255, 150}, {16, 110, 50}, std::min(d, 1.0)));
        }
    std::vector<Point> star;
    for (int i = 0; i < 10; ++i) {
        double r = i % 2 ? 3.3 : 7.8, a = -pi / 2 + i * pi / 5;
        star.push_back({10 + r * std::cos(a), 10.6 + r * std::sin(a)});
    }
    s.shape([&](double x, double y) { return insidePolygon(star, x + 0.6, y + 0.8); },
            {10, 60, 26});
    s.shape([&](double x, double y) { return insidePolygon(star, x, y); }, {255, 232, 90});
    s.set(10, 9, {255, 255, 230});
}

} // namespace

Canvas drawSpriteSheet() {
    Canvas sheet(400, 60, keyColour);
    for (int i = 0; i < 20; ++i) loosePart({sheet, cell * i, 0}, i);
    robotCore({sheet, 0, 20});
    robotHead({sheet, 20, 20});
    robotBlock({sheet, 40, 20});
    conveyor({sheet, 0, 40}, true);
    conveyor({sheet, 20, 40}, false);
    resetCell({sheet, 40, 40});
    wall({sheet, 60, 40});
    goal({sheet, 80, 40});
    // (100, 40), the empty cell, stays all key colour so the scene behind shows through.
    return sheet;
}
