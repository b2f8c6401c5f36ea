// The city's pictures, but for its walls (city_walls.cpp) and its sign sheet (city_signs.cpp):
// the sky round the dome and its mirror, wet streets and crossings, paving, steel, containers
// and the harbour's water; and the city's texture jobs. The alpha of the street and crossing
// pictures says how much each texel mirrors the sky (wet asphalt does, dry stone does not).
// Every picture that a model repeats tiles seamlessly, and nothing is finer than a few
// texels: the textures have no mipmaps.
#include "runtime/data_files.h"
#include "tools/geometry/city_pictures.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/city_painting.h"
#include "tools/pictures/pictures.h"
#include "tools/pictures/tiling.h"

#include <functional>

void wrapBlur(Canvas& canvas, int r) {
    const int w = canvas.width(), h = canvas.height(), pad = 3 * r + 2;
    Canvas big(w + 2 * pad, h + 2 * pad);
    for (int y = 0; y < h + 2 * pad; ++y)
        for (int x = 0; x < w + 2 * pad; ++x)
            big.at(x, y) = canvas.at(((x - pad) % w + w) % w, ((y - pad) % h + h) % h);
    big.blur(r);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            canvas.at(x, y) = big.at(x + pad, y + pad);
}

Canvas withMirroring(const Canvas& colour, const std::function<float(int, int)>& mirror) {
    Canvas out(colour.width(), colour.height());
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x) {
            const Rgba& c = colour.at(x, y);
            float a = std::max(0.02f, clamp01(mirror(x, y)));
            out.at(x, y) = {c.r * a, c.g * a, c.b * a, a};
        }
    return out;
}

float softBox(float x, float y, float cx, float cy, float halfW, float halfH, float soft) {
    float d = boxDistance(x, y, cx, cy, halfW, halfH);
    return clamp01(0.5f - d / soft);
}

