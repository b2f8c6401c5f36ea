// The station's front, painted face by face in the faces' own units with its floodlights, lit
// windows and rim light.
#include "runtime/data_files.h"
#include "tools/geometry/station_front.h"
#include "tools/pictures/logotype.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"
#include "tools/pictures/set_textures.h"

namespace {

using geometry::FrontFace;
using geometry::PropRegion;

// Signed distance to an arched opening: a rectangle from y0 up to the springing line, topped by
// a half circle, half-width w, centred on cx.
float archDistance(float x, float y, float cx, float y0, float springY, float w) {
    float dx = std::fabs(x - cx);
    if (y > springY) return std::hypot(dx, y - springY) - w;
    return std::max(dx - w, y0 - y);
}

float boxDist(float x, float y, float x0, float y0, float x1, float y1) {
    return std::max({x0 - x, x - x1, y0 - y, y - y1});
}

// ---- The front -----------------------------------------------------------------------------

// How the front is lit at night: a blue ambient from the sky, warm floodlights at the feet of
// the pilasters fanning upwards, and a cool rim along the top edge.
struct FrontLight {
    std::vector<float> floods; // x of each floodlight
    float top;                 // the face's top edge

    Rgba at(float x, float y) const {
        float warm = 0;
        for (float f : floods) {
            float spread = 0.7f + 0.2f * y;
            warm += std::exp(-std::pow((x - f) / spread, 2.0f)) * std::exp(-y / 15);
        }
        warm = std::min(warm, 1.4f);
        Rgba light{0.3f + 1.1f * warm, 0.33f + 0.85f * warm, 0.46f + 0.55f * warm, 1};
        float rim = inside(top - 0.12f - y, 0.05f);
        return {light.r + 0.55f * rim, light.g + 0.7f * rim, light.b + 0.95f * rim, 1};
    }
};

// Dressed stone: courses 0.6 high, joints staggered every 1.2, a slow mottle.
Rgba stone(float x, float y, uint32_t seed) {
    float course = std::floor(y / 0.6f);
    float shift = std::fmod(course, 2.0f) * 0.6f;
    float bed = std::fabs(std::fmod(y, 0.6f) - 0.3f);
    float head = std::fabs(std::fmod(x + shift + 120, 1.2f) - 0.6f);
    float mortar =
        std::max(inside((0.3f - bed) - 0.025f, 0.02f), inside((0.6f - head) - 0.025f, 0.02f));
    float mottle = fractalNoise(x * 0.9f, y * 0.9f, seed, 3);
    float block = hashUnit(static_cast<int>(std::floor((x + shift + 120) / 1.2f)),
                           static_cast<int>(course), seed);
    Rgba c = scaled(rgb(0x8c8175), 0.46f + 0.14f * mottle + 0.06f * block);
    return mix(c, scaled(rgb(0x3a342e), 0.5f), 0.55f * mortar);
}

// A lit window's glass: warm light from inside, brighter low down, or dark with a faint sky.
Rgba windowGlass(float y, float bottom, float top, int mood) {
    float h = clamp01((y - bottom) / std::max(top - bottom, 0.01f));
    switch (mood) {
    case 0:
        return mix(rgb(0xffd08a), rgb(0xc0782e), h); // lit warm
    case 1:
        return mix(rgb(0xa8682a), rgb(0x5a3418), h); // dim, a lamp further in
    case 2:
        return mix(rgb(0x6aa0d8), rgb(0x24406a), h); // a screen's cold light
    default:
        return mix(rgb(0x0c1424), rgb(0x1c2c48), h); // dark, the sky reflected
    }
}

// Glazing bars every `pane` across and down, `bar` thick: 1 on a bar.
float glazing(float x, float y, float cx, float pane, float bar) {
    float across = std::fabs(std::fmod(x - cx + 100 * pane + pane / 2, pane) - pane / 2);
    float down = std::fabs(std::fmod(y + 100 * pane, pane) - pane / 2);
    return std::max(inside(across - bar, 0.02f), inside(down - bar, 0.02f));
}

// A window opening of distance d (world units): a lit or dark pane with glazing bars and a
// lighter stone surround.
Rgba paintOpening(Rgba wall, float d, float x, float y, float cx, float bottom, float top, int mood,
                  float pane) {
    float surround = inside(d - 0.22f, 0.03f);
    Rgba c = mix(wall, scaled(wall, 1.45f), surround);
    Rgba glass = windowGlass(y, bottom, top, mood);
    glass = mix(glass, rgb(0x141210), glazing(x, y, cx, pane, 0.05f));
    return mix(c, glass, inside(d, 0.03f));
}

// Mood of a window: lit warm, dim, a screen or dark, from a hash.
int windowMood(int a, int b, uint32_t seed, float litShare) {
    float roll = hashUnit(a, b, seed);
    if (roll < litShare) return 0;
    if (roll < litShare + 0.2f) return 1;
    if (roll < litShare + 0.25f) return 2;
    return 3;
}

Rgba wingTexel(const FrontFace& face, float x, float y) {
    const float width = face.x1 - face.x0;
    const int bays = 4;
    const float bay = width / bays;
    std::vector<float> floods;
    for (int k = 0; k <= bays; k++)
        floods.push_back(face.x0 + k * bay);
    Rgba wall = stone(x, y, face.seed);
    float local = x - face.x0;
    int b = std::min(static_cast<int>(local / bay), bays - 1);
    float cx = face.x0 + (b + 0.5f) * bay;
    // Pilasters at the bay lines, a plinth, the string course and the cornice.
    float pilaster = std::fabs(local - std::round(local / bay) * bay);
    if (pilaster < 0.35f) wall = scaled(wall, 1.3f);
    if (y < 0.8f) wall = scaled(wall, 0.75f);
    float course = std::fabs(y - 8.0f);
    if (course < 0.22f) wall = scaled(rgb(0x9a8e80), 0.5f + 0.35f * (y > 8.0f));
    if (y > 15.7f) {
        float dentil = std::fmod(local + 100, 0.5f) < 0.25f && y < 16.2f ? 0.8f : 1.0f;
        wall = scaled(rgb(0x9a8e80), (0.42f + 0.18f * (y > 16.4f)) * dentil);
    }
    // Ground floor: a tall arched window per bay (one a door), warm from the waiting room.
    float d = archDistance(x, y, cx, 1.0f, 5.9f, 1.1f);
    int mood = (b + static_cast<int>(face.seed)) % 4 == 2 ? 1 : 0;
    wall = paintOpening(wall, d, x, y, cx, 1.0f, 7.0f, mood, 0.55f);
    // Upper floor: two windows per bay, and a row of small attic windows.
    for (float offset : {-0.75f, 0.75f}) {
        float wx = cx + offset;
        int m = windowMood(b * 2 + (offset > 0), 1, face.seed, 0.35f);
        wall = paintOpening(wall, boxDist(x, y, wx - 0.45f, 9.4f, wx + 0.45f, 11.8f), x, y, wx,
                            9.4f, 11.8f, m, 0.45f);
        int a = windowMood(b * 2 + (offset > 0), 2, face.seed, 0.2f);
        wall = paintOpening(wall, boxDist(x, y, wx - 0.4f, 13.2f, wx + 0.4f, 14.4f), x, y, wx,
                            13.2f, 14.4f, a, 0.4f);
    }
    Rgba l = FrontLight{floods, face.y1}.at(x, y);
    return {wall.r * l.r, wall.g * l.g, wall.b * l.b, 1};
}

// The fan window over the door: amber glass between radial bars and two rings.
Rgba fanWindow(Rgba wall, float x, float y) {
    const float cy = geometry::kFanWindowY, r = geometry::kFanWindowRadius;
    float dx = x, dy = y - cy, rho = std::hypot(dx, dy);
    if (dy < 0) return wall;
    float band = inside(std::fabs(rho - r - 0.35f) - 0.35f, 0.03f);
    Rgba c = mix(wall, scaled(rgb(0xa89a88), 0.5f), band);
    float angle = std::atan2(dy, dx);
    float spoke =
        std::fabs(std::fmod(angle / geometry::kPi * 8 + 100.5f, 1.0f) - 0.5f) * rho * 0.39f;
    float bars =
        std::max({inside(spoke - 0.06f, 0.02f), inside(std::fabs(rho - 1.6f) - 0.06f, 0.02f),
                  inside(std::fabs(rho - 3.6f) - 0.06f, 0.02f), inside(dy - 0.08f, 0.02f)});
    Rgba glass = mix(rgb(0xffe0a0), rgb(0xd08840), smoothStep(0, r, rho));
    glass = mix(glass, rgb(0x1a1410), bars);
    return mix(c, glass, inside(rho - r, 0.03f));
}

// The clock in the pediment: a lit dial, twelve marks, hands at ten past ten.
Rgba pedimentClock(Rgba wall, float x, float y) {
    const float cy = geometry::kClockY, r = geometry::kClockRadius;
    float dx = x, dy = y - cy, rho = std::hypot(dx, dy);
    Rgba c = mix(wall, rgb(0x2a2622), inside(rho - r - 0.25f, 0.03f));
    Rgba dial = mix(rgb(0xfff4dc), rgb(0xe8d6b0), rho / r);
    float angle = std::atan2(dx, dy); // 0 at twelve, clockwise
    float mark =
        std::fabs(std::fmod(angle / (2 * geometry::kPi) * 12 + 100.5f, 1.0f) - 0.5f) * rho * 0.52f;
    float ink = inside(mark - 0.05f, 0.02f) * inside(std::fabs(rho - 0.85f * r) - 0.12f * r, 0.02f);
    auto hand = [&](float a, float length, float w) {
        float hx = std::sin(a), hy = std::cos(a);
        float along = dx * hx + dy * hy, across = std::fabs(dx * hy - dy * hx);
        return inside(std::max(across - w, std::max(-0.2f - along, along - length)), 0.02f);
    };
    ink = std::max({ink, hand(2 * geometry::kPi * 10.17f / 12, 0.5f * r, 0.07f),
                    hand(2 * geometry::kPi * 2 / 12, 0.78f * r, 0.05f)});
    dial = mix(dial, rgb(0x1a1612), ink);
    return mix(c, dial, inside(rho - r, 0.03f));
}

Rgba pavilionTexel(const FrontFace& face, float x, float y) {
    Rgba wall = stone(x, y, face.seed);
    const float door = geometry::kDoorHalfWidth, top = geometry::kPavilionTop;
    // Pilasters at the outer edges and either side of the door, the door's lit surround.
    float ax = std::fabs(x);
    if (ax > 9.6f || (ax > door + 0.9f && ax < door + 1.6f)) wall = scaled(wall, 1.3f);
    if (y < 0.8f) wall = scaled(wall, 0.75f);
    float surround = std::max(ax - door - 0.8f, y - geometry::kDoorHeight - 0.8f);
    if (surround < 0 && y > 0.8f) wall = scaled(rgb(0xa89a88), 0.42f);
    // Tall windows in the piers and round windows above them.
    float px = x < 0 ? -8.05f : 8.05f;
    wall =
        paintOpening(wall, archDistance(x, y, px, 2.5f, 8.5f, 0.7f), x, y, px, 2.5f, 9.2f, 0, 0.5f);
    wall =
        paintOpening(wall, std::hypot(x - px, y - 14.2f) - 0.75f, x, y, px, 13.4f, 15.0f, 1, 0.55f);
    wall = fanWindow(wall, x, y);
    // The entablature with the station's name, the cornice, the pediment.
    if (y > 18.0f && y < top) wall = scaled(rgb(0x8c8175), 0.36f + 0.1f * (y > 20.4f));
    if (y >= top) {
        float slope = (geometry::kPedimentTop - y) - ax * (geometry::kPedimentTop - top) / 10.5f;
        wall = scaled(stone(x, y, face.seed + 7), 0.85f);
        if (slope < 0.5f) wall = scaled(rgb(0x9a8e80), 0.45f);
        wall = pedimentClock(wall, x, y);
    }
    FrontLight light{{-10.1f, -door - 1.25f, door + 1.25f, 10.1f}, top};
    Rgba l = light.at(x, y);
    if (y >= top) {
        // The raking cornices catch the rim light along their top edges.
        float slope = (geometry::kPedimentTop - y) - ax * (geometry::kPedimentTop - top) / 10.5f;
        float rim = inside(slope - 0.12f, 0.05f);
        l = {0.22f + 0.25f * rim + 0.3f, 0.24f + 0.45f * rim + 0.25f, 0.34f + 0.7f * rim + 0.2f, 1};
    }
    return {wall.r * l.r, wall.g * l.g, wall.b * l.b, 1};
}

Rgba towerTexel(const FrontFace& face, float x, float y) {
    const float cx = 0.5f * (face.x0 + face.x1);
    Rgba wall = stone(x, y, face.seed);
    // Quoins: alternating long and short blocks up both corners.
    float edge = std::min(x - face.x0, face.x1 - x);
    int course = static_cast<int>(y / 0.6f);
    if (edge < (course % 2 ? 0.6f : 1.0f))
        wall = scaled(rgb(0x9a8e80), 0.4f + 0.06f * (course % 2));
    if (y < 0.8f) wall = scaled(wall, 0.75f);
    // Ground door, three storeys of paired windows, the open lantern stage at the top.
    wall =
        paintOpening(wall, archDistance(x, y, cx, 0.8f, 5.0f, 1.0f), x, y, cx, 0.8f, 6.0f, 0, 0.5f);
    for (int storey = 0; storey < 3; storey++) {
        float y0 = 8 + storey * 6.0f;
        for (float offset : {-0.8f, 0.8f}) {
            int m = windowMood(storey * 2 + (offset > 0), 3, face.seed, 0.3f);
            wall = paintOpening(wall, archDistance(x, y, cx + offset, y0, y0 + 3.2f, 0.5f), x, y,
                                cx + offset, y0, y0 + 3.7f, m, 0.5f);
        }
    }
    float lantern = archDistance(x, y, cx, 25.2f, 27.3f, 1.8f);
    Rgba glow = mix(rgb(0xffe2a8), rgb(0xd89040), clamp01((y - 25.2f) / 4));
    float column = std::fabs(std::fmod(x - cx + 100.6f, 1.2f) - 0.6f);
    glow = mix(glow, rgb(0x201a14), inside(column - 0.12f, 0.03f));
    wall = mix(mix(wall, scaled(rgb(0xa89a88), 0.5f), inside(lantern - 0.3f, 0.03f)), glow,
               inside(lantern, 0.03f));
    if (y > 29.0f) wall = scaled(rgb(0x9a8e80), 0.45f);
    FrontLight light{{face.x0 + 0.5f, face.x1 - 0.5f}, face.y1};
    Rgba l = light.at(x, y);
    return {wall.r * l.r, wall.g * l.g, wall.b * l.b, 1};
}

} // namespace

