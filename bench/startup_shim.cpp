// Preloaded into lirv by bench/lirv_startup (LD_PRELOAD): at the first buffer swap after the
// music has started, that is the first frame of the show, it prints how long the process has
// run and how much CPU time all of its threads have used, and ends the process. lirv itself
// takes no options and knows nothing of this.
//
// Line written to standard error:
//   lirv start-up: first frame at W s, C ms of CPU (all threads)
#include "bench/process_clock.h"

#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

namespace {

bool musicStarted = false;

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int Mix_PlayMusic(void* music, int loops) {
    static auto real = next<int (*)(void*, int)>("Mix_PlayMusic");
    musicStarted = true;
    return real(music, loops);
}

extern "C" void SDL_GL_SwapBuffers() {
    static auto real = next<void (*)()>("SDL_GL_SwapBuffers");
    real();
    if (!musicStarted) return;
    fprintf(stderr, "lirv start-up: first frame at %.2f s, %.0f ms of CPU (all threads)\n",
            processAgeSeconds(), processCpuMs());
    fflush(stdout);
    _exit(0);
}
