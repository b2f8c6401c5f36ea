// The project's lettering: every word of the production is set in one family of stroked faces
// drawn here (the logotype, a text cut in three weights) or in its dot-matrix companion. No
// font file is opened: the letterforms are code (letterforms.h, dotmatrix.h). Lines of text
// become coverage masks, drawn with fill, outline, shadow and glow.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pictures/canvas.h"

// The faces of the family. A face's pixel size is its em: the x-height is 0.52 em, capitals,
// figures and ascenders reach 0.73 em, descenders 0.22 em below the baseline.
enum class Face {
    Logotype,  // the group's display cut: the heavy weight with the horizontal slit
    TextLight, // the thin weight, for names and quiet captions
    Text,      // the regular weight, for captions, labels and signs
    TextBold,  // the heavy weight without the slit, for headings and signs read from afar
    Dots,      // a 5 × 7 dot matrix, for departure boards and read-outs
    Count
};

// A line of lettering: its mask (with a margin), and where the baseline and the ink lie in it.
struct TextLine {
    Mask mask;
    int baseline = 0;   // row of the baseline in the mask
    int inkLeft = 0;    // first column with ink
    int inkRight = 0;   // one past the last column with ink
    int capTop = 0;     // row of the top of a capital letter
    int xHeightTop = 0; // row of the top of a lower-case x
};

// The code points of UTF-8 text; malformed bytes read as '?'.
std::vector<uint32_t> codePoints(const std::string& text);

// Sets the line's inkLeft and inkRight from its mask; a line without ink gets both at `empty`.
void measureInk(TextLine& line, int empty);

// Reports a character that a face has no letterform for (it is set as an empty box): prints a
// line naming it and the text, and counts it for the calling thread.
void reportMissingLetterform(uint32_t code, const std::string& text);
// How many characters without a letterform the calling thread has set so far.
int missingLetterforms();

// Sets lines in the family's faces. It holds no state and opens nothing, so painting threads
// may share one.
class Lettering {
  public:
    // Renders UTF-8 text at a pixel size (em height), with extra letter spacing in pixels.
    // The mask has `margin` empty pixels around the ink for glows and outlines.
    TextLine line(Face face, const std::string& text, int pixelSize, float tracking = 0,
                  int margin = 0) const;
    // True when every character of the text has a letterform in the face.
    bool covers(Face face, const std::string& text) const;
};

// How lettering is drawn: a glow and a shadow below an outline below the fill.
struct TextStyle {
    Rgba fill{1, 1, 1, 1};
    Rgba fillBottom{-1, 0, 0, 0}; // when r >= 0 the fill fades to this colour at the baseline
    Rgba outline{0, 0, 0, 0};
    int outlineWidth = 0;
    Rgba shadow{0, 0, 0, 0};
    int shadowOffset = 0;
    int shadowBlur = 0;
    Rgba glow{0, 0, 0, 0};
    int glowRadius = 0;
    float glowStrength = 1;
};

// Draws a line of lettering with its mask's top-left corner at (x, y).
void drawLine(Canvas& canvas, const TextLine& text, int x, int y, const TextStyle& style);

enum class Align { Left, Center, Right };

// Draws a set line whose ink is aligned at x (left edge, centre or right edge) and whose
// baseline lies on row `baseline`. Returns the ink width in pixels.
int drawTextLine(Canvas& canvas, const TextLine& line, float x, int baseline, Align align,
                 const TextStyle& style);

// Sets and draws text as drawTextLine does. Returns the ink width in pixels.
int drawText(Canvas& canvas, const Lettering& fonts, Face face, const std::string& text,
             int pixelSize, float x, int baseline, Align align, const TextStyle& style,
             float tracking = 0);

// The largest pixel size up to `size` at which the text's ink fits in maxWidth pixels.
int fittingSize(const Lettering& fonts, Face face, const std::string& text, int size,
                float tracking, int maxWidth);
