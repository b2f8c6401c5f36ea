// lirv: opens the window, loads the production, plays the music and renders the timeline until
// Escape is held, Ctrl-C or SIGTERM comes, or the running time is over.
#include "engine/gl.h"
#include "engine/window.h"
#include "production/production.h"
#include "runtime/data_files.h"
#include "runtime/music.h"
#include "runtime/timeline.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned kAnnouncedBpm = 27;

// Set by SIGINT and SIGTERM; read by the main thread between the effects' loads and frames.
volatile sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

// Ctrl-C and a system shutdown's SIGTERM end the run as Escape does, with status 0. Installed
// before the window opens: SDL's video start-up leaves handlers it finds in place, where it
// would otherwise turn both signals into a quit event that the demo, which does not close on
// a request from the window system either, never acts on.
void catchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The loading screen, which also ends the run, with status 0, once a stop was asked for: the
// effects left are not loaded.
void showLoadingUnlessStopped(int32_t percent) {
    if (stopRequested) {
        qorQuit();
        exit(0);
    }
    Timeline::showLoadingProgress(percent);
}

int demoMain() {
    catchStopSignals();
    Timeline::prefetchPictures(); // decodes beside the window's creation
    openProductionWindow("vsq-14: lirv", true);
    printf("BPM SET TO %u\n", kAnnouncedBpm);

    Timeline timeline;
    loadProduction(timeline, datafiles::kTimeline, showLoadingUnlessStopped);
    Mix_Music* music = loadMusic(datafiles::kMusic);

    uint64_t startTime = qorGetTicks();
    printf("Starting time: %d\n", int(startTime));
    playMusic(music);
    for (;;) {
        if (qorWasKeyPressed(SDLK_ESCAPE) || stopRequested) break;
        if (qorGetTicks() - startTime > kRunTimeMs - 1) break;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        timeline.render(uint32_t(qorGetTicks() - startTime));
        qorSwapBuffer();
    }
    qorQuit();
    timeline.releaseClipList();
    return 0;
}

} // namespace

// Process entry: SDL starts with no subsystems and is shut down at exit, as SDL's entry
// wrapper does; the demo ignores its arguments. Status lines are line-buffered so that they
// reach a pipe as they are printed. A model that cannot be loaded has printed its messages and
// thrown an int; it ends the run with status 1.
int main(int, char**) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    try {
        return demoMain();
    } catch (int) {
        return 1;
    }
}
