// What the keyboard and the mouse ask of the preview. SDL delivers both while the window's
// events are pumped (during present); the loop takes the requests afterwards. Main thread only.
#pragma once

#include <vector>

struct KeyRequests {
    bool togglePause = false;
    bool seekHome = false, seekEnd = false;
    int beatSteps = 0; // signed beats to move, counted from the time shown
    int frameSteps = 0;
    bool markLoopStart = false, markLoopEnd = false, toggleLoop = false;
    bool toggleHud = false, toggleStrip = false, toggleKeys = false, toggleCurve = false;
    bool reload = false, screenshot = false, quit = false;
    int propertySteps = 0; // Up/Down in the key view
    int nudgeSteps = 0;    // + and -, ten at a time with Shift
    bool insertKey = false, deleteKey = false, save = false;
};

// One mouse event in window pixels (y downwards). Wheel events carry +1 (away from the user)
// or -1 in wheel.
struct PointerEvent {
    enum Kind { Press, Release, Motion, Wheel } kind;
    float x, y;
    int button; // 1 left, 2 middle, 3 right
    int wheel;
    bool alt, shift;
};

// Routes SDL's events here (keys, mouse, quit) through its event filter and shows the mouse
// pointer; removeInput undoes it.
void installInput();
void removeInput();
// The key presses since the last call; a quit request (Escape, closing the window, SIGTERM,
// Ctrl+C) stays set.
KeyRequests takeKeyRequests();
bool quitRequested();
// Forgets a quit request (the preview asks again before dropping unsaved edits).
void cancelQuit();
// The mouse events since the last call, in order; motion events in a row are merged.
std::vector<PointerEvent> takePointerEvents();
// True when the last quit came from Escape, which the preview may answer with a question.
bool quitWasEscape();
