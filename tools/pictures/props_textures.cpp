// The props picture the station's furniture samples: regions for wood, iron, lamps, luggage,
// coats, a clock dial, platform signs, the departure board, a ticket machine and a poster.
#include "tools/geometry/station_props.h"
#include "tools/pictures/logotype.h"
#include "tools/pictures/set_textures.h"

namespace {

using geometry::PropRegion;

// Calls paint(fx, fy) (0 to 1 across and down) for every texel of a region.
template <class Paint> void paintRegion(Canvas& canvas, PropRegion r, Paint paint) {
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x)
            canvas.at(x, y) =
                paint((x + 0.5f - r.x0) / (r.x1 - r.x0), (y + 0.5f - r.y0) / (r.y1 - r.y0));
}

// Lettering centred in a region, its x-height a share of the region's height.
void letterRegion(Canvas& canvas, PropRegion r, const std::string& text, float xHeight,
                  float baseline, Rgba colour, float glow) {
    LogoSet set;
    set.xHeight = xHeight * (r.y1 - r.y0);
    set.weight = 0.2f;
    set.tracking = 0.22f;
    TextStyle style;
    style.fill = colour;
    style.glow = withAlpha(colour, glow);
    style.glowRadius = static_cast<int>(set.xHeight * 0.25f);
    drawLogotype(canvas, text, set, 0.5f * (r.x0 + r.x1),
                 r.y0 + static_cast<int>(baseline * (r.y1 - r.y0)), Align::Center, style);
}

void paintBoard(Canvas& canvas, PropRegion r) {
    paintRegion(canvas, r, [](float fx, float fy) {
        float frame = std::min({fx, 1 - fx, fy, 1 - fy});
        return frame < 0.02f ? rgb(0x22262a) : mix(rgb(0x07090c), rgb(0x10141a), fy);
    });
    const int rowHeight = (r.y1 - r.y0) / 7;
    LogoSet set;
    set.weight = 0.2f;
    set.tracking = 0.2f;
    TextStyle head;
    head.fill = rgb(0xdfe8f0);
    set.xHeight = rowHeight * 0.45f;
    drawLogotype(canvas, "departures", set, r.x0 + 40, r.y0 + rowHeight, Align::Left, head);
    const char* rows[][2] = {{"11:14", "quelfin"},
                             {"11:41", "morvane"},
                             {"14:11", "nordhavn"},
                             {"14:14", "aurora"},
                             {"14:41", "halcyon"}};
    TextStyle amber;
    amber.fill = rgb(0xffb44a);
    amber.glow = withAlpha(rgb(0xff9a30), 0.5f);
    amber.glowRadius = 4;
    for (int k = 0; k < 5; k++) {
        int baseline = r.y0 + rowHeight * (k + 2) + rowHeight / 3;
        drawLogotype(canvas, rows[k][0], set, r.x0 + 40, baseline, Align::Left, amber);
        drawLogotype(canvas, rows[k][1], set, r.x0 + 300, baseline, Align::Left, amber);
        if (k == 0) drawLogotype(canvas, "on time", set, r.x1 - 40, baseline, Align::Right, head);
    }
}

void paintMachine(Canvas& canvas, PropRegion r) {
    paintRegion(canvas, r, [](float fx, float fy) {
        Rgba c = mix(rgb(0x3a4250), rgb(0x1c2028), fy);
        if (fy > 0.2f && fy < 0.5f && fx > 0.15f && fx < 0.85f)
            c = mix(rgb(0x5ad0ff), rgb(0x1a70c0), (fy - 0.2f) / 0.3f); // the screen
        if (fy > 0.58f && fy < 0.72f && fx > 0.2f && fx < 0.8f && std::fmod(fx * 10, 2.0f) > 0.6f &&
            std::fmod(fy * 30, 2.0f) > 0.7f)
            c = rgb(0xd8dee6); // buttons
        if (fy < 0.13f) c = rgb(0x0a1020);
        return c;
    });
    letterRegion(canvas, r, "tickets", 0.045f, 0.09f, rgb(0xffc860), 0.6f);
}

void paintPoster(Canvas& canvas, PropRegion r) {
    paintRegion(canvas, r, [](float fx, float fy) {
        if (std::min({fx, 1 - fx, fy, 1 - fy}) < 0.04f) return rgb(0x1a1c20);
        Rgba sky = mix(rgb(0x2a1a4a), rgb(0xe88a50), smoothStep(0.1f, 0.7f, fy));
        float sun = std::hypot(fx - 0.5f, (fy - 0.55f) * 1.5f);
        sky = mix(sky, rgb(0xffe0a0), inside(sun - 0.16f, 0.01f));
        float ridge = 0.62f + 0.06f * std::sin(fx * 9) + 0.04f * std::sin(fx * 23 + 1);
        if (fy > ridge) sky = mix(rgb(0x1a1030), rgb(0x0c0818), (fy - ridge) * 3);
        return sky;
    });
    letterRegion(canvas, r, "quelfin", 0.07f, 0.9f, rgb(0xfff0d8), 0.4f);
}

