// Textures for the models (facades, sky reflection, tunnel panels, metal, station surfaces, the
// credits relief, the probe's hull) and the sound ball's blue normal picture. They are 24-bit
// and, where a model repeats them, tile seamlessly.
#include "runtime/data_files.h"
#include "tools/geometry/mesh.h"
#include "tools/geometry/objects.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"
#include "tools/pictures/set_textures.h"
#include "tools/pictures/tiling.h"

namespace {

// Fractal tileNoise over a picture of `size` pixels; `cells` lattice cells across it.
float tileFractal(float x, float y, int size, int cells, uint32_t seed, int octaves) {
    float sum = 0, weight = 0, amplitude = 1;
    for (int i = 0; i < octaves; ++i) {
        int period = cells << i;
        sum +=
            amplitude * tileNoise(x * period / size, y * period / size, period, period, seed + i);
        weight += amplitude;
        amplitude *= 0.5f;
    }
    return sum / weight;
}

// A night facade: eight window bays by sixteen floors, lit warm, cold or dark at random.
Canvas paintFacade(const Lettering&) {
    const int size = 512, bays = 8, floors = 16;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float grime = tileFractal(x, y, size, 8, 301, 3);
        return scaled(rgb(0x232a3c), 0.75f + 0.4f * grime);
    });
    Random random(302);
    const float bayW = size / float(bays), floorH = size / float(floors);
    for (int f = 0; f < floors; ++f)
        for (int b = 0; b < bays; ++b) {
            float cx = (b + 0.5f) * bayW, cy = (f + 0.5f) * floorH;
            float roll = random.unit();
            Rgba glass = roll < 0.35f   ? scaled(palette::kWarm, random.range(0.75f, 1.15f))
                         : roll < 0.45f ? scaled(rgb(0xbfe4ff), random.range(0.6f, 0.9f))
                                        : mix(rgb(0x0a1122), rgb(0x1d3050), random.unit());
            canvas.fill(cx - bayW, cy - floorH, cx + bayW, cy + floorH, glass,
                        [&](float x, float y) {
                            return boxDistance(x, y, cx, cy - 1, bayW * 0.34f, floorH * 0.3f, 1);
                        });
            if (roll < 0.35f && random.unit() < 0.5f) {
                // A half-drawn blind.
                float drop = random.range(0.2f, 0.6f) * floorH * 0.6f;
                canvas.fill(cx - bayW, cy - floorH, cx + bayW, cy, scaled(palette::kWarm, 0.45f),
                            [&](float x, float y) {
                                return boxDistance(x, y, cx, cy - floorH * 0.3f + drop / 2 - 1,
                                                   bayW * 0.34f, drop / 2);
                            });
            }
        }
    // Towers are seen from afar and the texture has no mipmaps: window edges get a few pixels
    // of softness, so that a minified facade blends instead of flickering.
    canvas.blur(2);
    return canvas;
}

// A sphere map of the night: the zenith in the middle, the horizon at the rim with the city's
// orange glow and its lights.
Canvas paintReflection(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float dx = (x - size / 2.0f) / (size / 2.0f), dy = (y - size / 2.0f) / (size / 2.0f);
        float r = std::hypot(dx, dy);
        if (r >= 1.02f) return rgb(0x3a3040); // outside the sphere: the horizon's haze
        Rgba sky = mix(rgb(0x060b1e), rgb(0x23305a), r * r);
        float glow = smoothStep(0.7f, 1.0f, r);
        sky = mix(sky, rgb(0x8a5a3a), glow * 0.7f);
        // City lights on the horizon and a few stars: soft spots of two to three pixels,
        // since the map is sampled without mipmaps across whole facades.
        float lights = valueNoise(x / 4, y / 4, 311);
        if (r > 0.85f)
            sky = mix(sky, palette::kWarmPale, 0.7f * smoothStep(0.7f, 0.95f, lights));
        else if (r < 0.8f)
            sky = mix(sky, rgb(0xdfe8ff), 0.6f * smoothStep(0.88f, 0.99f, lights));
        // The rim fades into the haze outside instead of ending on a hard circle.
        return mix(sky, rgb(0x3a3040), smoothStep(0.97f, 1.02f, r));
    });
    // Single-texel lights would sparkle on the towers as the sphere map slides over them.
    canvas.blur(1);
    return canvas;
}

