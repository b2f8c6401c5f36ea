// Paths for cameras and objects: polylines through the streets with rounded corners, sampled
// at an even spacing and turned into curve keys. The demo evaluates a curve as a uniform cubic
// B-spline of its keys that wraps at the second-to-last key's time; closedLoopKeys lays a
// closed loop out so that the wrap is seamless.
#pragma once

#include "curves/curve_format.h"
#include "tools/geometry/mesh.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace geometry {

// A path through corner points, each corner rounded with an arc of up to `radius` (less where
// the legs are short). Closed paths join the last corner back to the first.
class Path {
  public:
    Path(std::vector<Vec3> corners, float radius, bool closed);
    float length() const { return totalLength; }
    // The point at arc length s (wrapped into [0, length) for closed paths, clamped otherwise).
    Vec3 at(float s) const;

  private:
    std::vector<Vec3> points;    // the rounded polyline, densely sampled
    std::vector<float> distance; // arc length at each point
    float totalLength = 0;
    bool isClosed;
};

// Keys of a closed loop of m samples spaced stepMs apart, sample(i) giving the record of
// sample i for any integer i (positions should repeat with period m; rotations may keep
// turning). The keys make a B-spline that runs once round the loop per period and comes back
// to its start without a jump back: the period is m * stepMs + 1 ms (a 1 ms lead-in segment;
// over the first step after a wrap the curve runs up to a sixth of a step ahead, then joins
// the loop again).
std::vector<CurveRecord> closedLoopKeys(int m, uint32_t stepMs,
                                        const std::function<CurveRecord(int)>& sample);

// Keys of an open path: sample(i) for i = 0 to m - 1 at i * stepMs.
std::vector<CurveRecord> openPathKeys(int m, uint32_t stepMs,
                                      const std::function<CurveRecord(int)>& sample);

// A record from its three vectors.
CurveRecord makeRecord(Vec3 position, Vec3 aim, Vec3 rotation = {});

} // namespace geometry
