// The city's sign sheet (citysigns): lenses that glow from a bright core, awning cloth in grey
// stripes (the model colours it), and neon signs — words in the project's lettering and drawn
// marks as tubes of light on dark plates.
#include "tools/geometry/city_pictures.h"
#include "tools/pictures/city_painting.h"
#include "tools/pictures/logotype.h"

namespace {

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

} // namespace

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