Canvas paintStationFront(const Lettering&) {
    Canvas canvas(geometry::kFrontPictureWidth, geometry::kFrontPictureHeight, rgb(0x141210));
    for (const FrontFace& face : geometry::frontFaces()) {
        const PropRegion& r = face.region;
        for (int py = r.y0; py < r.y1; ++py)
            for (int px = r.x0; px < r.x1; ++px) {
                float x = face.x0 + (px - r.x0) * (face.x1 - face.x0) / (r.x1 - r.x0 - 1);
                float y = face.y1 - (py - r.y0) * (face.y1 - face.y0) / (r.y1 - r.y0 - 1);
                canvas.at(px, py) = face.kind == FrontFace::Wing       ? wingTexel(face, x, y)
                                    : face.kind == FrontFace::Pavilion ? pavilionTexel(face, x, y)
                                                                       : towerTexel(face, x, y);
            }
        if (face.kind == FrontFace::Pavilion) {
            // The station's name across the entablature, in lit letters.
            float unit = (r.x1 - r.x0) / (face.x1 - face.x0);
            LogoSet set;
            set.xHeight = 1.3f * unit;
            set.weight = 0.22f;
            set.tracking = 0.3f;
            TextStyle lit;
            lit.fill = rgb(0xe8f6ff);
            lit.glow = withAlpha(palette::kCyan, 0.7f);
            lit.glowRadius = static_cast<int>(0.35f * unit);
            int baseline = r.y0 + static_cast<int>((face.y1 - geometry::kNameBaseline) * unit);
            drawLogotype(canvas, "lirv", set, 0.5f * (r.x0 + r.x1), baseline, Align::Center, lit);
        }
    }
    return canvas;
}

void addSetTextureJobs(std::vector<PictureJob>& jobs) {
    jobs.push_back({datafiles::kStationFrontTexture, 3, false, paintStationFront});
    jobs.push_back({datafiles::kStationPropsTexture, 3, false, paintStationProps});
}
