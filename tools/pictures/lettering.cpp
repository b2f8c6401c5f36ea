#include "tools/pictures/lettering.h"

#include <cmath>
#include <cstdio>

#include "tools/pictures/dotmatrix.h"
#include "tools/pictures/logotype.h"

namespace {

// Characters set without a letterform, per painting thread.
thread_local int missingCount = 0;

// The x-height of the stroked faces, and the dot pitch of the dot matrix, per pixel of em.
constexpr float kXHeightPerEm = 0.52f;
constexpr float kDotCellPerEm = 0.1f;

// How each stroked face is set: weight and spacing as shares of the x-height, and the slit.
LogoSet faceSetting(Face face) {
    LogoSet set;
    switch (face) {
    case Face::Logotype:
        set.slit = 0.055f;
        break;
    case Face::TextLight:
        set.weight = 0.12f;
        set.tracking = 0.2f;
        break;
    case Face::Text:
        set.weight = 0.17f;
        set.tracking = 0.18f;
        break;
    default:
        break;
    }
    return set;
}

} // namespace

std::vector<uint32_t> codePoints(const std::string& text) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i++]);
        int extra = c < 0x80 ? 0 : c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : -1;
        uint32_t code = extra <= 0 ? c : c & (0x3f >> extra);
        bool broken = extra < 0;
        for (int k = 0; k < extra && !broken; ++k) {
            broken = i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xc0) != 0x80;
            if (!broken) code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3f);
        }
        codes.push_back(broken ? '?' : code);
    }
    return codes;
}

void measureInk(TextLine& line, int empty) {
    line.inkLeft = line.mask.width;
    line.inkRight = 0;
    for (int y = 0; y < line.mask.height; ++y)
        for (int x = 0; x < line.mask.width; ++x)
            if (line.mask.at(x, y) > 0) {
                line.inkLeft = std::min(line.inkLeft, x);
                line.inkRight = std::max(line.inkRight, x + 1);
            }
    if (line.inkRight <= line.inkLeft) line.inkLeft = line.inkRight = empty;
}

void reportMissingLetterform(uint32_t code, const std::string& text) {
    ++missingCount;
    fprintf(stderr, "lettering: no letterform for U+%04X in \"%s\"\n", static_cast<unsigned>(code),
            text.c_str());
}

int missingLetterforms() {
    return missingCount;
}

TextLine Lettering::line(Face face, const std::string& text, int pixelSize, float tracking,
                         int margin) const {
    const float em = static_cast<float>(std::max(pixelSize, 1));
    if (face == Face::Dots) return dotMatrixLine(text, em * kDotCellPerEm, tracking, margin);
    LogoSet set = faceSetting(face);
    set.xHeight = em * kXHeightPerEm;
    set.tracking += tracking / set.xHeight;
    set.margin = margin;
    return logotypeLine(text, set);
}

bool Lettering::covers(Face face, const std::string& text) const {
    return face == Face::Dots ? dotMatrixCovers(text) : logotypeCovers(text);
}

void drawLine(Canvas& canvas, const TextLine& text, int x, int y, const TextStyle& style) {
    int pad = std::max(
        {style.glowRadius * 2, style.outlineWidth * 2, style.shadowBlur * 2 + style.shadowOffset});
    Mask base = padded(text.mask, pad);
    int bx = x - pad, by = y - pad;
    if (style.glow.a > 0 && style.glowRadius > 0) {
        Mask glow = base;
        blur(glow, style.glowRadius);
        for (float& v : glow.values)
            v = clamp01(v * style.glowStrength);
        canvas.draw(glow, bx, by, style.glow, Blend::Add);
    }
    if (style.shadow.a > 0) {
        Mask shadow = style.outlineWidth > 0 ? grown(base, style.outlineWidth) : base;
        blur(shadow, style.shadowBlur);
        canvas.draw(shadow, bx + style.shadowOffset, by + style.shadowOffset, style.shadow);
    }
    if (style.outline.a > 0 && style.outlineWidth > 0)
        canvas.draw(grown(base, style.outlineWidth), bx, by, style.outline);
    if (style.fillBottom.r < 0) {
        canvas.draw(base, bx, by, style.fill);
        return;
    }
    // A vertical gradient from the cap height to the baseline.
    int top = by + pad + text.capTop, bottom = by + pad + text.baseline;
    for (int my = 0; my < base.height; ++my) {
        float t = clamp01(static_cast<float>(by + my - top) / std::max(1, bottom - top));
        Rgba c = mix(style.fill, style.fillBottom, t);
        for (int mx = 0; mx < base.width; ++mx)
            if (base.at(mx, my) > 0) canvas.put(bx + mx, by + my, c, base.at(mx, my));
    }
}

int drawTextLine(Canvas& canvas, const TextLine& line, float x, int baseline, Align align,
                 const TextStyle& style) {
    int ink = line.inkRight - line.inkLeft;
    float left = align == Align::Left ? x : align == Align::Center ? x - ink * 0.5f : x - ink;
    drawLine(canvas, line, static_cast<int>(std::lround(left)) - line.inkLeft,
             baseline - line.baseline, style);
    return ink;
}

int drawText(Canvas& canvas, const Lettering& fonts, Face face, const std::string& text,
             int pixelSize, float x, int baseline, Align align, const TextStyle& style,
             float tracking) {
    return drawTextLine(canvas, fonts.line(face, text, pixelSize, tracking), x, baseline, align,
                        style);
}

int fittingSize(const Lettering& fonts, Face face, const std::string& text, int size,
                float tracking, int maxWidth) {
    auto inkWidth = [&](int s) {
        TextLine line = fonts.line(face, text, s, tracking);
        return line.inkRight - line.inkLeft;
    };
    int ink = inkWidth(size);
    if (ink <= maxWidth) return size;
    // The ink grows about in proportion to the size: guess, then step down until it fits.
    int fitted = std::max(1, size * maxWidth / ink);
    while (fitted > 1 && inkWidth(fitted) > maxWidth)
        --fitted;
    return fitted;
}
