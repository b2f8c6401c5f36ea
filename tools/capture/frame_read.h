// Reading rendered frames back from the window.
#pragma once

#include "tools/pictures/picture_io.h"

#include <cstddef>
#include <vector>

// Reads the lower-left width x height pixels of the back buffer into an RGB picture, top row
// first.
void readBackBuffer(int width, int height, Picture& frame);

// Reads frames of the production's render size back through two pixel buffer objects, so that
// the copy of one frame overlaps the rendering of the next. GL thread only.
class FrameReader {
  public:
    FrameReader() = default;
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;
    ~FrameReader();

    // Starts reading the back buffer into one of the buffers without waiting for it; fetch
    // hands it over. At most two frames may be pending.
    void request();
    // Copies the oldest requested frame into an RGB picture, top row first; false when none is
    // pending.
    bool fetch(Picture& frame);

  private:
    unsigned buffers[2] = {}; // GL names, made at the first request
    size_t requested = 0, fetched = 0;
};
