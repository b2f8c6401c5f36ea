// The railway station at night: 31 photographs for the slide show (a sequence from the station
// front to the last train leaving), the frame around them, the "waiting" sign, the message board
// and the caption cards. Everything here is drawn with texture row 0 at the bottom of its quad,
// so it is stored flipped.
#include <algorithm>
#include <cstdio>
#include <tuple>

#include "runtime/data_files.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"

namespace {

constexpr int kPhotoWidth = 1024;
constexpr int kPhotoHeight = 768;

// ---- Photographic finish -------------------------------------------------------------------

// Bloom around bright lights, grain, vignette and a cool toning: what makes a painting read as a
// night photograph.
void developPhoto(Canvas& canvas, uint32_t seed) {
    const int w = canvas.width(), h = canvas.height();
    Canvas bright(w, h, Rgba{0, 0, 0, 1});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgba& p = canvas.at(x, y);
            float luma = 0.3f * p.r + 0.59f * p.g + 0.11f * p.b;
            float k = std::max(0.0f, luma - 0.7f) / std::max(luma, 1e-3f);
            bright.at(x, y) = {p.r * k, p.g * k, p.b * k, 1};
        }
    Canvas wide = bright;
    bright.blur(6);
    wide.blur(28);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgba& p = canvas.at(x, y);
            const Rgba& b = bright.at(x, y);
            const Rgba& v = wide.at(x, y);
            float dx = (x - w * 0.5f) / (w * 0.5f), dy = (y - h * 0.5f) / (h * 0.5f);
            float vignette = 1 - 0.45f * smoothStep(0.4f, 1.5f, dx * dx + dy * dy);
            float grain = (hashUnit(x, y, seed) - 0.5f) * 0.06f;
            auto finish = [&](float c, float b1, float b2) {
                float lit = (c + b1 * 0.9f + b2 * 0.7f) * vignette;
                return lit / (1 + 0.25f * lit) * 1.1f + grain; // soft shoulder for highlights
            };
            p = {finish(p.r, b.r, v.r), finish(p.g, b.g, v.g), finish(p.b, b.b, v.b), 1};
        }
}

// Additive round glow of a light: a hot core and a soft halo.
void lightGlow(Canvas& canvas, float x, float y, float radius, Rgba colour, float strength = 1) {
    float reach = radius * 6;
    canvas.fill(
        x - reach, y - reach, x + reach, y + reach, colour,
        [&](float px, float py) {
            float d = std::hypot(px - x, py - y);
            // Returned as a distance so that coverage() yields the falloff.
            float energy = strength * (std::exp(-d * d / (radius * radius)) +
                                       0.25f * std::exp(-d / (radius * 2.2f)));
            return 0.5f - std::min(energy, 4.0f);
        },
        Blend::Add);
}

// ---- The platform, seen through a pinhole camera -------------------------------------------

// World: x across the tracks (rails at ±0.72, platform edge at x = 1.6, platform top at y = 1),
// y up, z away from the camera. One shot of the platform.
struct PlatformShot {
    float camX = 4.2f, camY = 2.7f; // eye
    float focal = 640;              // pixels
    float horizon = 330;            // row of the horizon
    float centre = 420;             // column of the vanishing point
    float approachZ = -1;           // front of an arriving train, -1 for none
    float leavingZ = -1;            // rear of a departing train, -1 for none
    bool alongside = false;         // a train standing at the platform
    bool person = false;            // someone waiting on the bench
    bool clock = true;              // the hanging clock
    int hour = 23, minute = 50;     // the time it shows
    float lampLevel = 1;            // 0 dark to 1 lit
    int flickerLamp = -1;           // one lamp that is off
    uint32_t seed = 1;
};

constexpr float kPlatformEdge = 1.6f;
constexpr float kPlatformTop = 1.0f;
constexpr float kCanopyY = 5.2f;
constexpr float kLampX = 3.3f, kLampY = 4.3f, kLampSpacing = 11, kLampFirst = 7;
constexpr int kLampCount = 14;
constexpr float kTrainHalfWidth = 1.45f, kTrainTop = 4.0f, kTrainLength = 120;

float lampZ(int i) {
    return kLampFirst + i * kLampSpacing;
}

Rgba fogColour() {
    return rgb(0x1b2440);
}

// Light falling on a floor point from the platform lamps and a train's headlights.
Rgba floorLight(const PlatformShot& shot, float x, float y, float z) {
    Rgba light = scaled(rgb(0x1a2440), 0.5f); // ambient city glow
    // Lamps further than a few spacings away add next to nothing.
    int nearest = static_cast<int>((z - kLampFirst) / kLampSpacing + 0.5f);
    for (int i = std::max(0, nearest - 3); i <= std::min(kLampCount - 1, nearest + 3); ++i) {
        if (i == shot.flickerLamp) continue;
        float dx = x - kLampX, dy = y - kLampY, dz = z - lampZ(i);
        float k = shot.lampLevel * 6.0f / (1 + dx * dx + dy * dy + dz * dz);
        light.r += palette::kWarm.r * k;
        light.g += palette::kWarm.g * k;
        light.b += palette::kWarm.b * k;
    }
    if (shot.approachZ > 0 && z < shot.approachZ) {
        float ahead = shot.approachZ - z;
        float cone = std::exp(-x * x / (1 + ahead * 0.08f));
        float k = 60 * cone / (ahead * ahead + 20);
        light = {light.r + k * 0.9f, light.g + k * 0.95f, light.b + k, 1};
    }
    if (shot.alongside && x < kPlatformEdge + 4 && y > 0.5f) {
        // Warm light spilling out of the carriage windows.
        float k = 0.45f * std::exp(-(x - kTrainHalfWidth) * 0.8f);
        light = {light.r + palette::kWarm.r * k, light.g + palette::kWarm.g * k,
                 light.b + palette::kWarm.b * k, 1};
    }
    return light;
}

