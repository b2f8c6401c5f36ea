#include "tools/formats/file_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace formats {

bool writeBytesFile(const std::string& path, const std::string& bytes, std::string* error) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot create '" + path + "': " + strerror(errno);
        return false;
    }
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (fclose(file) != 0) written = false;
    if (!written) *error = "cannot write '" + path + "'";
    return written;
}

} // namespace formats
