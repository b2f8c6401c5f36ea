// lirv-preview: the production in a window with a HUD and a timeline strip; seek, pause and
// loop from the keyboard and the mouse; the timeline text and the shaders reload when they
// change, and key edits are written back into the timeline text.
#include "engine/window.h"
#include "tools/cli/cli.h"
#include "tools/preview/preview.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

// Status lines are line-buffered so that they reach a pipe as they are printed. A mistake in
// the options ends with status 2, a missing or broken data/ with status 1; later problems are
// reported and the preview keeps running on its last good state.
int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    PreviewOptions options;
    std::string problem;
    if (!parsePreviewOptions(std::vector<std::string>(argv + 1, argv + argc), options, problem)) {
        fprintf(stderr, "lirv-preview: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (options.help) {
        fputs(previewUsage(), stdout);
        return kExitSuccess;
    }
    if (options.version) {
        printVersion("lirv-preview");
        return kExitSuccess;
    }
    RunFolders folders;
    if (!enterInstallFolder(folders, problem)) {
        fprintf(stderr, "lirv-preview: %s\n", problem.c_str());
        return kExitFailure;
    }
    placePreviewFiles(options, folders);
    if (!options.rangeNote.empty())
        fprintf(stderr, "lirv-preview: %s\n", options.rangeNote.c_str());
    struct stat info;
    if (stat("data/time", &info) != 0) {
        fprintf(stderr, "lirv-preview: data/time: not found; run it where data/ lies (the "
                        "repository root after building)\n");
        return 1;
    }
    int status = 1;
    try {
        status = Preview(options).run();
    } catch (int) {
        status = 1;
    }
    qorSetTickSource(nullptr);
    return status;
}
