// A floating-point RGBA canvas for painting the studio's pictures, with coverage masks,
// anti-aliased shapes given by distance functions, blurs and deterministic noise.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/pictures/picture_io.h"

// A colour with straight (not premultiplied) alpha; components 0 to 1 (light may exceed 1).
struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

inline Rgba rgb(int hex, float alpha = 1) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}
inline Rgba mix(Rgba p, Rgba q, float t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
            p.a + (q.a - p.a) * t};
}
inline Rgba scaled(Rgba c, float k) {
    return {c.r * k, c.g * k, c.b * k, c.a};
}
inline Rgba withAlpha(Rgba c, float a) {
    return {c.r, c.g, c.b, a};
}

inline float clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float smoothStep(float a, float b, float x) {
    float v = clamp01((x - a) / (b - a));
    return v * v * (3 - 2 * v);
}
// Coverage of a pixel by a shape whose signed distance (negative inside) is d pixels.
inline float coverage(float d) {
    return clamp01(0.5f - d);
}

// A grey coverage mask, 0 to 1 per pixel.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    Mask() = default;
    Mask(int w, int h) : width(w), height(h), values(static_cast<size_t>(w) * h, 0.0f) {}
    float& at(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
    float sample(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : at(x, y);
    }
    float total() const;
};

// How a colour lands on the canvas.
enum class Blend {
    Over, // normal alpha compositing
    Add   // light: colour × alpha is added, alpha grows as with "screen"
};

// Premultiplied RGBA pixels, row 0 at the top.
class Canvas {
  public:
    Canvas(int width, int height, Rgba fill = {0, 0, 0, 0});

    int width() const { return w; }
    int height() const { return h; }
    // Premultiplied pixel: r, g, b already multiplied by a.
    Rgba& at(int x, int y) { return pixels[static_cast<size_t>(y) * w + x]; }
    const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }

    // Puts colour c with the given coverage (0 to 1) on pixel (x, y); outside pixels are ignored.
    void put(int x, int y, Rgba c, float cover, Blend blend = Blend::Over);

    // Fills the pixels of the box [x0, x1) × [y0, y1) (clipped) where the distance function
    // d(px, py), evaluated at pixel centres, is negative; the edge is anti-aliased.
    template <class Distance>
    void fill(float x0, float y0, float x1, float y1, Rgba c, Distance d,
              Blend blend = Blend::Over) {
        int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
        int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
        int ix1 = std::min(w, static_cast<int>(std::ceil(x1)) + 1);
        int iy1 = std::min(h, static_cast<int>(std::ceil(y1)) + 1);
        for (int y = iy0; y < iy1; ++y)
            for (int x = ix0; x < ix1; ++x) {
                float cover = coverage(d(x + 0.5f, y + 0.5f));
                if (cover > 0) put(x, y, c, cover, blend);
            }
    }

    // Calls f(x, y) for every pixel and puts the colour it returns.
    template <class Shader> void shade(Shader f, Blend blend = Blend::Over) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, f(x + 0.5f, y + 0.5f), 1.0f, blend);
    }

    // Puts colour c through a mask whose top-left corner lies at (x, y).
    void draw(const Mask& mask, int x, int y, Rgba c, Blend blend = Blend::Over);
    // Composites another canvas over this one with its top-left corner at (x, y).
    void draw(const Canvas& layer, int x, int y, float opacity = 1, Blend blend = Blend::Over);

    // Gaussian-like blur (three box passes) of radius r pixels.
    void blur(int r);
    // Multiplies colour and alpha of every pixel by the mask value (which must match in size).
    void multiplyAlpha(const Mask& mask);

    // 8-bit picture with 3 or 4 channels (straight alpha); flipped = bottom row first, for
    // pictures that the demo draws with texture row 0 at the bottom of the quad.
    Picture toPicture(int channels, bool flipped = false) const;

  private:
    int w, h;
    std::vector<Rgba> pixels;
};

// Blurs one or more interleaved float channels in place: three box passes of radius r.
void blurPlane(float* data, int width, int height, int channels, int r);
inline void blur(Mask& mask, int r) {
    blurPlane(mask.values.data(), mask.width, mask.height, 1, r);
}
// The mask grown outwards by about r pixels (blurred, then pushed towards full coverage).
Mask grown(const Mask& mask, int r);
// A copy of the mask with `margin` empty pixels added on every side.
Mask padded(const Mask& mask, int margin);

// Distance functions for Canvas::fill (pixels, negative inside).
float boxDistance(float px, float py, float cx, float cy, float halfW, float halfH,
                  float radius = 0);
float circleDistance(float px, float py, float cx, float cy, float radius);
float segmentDistance(float px, float py, float ax, float ay, float bx, float by, float halfWidth);
struct Point {
    float x, y;
};
// Distance to a convex polygon given counter-clockwise or clockwise; exact along edges.
float convexDistance(float px, float py, const Point* points, int count);

// Deterministic noise: a hash of integers, value noise and fractal sums, all 0 to 1.
uint32_t hash32(uint32_t x);
float hashUnit(int x, int y, uint32_t seed);
float valueNoise(float x, float y, uint32_t seed);
float fractalNoise(float x, float y, uint32_t seed, int octaves);

// A small deterministic generator (xorshift), for layouts.
class Random {
  public:
    explicit Random(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float unit() { return (next() >> 8) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

  private:
    uint32_t state;
};
