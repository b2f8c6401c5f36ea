#include "tools/pictures/lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

const char* const kFaceFiles[] = {"DejaVuSans.ttf",     "DejaVuSans-Bold.ttf",
                                  "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf",
                                  "DejaVuSerif.ttf",    "DejaVuSerif-Bold.ttf"};
static_assert(sizeof kFaceFiles / sizeof kFaceFiles[0] == static_cast<int>(Face::Count));

// Next code point of a UTF-8 string; malformed bytes read as '?'.
uint32_t nextCodePoint(const std::string& text, size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : -1;
    if (extra < 0) return '?';
    uint32_t code = c & (0x3f >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) return '?';
        code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3f);
    }
    return code;
}

int glyphTop(FT_Face face, uint32_t code) {
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT)) return 0;
    return static_cast<int>(face->glyph->metrics.horiBearingY >> 6);
}

} // namespace

Lettering::~Lettering() {
    for (FT_Face face : faces)
        if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
}

bool Lettering::open(std::string& error) {
    if (FT_Init_FreeType(&library)) {
        error = "cannot start FreeType";
        return false;
    }
    for (int i = 0; i < static_cast<int>(Face::Count); ++i) {
        std::string path = std::string(kFontDirectory) + kFaceFiles[i];
        if (FT_New_Face(library, path.c_str(), 0, &faces[i])) {
            faces[i] = nullptr;
            error = "cannot open font " + path + " (install fonts-dejavu-core)";
            return false;
        }
    }
    return true;
}

TextLine Lettering::line(Face which, const std::string& text, int pixelSize, float tracking,
                         int margin) const {
    FT_Face face = faces[static_cast<int>(which)];
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    int descender = static_cast<int>(-(face->size->metrics.descender >> 6));

    // First pass: advances in 26.6 units, with kerning and tracking.
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();)
        codes.push_back(nextCodePoint(text, i));
    std::vector<long> penX(codes.size());
    long pen = 0;
    FT_UInt previous = 0;
    for (size_t k = 0; k < codes.size(); ++k) {
        FT_UInt index = FT_Get_Char_Index(face, codes[k]);
        if (previous && index) {
            FT_Vector kern;
            if (!FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern)) pen += kern.x;
        }
        penX[k] = pen;
        if (!FT_Load_Glyph(face, index, FT_LOAD_DEFAULT))
            pen += face->glyph->advance.x + static_cast<long>(tracking * 64);
        previous = index;
    }

    // Second pass: render each glyph into the mask at its pen position.
    int slack = pixelSize / 4 + 2; // italic overhangs and bearings beyond the advance
    TextLine out;
    out.mask =
        Mask(static_cast<int>(pen >> 6) + 2 * (slack + margin), ascender + descender + 2 * margin);
    out.baseline = margin + ascender;
    int originX = margin + slack;
    out.inkLeft = out.mask.width;
    out.inkRight = 0;
    for (size_t k = 0; k < codes.size(); ++k) {
        if (FT_Load_Char(face, codes[k], FT_LOAD_RENDER)) continue;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        int left = originX + static_cast<int>((penX[k] + 32) >> 6) + face->glyph->bitmap_left;
        int top = out.baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned col = 0; col < bitmap.width; ++col) {
                int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= out.mask.width || y >= out.mask.height) continue;
                float v = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
                if (v <= 0) continue;
                float& dst = out.mask.at(x, y);
                dst = std::min(1.0f, dst + v);
                out.inkLeft = std::min(out.inkLeft, x);
                out.inkRight = std::max(out.inkRight, x + 1);
            }
    }
    if (out.inkRight <= out.inkLeft) out.inkLeft = out.inkRight = originX;
    out.capTop = out.baseline - glyphTop(face, 'H');
    out.xHeightTop = out.baseline - glyphTop(face, 'x');
    return out;
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

int drawText(Canvas& canvas, const Lettering& fonts, Face face, const std::string& text,
             int pixelSize, float x, int baseline, Align align, const TextStyle& style,
             float tracking) {
    TextLine line = fonts.line(face, text, pixelSize, tracking);
    int ink = line.inkRight - line.inkLeft;
    float left = align == Align::Left ? x : align == Align::Center ? x - ink * 0.5f : x - ink;
    drawLine(canvas, line, static_cast<int>(std::lround(left)) - line.inkLeft,
             baseline - line.baseline, style);
    return ink;
}

int fittingSize(const Lettering& fonts, Face face, const std::string& text, int size,
                float tracking, int maxWidth) {
    TextLine line = fonts.line(face, text, size, tracking);
    int ink = line.inkRight - line.inkLeft;
    return ink <= maxWidth ? size : size * maxWidth / ink;
}
