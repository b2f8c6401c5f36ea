// Writer of the curve format (curves/curve_format.h): the exact inverse of
// CameraCurve::load. Records are written in the order given; the reader expects ascending time.
#pragma once

#include "curves/curve_format.h"

#include <string>
#include <vector>

namespace formats {

// The file's bytes: magic, record count, records.
std::string encodeCurve(const std::vector<CurveRecord>& records);

// Writes the curve file. Returns false and fills error with a message naming the file.
bool writeCurveFile(const std::string& path, const std::vector<CurveRecord>& records,
                    std::string* error);

} // namespace formats
