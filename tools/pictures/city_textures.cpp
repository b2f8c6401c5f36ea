// The city's pictures: the sky round the dome, wet streets and crossings, paving, the walls of
// glass towers, stone towers and shop houses, the shops, the sheet of neon signs and lenses,
// steel, containers and the harbour's water. Walls are painted as they look at night: dark
// stone and glass, windows that glow on their own (the model shader lets bright texels shine
// whatever the light baked into the wall), each window lit its own way. The alpha of the
// street, crossing, glass and office pictures says how much each texel mirrors the sky (wet
// asphalt and glass do, dry stone does not). Every picture that a model repeats tiles
// seamlessly, and nothing is finer than a few texels: the textures have no mipmaps.
#include "runtime/data_files.h"
#include "tools/geometry/city_pictures.h"
#include "tools/pictures/logotype.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"
#include "tools/pictures/tiling.h"

#include <functional>

namespace {

// A blur that wraps round the picture's edges, so that a tiling picture stays seamless.
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

// An opaque picture given its colour and, per pixel, how much it mirrors (its alpha).
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

// A soft-edged rectangle's coverage at (x, y): 1 inside, fading over `soft` pixels.
float softBox(float x, float y, float cx, float cy, float halfW, float halfH, float soft) {
    float d = boxDistance(x, y, cx, cy, halfW, halfH);
    return clamp01(0.5f - d / soft);
}

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

// -------------------------------------------------------------------------------- walls

// The lit interior behind a window: `kind` picks the light, `seed` the details.
Rgba roomLight(int kind, float fx, float fy, uint32_t seed) {
    // fx, fy: 0 to 1 across and down the glass.
    float lamp = std::exp(-((fx - 0.3f - 0.4f * hashUnit(int(seed), 1, 731)) * (fx - 0.5f) * 6 +
                            (fy - 0.3f) * (fy - 0.3f) * 4));
    switch (kind) {
    case 0: // warm
        return mix(rgb(0xd08040), rgb(0xffd08a), clamp01(0.3f + 0.7f * lamp));
    case 1: // cool
        return mix(rgb(0x7a9ac0), rgb(0xdcecff), clamp01(0.3f + 0.7f * lamp));
    case 2: // a television's blue
        return mix(rgb(0x2a4aa0), rgb(0x6a9aff), 0.5f + 0.5f * lamp);
    default: // dim orange
        return mix(rgb(0x5a3018), rgb(0xa05a28), lamp);
    }
}

// A glass curtain wall: 8 bays of 3 units by 16 floors of 3.6 (24 x 57.6 units). Most of it
// is dark glass that mirrors the sky; some floors are offices lit right across, some only in
// a few bays, each bay a little brighter or dimmer: fluorescent panels in the ceiling, the
// room dimming towards the floor, desks and screens. Slab edges and mullions between.
Canvas paintCityGlass(const Lettering&) {
    const int width = 512, height = 1024, bays = 8, floors = 16;
    const float bayW = float(width) / bays, floorH = float(height) / floors;
    Random random(741);
    std::vector<float> bayLight(bays * floors);
    std::vector<int> floorWarm(floors);
    for (int f = 0; f < floors; ++f) {
        float roll = random.unit();
        float share = roll < 0.25f ? 0.92f : roll < 0.55f ? 0.35f : 0.05f;
        floorWarm[f] = random.unit() < 0.45f ? 1 : 0;
        for (int b = 0; b < bays; ++b)
            bayLight[f * bays + b] = random.unit() < share ? random.range(0.75f, 1.1f) : 0;
    }
    Canvas colour(width, height);
    colour.shade([&](float x, float y) {
        int f = static_cast<int>(y / floorH), b = static_cast<int>(x / bayW);
        float fy = (y - f * floorH) / floorH, fx = (x - b * bayW) / bayW;
        float light = bayLight[f * bays + b];
        Rgba c = mix(rgb(0x070b16), rgb(0x101a30), fy * 0.8f + 0.2f * fx);
        if (light > 0) {
            bool warm = floorWarm[f] != 0;
            Rgba room = warm ? rgb(0xc09a70) : rgb(0x8ea8c4);
            Rgba inside = mix(room, scaled(room, 0.35f), smoothStep(0.15f, 0.82f, fy));
            // Two fluorescent panels in the ceiling, and the ceiling itself.
            float ceiling = 1 - smoothStep(0.1f, 0.14f, fy);
            inside = mix(inside, scaled(room, 0.8f), ceiling);
            float panel = std::max(softBox(fx, fy, 0.27f, 0.055f, 0.16f, 0.025f, 0.012f),
                                   softBox(fx, fy, 0.73f, 0.055f, 0.16f, 0.025f, 0.012f));
            inside = mix(inside, warm ? rgb(0xfff0d8) : rgb(0xf0f8ff), panel);
            // Desks along the window, and a screen on some.
            uint32_t seed = static_cast<uint32_t>(f * bays + b);
            if (fy > 0.6f && fy < 0.82f && hashUnit(int(fx * 4), f, 742 + seed) > 0.3f)
                inside = mix(inside, rgb(0x16161c), 0.8f);
            if (hashUnit(b, f, 743) > 0.55f && softBox(fx, fy, 0.3f + 0.4f * hashUnit(b, f, 744),
                                                       0.55f, 0.08f, 0.05f, 0.01f) > 0.5f)
                inside = rgb(0x6a9ad8);
            c = scaled(inside, light);
        }
        // The slab's edge between floors and the mullions between bays.
        float slab = smoothStep(0.84f, 0.86f, fy) * (1 - smoothStep(0.985f, 1.0f, fy));
        float mullion = 1 - smoothStep(1.0f, 2.2f, std::min(x - b * bayW, (b + 1) * bayW - x));
        c = mix(c, rgb(0x1a1e28), slab);
        return mix(c, rgb(0x242a36), mullion);
    });
    wrapBlur(colour, 1);
    return withMirroring(colour, [&](int x, int y) {
        int f = static_cast<int>(y / floorH), b = static_cast<int>(x / bayW);
        float fy = (y - f * floorH) / floorH;
        if (fy > 0.84f) return 0.1f;
        return bayLight[f * bays + b] > 0 ? 0.2f : 1.0f;
    });
}

// A stone tower's wall: 8 bays by 16 floors of 3 units (24 x 48 units), one punched window a
// bay, each lit its own way: warm or cool, curtains half drawn, blinds, a television's blue,
// or dark glass.
Canvas paintCityOffice(const Lettering&) {
    const int width = 512, height = 1024, bays = 8, floors = 16;
    const float bayW = float(width) / bays, floorH = float(height) / floors;
    Canvas colour(width, height);
    colour.shade([&](float x, float y) {
        float grime = tileFractal(x, y, width, height, 8, 751, 3);
        float streak = tileFractal(x * 4, y * 0.25f, width, height, 8, 752, 2);
        return scaled(rgb(0x2c2830), 0.7f + 0.35f * grime - 0.15f * streak);
    });
    Random random(753);
    for (int f = 0; f < floors; ++f)
        for (int b = 0; b < bays; ++b) {
            float cx = (b + 0.5f) * bayW, cy = (f + 0.5f) * floorH - 2;
            const float halfW = bayW * 0.3f, halfH = floorH * 0.33f;
            float roll = random.unit();
            int kind = roll < 0.34f   ? 0
                       : roll < 0.46f ? 1
                       : roll < 0.52f ? 2
                       : roll < 0.6f  ? 3
                                      : -1;
            uint32_t seed = random.next();
            float curtain = random.unit() < 0.5f ? random.range(0.15f, 0.45f) : 0;
            bool blinds = random.unit() < 0.3f;
            // The stone surround and sill.
            colour.fill(cx - halfW - 4, cy - halfH - 4, cx + halfW + 4, cy + halfH + 8,
                        rgb(0x3a363c), [&](float px, float py) {
                            return boxDistance(px, py, cx, cy + 2, halfW + 3, halfH + 4);
                        });
            colour.fill(
                cx - halfW, cy - halfH, cx + halfW, cy + halfH, rgb(0x000000),
                [&](float px, float py) { return boxDistance(px, py, cx, cy, halfW, halfH); });
            colour.shade(
                [&](float px, float py) {
                    float fx = (px - (cx - halfW)) / (2 * halfW),
                          fy = (py - (cy - halfH)) / (2 * halfH);
                    if (fx < 0 || fx > 1 || fy < 0 || fy > 1) return Rgba{0, 0, 0, 0};
                    Rgba c = kind < 0 ? mix(rgb(0x0c1224), rgb(0x1a2440), fy)
                                      : roomLight(kind, fx, fy, seed);
                    if (kind >= 0 && curtain > 0 && (fx < curtain || fx > 1 - curtain * 0.8f))
                        c = scaled(c, 0.62f); // curtains, lit through
                    if (kind >= 0 && blinds && std::fmod(py, 5.0f) < 1.6f) c = scaled(c, 0.7f);
                    // The frame's cross.
                    float bar = std::min(std::fabs(fx - 0.5f) * 2 * halfW,
                                         std::fabs(fy - 0.35f) * 2 * halfH);
                    return mix(c, rgb(0x101014), 1 - smoothStep(0.8f, 1.8f, bar));
                },
                Blend::Over);
        }
    wrapBlur(colour, 1);
    return withMirroring(colour, [&](int x, int y) {
        int b = static_cast<int>(x / bayW), f = static_cast<int>(y / floorH);
        float cx = (b + 0.5f) * bayW, cy = (f + 0.5f) * floorH - 2;
        return softBox(x + 0.5f, y + 0.5f, cx, cy, bayW * 0.3f, floorH * 0.33f, 2) * 0.8f;
    });
}

// The market's shop houses above their shops: 4 bays of 4 units by 5 floors of 3.1 (16 x
// 15.5 units): rendered walls, small windows lit warm behind curtains or dark, air
// conditioners and drainpipes.
Canvas paintCityMarket(const Lettering&) {
    const int size = 512, bays = 4, floors = 5;
    const float bayW = float(size) / bays, floorH = float(size) / floors;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float grime = tileFractal(x, y, size, size, 6, 761, 3);
        float damp = tileFractal(x, y * 0.3f, size, size, 10, 762, 2);
        return scaled(rgb(0x2c2628), 0.65f + 0.45f * grime - 0.25f * damp);
    });
    Random random(763);
    for (int f = 0; f < floors; ++f)
        for (int b = 0; b < bays; ++b) {
            float cx = (b + 0.5f) * bayW + random.range(-8, 8), cy = (f + 0.45f) * floorH;
            float halfW = random.range(20, 32), halfH = random.range(24, 30);
            float roll = random.unit();
            int kind = roll < 0.5f    ? 0
                       : roll < 0.58f ? 1
                       : roll < 0.66f ? 2
                       : roll < 0.76f ? 3
                                      : -1;
            uint32_t seed = random.next();
            bool curtains = random.unit() < 0.6f;
            canvas.fill(cx - halfW - 5, cy - halfH - 5, cx + halfW + 5, cy + halfH + 9,
                        rgb(0x24201f), [&](float px, float py) {
                            return boxDistance(px, py, cx, cy + 2, halfW + 4, halfH + 5);
                        });
            canvas.shade(
                [&](float px, float py) {
                    float fx = (px - (cx - halfW)) / (2 * halfW),
                          fy = (py - (cy - halfH)) / (2 * halfH);
                    if (fx < 0 || fx > 1 || fy < 0 || fy > 1) return Rgba{0, 0, 0, 0};
                    Rgba c = kind < 0 ? mix(rgb(0x0a0e18), rgb(0x161c2c), fy)
                                      : roomLight(kind, fx, fy, seed);
                    if (kind >= 0 && curtains && (fx < 0.28f || fx > 0.72f)) c = scaled(c, 0.58f);
                    float bar = std::fabs(fx - 0.5f) * 2 * halfW;
                    return mix(c, rgb(0x141210), 1 - smoothStep(0.8f, 1.8f, bar));
                },
                Blend::Over);
            if (random.unit() < 0.35f) {
                // An air conditioner under the window.
                float ax = cx + random.range(-10, 10), ay = cy + halfH + 22;
                canvas.fill(
                    ax - 18, ay - 11, ax + 18, ay + 11, rgb(0x6a6a6c),
                    [&](float px, float py) { return boxDistance(px, py, ax, ay, 16, 9, 2); });
                canvas.fill(
                    ax - 10, ay - 7, ax + 10, ay + 7, rgb(0x3a3a3e),
                    [&](float px, float py) { return circleDistance(px, py, ax - 4, ay, 6); });
            }
        }
    // Drainpipes down two of the bays' edges.
    for (float px : {bayW * 1.0f, bayW * 3.0f})
        canvas.fill(px - 5, 0, px + 5, size, rgb(0x1c1a1a),
                    [&](float x, float) { return std::fabs(x - px) - 3; });
    wrapBlur(canvas, 1);
    return canvas;
}

