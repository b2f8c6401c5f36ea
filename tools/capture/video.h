// A video file made by ffmpeg from raw frames piped to its standard input: H.264 picture and
// the music as AAC, starting at the capture's first time.
#pragma once

#include "tools/pictures/picture_io.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct VideoSettings {
    std::string outputPath;
    std::string musicPath; // empty or missing: a video without sound
    int width = 0;
    int height = 0;
    int framesPerSecond = 30;
    uint32_t startMs = 0; // the music starts this far in
};

// The full path of an executable found on the PATH, or empty.
std::string findOnPath(const std::string& name);

// The ffmpeg command line (program path first) for the settings.
std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const VideoSettings& settings);

class VideoPipe {
  public:
    VideoPipe() = default;
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;
    ~VideoPipe();

    // Starts ffmpeg from the PATH. False with the problem when ffmpeg is absent or won't start.
    bool open(const VideoSettings& settings, std::string& problem);
    // Sends one RGB frame of the settings' size. False with the problem when ffmpeg has gone.
    bool write(const Picture& frame, std::string& problem);
    // Ends the input and waits for ffmpeg. False with the problem unless it exited with 0.
    bool close(std::string& problem);

  private:
    pid_t child = -1;
    int input = -1;
    std::string output;
};
