#include "tools/preview/editor.h"

#include "production/registry.h"
#include "production/time_text.h"
#include "runtime/effect.h"
#include "tools/preview/strip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A key within half a beat of the playhead is the one under it.
constexpr uint32_t kUnderPlayheadMs = uint32_t(30000.0 / kProductionTempo.beatsPerMinute);
constexpr float kAxisLockPixels = 4;

} // namespace

Editor::Editor(TimelineDocument& edited, Timeline& played) : document(edited), timeline(played) {}

void Editor::select(long chosen) {
    dragging = false;
    clip = chosen >= 0 && size_t(chosen) < timeline.clips.size() ? chosen : -1;
    const TimelineClipData* data = clipData();
    int count = data ? describeEffect(int(data->record.effect)).propertyCount : 0;
    if (property >= count) property = 0;
}

void Editor::stepProperty(int rows) {
    const TimelineClipData* data = clipData();
    if (!data) return;
    int count = describeEffect(int(data->record.effect)).propertyCount;
    if (count > 0) property = std::clamp(property + rows, 0, count - 1);
}

void Editor::clipsReplaced() {
    select(clip);
}

const TimelineClipData* Editor::clipData() {
    if (clip < 0 || size_t(clip) >= timeline.clips.size()) return nullptr;
    if (document.loaded() && document.editProblem().empty() &&
        size_t(clip) < document.compiled().clips.size())
        return &document.compiled().clips[size_t(clip)];
    const Clip& played = *timeline.clips[size_t(clip)];
    auto found = std::find(timeline.effects.begin(), timeline.effects.end(), played.effect);
    running = TimelineClipData{};
    running.record = {int32_t(played.keys.size()),
                      uint32_t(found - timeline.effects.begin()),
                      played.start,
                      played.duration,
                      played.layer,
                      played.offset};
    running.keys = played.keys;
    return &running;
}

bool Editor::editable(uint32_t t, std::string& message) const {
    if (clip < 0) {
        message = "select a clip on the strip first";
        return false;
    }
    const Clip& played = *timeline.clips[size_t(clip)];
    if (t < played.start || uint64_t(t) > uint64_t(played.start) + played.duration) {
        message = "the playhead lies outside the selected clip";
        return false;
    }
    if (!document.loaded()) {
        message = "no timeline text is loaded: key edits are off";
        return false;
    }
    message = document.editProblem();
    return message.empty();
}

uint32_t Editor::localTime(uint32_t t) const {
    const Clip& played = *timeline.clips[size_t(clip)];
    uint64_t end = uint64_t(played.start) + played.duration;
    return uint32_t(std::clamp<uint64_t>(t, played.start, end) - played.start);
}

long Editor::keyAtPlayhead(uint32_t t) {
    const TimelineClipData* data = clipData();
    if (!data) return -1;
    return keyNear(*data, property, localTime(t), kUnderPlayheadMs);
}

// The running clip takes the document's keys, ordered as the timeline's loading orders them.
void Editor::apply() {
    Clip& played = *timeline.clips[size_t(clip)];
    played.keys = document.compiled().clips[size_t(clip)].keys;
    std::stable_sort(played.keys.begin(), played.keys.end(),
                     [](const Key& a, const Key& b) { return a.time < b.time; });
}

std::string Editor::describeKey(size_t key) {
    const Key& edited = document.compiled().clips[size_t(clip)].keys[key];
    const EffectDescription& effect = describeEffect(int(clipData()->record.effect));
    return "\"" + std::string(effect.properties[edited.property].name) + "\" " +
           paint::formatNumber(edited.value, 6) + " at " +
           formatBarBeat(edited.time, kProductionTempo) + " in the clip (" + document.path() + ":" +
           std::to_string(document.keyLineNumber(size_t(clip), key)) + ")";
}

bool Editor::nudge(uint32_t t, int steps, std::string& message) {
    if (!editable(t, message)) return false;
    long key = keyAtPlayhead(t);
    const EffectDescription& effect = describeEffect(int(clipData()->record.effect));
    if (property >= effect.propertyCount) {
        message = "this clip's effect has no properties";
        return false;
    }
    if (key < 0) {
        message = "no key of \"" + std::string(effect.properties[property].name) +
                  "\" under the playhead (Insert adds one)";
        return false;
    }
    float step = nudgeStep(effect.properties[property]);
    float value = nudged(clipData()->keys[size_t(key)].value, step, steps);
    if (!document.setKeyValue(size_t(clip), size_t(key), value, message)) return false;
    apply();
    message = describeKey(size_t(key));
    return true;
}