// The shops under the houses: a row of lit fronts of different widths, 32 x 4.2 units,
// repeating along: glowing windows of goods, doors, a few roller shutters half down.
Canvas paintCityShops(const Lettering&) {
    const int width = 1024, height = 128;
    const float unit = width / 32.0f;
    Canvas canvas(width, height, rgb(0x141214));
    Random random(771);
    float x0 = 0;
    while (x0 < width - 1) {
        float w = std::min(random.range(4.0f, 7.5f) * unit, width - x0);
        if (width - x0 - w < 3.5f * unit) w = width - x0;
        float x1 = x0 + w;
        int kind = random.below(4);
        Rgba light = kind == 0   ? rgb(0xffe0a8)
                     : kind == 1 ? rgb(0xdff0ff)
                     : kind == 2 ? rgb(0xffc080)
                                 : rgb(0xfff2d8);
        float shutter = random.unit() < 0.3f ? random.range(0.25f, 0.6f) : 0;
        uint32_t seed = random.next();
        // The fascia band at the top, the window and a door at one side.
        const float top = 22, bottom = height - 6;
        float doorAt = random.unit() < 0.5f ? x0 + 14 : x1 - 14 - 34;
        canvas.shade(
            [&](float x, float y) {
                if (x < x0 + 6 || x > x1 - 6 || y < top || y > bottom) return Rgba{0, 0, 0, 0};
                float fy = (y - top) / (bottom - top);
                Rgba c = mix(light, scaled(light, 0.7f), fy);
                // Shelves of goods: rows of small coloured blocks.
                float shelf = std::fmod(y - top, 22.0f);
                if (shelf > 12 && hashUnit(int(x / 7), int((y - top) / 22), seed) > 0.35f) {
                    float hue = hashUnit(int(x / 7), int((y - top) / 22) + 9, seed);
                    c = mix(c,
                            hue < 0.33f   ? rgb(0xc03a3a)
                            : hue < 0.66f ? rgb(0x3a8ac0)
                                          : rgb(0xd0b040),
                            0.55f);
                }
                if (x > doorAt && x < doorAt + 34) c = mix(c, scaled(light, 0.55f), 0.8f);
                if (shutter > 0 && fy < shutter) {
                    float rib = 0.5f + 0.5f * std::sin(y * 1.4f);
                    c = scaled(rgb(0x5a5a60), 0.55f + 0.25f * rib);
                }
                return c;
            },
            Blend::Over);
        // Pillars between the shops.
        canvas.fill(x1 - 6, 0, x1 + 6, height, rgb(0x222024),
                    [&](float x, float) { return std::fabs(x - x1) - 5; });
        x0 = x1;
    }
    // The fascia: a dark band with a lit edge.
    canvas.shade(
        [&](float, float y) {
            return y < 20   ? withAlpha(rgb(0x1a181c), 1)
                   : y < 23 ? withAlpha(rgb(0x6a5a4a), 1)
                            : Rgba{0, 0, 0, 0};
        },
        Blend::Over);
    wrapBlur(canvas, 1);
    return canvas;
}

