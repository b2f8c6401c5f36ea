#include "tools/capture/options.h"

#include "production/time_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTimeForms = " (write 12.5, 1:30.5, 1500ms or bar 16:2)";

bool parseWhole(const std::string& text, long minValue, long maxValue, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < minValue || parsed > maxValue) return false;
    value = parsed;
    return true;
}

// Splits "a,b,c" into its non-empty parts.
std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t comma = text.find(',', begin);
        if (comma == std::string::npos) comma = text.size();
        parts.push_back(text.substr(begin, comma - begin));
        begin = comma + 1;
    }
    return parts;
}

struct Parser {
    const std::vector<std::string>& args;
    size_t index;
    std::string& problem;

    // The value after option args[index]; false (with the problem) when there is none.
    bool value(std::string& out) {
        if (index + 1 >= args.size()) {
            problem = "option " + args[index] + " needs a value";
            return false;
        }
        out = args[++index];
        return true;
    }

    // The value after an output option, or the default when the next argument is another
    // option or there is none.
    void pathOr(const char* fallback, std::string& out) {
        bool given = index + 1 < args.size() && args[index + 1].compare(0, 2, "--") != 0;
        out = given ? args[++index] : fallback;
    }

    // "WIDTHxHEIGHT", both even (the video's colour format halves them) and within 16K.
    bool size(int& width, int& height) {
        std::string text;
        if (!value(text)) return false;
        size_t x = text.find('x');
        long w = 0, h = 0;
        if (x != std::string::npos && parseWhole(text.substr(0, x), 16, 15360, w) &&
            parseWhole(text.substr(x + 1), 16, 8640, h) && w % 2 == 0 && h % 2 == 0) {
            width = int(w);
            height = int(h);
            return true;
        }
        problem = "option --size: '" + text +
                  "' is not a video size like 1920x1080 (even numbers, 16 to 15360 by 16 to 8640)";
        return false;
    }

    // A time; a range's ends may lie past the production, checked with the range.
    bool time(uint32_t& ms, bool rangeEnd = false) {
        std::string text;
        if (!value(text)) return false;
        std::string why;
        if (rangeEnd ? parseTime(text, kCommandLineTime, &ms, &why)
                     : parseCaptureTime(text, ms, &why))
            return true;
        problem = "option " + args[index - 1] + ": " + why + kTimeForms;
        return false;
    }

    bool whole(long minValue, long maxValue, int& out) {
        std::string text;
        long parsed = 0;
        if (!value(text)) return false;
        if (parseWhole(text, minValue, maxValue, parsed)) {
            out = int(parsed);
            return true;
        }
        problem = "option " + args[index - 1] + ": '" + text + "' is not a whole number from " +
                  std::to_string(minValue) + " to " + std::to_string(maxValue);
        return false;
    }

    bool timeList(std::vector<uint32_t>& times) {
        std::string text;
        if (!value(text)) return false;
        for (const std::string& part : splitList(text)) {
            uint32_t ms = 0;
            std::string why;
            if (!parseCaptureTime(part, ms, &why)) {
                problem = "option --times: " + why + kTimeForms;
                return false;
            }
            times.push_back(ms);
        }
        return true;
    }
};

bool checkChoices(CaptureOptions& options, bool rangeGiven, std::string& problem) {
    if (options.help) return true;
    bool frames = !options.pngFolder.empty() || !options.videoPath.empty();
    bool sheet = !options.contactSheetPath.empty();
    if (!frames && !sheet) {
        problem = "nothing to write: give --out, --video or --contact-sheet";
        return false;
    }
    if (sheet && frames) {
        problem = "--contact-sheet makes its own frames; use it without --out and --video";
        return false;
    }
    if (!options.singleTimesMs.empty()) {
        if (rangeGiven) {
            problem = "--times and --from/--to exclude each other";
            return false;
        }
        if (!options.videoPath.empty() || sheet) {
            problem = "--times captures single pictures; a video or contact sheet needs a range";
            return false;
        }
        std::sort(options.singleTimesMs.begin(), options.singleTimesMs.end());
        options.singleTimesMs.erase(
            std::unique(options.singleTimesMs.begin(), options.singleTimesMs.end()),
            options.singleTimesMs.end());
    }
    if (!checkPlayRange(options.fromMs, options.toMs, problem, options.rangeNote)) return false;
    if (sheet) {
        uint64_t tiles = contactSheetTimes(options).size();
        uint64_t tileArea = uint64_t(kCaptureWidth / options.contactScale) *
                            (kCaptureHeight / options.contactScale);
        if (tiles * tileArea > kMaxContactSheetPixels) {
            problem = "a contact sheet of " + std::to_string(tiles) +
                      " tiles is too large; choose a longer --every or a larger --scale";
            return false;
        }
    }
    return true;
}

} // namespace

