// The capitals, figures and punctuation of the family, drawn to stand beside the logotype's
// lower case: capitals and figures reach the ascender, letters with a stem on the left meet
// their bars in square corners, the round letters turn in the same wide fillets as the bowls.
#include "tools/pictures/letterforms.h"

namespace letterforms {

namespace {

constexpr float kCapFillet = 0.4f; // the capitals' rounder corners, on the centre line

Glyph capital(uint32_t c, float w) {
    const float o = w / 2, H = kAscender;
    Glyph g;
    auto add = [&](Stroke s) { g.strokes.push_back(std::move(s)); };
    auto stem = [&](float x) { add(stroke({{x, H}, {x, 0}}, kUp, kDown)); };
    switch (c) {
    case 'A':
        g.width = 1.0f;
        add(stroke({{o, 0}, {o, H - o}, {1.0f - o, H - o}, {1.0f - o, 0}}, kDown, kDown,
                   kCapFillet));
        add(stroke({{o, 0.6f}, {1.0f - o, 0.6f}}, kSquare, kSquare));
        break;
    case 'B':
        g.width = 0.92f;
        stem(o);
        add(stroke({{o, H - o}, {0.84f - o, H - o}, {0.84f - o, 0.74f}, {o, 0.74f}}, kSquare,
                   kSquare, 0.26f));
        add(stroke({{o, 0.74f}, {0.92f - o, 0.74f}, {0.92f - o, o}, {o, o}}, kSquare, kSquare));
        break;
    case 'C':
        g.width = 0.92f;
        add(stroke({{0.92f, H - o}, {o, H - o}, {o, o}, {0.92f, o}}, kRight, kRight, kCapFillet));
        break;
    case 'D':
        g.width = 1.0f;
        stem(o);
        add(stroke({{o, H - o}, {1.0f - o, H - o}, {1.0f - o, o}, {o, o}}, kSquare, kSquare,
                   0.45f));
        break;
    case 'E':
        g.width = 0.82f;
        stem(o);
        add(stroke({{o, H - o}, {0.82f, H - o}}, kSquare, kRight));
        add(stroke({{o, 0.72f}, {0.76f, 0.72f}}, kSquare, kRight));
        add(stroke({{o, o}, {0.82f, o}}, kSquare, kRight));
        break;
    case 'F':
        g.width = 0.78f;
        stem(o);
        add(stroke({{o, H - o}, {0.78f, H - o}}, kSquare, kRight));
        add(stroke({{o, 0.72f}, {0.7f, 0.72f}}, kSquare, kRight));
        g.rightSide = -0.06f;
        break;
    case 'G':
        g.width = 1.0f;
        add(stroke(
            {{0.98f, H - o}, {o, H - o}, {o, o}, {1.0f - o, o}, {1.0f - o, 0.68f}, {0.56f, 0.68f}},
            kRight, kLeft, kCapFillet));
        break;
    case 'H':
        g.width = 1.0f;
        stem(o);
        stem(1.0f - o);
        add(stroke({{o, 0.72f}, {1.0f - o, 0.72f}}, kSquare, kSquare));
        break;
    case 'I':
        g.width = w;
        stem(o);
        break;
    case 'J':
        g.width = 0.78f;
        add(stroke({{0.78f - o, H}, {0.78f - o, o}, {o, o}, {o, 0.42f}}, kUp, kUp));
        break;
    case 'K':
        g.width = 0.92f;
        stem(o);
        add(stroke({{0.92f - o * 0.2f, H}, {o, 0.5f}}, kUp, kSquare, 0));
        add(stroke({{0.42f, 0.84f}, {0.92f - o * 0.9f, 0}}, kSquare, kDown, 0));
        break;
    case 'L':
        g.width = 0.76f;
        add(stroke({{o, H}, {o, o}, {0.76f, o}}, kUp, kRight, 0));
        g.rightSide = -0.08f;
        break;
    case 'M':
        g.width = 1.22f;
        stem(o);
        stem(1.22f - o);
        add(stroke({{o * 1.6f, H}, {0.61f, 0.4f}}, kUp, kDown, 0));
        add(stroke({{1.22f - o * 1.6f, H}, {0.61f, 0.4f}}, kUp, kDown, 0));
        break;
    case 'N':
        g.width = 1.0f;
        stem(o);
        stem(1.0f - o);
        add(stroke({{o * 1.4f, H}, {1.0f - o * 1.4f, 0}}, kUp, kDown, 0));
        break;
    case 'O':
        g.width = 1.06f;
        add(box(0, 0, 1.06f, H, o, kCapFillet));
        break;
    case 'P':
        g.width = 0.9f;
        stem(o);
        add(stroke({{o, H - o}, {0.9f - o, H - o}, {0.9f - o, 0.62f}, {o, 0.62f}}, kSquare,
                   kSquare));
        break;
    case 'Q':
        g.width = 1.06f;
        add(box(0, 0, 1.06f, H, o, kCapFillet));
        add(stroke({{0.64f, 0.34f}, {1.1f, -0.12f}}, kSquare, kDown, 0));
        break;
    case 'R':
        g.width = 0.92f;
        stem(o);
        add(stroke({{o, H - o}, {0.92f - o, H - o}, {0.92f - o, 0.62f}, {o, 0.62f}}, kSquare,
                   kSquare));
        add(stroke({{0.5f, 0.62f}, {0.92f - o * 0.9f, 0}}, kSquare, kDown, 0));
        break;
    case 'S':
        g.width = 0.92f;
        add(stroke(
            {{0.92f, H - o}, {o, H - o}, {o, 0.73f}, {0.92f - o, 0.73f}, {0.92f - o, o}, {0, o}},
            kRight, kLeft, (H - o - 0.73f) / 2));
        break;
    case 'T':
        g.width = 0.92f;
        add(stroke({{0, H - o}, {0.92f, H - o}}, kLeft, kRight));
        add(stroke({{0.46f, H - o}, {0.46f, 0}}, kSquare, kDown));
        g.leftSide = g.rightSide = -0.06f;
        break;
    case 'U':
        g.width = 1.0f;
        add(stroke({{o, H}, {o, o}, {1.0f - o, o}, {1.0f - o, H}}, kUp, kUp, kCapFillet));
        break;
    case 'V':
        g.width = 1.0f;
        add(stroke({{o * 1.1f, H}, {0.5f, 0}}, kUp, kDown, 0));
        add(stroke({{1.0f - o * 1.1f, H}, {0.5f, 0}}, kUp, kDown, 0));
        g.leftSide = g.rightSide = -0.05f;
        break;
    case 'W':
        g.width = 1.46f;
        add(stroke({{o * 1.1f, H}, {0.38f, 0}}, kUp, kDown, 0));
        add(stroke({{0.73f, 1.1f}, {0.38f, 0}}, kUp, kDown, 0));
        add(stroke({{0.73f, 1.1f}, {1.08f, 0}}, kUp, kDown, 0));
        add(stroke({{1.46f - o * 1.1f, H}, {1.08f, 0}}, kUp, kDown, 0));
        g.leftSide = g.rightSide = -0.04f;
        break;
    case 'X':
        g.width = 0.96f;
        add(stroke({{o * 0.9f, H}, {0.96f - o * 0.9f, 0}}, kUp, kDown, 0));
        add(stroke({{0.96f - o * 0.9f, H}, {o * 0.9f, 0}}, kUp, kDown, 0));
        break;
    case 'Y':
        g.width = 0.98f;
        add(stroke({{o * 1.1f, H}, {0.49f, 0.6f}}, kUp, kDown, 0));
        add(stroke({{0.98f - o * 1.1f, H}, {0.49f, 0.6f}}, kUp, kDown, 0));
        add(stroke({{0.49f, 0.7f}, {0.49f, 0}}, kSquare, kDown));
        g.leftSide = g.rightSide = -0.05f;
        break;
    case 'Z':
        g.width = 0.9f;
        add(stroke({{0.02f, H - o}, {0.9f - o, H - o}, {o, o}, {0.9f, o}}, kLeft, kRight, 0.04f));
        break;
    }
    return g;
}

Glyph figure(uint32_t c, float w) {
    const float o = w / 2, A = kAscender;
    Glyph g;
    auto add = [&](Stroke s) { g.strokes.push_back(std::move(s)); };
    switch (c) {
    case '0':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, A, o, 0.38f));
        break;
    case '1':
        g.width = 0.52f;
        add(stroke({{0.02f, A - 0.42f}, {0.52f - o, A - o}, {0.52f - o, 0}}, kSquare, kDown,
                   0.08f));
        break;
    case '2':
        // The diagonal meets the base in a sharp corner, as in the z.
        g.width = 0.86f;
        add(stroke({{0.02f, A - o}, {0.86f - o, A - o}, {0.86f - o, 0.84f}, {o * 1.3f, o}}, kLeft,
                   kDown, 0.28f));
        add(stroke({{0, o}, {0.86f, o}}, kLeft, kRight));
        break;
    case '3':
        g.width = 0.84f;
        add(stroke({{0, A - o}, {0.84f - o, A - o}, {0.84f - o, o}, {0, o}}, kLeft, kLeft));
        add(stroke({{0.26f, 0.74f}, {0.84f - o, 0.74f}}, kLeft, kSquare));
        break;
    case '4':
        g.width = 0.92f;
        add(stroke({{0.52f, A}, {o, 0.42f}, {0.92f, 0.42f}}, kUp, kRight, 0.05f));
        add(stroke({{0.64f, 0.86f}, {0.64f, 0}}, kSlantUp, kDown));
        break;
    case '5':
        // A square shoulder on the left tells it from the S.
        g.width = 0.86f;
        add(stroke({{o, A}, {o, 0.78f}, {0.86f - o, 0.78f}, {0.86f - o, o}, {0, o}}, kUp, kLeft,
                   0.26f));
        add(stroke({{o, A - o}, {0.84f, A - o}}, kSquare, kRight));
        break;
    case '6':
        g.width = 0.88f;
        add(box(0, 0, 0.88f, 0.84f, o));
        add(stroke({{o, 0.5f}, {o, A - o}, {0.84f, A - o}}, kSquare, kRight));
        break;
    case '7':
        g.width = 0.84f;
        add(stroke({{0, A - o}, {0.84f - o, A - o}, {0.3f, 0}}, kLeft, kDown, 0.06f));
        g.rightSide = -0.04f;
        break;
    case '8':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 0.8f, o));
        add(box(0.05f, 0.8f - w, 0.85f, A, o, 0.26f));
        break;
    case '9':
        g.width = 0.88f;
        add(box(0, 0.56f, 0.88f, A, o));
        add(stroke({{0.88f - o, 0.9f}, {0.88f - o, o}, {0.04f, o}}, kSquare, kLeft));
        break;
    }
    return g;
}

