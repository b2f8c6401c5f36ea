// Preloaded into lirv by the whole-run tests (LD_PRELOAD), it writes what the run's own clock
// said at each frame to the file named by LIRV_FRAME_LOG, so that the tests check the run by
// its clock instead of the wall clock. lirv itself takes no options and knows nothing of this.
//
// Lines written:
//   frame C T      a buffer swap; C is the first clock reading since the previous swap (the
//                  frame loop's check of the running time), T the last one before this swap
//   picture T L    once a second of the clock: the mean brightness L (0 to 255) of that frame
//   escape T       SDL handed lirv an Escape key-down event while pumping events at clock T
//   exit T         the process is ending; T is the last clock reading (the one that ended the
//                  frame loop)
#include <GL/gl.h>
#include <SDL.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <pthread.h>
#include <vector>

namespace {

FILE* logFile() {
    static FILE* file = [] {
        const char* path = getenv("LIRV_FRAME_LOG");
        FILE* opened = path ? fopen(path, "w") : nullptr;
        if (opened) setvbuf(opened, nullptr, _IOLBF, 0);
        return opened;
    }();
    return file;
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Clock readings of the main thread (the one that swaps); other threads' are not the loop's.
pthread_t mainThread = pthread_self();
Uint32 lastTicks = 0;
Uint32 firstSinceSwap = 0;
bool readSinceSwap = false;
Uint32 lastPicture = 0;

// Mean of the red, green and blue of every 8th pixel of every 8th row of the back buffer.
double meanBrightness() {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2], height = viewport[3];
    if (width <= 0 || height <= 0) return 0;
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    double sum = 0;
    long count = 0;
    for (int y = 0; y < height; y += 8)
        for (int x = 0; x < width; x += 8, count++) {
            const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
            sum += (p[0] + p[1] + p[2]) / 3.0;
        }
    return count ? sum / count : 0;
}

} // namespace

__attribute__((constructor)) static void logExit() {
    atexit([] {
        if (FILE* file = logFile()) fprintf(file, "exit %u\n", lastTicks);
    });
}

extern "C" Uint32 SDL_GetTicks() {
    static auto real = next<Uint32 (*)()>("SDL_GetTicks");
    Uint32 ticks = real();
    if (!pthread_equal(pthread_self(), mainThread)) return ticks;
    lastTicks = ticks;
    if (!readSinceSwap) firstSinceSwap = ticks;
    readSinceSwap = true;
    return ticks;
}

extern "C" int SDL_PollEvent(SDL_Event* event) {
    static auto real = next<int (*)(SDL_Event*)>("SDL_PollEvent");
    int got = real(event);
    if (got && event && event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_ESCAPE &&
        logFile())
        fprintf(logFile(), "escape %u\n", lastTicks);
    return got;
}

extern "C" void SDL_GL_SwapBuffers() {
    static auto real = next<void (*)()>("SDL_GL_SwapBuffers");
    if (FILE* file = logFile()) {
        fprintf(file, "frame %u %u\n", firstSinceSwap, lastTicks);
        if (lastTicks - lastPicture >= 1000) {
            lastPicture = lastTicks;
            fprintf(file, "picture %u %.2f\n", lastTicks, meanBrightness());
        }
    }
    readSinceSwap = false;
    real();
}
