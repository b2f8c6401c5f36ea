// lirv-capture's command line: what to render (a frame rate over a time range, or single
// times) and where the frames go (PNG folder, video, contact sheet).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kProductionLengthMs = 139000;
constexpr int kCaptureWidth = 1024;
constexpr int kCaptureHeight = 768;
// A contact sheet holds at most this many pixels (about 300 MB of RGB).
constexpr uint64_t kMaxContactSheetPixels = 100000000;
// Where the outputs go when their option is given without a path: a folder git ignores.
constexpr const char* kDefaultFramesFolder = "out/frames";
constexpr const char* kDefaultVideoPath = "out/lirv.mp4";
constexpr const char* kDefaultContactSheetPath = "out/contact-sheet.png";

struct CaptureOptions {
    int framesPerSecond = 30;
    uint32_t fromMs = 0;
    uint32_t toMs = kProductionLengthMs; // exclusive
    std::vector<uint32_t> singleTimesMs; // non-empty: capture only these times, ascending
    std::string pngFolder;               // empty: no PNG frames
    std::string videoPath;               // empty: no video
    std::string contactSheetPath;        // empty: no contact sheet
    int videoWidth = kCaptureWidth;      // the video's size (--size); frames are scaled to fit
    int videoHeight = kCaptureHeight;
    bool silent = false;            // a video without sound; otherwise the music must be there
    uint32_t contactEveryMs = 5000; // one contact-sheet tile per this many ms
    int contactColumns = 6;
    int contactScale = 4; // tiles are the frame shrunk by this factor
    std::string timelinePath = "data/time";
    std::string musicPath = "data/morvane-quelfin.ogg";
    bool quiet = false; // no progress line
    bool help = false;
    // For the console: a --to past the end was clamped.
    std::string rangeNote;
};

// Parses the arguments after the program name. Returns false with a one-line problem (naming
// the option) for unknown options, missing or malformed values and contradictory choices.
bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& options,
                         std::string& problem);

// Reads a command-line time ("12.5" seconds, "12.5s", "1500ms", "1:30.5" minutes:seconds,
// "bar 16:2") into milliseconds. False, with the problem when asked for, when the text is not
// a time or lies past the end of the production.
bool parseCaptureTime(const std::string& text, uint32_t& ms, std::string* problem = nullptr);

// The times to render, in ascending order: the single times, or one frame per 1/fps second
// from fromMs up to (not including) toMs; frame i lies at fromMs + floor(i * 1000 / fps).
std::vector<uint32_t> captureFrameTimes(const CaptureOptions& options);

// The contact sheet's times: fromMs, fromMs + every, ... below toMs.
std::vector<uint32_t> contactSheetTimes(const CaptureOptions& options);

// Checks that the timeline file can be opened, before the window and the loading: false with a
// problem naming the file otherwise.
bool checkTimelineFile(const CaptureOptions& options, std::string& problem);

// One line saying what the capture will write: frame count, range, rate and destinations.
std::string describeCapture(const CaptureOptions& options);

// The help text printed by --help.
const char* captureUsage();
