// lirv-studio: generates data/ from the repository ("all") or runs one tool by name.
#include "tools/studio.h"
#include "tools/timeline/timeline_text.h"
#include "tools/music/music_command.h"
#include "tools/geometry/geometry.h"
#include "tools/pictures/pictures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

int generateAll(int argc, char** argv);

// Every command of the studio. Commands with a generate function make up "all", in this order.
const StudioCommand kCommands[] = {
    {"all", "SOURCE_DIR DATA_DIR", "generate every file of data/ from the repository", generateAll,
     nullptr},
    {"timeline", "compile|decompile IN [OUT]", "timeline text <-> binary timeline (data/time)",
     runTimelineCommand, generateTimeline},
    {"music", "render OUT.ogg | report F.ogg", "render the track; measure an Ogg file",
     runMusicCommand, generateMusic},
    {"geometry", "DATA_DIR", "build every model and curve of data/", geometry::runGeometryCommand,
     geometry::generateGeometry},
    {"pictures", "DATA_DIR [NAME...]", "paint every picture of data/ (or those matching NAME)",
     runPictures, generatePictures},
};

int generateAll(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: lirv-studio all SOURCE_DIR DATA_DIR\n");
        return 2;
    }
    StudioPaths paths{argv[1], argv[2]};
    auto started = std::chrono::steady_clock::now();
    for (const StudioCommand& command : kCommands) {
        if (!command.generate) continue;
        auto before = std::chrono::steady_clock::now();
        printf("studio: %s...\n", command.name);
        fflush(stdout);
        if (int status = command.generate(paths)) {
            fprintf(stderr, "studio: %s failed\n", command.name);
            return status;
        }
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
        printf("studio: %s done in %.1f s\n", command.name, seconds);
    }
    double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printf("studio: data/ generated in %.1f s\n", total);
    return 0;
}

// The command list, on standard output for --help and on standard error after a mistake.
void printUsage(FILE* to) {
    fprintf(to, "usage: lirv-studio COMMAND [ARGS...]\n\ncommands:\n");
    for (const StudioCommand& command : kCommands)
        fprintf(to, "  %-10s %-28s %s\n", command.name, command.usage, command.summary);
    fprintf(to, "\nTimeline text times: bare numbers are milliseconds (1500), 12.5s is seconds;\n"
                "after a \"tempo\" line A:B is bar A, beat B, counted from 0:0 (16:2).\n"
                "\"lirv-studio timeline\" alone shows the decompiler's options (--tempo).\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 ||
        strcmp(argv[1], "help") == 0) {
        printUsage(stdout);
        return 0;
    }
    for (const StudioCommand& command : kCommands)
        if (strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
    fprintf(stderr, "lirv-studio: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return 2;
}