namespace {

// ------------------------------------------------------------------------------------ sky

// The skyline far beyond the city at one direction of the sky picture: the height of the
// building there (degrees), and whether a lit window lies at (column, elevation).
struct FarSkyline {
    int width;
    // Towards the sea (round north) only a low far shore shows.
    float seaward(float u) const {
        float d = std::fabs(u - 0.25f);
        return 1 - smoothStep(0.08f, 0.16f, d);
    }
    float heightAt(int x) const {
        int building = x / 11 + static_cast<int>(hashUnit(x / 37, 0, 601) * 3);
        float h = 0.4f + 2.6f * std::pow(hashUnit(building, 1, 602), 2.2f);
        if (hashUnit(building, 2, 603) > 0.93f) h += 2.5f; // a far tower
        float u = float(x) / width;
        return h * (1 - 0.75f * seaward(u));
    }
};

Canvas paintCitySky(const Lettering&) {
    const int width = 4096, height = 1024;
    const float moonU = 0.268f, moonElevation = 19.0f, moonRadius = 9;
    FarSkyline skyline{width};
    Canvas canvas(width, height);
    const Rgba zenith = rgb(0x03040b), high = rgb(0x0b0d22), low = rgb(0x2a1a35),
               cityGlow = rgb(0x6a3a3e), seaGlow = rgb(0x1c2236), haze = rgb(0x1b1626);
    canvas.shade([&](float x, float y) {
        float u = x / width, row = y / height;
        float e = citysky::elevationOfRow(row);
        float towardsSea = skyline.seaward(u);
        // The gradient: black-blue overhead, violet lower down, the city's orange-pink glow
        // on the horizon (weaker over the sea).
        Rgba sky = mix(zenith, high, smoothStep(90, 40, e));
        sky = mix(sky, low, smoothStep(30, 6, e));
        Rgba glow = mix(cityGlow, seaGlow, towardsSea);
        sky = mix(sky, glow, 0.85f * std::pow(smoothStep(12, 0, e), 1.6f));
        // Clouds: banks flattened towards the horizon, their undersides lit by the city.
        float cx = x / width * 24, cy = std::pow(std::max(e, 0.0f) + 1.5f, 0.55f) * 2.2f;
        float cloud = tileNoise(cx, cy, 24, 64, 611) * 0.6f +
                      tileNoise(cx * 2.1f, cy * 2.1f, 50, 128, 612) * 0.28f +
                      tileNoise(cx * 4.3f, cy * 4.3f, 103, 256, 613) * 0.12f;
        float cover = smoothStep(0.5f, 0.72f, cloud) * smoothStep(-1, 4, e) * smoothStep(75, 35, e);
        float underLight = std::pow(smoothStep(45, 2, e), 1.5f);
        Rgba lit = mix(rgb(0x2a2538), mix(rgb(0x8a5048), rgb(0x3c4058), towardsSea), underLight);
        float du = std::fabs(u - moonU) * 360, de = e - moonElevation;
        float moonGlow = std::exp(-(du * du + de * de) / 180.0f);
        lit = mix(lit, rgb(0x8a94b8), 0.6f * moonGlow);
        sky = mix(sky, lit, 0.85f * cover);
        // The moon's halo.
        sky = mix(sky, rgb(0x55607e), 0.55f * std::exp(-std::sqrt(du * du + de * de) / 9));
        // Below the horizon: the haze the far city sinks into.
        return mix(sky, haze, smoothStep(0.3f, -1.5f, e));
    });
    // Stars, high up and faint, two to three texels wide.
    Random random(621);
    for (int i = 0; i < 900; ++i) {
        float sx = random.range(0, width), sy = random.range(0, height * 0.7f);
        float bright = random.range(0.1f, 0.6f) * smoothStep(0.7f * height, 0.3f * height, sy);
        canvas.fill(
            sx - 3, sy - 3, sx + 3, sy + 3, withAlpha(rgb(0xdfe6ff), bright),
            [&](float x, float y) { return circleDistance(x, y, sx, sy, 0.7f) / 1.2f; },
            Blend::Add);
    }
    // The moon, with soft grey seas.
    float moonX = moonU * width, moonY = citysky::rowOfElevation(moonElevation) * height;
    canvas.fill(moonX - 14, moonY - 14, moonX + 14, moonY + 14, rgb(0xf4eede),
                [&](float x, float y) { return circleDistance(x, y, moonX, moonY, moonRadius); });
    for (int i = 0; i < 4; ++i) {
        float mx = moonX + random.range(-5, 4), my = moonY + random.range(-4, 5);
        float r = random.range(1.8f, 3.0f);
        canvas.fill(mx - 2 * r, my - 2 * r, mx + 2 * r, my + 2 * r, rgb(0xc8c2b4, 0.7f),
                    [&](float x, float y) {
                        return std::max(circleDistance(x, y, mx, my, r) / 2,
                                        circleDistance(x, y, moonX, moonY, moonRadius - 1));
                    });
    }
    // The far skyline: dark towers against the glow, sunk in haze, with scattered windows
    // and a few red beacons.
    const float horizon = citysky::rowOfElevation(0) * height;
    for (int x = 0; x < width; ++x) {
        float h = skyline.heightAt(x);
        float top = citysky::rowOfElevation(h) * height;
        for (int y = static_cast<int>(top) - 1; y < static_cast<int>(horizon) + 2 && y < height;
             ++y) {
            float cover = clamp01(y + 1 - top);
            float depth = clamp01((y - top) / std::max(horizon - top, 1.0f));
            Rgba tower = mix(rgb(0x120e1c), haze, 0.35f + 0.4f * depth);
            bool window = (x % 3 == 1) && (y % 4 == 1) &&
                          hashUnit(x / 3 + 7, y / 4, 631) > 0.8f - 0.1f * depth;
            if (window) tower = mix(tower, rgb(0xe8b070), 0.55f);
            canvas.put(x, y, tower, cover);
        }
        if (h > 2.8f && x % 11 == 5)
            canvas.fill(
                x - 3, top - 4, x + 3, top + 2, rgb(0xff3a30),
                [&](float px, float py) { return circleDistance(px, py, x + 0.5f, top - 1, 0.9f); },
                Blend::Add);
    }
    wrapBlur(canvas, 1);
    return canvas;
}

// A sphere map of the same night: the zenith in the middle, the horizon's glow at the rim
// with the far city's lights. The city's glass, water and wet streets mirror it.
Canvas paintCityReflection(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float dx = (x - size / 2.0f) / (size / 2.0f), dy = (y - size / 2.0f) / (size / 2.0f);
        float r = std::hypot(dx, dy);
        Rgba sky = mix(rgb(0x05060f), rgb(0x181a34), smoothStep(0.0f, 0.8f, r));
        sky = mix(sky, rgb(0x4a3440), smoothStep(0.72f, 0.97f, r));
        float cloud = fractalNoise(x / 22, y / 22, 641, 3);
        sky = mix(sky, rgb(0x3a3048), 0.5f * smoothStep(0.55f, 0.75f, cloud) * (1 - r));
        float lights = valueNoise(x / 3.5f, y / 3.5f, 642);
        if (r > 0.84f && r < 0.99f)
            sky = mix(sky, palette::kWarmPale, 0.75f * smoothStep(0.72f, 0.95f, lights));
        return mix(sky, rgb(0x2c2230), smoothStep(0.98f, 1.03f, r));
    });
    canvas.blur(1);
    return canvas;
}

