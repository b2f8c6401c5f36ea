// Driving lirv-preview under the test's X display: keys and the mouse through xdotool, steps
// that wait for a text in its output, and the pictures its screenshots hold.
#pragma once

#include "tests/support/process.h"
#include "tools/pictures/picture_io.h"

#include <functional>
#include <string>
#include <vector>

// Waits for a text in the preview's output, then acts (presses keys, edits files).
struct Step {
    std::string waitFor;
    std::function<void()> action;
};

// Taps each key in turn, `pauseSeconds` apart. One xdotool call per key: its --delay holds a
// key down long enough for SDL's key repeat to press it again.
void press(const std::string& keys, double pauseSeconds = 0);
// Runs one xdotool command line ("mousemove 10 700 click 1").
void pointer(const std::string& commands);

// Runs lirv-preview in the repository root, where the generated data/ lies, through the steps.
ProcessResult preview(std::vector<std::string> args, std::vector<Step> steps);
// Renders the production at the times with lirv-capture into folder (as tNNNNNN.png).
ProcessResult capture(const std::string& times, const std::string& folder);

Picture readPicture(const std::string& path);
// The share of pixels whose channels differ by more than `tolerance` somewhere.
double differingShare(const Picture& a, const Picture& b, int tolerance);
