// 8-bit pictures in memory and their PNG and JPG files, as the demo's texture loader reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture with 3 (RGB) or 4 (RGBA, straight alpha) bytes per pixel, rows tightly packed,
// top row first.
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* pixel(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * width + x) * channels];
    }
};

// Writes a 24-bit (RGB) or 32-bit (RGBA) PNG. Returns false and prints a line naming the file
// and the problem on failure. The same picture always gives the same bytes.
bool writePng(const std::string& path, const Picture& picture);

// As writePng, at the fastest compression (larger files, the same pixels): for frames written
// while rendering.
bool writeFastPng(const std::string& path, const Picture& picture);

// Writes a baseline 24-bit JPG of an RGB picture at the given quality (1 to 100). Returns false
// and prints a line naming the file and the problem on failure.
bool writeJpg(const std::string& path, const Picture& picture, int quality);

// Reads a PNG as 8-bit RGB or RGBA (whichever the file holds, grey widened to RGB). Returns
// false and fills `error` on failure.
bool readPng(const std::string& path, Picture& picture, std::string& error);

// Reads a JPG as 8-bit RGB. Returns false and fills `error` on failure.
bool readJpg(const std::string& path, Picture& picture, std::string& error);
