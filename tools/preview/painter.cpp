#include "tools/preview/painter.h"

#include "engine/fbo.h"
#include "tools/pictures/system_font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFirstGlyph = 32, kGlyphCount = 95; // printable ASCII
constexpr float kLineSpacing = 1.15f;

} // namespace

namespace paint {

namespace {

// The batch: quads of one texture (or none) with their colours. Main thread only; the
// storage is kept from frame to frame.
struct Vertex {
    float x, y, u, v;
    uint8_t rgba[4];
};
std::vector<Vertex> batch;
GLuint batchTexture = 0;
int windowWidth = 0, windowHeight = 0; // of the current begin
uint8_t current[4] = {255, 255, 255, 255};

uint8_t channel(float value) {
    return uint8_t(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

void addVertex(float x, float y, float u, float v) {
    batch.push_back({x, y, u, v, {current[0], current[1], current[2], current[3]}});
}

} // namespace

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

void begin(int width, int height) {
    windowWidth = width, windowHeight = height;
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
    glDisable(GL_SCISSOR_TEST);
    glUseProgram(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    batch.clear();
    batchTexture = 0;
}

void end() {
    flush();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    restoreProductionState();
}

void flush() {
    if (batch.empty()) return;
    if (batchTexture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, batchTexture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &batch[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &batch[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), batch[0].rgba);
    glDrawArrays(GL_QUADS, 0, GLsizei(batch.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (batchTexture) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    batch.clear();
}

void color(float red, float green, float blue, float alpha) {
    current[0] = channel(red), current[1] = channel(green);
    current[2] = channel(blue), current[3] = channel(alpha);
}

void texturedRect(GLuint texture, float x, float y, float width, float height, float u0, float v0,
                  float u1, float v1) {
    if (texture != batchTexture) flush();
    batchTexture = texture;
    addVertex(x, y, u0, v0);
    addVertex(x, y + height, u0, v1);
    addVertex(x + width, y + height, u1, v1);
    addVertex(x + width, y, u1, v0);
}

void fillRect(float x, float y, float width, float height) {
    texturedRect(0, x, y, width, height, 0, 0, 0, 0);
}

void frameRect(float x, float y, float width, float height) {
    fillRect(x, y, width, 1);
    fillRect(x, y + height - 1, width, 1);
    fillRect(x, y + 1, 1, height - 2);
    fillRect(x + width - 1, y + 1, 1, height - 2);
}

std::string formatNumber(float value, int digits) {
    char text[32];
    snprintf(text, sizeof text, "%.*g", digits, double(value));
    return text;
}

void verticalLine(float x, float y0, float y1) {
    fillRect(x, std::min(y0, y1), 1, std::fabs(y1 - y0));
}

} // namespace paint

PaintCache::~PaintCache() {
    if (framebuffer) glDeleteFramebuffersEXT(1, &framebuffer);
    if (texture) glDeleteTextures(1, &texture);
}

bool PaintCache::beginDrawing(float x, float y, int drawWidth, int drawHeight) {
    paint::flush();
    if (!usable || drawWidth <= 0 || drawHeight <= 0) return false;
    left = x, top = y, width = drawWidth, height = drawHeight;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previousFramebuffer);
    if (width > textureWidth || height > textureHeight) {
        textureWidth = int(qorNextPowerOfTwo(unsigned(width)));
        textureHeight = int(qorNextPowerOfTwo(unsigned(height)));
        if (!texture) glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth, textureHeight, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
        if (!framebuffer) glGenFramebuffersEXT(1, &framebuffer);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                  texture, 0);
        usable = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
        if (!usable) {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, GLuint(previousFramebuffer));
            return false;
        }
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(left, left + float(width), top + float(height), top, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    // Colour blended over transparency becomes premultiplied by its coverage; show() draws it
    // back with the blend that undoes that.
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    return true;
}

void PaintCache::endDrawing() {
    paint::flush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, GLuint(previousFramebuffer));
    glViewport(0, 0, paint::windowWidth, paint::windowHeight);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void PaintCache::show() {
    if (!texture || !usable) return;
    paint::flush();
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    paint::color(1, 1, 1, 1);
    float u = float(width) / float(textureWidth), v = float(height) / float(textureHeight);
    // Texture row 0 is the cache's bottom row.
    paint::texturedRect(texture, left, top, float(width), float(height), 0, v, u, 0);
    paint::flush();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

GlyphFont::~GlyphFont() {
    if (atlas) glDeleteTextures(1, &atlas);
}

bool GlyphFont::open(int pixelSize, std::string& problem) {
    SystemFont fonts;
    if (!fonts.open(problem)) return false;
    std::vector<TextLine> glyphs;
    for (int c = kFirstGlyph; c < kFirstGlyph + kGlyphCount; c++)
        glyphs.push_back(fonts.line(SystemFace::MonoBold, std::string(1, char(c)), pixelSize));
    // Monospaced: every mask has the same size, the advance plus slack on both sides.
    cellWidth = glyphs[0].mask.width;
    cellHeight = glyphs[0].mask.height;
    slack = pixelSize / 4 + 2;
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
    paint::saveProductionState();
    glGenTextures(1, &atlas);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, atlasWidth, atlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    paint::restoreProductionState();
    return true;
}

float GlyphFont::lineHeight() const {
    return float(cellHeight) * kLineSpacing;
}

size_t GlyphFont::fitting(float pixels) const {
    if (advance <= 0 || pixels <= 0) return 0;
    return size_t(pixels / float(advance));
}

void GlyphFont::draw(const std::string& text, float x, float y) const {
    if (!atlas) return;
    for (size_t i = 0; i < text.size(); i++) {
        int code = (unsigned char)text[i];
        if (code == ' ') continue;
        int glyph = code >= kFirstGlyph && code < kFirstGlyph + kGlyphCount ? code - kFirstGlyph
                                                                            : '?' - kFirstGlyph;
        // Only the columns a monospaced glyph inks: its advance and a pixel either side.
        int inkLeft = std::max(0, slack - 1), inkWidth = std::min(cellWidth - inkLeft, advance + 2);
        float u0 = float(glyph % columns * cellWidth + inkLeft) / float(atlasWidth);
        float v0 = float(glyph / columns * cellHeight) / float(atlasHeight);
        float u1 = u0 + float(inkWidth) / float(atlasWidth);
        float v1 = v0 + float(cellHeight) / float(atlasHeight);
        float left = x + float(i) * float(advance) - float(slack - inkLeft);
        paint::texturedRect(atlas, left, y, float(inkWidth), float(cellHeight), u0, v0, u1, v1);
    }
}
