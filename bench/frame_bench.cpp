// Frame times of the production under the capture's offline playback: every frame of a range at
// a fixed rate, finished with glFinish, grouped by scene (the effect of the lowest layer drawn),
// beside an empty frame (clear and copy only) measured in the same run, and the time from
// process start to the first finished frame.
//
//   frame_bench [--fps N] [--from T] [--to T] [--timeline FILE] [--scale S]
//                                                                   (run where data/ lies)
// --scale renders at S times the size (0.25 to 1), as lirv-preview --scale does.
#include "engine/gl.h"
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

// Seconds since the kernel started this process (10 ms resolution), or -1 when unknown.
double processAgeSeconds() {
    std::ifstream stat("/proc/self/stat"), uptime("/proc/uptime");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    double sinceBoot = 0;
    size_t close = text.rfind(')'); // the command name may hold spaces
    if (close == std::string::npos || !(uptime >> sinceBoot)) return -1;
    // Field 22 (starttime) is the 20th after the state letter that follows the name.
    const char* field = text.c_str() + close + 2;
    for (int i = 0; i < 19 && field; i++) {
        field = strchr(field, ' ');
        if (field) field++;
    }
    if (!field) return -1;
    double startTicks = strtod(field, nullptr);
    return sinceBoot - startTicks / double(sysconf(_SC_CLK_TCK));
}

// The nearest-rank percentile of unsorted samples.
double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    size_t rank = size_t(std::ceil(fraction * double(samples.size())));
    return samples[rank > 0 ? rank - 1 : 0];
}

// The display name of the clip on the lowest layer drawn at t.
std::string lowestDrawnScene(Timeline& timeline, uint32_t t) {
    for (int layer = 0; layer < LAYER_COUNT; layer++) {
        Clip* clip = timeline.compositor.layerClip(layer);
        if (clip && t < clip->start + clip->duration) return clip->effect->name();
    }
    return "(no clip drawn)";
}

void printRow(const std::string& name, const std::vector<double>& times) {
    double median = percentile(times, 0.5), high = percentile(times, 0.99);
    printf("| %-28s | %6zu | %9.1f | %9.1f | %7.1f | %7.1f |\n", name.c_str(), times.size(), median,
           high, 1000 / median, 1000 / high);
}

bool parseArguments(int argc, char** argv, CaptureOptions& options, double& scale) {
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i];
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

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    CaptureOptions options;
    double scale = 1;
    if (!parseArguments(argc, argv, options, scale)) {
        fprintf(stderr, "usage: frame_bench [--fps N] [--from T] [--to T] [--timeline FILE] "
                        "[--scale S]\n");
        return 2;
    }
    SessionSettings settings{options.timelinePath, options.musicPath};
    settings.renderWidth = int(std::lround(kScreenWidth * scale));
    settings.renderHeight = int(std::lround(kScreenHeight * scale));
    ProductionSession session(settings);
    Compositor empty; // no clip ever lands on its layers: composing it clears nothing, copies
    std::vector<uint32_t> times = captureFrameTimes(options);
    std::map<std::string, std::vector<double>> sceneTimes;
    std::vector<double> emptyTimes, allTimes;
    double firstFrameSeconds = -1;
    ProgressLine progress(true);
    Clock::time_point started = Clock::now();
    for (size_t i = 0; i < times.size(); i++) {
        session.catchUp(times[i]);
        glFinish();
        Clock::time_point frameStart = Clock::now();
        session.draw(times[i]);
        glFinish();
        double frameMs = millisecondsSince(frameStart);
        if (firstFrameSeconds < 0) firstFrameSeconds = processAgeSeconds();
        sceneTimes[lowestDrawnScene(session.timeline(), times[i])].push_back(frameMs);
        allTimes.push_back(frameMs);

        Clock::time_point emptyStart = Clock::now();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        empty.compose(times[i]);
        glFinish();
        emptyTimes.push_back(millisecondsSince(emptyStart));
        session.present();
        progress.update(int(i + 1), int(times.size()), millisecondsSince(started) / 1000);
    }
    progress.finish();

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    printf("\nframe times at %d x %d, %d frames per second from %.3f s to %.3f s, on %s\n\n",
           settings.renderWidth, settings.renderHeight, options.framesPerSecond,
           options.fromMs / 1000.0, options.toMs / 1000.0,
           renderer ? renderer : "an unknown renderer");
    printf("| %-28s | %6s | %9s | %9s | %7s | %7s |\n", "scene (lowest layer drawn)", "frames",
           "median ms", "p99 ms", "med fps", "p99 fps");
    printf(
        "|------------------------------|--------|-----------|-----------|---------|---------|\n");
    for (const auto& [scene, sceneMs] : sceneTimes)
        printRow(scene, sceneMs);
    printRow("all frames", allTimes);
    printRow("empty frame (clear, copy)", emptyTimes);
    printf("\nprocess start to first frame: %.2f s\n", firstFrameSeconds);
    return 0;
}
