#include "tools/cli/cli.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// Written by the build into build_version.cpp.
extern const char* const kBuildVersion;
extern const char* const kBuildCommit;

namespace {

// The folder holding the running program; empty when the system cannot say.
std::string programFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string program(path, size_t(length));
    size_t slash = program.find_last_of('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::string buildVersion() {
    std::string version = kBuildVersion;
    if (kBuildCommit[0] != '\0') version += std::string(" (git ") + kBuildCommit + ")";
    return version;
}

void printVersion(const char* program) {
    printf("%s %s\n"
           "vsq-14: lirv, a real-time demo by vsq, music by morvane.\n"
           "Code under the MIT licence; the generated content (music, pictures, models,\n"
           "timeline) under Creative Commons Attribution 4.0 (CC BY 4.0).\n",
           program, buildVersion().c_str());
}

bool isVersionOption(const std::string& word) {
    return word == "--version";
}

bool isHelpOption(const std::string& word) {
    return word == "--help" || word == "-h";
}

bool looksLikeOption(const std::string& word) {
    return !word.empty() && word[0] == '-';
}

std::string RunFolders::fromUser(const std::string& path) const {
    if (!installed || path.empty() || path[0] == '/') return path;
    return path == "." ? user : user + "/" + path;
}

bool enterInstallFolder(RunFolders& folders, std::string& problem) {
    folders = RunFolders();
    std::string here = programFolder();
    if (here.empty()) return true;
    std::string share = here + "/../share/lirv";
    if (!isFolder(share + "/data")) return true;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) {
        problem = std::string("cannot tell the working folder: ") + strerror(errno);
        return false;
    }
    if (chdir(share.c_str()) != 0) {
        problem = share + ": cannot enter the installed data folder: " + strerror(errno);
        return false;
    }
    folders.installed = true;
    folders.user = cwd;
    return true;
}
