// The studio: one program, lirv-studio, whose commands write the files of data/.
#pragma once

#include <string>

struct StudioPaths {
    std::string sourceDir; // top of the repository (content/ lies below it)
    std::string dataDir;   // the data/ directory being written
};

struct StudioCommand {
    const char* name;
    const char* usage;   // arguments after the command name
    const char* summary; // one line for the help text
    // "lirv-studio NAME ARGS...": argv[0] is the command name. Returns the exit status.
    int (*run)(int argc, char** argv);
    // Writes this command's part of data/ during "lirv-studio all"; null when it has none.
    // Returns 0 on success; prints what failed, naming the file, otherwise.
    int (*generate)(const StudioPaths& paths);
    // What "lirv-studio NAME --help" adds below the usage line.
    const char* help;
    // The options the command reads itself, each followed by a value ("--tempo --beats"); any
    // other word starting with '-' is refused before the command runs. Null for none.
    const char* options;
};
