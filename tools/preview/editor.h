// The preview's editing: the selected clip and property, the key edits made at the playhead
// or by dragging a point of the curve view, and the key and curve views drawn for them. Edits
// go into the timeline text document and, recompiled from it, into the running clip, so the
// picture always shows what the text would compile to.
#pragma once

#include "runtime/timeline.h"
#include "tools/preview/curve_view.h"
#include "tools/preview/key_view.h"
#include "tools/preview/write_back.h"

#include <string>

class Editor {
  public:
    Editor(TimelineDocument& document, Timeline& timeline);

    // Selects a clip (index into the timeline's clips, -1 for none), keeping the property row
    // when the new clip's effect has it.
    void select(long clip);
    long selectedClip() const { return clip; }
    int selectedProperty() const { return clip >= 0 ? property : -1; }
    // Moves the property selection by rows, within the clip's properties.
    void stepProperty(int rows);
    // After the clips were replaced (a reload): drops a selection that no longer exists.
    void clipsReplaced();

    // The edits, at timeline time t. Each returns true when the clip's keys changed; message
    // says what was done or why nothing was.
    bool nudge(uint32_t t, int steps, std::string& message);
    bool insertKey(uint32_t t, std::string& message);
    bool deleteKey(uint32_t t, std::string& message);

    // The compiled clip being edited (file-order keys): the document's when it maps the text,
    // else the running clip's keys; null without a selection.
    const TimelineClipData* clipData();

    // The curve view's mouse: a press on a key point starts a drag (true); moves change the
    // key's time (snapped to beatMs unless free) or its value, whichever way the pointer went
    // further; the release ends it.
    bool pressCurve(float x, float y, std::string& message);
    bool dragCurve(float x, float y, bool free, double beatMs, std::string& message);
    void releaseCurve() { dragging = false; }
    bool draggingCurve() const { return dragging; }
    bool curveContains(float x, float y) const { return curveShown && curve.contains(x, y); }

    // Draws the key view and the curve view as asked, above the strip (whose top is stripTop).
    // Between paint::begin and paint::end.
    void draw(const GlyphFont& font, int windowWidth, float stripTop, uint32_t t, bool keys,
              bool curves);

  private:
    // Whether edits at timeline time t can be made, else why not.
    bool editable(uint32_t t, std::string& message) const;
    uint32_t localTime(uint32_t t) const;
    long keyAtPlayhead(uint32_t t);
    void apply();
    std::string describeKey(size_t key);

    TimelineDocument& document;
    Timeline& timeline;
    long clip = -1;
    int property = 0;
    TimelineClipData running; // the running clip's keys when the document does not map it
    bool curveShown = false;
    CurveLayout curve{0, 0, 0, 0, 0, 0, 1};
    bool dragging = false;
    long dragKey = -1;
    float pressX = 0, pressY = 0;
    int dragAxis = 0; // 0 undecided, 1 time, 2 value
};
