// The curve file format, shared by the reader (curves/camera_curve.cpp) and the studio's
// writer (tools/formats/curve_writer.cpp).
//
//   offset 0   20 bytes  magic "VELOXIUM_CURVE_v1.1" and one zero byte
//   offset 20   4 bytes  record count N, unsigned 32-bit little-endian
//   offset 24  40 x N    records in ascending time: time (u32 ms), position xyz,
//                        aimPoint xyz, rotation xyz (floats), all little-endian
#pragma once

#include <cstdint>

constexpr char kCurveMagic[] = "VELOXIUM_CURVE_v1.1";
constexpr int kCurveMagicSize = 20;
static_assert(sizeof(kCurveMagic) == kCurveMagicSize, "the magic includes its zero byte");
constexpr int kCurveHeaderSize = kCurveMagicSize + 4;
constexpr int kCurveRecordSize = 40;

// One key of a curve file, and the result of CameraCurve::evaluate (time is not written then).
struct CurveRecord {
    uint32_t time;     // milliseconds
    float position[3]; // camera eye, or object translation
    float aimPoint[3]; // point the camera looks at
    float rotation[3]; // object rotation in degrees about x, then y, then z
};
static_assert(sizeof(CurveRecord) == kCurveRecordSize, "CurveRecord is the 40-byte record");
