// Reads arbitrary bytes as a curve file and evaluates the result at times around its keys:
// no crash, no sanitizer report, no leak, whatever the bytes.
#include "curves/camera_curve.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    CameraCurve curve;
    curve.read(file, "fuzz input");
    fclose(file);
    for (const SplineKeypoint* key : curve.positionSpline.keys()) {
        for (uint32_t t : {key->time - 1, key->time, key->time + 1}) {
            curve.evaluate(t, true);
            curve.evaluate(t, false);
        }
    }
    curve.evaluate(0, true);
    curve.evaluate(UINT32_MAX, true);
    return 0;
}
