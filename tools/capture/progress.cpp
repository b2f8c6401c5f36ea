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

std::string formatEstimate(int done, int total, double seconds) {
    double perFrame = seconds / done;
    long total_s = std::lround(perFrame * total);
    char line[120];
    snprintf(line, sizeof line, "estimated time: %ld:%02ld:%02ld for %d frames (%.2f s a frame)",
             total_s / 3600, total_s / 60 % 60, total_s % 60, total, perFrame);
    return line;
}

// The estimate waits for this many frames: the first one also starts the clips due before it.
constexpr int kEstimateAfterFrames = 3;

ProgressLine::ProgressLine(bool enabled) : enabled(enabled), terminal(isatty(2) != 0) {}

void ProgressLine::update(int done, int total, double seconds) {
    if (!enabled) return;
    if (!estimated && done > 0 && seconds > 0 && (done >= kEstimateAfterFrames || done == total)) {
        estimated = true;
        fprintf(stderr, "%s%s\n", terminal ? "\r" : "",
                formatEstimate(done, total, seconds).c_str());
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
