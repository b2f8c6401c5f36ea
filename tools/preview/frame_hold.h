// The production's last frame held in a texture, so that it can be shown again under fresh
// displays without rendering it again (a paused picture stays exactly the same), and enlarged
// when it was rendered smaller than the window.
#pragma once

#include "engine/gl.h"

// Where the picture lies in the window, in window pixels from the top-left corner.
struct FrameRect {
    float x, y, width, height;
};

// The largest 4:3 rectangle centred in the window: the whole window when it is 4:3 itself.
FrameRect placeFrame(int windowWidth, int windowHeight);

class FrameHold {
  public:
    FrameHold() = default;
    FrameHold(const FrameHold&) = delete;
    FrameHold& operator=(const FrameHold&) = delete;
    ~FrameHold();
    // Copies the lower-left width x height pixels of the back buffer.
    void capture(int width, int height);
    // Clears the window to black and draws the held frame into placeFrame's rectangle: pixel
    // for pixel at the same size, else filtered. Leaves the GL state as it found it.
    void show(int windowWidth, int windowHeight);

  private:
    GLuint texture = 0;
    int textureWidth = 0, textureHeight = 0;
    int width = 0, height = 0;
};