// One tile of the tunnel lining, two panels around by two along: seams, bolts, a raised rib, a
// cyan light strip and grime. It repeats in both directions.
Canvas paintTunnelLining() {
    const int width = 256, height = 512;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        float grime = tileFractal(x, y, width, 4, 321, 4);
        float px = std::fmod(x, 128.0f), py = std::fmod(y, 256.0f);
        float seam = std::min({px, 128 - px, py, 256 - py});
        float edge = smoothStep(0, 5, seam);
        Rgba panel = scaled(rgb(0x4a5466), 0.55f + 0.5f * grime);
        panel = scaled(panel, 0.35f + 0.65f * edge);
        // A raised rib across the middle of each panel catches the light.
        float rib = std::fabs(py - 128);
        if (rib < 10) panel = scaled(panel, 1.25f - rib * 0.02f);
        if (std::fabs(px - 64) < 5 && seam > 12) {
            float strip = 1 - std::fabs(px - 64) / 5;
            panel = mix(panel, palette::kCyan, strip * 0.9f);
        }
        return panel;
    });
    for (int bx = 0; bx < 2; ++bx)
        for (int by = 0; by < 2; ++by)
            for (float ox : {12.0f, 116.0f})
                for (float oy : {12.0f, 244.0f}) {
                    float cx = bx * 128 + ox, cy = by * 256 + oy;
                    canvas.fill(
                        cx - 6, cy - 6, cx + 6, cy + 6, rgb(0x9aa4b4),
                        [&](float x, float y) { return circleDistance(x, y, cx, cy, 3.5f); });
                }
    return canvas;
}

// Blurs a picture that repeats in both directions: three box passes of radius rx across and ry
// down, wrapping round its edges.
void blurRepeating(Canvas& canvas, int rx, int ry) {
    const int w = canvas.width(), h = canvas.height();
    // Blurs `lines` lines of n samples each; sample(i, j) is sample j of line i.
    auto pass = [&](int lines, int n, int r, auto sample) {
        if (r <= 0) return;
        std::vector<Rgba> line(n);
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < lines; ++i) {
                for (int j = 0; j < n; ++j)
                    line[j] = sample(i, j);
                Rgba sum{0, 0, 0, 0};
                for (int j = -r; j <= r; ++j) {
                    const Rgba& c = line[((j % n) + n) % n];
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
                }
                float norm = 1.0f / (2 * r + 1);
                for (int j = 0; j < n; ++j) {
                    sample(i, j) = scaled(withAlpha(sum, sum.a * norm), norm);
                    const Rgba& in = line[(j + r + 1) % n];
                    const Rgba& out = line[((j - r) % n + n) % n];
                    sum = {sum.r + in.r - out.r, sum.g + in.g - out.g, sum.b + in.b - out.b,
                           sum.a + in.a - out.a};
                }
            }
    };
    pass(h, w, std::min(rx, w / 2), [&](int row, int x) -> Rgba& { return canvas.at(x, row); });
    pass(w, h, std::min(ry, h / 2), [&](int col, int y) -> Rgba& { return canvas.at(col, y); });
}

// The tunnel picture: the lining once per distance band of the tube (see buildTunnelModel),
// side by side. Band k is blurred along the tube by about 0.7 of the texels one pixel covers at
// its distance, and across by the same measure, then faded towards the dark of the far end.
Canvas paintTunnel(const Lettering&) {
    using namespace geometry;
    const Canvas lining = paintTunnelLining();
    const int columnWidth = lining.width(), height = lining.height();
    // Texels per unit: along the tube, and around it (the column spans four sides).
    const float alongTexels = height / kTunnelTileLength;
    const float sideLength = 2 * kTunnelRadius * std::sin(kPi / kTunnelSides);
    const float aroundTexels = columnWidth / (kTunnelSidesPerColumn * sideLength);
    // Pixels per unit at distance 1 for the scene's 90-degree view, 768 pixels high.
    const float focal = 384;
    const Rgba haze = rgb(0x070b16);
    Canvas atlas(columnWidth * kTunnelBands, height);
    for (int band = 0; band < kTunnelBands; ++band) {
        float d = tunnelBandDistance(band);
        // A wall pixel at distance d spans d / focal units across and d^2 / (focal * radius)
        // units along the tube.
        float along = d * d / (focal * kTunnelRadius) * alongTexels;
        float around = d / focal * aroundTexels;
        Canvas column = lining;
        blurRepeating(column, static_cast<int>(0.7f * around), static_cast<int>(0.7f * along));
        float fade = 1 - std::exp(-std::max(0.0f, d - 3) / 40);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < columnWidth; ++x)
                atlas.at(band * columnWidth + x, y) = mix(column.at(x, y), haze, fade);
    }
    return atlas;
}

