// The letterforms of the project's stroked faces, shared by the logotype and the text faces.
// Glyph space: x to the right, y up from the baseline, the x-height is 1. Every letter is a
// stroke of one weight along a centre line of straight runs and round fillets, cut flat or
// slanted at its ends; dots are squares stood on a corner.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace letterforms {

struct Vec {
    float x, y;
};
inline Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec operator*(Vec a, float s) {
    return {a.x * s, a.y * s};
}
inline float dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
inline float length(Vec a) {
    return std::sqrt(dot(a, a));
}
inline Vec unit(Vec a) {
    float l = length(a);
    return l > 0 ? a * (1 / l) : a;
}

constexpr float kAscender = 1.4f;    // top of l, b, k, the capitals and the figures
constexpr float kDescender = -0.42f; // bottom of q, g, p, y
constexpr float kFillet = 0.3f;      // radius of the rounded corners, on the centre line
constexpr float kDotSize = 0.575f;   // half the height of a dot, as a share of its weight
constexpr float kDotLift = 1.1f;     // bottom of the dot of i and j

// The weight that sizes the dots: thin cuts keep dots large enough to see.
inline float dotWeight(float w) {
    return w > 0.2f ? w : 0.2f;
}

// The cut at an open end of a stroke: a half-plane through the end point with this outward
// normal. {0, 0} cuts square to the stroke.
constexpr Vec kSquare{0, 0};
constexpr Vec kUp{0, 1}, kDown{0, -1}, kLeft{-1, 0}, kRight{1, 0};
// The family's slant: every slanted cut runs parallel to (1, 0.5).
constexpr Vec kSlantUp{-0.4472136f, 0.8944272f}, kSlantDown{0.4472136f, -0.8944272f};

struct Stroke {
    std::vector<Vec> points; // the centre line, corners to be rounded
    bool closed = false;
    float fillet = kFillet;
    Vec startCut = kSquare, endCut = kSquare;
};

struct Glyph {
    float width = -1; // ink width; the advance adds the side bearings and the tracking. -1: none
    float leftSide = 0, rightSide = 0; // spacing corrections for open sides (negative: tighter)
    std::vector<Stroke> strokes;
    std::vector<Vec> diamonds; // centres of square dots stood on a corner
};

// An open stroke along the points, cut at its two ends.
inline Stroke stroke(std::vector<Vec> points, Vec startCut, Vec endCut, float fillet = kFillet) {
    Stroke s;
    s.points = std::move(points);
    s.startCut = startCut;
    s.endCut = endCut;
    s.fillet = fillet;
    return s;
}

// A closed round-cornered box whose outer edges are the given ones (o is half the weight).
inline Stroke box(float left, float bottom, float right, float top, float o,
                  float fillet = kFillet) {
    Stroke s;
    s.points = {
        {left + o, bottom + o}, {right - o, bottom + o}, {right - o, top - o}, {left + o, top - o}};
    s.closed = true;
    s.fillet = fillet;
    return s;
}

// The lower-case letters and the logotype's marks (& - : . and the space), at weight w.
Glyph lowercaseForm(uint32_t code, float w);
// The capitals, the figures and the remaining punctuation, at weight w.
Glyph capitalForm(uint32_t code, float w);
// Any letterform of the family; width -1 when the code point has none.
Glyph letterform(uint32_t code, float w);
// What stands in for a missing letterform: an empty box of capital height.
Glyph missingForm(float w);

} // namespace letterforms
