// The curve view: one property of the selected clip over the clip's length, the keys as
// points and between them the value the clip's render sees at every moment (held or eased,
// from the running clip itself), with the playhead.
#pragma once

#include "runtime/clip.h"
#include "tools/preview/painter.h"

#include <cstdint>
#include <vector>

// Where the curve view lies and what its axes span: clip-local ms across, values up.
class CurveLayout {
  public:
    // A panel of the given place showing duration ms and values low to high.
    CurveLayout(float x, float y, float width, float height, uint32_t duration, float low,
                float high);

    float xAt(double ms) const;
    float yAt(float value) const;
    double timeAt(float x) const; // within 0 to duration
    float valueAt(float y) const;
    bool contains(float x, float y) const;

    float x, y, width, height; // the panel
    float plotLeft, plotRight, plotTop, plotBottom;
    uint32_t duration;
    float low, high;
};

// The value range a property's curve is drawn over: its keys' values and default, with a
// tenth of room above and below (a flat curve gets room of its own).
void curveRange(const std::vector<Key>& keys, int property, float defaultValue, float& low,
                float& high);

// The panel above the strip (whose top is stripTop), on the window's right side.
CurveLayout placeCurve(int windowWidth, float stripTop, uint32_t duration, float low, float high);

// The key (file-order index into keys) whose point lies within 6 pixels of (px, py), or -1.
long keyPointAt(const CurveLayout& layout, const std::vector<Key>& keys, int property, float px,
                float py);

// Draws the panel: a title, the axis values, the curve sampled at every column from the
// running clip, the key points (one marked), and the playhead at a clip-local time.
// Between paint::begin and paint::end.
void drawCurve(const GlyphFont& font, const CurveLayout& layout, const std::string& title,
               const Clip& running, int property, const std::vector<Key>& keys, long markedKey,
               uint32_t localTime);
