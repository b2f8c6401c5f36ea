// A video file made by ffmpeg from raw frames piped to its standard input: H.264 picture and
// the music as AAC, starting at the capture's first time and fading out at its end, ready for
// upload (the index at the front of the file, frames scaled with black bars to the asked size).
#pragma once

#include "tools/capture/options.h"
#include "tools/formats/file_writer.h"
#include "tools/pictures/picture_io.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

struct VideoSettings {
    std::string outputPath;
    std::string musicPath; // empty: a video without sound
    int width = 0;         // of the frames piped in
    int height = 0;
    int framesPerSecond = 30;
    uint32_t startMs = 0;    // the music starts this far in
    uint32_t durationMs = 0; // of the video; the music fades out over its last seconds
    int videoWidth = 0;      // of the video; 0: the frames' size. Other sizes scale the
    int videoHeight = 0;     // frames to fit, centred between black bars.
};

// The music's fade-out at the end of a video of this length: 2 s, or a third of a shorter video.
uint32_t musicFadeOutMs(uint32_t durationMs);

// The video settings of a capture: its frames, range, size and music (none with --silent).
VideoSettings videoSettings(const CaptureOptions& options);

// Checks, before the long start-up, what a video needs: ffmpeg and ffprobe on the PATH and,
// unless the capture is silent, a readable music file. False with the problem naming what is
// missing.
bool checkVideoInputs(const CaptureOptions& options, std::string& problem);

// The full path of an executable found on the PATH, or empty.
std::string findOnPath(const std::string& name);

// The ffmpeg command line (program path first) for the settings.
std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const VideoSettings& settings);

// Checks with ffprobe that a video file is whole: its index readable and its picture holding
// the frames, lasting frames / framesPerSecond. False with a problem naming shownName and the
// reason otherwise.
bool checkVideoFile(const std::string& file, const std::string& shownName, size_t frames,
                    int framesPerSecond, std::string& problem);

// The video is written whole or not at all: ffmpeg writes a temporary file beside it, which
// replaces it only after finish has checked it.
class VideoPipe {
  public:
    VideoPipe() = default;
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;
    ~VideoPipe(); // without a finish: lets ffmpeg end and removes its file

    // Starts ffmpeg from the PATH in its own process group (a Ctrl-C reaches only the capture).
    // False with the problem when ffmpeg is absent or won't start.
    bool open(const VideoSettings& settings, std::string& problem);
    // Sends one RGB frame of the settings' size. False with the problem when ffmpeg has gone.
    bool write(const Picture& frame, std::string& problem);
    // Ends the input, waits for ffmpeg and checks that the file holds the frames written, then
    // puts it in the video's place. False with the problem naming the video otherwise, when
    // the video's old file, if any, stays as it was.
    bool finish(size_t frames, std::string& problem);

  private:
    pid_t child = -1;
    int input = -1;
    std::string output;
    int framesPerSecond = 30;
    std::unique_ptr<formats::TemporaryFile> file;
};