// Brushed steel for the spike balls: a coarse grain along one direction, soft blotches and a
// few wide polished streaks; nothing finer than a few pixels, for sampling without mipmaps.
Canvas paintMetal(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float brushed = tileNoise(x * 32 / size, y * 2 / size, 32, 2, 331) * 0.6f +
                        tileNoise(x * 64 / size, y * 4 / size, 64, 4, 332) * 0.4f;
        float blotch = tileFractal(x, y, size, 4, 333, 3);
        float v = 0.45f + 0.3f * brushed + 0.2f * blotch;
        return Rgba{v * 0.92f, v * 0.96f, v * 1.05f, 1};
    });
    Random random(334);
    for (int i = 0; i < 10; ++i) {
        float ax = random.range(0, size), ay = random.range(0, size);
        float angle = random.range(0, 6.2831853f), length = random.range(30, 90);
        float bx = ax + std::cos(angle) * length, by = ay + std::sin(angle) * length;
        canvas.fill(std::min(ax, bx) - 6, std::min(ay, by) - 6, std::max(ax, bx) + 6,
                    std::max(ay, by) + 6, rgb(0xe8eef8, 0.18f), [&](float x, float y) {
                        return segmentDistance(x, y, ax, ay, bx, by, 1.5f) / 2;
                    });
    }
    return canvas;
}

// The spike balls' spikes, from base (top row) to tip (bottom row), around the spike across:
// dark bronze where they leave the core, hot orange along the shaft and a pale yellow point,
// with a few brushed streaks. The hall lights the crowd with as much ambient as diffuse
// light, so the shape has to come from the picture as much as from the light.
Canvas paintSpike(const Lettering&) {
    const int size = 64;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float along = y / size;
        Rgba c = mix(rgb(0x2a1408), rgb(0xc8561a), smoothStep(0.1f, 0.6f, along));
        c = mix(c, rgb(0xffd890), smoothStep(0.75f, 1.0f, along));
        float streak = tileNoise(x * 8 / size, y * 1 / size, 8, 1, 335);
        return scaled(c, 0.85f + 0.3f * streak);
    });
    return canvas;
}

// Concrete slabs of the streets and platforms, with joints and stains. Everything is a few
// pixels wide or more: the floor runs to the horizon and is sampled without mipmaps, so
// single-pixel grain and hairline joints would shimmer in the distance.
Canvas paintPlatform(const Lettering&) {
    const int size = 512;
    Canvas canvas(size, size);
    // The demo samples without mipmaps, and floors recede to a few pixels per slab: no detail
    // is a single texel. Grain is fractal noise of 8-texel cells, joints are 12 texels wide
    // with soft shoulders, and the spots are soft discs several texels across.
    canvas.shade([&](float x, float y) {
        float stain = tileFractal(x, y, size, 4, 342, 3);
        // The picture's edges run through the middle of a slab, so it tiles without a seam.
        float sx = x + 64, sy = y + 64;
        float slab = hashUnit(static_cast<int>(sx) / 128 % 4, static_cast<int>(sy) / 128 % 4, 344);
        float jx = std::fmod(sx, 128.0f), jy = std::fmod(sy, 128.0f);
        float joint = std::min({jx, 128 - jx, jy, 128 - jy});
        float v = (0.44f + 0.22f * stain + 0.06f * slab) *
                  (0.62f + 0.38f * smoothStep(0.5f, 6.0f, joint));
        return Rgba{v, v * 0.98f, v * 0.95f, 1};
    });
    Random random(343);
    for (int i = 0; i < 12; ++i) {
        float r = random.range(8, 20);
        float cx = random.range(2 * r, size - 2 * r), cy = random.range(2 * r, size - 2 * r);
        canvas.fill(cx - 2 * r, cy - 2 * r, cx + 2 * r, cy + 2 * r, rgb(0x2a2826, 0.14f),
                    [&](float x, float y) { return circleDistance(x, y, cx, cy, r) / 4; });
    }
    return canvas;
}