void paintClockDial(Canvas& canvas, PropRegion r) {
    paintRegion(canvas, r, [](float fx, float fy) {
        float dx = (fx - 0.5f) * 2, dy = (0.5f - fy) * 2, rho = std::hypot(dx, dy);
        Rgba c = mix(rgb(0xfff2d6), rgb(0xe0c898), rho);
        float angle = std::atan2(dx, dy);
        float mark = std::fabs(std::fmod(angle / (2 * geometry::kPi) * 12 + 100.5f, 1.0f) - 0.5f) *
                     rho * 0.52f;
        float ink = inside(mark - 0.025f, 0.008f) * inside(std::fabs(rho - 0.8f) - 0.08f, 0.01f);
        auto hand = [&](float a, float length, float w) {
            float hx = std::sin(a), hy = std::cos(a);
            float along = dx * hx + dy * hy, across = std::fabs(dx * hy - dy * hx);
            return inside(std::max(across - w, std::max(-0.1f - along, along - length)), 0.01f);
        };
        ink = std::max({ink, hand(2 * geometry::kPi * 11.23f / 12, 0.45f, 0.04f),
                        hand(2 * geometry::kPi * 14 / 60, 0.72f, 0.025f)});
        c = mix(c, rgb(0x1a1612), ink);
        return mix(c, rgb(0x1c2624), smoothStep(0.9f, 0.94f, rho));
    });
}

} // namespace

Canvas paintStationProps(const Lettering&) {
    namespace props = geometry::props;
    Canvas canvas(props::kPictureSize, props::kPictureSize, rgb(0x101214));
    paintRegion(canvas, props::kWood, [](float fx, float fy) {
        float slat = std::fabs(std::fmod(fy * 4, 1.0f) - 0.5f);
        float grain = fractalNoise(fx * 40, fy * 4, 501, 3);
        return scaled(rgb(0x6a4428), (0.55f + 0.35f * grain) * (slat < 0.38f ? 1.0f : 0.35f));
    });
    paintRegion(canvas, props::kIron, [](float fx, float fy) {
        return scaled(rgb(0x26302e), 0.8f + 0.3f * fractalNoise(fx * 16, fy * 4, 502, 2));
    });
    paintRegion(canvas, props::kLamp, [](float fx, float fy) {
        float rho = std::hypot(fx - 0.5f, fy - 0.5f) * 2;
        Rgba c = mix(rgb(0xfff0d0), rgb(0xf0a050), smoothStep(0.0f, 0.8f, rho));
        return mix(c, rgb(0x8a5020), smoothStep(0.8f, 1.0f, rho));
    });
    paintRegion(canvas, props::kLuggage, [](float fx, float fy) {
        Rgba leather = fx < 0.5f ? rgb(0x5a3018) : rgb(0x5c1a1c);
        float strap = std::fabs(std::fmod(fx * 2, 1.0f) - 0.5f) < 0.05f ? 0.5f : 1.0f;
        return scaled(leather, (0.7f + 0.3f * fractalNoise(fx * 12, fy * 12, 503, 2)) * strap);
    });
    paintRegion(canvas, props::kSkylight, [](float fx, float fy) {
        // Two panes across, three along, in soft-edged frames.
        float bar = std::max(std::fabs(std::fmod(fx * 2, 1.0f) - 0.5f),
                             std::fabs(std::fmod(fy * 3, 1.0f) - 0.5f));
        return mix(mix(rgb(0x4c6a92), rgb(0x2a3e5e), fy), rgb(0x14181e),
                   smoothStep(0.38f, 0.44f, bar));
    });
    const Rgba coats[props::kCoatCount] = {rgb(0x222c48), rgb(0x34343a), rgb(0x6a5438),
                                           rgb(0x52202a)};
    for (int k = 0; k < props::kCoatCount; k++) {
        const PropRegion& all = props::kCoats;
        int w = (all.x1 - all.x0) / props::kCoatCount;
        paintRegion(canvas, {all.x0 + k * w, all.y0, all.x0 + (k + 1) * w, all.y1},
                    [&](float fx, float fy) {
                        if (fy < 0.1f) return rgb(0x141210); // hair, hat, collar
                        float fold = 0.85f + 0.15f * std::sin(fx * 6.2831853f * 3);
                        return scaled(coats[k], (1.1f - 0.5f * fy) * fold);
                    });
    }
    paintClockDial(canvas, props::kClock);
    for (const auto& [region, text] :
         {std::pair{props::kSignOne, "platform 1"}, std::pair{props::kSignFour, "platform 4"}}) {
        paintRegion(canvas, region, [](float fx, float fy) {
            float border = std::min({fx * 4, (1 - fx) * 4, fy, 1 - fy});
            return border < 0.06f ? rgb(0xc8d0d8) : rgb(0x0e2a52);
        });
        letterRegion(canvas, region, text, 0.34f, 0.7f, rgb(0xf0f6ff), 0.3f);
    }
    paintRegion(canvas, props::kPaint, [](float fx, float fy) {
        return scaled(rgb(0xa88a28), 0.75f + 0.25f * fractalNoise(fx * 20, fy * 20, 504, 2));
    });
    paintBoard(canvas, props::kBoard);
    paintMachine(canvas, props::kMachine);
    paintPoster(canvas, props::kPoster);
    return canvas;
}