// ------------------------------------------------------------------------------ streets

// Wet asphalt: 0 to 1 texel coordinates within a 12-unit square of street, the puddles as
// the mirroring alpha.
float puddle(float x, float y, int size, uint32_t seed) {
    float n = tileFractal(x, y, size, size, 5, seed, 3);
    return smoothStep(0.52f, 0.6f, n);
}

Rgba asphalt(float x, float y, int size, uint32_t seed) {
    float grain = tileFractal(x, y, size, size, 32, seed + 10, 2);
    float patches = tileFractal(x, y, size, size, 4, seed + 20, 2);
    return scaled(rgb(0x1c1d22), 0.75f + 0.35f * grain + 0.25f * patches);
}

// The street between crossings, 12 units square: pavement slabs, kerbs and the road with a
// dashed centre line, wet in patches. Across is u (building line to building line), along
// is v; it repeats along the street.
Canvas paintCityStreet(const Lettering&) {
    const int size = 256;
    const float unit = size / 12.0f;
    Canvas colour(size, size);
    colour.shade([&](float x, float y) {
        float across = x / unit, along = y / unit;
        float kerb = std::min(std::fabs(across - 2), std::fabs(across - 10));
        Rgba c;
        if (across < 2 || across > 10) {
            // Pavement: square slabs with dark joints.
            float jx = std::fabs(std::fmod(across + 12, 1.0f) - 0.5f);
            float jy = std::fabs(std::fmod(along, 1.0f) - 0.5f);
            float joint = smoothStep(0.44f, 0.49f, std::max(jx, jy));
            float slab = hashUnit(static_cast<int>(across + 12), static_cast<int>(along), 702);
            c = scaled(rgb(0x34343a), 0.8f + 0.25f * slab);
            c = mix(c, rgb(0x16161a), 0.7f * joint);
        } else {
            c = asphalt(x, y, size, 703);
            // The dashed centre line: 3 units painted, 3 bare.
            float line = 1 - smoothStep(0.08f, 0.16f, std::fabs(across - 6));
            float dash = smoothStep(0.05f, 0.2f, std::fmod(along, 6.0f)) *
                         smoothStep(3.05f, 2.9f, std::fmod(along, 6.0f));
            c = mix(c, rgb(0x8a8a80), 0.8f * line * dash);
        }
        // The kerb stone.
        c = mix(c, rgb(0x55555a), 1 - smoothStep(0.06f, 0.14f, kerb));
        return mix(c, scaled(c, 0.55f), 0.6f * puddle(x, y, size, 704));
    });
    wrapBlur(colour, 1);
    return withMirroring(colour, [&](int x, int y) {
        float across = (x + 0.5f) / unit;
        float road = (across > 2.1f && across < 9.9f) ? 0.45f : 0.25f;
        return road + 0.55f * puddle(x + 0.5f, y + 0.5f, size, 704);
    });
}

// A crossing, 12 units square: wet asphalt with a zebra crossing on each side.
Canvas paintCityCrossing(const Lettering&) {
    const int size = 256;
    const float unit = size / 12.0f;
    Canvas colour(size, size);
    colour.shade([&](float x, float y) {
        float u = x / unit, v = y / unit;
        Rgba c = asphalt(x, y, size, 711);
        // Zebra stripes: 0.5 wide, 0.5 apart, in a band 2.2 units deep along each edge.
        auto stripes = [&](float along, float depth) {
            if (depth < 0.4f || depth > 2.4f || along < 2.2f || along > 9.8f) return 0.0f;
            float s = std::fabs(std::fmod(along, 1.0f) - 0.5f);
            return (1 - smoothStep(0.2f, 0.28f, s)) * smoothStep(0.4f, 0.5f, depth) *
                   smoothStep(2.4f, 2.3f, depth);
        };
        float zebra =
            std::max({stripes(u, v), stripes(u, 12 - v), stripes(v, u), stripes(v, 12 - u)});
        c = mix(c, rgb(0x8c8c86), 0.75f * zebra);
        return mix(c, scaled(c, 0.55f), 0.6f * puddle(x, y, size, 712));
    });
    wrapBlur(colour, 1);
    return withMirroring(colour, [&](int x, int y) {
        return 0.45f + 0.55f * puddle(x + 0.5f, y + 0.5f, size, 712);
    });
}

