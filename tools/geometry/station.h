// The railway station: the hall the crowd of spike balls flies through, the entrance the
// probe leads the camera into, and their paths.
#pragma once

#include "curves/curve_format.h"
#include "tools/formats/model_writer.h"
#include "tools/geometry/mesh.h"

#include <vector>

namespace geometry {

// The station hall spans x = -kHallHalfWidth to kHallHalfWidth, z = -kHallHalfLength to
// kHallHalfLength, floor at y = 0, walls kHallWallHeight high under an arched roof.
constexpr float kHallHalfWidth = 20.0f;
constexpr float kHallHalfLength = 70.0f;
constexpr float kHallWallHeight = 12.0f;

struct StationModel {
    formats::ModelDesc model;
    std::vector<Box> obstacles; // pillars, platforms and walls: solid parts paths avoid
};

StationModel buildStationModel();
// The station's front with its great doorway at z = 0 (x from -6 to 6, up to y = 14), the
// square in front of it (z > 0) and the platform hall behind it (z < 0), with lit office
// blocks along the street on both sides and the night sky as one picture far behind.
StationModel buildIntoStationModel();

// spikeball_cam, spikeball_master and spikeball_crowd: the camera follows the leading ball,
// looking at it; the crowd's path is the leader's, shifted so that the spread of 0 to 4 units
// the scene adds per axis is centred on it.
std::vector<std::vector<CurveRecord>> buildCrowdCurves();
// intoStation_camera and intoStation: the camera flies across the square and through the
// doorway; the probe flies ahead of it inside its narrow view.
std::vector<std::vector<CurveRecord>> buildIntoStationCurves();

} // namespace geometry
