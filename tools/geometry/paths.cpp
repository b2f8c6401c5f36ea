#include "tools/geometry/paths.h"

#include <algorithm>
#include <cassert>

namespace geometry {

namespace {

constexpr int kArcSteps = 16;

// Appends the rounded corner at `corner` between the legs from `before` and to `after`:
// a quadratic Bezier from the point `cut` before the corner to `cut` after it.
void appendCorner(std::vector<Vec3>& out, Vec3 before, Vec3 corner, Vec3 after, float radius) {
    Vec3 in = corner - before, outLeg = after - corner;
    float cut = std::min({radius, length(in) * 0.45f, length(outLeg) * 0.45f});
    Vec3 start = corner - normalize(in) * cut;
    Vec3 end = corner + normalize(outLeg) * cut;
    for (int k = 0; k <= kArcSteps; k++) {
        float t = float(k) / kArcSteps;
        Vec3 p = start * ((1 - t) * (1 - t)) + corner * (2 * t * (1 - t)) + end * (t * t);
        out.push_back(p);
    }
}

} // namespace

Path::Path(std::vector<Vec3> corners, float radius, bool closed) : isClosed(closed) {
    const int n = static_cast<int>(corners.size());
    assert(n >= 2);
    if (!closed) points.push_back(corners[0]);
    for (int i = closed ? 0 : 1; i < (closed ? n : n - 1); i++)
        appendCorner(points, corners[(i + n - 1) % n], corners[i], corners[(i + 1) % n], radius);
    if (closed)
        points.push_back(points.front());
    else
        points.push_back(corners[n - 1]);
    distance.push_back(0);
    for (size_t i = 1; i < points.size(); i++)
        distance.push_back(distance.back() + geometry::length(points[i] - points[i - 1]));
    totalLength = distance.back();
}

Vec3 Path::at(float s) const {
    if (isClosed) {
        s = std::fmod(s, totalLength);
        if (s < 0) s += totalLength;
    } else {
        s = std::clamp(s, 0.0f, totalLength);
    }
    size_t i = std::upper_bound(distance.begin(), distance.end(), s) - distance.begin();
    if (i >= points.size()) return points.back();
    if (i == 0) return points.front();
    float span = distance[i] - distance[i - 1];
    float t = span > 0 ? (s - distance[i - 1]) / span : 0;
    return points[i - 1] + (points[i] - points[i - 1]) * t;
}

std::vector<CurveRecord> closedLoopKeys(int m, uint32_t stepMs,
                                        const std::function<CurveRecord(int)>& sample) {
    // Key j >= 1 holds sample j - 2, at 1 + (j - 1) * stepMs, so that every segment from the
    // third on reads four consecutive samples of the loop. The wrap time (the second-to-last
    // key's) falls where the curve is back at its start. At the wrap time itself, and at time
    // 0 (the first frame of a clip), the demo shows key 0 unchanged: key 0 holds the spline's
    // value there, q * (sample -2 + 4 * sample -1 + sample 0) with the evaluator's weight q,
    // instead of sample -2, which lies a whole step back.
    const float q = 0.166667f;
    CurveRecord before = sample(-2), at = sample(-1), after = sample(0);
    CurveRecord first{};
    auto blend = [&](const float* a, const float* b, const float* c, float* out) {
        for (int axis = 0; axis < 3; axis++)
            out[axis] = q * (a[axis] + 4 * b[axis] + c[axis]);
    };
    blend(before.position, at.position, after.position, first.position);
    blend(before.aimPoint, at.aimPoint, after.aimPoint, first.aimPoint);
    blend(before.rotation, at.rotation, after.rotation, first.rotation);
    std::vector<CurveRecord> keys{first};
    for (int j = 1; j <= m + 2; j++) {
        CurveRecord key = sample(j - 2);
        key.time = 1 + uint32_t(j - 1) * stepMs;
        keys.push_back(key);
    }
    return keys;
}

std::vector<CurveRecord> openPathKeys(int m, uint32_t stepMs,
                                      const std::function<CurveRecord(int)>& sample) {
    std::vector<CurveRecord> keys;
    for (int i = 0; i < m; i++) {
        CurveRecord key = sample(i);
        key.time = uint32_t(i) * stepMs;
        keys.push_back(key);
    }
    return keys;
}

CurveRecord makeRecord(Vec3 position, Vec3 aim, Vec3 rotation) {
    CurveRecord record{};
    record.position[0] = position.x;
    record.position[1] = position.y;
    record.position[2] = position.z;
    record.aimPoint[0] = aim.x;
    record.aimPoint[1] = aim.y;
    record.aimPoint[2] = aim.z;
    record.rotation[0] = rotation.x;
    record.rotation[1] = rotation.y;
    record.rotation[2] = rotation.z;
    return record;
}

} // namespace geometry
