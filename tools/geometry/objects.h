// The single objects of the production: the spike ball, the sound ball, the tunnel, the
// probe, the greetings backdrop and the floating light bulb, and the sound ball's paths.
#pragma once

#include "curves/curve_format.h"
#include "tools/formats/model_writer.h"

#include <vector>

namespace geometry {

// Radius of the sound ball before the scene's zoom; the camera sits at its centre.
constexpr float kSoundBallRadius = 4.0f;
// Longitude segments of the sound ball: 48 per quadrant, so each of the 48 spectrum bands the
// scene picks by angle about the z axis moves its own strip of the surface.
constexpr int kSoundBallColumns = 192;
constexpr int kSoundBallRows = 48;

// A metal sphere of radius 0.5 with 32 spikes reaching out to about 1.05.
formats::ModelDesc buildSpikeBallModel();
// A dense sphere about the origin, faces and normals turned inwards to the viewer inside it.
formats::ModelDesc buildSoundBallModel();
// A panelled tube along -z from z = 3 to z = -110, seen from inside; its picture repeats
// every kTunnelTileLength units along its length.
constexpr float kTunnelRadius = 1.6f;
constexpr float kTunnelTileLength = 4.0f;
formats::ModelDesc buildTunnelModel();
// A small craft about 0.8 units long with its nose towards -z.
formats::ModelDesc buildProbeModel();
// A long relief in the plane z <= 0 from x = -30 to 50 and y = -6 to 14, facing +z.
formats::ModelDesc buildBackdropModel();
// A light bulb about 5.4 units tall, centred on the origin, glass up.
formats::ModelDesc buildIdeaModel();

// curve1 and curve2 of the sound ball: slow loops about its centre.
std::vector<std::vector<CurveRecord>> buildSoundBallCurves();

} // namespace geometry