Glyph punctuation(uint32_t c, float w) {
    const float o = w / 2, A = kAscender, dotX = dotWeight(w) * 0.6f, dotY = dotWeight(w) * 0.75f;
    Glyph g;
    auto add = [&](Stroke s) { g.strokes.push_back(std::move(s)); };
    auto comma = [&](float x) {
        add(stroke({{x + 0.07f, 0.22f}, {x - 0.07f, -0.24f}}, kUp, kDown));
    };
    switch (c) {
    case ',':
        g.width = w + 0.14f;
        comma(o + 0.07f);
        break;
    case ';':
        g.width = w + 0.14f;
        comma(o + 0.07f);
        g.diamonds.push_back({o + 0.07f + 0.04f, 0.82f});
        break;
    case '?':
        g.width = 0.8f;
        add(stroke(
            {{0.02f, A - o}, {0.8f - o, A - o}, {0.8f - o, 0.8f}, {0.4f, 0.8f}, {0.4f, 0.44f}},
            kLeft, kDown, 0.24f));
        g.diamonds.push_back({0.4f, dotY});
        break;
    case '!':
        g.width = dotWeight(w) * 1.2f;
        add(stroke({{dotX, A}, {dotX, 0.46f}}, kUp, kDown));
        g.diamonds.push_back({dotX, dotY});
        break;
    case '\'':
        g.width = w;
        add(stroke({{o, A}, {o, A - 0.38f}}, kUp, kDown));
        break;
    case '"':
        g.width = w * 2 + 0.1f;
        add(stroke({{o, A}, {o, A - 0.38f}}, kUp, kDown));
        add(stroke({{w + 0.1f + o, A}, {w + 0.1f + o, A - 0.38f}}, kUp, kDown));
        break;
    case '/':
        g.width = 0.7f;
        add(stroke({{0.7f - o, A}, {o, -0.1f}}, kUp, kDown, 0));
        break;
    case '(':
        g.width = 0.44f;
        add(stroke({{0.44f, A + 0.04f}, {o, A + 0.04f}, {o, -0.22f}, {0.44f, -0.22f}}, kRight,
                   kRight));
        break;
    case ')':
        g.width = 0.44f;
        add(stroke({{0, A + 0.04f}, {0.44f - o, A + 0.04f}, {0.44f - o, -0.22f}, {0, -0.22f}},
                   kLeft, kLeft));
        break;
    case '+':
        g.width = 0.84f;
        add(stroke({{0, 0.56f}, {0.84f, 0.56f}}, kLeft, kRight));
        add(stroke({{0.42f, 0.98f}, {0.42f, 0.14f}}, kUp, kDown));
        break;
    case 0x2192: // rightwards arrow
        g.width = 1.2f;
        add(stroke({{0, 0.56f}, {1.2f - o * 1.5f, 0.56f}}, kLeft, kSquare));
        add(stroke({{0.76f, 1.0f}, {1.2f - o, 0.56f}, {0.76f, 0.12f}}, kSquare, kSquare, 0));
        break;
    }
    return g;
}

} // namespace

Glyph capitalForm(uint32_t c, float w) {
    if (c >= 'A' && c <= 'Z') return capital(c, w);
    if (c >= '0' && c <= '9') return figure(c, w);
    return punctuation(c, w);
}

Glyph letterform(uint32_t c, float w) {
    Glyph g = lowercaseForm(c, w);
    return g.width >= 0 ? g : capitalForm(c, w);
}

Glyph missingForm(float w) {
    Glyph g;
    g.width = 0.8f;
    g.strokes.push_back(box(0, 0, 0.8f, kAscender, w / 2, 0));
    return g;
}

} // namespace letterforms
