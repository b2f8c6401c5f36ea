// Child processes of the capture (ffmpeg, ffprobe), each in its own process group so that a
// Ctrl-C meant for the capture reaches only the capture, which then finishes them in order.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Starts args[0] (a path) with its standard input from `input` (the capture's own when -1) and
// its standard output and error into `output` (the capture's own when -1). The child's id, or
// -1 when it cannot be started.
pid_t startChild(const std::vector<std::string>& args, int input, int output);

// The exit status of the child, or -1 when it was killed.
int waitForChild(pid_t child);

// Runs a program and collects what it prints, output and errors together. Its exit status, or
// -1 when it could not run or was killed.
int runForOutput(const std::vector<std::string>& args, std::string& output);
