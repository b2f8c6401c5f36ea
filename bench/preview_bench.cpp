// What lirv-preview's edit loop costs, through the same session and reload code it uses:
// the time from a seek to its finished frame at times spread over the production, the time
// from a saved timeline text to its finished frame (compile, swap clips, rebuild, draw), and
// what each of the views drawn over the frame (strip, key view, curve view) adds to a frame.
//
//   preview_bench [--scale S] [--seeks N] [--timeline FILE]    (run where data/ lies)
#include "engine/gl.h"
#include "production/session.h"
#include "production/time_text.h"
#include "tools/preview/editor.h"
#include "tools/preview/reload.h"
#include "tools/preview/strip.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

// The clip with the most keys and its most keyed property: the fullest key and curve views.
void selectFullestClip(const Timeline& timeline, Editor& editor) {
    size_t best = 0;
    for (size_t c = 0; c < timeline.clips.size(); c++)
        if (timeline.clips[c]->keys.size() > timeline.clips[best]->keys.size()) best = c;
    editor.select(long(best));
    std::vector<int> perProperty(64, 0);
    for (const Key& key : timeline.clips[best]->keys)
        if (key.property >= 0 && key.property < 64) perProperty[size_t(key.property)]++;
    long most = std::max_element(perProperty.begin(), perProperty.end()) - perProperty.begin();
    editor.stepProperty(int(most));
}

double processCpuMs() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// Draws one view over the window 200 times, each finished with glFinish, and prints the wall
// time and the process's CPU time (the software renderer's threads included) per draw.
void timeView(const char* what, const std::function<void()>& draw) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < 200; i++) {
        Clock::time_point start = Clock::now();
        double cpuStart = processCpuMs();
        paint::begin(kScreenWidth, kScreenHeight);
        draw();
        paint::end();
        glFinish();
        wall.push_back(millisecondsSince(start));
        cpu.push_back(processCpuMs() - cpuStart);
    }
    printSummary((std::string(what) + ", wall").c_str(), wall);
    printSummary((std::string(what) + ", CPU").c_str(), cpu);
}

// The views as the preview draws them, on the finished frame at t.
void measureViews(ProductionSession& session, const std::string& timelineText, uint32_t t) {
    std::string text, problem;
    TimelineDocument document;
    GlyphFont font, small;
    if (!readTextFile(timelineText, text, problem) ||
        !adoptTimelineText(timelineText, text, document, session.timeline(), problem) ||
        !font.open(14, problem) || !small.open(11, problem)) {
        fprintf(stderr, "%s\n", problem.c_str());
        return;
    }
    Editor editor(document, session.timeline());
    selectFullestClip(session.timeline(), editor);
    t = std::max(t, session.timeline().clips[size_t(editor.selectedClip())]->start + 1);
    Loudness loudness;
    loudness.measure(session.decodedMusic());
    StripState state;
    state.playhead = t;
    state.loopSet = true, state.loopStart = t - 1, state.loopEnd = t + 4800;
    state.selectedClip = editor.selectedClip();
    state.selectedProperty = editor.selectedProperty();
    state.selectedKeys = &editor.clipData()->keys;
    state.sections = &document.sections();
    state.tempo = kProductionTempo;
    StripLayout layout(kScreenWidth, kScreenHeight, StripSpan{0, kRunTimeMs});
    session.seek(t);
    session.play(t);
    timeView("empty overlay", [] {});
    timeView("timeline strip drawn afresh",
             [&] { drawStrip(small, layout, clipSpans(session.timeline()), loudness, state); });
    StripPainter strip;
    timeView("timeline strip from its cache",
             [&] { strip.draw(small, layout, session.timeline(), loudness, state, 0); });
    timeView("key view", [&] { editor.draw(font, kScreenWidth, layout.top, t, true, false); });
    timeView("curve view", [&] { editor.draw(font, kScreenWidth, layout.top, t, false, true); });
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
    measureViews(session, timelineText, 24000);
    return 0;
}
