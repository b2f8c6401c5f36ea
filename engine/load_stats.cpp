#include "engine/load_stats.h"

#include <ctime>

QorLoadStats& qorLoadStats() {
    static QorLoadStats stats;
    return stats;
}

double qorThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}
