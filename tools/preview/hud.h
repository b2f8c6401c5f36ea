// The preview's overlay, drawn into the window after the production's frame: lines of text on a
// dark panel and a bar graph of spectrum bins, plus the enlargement of a smaller render.
#pragma once

#include "engine/gl.h"

#include <string>
#include <vector>

struct HudLine {
    std::string text; // printable ASCII; other bytes show as '?'
    float red = 0.9f, green = 0.9f, blue = 0.9f;
};

// One labelled bar of the spectrum graph; level is normally 0 to 1.
struct HudBar {
    int bin;
    float level;
};

class Hud {
  public:
    Hud() = default;
    Hud(const Hud&) = delete;
    Hud& operator=(const Hud&) = delete;

    // Renders the monospaced glyphs into a texture. Needs the GL context. False with a problem
    // naming the font file when FreeType cannot open it; the HUD then draws only its graph.
    bool open(std::string& problem);
    // Draws the lines from the top-left corner and the bars below them over the whole window
    // (windowWidth x windowHeight pixels). Leaves the GL state as it found it.
    void draw(const std::vector<HudLine>& lines, const std::vector<HudBar>& bars, int windowWidth,
              int windowHeight) const;

  private:
    void drawText(const std::string& text, float x, float y) const;

    GLuint atlas = 0;
    int cellWidth = 0, cellHeight = 0; // one glyph's mask, margins included
    int advance = 0;                   // the monospaced pen step
    int slack = 0;                     // columns left of the pen in each cell
    int columns = 16;
    int atlasWidth = 0, atlasHeight = 0;
};

// Holds the production's last frame, so that it can be shown again under a fresh HUD without
// rendering it again (a paused picture stays exactly the same), and enlarged when it was
// rendered smaller than the window.
class FrameHold {
  public:
    FrameHold() = default;
    FrameHold(const FrameHold&) = delete;
    FrameHold& operator=(const FrameHold&) = delete;
    ~FrameHold();
    // Copies the lower-left width x height pixels of the back buffer.
    void capture(int width, int height);
    // Draws the held frame over the whole window: pixel for pixel at the same size, else
    // filtered. Leaves the GL state as it found it.
    void show(int windowWidth, int windowHeight);

  private:
    GLuint texture = 0;
    int textureWidth = 0, textureHeight = 0;
    int width = 0, height = 0;
};
