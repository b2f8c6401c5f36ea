#include "tools/pictures/canvas.h"

#include <cassert>

float Mask::total() const {
    float sum = 0;
    for (float v : values)
        sum += v;
    return sum;
}

Canvas::Canvas(int width, int height, Rgba fill)
    : w(width), h(height), pixels(static_cast<size_t>(width) * height,
                                  Rgba{fill.r * fill.a, fill.g * fill.a, fill.b * fill.a, fill.a}) {
    assert(width > 0 && height > 0);
}

void Canvas::put(int x, int y, Rgba c, float cover, Blend blend) {
    if (x < 0 || y < 0 || x >= w || y >= h || cover <= 0) return;
    float a = c.a * cover;
    Rgba& d = at(x, y);
    if (blend == Blend::Over) {
        float keep = 1 - a;
        d.r = c.r * a + d.r * keep;
        d.g = c.g * a + d.g * keep;
        d.b = c.b * a + d.b * keep;
        d.a = a + d.a * keep;
    } else {
        d.r += c.r * a;
        d.g += c.g * a;
        d.b += c.b * a;
        d.a = d.a + clamp01(a) * (1 - d.a);
    }
}

void Canvas::draw(const Mask& mask, int x, int y, Rgba c, Blend blend) {
    int mx0 = std::max(0, -x), my0 = std::max(0, -y);
    int mx1 = std::min(mask.width, w - x), my1 = std::min(mask.height, h - y);
    for (int my = my0; my < my1; ++my)
        for (int mx = mx0; mx < mx1; ++mx) {
            float v = mask.at(mx, my);
            if (v > 0) put(x + mx, y + my, c, v, blend);
        }
}

void Canvas::draw(const Canvas& layer, int x, int y, float opacity, Blend blend) {
    int lx0 = std::max(0, -x), ly0 = std::max(0, -y);
    int lx1 = std::min(layer.w, w - x), ly1 = std::min(layer.h, h - y);
    for (int ly = ly0; ly < ly1; ++ly)
        for (int lx = lx0; lx < lx1; ++lx) {
            const Rgba& s = layer.at(lx, ly);
            Rgba& d = at(x + lx, y + ly);
            float k = opacity;
            if (blend == Blend::Over) {
                float keep = 1 - s.a * k;
                d = {s.r * k + d.r * keep, s.g * k + d.g * keep, s.b * k + d.b * keep,
                     s.a * k + d.a * keep};
            } else {
                d.r += s.r * k;
                d.g += s.g * k;
                d.b += s.b * k;
                d.a = d.a + clamp01(s.a * k) * (1 - d.a);
            }
        }
}

void Canvas::blur(int r) {
    blurPlane(&pixels[0].r, w, h, 4, r);
}

void Canvas::multiplyAlpha(const Mask& mask) {
    assert(mask.width == w && mask.height == h);
    for (size_t i = 0; i < pixels.size(); ++i) {
        float k = mask.values[i];
        pixels[i] = {pixels[i].r * k, pixels[i].g * k, pixels[i].b * k, pixels[i].a * k};
    }
}

static uint8_t toByte(float v) {
    return static_cast<uint8_t>(clamp01(v) * 255.0f + 0.5f);
}

Picture Canvas::toPicture(int channels, bool flipped) const {
    assert(channels == 3 || channels == 4);
    Picture picture;
    picture.width = w;
    picture.height = h;
    picture.channels = channels;
    picture.pixels.resize(static_cast<size_t>(w) * h * channels);
    uint8_t* out = picture.pixels.data();
    for (int row = 0; row < h; ++row) {
        int y = flipped ? h - 1 - row : row;
        for (int x = 0; x < w; ++x) {
            const Rgba& p = at(x, y);
            // RGB pictures show the colour as it lies on black; RGBA ones keep straight alpha.
            float k = channels == 3 || p.a <= 0 ? 1.0f : 1.0f / std::min(1.0f, p.a);
            *out++ = toByte(p.r * k);
            *out++ = toByte(p.g * k);
            *out++ = toByte(p.b * k);
            if (channels == 4) *out++ = toByte(p.a);
        }
    }
    return picture;
}

// One box pass along a line of n samples spaced `step` floats apart, for `channels` channels.
static void boxLine(float* line, int n, int step, int channels, int r, std::vector<float>& tmp) {
    tmp.resize(static_cast<size_t>(n) * channels);
    float norm = 1.0f / (2 * r + 1);
    for (int c = 0; c < channels; ++c) {
        float sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += line[std::clamp(i, 0, n - 1) * step + c];
        for (int i = 0; i < n; ++i) {
            tmp[static_cast<size_t>(i) * channels + c] = sum * norm;
            sum += line[std::min(i + r + 1, n - 1) * step + c];
            sum -= line[std::max(i - r, 0) * step + c];
        }
    }
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
            line[i * step + c] = tmp[static_cast<size_t>(i) * channels + c];
}

void blurPlane(float* data, int width, int height, int channels, int r) {
    if (r <= 0) return;
    std::vector<float> tmp;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y)
            boxLine(data + static_cast<size_t>(y) * width * channels, width, channels, channels, r,
                    tmp);
        for (int x = 0; x < width; ++x)
            boxLine(data + x * channels, height, width * channels, channels, r, tmp);
    }
}

Mask grown(const Mask& mask, int r) {
    Mask out = mask;
    blur(out, std::max(1, r / 2));
    for (float& v : out.values)
        v = clamp01(v * 3.0f);
    return out;
}

Mask padded(const Mask& mask, int margin) {
    Mask out(mask.width + 2 * margin, mask.height + 2 * margin);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            out.at(x + margin, y + margin) = mask.at(x, y);
    return out;
}

float boxDistance(float px, float py, float cx, float cy, float halfW, float halfH, float radius) {
    float qx = std::fabs(px - cx) - halfW + radius;
    float qy = std::fabs(py - cy) - halfH + radius;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float circleDistance(float px, float py, float cx, float cy, float radius) {
    return std::hypot(px - cx, py - cy) - radius;
}

float segmentDistance(float px, float py, float ax, float ay, float bx, float by, float halfWidth) {
    float dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? clamp01(((px - ax) * dx + (py - ay) * dy) / len2) : 0.0f;
    return std::hypot(px - ax - t * dx, py - ay - t * dy) - halfWidth;
}

float convexDistance(float px, float py, const Point* points, int count) {
    // The signed area tells the winding, so the outward normals point the right way.
    float area = 0;
    for (int i = 0; i < count; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % count];
        area += a.x * b.y - b.x * a.y;
    }
    float sign = area > 0 ? 1.0f : -1.0f;
    float d = -1e30f;
    for (int i = 0; i < count; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % count];
        float ex = b.x - a.x, ey = b.y - a.y;
        float len = std::hypot(ex, ey);
        if (len <= 0) continue;
        float nx = sign * ey / len, ny = -sign * ex / len;
        d = std::max(d, (px - a.x) * nx + (py - a.y) * ny);
    }
    return d;
}

uint32_t hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

float hashUnit(int x, int y, uint32_t seed) {
    uint32_t h = hash32(static_cast<uint32_t>(x) * 0x8da6b343u ^
                        static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu);
    return (h >> 8) * (1.0f / 16777216.0f);
}

float valueNoise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = hashUnit(ix, iy, seed), b = hashUnit(ix + 1, iy, seed);
    float c = hashUnit(ix, iy + 1, seed), d = hashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fractalNoise(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, weight = 0, amplitude = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += valueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u) * amplitude;
        weight += amplitude;
        amplitude *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / weight;
}
