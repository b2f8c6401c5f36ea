// Preloaded into lirv by bench/lirv_startup (LD_PRELOAD): at the first buffer swap after the
// music has started, that is the first frame of the show, it prints how long the process has
// run and how much CPU time all of its threads have used, and ends the process. lirv itself
// takes no options and knows nothing of this.
//
// Line written to standard error:
//   lirv start-up: first frame at W s, C ms of CPU (all threads)
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

bool musicStarted = false;

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Seconds since the kernel started this process (10 ms resolution), or -1 when unknown.
double processAgeSeconds() {
    std::ifstream stat("/proc/self/stat"), uptime("/proc/uptime");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    double sinceBoot = 0;
    size_t close = text.rfind(')'); // the command name may hold spaces
    if (close == std::string::npos || !(uptime >> sinceBoot)) return -1;
    // Field 22 (starttime) is the 20th after the state letter that follows the name.
    const char* field = text.c_str() + close + 2;
    for (int i = 0; i < 19 && field; i++) {
        field = strchr(field, ' ');
        if (field) field++;
    }
    if (!field) return -1;
    return sinceBoot - strtod(field, nullptr) / double(sysconf(_SC_CLK_TCK));
}

double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
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
