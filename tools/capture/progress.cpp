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

ProgressLine::ProgressLine(bool enabled) : enabled(enabled), terminal(isatty(2) != 0) {}

void ProgressLine::update(int done, int total, double seconds) {
    if (!enabled) return;
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
