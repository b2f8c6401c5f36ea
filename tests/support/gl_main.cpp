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

// The virtual X server of the test machines now and then hangs up a connection that is being
// opened (a few in a hundred). Start SDL's video, which opens the connection, with retries;
// qorCreateWindow's own SDL_Init then finds video running. SDL is held to its X11 driver so
// that a dropped connection fails here instead of falling back to a text-mode driver.
static void startVideoWithRetries() {
    setenv("SDL_VIDEODRIVER", "x11", 0);
    for (int attempt = 0; attempt < 20; attempt++) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return;
        SDL_Delay(50);
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!GTEST_FLAG_GET(list_tests)) {
        startVideoWithRetries();
        qorCreateWindow("lirv tests", kTestScreenWidth, kTestScreenHeight, false);
    }
    return RUN_ALL_TESTS();
}
