// Textures for the models (facades, sky reflection, tunnel panels, metal, station surfaces, the
// credits relief, the probe's hull) and the sound ball's blue normal picture. They are 24-bit
// and, where a model repeats them, tile seamlessly.
#include "runtime/data_files.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"

namespace {

// Value noise on a lattice that repeats every periodX cells across and periodY cells down, so
// the picture tiles.
float tileNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    auto corner = [&](int cx, int cy) {
        return hashUnit(((cx % periodX) + periodX) % periodX, ((cy % periodY) + periodY) % periodY,
                        seed);
    };
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

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
    // Window edges a texel soft: far towers shrink a bay to a few pixels, and hard edges
    // would crawl under linear filtering without mipmaps.
    canvas.blur(1);
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
        if (r >= 1) return rgb(0x3a3040); // outside the sphere: the horizon's haze
        Rgba sky = mix(rgb(0x060b1e), rgb(0x23305a), r * r);
        float glow = smoothStep(0.7f, 1.0f, r);
        sky = mix(sky, rgb(0x8a5a3a), glow * 0.7f);
        float lights = hashUnit(static_cast<int>(x), static_cast<int>(y), 311);
        if (r > 0.85f && lights > 0.93f)
            sky = mix(sky, palette::kWarmPale, 0.8f);
        else if (r < 0.8f && lights > 0.995f)
            sky = mix(sky, rgb(0xdfe8ff), 0.7f);
        return sky;
    });
    // Single-texel lights would sparkle on the towers as the sphere map slides over them.
    canvas.blur(1);
    return canvas;
}

// Tunnel lining: four panels around, two along, with seams, bolts, a cyan light strip and
// grime; repeats in both directions.
Canvas paintTunnel(const Lettering&) {
    const int width = 512, height = 512;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        float grime = tileFractal(x, y, width, 8, 321, 4);
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
    for (int bx = 0; bx < 4; ++bx)
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

// Brushed, scratched steel for the spike balls.
Canvas paintMetal(const Lettering&) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        // Brushing in cells of 8 and 16 texels: the balls are small on screen, and finer
        // streaks would sparkle under linear filtering without mipmaps.
        float brushed = tileNoise(x * 16 / size, y * 2 / size, 16, 2, 331) * 0.5f +
                        tileNoise(x * 32 / size, y * 4 / size, 32, 4, 332) * 0.5f;
        float blotch = tileFractal(x, y, size, 4, 333, 3);
        float v = 0.45f + 0.3f * brushed + 0.2f * blotch;
        return Rgba{v * 0.92f, v * 0.96f, v * 1.05f, 1};
    });
    Random random(334);
    for (int i = 0; i < 30; ++i) {
        float ax = random.range(0, size), ay = random.range(0, size);
        float angle = random.range(0, 6.2831853f), length = random.range(10, 60);
        float bx = ax + std::cos(angle) * length, by = ay + std::sin(angle) * length;
        canvas.fill(std::min(ax, bx) - 2, std::min(ay, by) - 2, std::max(ax, bx) + 2,
                    std::max(ay, by) + 2, rgb(0xe8eef8, 0.35f),
                    [&](float x, float y) { return segmentDistance(x, y, ax, ay, bx, by, 1.5f); });
    }
    return canvas;
}

// Concrete slabs of the platforms, with joints, stains and gum spots.
Canvas paintPlatform(const Lettering&) {
    const int size = 512;
    Canvas canvas(size, size);
    // The demo samples without mipmaps, and floors recede to a few pixels per slab: no detail
    // is a single texel. Grain is fractal noise of 8-texel cells, joints are 12 texels wide
    // with soft shoulders, and the spots are soft discs several texels across.
    canvas.shade([&](float x, float y) {
        float grain = tileFractal(x, y, size, 64, 341, 2);
        float stain = tileFractal(x, y, size, 4, 342, 4);
        float jx = std::fmod(x, 128.0f), jy = std::fmod(y, 128.0f);
        float joint = std::min({jx, 128 - jx, jy, 128 - jy});
        float v = (0.42f + 0.25f * stain + 0.06f * grain) * (0.6f + 0.4f * smoothStep(1, 7, joint));
        return Rgba{v, v * 0.98f, v * 0.95f, 1};
    });
    Random random(343);
    for (int i = 0; i < 40; ++i) {
        float cx = random.range(12, size - 12), cy = random.range(12, size - 12),
              r = random.range(3, 6);
        canvas.fill(cx - 10, cy - 10, cx + 10, cy + 10, rgb(0x2a2826, 0.45f),
                    [&](float x, float y) { return circleDistance(x, y, cx, cy, r) / 3; });
    }
    return canvas;
}

// Corrugated roof sheets with a frosted skylight band, repeating along their length.
Canvas paintRoof(const Lettering&) {
    const int width = 512, height = 256;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        // Sixteen sheets across: each corrugation is 32 texels, wide enough not to shimmer.
        float wave = 0.5f + 0.5f * std::sin(x / width * 6.2831853f * 16);
        float rust = tileFractal(x, y, width, 8, 351, 3);
        Rgba sheet = scaled(rgb(0x3c4250), 0.6f + 0.35f * wave + 0.2f * rust);
        if (y > 100 && y < 156) sheet = mix(sheet, rgb(0x9fb8d0), 0.6f * (0.7f + 0.3f * wave));
        if (std::fabs(y - 100) < 3 || std::fabs(y - 156) < 3) sheet = rgb(0x15181e);
        return sheet;
    });
    return canvas;
}

