#include "tools/formats/file_writer.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace formats {

namespace {

// Numbers the temporary files of this process, so that threads writing at once never share one.
std::atomic<unsigned> temporaryCount{0};

} // namespace

TemporaryFile::TemporaryFile(const std::string& target) : target(target) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        temporary = target; // a device or a pipe (/dev/stdout) is written in place
        committed = true;
        return;
    }
    // A link to a file: the file is replaced, and the link kept.
    if (char* real = realpath(target.c_str(), nullptr)) {
        this->target = real;
        free(real);
    }
    // The mark goes before the extension, for programs that choose a format by it (ffmpeg).
    std::string mark = ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(temporaryCount++);
    size_t name = this->target.find_last_of('/') + 1; // 0 without a folder
    size_t dot = this->target.find_last_of('.');
    bool extension = dot != std::string::npos && dot > name;
    temporary = this->target;
    temporary.insert(extension ? dot : temporary.size(), mark);
}

TemporaryFile::~TemporaryFile() {
    if (!committed) remove(temporary.c_str());
}

bool TemporaryFile::commit(std::string* error) {
    if (committed) return true;
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        *error = "cannot put '" + target + "' in place: " + strerror(errno);
        return false;
    }
    committed = true;
    return true;
}

bool writeBytesFile(const std::string& path, const void* bytes, size_t size, std::string* error) {
    TemporaryFile out(path);
    FILE* file = fopen(out.path(), "wb");
    if (!file) {
        *error = "cannot create '" + path + "': " + strerror(errno);
        return false;
    }
    bool written = fwrite(bytes, 1, size, file) == size;
    int reason = errno;
    if (fclose(file) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (!written) {
        *error = "cannot write '" + path + "': " + strerror(reason);
        return false;
    }
    return out.commit(error);
}

} // namespace formats
