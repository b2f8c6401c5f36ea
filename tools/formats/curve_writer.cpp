#include "tools/formats/curve_writer.h"

#include "tools/formats/file_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace formats {

namespace {

void putU32(std::string& out, uint32_t value) {
    for (int byte = 0; byte < 4; byte++)
        out.push_back(static_cast<char>((value >> (8 * byte)) & 0xff));
}

void putFloats(std::string& out, const float* values, int count) {
    for (int i = 0; i < count; i++) {
        uint32_t bits;
        memcpy(&bits, &values[i], sizeof bits);
        putU32(out, bits);
    }
}

} // namespace

std::string encodeCurve(const std::vector<CurveRecord>& records) {
    std::string out(kCurveMagic, kCurveMagicSize);
    putU32(out, static_cast<uint32_t>(records.size()));
    for (const CurveRecord& record : records) {
        putU32(out, record.time);
        putFloats(out, record.position, 3);
        putFloats(out, record.aimPoint, 3);
        putFloats(out, record.rotation, 3);
    }
    return out;
}

bool writeCurveFile(const std::string& path, const std::vector<CurveRecord>& records,
                    std::string* error) {
    return writeBytesFile(path, encodeCurve(records), error);
}

} // namespace formats
