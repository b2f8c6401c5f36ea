// What lirv-preview's edit loop costs, through the same session and reload code it uses:
// the time from a seek to its finished frame at times spread over the production, and the time
// from a saved timeline text to its finished frame (compile, swap clips, rebuild, draw).
//
//   preview_bench [--scale S] [--seeks N] [--timeline FILE]    (run where data/ lies)
#include "engine/gl.h"
#include "production/session.h"
#include "production/time_text.h"
#include "tools/preview/reload.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void printSummary(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    printf("%-34s %4zu runs  median %7.1f ms  max %7.1f ms\n", what, times.size(),
           times[times.size() / 2], times.back());
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    double scale = 1;
    int seeks = 40;
    std::string timelineText = "content/timeline.txt";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--scale")
            scale = std::clamp(atof(argv[i + 1]), 0.25, 1.0);
        else if (option == "--seeks")
            seeks = std::max(1, atoi(argv[i + 1]));
        else if (option == "--timeline")
            timelineText = argv[i + 1];
    }
    SessionSettings settings;
    settings.caption = "vsq-14: lirv preview bench";
    settings.renderWidth = int(std::lround(kScreenWidth * scale));
    settings.renderHeight = int(std::lround(kScreenHeight * scale));
    ProductionSession session(settings);

    // Seeks in a scrambled order over the whole production, so that half go backwards.
    std::vector<double> seekTimes;
    for (int i = 0; i < seeks; i++) {
        uint32_t t = uint32_t((uint64_t(i) * 7919 % uint64_t(seeks)) * (kRunTimeMs - 1000) /
                              uint64_t(seeks));
        Clock::time_point start = Clock::now();
        session.seek(t);
        session.play(t);
        glFinish();
        seekTimes.push_back(millisecondsSince(start));
        session.present();
    }

    std::vector<double> editTimes;
    for (int i = 0; i < 10; i++) {
        uint32_t t = uint32_t(i) * 13000 + 500;
        session.seek(t);
        std::string problem;
        Clock::time_point start = Clock::now();
        if (!reloadTimelineText(timelineText, session.timeline(), problem)) {
            fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
        session.seek(t);
        session.play(t);
        glFinish();
        editTimes.push_back(millisecondsSince(start));
        session.present();
    }

    printf("at %d x %d:\n", settings.renderWidth, settings.renderHeight);
    printSummary("seek to its finished frame", seekTimes);
    printSummary("timeline text to its finished frame", editTimes);
    printf("(the preview looks for changed files every 100 ms, which adds up to 100 ms to an "
           "edit)\n");
    return 0;
}
