// Frame times of the production as a viewer sees them, under the capture's offline playback:
// every frame of a range at a fixed rate plus the catch-up frames that start clips between
// them, each timed from the start of drawing to the end of the buffer swap (glFinish after
// it). Frames are grouped by scene (the effect of the lowest layer drawn) beside an empty frame
// (clear, copy, swap) measured in the same run, so that ratios to it compare runs on a busy
// machine. Wall time and CPU time (the main thread; the whole process, rasterizer threads
// included) per frame; a scene's first frame and worst frame show first-use hitches. Then the
// start-up: process start to the first frame that draws a clip, in wall and CPU time, with the
// pictures, textures and programs done before it and those done after it.
//
//   frame_bench [--fps N] [--from T] [--to T] [--timeline FILE] [--scale S] [--cold]
//                                                                   (run where data/ lies)
// --scale renders at S times the size (0.25 to 1), as lirv-preview --scale does; --cold
// disables Mesa's shader cache, so every program is compiled as on a first run.
#include "bench/process_clock.h"
#include "engine/gl.h"
#include "engine/load_stats.h"
#include "engine/texture.h"
#include "production/session.h"
#include "production/time_text.h"
#include "runtime/compositor.h"
#include "tools/capture/options.h"
#include "tools/capture/progress.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The nearest-rank percentile of unsorted samples.
double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    size_t rank = size_t(std::ceil(fraction * double(samples.size())));
    return samples[rank > 0 ? rank - 1 : 0];
}

constexpr const char* kNoClipDrawn = "(no clip drawn)";

// The display name of the clip on the lowest layer drawn at t.
std::string lowestDrawnScene(Timeline& timeline, uint32_t t) {
    for (int layer = 0; layer < LAYER_COUNT; layer++) {
        Clip* clip = timeline.compositor.layerClip(layer);
        if (clip && t < clip->start + clip->duration) return clip->effect->name();
    }
    return kNoClipDrawn;
}

// One frame's cost: wall time, CPU time of the main thread and of the whole process.
struct FrameCost {
    double wallMs, mainCpuMs, totalCpuMs;
};

// Measures from construction to stop().
class FrameTimer {
  public:
    FrameTimer() { restart(); }
    void restart() {
        wall = Clock::now();
        mainCpu = qorThreadCpuMs();
        totalCpu = processCpuMs();
    }
    FrameCost stop() const {
        return {millisecondsSince(wall), qorThreadCpuMs() - mainCpu, processCpuMs() - totalCpu};
    }

  private:
    Clock::time_point wall;
    double mainCpu = 0, totalCpu = 0;
};

// CPU time used up to the first frame with a clip, in ms.
struct FirstFrameCpu {
    double processMs = -1, mainThreadMs = -1, decodingThreadsMs = 0;
};

struct SceneFrames {
    std::vector<FrameCost> frames; // in the order drawn; catch-up frames included
};

std::vector<double> column(const std::vector<FrameCost>& frames, double FrameCost::*field) {
    std::vector<double> values;
    for (const FrameCost& frame : frames)
        values.push_back(frame.*field);
    return values;
}

void printHeader() {
    printf("| %-28s | %6s | %8s | %8s | %7s | %7s | %8s | %8s | %7s | %8s | %8s | %7s | %11s |\n",
           "scene (lowest layer drawn)", "frames", "med ms", "p99 ms", "med/emp", "p99/emp",
           "main CPU", "all CPU", "CPU/emp", "first ms", "max ms", "max/med", "CPU max/med");
    printf("|------------------------------|--------|----------|----------|---------|---------|"
           "----------|----------|---------|----------|----------|---------|-------------|\n");
}

// The empty frame's medians, the unit of the ratio columns.
struct EmptyFrame {
    double wallMs, totalCpuMs;
};

// Median and p99 wall time and their ratios to the empty frame, median CPU times (main thread,
// whole process) and the latter's ratio, the first frame and the worst one, and the worst
// frame's CPU time over the median (steadier than wall time on a busy machine).
void printRow(const std::string& name, const std::vector<FrameCost>& frames, EmptyFrame empty) {
    std::vector<double> wall = column(frames, &FrameCost::wallMs);
    double median = percentile(wall, 0.5), high = percentile(wall, 0.99);
    double worst = *std::max_element(wall.begin(), wall.end());
    std::vector<double> cpu = column(frames, &FrameCost::totalCpuMs);
    double totalCpu = percentile(cpu, 0.5);
    double worstCpu = *std::max_element(cpu.begin(), cpu.end());
    printf("| %-28s | %6zu | %8.1f | %8.1f | %7.2f | %7.2f | %8.1f | %8.1f | %7.2f | %8.1f | "
           "%8.1f | %7.2f | %11.2f |\n",
           name.c_str(), frames.size(), median, high, median / empty.wallMs, high / empty.wallMs,
           percentile(column(frames, &FrameCost::mainCpuMs), 0.5), totalCpu,
           totalCpu / empty.totalCpuMs, wall.front(), worst, worst / median, worstCpu / totalCpu);
}

bool parseArguments(int argc, char** argv, CaptureOptions& options, double& scale, bool& cold) {
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i];
        if (option == "--cold") {
            cold = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        if (option == "--fps")
            options.framesPerSecond = atoi(value.c_str());
        else if (option == "--from" && parseTime(value, kCommandLineTime, &options.fromMs, nullptr))
            continue;
        else if (option == "--to" && parseTime(value, kCommandLineTime, &options.toMs, nullptr))
            continue;
        else if (option == "--timeline")
            options.timelinePath = value;
        else if (option == "--scale")
            scale = atof(value.c_str());
        else
            return false;
    }
    return options.framesPerSecond >= 1 && options.framesPerSecond <= 1000 &&
           options.fromMs < options.toMs && options.toMs <= kRunTimeMs && scale >= 0.25 &&
           scale <= 1;
}

