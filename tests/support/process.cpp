#include "tests/support/process.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void applyEnvironment(const std::vector<std::string>& environment) {
    for (const std::string& entry : environment) {
        size_t equals = entry.find('=');
        if (equals == std::string::npos)
            unsetenv(entry.c_str());
        else
            setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
}

[[noreturn]] void execChild(const std::vector<std::string>& argv, const ProcessOptions& options,
                            int outFd, int errFd) {
    dup2(outFd, 1);
    dup2(errFd, 2);
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, 0);
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
        _exit(126);
    applyEnvironment(options.environment);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Reads what is available on a pipe; returns false at end of file.
bool drain(int fd, std::string& into) {
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) into.append(buffer, static_cast<size_t>(n));
    return n > 0;
}

} // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        execChild(argv, options, outPipe[1], errPipe[1]);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    ProcessResult result;
    result.pid = pid;
    auto started = std::chrono::steady_clock::now();
    bool outOpen = true, errOpen = true, watching = static_cast<bool>(options.watcher);
    while (outOpen || errOpen) {
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        poll(fds, 2, 50);
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP)))
            outOpen = drain(outPipe[0], result.out);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP)))
            errOpen = drain(errPipe[0], result.err);
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (watching) watching = options.watcher(result, seconds);
        if (seconds > options.timeoutSeconds) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path)
    : previous(std::filesystem::current_path().string()) {
    std::filesystem::current_path(path);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lirv-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    dirPath = buffer.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dirPath, ignored);
}

void ScratchDir::write(const std::string& relativePath, const std::string& bytes) const {
    std::filesystem::path path = std::filesystem::path(dirPath) / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
