#include "tools/capture/stop.h"

#include <atomic>
#include <csignal>

namespace {

// Written by the signal handler, read by the render loop and the writer thread.
std::atomic<int> requestedStop{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free flag");

void onStopSignal(int signal) {
    requestedStop.store(signal);
}

} // namespace

// SA_RESETHAND puts the default action back after the first signal, so that a second one ends
// the process at once; SA_RESTART keeps the libraries' blocking calls going meanwhile.
void catchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() {
    return requestedStop.load();
}

const char* stopSignalName(int signal) {
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}