// The long relief behind the greetings: a carved skyline with grooves, lit from the upper left.
Canvas paintRelief(const Lettering&) {
    const int width = 1024, height = 256;
    std::vector<float> heights(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Towers are 32 pixels wide; the picture's edges cut through the middle of one.
            int shifted = (x + 16) % width;
            int column = shifted / 32;
            float tower = 60 + 150 * hashUnit(column % 32, 0, 361);
            float top = height - tower;
            float h = y > top ? 1.0f : 0.0f;
            if (y > top && shifted % 32 < 3) h = 0.6f; // gap between towers
            if (y > top && (y / 12) % 2 == 0 && shifted % 32 > 8 && shifted % 32 < 24 &&
                hashUnit(shifted / 8, y / 12, 362) > 0.5f)
                h = 0.8f; // a recessed window
            h += 0.15f *
                 tileFractal(static_cast<float>(x), static_cast<float>(y), width, 16, 363, 3);
            heights[static_cast<size_t>(y) * width + x] = h;
        }
    blurPlane(heights.data(), width, height, 1, 1);
    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto at = [&](int px, int py) {
                return heights[static_cast<size_t>(std::clamp(py, 0, height - 1)) * width +
                               ((px + width) % width)];
            };
            float dx = at(x + 1, y) - at(x - 1, y), dy = at(x, y + 1) - at(x, y - 1);
            float light = 0.55f - 1.6f * (dx * 0.7f + dy * 0.7f);
            float base = 0.35f + 0.35f * at(x, y);
            float v = clamp01(base * light);
            canvas.at(x, y) = Rgba{v * 0.75f, v * 0.85f, v * 1.1f, 1};
        }
    return canvas;
}

// The probe's hull: pale panels, dark seams, an orange stripe and the group's mark.
Canvas paintProbe(const Lettering& fonts) {
    const int size = 256;
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float wear = tileFractal(x, y, size, 4, 371, 3);
        float px = std::fmod(x, 64.0f), py = std::fmod(y, 85.34f);
        float seam = std::min({px, 64 - px, py, 85.34f - py});
        Rgba hull = scaled(rgb(0xc8ccd4), 0.8f + 0.25f * wear);
        if (y > 150 && y < 170) hull = rgb(0xe0782a);
        return scaled(hull, 0.5f + 0.5f * smoothStep(0, 1.8f, seam));
    });
    TextStyle mark;
    mark.fill = rgb(0x1a2230);
    drawText(canvas, fonts, Face::SansBold, "vsq-14", 30, 128, 120, Align::Center, mark, 2);
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

// The sound ball, seen from its centre: the left half colours the band gores (across: bass
// magenta to treble cyan; down: a meter from its dim pole end to its pale, bright equator end, in
// six soft segments), the right half the dark shell in front of them (down: south to north pole),
// with faint latitude rings as the meter's scale and a glowing hub about each pole. Nothing
// is finer than a few texels: the gores are two or three pixels wide on screen.
Canvas paintSoundBall(const Lettering&) {
    const int size = 256;
    const Rgba hues[4] = {rgb(0xff2f7a), rgb(0x9a4dff), rgb(0x3d7bff), rgb(0x4ff0ff)};
    Canvas canvas(size, size);
    canvas.shade([&](float x, float y) {
        float u = x / size, v = y / size;
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

// The face of the clock over the station's doorway: ivory, a dark rim, twelve hour bars and
// two hands at a minute to midnight. Drawn large over few pixels, so the marks are bold.
Canvas paintClockFace(const Lettering&) {
    const int size = 256;
    const float c = size / 2.0f;
    Canvas canvas(size, size, rgb(0x1a1d24));
    canvas.fill(0, 0, size, size, rgb(0xf2ead2),
                [&](float x, float y) { return circleDistance(x, y, c, c, 112); });
    auto bar = [&](float angle, float from, float to, float halfWidth, Rgba colour) {
        float dx = std::sin(angle), dy = -std::cos(angle);
        canvas.fill(0, 0, size, size, colour, [&](float x, float y) {
            float along = (x - c) * dx + (y - c) * dy, across = (x - c) * dy - (y - c) * dx;
            return std::max(std::fabs(across) - halfWidth, std::max(from - along, along - to));
        });
    };
    for (int hour = 0; hour < 12; ++hour)
        bar(hour * 6.2831853f / 12, 84, 104, hour % 3 ? 4.0f : 7.0f, rgb(0x20232b));
    bar(-6.2831853f / 720, -10, 62, 7, rgb(0x16181e));   // hour hand, just before twelve
    bar(-6.2831853f / 60, -14, 96, 4.5f, rgb(0x16181e)); // minute hand
    canvas.fill(0, 0, size, size, rgb(0xb0302a),
                [&](float x, float y) { return circleDistance(x, y, c, c, 8); });
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
    add(kPlatformTexture, paintPlatform);
    add(kRoofTexture, paintRoof);
    add(kReliefTexture, paintRelief);
    add(kProbeTexture, paintProbe);
    add(kBlueNormalPicture, paintBlueNormal);
    add(kSoundBallTexture, paintSoundBall);
    add(kGlassTexture, paintGlass);
    add(kClockTexture, paintClockFace);
}
