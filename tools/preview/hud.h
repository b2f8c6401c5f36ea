// The preview's heads-up display, drawn into the window after the production's frame: lines of
// text on a dark panel and a bar graph of spectrum bins.
#pragma once

#include "tools/preview/painter.h"

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

// Breaks a line into pieces of at most maxCharacters, at spaces where it can; continuation
// pieces start with two spaces. Always at least one piece.
std::vector<std::string> wrapHudText(const std::string& text, size_t maxCharacters);

// Draws the lines from the top-left corner and the bars below them on a panel that holds them
// all: a line too wide for the window is wrapped. Leaves the GL state as it found it.
void drawHud(const GlyphFont& font, const std::vector<HudLine>& lines,
             const std::vector<HudBar>& bars, int windowWidth, int windowHeight);
