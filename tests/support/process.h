// Runs a program in a child process and collects its output and exit status, for the tests
// of fatal paths and of the lirv executable.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int pid = 0;         // the child's process id, for watchers that signal it
    int exitStatus = -1; // exit code, or -1 when the process was killed or did not exit
    bool timedOut = false;
    std::string out; // standard output
    std::string err; // standard error
};

// Called about every 50 ms while the child runs, with its output so far and the seconds since
// it started. Returning false stops calling it.
using ProcessWatcher = std::function<bool(const ProcessResult& sofar, double seconds)>;

struct ProcessOptions {
    std::string workingDirectory;         // empty: the test's own
    std::vector<std::string> environment; // "NAME=value" added; "NAME" alone removes NAME
    double timeoutSeconds = 60;           // the child is killed after this
    ProcessWatcher watcher;
};

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

// Makes a directory the working directory until destruction, then restores the previous one.
// Tests that load data/ files by their relative paths run inside a ScratchDir this way.
class ScopedWorkingDirectory {
  public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

  private:
    std::string previous;
};

// A fresh temporary directory, removed with everything in it on destruction.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return dirPath; }
    // Writes a file below the directory, creating its folders.
    void write(const std::string& relativePath, const std::string& bytes) const;

  private:
    std::string dirPath;
};
