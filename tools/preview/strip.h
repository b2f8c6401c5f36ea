// The timeline strip along the bottom of the preview: the production's time with the bar grid
// and the sections, a loudness strip of the music, five lanes with the clips of each layer,
// the playhead and the loop; the time axis zooms around the pointer. Layout and hit-testing
// are plain arithmetic, so that tests can aim at a bar or a clip.
#pragma once

#include "production/music_decode.h"
#include "production/time_text.h"
#include "tools/preview/painter.h"
#include "tools/preview/write_back.h"

#include <cstdint>
#include <string>
#include <vector>

class Timeline;

// The part of the production the strip shows, in ms.
struct StripSpan {
    double first = 0, last = 0;
    // Zooms by 1.25 per step (positive steps zoom in) keeping the time `at` where it is, within
    // the production (runMs) and down to a span of two seconds.
    void zoom(double at, int steps, double runMs);
    // Moves the span, unchanged in length, so that t lies in it: a time outside it comes to lie
    // a tenth of the way in.
    void follow(double t, double runMs);
};

class StripLayout {
  public:
    StripLayout(int windowWidth, int windowHeight, const StripSpan& span);

    float xAt(double ms) const;
    // The time under a window column, within the span.
    double timeAt(float x) const;
    bool contains(float x, float y) const;
    // The layer whose lane holds row y, or -1.
    int laneAt(float y) const;
    float laneTop(int layer) const { return lanesTop + laneHeight * float(layer); }

    StripSpan span;
    float top, left, right, bottom;
    float sectionsTop, barsTop, loudnessTop, lanesTop;
    float laneHeight;
};

// A clip as the strip shows it: from its start until it ends or the next clip on its layer
// replaces it.
struct ClipSpan {
    size_t clip; // index in the timeline's clips
    uint32_t start, end;
    int layer;
    std::string label; // the effect's short name
};
std::vector<ClipSpan> clipSpans(const Timeline& timeline);
// "Overlay: data/title.png" -> "title", "data/deform.frag" -> "deform", others unchanged.
std::string shortEffectName(const std::string& name);
// The clip drawn under a point, or -1.
long clipAt(const StripLayout& layout, const std::vector<ClipSpan>& spans, float x, float y);

// The music's loudness: the RMS of both channels over each 10 ms, scaled so that the loudest
// is 1, on a square-root scale.
class Loudness {
  public:
    void measure(const DecodedMusic& music);
    // The loudest value between two times; 0 past the music or before measuring.
    float peak(double fromMs, double toMs) const;

  private:
    std::vector<float> levels;
};

// What the strip shows besides the clips.
struct StripState {
    uint32_t playhead = 0;
    bool loopSet = false, looping = false;
    uint32_t loopStart = 0, loopEnd = 0;
    long selectedClip = -1;
    int selectedProperty = -1;
    const std::vector<Key>* selectedKeys = nullptr; // the selected clip's keys, any order
    const std::vector<Section>* sections = nullptr;
    Tempo tempo{0, 4};
};

// Draws the strip. Between paint::begin and paint::end.
void drawStrip(const GlyphFont& font, const StripLayout& layout, const std::vector<ClipSpan>& spans,
               const Loudness& loudness, const StripState& state);

// Draws the strip as drawStrip does, keeping all but the playhead and the loop in a cache that
// is drawn afresh only when what it shows changes: the span, the window, the selection, or the
// clips and keys (whose every change the caller counts in revision).
class StripPainter {
  public:
    void draw(const GlyphFont& font, const StripLayout& layout, const Timeline& timeline,
              const Loudness& loudness, const StripState& state, uint64_t revision);

  private:
    PaintCache cache;
    bool drawn = false;
    StripSpan span;
    float top = 0, right = 0;
    long selectedClip = -1;
    int selectedProperty = -1;
    uint64_t shownRevision = 0;
};
