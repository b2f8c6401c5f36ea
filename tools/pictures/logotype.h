// The group's logotype: the family's letterforms (letterforms.h) set at any x-height, weight
// and spacing, upright or leaning, with an optional horizontal slit through the word. A word
// becomes a coverage mask with exact, anti-aliased edges, drawn with the same styles as the
// rest of the lettering.
#pragma once

#include <string>

#include "tools/pictures/lettering.h"

// How a word of the logotype is set.
struct LogoSet {
    float xHeight = 100;    // pixels from the baseline to the top of an "x"
    float weight = 0.25f;   // stroke width as a share of the x-height
    float tracking = 0.16f; // gap between letters as a share of the x-height
    float slit = 0;         // height of the horizontal cut through the word (share of x-height)
    float slitAt = 0.36f;   // where the cut lies above the baseline (share of x-height)
    float slant = 0;        // lean of the oblique: x shift per unit of height (0.2 is 11°)
    int margin = 0;         // empty pixels around the ink
};

// True when every character of the text has a letterform: a to z, A to Z, 0 to 9, the space
// and . , : ; - ? ! ' " / ( ) + & and the arrow →.
bool logotypeCovers(const std::string& text);

// Sets a word in the logotype. A character without a letterform is set as an empty box. The
// line's capTop is the top of the tall letters, xHeightTop the top of an "x".
TextLine logotypeLine(const std::string& text, const LogoSet& set);

// Draws a word whose ink is aligned at x and whose baseline lies on row `baseline`; returns
// the ink width in pixels.
int drawLogotype(Canvas& canvas, const std::string& text, const LogoSet& set, float x, int baseline,
                 Align align, const TextStyle& style);