// ------------------------------------------------------------------------- sign sheet

TextStyle neonStyle(Rgba colour) {
    TextStyle style;
    style.fill = mix(colour, rgb(0xffffff), 0.55f);
    style.outline = withAlpha(colour, 0.9f);
    style.outlineWidth = 2;
    style.glow = withAlpha(colour, 1);
    style.glowRadius = 9;
    style.glowStrength = 1.8f;
    return style;
}

// A drawn mark in a cell: tubes of light along a few strokes.
void drawMark(Canvas& canvas, const std::string& mark, float cx, float cy, float r, Rgba colour) {
    auto tube = [&](std::function<float(float, float)> distance) {
        canvas.fill(
            cx - r - 16, cy - r - 16, cx + r + 16, cy + r + 16, withAlpha(colour, 0.45f),
            [&](float x, float y) { return (distance(x, y) - 7) / 5; }, Blend::Add);
        canvas.fill(cx - r - 4, cy - r - 4, cx + r + 4, cy + r + 4,
                    mix(colour, rgb(0xffffff), 0.55f),
                    [&](float x, float y) { return distance(x, y) - 2.6f; });
    };
    if (mark == "#ring") {
        tube([&](float x, float y) { return std::fabs(circleDistance(x, y, cx, cy, r * 0.7f)); });
        tube([&](float x, float y) { return std::fabs(circleDistance(x, y, cx, cy, r * 0.35f)); });
    } else if (mark == "#arrow") {
        tube([&](float x, float y) {
            return std::min(
                {segmentDistance(x, y, cx - r * 0.7f, cy, cx + r * 0.7f, cy, 0),
                 segmentDistance(x, y, cx + r * 0.7f, cy, cx + r * 0.2f, cy - r * 0.45f, 0),
                 segmentDistance(x, y, cx + r * 0.7f, cy, cx + r * 0.2f, cy + r * 0.45f, 0)});
        });
    } else if (mark == "#cup") {
        tube([&](float x, float y) {
            float bowl = std::fabs(circleDistance(x, y, cx, cy - r * 0.1f, r * 0.5f));
            if (y < cy - r * 0.1f)
                bowl = segmentDistance(x, y, cx - r * 0.5f, cy - r * 0.1f, cx + r * 0.5f,
                                       cy - r * 0.1f, 0);
            return std::min({bowl,
                             segmentDistance(x, y, cx - r * 0.55f, cy + r * 0.62f, cx + r * 0.55f,
                                             cy + r * 0.62f, 0),
                             segmentDistance(x, y, cx - r * 0.1f, cy - r * 0.35f, cx + r * 0.1f,
                                             cy - r * 0.75f, 0)});
        });
    } else if (mark == "#star") {
        tube([&](float x, float y) {
            float d = 1e9f;
            for (int k = 0; k < 5; ++k) {
                float a0 = -1.5708f + k * 2.5133f, a1 = a0 + 2.5133f * 2;
                d = std::min(d, segmentDistance(x, y, cx + r * 0.75f * std::cos(a0),
                                                cy + r * 0.75f * std::sin(a0),
                                                cx + r * 0.75f * std::cos(a1),
                                                cy + r * 0.75f * std::sin(a1), 0));
            }
            return d;
        });
    } else if (mark == "#wave") {
        tube([&](float x, float y) {
            float best = 1e9f;
            for (float row : {-0.35f, 0.0f, 0.35f})
                for (float t = -0.7f; t < 0.7f; t += 0.05f) {
                    float ax = cx + r * t, ay = cy + r * (row + 0.12f * std::sin(t * 9));
                    float bx = cx + r * (t + 0.05f),
                          by = cy + r * (row + 0.12f * std::sin((t + 0.05f) * 9));
                    best = std::min(best, segmentDistance(x, y, ax, ay, bx, by, 0));
                }
            return best;
        });
    } else {
        tube([&](float x, float y) {
            return std::min({segmentDistance(x, y, cx + r * 0.2f, cy - r * 0.75f, cx - r * 0.3f,
                                             cy + r * 0.05f, 0),
                             segmentDistance(x, y, cx - r * 0.3f, cy + r * 0.05f, cx + r * 0.3f,
                                             cy - r * 0.05f, 0),
                             segmentDistance(x, y, cx + r * 0.3f, cy - r * 0.05f, cx - r * 0.2f,
                                             cy + r * 0.75f, 0)});
        });
    }
}

