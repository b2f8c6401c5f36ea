#include "tools/capture/video.h"

#include "tools/capture/child_process.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::string findOnPath(const std::string& name) {
    const char* path = getenv("PATH");
    if (!path) return {};
    std::string folders = path;
    size_t begin = 0;
    while (begin <= folders.size()) {
        size_t colon = folders.find(':', begin);
        if (colon == std::string::npos) colon = folders.size();
        std::string folder = folders.substr(begin, colon - begin);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = colon + 1;
    }
    return {};
}

VideoSettings videoSettings(const CaptureOptions& options) {
    VideoSettings settings;
    settings.outputPath = options.videoPath;
    settings.musicPath = options.silent ? "" : options.musicPath;
    settings.width = kCaptureWidth;
    settings.height = kCaptureHeight;
    settings.framesPerSecond = options.framesPerSecond;
    settings.startMs = options.fromMs;
    std::vector<uint32_t> times = captureFrameTimes(options);
    settings.durationMs = uint32_t(uint64_t(times.size()) * 1000 / options.framesPerSecond);
    settings.videoWidth = options.videoWidth;
    settings.videoHeight = options.videoHeight;
    return settings;
}

bool checkVideoInputs(const CaptureOptions& options, std::string& problem) {
    if (findOnPath("ffmpeg").empty()) {
        problem = "--video needs ffmpeg on the PATH, and none was found";
        return false;
    }
    if (findOnPath("ffprobe").empty()) {
        problem = "--video needs ffprobe (it comes with ffmpeg) on the PATH to check the video, "
                  "and none was found";
        return false;
    }
    if (!options.silent && access(options.musicPath.c_str(), R_OK) != 0) {
        problem = options.musicPath + ": cannot read the music for the video (" + strerror(errno) +
                  "); give --silent for a video without sound";
        return false;
    }
    return true;
}

uint32_t musicFadeOutMs(uint32_t durationMs) {
    return durationMs / 3 < 2000 ? durationMs / 3 : 2000;
}

namespace {

std::string secondsText(uint32_t ms) {
    char text[32];
    snprintf(text, sizeof text, "%u.%03u", ms / 1000, ms % 1000);
    return text;
}

// Scales the frames to fit the video's size, keeping their shape, and pads with black.
std::string fitFilter(int width, int height) {
    char filter[200];
    snprintf(filter, sizeof filter,
             "scale=%d:%d:force_original_aspect_ratio=decrease:flags=lanczos,"
             "pad=%d:%d:(ow-iw)/2:(oh-ih)/2:black,setsar=1",
             width, height, width, height);
    return filter;
}

} // namespace

