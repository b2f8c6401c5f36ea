// lirv-preview's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PreviewOptions {
    uint32_t fromMs = 0;
    uint32_t toMs = 0; // exclusive; 0 until parsed: the production's end
    bool loop = false;
    bool fullscreen = false;
    bool hud = true;
    bool paused = false; // start paused at --from
    bool help = false;
    double scale = 1; // render size / window size, 0.25 to 1
    std::string timelineText = "content/timeline.txt";
    std::string shaderFolder = "content/shaders";
    std::string shotFolder = "."; // where F12 writes screenshots
    std::string rangeNote;        // for the console: a --to past the end was clamped
};

// Reads the arguments after the program name. False with a one-line problem that names the
// option and quotes the value.
bool parsePreviewOptions(const std::vector<std::string>& args, PreviewOptions& options,
                         std::string& problem);

const char* previewUsage();
