// The night city: a grid of blocks of lit towers with streets between them, and the camera
// and spike-ball paths that fly along those streets.
#pragma once

#include "curves/curve_format.h"
#include "tools/formats/model_writer.h"
#include "tools/geometry/mesh.h"

#include <vector>

namespace geometry {

// Street grid: kCityStreets street centre lines along each axis, kCityPitch apart, centred
// on the origin; each street is kCityStreetWidth wide from wall line to wall line.
constexpr int kCityStreets = 10;
constexpr float kCityPitch = 36.0f;
constexpr float kCityStreetWidth = 12.0f;

// x (or z) of street centre line k, k = 0 to kCityStreets - 1.
inline float cityStreetLine(int k) {
    return (k - 0.5f * (kCityStreets - 1)) * kCityPitch;
}

struct CityLayout {
    std::vector<Box> towers; // tower bodies and their setback storeys
    std::vector<Box> masts;  // antennas on roofs
    std::vector<Box> lamps;  // street lamp posts and heads
    // Every solid box of the city, which paths must keep out of.
    std::vector<Box> obstacles() const;
};

// The layout is fixed by its seed: every call gives the same city.
CityLayout makeCityLayout();

formats::ModelDesc buildCityModel(const CityLayout& layout);

// The five paths of the City scene, in the order of its curve files: cameras 0, 1 and 2, then
// the spike-ball paths seen by cameras 1 and 2.
std::vector<std::vector<CurveRecord>> buildCityCurves();

} // namespace geometry
