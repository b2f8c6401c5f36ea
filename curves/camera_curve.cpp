#include "curves/camera_curve.h"

#include <cstring>

namespace {

uint32_t getU32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

float getFloat(const unsigned char* bytes) {
    uint32_t bits = getU32(bytes);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

CurveRecord decodeRecord(const unsigned char* bytes) {
    CurveRecord record;
    record.time = getU32(bytes);
    for (int c = 0; c < 3; c++) {
        record.position[c] = getFloat(bytes + 4 + 4 * c);
        record.aimPoint[c] = getFloat(bytes + 16 + 4 * c);
        record.rotation[c] = getFloat(bytes + 28 + 4 * c);
    }
    return record;
}

SplineKeypoint* makeKey(uint32_t time, const float* xyz) {
    SplineKeypoint* key = new SplineKeypoint;
    key->time = time;
    for (int c = 0; c < 3; c++)
        key->value[c] = xyz[c];
    return key;
}

} // namespace

void CameraCurve::load(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) {
        printf("Error opening file %s...\n", path);
        return;
    }
    read(file, path);
    fclose(file);
}

void CameraCurve::read(FILE* file, const char* path) {
    char header[kCurveMagicSize] = {};
    if (fread(header, 1, sizeof header, file) != sizeof header ||
        strncmp(header, kCurveMagic, kCurveMagicSize) != 0) {
        printf("File '%s' is not a camera curve file.\n", path);
        return;
    }
    unsigned char countBytes[4];
    if (fread(countBytes, 1, sizeof countBytes, file) != sizeof countBytes) {
        printf("File '%s' ends before its keypoint count.\n", path);
        return;
    }
    // The count is not trusted: reading stops at the last whole record, and says so.
    unsigned char bytes[kCurveRecordSize];
    const uint32_t count = getU32(countBytes);
    for (uint32_t n = 0; n < count; n++) {
        if (fread(bytes, 1, sizeof bytes, file) != sizeof bytes) {
            printf("File '%s' ends after %u of its %u keypoints.\n", path, n, count);
            break;
        }
        addKeypoint(decodeRecord(bytes));
    }
}

void CameraCurve::addKeypoint(const CurveRecord& record) {
    positionSpline.addKeypoint(makeKey(record.time, record.position));
    aimSpline.addKeypoint(makeKey(record.time, record.aimPoint));
    rotationSpline.addKeypoint(makeKey(record.time, record.rotation));
}

CurveRecord CameraCurve::evaluate(uint32_t t, bool wrap) const {
    const SplineValue position = positionSpline.evaluate(t, wrap);
    const SplineValue aim = aimSpline.evaluate(t, wrap);
    const SplineValue rotation = rotationSpline.evaluate(t, wrap);
    CurveRecord result = {};
    for (int c = 0; c < 3; c++) {
        result.position[c] = position[c];
        result.aimPoint[c] = aim[c];
        result.rotation[c] = rotation[c];
    }
    return result;
}
