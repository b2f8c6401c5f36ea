#include "tools/pictures/logotype.h"

#include <cmath>
#include <vector>

#include "tools/pictures/letterforms.h"

using namespace letterforms;

namespace {

constexpr int kArcSteps = 14; // straight pieces per fillet

// The glyph-space transform of a setting: the oblique leans x by `slant` per unit of height.
struct Placement {
    Vec origin;  // pixels, y down: the glyph's baseline start
    float size;  // pixels per x-height
    float slant; // x shift per unit of height
    Vec toPixels(Vec v) const {
        return {origin.x + (v.x + slant * v.y) * size, origin.y - v.y * size};
    }
    // A cut's outward normal in glyph space, carried into pixels (y down).
    Vec normalToPixels(Vec n) const { return unit(Vec{n.x, -(n.y - slant * n.x)}); }
};

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
    Vec low{0, 0}, high{0, 0}; // the box beyond which the piece covers nothing
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

// The pieces of a stroke at its placement, in pixels (y down). The pieces
// near an open end are lengthened past it and cut by the end's half-plane, so slanted cuts
// keep sharp corners.
void addPieces(const Stroke& s, const Placement& at, float weight, std::vector<Piece>& out) {
    std::vector<Vec> line = rounded(s);
    auto toPixels = [&](Vec v) { return at.toPixels(v); };
    const float size = at.size;
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
    Vec startNormal =
        length(s.startCut) > 0 ? at.normalToPixels(s.startCut) : unit(out[first].a - out[first].b);
    Vec endNormal =
        length(s.endCut) > 0 ? at.normalToPixels(s.endCut) : unit(out.back().b - out.back().a);
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

// Distance from pixel p to the nearest ink of the glyph's pieces and dots (negative inside).
float glyphDistance(const std::vector<Piece>& pieces, const std::vector<Vec>& dots, Vec p,
                    float halfWidth, float dotRadius) {
    float d = 1e9f;
    for (const Piece& piece : pieces)
        if (p.x >= piece.low.x && p.x <= piece.high.x && p.y >= piece.low.y && p.y <= piece.high.y)
            d = std::fmin(d, pieceDistance(piece, p, halfWidth));
    for (Vec c : dots) // a square on its corner: |dx| + |dy| = r, in true distance
        d = std::fmin(d, (std::fabs(p.x - c.x) + std::fabs(p.y - c.y) - dotRadius) * 0.70710678f);
    return d;
}

// Draws one glyph into the line's mask at the placement.
void rasterise(const Glyph& g, const Placement& at, const LogoSet& set, TextLine& out) {
    const float halfWidth = set.weight * at.size / 2;
    std::vector<Piece> pieces;
    for (const Stroke& s : g.strokes)
        addPieces(s, at, set.weight, pieces);
    std::vector<Vec> dots;
    for (Vec d : g.diamonds)
        dots.push_back(at.toPixels(d));
    const float dotRadius = kDotSize * dotWeight(set.weight) * at.size;
    const float slitHalf = set.slit * at.size / 2, slitRow = out.baseline - set.slitAt * at.size;
    // Only pixels within a stroke's half width (and one more pixel) of a piece can take ink.
    Vec low{1e9f, 1e9f}, high{-1e9f, -1e9f};
    auto include = [&](Vec v, float reach) {
        low = {std::fmin(low.x, v.x - reach), std::fmin(low.y, v.y - reach)};
        high = {std::fmax(high.x, v.x + reach), std::fmax(high.y, v.y + reach)};
    };
    for (Piece& piece : pieces) {
        const float reach = halfWidth + 1;
        piece.low = {std::fmin(piece.a.x, piece.b.x) - reach,
                     std::fmin(piece.a.y, piece.b.y) - reach};
        piece.high = {std::fmax(piece.a.x, piece.b.x) + reach,
                      std::fmax(piece.a.y, piece.b.y) + reach};
        include(piece.low, 0);
        include(piece.high, 0);
    }
    for (Vec c : dots)
        include(c, dotRadius + 1);
    int x0 = std::max(0, static_cast<int>(std::floor(low.x)));
    int y0 = std::max(0, static_cast<int>(std::floor(low.y)));
    int x1 = std::min(out.mask.width, static_cast<int>(std::ceil(high.x)) + 1);
    int y1 = std::min(out.mask.height, static_cast<int>(std::ceil(high.y)) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            Vec p{x + 0.5f, y + 0.5f};
            float d = glyphDistance(pieces, dots, p, halfWidth, dotRadius);
            if (slitHalf > 0) d = std::fmax(d, slitHalf - std::fabs(p.y - slitRow));
            float cover = coverage(d);
            if (cover > out.mask.at(x, y)) out.mask.at(x, y) = cover;
        }
}

// The glyphs of a text; a character without a letterform gets the empty box.
std::vector<Glyph> glyphsOf(const std::string& text, float weight) {
    std::vector<Glyph> glyphs;
    for (uint32_t code : codePoints(text)) {
        Glyph g = letterform(code, weight);
        if (g.width < 0) {
            reportMissingLetterform(code, text);
            g = missingForm(weight);
        }
        glyphs.push_back(std::move(g));
    }
    return glyphs;
}

} // namespace

bool logotypeCovers(const std::string& text) {
    for (uint32_t code : codePoints(text))
        if (letterform(code, 0.25f).width < 0) return false;
    return true;
}

TextLine logotypeLine(const std::string& text, const LogoSet& set) {
    const float size = set.xHeight;
    std::vector<Glyph> glyphs = glyphsOf(text, set.weight);
    float advance = 0;
    for (size_t i = 0; i < glyphs.size(); ++i)
        advance += glyphs[i].leftSide + glyphs[i].width + glyphs[i].rightSide +
                   (i + 1 < glyphs.size() ? set.tracking : 0);
    const float lean = std::fabs(set.slant);
    int pad = set.margin + 2;
    int leanLeft = static_cast<int>(std::ceil(lean * -kDescender * size));
    int leanRight = static_cast<int>(std::ceil(lean * kAscender * size));
    TextLine out;
    out.mask = Mask(static_cast<int>(std::ceil(std::fmax(advance, 0.0f) * size)) + 2 * pad +
                        leanLeft + leanRight,
                    static_cast<int>(std::ceil((kAscender - kDescender) * size)) + 2 * pad);
    out.baseline = pad + static_cast<int>(std::ceil(kAscender * size));
    out.capTop = out.baseline - static_cast<int>(std::lround(kAscender * size));
    out.xHeightTop = out.baseline - static_cast<int>(std::lround(size));

    float pen = 0;
    for (const Glyph& g : glyphs) {
        pen += g.leftSide;
        Placement at{
            {pad + leanLeft + pen * size, static_cast<float>(out.baseline)}, size, set.slant};
        rasterise(g, at, set, out);
        pen += g.width + g.rightSide + set.tracking;
    }
    measureInk(out, pad);
    return out;
}

int drawLogotype(Canvas& canvas, const std::string& text, const LogoSet& set, float x, int baseline,
                 Align align, const TextStyle& style) {
    return drawTextLine(canvas, logotypeLine(text, set), x, baseline, align, style);
}
