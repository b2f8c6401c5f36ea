#include "tools/preview/reload.h"

#include "engine/shader.h"
#include "runtime/timeline_format.h"
#include "tools/timeline/timeline_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

void listFiles(const std::string& folder, std::vector<std::string>& paths) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (dirent* item = readdir(dir)) {
        std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        std::string path = folder + "/" + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode))
            listFiles(path, paths);
        else if (S_ISREG(info.st_mode))
            paths.push_back(path);
    }
    closedir(dir);
}

// Rewrites Mesa's and other drivers' "0:12(5): error: ..." lines as "PATH:12: error: ...".
std::string namedLog(const std::string& path, const std::string& log) {
    std::string out;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        unsigned sourceIndex = 0, lineNumber = 0;
        int consumed = 0;
        if (sscanf(line.c_str(), "%u:%u(%*u):%n", &sourceIndex, &lineNumber, &consumed) == 2 &&
            consumed > 0)
            line = path + ":" + std::to_string(lineNumber) + ":" + line.substr(size_t(consumed));
        else if (sscanf(line.c_str(), "ERROR: %u:%u:%n", &sourceIndex, &lineNumber, &consumed) ==
                     2 &&
                 consumed > 0)
            line = path + ":" + std::to_string(lineNumber) +
                   ": error:" + line.substr(size_t(consumed));
        else
            line = path + ": " + line;
        out += (out.empty() ? "" : "\n") + line;
    }
    return out.empty() ? path + ": the shader does not build" : out;
}

} // namespace

FileWatch::Entry FileWatch::look(const std::string& path) {
    struct stat info;
    Entry entry{path, false, {0, 0}, -1};
    if (stat(path.c_str(), &info) == 0) {
        entry.exists = true;
        entry.modified = info.st_mtim;
        entry.size = info.st_size;
    }
    return entry;
}

void FileWatch::add(const std::string& path) {
    entries.push_back(look(path));
}

void FileWatch::addFolder(const std::string& folder) {
    folders.push_back(folder);
    std::vector<std::string> paths;
    listFiles(folder, paths);
    for (const std::string& path : paths)
        add(path);
}

void FileWatch::scanFolders() {
    std::vector<std::string> paths;
    for (const std::string& folder : folders)
        listFiles(folder, paths);
    for (const std::string& path : paths) {
        bool known = false;
        for (const Entry& entry : entries)
            known = known || entry.path == path;
        // A new file is a change: it starts as missing.
        if (!known) entries.push_back({path, false, {0, 0}, -1});
    }
}

std::vector<std::string> FileWatch::changed() {
    scanFolders();
    std::vector<std::string> paths;
    for (Entry& entry : entries) {
        Entry now = look(entry.path);
        if (now.exists != entry.exists || now.size != entry.size ||
            now.modified.tv_sec != entry.modified.tv_sec ||
            now.modified.tv_nsec != entry.modified.tv_nsec) {
            // Still being written, perhaps (an editor that empties the file, then fills it):
            // report it once it has stood still for one call.
            now.settling = true;
            entry = now;
        } else if (entry.settling) {
            entry.settling = false;
            paths.push_back(entry.path);
        }
    }
    return paths;
}

bool adoptTimelineText(const std::string& path, const std::string& text, TimelineDocument& document,
                       Timeline& timeline, std::string& problem) {
    if (!document.adopt(path, text, problem)) return false;
    timeline.setClips(document.compiled());
    return true;
}

bool reloadTimelineText(const std::string& path, Timeline& timeline, std::string& problem) {
    std::string text, reason;
    if (!readTextFile(path, text, reason)) {
        problem = path + ": cannot read (" + reason + ")";
        return false;
    }
    TimelineDocument document;
    return adoptTimelineText(path, text, document, timeline, problem);
}

std::string shaderDataPath(const std::string& sourcePath, const std::string& shaderFolder) {
    return "data" + sourcePath.substr(shaderFolder.size());
}

int reloadShader(const std::string& sourcePath, const std::string& shaderFolder,
                 std::string& problem) {
    std::string text, reason;
    if (!readTextFile(sourcePath, text, reason)) {
        problem = sourcePath + ": cannot read (" + reason + "); the shader keeps its last code";
        return -1;
    }
    std::string dataPath = shaderDataPath(sourcePath, shaderFolder);
    char log[4096];
    int rebuilt = qorRebuildProgramsFrom(dataPath.c_str(), text.c_str(), log, sizeof log);
    if (rebuilt < 0) problem = namedLog(sourcePath, log);
    return rebuilt;
}
