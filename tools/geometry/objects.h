// The single objects of the production: the spike ball, the sound ball, the tunnel, the
// probe, the greetings backdrop and the floating light bulb, and the sound ball's paths.
#pragma once

#include "curves/curve_format.h"
#include "tools/formats/model_writer.h"

#include <vector>

namespace geometry {

// Radius of the sound ball before the scene's zoom; the camera sits at its centre, where the
// size does not show. It is large beside the inner look (below), so that a gore of the outer
// look pulled right through the centre seldom passes in front of the inner look.
constexpr float kSoundBallRadius = 40.0f;
// The scene folds a vertex's direction about the z axis into one quadrant and gives each
// 1/30 radian its own spectrum band: 47 whole bands per quadrant (the 48th is a sliver and
// gets no gore). Each band is a gore from latitude -60 to 60 degrees.
constexpr int kSoundBallBands = 47;
constexpr float kSoundBallBandsPerRadian = 30.0f;
constexpr int kSoundBallGoreRows = 16;
constexpr float kSoundBallGoreLatitude = 60.0f * 3.14159265f / 180.0f;
// The ball has a second, inner look: the same bands cut into tiles in both hemispheres, a
// meter running from the equator to the poles, in other colours, all of it within
// kSoundBallInnerRadius of the centre. Up to a zoom of 1.6 it lies wholly inside the near plane
// (0.1) and the outer look shows; raising the zoom further brings it out from the middle of the
// picture outwards, hiding the outer look, until it fills the view at a zoom of 20.
constexpr float kSoundBallInnerRadius = 0.062f;
constexpr int kSoundBallInnerTiles = 7;
constexpr float kSoundBallInnerGap = 8.0f * 3.14159265f / 180.0f;
constexpr float kSoundBallInnerTop = 78.0f * 3.14159265f / 180.0f;
// Where each look samples the sound ball picture: the outer look in the left half, the inner
// in the right; in each half the gores first (u across the bands, v along the meter from its
// quiet end), then the shell (v from the south pole to the north pole).
constexpr float kSoundBallGoreU0 = 0.01f, kSoundBallGoreU1 = 0.24f;
constexpr float kSoundBallShellU0 = 0.26f, kSoundBallShellU1 = 0.49f;
constexpr float kSoundBallInnerGoreU0 = 0.51f, kSoundBallInnerGoreU1 = 0.74f;
constexpr float kSoundBallInnerShellU0 = 0.76f, kSoundBallInnerShellU1 = 0.99f;

// A metal sphere of radius 0.5 with 32 spikes reaching out to about 1.05.
formats::ModelDesc buildSpikeBallModel();
// Seen from inside: the band gores (mesh 0, the one the scene moves) behind a static shell.
formats::ModelDesc buildSoundBallModel();
// Each shell's distance from the centre at a latitude (radians), as a fraction of its radius.
float soundBallShellScale(float latitude);
float soundBallInnerShellScale(float latitude);
// A panelled tube of kTunnelSides flat sides along -z from z = 3 to z = -110, seen from
// inside; its picture repeats every kTunnelTileLength units along its length.
constexpr float kTunnelRadius = 1.6f;
constexpr float kTunnelTileLength = 4.0f;
constexpr int kTunnelSides = 16;
// The texture has no mipmaps, so the lining is drawn pre-filtered by distance: the tube is cut
// into bands by their distance from the eye (which the scene keeps at z = kTunnelEyeZ), and
// band k samples column k of the tunnel picture, where the lining is blurred along the tube by
// as much as its texels shrink on screen there, and faded towards the dark at the far end.
// A column holds the lining of kTunnelSidesPerColumn sides.
constexpr float kTunnelEyeZ = -0.5f;
constexpr int kTunnelBands = 8;
constexpr int kTunnelSidesPerColumn = 4;
constexpr float kTunnelBandEdges[kTunnelBands + 1] = {-3.5f, 3.5f, 6, 9, 13, 18, 26, 40, 109.5f};
// The distance whose footprint a band's column is filtered for: most of the way into the band,
// since a column filtered for its near edge would flicker at its far edge.
float tunnelBandDistance(int band);
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
