// The production's own letterforms for its names, "vsq" and "lirv": monoline strokes (straight
// segments, arcs and dots) drawn on a grid whose unit is the x-height, rendered into a TextLine
// so that every lettering style (fill, gradient, glow, shadow) applies to them.
#pragma once

#include <string>

#include "tools/pictures/lettering.h"

// Sets a word in the logotype, x-height `xHeight` pixels, strokes `stroke` x-heights wide and
// `tracking` x-heights between letters, with `margin` empty pixels around. Letters: i l q r s v
// and the space; any other character is an error of our own (assert).
TextLine logotypeLine(const std::string& word, float xHeight, float stroke, float tracking,
                      int margin);
