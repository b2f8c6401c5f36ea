// Counters of the work done while loading: pictures decoded and uploaded, programs built. The
// benchmark reads them for its start-up breakdown; nothing in the demo depends on them.
#pragma once

#include <cstdint>

struct QorLoadStats {
    int picturesDecoded = 0;
    double decodeCpuMs = 0; // CPU time of the threads that decoded
    int picturesUploaded = 0;
    double uploadCpuMs = 0; // main thread
    int programsBuilt = 0;
    double programCpuMs = 0; // main thread: compiling and linking
};

// Written by the loading (GL) thread, which also adds the CPU time decoding threads spent on the
// pictures it takes from them; read by the benchmark.
QorLoadStats& qorLoadStats();

// CPU time of the calling thread in milliseconds.
double qorThreadCpuMs();