// Corrugated roof sheets with a skylight band of night-blue glass, repeating along their
// length. The corrugation is 16 pixels a wave, wide enough to survive minification.
Canvas paintRoof(const Lettering&) {
    const int width = 512, height = 256;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        float wave = 0.5f + 0.5f * std::sin(x / width * 6.2831853f * 16);
        float rust = tileFractal(x, y, width, 8, 351, 3);
        Rgba sheet = scaled(rgb(0x2c313c), 0.55f + 0.3f * wave + 0.2f * rust);
        float glass = smoothStep(96, 104, y) * (1 - smoothStep(152, 160, y));
        sheet = mix(sheet, scaled(rgb(0x1c3258), 0.8f + 0.3f * wave), glass);
        float frame = std::min(std::fabs(y - 100), std::fabs(y - 156));
        return mix(rgb(0x0c0e12), sheet, smoothStep(2, 5, frame));
    });
    return canvas;
}

// The long wall behind the greetings: a night skyline seen out of focus. The scene blurs the
// wall before the names go over it, so it is painted as light, not detail: a dark sky that
// glows magenta towards the horizon, two rows of black towers and their lit windows and signs,
// which the blur turns into soft discs of warm and cool light behind the names. The screen
// shows rows 32 to 250 of it, about 3.5 pixels a texel.
Canvas paintRelief(const Lettering&) {
    const int width = 1024, height = 256;
    const float horizon = 236; // where the towers stand
    Canvas canvas(width, height);
    canvas.shade([&](float, float y) {
        float glow = smoothStep(30, horizon, y);
        return mix(rgb(0x06051a), rgb(0x4a1d52), glow * glow * glow);
    });
    const Rgba warm = rgb(0xffb46a), cool = rgb(0x8cc8ff), pink = rgb(0xff4fa8),
               cyan = rgb(0x3fe6ff);
    // Every shape is also put one picture width to either side, so the picture tiles.
    auto fillWrapped = [&](float x0, float y0, float x1, float y1, Rgba c, auto distance) {
        for (float shift : {-float(width), 0.0f, float(width)})
            canvas.fill(x0 + shift, y0, x1 + shift, y1, c,
                        [&](float px, float py) { return distance(px - shift, py); });
    };
    Random random(361);
    // The far row is hazier and its windows smaller and dimmer; the near row stands in front.
    for (int row = 0; row < 2; ++row) {
        const bool near = row == 1;
        float x = random.range(0, 40);
        while (x < width) {
            float w = near ? random.range(44, 96) : random.range(28, 64);
            float top = horizon - (near ? random.range(40, 120) : random.range(80, 165));
            float x0 = x, x1 = x + w;
            fillWrapped(x0, top, x1, height, near ? rgb(0x08070f) : rgb(0x16142a),
                        [&](float px, float py) {
                            return boxDistance(px, py, (x0 + x1) / 2, (top + height) / 2, w / 2,
                                               (height - top) / 2);
                        });
            // Windows on a grid inside the facade; each tower has its own share lit and its
            // own tint, so neighbours differ.
            const float cellW = near ? 11 : 8, cellH = near ? 14 : 11;
            const float share = random.range(0.15f, 0.55f);
            const Rgba tint = random.unit() < 0.7f ? warm : cool;
            const float strength = near ? 1.0f : 0.6f;
            for (float wy = top + 6; wy + cellH < horizon; wy += cellH)
                for (float wx = x0 + 5; wx + cellW < x1 - 3; wx += cellW) {
                    if (random.unit() > share) continue;
                    Rgba c = scaled(tint, strength * random.range(0.45f, 1.0f));
                    float cx = wx + cellW * 0.4f, cy = wy + cellH * 0.4f;
                    fillWrapped(wx, wy, wx + cellW, wy + cellH, c, [&](float px, float py) {
                        return boxDistance(px, py, cx, cy, cellW * 0.28f, cellH * 0.3f);
                    });
                }
            // Now and then a vertical neon sign down the near towers' edges.
            if (near && random.unit() < 0.35f) {
                float sx = random.unit() < 0.5f ? x0 + 4 : x1 - 8;
                float sy = top + random.range(10, 30), length = random.range(24, 48);
                Rgba c = random.unit() < 0.5f ? pink : cyan;
                fillWrapped(sx, sy, sx + 5, sy + length, c, [&](float px, float py) {
                    return boxDistance(px, py, sx + 2.5f, sy + length / 2, 2, length / 2);
                });
            }
            x += w + (near ? random.range(6, 40) : random.range(-10, 8));
        }
    }
    // The street at the towers' feet: a band of light with streaks the blur will soften.
    canvas.shade([&](float x, float y) {
        if (y < horizon) return Rgba{0, 0, 0, 0};
        const float turn = 6.2831853f / width;
        float streak = 0.5f + 0.5f * std::sin(x * turn * 15) * std::sin(x * turn * 4 + 1.3f);
        return withAlpha(scaled(rgb(0xff9a50), 0.12f + 0.3f * streak * streak), 0.8f);
    });
    // Nothing finer than a couple of texels: the wall is drawn without mipmaps.
    canvas.blur(1);
    return canvas;
}

