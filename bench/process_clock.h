// The process's own clocks, for the benchmarks and the start-up shim: its age since the kernel
// started it and the CPU time of all its threads.
#pragma once

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

// Seconds since the kernel started this process (10 ms resolution), or -1 when unknown.
inline double processAgeSeconds() {
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
    double startTicks = strtod(field, nullptr);
    return sinceBoot - startTicks / double(sysconf(_SC_CLK_TCK));
}

// CPU time of every thread of the process so far, in ms.
inline double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}
