// Live reload for the preview: a watch on source files, the timeline text compiled in-process
// into the running timeline, and shader sources relinked into the running programs.
#pragma once

#include "runtime/timeline.h"
#include "tools/preview/write_back.h"

#include <ctime>
#include <string>
#include <vector>

// Notices files that were written, replaced, created or deleted since they were last looked at.
class FileWatch {
  public:
    // Watches a file (it may be missing: its appearance is a change).
    void add(const std::string& path);
    // Watches every regular file below a folder, and files that appear there later.
    void addFolder(const std::string& folder);
    // The watched paths whose modification time or size changed before the last call and stayed
    // as they were since, in the order they were added: a file caught half-written is reported
    // once the writing is over.
    std::vector<std::string> changed();

  private:
    struct Entry {
        std::string path;
        bool exists;
        timespec modified;
        long long size;
        bool settling = false; // changed at the last look, not reported yet
    };
    static Entry look(const std::string& path);
    void scanFolders();

    std::vector<Entry> entries;
    std::vector<std::string> folders;
};

// Makes text (read from path) the document and puts its clips and keys into the timeline; the
// effects stay loaded. The caller then rebuilds the activation for its current time. A text
// that does not compile, or compiles to no clips (an editor that empties the file before
// writing it), fails: the document and the timeline keep the last good version and problem is
// "PATH:LINE: message" or "PATH: no clips ...".
bool adoptTimelineText(const std::string& path, const std::string& text, TimelineDocument& document,
                       Timeline& timeline, std::string& problem);
// Reads the file and adopts it with a document of its own; "PATH: cannot read (reason)" when
// it cannot be read.
bool reloadTimelineText(const std::string& path, Timeline& timeline, std::string& problem);

// Relinks, in place, the programs built from the data/ copy of a shader source below
// shaderFolder (shaderFolder/x.frag is data/x.frag). On failure every program keeps its code and
// problem holds one "PATH:LINE: message" line per driver error. Returns the number of programs
// relinked (0 when none uses the file), or -1.
int reloadShader(const std::string& sourcePath, const std::string& shaderFolder,
                 std::string& problem);
// The data/ copy of a shader source below shaderFolder (given without a trailing '/'):
// shaderFolder/Trainstation/x.vert is data/Trainstation/x.vert.
std::string shaderDataPath(const std::string& sourcePath, const std::string& shaderFolder);
