// main for GL test binaries: one windowed context for all tests. Death tests re-execute the
// binary, so each child opens a context of its own.
#include "engine/window.h"
#include "tests/support/gl_test.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>

Rgba readPixel(int x, int y) {
    uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClearDepth(1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

GLenum takeGlError() {
    GLenum first = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    return first;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!GTEST_FLAG_GET(list_tests)) {
        // Held to X11 so that a missing display fails here with SDL's message instead of
        // falling back to a driver without OpenGL.
        setenv("SDL_VIDEODRIVER", "x11", 0);
        qorCreateWindow("lirv tests", kTestScreenWidth, kTestScreenHeight, false);
    }
    return RUN_ALL_TESTS();
}
