// An RGB picture being painted, with the game's transparent key colour, masks for text and BMP
// output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

inline bool operator==(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
inline bool operator!=(Rgb a, Rgb b) {
    return !(a == b);
}

// The one colour the game draws as transparent.
constexpr Rgb keyColour{255, 128, 255};

// Linear mix from a (t = 0) to b (t = 1).
Rgb mix(Rgb a, Rgb b, double t);
// Darkens (f < 1) or brightens (f > 1) a colour.
Rgb scale(Rgb c, double f);

// Coverage in 0..1 per pixel: rendered text or a shape, painted later in any colour.
struct Mask {
    int w = 0, h = 0;
    std::vector<float> a;

    Mask() = default;
    Mask(int width, int height) : w(width), h(height), a(static_cast<size_t>(width * height)) {}
    float at(int x, int y) const {
        return x < 0 || y < 0 || x >= w || y >= h ? 0.f : a[static_cast<size_t>(y * w + x)];
    }
    // The mask grown by r pixels in every direction, for outlines and shadows.
    Mask grown(int r) const;
};

class Canvas {
  public:
    Canvas(int width, int height, Rgb fill);

    int width() const { return w_; }
    int height() const { return h_; }
    Rgb get(int x, int y) const { return px_[static_cast<size_t>(y * w_ + x)]; }

    void set(int x, int y, Rgb c);
    // Paints c with partial coverage; over the key colour it snaps to all or nothing, since a
    // blend with the key would leave a pink fringe that the game draws opaque.
    void blend(int x, int y, Rgb c, double alpha);
    void fillRect(int x, int y, int w, int h, Rgb c);
    void gradientRect(int x, int y, int w, int h, Rgb top, Rgb bottom);
    // Antialiased fill of every point inside the shape, sampled 4 x 4 per pixel within the box.
    void fillShape(int x0, int y0, int x1, int y1,
                   const std::function<bool(double, double)>& inside, Rgb c);
    void fillCircle(double cx, double cy, double r, Rgb c);
    void fillRoundRect(double x, double y, double w, double h, double radius, Rgb c);
    // Paints a mask whose top-left lands at (x, y), coloured from top to bottom.
    void paintMask(const Mask& m, int x, int y, Rgb top, Rgb bottom, double opacity = 1.0);
    void paintMask(const Mask& m, int x, int y, Rgb c) { paintMask(m, x, y, c, c); }
    // Copies every non-key pixel of src to (x, y).
    void paste(const Canvas& src, int x, int y);

    // Writes a 24-bit Windows bitmap through SDL; false if SDL refuses.
    bool saveBmp(const std::string& path) const;

  private:
    int w_, h_;
    std::vector<Rgb> px_;
};

struct Point {
    double x, y;
};
// Even-odd test, for polygons handed to Canvas::fillShape.
bool insidePolygon(const std::vector<Point>& poly, double x, double y);

// Text in a TrueType font at a pixel size; an empty mask if the font does not open.
Mask ttfText(const std::string& fontPath, int size, const std::string& text);