// The station's inner walls at night: dark masonry between pilasters and one tall arched
// window a tile, its glass the night outside with the lamps reflected in it. The tile repeats
// every 8 units of wall, so the hall shows two storeys of windows.
Canvas paintHallWall(const Lettering&) {
    const int size = 512;
    const float cx = 256, halfW = 104, archY = 200, sillY = 468;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float mottle = tileFractal(x, y, size, 4, 381, 3);
        float course = std::fabs(std::fmod(y, 32.0f) - 16);
        Rgba stone = scaled(rgb(0x18141a),
                            (0.75f + 0.45f * mottle) * (0.8f + 0.2f * smoothStep(11, 15, course)));
        // Pilasters at the tile's edges, a shade lighter, with a lit edge.
        float pilaster = std::min(x, size - x);
        if (pilaster < 44)
            stone = scaled(rgb(0x2a2630),
                           (0.8f + 0.3f * mottle) * (0.75f + 0.35f * smoothStep(30, 42, pilaster)));
        // The sill band under the window.
        if (std::fabs(y - sillY - 10) < 8) stone = scaled(rgb(0x38323a), 0.8f + 0.3f * mottle);
        return stone;
    });
    // The window: stone surround, then glass between mullions.
    auto window = [&](float x, float y, float grow) {
        float dx = std::fabs(x - cx);
        float upper = std::hypot(dx, std::max(0.0f, archY - y)) - (halfW + grow);
        float side = std::max(dx - (halfW + grow), y - (sillY + grow));
        return y < archY ? upper : side;
    };
    canvas.fill(cx - halfW - 20, archY - halfW - 20, cx + halfW + 20, sillY + 20, rgb(0x3a3440),
                [&](float x, float y) { return window(x, y, 12); });
    canvas.fill(cx - halfW - 2, archY - halfW - 2, cx + halfW + 2, sillY + 2, rgb(0x0a1228),
                [&](float x, float y) { return window(x, y, 0); });
    canvas.shade(
        [&](float x, float y) {
            if (window(x, y, 0) > 0) return Rgba{0, 0, 0, 0};
            float depth = clamp01((y - (archY - halfW)) / (sillY - archY + halfW));
            Rgba glass = mix(rgb(0x0c1a3c), rgb(0x1c2c52), depth);
            // Distant city lights low in the glass, soft and a few pixels wide.
            float city = valueNoise(x / 7, y / 7, 383);
            if (y > 380 && city > 0.8f) glass = mix(glass, palette::kWarm, (city - 0.8f) * 3);
            // Mullions 52 pixels apart across, glazing bars every 64 pixels down, 5 wide.
            float across = 26 - std::fabs(std::fmod(x - cx + 26 + 520, 52.0f) - 26);
            float down = 32 - std::fabs(std::fmod(y, 64.0f) - 32);
            float frame = 1 - smoothStep(1.5f, 3.5f, std::min(across, down));
            return mix(glass, rgb(0x06070a), frame);
        },
        Blend::Over);
    // Reflections of the hall's lamps: two soft bright panes.
    for (float ry : {300.0f, 410.0f}) {
        float rx = ry < 350 ? cx - 52 : cx + 26;
        canvas.fill(rx - 30, ry - 30, rx + 30, ry + 30, withAlpha(palette::kWarmPale, 0.9f),
                    [&](float x, float y) { return circleDistance(x, y, rx, ry, 9) / 3; });
    }
    return canvas;
}

