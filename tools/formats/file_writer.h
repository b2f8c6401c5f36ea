// Writing files whole or not at all, for the format writers, the generators and the tools: the
// bytes go to a temporary file beside the target, which replaces the target only once it is
// completely written, so that a full disk or an interrupted run leaves the old file whole.
#pragma once

#include <cstddef>
#include <string>

namespace formats {

// A temporary file beside a target ("out/lirv.tmp-PID-N.mp4" for "out/lirv.mp4"). The writer
// writes path(); commit() renames it over the target (one step on one file system). Destroyed
// without a commit, it removes what was written. A target that exists and is no plain file (a
// device, a pipe) is written in place; a link to a file replaces the file. One object per write, on
// any thread.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const char* path() const { return temporary.c_str(); }
    // Puts the completely written temporary file in the target's place. False with *error
    // naming the target and the reason when it cannot.
    bool commit(std::string* error);

  private:
    std::string target;
    std::string temporary;
    bool committed = false;
};

// Creates or replaces the file with the bytes, whole or not at all. False with a message naming
// the file and the reason in *error when it cannot be written.
bool writeBytesFile(const std::string& path, const void* bytes, size_t size, std::string* error);
inline bool writeBytesFile(const std::string& path, const std::string& bytes, std::string* error) {
    return writeBytesFile(path, bytes.data(), bytes.size(), error);
}

} // namespace formats
