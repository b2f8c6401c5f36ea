#include "tools/capture/frame_read.h"

#include "engine/gl.h"
#include "engine/window.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace {

void sizeFrame(int width, int height, Picture& frame) {
    frame.width = width;
    frame.height = height;
    frame.channels = 3;
    frame.pixels.resize(size_t(width) * size_t(height) * 3);
}

// Copies glReadPixels' bottom-up rows into the picture, top row first.
void copyFlipped(const uint8_t* rows, Picture& frame) {
    size_t rowBytes = size_t(frame.width) * 3;
    for (int y = 0; y < frame.height; y++)
        std::copy_n(rows + size_t(frame.height - 1 - y) * rowBytes, rowBytes,
                    &frame.pixels[size_t(y) * rowBytes]);
}

} // namespace

void readBackBuffer(int width, int height, Picture& frame) {
    sizeFrame(width, height, frame);
    // glReadPixels' bottom-up rows, reused per frame; main thread only.
    static std::vector<uint8_t> rows;
    rows.resize(frame.pixels.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    copyFlipped(rows.data(), frame);
}

FrameReader::~FrameReader() {
    if (buffers[0] != 0) glDeleteBuffers(2, buffers);
}

void FrameReader::request() {
    assert(requested - fetched < 2);
    int width = qorGetScreenWidth(), height = qorGetScreenHeight();
    size_t bytes = size_t(width) * size_t(height) * 3;
    if (buffers[0] == 0) {
        glGenBuffers(2, buffers);
        for (GLuint buffer : buffers) {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ);
        }
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[requested % 2]);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    requested++;
}

bool FrameReader::fetch(Picture& frame) {
    if (fetched == requested) return false;
    sizeFrame(qorGetScreenWidth(), qorGetScreenHeight(), frame);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[fetched % 2]);
    const void* rows = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (rows) {
        copyFlipped(static_cast<const uint8_t*>(rows), frame);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    } else {
        std::fill(frame.pixels.begin(), frame.pixels.end(), uint8_t(0));
        fprintf(stderr, "lirv-capture: the frame read back could not be mapped\n");
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    fetched++;
    return true;
}
