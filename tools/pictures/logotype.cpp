#include "tools/pictures/logotype.h"

#include <cmath>
#include <vector>

namespace {

// Glyph space: x to the right, y up from the baseline, the x-height is 1.
struct Vec {
    float x, y;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(Vec a, float s) {
    return {a.x * s, a.y * s};
}
float dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
float length(Vec a) {
    return std::sqrt(dot(a, a));
}
Vec unit(Vec a) {
    float l = length(a);
    return l > 0 ? a * (1 / l) : a;
}

constexpr float kAscender = 1.4f;    // top of l, b, k and the digits
constexpr float kDescender = -0.42f; // bottom of q, g, p, y
constexpr float kFillet = 0.3f;      // radius of the rounded corners, on the centre line
constexpr int kArcSteps = 14;        // straight pieces per fillet
constexpr float kDotSize = 0.575f;   // half the height of a dot, as a share of the weight
constexpr float kDotLift = 1.1f;     // bottom of the dot of i and j

// The cut at an open end of a stroke: a half-plane through the end point with this outward
// normal. {0, 0} cuts square to the stroke.
const Vec kSquare{0, 0};
const Vec kUp{0, 1}, kDown{0, -1}, kLeft{-1, 0}, kRight{1, 0};
// The logotype's slant: every slanted cut runs parallel to (1, 0.5).
const Vec kSlantUp{-0.4472136f, 0.8944272f}, kSlantDown{0.4472136f, -0.8944272f};

struct Stroke {
    std::vector<Vec> points; // the centre line, corners to be rounded
    bool closed = false;
    float fillet = kFillet;
    Vec startCut = kSquare, endCut = kSquare;
};

struct Glyph {
    float width = 0; // ink width; the advance adds the tracking
    std::vector<Stroke> strokes;
    std::vector<Vec> diamonds; // centres of square dots stood on a corner
};

// An open stroke along the points, cut at its two ends.
Stroke stroke(std::vector<Vec> points, Vec startCut, Vec endCut, float fillet = kFillet) {
    Stroke s;
    s.points = std::move(points);
    s.startCut = startCut;
    s.endCut = endCut;
    s.fillet = fillet;
    return s;
}

// A round-cornered bowl filling the x-height, `width` wide.
Stroke bowl(float width, float o, float bottom = 0, float top = 1) {
    Stroke s;
    s.points = {{o, bottom + o}, {width - o, bottom + o}, {width - o, top - o}, {o, top - o}};
    s.closed = true;
    return s;
}

// The letterforms. o is half the stroke weight: centre lines lie o inside the letter's edges.
Glyph glyphFor(char c, float w) {
    const float o = w / 2, A = kAscender, D = kDescender;
    Glyph g;
    auto add = [&](Stroke s) { g.strokes.push_back(std::move(s)); };
    switch (c) {
    case 'a':
        g.width = 0.9f;
        add(bowl(0.9f, o));
        add(stroke({{0.9f - o, 1}, {0.9f - o, 0}}, kUp, kDown));
        break;
    case 'b':
        g.width = 0.9f;
        add(bowl(0.9f, o));
        add(stroke({{o, A}, {o, 0}}, kSlantUp, kDown));
        break;
    case 'c':
        g.width = 0.8f;
        add(stroke({{0.8f, 1 - o}, {o, 1 - o}, {o, o}, {0.8f, o}}, kRight, kRight));
        break;
    case 'd':
        g.width = 0.9f;
        add(bowl(0.9f, o));
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
        add(bowl(0.9f, o));
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
        g.diamonds.push_back({o, kDotLift + kDotSize * w});
        break;
    case 'j':
        g.width = 0.5f;
        add(stroke({{0.5f - o, 1}, {0.5f - o, D + o}, {0, D + o}}, kUp, kLeft));
        g.diamonds.push_back({0.5f - o, kDotLift + kDotSize * w});
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
        add(bowl(0.9f, o));
        break;
    case 'p':
        g.width = 0.9f;
        add(bowl(0.9f, o));
        add(stroke({{o, 1}, {o, D}}, kUp, kSlantDown));
        break;
    case 'q':
        g.width = 0.9f;
        add(bowl(0.9f, o));
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
        add(stroke({{0.88f - o, o}, {0.88f - o, 0}}, kSquare, kDown));
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
    case '1':
        g.width = 0.52f;
        add(stroke({{0.02f, A - 0.42f}, {0.52f - o, A - o}, {0.52f - o, 0}}, kSquare, kDown,
                   0.08f));
        break;
    case '4':
        g.width = 0.92f;
        add(stroke({{0.52f, A}, {o, 0.42f}, {0.92f, 0.42f}}, kUp, kRight, 0.05f));
        add(stroke({{0.64f, 0.86f}, {0.64f, 0}}, kSlantUp, kDown));
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
        g.width = w * 1.2f;
        g.diamonds.push_back({w * 0.6f, w * 0.75f});
        g.diamonds.push_back({w * 0.6f, 0.82f});
        break;
    case '.':
        g.width = w * 1.2f;
        g.diamonds.push_back({w * 0.6f, w * 0.75f});
        break;
    case ' ':
        g.width = 0.3f;
        break;
    default:
        g.width = -1; // no letterform
    }
    return g;
}

// A stroke's centre line with its corners rounded, as a list of points.
std::vector<Vec> rounded(const Stroke& s) {
    const std::vector<Vec>& p = s.points;
    size_t n = p.size();
    std::vector<Vec> out;
    if (!s.closed) out.push_back(p[0]);
    for (size_t i = s.closed ? 0 : 1; i < (s.closed ? n : n - 1); ++i) {
        Vec a = p[(i + n - 1) % n], b = p[i], c = p[(i + 1) % n];
        Vec u = unit(a - b), v = unit(c - b);
        float cosine = std::fmax(-1.0f, std::fmin(1.0f, dot(u, v)));
        float half = std::acos(cosine) / 2; // half the angle between the two legs
        if (s.fillet <= 0 || half > 1.5707f - 1e-3f || half < 1e-3f) {
            out.push_back(b);
            continue;
        }
        // Tangent length of the fillet, limited to half of each leg.
        float t = s.fillet / std::tan(half);
        t = std::fmin(t, std::fmin(length(a - b), length(c - b)) / 2);
        float radius = t * std::tan(half);
        Vec centre = b + unit(u + v) * (radius / std::sin(half));
        Vec from = b + u * t - centre, to = b + v * t - centre;
        float a0 = std::atan2(from.y, from.x), a1 = std::atan2(to.y, to.x);
        float sweep = a1 - a0;
        while (sweep > 3.14159265f)
            sweep -= 6.2831853f;
        while (sweep < -3.14159265f)
            sweep += 6.2831853f;
        for (int k = 0; k <= kArcSteps; ++k) {
            float angle = a0 + sweep * k / kArcSteps;
            out.push_back(centre + Vec{std::cos(angle), std::sin(angle)} * radius);
        }
    }
    if (!s.closed)
        out.push_back(p[n - 1]);
    else
        out.push_back(out.front());
    return out;
}

// One straight piece of a stroke in pixels, with the half-plane cuts that apply to it.
struct Piece {
    Vec a{0, 0}, b{0, 0};
    bool cutA = false, cutB = false;
    Vec cutAPoint{0, 0}, cutANormal{0, 0}, cutBPoint{0, 0}, cutBNormal{0, 0};
};

float pieceDistance(const Piece& piece, Vec p, float halfWidth) {
    Vec d = piece.b - piece.a;
    float len2 = dot(d, d);
    float t = len2 > 0 ? std::fmax(0.0f, std::fmin(1.0f, dot(p - piece.a, d) / len2)) : 0.0f;
    float dist = length(p - (piece.a + d * t)) - halfWidth;
    if (piece.cutA) dist = std::fmax(dist, dot(p - piece.cutAPoint, piece.cutANormal));
    if (piece.cutB) dist = std::fmax(dist, dot(p - piece.cutBPoint, piece.cutBNormal));
    return dist;
}

// The pieces of a stroke placed at `origin` (pixels, y down) and scaled by `size`. The pieces
// near an open end are lengthened past it and cut by the end's half-plane, so slanted cuts
// keep sharp corners.
void addPieces(const Stroke& s, Vec origin, float size, float weight, std::vector<Piece>& out) {
    std::vector<Vec> line = rounded(s);
    auto toPixels = [&](Vec v) { return Vec{origin.x + v.x * size, origin.y - v.y * size}; };
    auto flip = [](Vec n) { return Vec{n.x, -n.y}; };
    size_t first = out.size();
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        Piece piece;
        piece.a = toPixels(line[i]);
        piece.b = toPixels(line[i + 1]);
        out.push_back(piece);
    }
    if (s.closed || out.size() == first) return;
    const float reach = 1.5f * weight * size, extend = weight * size;
    Vec start = toPixels(line.front()), end = toPixels(line.back());
    Vec startNormal = length(s.startCut) > 0 ? flip(s.startCut) : unit(out[first].a - out[first].b);
    Vec endNormal = length(s.endCut) > 0 ? flip(s.endCut) : unit(out.back().b - out.back().a);
    out[first].a = out[first].a + unit(out[first].a - out[first].b) * extend;
    out.back().b = out.back().b + unit(out.back().b - out.back().a) * extend;
    float walked = 0;
    for (size_t i = first; i < out.size() && walked < reach; ++i) {
        out[i].cutA = true;
        out[i].cutAPoint = start;
        out[i].cutANormal = startNormal;
        walked += length(out[i].b - out[i].a);
    }
    walked = 0;
    for (size_t i = out.size(); i-- > first && walked < reach;) {
        out[i].cutB = true;
        out[i].cutBPoint = end;
        out[i].cutBNormal = endNormal;
        walked += length(out[i].b - out[i].a);
    }
}

} // namespace

