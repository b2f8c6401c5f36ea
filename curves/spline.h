// Uniform cubic B-spline through timed keys, used for camera and object paths.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

using SplineValue = std::array<float, 4>;

// One key of one Spline. The curve file fills value[0..2]; value[3] stays 0.
struct SplineKeypoint {
    uint32_t time = 0; // milliseconds
    SplineValue value = {0, 0, 0, 0};
};

// An ordered list of owned keys, kept in the order they were added (evaluation expects
// ascending times). Destroying it prints "Removed keypoint\n" once per key.
class Spline {
  public:
    Spline() = default;
    Spline(const Spline&) = delete;
    Spline& operator=(const Spline&) = delete;
    virtual ~Spline();

    // Appends a heap key; the spline takes ownership. No sorting, no duplicate check.
    void addKeypoint(SplineKeypoint* key);

    // The curve's value at time t (ms). The curve ends at the second-to-last key's time T;
    // with wrap, t is taken modulo T, without it times from T on give the last key's value.
    // Fewer than two keys, or T = 0 with wrap, give the first key's value (zeros if none).
    SplineValue evaluate(uint32_t t, bool wrap) const;

    const std::vector<SplineKeypoint*>& keys() const { return keypoints; }

  private:
    std::vector<SplineKeypoint*> keypoints; // owned
};
