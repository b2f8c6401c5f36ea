// Text files read whole and files written whole or not at all, for the preview's saves and
// screenshots.
#pragma once

#include <functional>
#include <string>

// The whole file; false with errno's reason when it cannot be read (a folder cannot).
bool readTextFile(const std::string& path, std::string& text, std::string& reason);
// Writes a file whole or not at all: fill writes a temporary file beside path (the target of a
// symbolic link), made with the old file's permissions (or the usual ones for a new file) and
// named to it; then it is renamed over path. False with "PATH: reason" when a step fails (fill
// gives its own reason), the temporary file removed and the old file untouched.
bool replaceFile(const std::string& path,
                 const std::function<bool(const std::string& temporary, std::string& reason)>& fill,
                 std::string& problem);
// Replaces a text file with replaceFile, flushed to the disk, and reads it back to check it.
bool writeTextFileWhole(const std::string& path, const std::string& text, std::string& problem);
