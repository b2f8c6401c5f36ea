// The preview's editing: key edits and their saving, and the mouse on the strip and the curve
// view.
#include "tools/preview/preview.h"

#include "engine/window.h"
#include "production/time_text.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kBeatMs = 60000.0 / kProductionTempo.beatsPerMinute;

} // namespace

// Escape over unsaved edits asks once more; a quit from the window or a signal does not wait.
bool Preview::mayQuit() {
    if (document.dirty() && quitWasEscape() && !quitAsked) {
        quitAsked = true;
        cancelQuit();
        note(std::to_string(document.editCount()) +
             " unsaved edit(s): Ctrl+S saves them, Escape again quits without saving");
        return false;
    }
    if (document.dirty())
        fprintf(stderr, "lirv-preview: quit with unsaved edits; %s is as it was\n",
                document.path().c_str());
    return true;
}

void Preview::applyEdits(const KeyRequests& asked) {
    std::string message;
    if (asked.propertySteps) editor->stepProperty(asked.propertySteps);
    if (asked.nudgeSteps) edited(editor->nudge(time, asked.nudgeSteps, message), message);
    if (asked.insertKey) edited(editor->insertKey(time, message), message);
    if (asked.deleteKey) edited(editor->deleteKey(time, message), message);
    if (!asked.save) return;
    if (!document.loaded()) {
        note("no timeline text is loaded: nothing to save");
    } else if (!document.dirty()) {
        note(document.path() + " has no unsaved edits");
    } else {
        int count = document.editCount();
        if (document.save(message)) {
            report(document.path(), "");
            note("saved " + std::to_string(count) + " edit(s) to " + document.path());
            quitAsked = false;
        } else {
            report(document.path(), message);
        }
    }
}

// An edit shows at once; while paused the frame is rendered afresh from a seek, as a capture
// of the edited text would render it.
void Preview::edited(bool changed, const std::string& message) {
    if (!message.empty()) note(message);
    if (changed) revision++;
    if (changed && !playing && drag == Drag::None)
        jump(time);
    else if (changed)
        dirty = true;
}

uint32_t Preview::stripTime(const PointerEvent& event) const {
    StripLayout layout(qorGetWindowWidth(), qorGetWindowHeight(), stripSpan);
    double t = layout.timeAt(event.x);
    // On the beat, unless Alt asks for the exact time.
    if (!event.alt) t = std::floor(std::round(t / kBeatMs) * kBeatMs + 0.5);
    return uint32_t(std::clamp(t, 0.0, double(kRunTimeMs - 1)));
}

void Preview::press(const PointerEvent& event) {
    if (event.button != SDL_BUTTON_LEFT) return;
    std::string message;
    if (showCurve && editor->curveContains(event.x, event.y)) {
        if (editor->pressCurve(event.x, event.y, message) && editor->draggingCurve())
            drag = Drag::Curve, draggedKey = false;
        if (!message.empty()) note(message);
        return;
    }
    StripLayout layout(qorGetWindowWidth(), qorGetWindowHeight(), stripSpan);
    if (!showStrip || !layout.contains(event.x, event.y)) return;
    long clip = clipAt(layout, clipSpans(session->timeline()), event.x, event.y);
    if (clip >= 0) {
        editor->select(clip);
        drag = Drag::OnClip;
        pressX = event.x;
        return;
    }
    if (layout.laneAt(event.y) >= 0) editor->select(-1);
    startScrub(event);
}

// Scrubbing renders as fast as it can without the music; the release seeks exactly.
void Preview::startScrub(const PointerEvent& event) {
    drag = Drag::Scrub;
    playingBeforeDrag = playing;
    if (playing) setPlaying(false);
    time = stripTime(event);
    dirty = true;
}

void Preview::move(const PointerEvent& event) {
    if (drag == Drag::OnClip && std::fabs(event.x - pressX) >= 3) startScrub(event);
    if (drag == Drag::Scrub) {
        uint32_t t = stripTime(event);
        dirty = dirty || t != time;
        time = t;
    } else if (drag == Drag::Curve) {
        std::string message;
        bool changed = editor->dragCurve(event.x, event.y, event.alt, kBeatMs, message);
        draggedKey = draggedKey || changed;
        edited(changed, message);
    }
}

void Preview::release(const PointerEvent& event) {
    if (event.button != SDL_BUTTON_LEFT || drag == Drag::None) return;
    Drag ended = drag;
    drag = Drag::None;
    if (ended == Drag::OnClip) return;
    if (ended == Drag::Scrub) {
        jump(stripTime(event));
        setPlaying(playingBeforeDrag);
    } else {
        editor->releaseCurve();
        if (draggedKey) edited(true, "");
    }
}

void Preview::applyPointer() {
    for (const PointerEvent& event : takePointerEvents()) {
        if (event.kind == PointerEvent::Press)
            press(event);
        else if (event.kind == PointerEvent::Motion)
            move(event);
        else if (event.kind == PointerEvent::Release)
            release(event);
        else if (showStrip) {
            StripLayout layout(qorGetWindowWidth(), qorGetWindowHeight(), stripSpan);
            if (layout.contains(event.x, event.y))
                stripSpan.zoom(layout.timeAt(event.x), event.wheel, kRunTimeMs);
        }
    }
}
