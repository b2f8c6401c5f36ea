#include "tools/preview/hud.h"

#include "engine/fbo.h"
#include "tools/pictures/system_font.h"

#include <algorithm>

namespace {

constexpr int kGlyphPixels = 14;
constexpr int kFirstGlyph = 32, kGlyphCount = 95; // printable ASCII
constexpr float kLineSpacing = 1.15f;
constexpr int kBarWidth = 6, kBarGap = 2, kBarHeight = 60, kMargin = 8;

// The production draws with whatever texture bindings, pixel-store modes and texture unit it
// left behind the frame before; the preview's own GL work must leave all of it untouched.
void saveProductionState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glActiveTexture(GL_TEXTURE0);
}

void restoreProductionState() {
    glPopClientAttrib();
    glPopAttrib();
}

// Saves what the HUD touches and sets up pixel coordinates over the window, y downwards.
void beginPixels(int width, int height) {
    saveProductionState();
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glUseProgram(0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
}

void endPixels() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    restoreProductionState();
}

void fillRect(float x, float y, float width, float height) {
    glBegin(GL_QUADS);
    glVertex2f(x, y);
    glVertex2f(x, y + height);
    glVertex2f(x + width, y + height);
    glVertex2f(x + width, y);
    glEnd();
}

} // namespace

bool Hud::open(std::string& problem) {
    SystemFont fonts;
    if (!fonts.open(problem)) return false;
    std::vector<TextLine> glyphs;
    for (int c = kFirstGlyph; c < kFirstGlyph + kGlyphCount; c++)
        glyphs.push_back(fonts.line(SystemFace::MonoBold, std::string(1, char(c)), kGlyphPixels));
    // Monospaced: every mask has the same size, the advance plus slack on both sides.
    cellWidth = glyphs[0].mask.width;
    cellHeight = glyphs[0].mask.height;
    slack = kGlyphPixels / 4 + 2;
    advance = cellWidth - 2 * slack;
    atlasWidth = int(qorNextPowerOfTwo(unsigned(cellWidth * columns)));
    atlasHeight = int(qorNextPowerOfTwo(unsigned(cellHeight * (kGlyphCount / columns + 1))));
    std::vector<uint8_t> alpha(size_t(atlasWidth) * size_t(atlasHeight), 0);
    for (int g = 0; g < kGlyphCount; g++) {
        const Mask& mask = glyphs[size_t(g)].mask;
        int left = g % columns * cellWidth, top = g / columns * cellHeight;
        for (int y = 0; y < std::min(mask.height, cellHeight); y++)
            for (int x = 0; x < std::min(mask.width, cellWidth); x++)
                alpha[size_t(top + y) * size_t(atlasWidth) + size_t(left + x)] =
                    uint8_t(std::clamp(mask.at(x, y), 0.0f, 1.0f) * 255.0f + 0.5f);
    }
    saveProductionState();
    glGenTextures(1, &atlas);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, atlasWidth, atlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    restoreProductionState();
    return true;
}

void Hud::drawText(const std::string& text, float x, float y) const {
    glBegin(GL_QUADS);
    for (size_t i = 0; i < text.size(); i++) {
        int code = (unsigned char)text[i];
        if (code == ' ') continue;
        int glyph = code >= kFirstGlyph && code < kFirstGlyph + kGlyphCount ? code - kFirstGlyph
                                                                            : '?' - kFirstGlyph;
        float u0 = float(glyph % columns * cellWidth) / float(atlasWidth);
        float v0 = float(glyph / columns * cellHeight) / float(atlasHeight);
        float u1 = u0 + float(cellWidth) / float(atlasWidth);
        float v1 = v0 + float(cellHeight) / float(atlasHeight);
        float left = x + float(i) * float(advance) - float(slack);
        glTexCoord2f(u0, v0);
        glVertex2f(left, y);
        glTexCoord2f(u0, v1);
        glVertex2f(left, y + float(cellHeight));
        glTexCoord2f(u1, v1);
        glVertex2f(left + float(cellWidth), y + float(cellHeight));
        glTexCoord2f(u1, v0);
        glVertex2f(left + float(cellWidth), y);
    }
    glEnd();
}

void Hud::draw(const std::vector<HudLine>& lines, const std::vector<HudBar>& bars, int windowWidth,
               int windowHeight) const {
    float lineHeight = float(atlas ? cellHeight : 0) * kLineSpacing;
    size_t longest = 0;
    for (const HudLine& line : lines)
        longest = std::max(longest, line.text.size());
    float textHeight = atlas ? lineHeight * float(lines.size()) : 0;
    float graphWidth = float(bars.size() * (kBarWidth + kBarGap));
    float panelWidth = std::max(float(longest * size_t(advance)), graphWidth) + 2 * kMargin;
    float graphTop = kMargin + textHeight + kMargin;
    float panelHeight = graphTop + kBarHeight + kMargin;

    beginPixels(windowWidth, windowHeight);
    glColor4f(0, 0, 0, 0.6f);
    fillRect(0, 0, panelWidth, panelHeight);
    for (size_t i = 0; i < bars.size(); i++) {
        float level = std::clamp(bars[i].level, 0.0f, 1.0f);
        float x = kMargin + float(i * (kBarWidth + kBarGap));
        glColor4f(0.25f, 0.25f, 0.3f, 0.8f);
        fillRect(x, graphTop, kBarWidth, kBarHeight);
        glColor4f(0.3f, 0.85f, 0.45f, 1);
        fillRect(x, graphTop + kBarHeight * (1 - level), kBarWidth, kBarHeight * level);
    }
    if (atlas) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, atlas);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (size_t i = 0; i < lines.size(); i++) {
            glColor4f(lines[i].red, lines[i].green, lines[i].blue, 1);
            drawText(lines[i].text, kMargin, kMargin + lineHeight * float(i));
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    endPixels();
}

FrameHold::~FrameHold() {
    if (texture) glDeleteTextures(1, &texture);
}

void FrameHold::capture(int frameWidth, int frameHeight) {
    width = frameWidth;
    height = frameHeight;
    saveProductionState();
    if (!texture) {
        textureWidth = int(qorNextPowerOfTwo(unsigned(width)));
        textureHeight = int(qorNextPowerOfTwo(unsigned(height)));
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth, textureHeight, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    restoreProductionState();
}

void FrameHold::show(int windowWidth, int windowHeight) {
    if (!texture) return;
    beginPixels(windowWidth, windowHeight);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint filter = width == windowWidth && height == windowHeight ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float u = float(width) / float(textureWidth), v = float(height) / float(textureHeight);
    glBegin(GL_QUADS); // texture row 0 is the frame's bottom row; y runs downwards here
    glTexCoord2f(0, v);
    glVertex2f(0, 0);
    glTexCoord2f(0, 0);
    glVertex2f(0, float(windowHeight));
    glTexCoord2f(u, 0);
    glVertex2f(float(windowWidth), float(windowHeight));
    glTexCoord2f(u, v);
    glVertex2f(float(windowWidth), 0);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    endPixels();
}
