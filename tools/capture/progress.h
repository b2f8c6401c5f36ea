// The capture's progress line: frames done, frames per second and the time left.
#pragma once

#include <string>

// "frame 120/4170  12.3 fps  5:29 left" from the count done, the total and the seconds spent.
// Before the first frame, or with no time spent yet, the rate and time left read "--".
std::string formatProgress(int done, int total, double seconds);

// "estimated time: 0:58:30 for 4170 frames (0.84 s a frame)": the first frame took
// firstSeconds (it also renders the frames that start the clips due before it), the frames
// after it paceSeconds each.
std::string formatEstimate(int total, double firstSeconds, double paceSeconds);

// Prints the progress line to standard error: rewritten in place on a terminal, otherwise a
// new line at most every two seconds and on the last frame. After the first few frames it
// prints the estimated time of the whole capture once, on a line of its own.
class ProgressLine {
  public:
    explicit ProgressLine(bool enabled);
    void update(int done, int total, double seconds);
    // Ends the line on a terminal.
    void finish();

  private:
    bool enabled;
    bool terminal;
    double lastPrinted = -1e9;
    bool estimated = false;
    double firstFrameSeconds = -1;
};