// Colour of the world along the ray through pixel (px, py); sky where nothing is hit.
Rgba castRay(const PlatformShot& shot, float px, float py) {
    float dx = (px - shot.centre) / shot.focal, dy = -(py - shot.horizon) / shot.focal;
    // Candidate hits: the ground (y = 0), the platform top, its edge face and the canopy.
    float best = 1e9f;
    int surface = -1;
    auto consider = [&](float t, int kind) {
        if (t > 0.3f && t < best) {
            best = t;
            surface = kind;
        }
    };
    if (dy < 0) {
        float tTop = (kPlatformTop - shot.camY) / dy;
        if (shot.camX + dx * tTop >= kPlatformEdge) consider(tTop, 1);
        float tGround = -shot.camY / dy;
        if (shot.camX + dx * tGround < kPlatformEdge) consider(tGround, 0);
    }
    if (dx != 0) {
        float tFace = (kPlatformEdge - shot.camX) / dx;
        float yFace = shot.camY + dy * tFace;
        if (yFace >= 0 && yFace <= kPlatformTop) consider(tFace, 2);
    }
    if (dy > 0) {
        float tRoof = (kCanopyY - shot.camY) / dy;
        float xRoof = shot.camX + dx * tRoof;
        if (xRoof > 1.0f && xRoof < 10) consider(tRoof, 3);
    }
    if (surface < 0 || best > 420) return Rgba{-1, 0, 0, 0};
    float x = shot.camX + dx * best, y = shot.camY + dy * best, z = best;
    Rgba albedo;
    float shine = 0;
    if (surface == 0) {
        float ax = std::fabs(x);
        bool rail = std::fabs(ax - 0.72f) < 0.045f || std::fabs(ax - 0.72f - 4.6f) < 0.045f;
        bool sleeper = std::fmod(z, 0.65f) < 0.24f && (ax < 1.3f || std::fabs(x + 4.6f) < 1.3f);
        float gravel = 0.5f + 0.5f * fractalNoise(x * 9, z * 9, shot.seed, 2);
        albedo = rail ? rgb(0x8a93a0) : sleeper ? rgb(0x3a3430) : scaled(rgb(0x35312e), gravel);
        shine = rail ? 2.5f : 0;
    } else if (surface == 1) {
        float slab = std::fmod(z, 3.0f) < 0.04f ? 0.6f : 1.0f;
        float stain = 0.75f + 0.25f * fractalNoise(x * 1.5f, z * 1.5f, shot.seed + 9, 3);
        bool safetyLine = x > kPlatformEdge + 0.35f && x < kPlatformEdge + 0.5f;
        albedo = safetyLine ? rgb(0xd8b040) : scaled(rgb(0x8c8a86), slab * stain);
        shine = 0.6f; // wet concrete
    } else if (surface == 2) {
        albedo = scaled(rgb(0x57524c), 0.6f + 0.2f * valueNoise(z * 2, y * 4, shot.seed));
    } else {
        bool beam = std::fmod(z, 6.0f) < 0.5f;
        bool strip = std::fabs(x - 3.0f) < 0.12f && std::fmod(z, 6.0f) > 1.5f &&
                     std::fmod(z, 6.0f) < 4.5f && shot.lampLevel > 0.5f;
        if (strip) return mix(rgb(0xe8f4ff), fogColour(), 1 - std::exp(-z / 140));
        albedo = beam ? rgb(0x2a2c34) : rgb(0x181a22);
    }
    Rgba light = floorLight(shot, x, y, z);
    Rgba lit = {albedo.r * light.r * (1 + shine), albedo.g * light.g * (1 + shine),
                albedo.b * light.b * (1 + shine), 1};
    return mix(lit, fogColour(), 1 - std::exp(-z / 160));
}

Rgba skyColour(const PlatformShot& shot, float px, float py) {
    float t = clamp01((py - (shot.horizon - 420)) / 420);
    Rgba sky = mix(rgb(0x050a1c), rgb(0x2b2a48), t * t);
    float glow = std::exp(-std::fabs(py - shot.horizon) / 40) * 0.35f;
    sky = {sky.r + glow * 0.9f, sky.g + glow * 0.5f, sky.b + glow * 0.35f, 1};
    if (hashUnit(static_cast<int>(px), static_cast<int>(py), shot.seed + 3) > 0.9993f && t < 0.7f)
        sky = mix(sky, rgb(0xcfe0ff), 0.8f);
    // A skyline of distant towers with scattered lit windows.
    float column = std::floor(px / 14);
    float tower = 12 + 70 * std::pow(hashUnit(static_cast<int>(column), 0, shot.seed + 5), 2.0f);
    if (py > shot.horizon - tower && py < shot.horizon + 2) {
        bool window =
            hashUnit(static_cast<int>(px / 3), static_cast<int>(py / 4), shot.seed) > 0.9f;
        return window ? rgb(0xc99a55) : rgb(0x0c1020);
    }
    return sky;
}

// A flat world-space quad facing the camera side, projected and filled.
struct Projector {
    const PlatformShot& shot;
    Point at(float x, float y, float z) const {
        return {shot.centre + shot.focal * (x - shot.camX) / z,
                shot.horizon - shot.focal * (y - shot.camY) / z};
    }
    void quad(Canvas& canvas, Point a, Point b, Point c, Point d, Rgba colour,
              Blend blend = Blend::Over) const {
        Point points[] = {a, b, c, d};
        float x0 = std::min({a.x, b.x, c.x, d.x}), x1 = std::max({a.x, b.x, c.x, d.x});
        float y0 = std::min({a.y, b.y, c.y, d.y}), y1 = std::max({a.y, b.y, c.y, d.y});
        canvas.fill(
            x0, y0, x1, y1, colour,
            [&](float px, float py) { return convexDistance(px, py, points, 4); }, blend);
    }
    float fog(float z) const { return 1 - std::exp(-z / 160); }
};

void drawLamps(Canvas& canvas, const PlatformShot& shot, const Projector& view) {
    for (int i = kLampCount - 1; i >= 0; --i) {
        float z = lampZ(i);
        if (z < 1.5f) continue;
        Rgba pole = mix(rgb(0x101218), fogColour(), view.fog(z));
        Point foot = view.at(kLampX, kPlatformTop, z), head = view.at(kLampX, kLampY + 0.4f, z);
        float width = std::max(1.0f, shot.focal * 0.09f / z);
        canvas.fill(foot.x - width, head.y, foot.x + width, foot.y, pole, [&](float x, float y) {
            return segmentDistance(x, y, foot.x, foot.y, head.x, head.y, width * 0.5f);
        });
        Point bulb = view.at(kLampX, kLampY, z);
        float size = shot.focal * 0.25f / z;
        canvas.fill(bulb.x - size, bulb.y - size, bulb.x + size, bulb.y + size, pole,
                    [&](float x, float y) {
                        return boxDistance(x, y, bulb.x, bulb.y - size * 0.4f, size, size * 0.3f);
                    });
        if (i == shot.flickerLamp || shot.lampLevel <= 0) continue;
        lightGlow(canvas, bulb.x, bulb.y, std::max(1.5f, size * 0.7f), palette::kWarmPale,
                  shot.lampLevel * (1.2f - view.fog(z)));
    }
}