// What the first frame cost. The CPU figures are the whole process's (Mesa's rasterizer threads
// and the picture decoding threads included) up to the frame; the music's decoding for the
// spectrum is the benchmark's own work, which the demo does not do: the last figure leaves it out.
void printStartUp(double firstFrameSeconds, const FirstFrameCpu& cpu, const QorLoadStats& before,
                  double musicCpuMs) {
    const QorLoadStats& all = qorLoadStats();
    printf("\nstart-up: process start to the first frame with a clip shown %.2f s, %.0f ms of CPU "
           "(main thread %.0f ms, picture decoding threads %.0f ms)\n",
           firstFrameSeconds, cpu.processMs, cpu.mainThreadMs, cpu.decodingThreadsMs);
    printf("  without the music's decoding for the spectrum (%.0f ms, the benchmark's own work): "
           "%.0f ms of CPU\n",
           musicCpuMs, cpu.processMs - musicCpuMs);
    printf("                      before it       after it, between and in frames\n");
    printf("  pictures decoded:  %4d  %7.0f ms CPU   %4d  %7.0f ms CPU\n", before.picturesDecoded,
           before.decodeCpuMs, all.picturesDecoded - before.picturesDecoded,
           all.decodeCpuMs - before.decodeCpuMs);
    printf("  textures uploaded: %4d  %7.0f ms CPU   %4d  %7.0f ms CPU (main thread)\n",
           before.picturesUploaded, before.uploadCpuMs,
           all.picturesUploaded - before.picturesUploaded, all.uploadCpuMs - before.uploadCpuMs);
    printf("  programs built:    %4d  %7.0f ms CPU   %4d  %7.0f ms CPU (main thread)\n",
           before.programsBuilt, before.programCpuMs, all.programsBuilt - before.programsBuilt,
           all.programCpuMs - before.programCpuMs);
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    CaptureOptions options;
    double scale = 1;
    bool cold = false;
    if (!parseArguments(argc, argv, options, scale, cold)) {
        fprintf(stderr, "usage: frame_bench [--fps N] [--from T] [--to T] [--timeline FILE] "
                        "[--scale S] [--cold]\n");
        return 2;
    }
    if (cold) setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    SessionSettings settings{options.timelinePath, options.musicPath};
    settings.renderWidth = int(std::lround(kScreenWidth * scale));
    settings.renderHeight = int(std::lround(kScreenHeight * scale));
    ProductionSession session(settings);
    Compositor empty; // no clip ever lands on its layers: composing it clears nothing, copies
    std::vector<uint32_t> times = captureFrameTimes(options);
    std::map<std::string, SceneFrames> scenes;
    std::vector<FrameCost> emptyFrames, allFrames;
    double firstFrameSeconds = -1;
    FirstFrameCpu firstFrameCpu;
    QorLoadStats beforeFirstFrame;
    ProgressLine progress(true);
    Clock::time_point started = Clock::now();
    FrameTimer timer;
    auto record = [&](uint32_t t) {
        glFinish();
        FrameCost cost = timer.stop();
        std::string scene = lowestDrawnScene(session.timeline(), t);
        if (firstFrameSeconds < 0 && scene != kNoClipDrawn) {
            firstFrameSeconds = processAgeSeconds();
            firstFrameCpu = {processCpuMs(), qorThreadCpuMs(), qorDecodingThreadsCpuMs()};
            beforeFirstFrame = qorLoadStats();
        }
        scenes[scene].frames.push_back(cost);
        allFrames.push_back(cost);
        timer.restart();
    };
    for (size_t i = 0; i < times.size(); i++) {
        timer.restart();
        session.catchUp(times[i], record);
        session.draw(times[i]);
        session.present();
        record(times[i]);

        timer.restart();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        empty.compose(times[i]);
        session.present();
        glFinish();
        emptyFrames.push_back(timer.stop());
        progress.update(int(i + 1), int(times.size()), millisecondsSince(started) / 1000);
    }
    progress.finish();

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    printf("\nframe times at %d x %d, %d frames per second from %.3f s to %.3f s, %s shader "
           "cache, on %s\n\n",
           settings.renderWidth, settings.renderHeight, options.framesPerSecond,
           options.fromMs / 1000.0, options.toMs / 1000.0, cold ? "no" : "with the",
           renderer ? renderer : "an unknown");
    EmptyFrame emptyMedian = {percentile(column(emptyFrames, &FrameCost::wallMs), 0.5),
                              percentile(column(emptyFrames, &FrameCost::totalCpuMs), 0.5)};
    printHeader();
    for (const auto& [scene, frames] : scenes)
        printRow(scene, frames.frames, emptyMedian);
    printRow("all frames", allFrames, emptyMedian);
    printRow("empty frame (clear, copy)", emptyFrames, emptyMedian);
    // The production's own frame rate, empty frames left out: what lirv-capture's rate at the
    // same settings compares with.
    double frameMs = 0;
    for (const FrameCost& cost : allFrames)
        frameMs += cost.wallMs;
    printf("\n%zu frames drawn in %.2f s: %.1f frames per second\n", allFrames.size(),
           frameMs / 1000, frameMs > 0 ? double(allFrames.size()) * 1000 / frameMs : 0.0);
    printStartUp(firstFrameSeconds, firstFrameCpu, beforeFirstFrame, session.musicDecodeCpuMs());
    return 0;
}