// Polished dark stone for the station floors: large slabs with soft joints and a slow mottle,
// so that the floor reads black under the lamps and stays calm in the distance.
Canvas paintHallFloor(const Lettering&) {
    const int size = 512;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float mottle = tileFractal(x, y, size, 8, 391, 3);
        float slab = hashUnit(static_cast<int>(x) / 128, static_cast<int>(y) / 128, 392);
        float jx = std::fmod(x, 128.0f), jy = std::fmod(y, 128.0f);
        float joint = std::min({jx, 128 - jx, jy, 128 - jy});
        float v =
            (0.045f + 0.04f * mottle + 0.02f * slab) * (0.45f + 0.55f * smoothStep(1, 7, joint));
        return Rgba{v * 0.95f, v, v * 1.2f, 1};
    });
    return canvas;
}

// The night sky behind the station: deep blue over the city's orange haze at the horizon
// (row 478 is ground level, seen at eye height about ten rows higher), soft stars, a moon with
// its halo above the left wing, and a distant skyline with scattered lit windows either side
// of the station.
Canvas paintNightSky(const Lettering&) {
    const int width = 1024, height = 512;
    const float moonX = 393, moonY = 345, moonR = 13, ground = 478;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        float h = y / height; // 0 at the top, 1 at the horizon
        Rgba sky = mix(rgb(0x03050e), rgb(0x142448), h * h);
        sky = mix(sky, rgb(0x5a3c34), smoothStep(0.7f, 1.0f, h) * 0.8f);
        float cloud = fractalNoise(x / 160, y / 40, 401, 4);
        sky = mix(sky, rgb(0x24324e), smoothStep(0.55f, 0.8f, cloud) * 0.5f * (1 - h * 0.5f));
        float halo = std::exp(-std::hypot(x - moonX, y - moonY) / 50);
        return mix(sky, rgb(0x4a5a80), halo * 0.7f);
    });
    // The skyline: blocks 6 to 40 pixels wide, lower towards the middle, where the station
    // stands in front of them.
    Random towers(403);
    for (float x0 = 0; x0 < width;) {
        float w = towers.range(6, 40), centre = std::fabs(x0 + w / 2 - width / 2) / (width / 2);
        float top = ground - towers.range(8, 30 + 60 * centre);
        float right = x0 + w;
        canvas.fill(x0, top, right, height, rgb(0x0a0d16), [&](float x, float y) {
            return std::max({x0 - x, x - right, top - y});
        });
        for (float wy = top + 4; wy < ground - 2; wy += 5)
            for (float wx = x0 + 3; wx < right - 2; wx += 4) {
                float roll = hashUnit(static_cast<int>(wx), static_cast<int>(wy), 404);
                if (roll > 0.22f) continue;
                Rgba lit = roll < 0.15f ? palette::kWarm : rgb(0xbfe4ff);
                canvas.fill(wx - 2, wy - 2, wx + 2, wy + 2, withAlpha(lit, 0.5f + 2 * roll),
                            [&](float x, float y) { return circleDistance(x, y, wx, wy, 0.8f); });
            }
        x0 = right + towers.range(0, 6);
    }
    Random random(402);
    for (int i = 0; i < 140; ++i) {
        float sx = random.range(0, width), sy = random.range(0, height * 0.62f);
        float bright = random.range(0.3f, 1.0f);
        canvas.fill(sx - 4, sy - 4, sx + 4, sy + 4, withAlpha(rgb(0xe8f0ff), bright),
                    [&](float x, float y) { return circleDistance(x, y, sx, sy, 0.9f) / 1.5f; });
    }
    canvas.fill(moonX - moonR - 2, moonY - moonR - 2, moonX + moonR + 2, moonY + moonR + 2,
                rgb(0xe8e2cc),
                [&](float x, float y) { return circleDistance(x, y, moonX, moonY, moonR); });
    // Maria: soft grey seas on the moon's face, still bright enough to glow.
    for (int i = 0; i < 4; ++i) {
        float mx = moonX + random.range(-7, 6), my = moonY + random.range(-6, 7);
        float r = random.range(2.2f, 4.0f);
        canvas.fill(mx - 2 * r, my - 2 * r, mx + 2 * r, my + 2 * r, rgb(0xd8d2c0, 0.7f),
                    [&](float x, float y) {
                        return std::max(circleDistance(x, y, mx, my, r) / 3,
                                        circleDistance(x, y, moonX, moonY, moonR - 1));
                    });
    }
    return canvas;
}

