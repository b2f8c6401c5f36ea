#include "tools/pictures/system_font.h"

#include <algorithm>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

const char* const kFaceFiles[] = {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"};
static_assert(sizeof kFaceFiles / sizeof kFaceFiles[0] == static_cast<int>(SystemFace::Count));

int glyphTop(FT_Face face, uint32_t code) {
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT)) return 0;
    return static_cast<int>(face->glyph->metrics.horiBearingY >> 6);
}

} // namespace

SystemFont::~SystemFont() {
    for (FT_Face face : faces)
        if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
}

bool SystemFont::open(std::string& error) {
    if (FT_Init_FreeType(&library)) {
        error = "cannot start FreeType";
        return false;
    }
    for (int i = 0; i < static_cast<int>(SystemFace::Count); ++i) {
        std::string path = std::string(kFontDirectory) + kFaceFiles[i];
        if (FT_New_Face(library, path.c_str(), 0, &faces[i])) {
            faces[i] = nullptr;
            error = "cannot open font " + path + " (install fonts-dejavu-core)";
            return false;
        }
    }
    return true;
}

TextLine SystemFont::line(SystemFace which, const std::string& text, int pixelSize, float tracking,
                          int margin) const {
    FT_Face face = faces[static_cast<int>(which)];
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    int descender = static_cast<int>(-(face->size->metrics.descender >> 6));

    // First pass: advances in 26.6 units, with kerning and tracking.
    std::vector<uint32_t> codes = codePoints(text);
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
    int slack = pixelSize / 4 + 2;
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
