#include "tools/capture/frame_read.h"

#include "engine/gl.h"

#include <algorithm>
#include <vector>

void readBackBuffer(int width, int height, Picture& frame) {
    frame.width = width;
    frame.height = height;
    frame.channels = 3;
    frame.pixels.resize(size_t(width) * size_t(height) * 3);
    // glReadPixels' bottom-up rows, reused per frame; main thread only.
    static std::vector<uint8_t> rows;
    rows.resize(frame.pixels.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    size_t rowBytes = size_t(width) * 3;
    for (int y = 0; y < height; y++)
        std::copy_n(&rows[size_t(height - 1 - y) * rowBytes], rowBytes,
                    &frame.pixels[size_t(y) * rowBytes]);
}