std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const VideoSettings& settings) {
    char size[32];
    snprintf(size, sizeof size, "%dx%d", settings.width, settings.height);
    std::string duration = secondsText(settings.durationMs);
    std::vector<std::string> args = {
        ffmpeg,        "-y",       "-loglevel",  "error",
        "-f",          "rawvideo", "-pix_fmt",   "rgb24",
        "-video_size", size,       "-framerate", std::to_string(settings.framesPerSecond),
        "-i",          "pipe:0"};
    bool withMusic = !settings.musicPath.empty();
    if (withMusic)
        args.insert(args.end(), {"-ss", secondsText(settings.startMs), "-t", duration, "-i",
                                 settings.musicPath});
    args.insert(args.end(), {"-map", "0:v"});
    bool scaled = settings.videoWidth > 0 && (settings.videoWidth != settings.width ||
                                              settings.videoHeight != settings.height);
    if (scaled)
        args.insert(args.end(), {"-vf", fitFilter(settings.videoWidth, settings.videoHeight)});
    args.insert(args.end(),
                {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf", "18", "-preset", "veryfast"});
    if (withMusic) {
        uint32_t fade = musicFadeOutMs(settings.durationMs);
        std::string fadeFilter =
            "afade=t=out:st=" + secondsText(settings.durationMs - fade) + ":d=" + secondsText(fade);
        args.insert(args.end(), {"-map", "1:a", "-af", fadeFilter, "-c:a", "aac", "-b:a", "192k"});
    }
    args.insert(args.end(),
                {"-t", duration, "-shortest", "-movflags", "+faststart", settings.outputPath});
    return args;
}

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

// The value of the entry "name=value" ffprobe printed, or empty.
std::string probeEntry(const std::string& printed, const std::string& name) {
    for (const std::string& line : splitLines(printed))
        if (line.compare(0, name.size() + 1, name + "=") == 0) return line.substr(name.size() + 1);
    return {};
}

// The first line ffprobe printed that is no entry, without its "[mov,mp4 @ 0x...] ".
std::string probeComplaint(const std::string& printed) {
    for (std::string line : splitLines(printed)) {
        if (line.empty() || line.find('=') != std::string::npos) continue;
        size_t tag = line[0] == '[' ? line.find("] ") : std::string::npos;
        return tag == std::string::npos ? line : line.substr(tag + 2);
    }
    return "ffprobe finds no video stream in it";
}

} // namespace

bool checkVideoFile(const std::string& file, const std::string& shownName, size_t frames,
                    int framesPerSecond, std::string& problem) {
    std::string printed;
    int status =
        runForOutput({findOnPath("ffprobe"), "-v", "error", "-count_packets", "-select_streams",
                      "v:0", "-show_entries", "stream=nb_read_packets,duration", "-of",
                      "default=noprint_wrappers=1", file},
                     printed);
    std::string packets = probeEntry(printed, "nb_read_packets");
    if (status != 0 || packets.empty() || packets == "N/A") {
        problem = shownName + ": ffmpeg left no playable video: " + probeComplaint(printed);
        return false;
    }
    if (packets != std::to_string(frames)) {
        problem = shownName + ": the video holds " + packets + " frames, not the " +
                  std::to_string(frames) + " rendered";
        return false;
    }
    char* end = nullptr;
    std::string duration = probeEntry(printed, "duration");
    double seconds = strtod(duration.c_str(), &end), expected = double(frames) / framesPerSecond;
    if (!duration.empty() && *end == '\0' &&
        std::fabs(seconds - expected) > 0.5 / framesPerSecond) {
        char rendered[32];
        snprintf(rendered, sizeof rendered, "%.3f", expected);
        problem =
            shownName + ": the video lasts " + duration + " s, not the " + rendered + " s rendered";
        return false;
    }
    return true;
}

// Without a finish the video is abandoned: ffmpeg is let go and its file removed.
VideoPipe::~VideoPipe() {
    if (input >= 0) ::close(input);
    if (child > 0) waitForChild(child);
}

bool VideoPipe::open(const VideoSettings& settings, std::string& problem) {
    std::string ffmpeg = findOnPath("ffmpeg");
    if (ffmpeg.empty()) {
        problem = "--video needs ffmpeg on the PATH, and none was found";
        return false;
    }
    // ffmpeg writes a temporary file beside the video, which takes the video's place once it
    // is checked.
    file = std::make_unique<formats::TemporaryFile>(settings.outputPath);
    VideoSettings temporary = settings;
    temporary.outputPath = file->path();
    int fds[2];
    if (pipe(fds) != 0) {
        problem = std::string("cannot make a pipe for ffmpeg: ") + strerror(errno);
        return false;
    }
    // A write to an ffmpeg that has quit must come back as EPIPE, not end this process.
    signal(SIGPIPE, SIG_IGN);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC); // ffmpeg must not hold its own input open
    child = startChild(ffmpegArguments(ffmpeg, temporary), fds[0], -1);
    ::close(fds[0]);
    if (child < 0) {
        problem = std::string("cannot start ffmpeg: ") + strerror(errno);
        ::close(fds[1]);
        return false;
    }
    input = fds[1];
    output = settings.outputPath;
    framesPerSecond = settings.framesPerSecond;
    return true;
}

bool VideoPipe::write(const Picture& frame, std::string& problem) {
    const uint8_t* bytes = frame.pixels.data();
    size_t left = frame.pixels.size();
    while (left > 0) {
        ssize_t written = ::write(input, bytes, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            problem = "ffmpeg stopped taking frames for " + output;
            return false;
        }
        bytes += written;
        left -= size_t(written);
    }
    return true;
}

bool VideoPipe::finish(size_t frames, std::string& problem) {
    if (input >= 0) ::close(input);
    input = -1;
    if (child <= 0) return false;
    int status = waitForChild(child);
    child = -1;
    if (status != 0) {
        problem = status > 0
                      ? "ffmpeg failed on " + output + " with status " + std::to_string(status)
                      : "ffmpeg was killed while writing " + output;
        return false;
    }
    return checkVideoFile(file->path(), output, frames, framesPerSecond, problem) &&
           file->commit(&problem);
}
