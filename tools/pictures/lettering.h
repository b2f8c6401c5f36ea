// Lettering with FreeType: lines of text become coverage masks, drawn with fill, outline,
// shadow and glow. Fonts come from the fonts-dejavu-core package.
#pragma once

#include <string>

#include "tools/pictures/canvas.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

// The typefaces of fonts-dejavu-core.
enum class Face { Sans, SansBold, Mono, MonoBold, Serif, SerifBold, Count };

// Where the DejaVu fonts are installed.
constexpr const char* kFontDirectory = "/usr/share/fonts/truetype/dejavu/";

// A line of lettering: its mask (with a margin), and where the baseline and the ink lie in it.
struct TextLine {
    Mask mask;
    int baseline = 0;   // row of the baseline in the mask
    int inkLeft = 0;    // first column with ink
    int inkRight = 0;   // one past the last column with ink
    int capTop = 0;     // row of the top of a capital letter
    int xHeightTop = 0; // row of the top of a lower-case x
};

class Lettering {
  public:
    Lettering() = default;
    ~Lettering();
    Lettering(const Lettering&) = delete;
    Lettering& operator=(const Lettering&) = delete;

    // Opens FreeType and every face; on failure returns false with `error` naming the file.
    bool open(std::string& error);

    // Renders UTF-8 text at a pixel size (em height), with extra letter spacing in pixels.
    // The mask has `margin` empty pixels around the ink for glows and outlines.
    TextLine line(Face face, const std::string& text, int pixelSize, float tracking = 0,
                  int margin = 0) const;

  private:
    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* faces[static_cast<int>(Face::Count)] = {};
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

// Draws text whose ink is aligned at x (left edge, centre or right edge) and whose baseline
// lies on row `baseline`. Returns the ink width in pixels.
int drawText(Canvas& canvas, const Lettering& fonts, Face face, const std::string& text,
             int pixelSize, float x, int baseline, Align align, const TextStyle& style,
             float tracking = 0);

// The largest pixel size up to `size` at which the text's ink fits in maxWidth pixels.
int fittingSize(const Lettering& fonts, Face face, const std::string& text, int size,
                float tracking, int maxWidth);