// The sheet of lenses, cloth and neon signs (citysigns): lenses glow from a bright core,
// the cloth is grey stripes (the model colours it), signs are tubes of light on dark plates.
Canvas paintCitySigns(const Lettering&) {
    const int cell = citysigns::kCellPixels, size = cell * citysigns::kCells;
    Canvas canvas(size, size, rgb(0x08080a));
    const Rgba lensColours[] = {rgb(0xeef6ff), rgb(0xffdca0), rgb(0xffb060), rgb(0xc8f4ff),
                                rgb(0xff3020)};
    for (int k = 0; k < 5; ++k) {
        float cx = (k + 0.5f) * cell, cy = 0.5f * cell;
        canvas.shade(
            [&](float x, float y) {
                if (std::fabs(x - cx) > cell / 2 || std::fabs(y - cy) > cell / 2)
                    return Rgba{0, 0, 0, 0};
                float d = std::max(std::fabs(x - cx), std::fabs(y - cy)) / (cell / 2);
                return withAlpha(mix(lensColours[k], rgb(0xffffff), 0.4f * (1 - d)), 1);
            },
            Blend::Over);
    }
    // The awning cloth: broad stripes, pale and mid grey.
    canvas.shade(
        [&](float x, float y) {
            float cx = citysigns::kAwningCloth * cell;
            if (x < cx || x >= cx + cell || y >= cell) return Rgba{0, 0, 0, 0};
            float stripe = 0.5f + 0.5f * std::sin((x - cx) / cell * 6.2831853f * 5);
            return withAlpha(scaled(rgb(0x909090), 0.45f + 0.4f * smoothStep(0.3f, 0.7f, stripe)),
                             1);
        },
        Blend::Over);
    for (const citysigns::Sign& sign : citysigns::kSigns) {
        Rgba colour{sign.red, sign.green, sign.blue, 1};
        float x0 = sign.column * cell, y0 = sign.row * cell;
        float w = sign.wide * cell, h = sign.high * cell;
        // The plate and its border tube.
        canvas.fill(x0 + 4, y0 + 4, x0 + w - 4, y0 + h - 4, rgb(0x100c14), [&](float x, float y) {
            return boxDistance(x, y, x0 + w / 2, y0 + h / 2, w / 2 - 8, h / 2 - 8, 10);
        });
        canvas.fill(x0 + 4, y0 + 4, x0 + w - 4, y0 + h - 4, scaled(colour, 0.8f),
                    [&](float x, float y) {
                        return std::fabs(boxDistance(x, y, x0 + w / 2, y0 + h / 2, w / 2 - 14,
                                                     h / 2 - 14, 8)) -
                               1.6f;
                    });
        std::string word = sign.word;
        if (word[0] == '#') {
            drawMark(canvas, word, x0 + w / 2, y0 + h / 2, std::min(w, h) * 0.36f, colour);
            continue;
        }
        LogoSet set;
        set.weight = 0.2f;
        if (sign.high == 1) {
            set.xHeight = 40;
            set.tracking = 0.2f;
            TextLine line = logotypeLine(word, set);
            float fit = (w - 56) / std::max(1, line.inkRight - line.inkLeft);
            if (fit < 1) set.xHeight *= fit;
            drawLogotype(canvas, word, set, x0 + w / 2,
                         static_cast<int>(y0 + h / 2 + set.xHeight / 2), Align::Center,
                         neonStyle(colour));
        } else {
            // Letters stacked one under another.
            set.xHeight = 44;
            float step = (h - 60) / word.size();
            for (size_t k = 0; k < word.size(); ++k) {
                int baseline = static_cast<int>(y0 + 30 + step * (k + 0.5f) + set.xHeight / 2);
                drawLogotype(canvas, word.substr(k, 1), set, x0 + w / 2, baseline, Align::Center,
                             neonStyle(colour));
            }
        }
    }
    canvas.blur(1);
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
