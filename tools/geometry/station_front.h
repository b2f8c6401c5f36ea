// The station's front, as the entrance flight sees it: a central pavilion with the great
// doorway, a fan window over it and a clock in its pediment, two wings and two corner towers.
// Each front face samples its own region of the front picture, so nothing on it repeats; the
// painter paints each region in the face's own units.
#pragma once

#include "tools/geometry/station_props.h"

#include <vector>

namespace geometry {

constexpr int kFrontPictureWidth = 2048, kFrontPictureHeight = 1024;

// One face of the front, seen from the square (+z): its extent in world units and its region.
struct FrontFace {
    enum Kind { Pavilion, Wing, Tower } kind;
    float x0, x1, y0, y1; // world extent; the face lies in a plane of constant z
    PropRegion region;    // in texels of the front picture
    uint32_t seed;        // varies which windows are lit
};

const std::vector<FrontFace>& frontFaces();

// The doorway in the pavilion, which the flight passes through.
constexpr float kDoorHalfWidth = 6.0f, kDoorHeight = 12.5f;
// Where the pavilion's fan window, name and clock sit.
constexpr float kFanWindowY = 13.0f, kFanWindowRadius = 4.8f;
constexpr float kNameBaseline = 18.8f;
constexpr float kPavilionTop = 21.0f, kPedimentTop = 26.0f, kClockY = 22.9f, kClockRadius = 1.5f;
constexpr float kWingTop = 17.0f, kTowerTop = 30.0f;

} // namespace geometry
