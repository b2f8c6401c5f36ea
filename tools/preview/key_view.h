// The key view: the selected clip's properties, one row each, with the value at the playhead
// and the keys and the timeline text's line each comes from; and the rules the key edits
// follow (which key is under the playhead, how far a nudge moves a value).
#pragma once

#include "runtime/clip.h"
#include "tools/preview/painter.h"
#include "tools/preview/write_back.h"

#include <string>
#include <vector>

struct PropertyInfo;

// One key of a row: its index in the clip's keys (file order) and its text line (0: unknown).
struct KeyMark {
    size_t key;
    uint32_t time;
    float value;
    bool ease;
    int line;
};

struct KeyRow {
    int property;
    std::string name;
    float value;                // at the playhead, as the clip's render sees it
    std::vector<KeyMark> marks; // in time order
};

// Every property the clip's effect declares, in declaration order, with its keys from the
// compiled clip (file order) and its value from the running clip at the clip-local time.
std::vector<KeyRow> keyRows(const TimelineClipData& clip, const Clip& running, uint32_t localTime,
                            const std::vector<size_t>& keyLines);

// The key of a property nearest to a clip-local time within tolerance ms (file-order index),
// or -1. Of equally near keys, the first in file order.
long keyNear(const TimelineClipData& clip, int property, uint32_t localTime, uint32_t tolerance);

// A nudge's step for a property: about a hundredth of its range, rounded to 1, 2 or 5 times a
// power of ten.
float nudgeStep(const PropertyInfo& property);
// The value moved by steps, kept to the step's precision and a little finer (a value between
// grid points stays between them).
float nudged(float value, float step, int steps);

// Where the key view lies: the top-right corner of the window.
struct KeyViewFrame {
    float x, y, width, height;
};
KeyViewFrame keyViewFrame(const GlyphFont& font, size_t rows, int windowWidth);

// Draws the rows with the selected one marked, and a key under the playhead (file-order
// index, -1 for none) highlighted. The title names the clip; status ends the view (unsaved
// edits, a problem). Between paint::begin and paint::end.
void drawKeyView(const GlyphFont& font, const KeyViewFrame& frame, const std::string& title,
                 const std::vector<KeyRow>& rows, size_t selectedRow, long keyAtPlayhead,
                 const std::string& status);
