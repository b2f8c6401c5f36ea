// What every tool of the production does alike on its command line: the exit statuses, the
// --version text, which words are options, and where an installed copy reads its data and
// writes its outputs.
#pragma once

#include <string>

// Exit statuses: success, a failure while working, a mistake on the command line.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The version of this build, "1.0.0", followed by " (git 0123456789ab)" when it was built
// from a git checkout.
std::string buildVersion();

// Prints "PROGRAM VERSION", the production and its licences on standard output, for --version.
void printVersion(const char* program);

// True for "--version".
bool isVersionOption(const std::string& word);
// True for "--help" and "-h".
bool isHelpOption(const std::string& word);

// True for a word that starts with '-' (a lone "-" too): an option, never a file or folder.
bool looksLikeOption(const std::string& word);

// Where a program runs. A copy installed by the release lies in PREFIX/bin (or PREFIX/games)
// beside PREFIX/share/lirv, which holds data/ and content/; a program in a build tree reads
// them from the working folder instead.
struct RunFolders {
    bool installed = false;
    std::string user; // the folder the user started the program in (absolute), when installed

    // The path as the user meant it: relative paths count from the user's folder. Unchanged
    // when not installed or already absolute.
    std::string fromUser(const std::string& path) const;
};

// For an installed copy, makes PREFIX/share/lirv the working folder, so that data/ and content/
// are found, and records the user's folder. Returns false with the problem when that folder
// cannot be entered; a program in a build tree stays where it is.
bool enterInstallFolder(RunFolders& folders, std::string& problem);