// A normal map in the usual encoding (x, y, z to red, green, blue): a field of round dimples,
// so it reads mostly blue.
Canvas paintBlueNormal(const Lettering&) {
    const int size = 256, cells = 8;
    const float cell = size / float(cells);
    auto height = [&](float x, float y) {
        float row = std::floor(y / cell);
        float shift = static_cast<int>(row) % 2 ? cell / 2 : 0;
        float fx = std::fmod(x + shift, cell) - cell / 2, fy = std::fmod(y, cell) - cell / 2;
        float d = std::hypot(fx, fy) / (cell * 0.42f);
        return d < 1 ? -std::sqrt(1 - d * d) * 6 : 0.0f;
    };
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float dx = height(x + 0.5f, y) - height(x - 0.5f, y);
        float dy = height(x, y + 0.5f) - height(x, y - 0.5f);
        float nx = -dx, ny = dy, nz = 1;
        float len = std::sqrt(nx * nx + ny * ny + nz * nz);
        return Rgba{0.5f + 0.5f * nx / len, 0.5f + 0.5f * ny / len, 0.5f + 0.5f * nz / len, 1};
    });
    return canvas;
}

// The sound ball, seen from its centre. Its outer look fills the left half: the band gores
// (across: bass magenta to treble cyan; down: a meter from its dim pole end to its pale, bright
// equator end, in six soft segments), then the dark shell in front of them (down: south to north
// pole), with faint latitude rings as the meter's scale and a glowing hub about each pole. The
// inner look fills the right half in fire: tiles from deep red at the bass to white gold at the
// treble, brightening towards the poles where the loudest levels reach, over a dark crimson
// shell with gold rings and a glowing equator. Nothing is finer than a few texels: the gores are
// two or three pixels wide on screen.
Rgba outerSoundBall(float u, float v) {
    const Rgba hues[4] = {rgb(0xff2f7a), rgb(0x9a4dff), rgb(0x3d7bff), rgb(0x4ff0ff)};
    if (u < 0.5f) {
        float band = clamp01((u - 0.02f) / 0.46f) * 3;
        int k = std::min(static_cast<int>(band), 2);
        Rgba hue = mix(hues[k], hues[k + 1], smoothStep(0, 1, band - k));
        float meter = v;
        float segment = 0.5f + 0.5f * std::cos(6.2831853f * meter * 6);
        float light = (0.5f + 0.5f * std::pow(meter, 1.3f)) * (0.88f + 0.12f * segment);
        Rgba c = mix(hue, rgb(0xfff4fa), 0.3f * smoothStep(0.55f, 1, meter));
        return scaled(c, light * smoothStep(0, 0.1f, meter));
    }
    float latitude = (v - 0.5f) * 180; // degrees
    float polar = std::fabs(latitude);
    Rgba c = mix(rgb(0x04050c), rgb(0x0c1233), smoothStep(0, 60, polar));
    if (polar < 60) {
        float ring = std::fabs(std::fmod(polar + 5, 10.0f) - 5); // degrees from a ring
        c = mix(c, rgb(0x27306a), 0.5f * (1 - smoothStep(0.3f, 1.6f, ring)));
    }
    float rim = std::exp(-(polar - 62) * (polar - 62) / 6.0f);
    c = mix(c, rgb(0x7d74ff), 0.85f * rim);
    float hub = smoothStep(72, 90, polar);
    c = mix(c, rgb(0xa8d8ff), 0.75f * hub * hub);
    return c;
}