void drawHangingClock(Canvas& canvas, const PlatformShot& shot, const Projector& view, float z,
                      int hour, int minute) {
    Point centre = view.at(kLampX - 0.3f, kCanopyY - 0.9f, z);
    Point top = view.at(kLampX - 0.3f, kCanopyY, z);
    float r = shot.focal * 0.45f / z;
    canvas.fill(centre.x - 2, top.y, centre.x + 2, centre.y, rgb(0x101218), [&](float x, float y) {
        return segmentDistance(x, y, top.x, top.y, centre.x, centre.y, r * 0.08f);
    });
    canvas.fill(centre.x - r, centre.y - r, centre.x + r, centre.y + r, rgb(0x15171d),
                [&](float x, float y) { return circleDistance(x, y, centre.x, centre.y, r); });
    canvas.fill(
        centre.x - r, centre.y - r, centre.x + r, centre.y + r, rgb(0xe8ecf0),
        [&](float x, float y) { return circleDistance(x, y, centre.x, centre.y, r * 0.86f); });
    float hourAngle = (hour % 12 + minute / 60.0f) / 12 * 6.2831853f;
    float minuteAngle = minute / 60.0f * 6.2831853f;
    for (auto [angle, length, thick] :
         {std::tuple{hourAngle, 0.5f, 0.09f}, std::tuple{minuteAngle, 0.75f, 0.06f}}) {
        float ex = centre.x + std::sin(angle) * r * length,
              ey = centre.y - std::cos(angle) * r * length;
        // A lambda may not capture a structured binding in C++17: capture a copy.
        const float handWidth = r * thick;
        canvas.fill(centre.x - r, centre.y - r, centre.x + r, centre.y + r, rgb(0x111111),
                    [&](float x, float y) {
                        return segmentDistance(x, y, centre.x, centre.y, ex, ey, handWidth);
                    });
    }
    lightGlow(canvas, centre.x, centre.y, r * 0.9f, rgb(0x8fa8c0), 0.25f);
}

void drawBench(Canvas& canvas, const PlatformShot& shot, const Projector& view, float z,
               bool person) {
    const float x0 = 5.6f, x1 = 6.1f, length = 2.2f;
    Rgba wood = mix(rgb(0x2a1d14), fogColour(), view.fog(z));
    Rgba lit = mix(rgb(0x6a4a2c), fogColour(), view.fog(z));
    // Legs, seat, back rest.
    for (float lz : {z + 0.2f, z + length - 0.2f})
        view.quad(canvas, view.at(x0 + 0.1f, kPlatformTop, lz),
                  view.at(x0 + 0.14f, kPlatformTop, lz),
                  view.at(x0 + 0.14f, kPlatformTop + 0.45f, lz),
                  view.at(x0 + 0.1f, kPlatformTop + 0.45f, lz), wood);
    view.quad(
        canvas, view.at(x0, kPlatformTop + 0.45f, z), view.at(x0, kPlatformTop + 0.45f, z + length),
        view.at(x1, kPlatformTop + 0.5f, z + length), view.at(x1, kPlatformTop + 0.5f, z), lit);
    view.quad(
        canvas, view.at(x1, kPlatformTop + 0.55f, z), view.at(x1, kPlatformTop + 0.55f, z + length),
        view.at(x1, kPlatformTop + 1.0f, z + length), view.at(x1, kPlatformTop + 1.0f, z), wood);
    if (!person) return;
    // Someone sitting, coat collar up: body, head, a hat brim.
    float pz = z + length * 0.45f;
    Point seat = view.at(x0 + 0.3f, kPlatformTop + 0.5f, pz);
    Point shoulder = view.at(x0 + 0.35f, kPlatformTop + 1.15f, pz);
    Point head = view.at(x0 + 0.33f, kPlatformTop + 1.38f, pz);
    float scale = shot.focal / pz;
    Rgba coat = rgb(0x0b0c10);
    canvas.fill(seat.x - scale, head.y - scale, seat.x + scale, seat.y + scale, coat,
                [&](float x, float y) {
                    return segmentDistance(x, y, seat.x, seat.y, shoulder.x, shoulder.y,
                                           scale * 0.2f);
                });
    canvas.fill(
        head.x - scale, head.y - scale, head.x + scale, head.y + scale, coat,
        [&](float x, float y) { return circleDistance(x, y, head.x, head.y, scale * 0.11f); });
    canvas.fill(head.x - scale, head.y - scale, head.x + scale, head.y + scale, coat,
                [&](float x, float y) {
                    return boxDistance(x, y, head.x, head.y - scale * 0.08f, scale * 0.18f,
                                       scale * 0.02f);
                });
    // Knees and legs towards the track.
    Point knee = view.at(x0 - 0.15f, kPlatformTop + 0.52f, pz);
    Point foot = view.at(x0 - 0.2f, kPlatformTop, pz);
    canvas.fill(std::min(knee.x, seat.x) - scale, knee.y - scale, seat.x + scale, foot.y + 2, coat,
                [&](float x, float y) {
                    return std::min(
                        segmentDistance(x, y, seat.x, seat.y, knee.x, knee.y, scale * 0.08f),
                        segmentDistance(x, y, knee.x, knee.y, foot.x, foot.y, scale * 0.06f));
                });
}

