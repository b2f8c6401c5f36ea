// Shared by the seed programs: writes one seed file into the corpus directory (argv[1]).
#pragma once

#include <cstdio>
#include <string>

// Writes bytes to the path; returns false after printing what failed.
inline bool writeOneSeed(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        fprintf(stderr, "cannot write seed '%s'\n", path.c_str());
        if (file) fclose(file);
        return false;
    }
    return fclose(file) == 0;
}

// Writes bytes to DIR/name. Built with LIRV_SEED_VARIANTS=n, it writes n copies instead, with 0
// to n - 1 zero bytes appended, for a target that picks its way in by the input's size.
inline bool writeSeed(const std::string& dir, const std::string& name, const std::string& bytes) {
#ifdef LIRV_SEED_VARIANTS
    bool written = true;
    for (int extra = 0; extra < LIRV_SEED_VARIANTS; extra++)
        written = writeOneSeed(dir + "/" + name + "." + std::to_string(extra),
                               bytes + std::string(size_t(extra), '\0')) &&
                  written;
    return written;
#else
    return writeOneSeed(dir + "/" + name, bytes);
#endif
}
