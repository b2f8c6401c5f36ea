#include "curves/spline.h"

#include <cstdio>

namespace {

// The uniform cubic B-spline basis, rows top to bottom, and its weight. The weight is the
// decimal 0.166667, not 1/6: six of it make 1.000002, and that overshoot is part of the curve.
const float kBasis[4][4] = {
    {-1, 3, -3, 1},
    {3, -6, 3, 0},
    {-3, 0, 3, 0},
    {1, 4, 1, 0},
};
const float kWeight = 0.166667f;

// w x (B x P) with w = (s^3 q, s^2 q, s q, q) and P the rows p0..p3.
SplineValue blend(float s, const SplineValue* const p[4]) {
    const float w[4] = {s * s * s * kWeight, s * s * kWeight, s * kWeight, kWeight};
    SplineValue result = {0, 0, 0, 0};
    for (int j = 0; j < 4; j++) {
        float sum = 0;
        for (int r = 0; r < 4; r++) {
            float m = 0;
            for (int k = 0; k < 4; k++)
                m += kBasis[r][k] * (*p[k])[j];
            sum += w[r] * m;
        }
        result[j] = sum;
    }
    return result;
}

} // namespace

Spline::~Spline() {
    for (SplineKeypoint* key : keypoints) {
        printf("Removed keypoint\n");
        delete key;
    }
}

void Spline::addKeypoint(SplineKeypoint* key) {
    keypoints.push_back(key);
}

SplineValue Spline::evaluate(uint32_t t, bool wrap) const {
    const size_t n = keypoints.size();
    if (n == 0) return {0, 0, 0, 0};
    const SplineValue& first = keypoints[0]->value;
    if (n < 2) return first;

    const uint32_t end = keypoints[n - 2]->time;
    if (wrap) {
        if (end == 0) return first;
        t %= end;
    } else if (t >= end) {
        return keypoints[n - 1]->value;
    }

    // Now t < end = keys[n-2].time, so the search stops at n-2 at the latest, whatever the
    // order of the keys, and keys[i+1] exists.
    size_t i = 0;
    while (i < n - 2 && keypoints[i]->time < t)
        i++;
    if (i == 0) return first;

    const SplineKeypoint* before = keypoints[i - 1];
    const SplineKeypoint* after = keypoints[i];
    const SplineValue* p[4] = {i >= 2 ? &keypoints[i - 2]->value : &before->value, &before->value,
                               &after->value, &keypoints[i + 1]->value};
    // before->time < t <= after->time, so the divisor is at least 1.
    float s = static_cast<float>(t - before->time) / static_cast<float>(after->time - before->time);
    return blend(s, p);
}
