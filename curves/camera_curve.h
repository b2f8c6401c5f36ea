// A camera or object path: three splines (position, aim point, rotation) fed from the keys of
// one curve file (curves/curve_format.h) and evaluated together.
#pragma once

#include "curves/curve_format.h"
#include "curves/spline.h"

#include <cstdio>

struct CameraCurve {
    Spline positionSpline; // camera eye, or object translation
    Spline aimSpline;      // point the camera looks at
    Spline rotationSpline; // rotation in degrees about x, y, z

    // Appends the keys of a curve file. Prints "Error opening file %s...\n" or
    // "File '%s' is not a camera curve file.\n" on standard output and adds nothing on failure.
    // A truncated file adds its whole records and stops. Neither clears nor sorts.
    void load(const char* path);

    // As load, reading from an open stream; path only names it in messages.
    void read(FILE* file, const char* path);

    // Splits one record into three keys, one per spline.
    void addKeypoint(const CurveRecord& record);

    // position, aimPoint and rotation at time t (ms); the record's time is left 0.
    CurveRecord evaluate(uint32_t t, bool wrap) const;
};