bool logotypeCovers(const std::string& text) {
    for (char c : text)
        if (glyphFor(c, 0.25f).width < 0) return false;
    return true;
}

TextLine logotypeLine(const std::string& text, const LogoSet& set) {
    const float size = set.xHeight, halfWidth = set.weight * size / 2;
    std::vector<Glyph> glyphs;
    float advance = 0;
    for (char c : text) {
        Glyph g = glyphFor(c, set.weight);
        if (g.width < 0) continue;
        if (!glyphs.empty()) advance += set.tracking;
        advance += g.width;
        glyphs.push_back(std::move(g));
    }
    int pad = set.margin + 2;
    TextLine out;
    out.mask = Mask(static_cast<int>(std::ceil(advance * size)) + 2 * pad,
                    static_cast<int>(std::ceil((kAscender - kDescender) * size)) + 2 * pad);
    out.baseline = pad + static_cast<int>(std::ceil(kAscender * size));
    out.capTop = out.baseline - static_cast<int>(std::lround(kAscender * size));
    out.xHeightTop = out.baseline - static_cast<int>(std::lround(size));
    const float slitHalf = set.slit * size / 2, slitRow = out.baseline - set.slitAt * size;

    float pen = 0;
    for (const Glyph& g : glyphs) {
        Vec origin{pad + pen * size, static_cast<float>(out.baseline)};
        std::vector<Piece> pieces;
        for (const Stroke& s : g.strokes)
            addPieces(s, origin, size, set.weight, pieces);
        std::vector<Vec> dots;
        for (Vec d : g.diamonds)
            dots.push_back({origin.x + d.x * size, origin.y - d.y * size});
        const float dotRadius = kDotSize * set.weight * size;
        int x0 = std::max(0, static_cast<int>(origin.x - halfWidth * 2) - 2);
        int x1 = std::min(out.mask.width,
                          static_cast<int>(origin.x + g.width * size + halfWidth * 2) + 3);
        for (int y = 0; y < out.mask.height; ++y)
            for (int x = x0; x < x1; ++x) {
                Vec p{x + 0.5f, y + 0.5f};
                float d = 1e9f;
                for (const Piece& piece : pieces)
                    d = std::fmin(d, pieceDistance(piece, p, halfWidth));
                for (Vec c : dots) // a square on its corner: |dx| + |dy| = r, in true distance
                    d = std::fmin(d, (std::fabs(p.x - c.x) + std::fabs(p.y - c.y) - dotRadius) *
                                         0.70710678f);
                if (slitHalf > 0) d = std::fmax(d, slitHalf - std::fabs(p.y - slitRow));
                float cover = coverage(d);
                if (cover > out.mask.at(x, y)) out.mask.at(x, y) = cover;
            }
        pen += g.width + set.tracking;
    }
    out.inkLeft = out.mask.width;
    out.inkRight = 0;
    for (int y = 0; y < out.mask.height; ++y)
        for (int x = 0; x < out.mask.width; ++x)
            if (out.mask.at(x, y) > 0) {
                out.inkLeft = std::min(out.inkLeft, x);
                out.inkRight = std::max(out.inkRight, x + 1);
            }
    if (out.inkRight <= out.inkLeft) out.inkLeft = out.inkRight = pad;
    return out;
}

int drawLogotype(Canvas& canvas, const std::string& text, const LogoSet& set, float x, int baseline,
                 Align align, const TextStyle& style) {
    TextLine line = logotypeLine(text, set);
    int ink = line.inkRight - line.inkLeft;
    float left = align == Align::Left ? x : align == Align::Center ? x - ink * 0.5f : x - ink;
    drawLine(canvas, line, static_cast<int>(std::lround(left)) - line.inkLeft,
             baseline - line.baseline, style);
    return ink;
}
