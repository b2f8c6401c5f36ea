// lirv: opens the window, loads the production, plays the music and renders the timeline until
// Escape is held or the running time is over.
#include "engine/gl.h"
#include "engine/window.h"
#include "production/production.h"
#include "runtime/data_files.h"
#include "runtime/music.h"
#include "runtime/timeline.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned kAnnouncedBpm = 27;

int demoMain() {
    Timeline::prefetchPictures(); // decodes beside the window's creation
    openProductionWindow("vsq-14: lirv", true);
    printf("BPM SET TO %u\n", kAnnouncedBpm);

    Timeline timeline;
    loadProduction(timeline, datafiles::kTimeline);
    Mix_Music* music = loadMusic(datafiles::kMusic);

    uint64_t startTime = qorGetTicks();
    printf("Starting time: %d\n", int(startTime));
    playMusic(music);
    for (;;) {
        if (qorWasKeyPressed(SDLK_ESCAPE)) break;
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