bool parseCaptureTime(const std::string& text, uint32_t& ms, std::string* problem) {
    uint32_t parsed = 0;
    std::string error;
    if (!parseTime(text, kCommandLineTime, &parsed, &error)) {
        if (problem) *problem = error;
        return false;
    }
    if (parsed > kProductionLengthMs) {
        if (problem)
            *problem = "'" + text + "' is past the end of the production, " +
                       formatClockTime(kProductionLengthMs) + " (139 s)";
        return false;
    }
    ms = parsed;
    return true;
}

bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& options,
                         std::string& problem) {
    Parser parser{args, 0, problem};
    bool rangeGiven = false, sizeGiven = false;
    for (; parser.index < args.size(); parser.index++) {
        const std::string& option = args[parser.index];
        bool ok = true;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--fps") {
            ok = parser.whole(1, 1000, options.framesPerSecond);
        } else if (option == "--from") {
            ok = parser.time(options.fromMs, true);
            rangeGiven = true;
        } else if (option == "--to") {
            ok = parser.time(options.toMs, true);
            rangeGiven = true;
        } else if (option == "--times") {
            ok = parser.timeList(options.singleTimesMs);
        } else if (option == "--out") {
            parser.pathOr(kDefaultFramesFolder, options.pngFolder);
        } else if (option == "--video") {
            parser.pathOr(kDefaultVideoPath, options.videoPath);
        } else if (option == "--contact-sheet") {
            parser.pathOr(kDefaultContactSheetPath, options.contactSheetPath);
        } else if (option == "--size") {
            ok = parser.size(options.videoWidth, options.videoHeight);
            sizeGiven = true;
        } else if (option == "--silent") {
            options.silent = true;
        } else if (option == "--every") {
            ok = parser.time(options.contactEveryMs);
            if (ok && options.contactEveryMs == 0) {
                problem = "option --every: the interval must be longer than 0";
                ok = false;
            }
        } else if (option == "--columns") {
            ok = parser.whole(1, 64, options.contactColumns);
        } else if (option == "--scale") {
            ok = parser.whole(1, 16, options.contactScale);
        } else if (option == "--timeline") {
            ok = parser.value(options.timelinePath);
        } else if (option == "--music") {
            ok = parser.value(options.musicPath);
        } else if (option == "--quiet") {
            options.quiet = true;
        } else {
            problem = "unknown option '" + option + "' (see --help)";
            ok = false;
        }
        if (!ok) return false;
    }
    if (!options.help && (sizeGiven || options.silent) && options.videoPath.empty()) {
        problem = std::string(sizeGiven ? "--size" : "--silent") +
                  " is about the video; use it with --video";
        return false;
    }
    return checkChoices(options, rangeGiven, problem);
}

std::vector<uint32_t> captureFrameTimes(const CaptureOptions& options) {
    if (!options.singleTimesMs.empty()) return options.singleTimesMs;
    std::vector<uint32_t> times;
    for (uint64_t i = 0;; i++) {
        uint64_t t = options.fromMs + i * 1000 / uint64_t(options.framesPerSecond);
        if (t >= options.toMs) break;
        times.push_back(uint32_t(t));
    }
    return times;
}

std::vector<uint32_t> contactSheetTimes(const CaptureOptions& options) {
    std::vector<uint32_t> times;
    for (uint64_t t = options.fromMs; t < options.toMs; t += options.contactEveryMs)
        times.push_back(uint32_t(t));
    return times;
}