Rgba innerSoundBall(float u, float v) {
    if (u < 0.5f) {
        const Rgba hues[4] = {rgb(0xc8141e), rgb(0xff5a14), rgb(0xffb428), rgb(0xfff0b4)};
        float band = clamp01((u - 0.02f) / 0.46f) * 3;
        int k = std::min(static_cast<int>(band), 2);
        Rgba hue = mix(hues[k], hues[k + 1], smoothStep(0, 1, band - k));
        float light = 0.45f + 0.55f * std::pow(v, 1.2f);
        return scaled(mix(hue, rgb(0xfff8e8), 0.35f * smoothStep(0.6f, 1, v)), light);
    }
    float latitude = (v - 0.5f) * 180;
    float polar = std::fabs(latitude);
    Rgba c = mix(rgb(0x0c0304), rgb(0x240a0c), smoothStep(0, 80, polar));
    float ring = std::fabs(std::fmod(polar + 5, 10.0f) - 5);
    c = mix(c, rgb(0x6a3a10), 0.55f * (1 - smoothStep(0.3f, 1.4f, ring)));
    float equator = std::exp(-polar * polar / 5.0f);
    c = mix(c, rgb(0xffc860), 0.65f * equator);
    float hub = smoothStep(80, 90, polar);
    return mix(c, rgb(0xffe8b0), 0.7f * hub * hub);
}

Canvas paintSoundBall(const Lettering&) {
    const int width = 512, height = 256;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        float half = width / 2.0f, v = y / height;
        return x < half ? outerSoundBall(x / half, v) : innerSoundBall((x - half) / half, v);
    });
    return canvas;
}

// The bulb's glass, looked up by the surface normal (the disc of radius 0.45 about the centre):
// dark where the glass faces the viewer, a pale rim where it turns away, and one soft
// highlight up and to the left. It is added onto the station slides, so dark is clear glass.
Canvas paintGlass(const Lettering&) {
    const int size = 128;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float dx = (x - size / 2.0f) / (0.45f * size), dy = (y - size / 2.0f) / (0.45f * size);
        float r = std::min(std::hypot(dx, dy), 1.0f);
        Rgba c = mix(rgb(0x05070c), rgb(0x9cc4ff), std::pow(smoothStep(0.45f, 1.0f, r), 1.5f));
        float spot = std::exp(-(std::pow(dx + 0.38f, 2.0f) + std::pow(dy + 0.42f, 2.0f)) / 0.02f);
        return mix(c, rgb(0xfff8e8), 0.9f * spot);
    });
    return canvas;
}

} // namespace

void addTextureJobs(std::vector<PictureJob>& jobs) {
    using namespace datafiles;
    auto add = [&](const char* file, Canvas (*paint)(const Lettering&)) {
        jobs.push_back({file, 3, false, paint});
    };
    add(kFacadeTexture, paintFacade);
    add(kReflectionTexture, paintReflection);
    add(kTunnelTexture, paintTunnel);
    add(kMetalTexture, paintMetal);
    add(kSpikeTexture, paintSpike);
    add(kPlatformTexture, paintPlatform);
    add(kRoofTexture, paintRoof);
    add(kReliefTexture, paintRelief);
    add(kProbeTexture, paintProbe);
    add(kBlueNormalPicture, paintBlueNormal);
    add(kSoundBallTexture, paintSoundBall);
    add(kGlassTexture, paintGlass);
    add(kHallWallTexture, paintHallWall);
    add(kHallFloorTexture, paintHallFloor);
    add(kNightSkyTexture, paintNightSky);
    addCityTextureJobs(jobs);
}
