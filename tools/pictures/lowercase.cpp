// The lower-case letters of the family, drawn for the logotype first: round-cornered square
// bowls, stems with slanted tops, diagonals that meet in small flat points.
#include "tools/pictures/letterforms.h"

namespace letterforms {

Glyph lowercaseForm(uint32_t c, float w) {
    const float o = w / 2, A = kAscender, D = kDescender;
    Glyph g;
    auto add = [&](Stroke s) { g.strokes.push_back(std::move(s)); };
    switch (c) {
    case 'a':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        add(stroke({{0.9f - o, 1}, {0.9f - o, 0}}, kUp, kDown));
        break;
    case 'b':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        add(stroke({{o, A}, {o, 0}}, kSlantUp, kDown));
        break;
    case 'c':
        g.width = 0.8f;
        add(stroke({{0.8f, 1 - o}, {o, 1 - o}, {o, o}, {0.8f, o}}, kRight, kRight));
        break;
    case 'd':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        add(stroke({{0.9f - o, A}, {0.9f - o, 0}}, kSlantUp, kDown));
        break;
    case 'e':
        g.width = 0.86f;
        add(stroke(
            {{o, 0.52f}, {0.86f - o, 0.52f}, {0.86f - o, 1 - o}, {o, 1 - o}, {o, o}, {0.86f, o}},
            kLeft, kRight, 0.24f));
        break;
    case 'f':
        g.width = 0.6f;
        add(stroke({{0.6f, A - o}, {o, A - o}, {o, 0}}, kRight, kDown));
        add(stroke({{0, 1 - o}, {0.56f, 1 - o}}, kLeft, kRight));
        break;
    case 'g':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        add(stroke({{0.9f - o, 1}, {0.9f - o, D + o}, {0.05f, D + o}}, kUp, kLeft));
        break;
    case 'h':
        g.width = 0.88f;
        add(stroke({{o, A}, {o, 0}}, kSlantUp, kDown));
        add(stroke({{o, 1 - o}, {0.88f - o, 1 - o}, {0.88f - o, 0}}, kLeft, kDown));
        break;
    case 'i':
        g.width = w;
        add(stroke({{o, 1}, {o, 0}}, kUp, kDown));
        g.diamonds.push_back({o, kDotLift + kDotSize * dotWeight(w)});
        break;
    case 'j':
        g.width = 0.5f;
        add(stroke({{0.5f - o, 1}, {0.5f - o, D + o}, {0, D + o}}, kUp, kLeft));
        g.diamonds.push_back({0.5f - o, kDotLift + kDotSize * dotWeight(w)});
        break;
    case 'k':
        g.width = 0.8f;
        add(stroke({{o, A}, {o, 0}}, kSlantUp, kDown));
        add(stroke({{0.74f, 1}, {o, 0.36f}}, kUp, kSquare, 0));
        add(stroke({{0.44f, 0.63f}, {0.8f - o * 0.9f, 0}}, kSquare, kDown, 0));
        break;
    case 'l':
        g.width = 0.5f;
        add(stroke({{o, A}, {o, o}, {0.5f, o}}, kSlantUp, kRight));
        break;
    case 'm':
        g.width = 1.3f;
        add(stroke({{o, 0}, {o, 1 - o}, {1.3f - o, 1 - o}, {1.3f - o, 0}}, kDown, kDown, 0.26f));
        add(stroke({{0.65f, 1 - o}, {0.65f, 0}}, kSquare, kDown));
        break;
    case 'n':
        g.width = 0.88f;
        add(stroke({{o, 0}, {o, 1 - o}, {0.88f - o, 1 - o}, {0.88f - o, 0}}, kDown, kDown));
        break;
    case 'o':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        break;
    case 'p':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        add(stroke({{o, 1}, {o, D}}, kUp, kSlantDown));
        break;
    case 'q':
        g.width = 0.9f;
        add(box(0, 0, 0.9f, 1, o));
        add(stroke({{0.9f - o, 1}, {0.9f - o, D}}, kUp, kSlantDown));
        break;
    case 'r':
        g.width = 0.64f;
        add(stroke({{o, 0}, {o, 1 - o}, {0.64f, 1 - o}}, kDown, kRight));
        break;
    case 's':
        // Two half-round turns: the fillets take the whole height of each half.
        g.width = 0.8f;
        add(stroke({{0.8f, 1 - o}, {o, 1 - o}, {o, 0.5f}, {0.8f - o, 0.5f}, {0.8f - o, o}, {0, o}},
                   kRight, kLeft, (0.5f - o) / 2));
        break;
    case 't':
        g.width = 0.6f;
        add(stroke({{o, A - 0.1f}, {o, o}, {0.6f, o}}, kSlantUp, kRight));
        add(stroke({{0, 1 - o}, {0.6f, 1 - o}}, kLeft, kRight));
        break;
    case 'u':
        g.width = 0.88f;
        add(stroke({{o, 1}, {o, o}, {0.88f - o, o}, {0.88f - o, 1}}, kUp, kUp));
        // The spur runs up past the fillet, so it stays joined at every weight.
        add(stroke({{0.88f - o, o + kFillet}, {0.88f - o, 0}}, kSquare, kDown));
        break;
    case 'v':
        g.width = 0.9f;
        // Two straight strokes cut by the baseline meet in a small flat point.
        add(stroke({{o * 1.1f, 1}, {0.45f, 0}}, kUp, kDown, 0));
        add(stroke({{0.9f - o * 1.1f, 1}, {0.45f, 0}}, kUp, kDown, 0));
        break;
    case 'w':
        g.width = 1.3f;
        add(stroke({{o * 1.1f, 1}, {0.34f, 0}}, kUp, kDown, 0));
        add(stroke({{0.65f, 0.8f}, {0.34f, 0}}, kUp, kDown, 0));
        add(stroke({{0.65f, 0.8f}, {0.96f, 0}}, kUp, kDown, 0));
        add(stroke({{1.3f - o * 1.1f, 1}, {0.96f, 0}}, kUp, kDown, 0));
        break;
    case 'x':
        g.width = 0.86f;
        add(stroke({{o * 0.9f, 1}, {0.86f - o * 0.9f, 0}}, kUp, kDown, 0));
        add(stroke({{0.86f - o * 0.9f, 1}, {o * 0.9f, 0}}, kUp, kDown, 0));
        break;
    case 'y':
        g.width = 0.88f;
        add(stroke({{o, 1}, {o, 0.3f + o}, {0.88f - o, 0.3f + o}}, kUp, kSquare));
        add(stroke({{0.88f - o, 1}, {0.88f - o, D + o}, {0.05f, D + o}}, kUp, kLeft));
        break;
    case 'z':
        g.width = 0.82f;
        add(stroke({{0.02f, 1 - o}, {0.82f - o, 1 - o}, {o, o}, {0.8f, o}}, kLeft, kRight, 0.04f));
        break;
    case '&': {
        // A small loop at cap height, a diagonal from it to the foot on the right, and a lower
        // bowl open to the right whose arm rises to meet the diagonal.
        g.width = 1.0f;
        Stroke loop;
        loop.points = {
            {0.12f + o, 0.78f + o}, {0.62f - o, 0.78f + o}, {0.62f - o, A - o}, {0.12f + o, A - o}};
        loop.closed = true;
        loop.fillet = 0.2f;
        add(loop);
        add(stroke({{0.12f + o, 0.78f + o}, {1.0f - o * 0.9f, 0}}, kSquare, kDown, 0));
        add(stroke({{0.34f, 0.78f + o}, {o, 0.78f + o}, {o, o}, {0.62f, o}, {0.9f, 0.42f}}, kSquare,
                   kSquare, 0.24f));
        break;
    }
    case '-':
        g.width = 0.46f;
        add(stroke({{0, 0.5f}, {0.46f, 0.5f}}, kLeft, kRight));
        break;
    case ':':
        g.width = dotWeight(w) * 1.2f;
        g.diamonds.push_back({dotWeight(w) * 0.6f, dotWeight(w) * 0.75f});
        g.diamonds.push_back({dotWeight(w) * 0.6f, 0.82f});
        break;
    case '.':
        g.width = dotWeight(w) * 1.2f;
        g.diamonds.push_back({dotWeight(w) * 0.6f, dotWeight(w) * 0.75f});
        break;
    case ' ':
        g.width = 0.3f;
        break;
    default:
        break;
    }
    return g;
}

} // namespace letterforms
