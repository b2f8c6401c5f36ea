// Writing a whole file of bytes, for the format writers and the generators.
#pragma once

#include <string>

namespace formats {

// Creates or replaces the file with the bytes. False with a message naming the file in *error
// when it cannot be created or written.
bool writeBytesFile(const std::string& path, const std::string& bytes, std::string* error);

} // namespace formats
