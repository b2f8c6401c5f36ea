// lirv-capture: renders the production offline into PNG frames, a video or a contact sheet.
#include "production/session.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/frame_read.h"
#include "tools/capture/frame_writer.h"
#include "tools/capture/options.h"
#include "tools/capture/progress.h"
#include "tools/capture/stop.h"
#include "tools/capture/video.h"
#include "tools/pictures/system_font.h"

#include "engine/window.h"

#include <SDL.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Creates the folder (and its parents) unless it exists.
bool makeFolder(const std::string& path, std::string& problem) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            problem = part + ": cannot create the folder: " + strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = path + ": not a folder";
        return false;
    }
    return true;
}

// The folder a file lies in; "." for a bare name.
std::string parentFolder(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string framePath(const CaptureOptions& options, size_t index, uint32_t t) {
    char name[32];
    if (options.singleTimesMs.empty())
        snprintf(name, sizeof name, "/frame-%05zu.png", index);
    else
        snprintf(name, sizeof name, "/t%06u.png", unsigned(t));
    return options.pngFolder + name;
}

// Renders the times in order and hands each frame, read back through pixel buffer objects one
// frame late so that the read overlaps the next frame's rendering, to take with its index,
// with a progress line. Stops at the first nonzero status take returns, and returns it. A stop
// signal ends the rendering after the frame in hand, which is still taken. rendered counts the
// frames rendered; spare gives a picture to read into (its pixels are reused when it has some).
int renderEach(ProductionSession& session, const std::vector<uint32_t>& times, bool quiet,
               const std::function<int(size_t, Picture&&)>& take,
               const std::function<Picture()>& spare, size_t& rendered) {
    ProgressLine progress(!quiet);
    auto started = std::chrono::steady_clock::now();
    FrameReader reader;
    rendered = times.size();
    for (size_t i = 0; i <= rendered; i++) {
        if (i < rendered && stopSignal()) rendered = i;
        if (i < rendered) {
            session.renderFrame(times[i]);
            reader.request();
            session.present();
        }
        Picture frame = spare();
        if (i > 0 && reader.fetch(frame)) {
            if (int status = take(i - 1, std::move(frame))) return status;
            progress.update(int(i), int(times.size()), secondsSince(started));
        }
    }
    progress.finish();
    if (rendered < times.size())
        fprintf(stderr, "lirv-capture: %s: stopped after %zu of %zu frames, finishing them\n",
                stopSignalName(stopSignal()), rendered, times.size());
    return 0;
}

// What a stopped capture leaves: the first frames in the PNG folder and the video.
std::string describeWritten(const CaptureOptions& options, size_t frames) {
    if (frames == 0) return "nothing is written";
    std::string text = frames == 1 ? "the first frame is written"
                                   : "the first " + std::to_string(frames) + " frames are written";
    if (!options.pngFolder.empty()) text += " to " + options.pngFolder + "/";
    if (!options.videoPath.empty())
        text += (options.pngFolder.empty() ? " to " : " and ") + options.videoPath;
    return text;
}

int fail(const std::string& problem) {
    fprintf(stderr, "lirv-capture: %s\n", problem.c_str());
    return 1;
}

int captureFrames(const CaptureOptions& options) {
    std::string problem;
    if (!options.pngFolder.empty() && !makeFolder(options.pngFolder, problem)) return fail(problem);
    if (!options.videoPath.empty() && (!checkVideoInputs(options, problem) ||
                                       !makeFolder(parentFolder(options.videoPath), problem)))
        return fail(problem);

    ProductionSession session(options.timelinePath, options.musicPath);
    std::vector<uint32_t> times = captureFrameTimes(options);
    VideoPipe video;
    if (!options.videoPath.empty() && !video.open(videoSettings(options), problem))
        return fail(problem);
    printf("lirv-capture: %s\n", describeCapture(options).c_str());
    // PNG encoding and the video pipe run on the writer's thread, in frame order.
    FrameWriter writer([&](size_t i, const Picture& frame) {
        std::string writeProblem;
        if (!options.pngFolder.empty() && !writeFastPng(framePath(options, i, times[i]), frame))
            return 1;
        if (!options.videoPath.empty() && !video.write(frame, writeProblem))
            return fail(writeProblem);
        return 0;
    });
    size_t rendered = 0;
    int status = renderEach(
        session, times, options.quiet,
        [&](size_t i, Picture&& frame) { return writer.submit(i, std::move(frame)); },
        [&] { return writer.spare(); }, rendered);
    if (status == 0) status = writer.finish();
    if (status != 0) return status;
    // A video stopped before its first frame is abandoned: there is nothing to play.
    if (!options.videoPath.empty() && rendered > 0 && !video.finish(rendered, problem))
        return fail(problem);
    if (int signal = stopSignal()) {
        fprintf(stderr, "lirv-capture: stopped by %s; %s\n", stopSignalName(signal),
                describeWritten(options, rendered).c_str());
        return 128 + signal;
    }
    printf("lirv-capture: %zu frames written\n", times.size());
    return 0;
}

// A tile's caption: its time as minutes, seconds and tenths.
TextLine timeCaption(const SystemFont& fonts, uint32_t t, int tileHeight) {
    char text[32];
    snprintf(text, sizeof text, "%u:%02u.%u", t / 60000, t / 1000 % 60, t / 100 % 10);
    int size = tileHeight / 8 < 10 ? 10 : tileHeight / 8;
    return fonts.line(SystemFace::MonoBold, text, size, 0, size / 4);
}

int captureContactSheet(const CaptureOptions& options) {
    std::string problem;
    if (!makeFolder(parentFolder(options.contactSheetPath), problem)) return fail(problem);
    std::vector<uint32_t> times = contactSheetTimes(options);
    SystemFont fonts;
    std::string fontProblem;
    bool captions = fonts.open(fontProblem);
    if (!captions)
        fprintf(stderr, "lirv-capture: %s; the tiles go without times\n", fontProblem.c_str());
    ProductionSession session(options.timelinePath, options.musicPath);
    ContactSheet sheet(kCaptureWidth, kCaptureHeight, options.contactScale, options.contactColumns,
                       int(times.size()));
    size_t rendered = 0;
    renderEach(
        session, times, options.quiet,
        [&](size_t i, Picture&& frame) {
            if (captions) {
                TextLine caption =
                    timeCaption(fonts, times[i], kCaptureHeight / options.contactScale);
                sheet.add(frame, &caption.mask);
            } else {
                sheet.add(frame);
            }
            return 0;
        },
        [] { return Picture(); }, rendered);
    if (int signal = stopSignal()) {
        fprintf(stderr, "lirv-capture: stopped by %s; no contact sheet written\n",
                stopSignalName(signal));
        return 128 + signal;
    }
    if (!writePng(options.contactSheetPath, sheet.picture())) return 1;
    printf("lirv-capture: contact sheet of %zu tiles written to %s\n", times.size(),
           options.contactSheetPath.c_str());
    return 0;
}

int captureMain(int argc, char** argv) {
    CaptureOptions options;
    std::string problem;
    if (!parseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc), options, problem)) {
        fprintf(stderr, "lirv-capture: %s\n", problem.c_str());
        return 2;
    }
    if (options.help) {
        fputs(captureUsage(), stdout);
        return 0;
    }
    if (!options.rangeNote.empty())
        fprintf(stderr, "lirv-capture: %s\n", options.rangeNote.c_str());
    if (!checkTimelineFile(options, problem)) return fail(problem);
    catchStopSignals();
    if (!options.contactSheetPath.empty()) return captureContactSheet(options);
    return captureFrames(options);
}

} // namespace

// Status lines are line-buffered so that they reach a pipe as they are printed. A model that
// cannot be loaded has printed its messages and thrown an int; that ends the capture with 1.
// The capture plays no sound, so it needs no sound card: SDL's audio runs on its dummy driver
// unless the caller chose one.
int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    int status = 1;
    try {
        status = captureMain(argc, argv);
    } catch (int) {
        status = 1;
    }
    qorSetTickSource(nullptr);
    return status;
}
