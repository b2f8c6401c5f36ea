// lirv-studio: generates data/ from the repository ("all") or runs one tool by name.
#include "tools/studio.h"
#include "tools/cli/cli.h"
#include "tools/timeline/timeline_text.h"
#include "tools/music/music_command.h"
#include "tools/geometry/geometry.h"
#include "tools/pictures/icon.h"
#include "tools/pictures/pictures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

namespace {

int generateAll(int argc, char** argv);

constexpr const char* kTimeForms =
    "Timeline text times: bare numbers are milliseconds (1500), 12.5s is seconds;\n"
    "after a \"tempo\" line A:B is bar A, beat B, counted from 0:0 (16:2).\n";

// Every command of the studio. Commands with a generate function make up "all", in this order.
const StudioCommand kCommands[] = {
    {"all", "SOURCE_DIR DATA_DIR", "generate every file of data/ from the repository", generateAll,
     nullptr,
     "Writes the timeline, the music, the models and curves and the pictures of data/ into\n"
     "DATA_DIR from the sources below SOURCE_DIR/content (the build copies the shaders).\n"
     "An installed copy regenerates its data with\n"
     "  lirv-studio all PREFIX/share/lirv out/data\n",
     nullptr},
    {"timeline", "compile|decompile IN [OUT]", "timeline text <-> binary timeline (data/time)",
     runTimelineCommand, generateTimeline,
     "  compile TEXT_IN TIME_OUT\n"
     "      compiles timeline text into the binary timeline the demo reads\n"
     "  decompile TIME_IN [TEXT_OUT] [--tempo BPM [--beats N]]\n"
     "      turns a binary timeline back into text (default out/timeline.txt); with --tempo\n"
     "      (beats per minute; --beats per bar, default 4) times on a quarter beat are\n"
     "      written as bars:beats\n",
     "--tempo --beats"},
    {"music", "render OUT.ogg | report F.ogg", "render the track; measure an Ogg file",
     runMusicCommand, generateMusic,
     "  render OUT.ogg    renders the 139-second track and encodes it as Ogg Vorbis\n"
     "  report FILE.ogg   prints the levels, the loudness per bar and the spectrum\n",
     nullptr},
    {"geometry", "DATA_DIR", "build every model and curve of data/", geometry::runGeometryCommand,
     geometry::generateGeometry, "Writes every model and curve of data/ into DATA_DIR.\n", nullptr},
    {"pictures", "DATA_DIR [NAME...]", "paint every picture of data/ (or those matching NAME)",
     runPictures, generatePictures,
     "Paints every picture of data/ into DATA_DIR, or those whose data path contains one of\n"
     "the NAMEs (\"title\" selects data/title.png).\n",
     nullptr},
    {"icon", "SIZE OUT.png", "paint the application icon, SIZE pixels square", runIconCommand,
     nullptr, "Paints the release's icon, the logotype's \"lirv\" on a night-blue tile.\n",
     nullptr},
};

int generateAll(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: lirv-studio all SOURCE_DIR DATA_DIR\n");
        return kExitUsage;
    }
    StudioPaths paths{argv[1], argv[2]};
    std::error_code failure;
    std::filesystem::create_directories(paths.dataDir, failure);
    if (failure) {
        fprintf(stderr, "lirv-studio: %s: cannot create the folder: %s\n", paths.dataDir.c_str(),
                failure.message().c_str());
        return kExitFailure;
    }
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
    fprintf(to, "usage: lirv-studio COMMAND [ARGS...]\n"
                "       lirv-studio COMMAND --help | --help | --version\n\ncommands:\n");
    for (const StudioCommand& command : kCommands)
        fprintf(to, "  %-10s %-28s %s\n", command.name, command.usage, command.summary);
    fprintf(to, "\n%s", kTimeForms);
}

// "lirv-studio NAME --help": the command's usage and what it does.
void printCommandHelp(const StudioCommand& command) {
    printf("usage: lirv-studio %s %s\n\n%s", command.name, command.usage, command.help);
    if (command.run == runTimelineCommand) printf("\n%s", kTimeForms);
}

// True when the command reads the option itself (and takes the word after it as its value).
bool readsOption(const StudioCommand& command, const std::string& word) {
    if (!command.options) return false;
    std::string list = std::string(" ") + command.options + " ";
    return list.find(" " + word + " ") != std::string::npos;
}

// Answers --help and --version anywhere after the command name, and refuses any other word
// starting with '-' that the command does not read: such a word is never a file or folder.
int runCommand(const StudioCommand& command, int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (isHelpOption(argv[i])) {
            printCommandHelp(command);
            return kExitSuccess;
        }
        if (isVersionOption(argv[i])) {
            printVersion("lirv-studio");
            return kExitSuccess;
        }
    }
    for (int i = 1; i < argc; i++) {
        if (!looksLikeOption(argv[i])) continue;
        if (readsOption(command, argv[i])) {
            i++;
            continue;
        }
        fprintf(stderr, "lirv-studio %s: unknown option '%s' (see lirv-studio %s --help)\n",
                command.name, argv[i], command.name);
        return kExitUsage;
    }
    return command.run(argc, argv);
}

const StudioCommand* findCommand(const char* name) {
    for (const StudioCommand& command : kCommands)
        if (strcmp(name, command.name) == 0) return &command;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return kExitUsage;
    }
    if (isHelpOption(argv[1]) || (strcmp(argv[1], "help") == 0 && argc == 2)) {
        printUsage(stdout);
        return kExitSuccess;
    }
    if (isVersionOption(argv[1])) {
        printVersion("lirv-studio");
        return kExitSuccess;
    }
    if (strcmp(argv[1], "help") == 0 && argc == 3 && findCommand(argv[2])) {
        printCommandHelp(*findCommand(argv[2]));
        return kExitSuccess;
    }
    if (const StudioCommand* command = findCommand(argv[1]))
        return runCommand(*command, argc - 1, argv + 1);
    fprintf(stderr, "lirv-studio: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}
