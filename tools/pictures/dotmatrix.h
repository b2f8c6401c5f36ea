// The family's dot-matrix face: letters of 5 × 7 round dots (descenders two rows more), for
// departure boards and camera read-outs. The dots are laid on a square grid of `cell` pixels;
// at one pixel per cell each dot is exactly one pixel, so a board can light its own lamps
// from the mask.
#pragma once

#include <string>

#include "tools/pictures/lettering.h"

// Rows of a glyph above the baseline (the capital height) and below it.
constexpr int kDotRows = 7;
constexpr int kDotDescent = 2;
// Columns of a glyph and of its advance.
constexpr int kDotColumns = 5;
constexpr int kDotAdvance = 6;

// True when every character of the text has a dot pattern.
bool dotMatrixCovers(const std::string& text);

// Sets text on a grid of `cell` pixels, with extra spacing in pixels between letters and
// `margin` empty pixels around. A character without a pattern is set as a hollow box.
TextLine dotMatrixLine(const std::string& text, float cell, float tracking = 0, int margin = 0);