// A train between front z0 and rear z1; lights show at the end facing the camera.
void drawTrain(Canvas& canvas, const PlatformShot& shot, const Projector& view, float z0, float z1,
               bool headlights, bool tailLights) {
    const float h = kTrainHalfWidth, bottom = 0.25f;
    Rgba body = rgb(0x1c2230), roofColour = rgb(0x2c3444);
    float nearZ = std::max(z0, 1.0f);
    // The side facing the platform, with its row of windows, far to near.
    view.quad(canvas, view.at(h, bottom, nearZ), view.at(h, bottom, z1), view.at(h, kTrainTop, z1),
              view.at(h, kTrainTop, nearZ), mix(body, fogColour(), 0.2f));
    view.quad(canvas, view.at(h, kTrainTop, nearZ), view.at(h, kTrainTop, z1),
              view.at(0, kTrainTop + 0.35f, z1), view.at(0, kTrainTop + 0.35f, nearZ), roofColour);
    for (float wz = z1 - 2.0f; wz > nearZ + 0.4f; wz -= 2.3f) {
        float fog = view.fog(wz);
        bool door = std::fmod(wz, 23.0f) < 2.3f;
        float top = door ? 3.4f : 3.0f, low = door ? 0.5f : 2.0f;
        float glow = shot.alongside ? 1.0f : 0.75f;
        Rgba window = mix(scaled(palette::kWarm, glow), fogColour(), fog * 0.8f);
        view.quad(canvas, view.at(h, low, wz), view.at(h, low, wz + 1.5f),
                  view.at(h, top, wz + 1.5f), view.at(h, top, wz), window);
        if (shot.alongside && !door && hashUnit(static_cast<int>(wz * 10), 3, shot.seed) > 0.6f) {
            // A passenger's silhouette in the window.
            Point head = view.at(h, 2.55f, wz + 0.75f);
            float r = shot.focal * 0.13f / wz;
            canvas.fill(head.x - r * 3, head.y - r * 3, head.x + r * 3, head.y + r * 8,
                        rgb(0x2a1c10), [&](float x, float y) {
                            return std::min(
                                circleDistance(x, y, head.x, head.y, r),
                                boxDistance(x, y, head.x, head.y + r * 3, r * 1.8f, r * 2, r));
                        });
        }
    }
    if (z0 < 1) return;
    // The end facing the camera.
    Point a = view.at(-h, bottom, z0), b = view.at(h, bottom, z0), c = view.at(h, kTrainTop, z0),
          d = view.at(-h, kTrainTop, z0);
    view.quad(canvas, a, b, c, d, mix(rgb(0x2a3140), fogColour(), view.fog(z0)));
    view.quad(canvas, view.at(-h + 0.25f, 2.4f, z0), view.at(h - 0.25f, 2.4f, z0),
              view.at(h - 0.25f, 3.5f, z0), view.at(-h + 0.25f, 3.5f, z0), rgb(0x0a0e18));
    float scale = shot.focal / z0;
    for (float side : {-0.95f, 0.95f}) {
        Point lamp = view.at(side, 1.0f, z0);
        if (headlights)
            lightGlow(canvas, lamp.x, lamp.y, std::max(2.0f, scale * 0.22f), rgb(0xf4f8ff),
                      2.0f + 120 / (z0 + 20));
        if (tailLights)
            lightGlow(canvas, lamp.x, lamp.y, std::max(1.5f, scale * 0.12f), palette::kSignal,
                      1.6f);
    }
    if (headlights) {
        Point top = view.at(0, 3.75f, z0);
        lightGlow(canvas, top.x, top.y, std::max(1.5f, scale * 0.15f), rgb(0xf4f8ff), 1.5f);
        // A horizontal flare through the headlights.
        Point mid = view.at(0, 1.0f, z0);
        float reach = std::min(900.0f, 60 + 9000 / z0);
        canvas.fill(
            mid.x - reach, mid.y - 6, mid.x + reach, mid.y + 6, rgb(0xbfd8ff),
            [&](float x, float y) {
                float fade = 1 - std::fabs(x - mid.x) / reach;
                return 0.5f - fade * fade * 0.5f * std::exp(-std::fabs(y - mid.y) / 1.5f);
            },
            Blend::Add);
    }
}

Canvas paintPlatform(const PlatformShot& shot) {
    Canvas canvas(kPhotoWidth, kPhotoHeight, Rgba{0, 0, 0, 1});
    // The static world: two samples per pixel, on a diagonal.
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            Rgba sum{0, 0, 0, 1};
            for (int s = 0; s < 2; ++s) {
                float px = x + 0.25f + 0.5f * s, py = y + 0.75f - 0.5f * s;
                Rgba c = castRay(shot, px, py);
                if (c.r < 0) c = skyColour(shot, px, py);
                sum = {sum.r + c.r * 0.5f, sum.g + c.g * 0.5f, sum.b + c.b * 0.5f, 1};
            }
            canvas.at(x, y) = sum;
        }
    Projector view{shot};
    if (shot.approachZ > 0)
        drawTrain(canvas, shot, view, shot.approachZ, shot.approachZ + kTrainLength, true, false);
    if (shot.leavingZ > 0)
        drawTrain(canvas, shot, view, shot.leavingZ, shot.leavingZ + kTrainLength, false, true);
    if (shot.alongside) drawTrain(canvas, shot, view, -10, kTrainLength, false, false);
    drawLamps(canvas, shot, view);
    if (shot.clock && shot.camX > kPlatformEdge)
        drawHangingClock(canvas, shot, view, 16, shot.hour, shot.minute);
    if (shot.camX > kPlatformEdge) drawBench(canvas, shot, view, 10, shot.person);
    return canvas;
}

// ---- Close-ups and the station front --------------------------------------------------------

// Out-of-focus lamps behind a subject: soft warm and cold discs.
void bokeh(Canvas& canvas, uint32_t seed, int count) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        float x = random.range(0, kPhotoWidth), y = random.range(0, kPhotoHeight * 0.8f);
        float r = random.range(18, 70);
        Rgba c = random.unit() < 0.7f ? palette::kWarm : palette::kCyan;
        float alpha = random.range(0.08f, 0.3f);
        canvas.fill(
            x - r, y - r, x + r, y + r, withAlpha(c, alpha),
            [&](float px, float py) { return circleDistance(px, py, x, y, r) / 3; }, Blend::Add);
    }
}

