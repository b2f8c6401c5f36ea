// 2-D drawing over the finished frame for the preview's own displays (HUD, strip, key and curve
// views): rectangles, lines and monospaced text in window pixels, y downwards.
#pragma once

#include "engine/gl.h"

#include <string>

namespace paint {

// Saves every GL state the production relies on (attributes, client state, matrices, the
// program) and sets up pixel coordinates over the window. Each begin needs its end.
void begin(int windowWidth, int windowHeight);
// Draws what is still batched and restores what begin saved.
void end();

// Shapes are batched and drawn in as few calls as the order allows (software OpenGL pays for
// every call): drawing switches between plain and textured quads cost one call each.
void color(float red, float green, float blue, float alpha = 1);
void fillRect(float x, float y, float width, float height);
// A one-pixel frame inside the rectangle.
void frameRect(float x, float y, float width, float height);
// A one-pixel vertical line from y0 to y1 at column x.
void verticalLine(float x, float y0, float y1);
// A quad of a texture (0: none) in the current colour, modulating the texture.
void texturedRect(GLuint texture, float x, float y, float width, float height, float u0, float v0,
                  float u1, float v1);
// Draws the batch now (before GL calls of one's own between begin and end).
void flush();

// Saves the production's texture bindings, pixel-store modes and texture unit around GL work
// outside begin/end (texture creation and copies).
void saveProductionState();
void restoreProductionState();

// A value as the displays show it: at most `digits` significant digits ("%g").
std::string formatNumber(float value, int digits = 4);

} // namespace paint

// Drawn shapes kept between frames: drawn once into a texture of their own, then shown each
// frame with one quad until they must change. Software OpenGL fills pixels slowly, and a busy
// panel drawn afresh every frame costs milliseconds.
class PaintCache {
  public:
    PaintCache() = default;
    PaintCache(const PaintCache&) = delete;
    PaintCache& operator=(const PaintCache&) = delete;
    ~PaintCache();

    // Between paint::begin and paint::end: sends the drawing that follows into the cache for
    // the window rectangle at (x, y), cleared to transparent; coordinates stay the window's.
    // False (drawing goes to the window as usual) when the cache cannot be made.
    bool beginDrawing(float x, float y, int width, int height);
    void endDrawing();
    // Draws the cached picture at its place, as it would have been drawn there directly.
    void show();

  private:
    GLuint texture = 0, framebuffer = 0;
    int textureWidth = 0, textureHeight = 0;
    float left = 0, top = 0;
    int width = 0, height = 0;
    GLint previousFramebuffer = 0;
    bool usable = true;
};

// Monospaced printable ASCII rendered once into an alpha texture. Other bytes draw as '?'.
class GlyphFont {
  public:
    GlyphFont() = default;
    GlyphFont(const GlyphFont&) = delete;
    GlyphFont& operator=(const GlyphFont&) = delete;
    ~GlyphFont();

    // Renders the glyphs at a pixel size. Needs the GL context. False with a problem naming
    // the font file when it cannot be opened; the font then draws nothing and measures 0.
    bool open(int pixelSize, std::string& problem);
    bool ready() const { return atlas != 0; }

    // Draws a line of text with its top-left corner at (x, y) in the current colour; between
    // paint::begin and paint::end.
    void draw(const std::string& text, float x, float y) const;
    // The pen width of a text, and the height of one line with its spacing.
    float width(size_t characters) const { return float(characters) * float(advance); }
    float width(const std::string& text) const { return width(text.size()); }
    float lineHeight() const;
    // How many characters fit in a width.
    size_t fitting(float pixels) const;

  private:
    GLuint atlas = 0;
    int cellWidth = 0, cellHeight = 0; // one glyph's mask, margins included
    int advance = 0;                   // the monospaced pen step
    int slack = 0;                     // columns left of the pen in each cell
    int columns = 16;
    int atlasWidth = 0, atlasHeight = 0;
};
