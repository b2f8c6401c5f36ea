// The studio's geometry command: every model and curve file of data/, made procedurally.
#pragma once

#include "tools/studio.h"

#include <string>
#include <vector>

namespace geometry {

// One generated file: its path as the demo opens it ("data/city.model") and its bytes.
struct GeneratedFile {
    std::string dataPath;
    std::string bytes;
};

// Every model and curve, in a fixed order. The same checkout always gives the same bytes.
std::vector<GeneratedFile> generateGeometryFiles();

// Writes generateGeometryFiles() below dataDir ("data/x" goes to dataDir + "/x"), creating
// folders. Prints one line per file. Returns 0, or 1 after naming the file that failed.
int writeGeometry(const std::string& dataDir);

// "lirv-studio geometry DATA_DIR".
int runGeometryCommand(int argc, char** argv);
// The part of "lirv-studio all".
int generateGeometry(const StudioPaths& paths);

} // namespace geometry