Canvas paintClock(const Lettering& fonts, int hour, int minute, float zoom, uint32_t seed) {
    Canvas canvas(kPhotoWidth, kPhotoHeight);
    canvas.shade(
        [](float, float y) { return mix(rgb(0x0a1026), rgb(0x1e1a2c), y / kPhotoHeight); });
    bokeh(canvas, seed, 26);
    canvas.blur(4);
    const float cx = 540, cy = 400, r = 250 * zoom;
    // Bracket from the roof and the case.
    canvas.fill(cx - 30, 0, cx + 30, cy - r, rgb(0x0c0d12), [&](float x, float y) {
        return boxDistance(x, y, cx, (cy - r) / 2, 14 * zoom, (cy - r) / 2 + 4);
    });
    canvas.fill(cx - r - 30, cy - r - 30, cx + r + 30, cy + r + 30, rgb(0x121419),
                [&](float x, float y) { return circleDistance(x, y, cx, cy, r + 18 * zoom); });
    canvas.fill(cx - r, cy - r, cx + r, cy + r, rgb(0xeef0ea),
                [&](float x, float y) { return circleDistance(x, y, cx, cy, r); });
    // Face shading: lit from the lamp above.
    canvas.fill(cx - r, cy - r, cx + r, cy + r, withAlpha(rgb(0x6a7890), 0.45f),
                [&](float x, float y) { return circleDistance(x, y, cx, cy, r) + 0 * y; });
    canvas.fill(cx - r, cy - r, cx + r, cy + r, withAlpha(rgb(0xfff4dc), 0.6f),
                [&](float x, float y) {
                    return circleDistance(x, y, cx - r * 0.15f, cy - r * 0.2f, r * 0.8f) / 12;
                });
    for (int tick = 0; tick < 60; ++tick) {
        float a = tick / 60.0f * 6.2831853f;
        bool major = tick % 5 == 0;
        float inner = r * (major ? 0.78f : 0.88f), outer = r * 0.94f;
        float ax = cx + std::sin(a) * inner, ay = cy - std::cos(a) * inner;
        float bx = cx + std::sin(a) * outer, by = cy - std::cos(a) * outer;
        canvas.fill(std::min(ax, bx) - 10, std::min(ay, by) - 10, std::max(ax, bx) + 10,
                    std::max(ay, by) + 10, rgb(0x111318), [&](float x, float y) {
                        return segmentDistance(x, y, ax, ay, bx, by, (major ? 6.0f : 2.0f) * zoom);
                    });
    }
    TextStyle maker;
    maker.fill = rgb(0x30343c);
    drawText(canvas, fonts, Face::Logotype, "vsq", static_cast<int>(28 * zoom), cx,
             static_cast<int>(cy - r * 0.35f), Align::Center, maker, 4);
    float hourAngle = (hour % 12 + minute / 60.0f) / 12 * 6.2831853f;
    float minuteAngle = minute / 60.0f * 6.2831853f;
    for (auto [angle, length, thick] :
         {std::tuple{hourAngle, 0.52f, 13.0f}, std::tuple{minuteAngle, 0.8f, 9.0f}}) {
        float ex = cx + std::sin(angle) * r * length, ey = cy - std::cos(angle) * r * length;
        const float handWidth = thick * zoom * 0.5f; // a copy: lambdas cannot capture bindings
        canvas.fill(cx - r, cy - r, cx + r, cy + r, rgb(0x0d0f13), [&](float x, float y) {
            return segmentDistance(x, y, cx, cy, ex, ey, handWidth);
        });
    }
    // The red seconds hand with its disc, as on railway clocks.
    float sa = (seed % 60) / 60.0f * 6.2831853f;
    float sx = cx + std::sin(sa) * r * 0.62f, sy = cy - std::cos(sa) * r * 0.62f;
    canvas.fill(cx - r, cy - r, cx + r, cy + r, rgb(0xc8201c), [&](float x, float y) {
        return std::min(segmentDistance(x, y, cx, cy, sx, sy, 2.5f * zoom),
                        circleDistance(x, y, sx, sy, 18 * zoom));
    });
    canvas.fill(cx - 20, cy - 20, cx + 20, cy + 20, rgb(0x0d0f13),
                [&](float x, float y) { return circleDistance(x, y, cx, cy, 9 * zoom); });
    // Glass reflection.
    canvas.fill(
        cx - r, cy - r, cx + r, cy + r, withAlpha(rgb(0xffffff), 0.12f), [&](float x, float y) {
            return std::max(circleDistance(x, y, cx, cy, r * 0.95f),
                            -circleDistance(x, y, cx + r * 0.25f, cy + r * 0.3f, r * 1.05f));
        });
    return canvas;
}

// The station building at night: a long facade with tall lit windows, the name over the doors,
// a wet square in front that mirrors it. `zoom` and the focus point frame the shot.
Canvas paintExterior(const Lettering& fonts, float zoom, float focusX, float focusY,
                     uint32_t seed) {
    Canvas canvas(kPhotoWidth, kPhotoHeight);
    auto sx = [&](float x) { return (x - focusX) * zoom + kPhotoWidth / 2.0f; };
    auto sy = [&](float y) { return (y - focusY) * zoom + kPhotoHeight / 2.0f; };
    float groundY = sy(560);
    canvas.shade([&](float x, float y) {
        if (y < groundY) {
            float t = clamp01(y / groundY);
            Rgba sky = mix(rgb(0x040818), rgb(0x2a2846), t * t);
            if (hashUnit(static_cast<int>(x), static_cast<int>(y), seed) > 0.9994f)
                sky = mix(sky, rgb(0xd0e0ff), 0.8f);
            return sky;
        }
        float n = fractalNoise(x * 0.02f, y * 0.08f, seed + 4, 3);
        return scaled(rgb(0x15182a), 0.7f + 0.5f * n);
    });
    Rgba wall = rgb(0x232838), trim = rgb(0x343a4e);
    auto rect = [&](float x0, float y0, float x1, float y1, Rgba c, float radius = 0) {
        float cx = (sx(x0) + sx(x1)) / 2, cy = (sy(y0) + sy(y1)) / 2;
        float hw = (sx(x1) - sx(x0)) / 2, hh = (sy(y1) - sy(y0)) / 2;
        canvas.fill(sx(x0), sy(y0), sx(x1), sy(y1), c, [&](float x, float y) {
            return boxDistance(x, y, cx, cy, hw, hh, std::min(radius * zoom, std::min(hw, hh)));
        });
    };
    // Main hall with a clock tower, two wings.
    rect(60, 300, 964, 560, wall);
    rect(380, 200, 644, 560, trim);
    rect(470, 90, 554, 210, wall);
    canvas.fill(sx(512) - 40 * zoom, sy(140) - 40 * zoom, sx(512) + 40 * zoom, sy(140) + 40 * zoom,
                rgb(0xf0e6c8), [&](float x, float y) {
                    return circleDistance(x, y, sx(512), sy(140), 24 * zoom);
                });
    lightGlow(canvas, sx(512), sy(140), 20 * zoom, palette::kWarmPale, 0.6f);
    Random random(seed);
    // Tall arched windows, most of them lit.
    for (int i = 0; i < 12; ++i) {
        float x = 90 + i * 74.0f;
        if (x > 360 && x < 650) continue;
        bool lit = random.unit() < 0.8f;
        Rgba glass = lit ? scaled(palette::kWarm, random.range(0.7f, 1.1f)) : rgb(0x0c1020);
        rect(x, 360, x + 40, 500, glass, 20);
        // Glazing bars, so that a close shot shows windows, not lit slabs.
        const Rgba bar = rgb(0x2a2018);
        rect(x + 19, 362, x + 21, 500, bar);
        for (float by : {404.0f, 452.0f})
            rect(x, by, x + 40, by + 2, bar);
        if (lit) lightGlow(canvas, sx(x + 20), sy(430), 22 * zoom, palette::kWarm, 0.25f);
    }
    // The entrance: three lit doorways under the name, the hall's warm light deepening towards
    // the top, with a transom and the doors' frames.
    for (int i = 0; i < 3; ++i) {
        float x = 410 + i * 72.0f;
        rect(x, 400, x + 56, 560, rgb(0xc8874a), 28);
        rect(x + 6, 470, x + 50, 560, rgb(0xf0c48a));
        rect(x, 462, x + 56, 468, rgb(0x3a2c1c));
        rect(x + 26, 468, x + 30, 560, rgb(0x3a2c1c));
        lightGlow(canvas, sx(x + 28), sy(500), 34 * zoom, palette::kWarm, 0.3f);
    }
    TextStyle sign;
    sign.fill = palette::kIce;
    sign.glow = withAlpha(palette::kCyan, 0.9f);
    sign.glowRadius = std::max(2, static_cast<int>(6 * zoom));
    sign.glowStrength = 1.5f;
    drawText(canvas, fonts, Face::TextBold, "CENTRAL", static_cast<int>(44 * zoom), sx(512),
             static_cast<int>(sy(300)), Align::Center, sign, 8 * zoom);
    drawText(canvas, fonts, Face::Text, "STATION", static_cast<int>(24 * zoom), sx(512),
             static_cast<int>(sy(340)), Align::Center, sign, 14 * zoom);
    // Street lamps along the square.
    for (float lx : {30.0f, 300.0f, 724.0f, 994.0f}) {
        rect(lx - 3, 380, lx + 3, 600, rgb(0x0b0d12));
        lightGlow(canvas, sx(lx), sy(378), 9 * zoom, palette::kWarmPale, 1.2f);
    }
    // The wet square mirrors what stands on it: copy the rows above, darkened and smeared.
    int g = static_cast<int>(groundY);
    for (int y = std::max(g, 0); y < kPhotoHeight; ++y) {
        int mirror = 2 * g - y;
        if (mirror < 0 || mirror >= kPhotoHeight) continue;
        float fade = 0.35f * std::exp(-(y - g) / (180.0f * zoom));
        for (int x = 0; x < kPhotoWidth; ++x) {
            int wobble =
                static_cast<int>(6 * (valueNoise(x * 0.01f, y * 0.3f, seed) - 0.5f) * zoom);
            const Rgba& above = canvas.at(std::clamp(x + wobble, 0, kPhotoWidth - 1), mirror);
            canvas.put(x, y, Rgba{above.r, above.g, above.b, 1}, fade, Blend::Add);
        }
    }
    return canvas;
}

