#include "tools/preview/text_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool readTextFile(const std::string& path, std::string& text, std::string& reason) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        reason = strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        fclose(file);
        reason = "it is a folder";
        return false;
    }
    text.clear();
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) reason = "read error";
    return !failed;
}

bool replaceFile(const std::string& path,
                 const std::function<bool(const std::string& temporary, std::string& reason)>& fill,
                 std::string& problem) {
    char resolved[PATH_MAX];
    std::string target = realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    std::string temporary = target + ".saving-XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        problem = path + ": cannot be written (" + strerror(errno) + ")";
        return false;
    }
    struct stat info;
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = stat(target.c_str(), &info) == 0 ? info.st_mode & 07777 : 0666 & ~mask;
    int error = fchmod(fd, mode) == 0 ? 0 : errno;
    close(fd);
    std::string reason;
    if (error)
        reason = strerror(error);
    else if (!fill(temporary, reason))
        reason = reason.empty() ? "write error" : reason;
    else if (rename(temporary.c_str(), target.c_str()) != 0)
        reason = strerror(errno);
    if (reason.empty()) return true;
    unlink(temporary.c_str());
    problem = path + ": cannot be written (" + reason + "); any old file is as it was";
    return false;
}

bool writeTextFileWhole(const std::string& path, const std::string& text, std::string& problem) {
    auto fill = [&text](const std::string& temporary, std::string& reason) {
        int fd = open(temporary.c_str(), O_WRONLY | O_TRUNC);
        size_t done = 0;
        while (fd >= 0 && done < text.size()) {
            ssize_t wrote = write(fd, text.data() + done, text.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) break;
            done += size_t(wrote);
        }
        bool whole = fd >= 0 && done == text.size() && fsync(fd) == 0;
        if (!whole) reason = errno ? strerror(errno) : "short write";
        if (fd >= 0 && close(fd) != 0 && whole) {
            reason = strerror(errno);
            whole = false;
        }
        return whole;
    };
    errno = 0;
    if (!replaceFile(path, fill, problem)) return false;
    std::string back, reason;
    if (!readTextFile(path, back, reason) || back != text) {
        problem = path + ": the saved file does not read back as written" +
                  (reason.empty() ? "" : " (" + reason + ")");
        return false;
    }
    return true;
}
