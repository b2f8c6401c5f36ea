// Shared by the seed programs: writes one seed file into the corpus directory (argv[1]).
#pragma once

#include <cstdio>
#include <string>

// Writes bytes to DIR/name; returns false after printing what failed.
inline bool writeSeed(const std::string& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        fprintf(stderr, "cannot write seed '%s'\n", path.c_str());
        if (file) fclose(file);
        return false;
    }
    return fclose(file) == 0;
}