// ---- The layers over the slides -----------------------------------------------------------

// The frame around the slides: a carriage window in brushed dark metal, with rivets, a rubber
// seal and a faint reflection on the glass. It is drawn a little larger than the screen and
// shakes with the music, so the metal runs well past the visible edge.
Canvas paintTrainFrame(const Lettering& fonts) {
    const int width = 1180, height = 808;
    const float cx = width / 2.0f, cy = height / 2.0f, halfW = 440, halfH = 329, radius = 64;
    Canvas canvas(width, height);
    canvas.shade([&](float x, float y) {
        float brushed = fractalNoise(x * 0.6f, y * 0.02f, 41, 3);
        float light = 0.75f + 0.35f * (1 - y / height);
        return scaled(rgb(0x1d2330), light * (0.8f + 0.4f * brushed));
    });
    // Bevel: a bright rim just outside the seal, then the black seal, then the glass.
    canvas.fill(0, 0, width, height, withAlpha(rgb(0x8aa4c0), 0.5f), [&](float x, float y) {
        return std::fabs(boxDistance(x, y, cx, cy - 2, halfW + 16, halfH + 16, radius + 16)) - 2;
    });
    canvas.fill(0, 0, width, height, rgb(0x07080b), [&](float x, float y) {
        return boxDistance(x, y, cx, cy, halfW + 12, halfH + 12, radius + 12);
    });
    Mask window(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            window.at(x, y) =
                1 - coverage(boxDistance(x + 0.5f, y + 0.5f, cx, cy, halfW, halfH, radius));
    canvas.multiplyAlpha(window);
    // Glass: a faint diagonal reflection and a breath of condensation in the lower corners.
    canvas.fill(cx - halfW, cy - halfH, cx + halfW, cy + halfH, withAlpha(rgb(0xbcd8ff), 0.07f),
                [&](float x, float y) {
                    float band = std::fabs((x - cx) * 0.6f + (y - cy) + 120) - 60;
                    return std::max(band / 30, boxDistance(x, y, cx, cy, halfW, halfH, radius));
                });
    for (int i = 0; i < 40; ++i) {
        float u = hashUnit(i, 0, 43), v = hashUnit(i, 1, 43);
        float x = cx - halfW + 20 + u * 2 * (halfW - 20), y = cy + halfH - 8 - v * v * 120;
        float r = 1.5f + 3 * hashUnit(i, 2, 43);
        canvas.fill(x - r, y - r, x + r, y + r, withAlpha(rgb(0xdfefff), 0.35f),
                    [&](float px, float py) { return circleDistance(px, py, x, y, r); });
    }
    // Rivets along the metal, inside the part that stays on screen.
    for (int i = 0; i < 14; ++i) {
        float x = 150 + i * (width - 300) / 13.0f;
        for (float y : {40.0f, height - 40.0f}) {
            canvas.fill(x - 8, y - 8, x + 8, y + 8, rgb(0x0b0d12), [&](float px, float py) {
                return circleDistance(px, py, x + 1, y + 1, 5);
            });
            canvas.fill(x - 8, y - 8, x + 8, y + 8, rgb(0x55627a),
                        [&](float px, float py) { return circleDistance(px, py, x, y, 4.5f); });
        }
    }
    // The carriage's maker's plate over the lower rivet row, its letters stamped in.
    TextLine name = fonts.line(Face::TextBold, "VSQ-14  2ND CLASS", 17, 4);
    const float plateY = height - 38, plateHalfW = (name.inkRight - name.inkLeft) / 2.0f + 22;
    canvas.fill(
        cx - plateHalfW - 2, plateY - 16, cx + plateHalfW + 4, plateY + 17, rgb(0x05060a),
        [&](float x, float y) { return boxDistance(x, y, cx + 1, plateY + 2, plateHalfW, 13, 4); });
    canvas.fill(cx - plateHalfW, plateY - 14, cx + plateHalfW, plateY + 14, rgb(0x262d3a),
                [&](float x, float y) { return boxDistance(x, y, cx, plateY, plateHalfW, 13, 4); });
    canvas.fill(cx - plateHalfW, plateY - 14, cx + plateHalfW, plateY + 14, rgb(0x6a7a94, 0.8f),
                [&](float x, float y) {
                    return std::fabs(boxDistance(x, y, cx, plateY, plateHalfW - 1, 12, 3)) - 0.6f;
                });
    TextStyle stamped;
    stamped.fill = rgb(0xa8b6ca);
    stamped.shadow = rgb(0x05060a);
    stamped.shadowOffset = 1;
    drawTextLine(canvas, name, cx, static_cast<int>(plateY) + 6, Align::Center, stamped);
    return canvas;
}

// The mask turned a quarter to the left, so that text reads from bottom to top.
Mask rotatedLeft(const Mask& mask) {
    Mask out(mask.height, mask.width);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            out.at(y, mask.width - 1 - x) = mask.at(x, y);
    return out;
}

// A tall enamel sign: white lettering on station blue, read from bottom to top. The scene
// stretches the picture over x 0.325 to 0.875 and y -1.15 to 0.35 of the screen, while the
// carriage window drawn over it shows only y -0.85 to 0.85 and x up to 0.85: the plate fills
// the top three quarters of the picture and stops short of the window's right edge, so it
// stands whole in the window.
Canvas paintWaitingSign(const Lettering& fonts) {
    const int width = 256, height = 512;
    const float cx = 118, cy = 200, halfW = 104, halfH = 186;
    Canvas canvas(width, height);
    canvas.fill(0, 0, width, height, rgb(0x000000, 0.5f), [&](float x, float y) {
        return boxDistance(x, y, cx + 5, cy + 6, halfW, halfH, 18) / 6;
    });
    canvas.fill(0, 0, width, height, rgb(0x12306a),
                [&](float x, float y) { return boxDistance(x, y, cx, cy, halfW, halfH, 18); });
    canvas.fill(0, 0, width, height, rgb(0xe8eef6), [&](float x, float y) {
        return std::fabs(boxDistance(x, y, cx, cy, halfW - 14, halfH - 14, 10)) - 2.5f;
    });
    // Enamel sheen and a chip at one corner.
    canvas.fill(0, 0, width, height, withAlpha(rgb(0xffffff), 0.08f), [&](float x, float y) {
        return std::max(boxDistance(x, y, cx, cy, halfW, halfH, 18), (x * 0.8f + y - 220) / 40);
    });
    canvas.fill(180, 16, 220, 44, rgb(0x202020), [&](float x, float y) {
        return circleDistance(x, y, 200, 30, 7 + 3 * valueNoise(x * 0.5f, y * 0.5f, 3));
    });
    int bigSize = fittingSize(fonts, Face::TextBold, "waiting", 100, 2, 320);
    TextLine big = fonts.line(Face::TextBold, "waiting", bigSize, 2, 2);
    TextLine small = fonts.line(Face::Text, "platform 14 \u2192", 26, 3, 2);
    Mask word = rotatedLeft(big.mask), note = rotatedLeft(small.mask);
    // After the turn, mask row r of the line lies in column r: centre the x-height band.
    int wordCentre = (big.xHeightTop + big.baseline) / 2;
    // Ink columns [inkLeft, inkRight) of the line become rows counted from the mask's bottom.
    auto inkMiddle = [](const TextLine& line) {
        return line.mask.width - (line.inkLeft + line.inkRight) / 2;
    };
    canvas.draw(word, static_cast<int>(cx) - 20 - wordCentre, static_cast<int>(cy) - inkMiddle(big),
                palette::kIce);
    int noteCentre = (small.capTop + small.baseline) / 2;
    canvas.draw(note, static_cast<int>(cx) + 52 - noteCentre,
                static_cast<int>(cy) - inkMiddle(small), rgb(0xffd27a));
    return canvas;
}

// The departure board message: amber dot-matrix lettering on a dark panel. The scene wipes the
// picture in over x -1.025 to 0.525 of the screen, and lays the last two caption cards over
// its left end (their tape reaches x -0.37) and the "waiting" sign beside its right end (from
// x 0.325): the panel keeps to the free square between them, u 0.47 to 0.845.
Canvas paintMessageBoard(const Lettering& fonts) {
    const int width = 1024, height = 396, cell = 6;
    const float left = 0.47f * width, right = 0.845f * width;
    const float cx = (left + right) / 2, halfW = (right - left) / 2;
    Canvas canvas(width, height);
    canvas.fill(0, 0, width, height, rgb(0x06070a, 0.9f), [&](float x, float y) {
        return boxDistance(x, y, cx, height / 2.0f, halfW - 4, height / 2.0f - 4, 14);
    });
    canvas.fill(0, 0, width, height, rgb(0x3a3f4a), [&](float x, float y) {
        return std::fabs(boxDistance(x, y, cx, height / 2.0f, halfW - 6, height / 2.0f - 6, 12)) -
               1.5f;
    });
    // The text is set in the dot-matrix face at one pixel per dot; each lit pixel lights a lamp.
    const int columnLeft = static_cast<int>(left / cell) + 2;
    const int columnRight = static_cast<int>(right / cell) - 2;
    const int rows = height / cell;
    Mask dots(width / cell, rows), alarm(width / cell, rows);
    auto set = [&](Mask& into, const char* text, int size, int baselineRow) {
        TextLine line = fonts.line(Face::Dots, text, size, 1);
        int centre = (columnLeft + columnRight) / 2;
        int start = centre - (line.inkRight - line.inkLeft) / 2 - line.inkLeft;
        for (int y = 0; y < line.mask.height; ++y)
            for (int x = 0; x < line.mask.width; ++x) {
                int dx = start + x, dy = baselineRow - line.baseline + y;
                if (dx >= columnLeft && dy >= 0 && dx < columnRight && dy < rows &&
                    line.mask.at(x, y) > 0.45f)
                    into.at(dx, dy) = 1;
            }
    };
    set(dots, "23:59", 10, 16);
    set(dots, "THE", 10, 32);
    set(dots, "FUTURE", 10, 46);
    set(alarm, "DELAYED", 10, 60);
    Canvas lit(width, height);
    for (int row = 1; row < rows - 1; ++row)
        for (int column = columnLeft; column < columnRight; ++column) {
            float x = column * cell + cell / 2.0f, y = row * cell + cell / 2.0f;
            bool on = dots.at(column, row) > 0, red = alarm.at(column, row) > 0;
            Rgba colour = red ? rgb(0xff5a28) : on ? rgb(0xffb030) : rgb(0x2a1a08, 0.9f);
            (on || red ? lit : canvas)
                .fill(x - cell, y - cell, x + cell, y + cell, colour,
                      [&](float px, float py) { return circleDistance(px, py, x, y, 2.2f); });
        }
    Canvas halo = lit;
    halo.blur(4);
    canvas.draw(halo, 0, 0, 1.4f, Blend::Add);
    canvas.draw(lit, 0, 0);
    return canvas;
}

// A caption card: a strip of black tape, just long enough for its words.
Canvas paintCaption(const Lettering& fonts, const char* text, bool highlight) {
    const int width = 1024, height = 76;
    Canvas canvas(width, height);
    Face face = highlight ? Face::TextBold : Face::Text;
    TextLine line = fonts.line(face, text, 46, 2);
    // The words start far enough in to sit inside the carriage window, clear of its frame; the
    // strip is torn off just before them and soon after them, so that it is taped inside the
    // window instead of running off the screen, and ends short of the departure board.
    const float textLeft = 110;
    const float start = textLeft - 30;
    float end = std::min<float>(width - 4, textLeft + line.inkRight - line.inkLeft + 22);
    canvas.fill(0, 0, width, height, rgb(0x05060a, 0.82f), [&](float x, float y) {
        // Torn ends: both edges wander with the noise.
        float raggedEnd = end + 8 * (valueNoise(0, y * 0.3f, 17) - 0.5f);
        float raggedStart = start + 8 * (valueNoise(5, y * 0.3f, 23) - 0.5f);
        return std::max({boxDistance(x, y, width / 2.0f, height / 2.0f, width / 2.0f - 2, 30),
                         x - raggedEnd, raggedStart - x});
    });
    TextStyle style;
    style.fill = highlight ? rgb(0xff5fd2) : palette::kIce;
    style.glow = withAlpha(highlight ? rgb(0xff5fd2) : palette::kCyan, 0.6f);
    style.glowRadius = 5;
    drawLine(canvas, line, textLeft - line.inkLeft, height / 2 + 16 - line.baseline, style);
    return canvas;
}

// ---- The sequence -------------------------------------------------------------------------

// The 31 slides, half a second each: the station front, the empty platform, the clock, the
// waiting passenger, a train arriving out of the dark, standing, leaving, and the empty tracks.
Canvas paintSlide(const Lettering& fonts, int slide) {
    uint32_t seed = 1000 + static_cast<uint32_t>(slide);
    Canvas canvas(kPhotoWidth, kPhotoHeight);
    PlatformShot shot;
    shot.seed = seed;
    auto platform = [&]() { canvas = paintPlatform(shot); };
    switch (slide) {
    case 1:
        canvas = paintExterior(fonts, 1.0f, 512, 384, seed);
        break;
    case 2: // the doorways: the name stays above the frame, so it fades out without a ghost
        canvas = paintExterior(fonts, 2.4f, 512, 510, seed);
        break;
    case 3: // the clock tower, with the name below the frame
        canvas = paintExterior(fonts, 3.0f, 512, 120, seed);
        break;
    case 4:
        platform();
        break;
    case 5:
        shot.camX = 4.6f;
        shot.centre = 380;
        shot.focal = 700;
        platform();
        break;
    case 6:
        shot.camX = 5.5f;
        shot.camY = 3.0f;
        shot.centre = 300;
        shot.horizon = 300;
        platform();
        break;
    case 7:
        canvas = paintClock(fonts, 23, 52, 1.0f, 7);
        break;
    case 8:
        shot.person = true;
        shot.centre = 360;
        platform();
        break;
    case 9:
        shot.person = true;
        shot.camX = 4.0f;
        shot.camY = 2.2f;
        shot.focal = 1200;
        shot.centre = 275;
        shot.horizon = 300;
        platform();
        break;
    case 10:
        // The departure board is wiped in over this one: the clock falls out of focus and into
        // shadow behind it, so that the board reads in front instead of pasted onto its face.
        canvas = paintClock(fonts, 23, 55, 1.25f, 31);
        canvas.blur(9);
        canvas.shade([](float, float) { return rgb(0x04050a, 0.5f); });
        break;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17: {
        const float distances[] = {300, 190, 120, 70, 40, 22, 12};
        shot.approachZ = distances[slide - 11];
        shot.person = true;
        shot.camX = 3.2f;
        shot.centre = 560 - (slide - 11) * 20.0f;
        platform();
        break;
    }
    case 18:
        shot.alongside = true;
        shot.person = true;
        platform();
        break;
    case 19:
        shot.alongside = true;
        shot.camX = 3.0f;
        shot.focal = 900;
        shot.centre = 250;
        platform();
        break;
    case 20:
        shot.alongside = true;
        shot.camX = 2.4f;
        shot.camY = 2.2f;
        shot.centre = 520;
        platform();
        break;
    case 21:
        canvas = paintClock(fonts, 23, 59, 1.1f, 45);
        break;
    case 22:
        shot.alongside = true;
        shot.camX = 5.0f;
        shot.centre = 600;
        shot.horizon = 360;
        platform();
        break;
    case 23:
    case 24:
    case 25:
    case 26: {
        const float distances[] = {18, 40, 90, 180};
        shot.leavingZ = distances[slide - 23];
        shot.camX = 3.2f;
        shot.centre = 480;
        platform();
        break;
    }
    case 27:
        shot.centre = 420;
        platform();
        break;
    case 28:
        canvas = paintClock(fonts, 0, 0, 1.3f, 12);
        break;
    case 29:
        shot.flickerLamp = 1;
        shot.lampLevel = 0.8f;
        shot.camX = 4.8f;
        platform();
        break;
    case 30:
        shot.camX = 0.9f;
        shot.camY = 2.0f;
        shot.centre = 560;
        shot.lampLevel = 0.7f;
        platform();
        break;
    default:
        shot.camX = 0;
        shot.camY = 0.9f;
        shot.centre = 512;
        shot.horizon = 360;
        shot.lampLevel = 0.5f;
        shot.flickerLamp = 0;
        platform();
        break;
    }
    developPhoto(canvas, seed);
    return canvas;
}

} // namespace

void addStationJobs(std::vector<PictureJob>& jobs) {
    for (int slide = 1; slide <= datafiles::kTrainSlideCount; ++slide) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kTrainSlideFormat, slide);
        jobs.push_back(
            {path, 3, true, [slide](const Lettering& fonts) { return paintSlide(fonts, slide); }});
    }
    jobs.push_back({datafiles::kTrainFramePicture, 4, true, paintTrainFrame});
    jobs.push_back({datafiles::kTrainWaitingPicture, 4, true, paintWaitingSign});
    jobs.push_back({datafiles::kTrainMessagePicture, 4, true, paintMessageBoard});
    const char* const captions[] = {"we were supposed to have", "the future", "so where is it?",
                                    "cyberbabes"};
    for (int i = 0; i < 4; ++i)
        jobs.push_back(
            {datafiles::kTrainCaptions[i], 4, true, [i, captions](const Lettering& fonts) {
                 return paintCaption(fonts, captions[i], i == 3);
             }});
}
