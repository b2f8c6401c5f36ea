#include "tools/capture/progress.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

std::string formatProgress(int done, int total, double seconds) {
    char line[96];
    if (done <= 0 || seconds <= 0) {
        snprintf(line, sizeof line, "frame %d/%d  -- fps  --:-- left", done, total);
        return line;
    }
    double rate = done / seconds;
    long left = std::lround((total - done) / rate);
    snprintf(line, sizeof line, "frame %d/%d  %.1f fps  %ld:%02ld left", done, total, rate,
             left / 60, left % 60);
    return line;
}

std::string formatEstimate(int total, double firstSeconds, double paceSeconds) {
    long seconds = std::lround(firstSeconds + paceSeconds * (total - 1));
    char line[120];
    snprintf(line, sizeof line, "estimated time: %ld:%02ld:%02ld for %d frames (%.2f s a frame)",
             seconds / 3600, seconds / 60 % 60, seconds % 60, total, paceSeconds);
    return line;
}

// The pace is taken over this many frames after the first.
constexpr int kEstimateFrames = 3;

ProgressLine::ProgressLine(bool enabled) : enabled(enabled), terminal(isatty(2) != 0) {}

void ProgressLine::update(int done, int total, double seconds) {
    if (!enabled) return;
    if (done == 1) firstFrameSeconds = seconds;
    if (!estimated && firstFrameSeconds >= 0 && done == 1 + kEstimateFrames && done < total) {
        estimated = true;
        double pace = (seconds - firstFrameSeconds) / kEstimateFrames;
        fprintf(stderr, "%s%s\n", terminal ? "\r" : "",
                formatEstimate(total, firstFrameSeconds, pace).c_str());
    }
    if (terminal) {
        fprintf(stderr, "\r%s   ", formatProgress(done, total, seconds).c_str());
        return;
    }
    if (seconds - lastPrinted < 2 && done != total) return;
    lastPrinted = seconds;
    fprintf(stderr, "%s\n", formatProgress(done, total, seconds).c_str());
}

void ProgressLine::finish() {
    if (enabled && terminal) fprintf(stderr, "\n");
}
