#include "tools/pictures/logotype.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kAscender = 1.5f;  // height of the l
constexpr float kDescender = 0.5f; // depth of the q's tail

// One stroke of a letter, in x-height units with the baseline at y = 0 and y up.
struct Stroke {
    enum Kind { Segment, Arc, Dot } kind;
    float x0, y0, x1, y1;   // Segment: from (x0, y0) to (x1, y1). Arc, Dot: centre (x0, y0).
    float radius = 0;       // Arc, Dot
    float from = 0, to = 0; // Arc: angles in radians, counter-clockwise from `from` to `to`

    // Distance from the stroke's centre line (or the dot's edge) to a point.
    float distance(float px, float py) const {
        if (kind == Dot) return std::hypot(px - x0, py - y0) - radius;
        if (kind == Segment) {
            float dx = x1 - x0, dy = y1 - y0;
            float t =
                std::clamp(((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
            return std::hypot(px - x0 - t * dx, py - y0 - t * dy);
        }
        float angle = std::atan2(py - y0, px - x0);
        float sweep = to - from, into = std::fmod(angle - from + 4 * kPi, 2 * kPi);
        if (into <= sweep) return std::fabs(std::hypot(px - x0, py - y0) - radius);
        float ex0 = x0 + radius * std::cos(from), ey0 = y0 + radius * std::sin(from);
        float ex1 = x0 + radius * std::cos(to), ey1 = y0 + radius * std::sin(to);
        return std::min(std::hypot(px - ex0, py - ey0), std::hypot(px - ex1, py - ey1));
    }
};

Stroke segment(float x0, float y0, float x1, float y1) {
    return {Stroke::Segment, x0, y0, x1, y1};
}
Stroke arc(float cx, float cy, float r, float fromDegrees, float toDegrees) {
    return {Stroke::Arc, cx, cy, 0, 0, r, fromDegrees * kPi / 180, toDegrees * kPi / 180};
}
Stroke dot(float cx, float cy, float r) {
    return {Stroke::Dot, cx, cy, 0, 0, r};
}

struct Glyph {
    float advance; // x-heights, stroke centre lines start at x = 0
    std::vector<Stroke> strokes;
};

// The letterforms. The stroke centre lines keep half a stroke (h) inside the x-height, so the
// ink reaches exactly from the baseline to the x-height. Bowls are true circles, joints are
// sharp, and the q, l and r end in the same quarter-circle turn: that turn is the signature.
Glyph glyphFor(char letter, float h) {
    const float top = 1 - h, bottom = h, r = 0.5f - h;
    switch (letter) {
    case 'v':
        return {0.86f, {segment(0, top, 0.43f, bottom), segment(0.43f, bottom, 0.86f, top)}};
    case 's': {
        float q = (top - bottom) / 4; // radius of each of the two stacked bowls
        return {2 * q + 0.12f,
                {arc(q, bottom + 3 * q, q, 90, 270), segment(q, top, 2 * q + 0.12f, top),
                 arc(q, bottom + q, q, -90, 90), segment(0, bottom, q, bottom)}};
    }
    case 'q':
        return {2 * r + 0.34f,
                {arc(r, 0.5f, r, 0, 360), segment(2 * r, top, 2 * r, -kDescender + r * 0.6f),
                 arc(2 * r + r * 0.6f, -kDescender + r * 0.6f, r * 0.6f, 180, 270)}};
    case 'l': // a stem that turns right into a short foot
        return {0.36f,
                {segment(0, kAscender - h, 0, 0.22f + h), arc(0.22f, 0.22f + h, 0.22f, 180, 270),
                 segment(0.22f, h, 0.36f, h)}};
    case 'i':
        return {0.0f, {segment(0, bottom, 0, top), dot(0, 1.32f, 1.1f * h)}};
    case 'r':
        return {0.56f, {segment(0, bottom, 0, top), arc(0.42f, top - 0.42f, 0.42f, 90, 180)}};
    case ' ':
        return {0.3f, {}};
    default:
        assert(!"the logotype has no such letter");
        return {0, {}};
    }
}

} // namespace

TextLine logotypeLine(const std::string& word, float xHeight, float stroke, float tracking,
                      int margin) {
    const float h = stroke / 2;
    std::vector<std::pair<float, Glyph>> placed; // left edge of the ink, in x-heights
    float pen = 0;
    for (char letter : word) {
        Glyph glyph = glyphFor(letter, h);
        placed.push_back({pen + h, glyph});
        pen += glyph.advance + 2 * h + tracking;
    }
    pen -= tracking;
    int pad = margin + 2;
    TextLine line;
    line.mask = Mask(static_cast<int>(std::ceil(pen * xHeight)) + 2 * pad,
                     static_cast<int>(std::ceil((kAscender + kDescender) * xHeight)) + 2 * pad);
    line.baseline = pad + static_cast<int>(std::round(kAscender * xHeight));
    line.capTop = pad;
    line.xHeightTop = line.baseline - static_cast<int>(std::round(xHeight));
    line.inkLeft = line.mask.width;
    line.inkRight = 0;
    for (int y = 0; y < line.mask.height; ++y)
        for (int x = 0; x < line.mask.width; ++x) {
            float ux = (x + 0.5f - pad) / xHeight, uy = (line.baseline - y - 0.5f) / xHeight;
            float nearest = 1e9f;
            for (const auto& [left, glyph] : placed)
                for (const Stroke& s : glyph.strokes) {
                    float d = s.distance(ux - left, uy);
                    nearest = std::min(nearest, s.kind == Stroke::Dot ? d : d - h);
                }
            float cover = coverage(nearest * xHeight);
            line.mask.at(x, y) = cover;
            if (cover > 0) {
                line.inkLeft = std::min(line.inkLeft, x);
                line.inkRight = std::max(line.inkRight, x + 1);
            }
        }
    return line;
}