bool Editor::insertKey(uint32_t t, std::string& message) {
    if (!editable(t, message)) return false;
    const TimelineClipData& data = *clipData();
    const EffectDescription& effect = describeEffect(int(data.record.effect));
    if (property >= effect.propertyCount) {
        message = "this clip's effect has no properties";
        return false;
    }
    uint32_t local = localTime(t);
    Key key{};
    key.time = local;
    key.property = property;
    key.value = timeline.clips[size_t(clip)]->valueAt(property, local);
    // The new key splits a segment: it eases on when the segment eased.
    const Key* before = nullptr;
    for (const Key& other : timeline.clips[size_t(clip)]->keys) {
        if (other.property != property) continue;
        if (other.time == local) {
            message =
                "\"" + std::string(effect.properties[property].name) + "\" already has a key here";
            return false;
        }
        if (other.time < local) before = &other;
    }
    key.ease = before ? before->ease : 0;
    size_t index;
    if (!document.addKey(size_t(clip), key, index, message)) return false;
    apply();
    message = "added " + describeKey(index);
    return true;
}

bool Editor::deleteKey(uint32_t t, std::string& message) {
    if (!editable(t, message)) return false;
    long key = keyAtPlayhead(t);
    if (key < 0) {
        message = "no key of the selected property under the playhead";
        return false;
    }
    std::string gone = describeKey(size_t(key));
    if (!document.removeKey(size_t(clip), size_t(key), message)) return false;
    apply();
    message = "removed " + gone;
    return true;
}

bool Editor::pressCurve(float x, float y, std::string& message) {
    const TimelineClipData* data = clipData();
    if (!curveShown || !data) return false;
    long key = keyPointAt(curve, data->keys, property, x, y);
    if (key < 0) return false;
    if (!editable(data->record.start, message)) return true;
    dragging = true;
    dragKey = key;
    pressX = x, pressY = y;
    dragAxis = 0;
    return true;
}

bool Editor::dragCurve(float x, float y, bool free, double beatMs, std::string& message) {
    if (!dragging) return false;
    if (dragAxis == 0) {
        float dx = std::fabs(x - pressX), dy = std::fabs(y - pressY);
        if (std::max(dx, dy) < kAxisLockPixels) return false;
        dragAxis = dx > dy ? 1 : 2;
    }
    const Key& key = clipData()->keys[size_t(dragKey)];
    bool changed;
    if (dragAxis == 1) {
        double t = curve.timeAt(x);
        if (!free) t = std::floor(std::round(t / beatMs) * beatMs + 0.5);
        uint32_t time = uint32_t(std::clamp(t, 0.0, double(curve.duration)));
        if (time == key.time) return false;
        changed = document.setKeyTime(size_t(clip), size_t(dragKey), time, message);
    } else {
        const EffectDescription& effect = describeEffect(int(clipData()->record.effect));
        float step = nudgeStep(effect.properties[property]) / 10;
        float value = float(std::round(curve.valueAt(y) / step) * step);
        if (value == key.value) return false;
        changed = document.setKeyValue(size_t(clip), size_t(dragKey), value, message);
    }
    if (!changed) return false;
    apply();
    message = describeKey(size_t(dragKey));
    return true;
}

void Editor::draw(const GlyphFont& font, int windowWidth, float stripTop, uint32_t t, bool keys,
                  bool curves) {
    curveShown = false;
    const TimelineClipData* data = clipData();
    if (!data) return;
    const Clip& played = *timeline.clips[size_t(clip)];
    const EffectDescription& effect = describeEffect(int(data->record.effect));
    uint32_t local = localTime(t);
    long marked = keyAtPlayhead(t);
    std::string name = shortEffectName(effect.name);
    if (keys) {
        std::vector<size_t> noLines;
        bool mapped = document.loaded() && document.editProblem().empty();
        const std::vector<size_t>& lines =
            mapped ? document.sources()[size_t(clip)].keyLines : noLines;
        std::vector<KeyRow> rows = keyRows(*data, played, local, lines);
        std::string title = "clip " + std::to_string(clip) + " " + effect.name + " layer " +
                            std::to_string(data->record.layer);
        std::string status;
        if (!document.loaded() || !document.editProblem().empty())
            status = "read only: no timeline text to edit";
        else if (document.dirty())
            status = std::to_string(document.editCount()) + " unsaved edit(s): Ctrl+S saves";
        else
            status = "+/- nudge, Ins add, Del remove";
        KeyViewFrame frame = keyViewFrame(font, rows.size(), windowWidth);
        drawKeyView(font, frame, title, rows, size_t(property), marked, status);
    }
    if (curves && property < effect.propertyCount) {
        if (!dragging) {
            float low, high;
            curveRange(data->keys, property, effect.properties[property].defaultValue, low, high);
            curve = placeCurve(windowWidth, stripTop, data->record.duration, low, high);
        }
        curveShown = true;
        std::string title =
            name + " \"" + effect.properties[property].name + "\"  drag keys; Alt: free time";
        drawCurve(font, curve, title, played, property, data->keys, dragging ? dragKey : marked,
                  local);
    }
}