// Concrete paving in slabs of 2 units (the picture is 12 units square), stained: quays, the
// pier, yards, roofs.
Canvas paintCityPaving(const Lettering&) {
    const int size = 256;
    const float unit = size / 12.0f;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float u = x / unit, v = y / unit;
        float jx = std::fabs(std::fmod(u, 2.0f) - 1), jy = std::fabs(std::fmod(v, 2.0f) - 1);
        float joint = smoothStep(0.9f, 0.97f, std::max(jx, jy));
        float slab = hashUnit(static_cast<int>(u / 2), static_cast<int>(v / 2), 721);
        float stain = tileFractal(x, y, size, size, 6, 722, 3);
        Rgba c = scaled(rgb(0x34333a), 0.7f + 0.2f * slab + 0.35f * stain);
        return mix(c, rgb(0x141418), 0.6f * joint);
    });
    wrapBlur(canvas, 1);
    return canvas;
}

// ------------------------------------------------------------------------ harbour

// Painted steel, 4 units square: grey under the paint the model gives it, with seams, rivets
// and rust streaks running down.
Canvas paintCitySteel(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float wear = tileFractal(x, y, size, size, 6, 781, 3);
        float streak = tileFractal(x * 6, y * 0.5f, size, size, 8, 782, 2);
        float seam = std::fabs(std::fmod(y, 128.0f) - 64);
        Rgba c = scaled(rgb(0x8a8c90), 0.7f + 0.3f * wear);
        c = mix(c, rgb(0x5a3a28), 0.35f * smoothStep(0.55f, 0.8f, streak));
        c = mix(c, rgb(0x4a4a50), 0.5f * smoothStep(60, 63, seam));
        return c;
    });
    wrapBlur(canvas, 1);
    return canvas;
}

// A container's side, 6.1 x 2.55 units: pale grey corrugation (the model paints it), the
// top and bottom rails, a stencilled number block and grime.
Canvas paintCityContainer(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float rib = 0.5f + 0.5f * std::sin(x / size * 6.2831853f * 20);
        float grime = tileFractal(x, y, size, size, 5, 791, 3);
        Rgba c = scaled(rgb(0xb0b0b0), 0.55f + 0.3f * rib + 0.2f * grime);
        float rail = std::min(y, size - y);
        c = mix(c, rgb(0x303030), 1 - smoothStep(10, 16, rail));
        float post = std::min(x, size - x);
        return mix(c, rgb(0x404040), 1 - smoothStep(6, 10, post));
    });
    // A pale code block on the upper right.
    canvas.fill(170, 40, 230, 70, rgb(0xe0e0e0, 0.5f), [&](float x, float y) {
        float line = std::fabs(std::fmod(y - 40, 10.0f) - 5) - 2.5f;
        return std::max(boxDistance(x, y, 200, 55, 28, 13), line);
    });
    wrapBlur(canvas, 1);
    return canvas;
}

// The harbour's water: nearly black green-blue with slow ripples; it mirrors the sky fully.
Canvas paintCityWater(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float ripple = tileFractal(x, y * 2.5f, size, size, 8, 801, 3);
        float fine = tileFractal(x, y * 3, size, size, 24, 802, 2);
        return scaled(rgb(0x0e1a22), 0.6f + 0.5f * ripple + 0.3f * fine);
    });
    wrapBlur(canvas, 1);
    return canvas;
}

} // namespace

void addCityTextureJobs(std::vector<PictureJob>& jobs) {
    using namespace datafiles;
    auto add = [&](const char* file, int channels, Canvas (*paint)(const Lettering&)) {
        jobs.push_back({file, channels, false, paint});
    };
    add(kCityReflectionTexture, 3, paintCityReflection);
    add(kCitySkyTexture, 3, paintCitySky);
    add(kCityStreetTexture, 4, paintCityStreet);
    add(kCityCrossingTexture, 4, paintCityCrossing);
    add(kCityPavingTexture, 3, paintCityPaving);
    add(kCityGlassTexture, 4, paintCityGlass);
    add(kCityOfficeTexture, 4, paintCityOffice);
    add(kCityMarketTexture, 3, paintCityMarket);
    add(kCityShopsTexture, 3, paintCityShops);
    add(kCitySignsTexture, 3, paintCitySigns);
    add(kCitySteelTexture, 3, paintCitySteel);
    add(kCityContainerTexture, 3, paintCityContainer);
    add(kCityWaterTexture, 3, paintCityWater);
}
