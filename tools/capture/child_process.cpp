#include "tools/capture/child_process.h"

#include <cerrno>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

pid_t startChild(const std::vector<std::string>& args, int input, int output) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) { // only async-signal-safe calls from here to exec
        setpgid(0, 0);
        if (input >= 0) dup2(input, 0);
        if (output >= 0) {
            dup2(output, 1);
            dup2(output, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

int waitForChild(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runForOutput(const std::vector<std::string>& args, std::string& output) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t child = startChild(args, -1, fds[1]);
    ::close(fds[1]);
    char buffer[4096];
    for (ssize_t got; child > 0 && (got = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            output.append(buffer, size_t(got));
        else if (errno != EINTR)
            break;
    }
    ::close(fds[0]);
    return child > 0 ? waitForChild(child) : -1;
}