bool checkTimelineFile(const CaptureOptions& options, std::string& problem) {
    FILE* file = fopen(options.timelinePath.c_str(), "rb");
    if (!file) {
        problem = options.timelinePath + ": cannot open the timeline: " + strerror(errno);
        return false;
    }
    fclose(file);
    return true;
}

std::string describeCapture(const CaptureOptions& options) {
    size_t frames = captureFrameTimes(options).size();
    char line[160];
    if (options.singleTimesMs.empty())
        snprintf(line, sizeof line, "%zu frames from %.3f s to %.3f s at %d fps", frames,
                 options.fromMs / 1000.0, options.toMs / 1000.0, options.framesPerSecond);
    else
        snprintf(line, sizeof line, "%zu single frames", frames);
    std::string text = line;
    if (!options.pngFolder.empty()) text += ", PNG files in " + options.pngFolder + "/";
    if (!options.videoPath.empty()) {
        text += ", video " + options.videoPath + " (" + std::to_string(options.videoWidth) + "x" +
                std::to_string(options.videoHeight) + (options.silent ? ", silent)" : ")");
    }
    return text;
}

const char* captureUsage() {
    return "usage: lirv-capture [OPTIONS]\n"
           "\n"
           "Renders the production offline, frame by frame, from data/ in the working\n"
           "directory, in a 1024 x 768 window. The clock that scenes read and the music\n"
           "spectrum follow the rendered time, not the wall clock: the decoded music is fed\n"
           "through the demo's analysis in 512-frame blocks up to each frame's time, so two\n"
           "captures of the same checkout give identical frames.\n"
           "\n"
           "Times, from 0 to 139 s (2:19), are written as seconds (12.5 or 12.5s),\n"
           "minutes:seconds (1:30 or 2:05.5), milliseconds (1500ms) or bars and beats of\n"
           "the music, counted from 0 at 100 beats per minute in 4/4 (bar 16 = 38.4 s,\n"
           "bar 16:2 = 39.6 s, bar 16:2.5). The contact sheet's captions are m:ss.s.\n"
           "\n"
           "What to render:\n"
           "  --fps N              frames per second over the range (default 30)\n"
           "  --from T, --to T     the range, end excluded (default 0 to 139 s)\n"
           "  --times T,T,...      single times instead of a range. The timeline starts at\n"
           "                       most one clip per frame, so before each requested time\n"
           "                       every clip due by then is started by an extra frame at\n"
           "                       its own start time, rendered but not written: the picture\n"
           "                       shows every clip that should be on screen, while effects\n"
           "                       that accumulate from frame to frame (the tunnel's scroll)\n"
           "                       have seen fewer frames than in a full capture.\n"
           "\n"
           "Where frames go (--out and --video may be combined; given without a path,\n"
           "each writes into out/, which git ignores):\n"
           "  --out [DIR]          PNG files: DIR/frame-00000.png ... for a range,\n"
           "                       DIR/t012500.png (time in ms) for single times\n"
           "                       (default out/frames)\n"
           "  --video [FILE]       H.264 video with the music as AAC, ready for upload: the\n"
           "                       index at the front (+faststart), the music from the\n"
           "                       first frame on, fading out over the last 2 s. Made by\n"
           "                       piping the frames to ffmpeg, which must be on the PATH\n"
           "                       (default out/lirv.mp4). A full capture takes long: the\n"
           "                       estimated time is shown after the first frames.\n"
           "  --size WxH           the video's size, e.g. 1920x1080: frames are rendered at\n"
           "                       1024 x 768 and scaled to fit between black bars\n"
           "  --silent             a video without sound; without it a missing music file\n"
           "                       is an error\n"
           "  --contact-sheet [FILE] one PNG of tiles, one frame every --every seconds\n"
           "                       (default out/contact-sheet.png)\n"
           "  --every T            contact-sheet interval (default 5 s)\n"
           "  --columns N          contact-sheet tiles per row (default 6)\n"
           "  --scale N            contact-sheet tiles are frames shrunk N times (default 4)\n"
           "\n"
           "Other:\n"
           "  --timeline FILE      timeline to play (default data/time)\n"
           "  --music FILE         music to analyse and put in the video\n"
           "                       (default data/morvane-quelfin.ogg)\n"
           "  --quiet              no progress line\n"
           "  --help               this text\n";
}
