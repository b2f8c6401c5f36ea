// The city's walls at night: glass curtain walls, stone towers with punched windows, the
// market's shop houses and their lit shops. Windows glow on their own (the model shader lets
// bright texels shine whatever the light baked into the wall), each lit its own way; the
// alpha of the glass and stone pictures says how much each texel mirrors the sky.
#include "tools/pictures/city_painting.h"
#include "tools/pictures/tiling.h"

namespace {

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

} // namespace

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
