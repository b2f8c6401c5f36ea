// The probe: a small craft built from parametric patches, each with its own rectangle of the
// probe picture. The model tessellates the patches; the picture is baked over the same patches
// (light, shade and paint per texel), since neither scene that flies the probe lights it in a
// way that shows its form: the tunnel draws it unlit, the station entrance from behind against
// a light ahead.
#pragma once

#include "tools/geometry/mesh.h"

#include <functional>
#include <vector>

namespace geometry {

// What a patch's texels show.
enum class ProbeFinish {
    Hull,      // the fuselage's main facets: pale paint, panel lines, the stripe and the mark
    Chamfer,   // the narrow facets between them: dark metal with worn, bright edges
    WingTop,   // the wings' and fin's upper (outer) faces: paint with a coloured tip band
    WingUnder, // their lower (inner) faces: darker paint
    Edge,      // a plate's root and tip caps
    Pod,       // the wing-tip engine pods: gunmetal with a cyan ring
    Nozzle,    // the engine bells: heat-tinted metal outside, a glowing throat inside
};

struct ProbePatch {
    int mesh; // 0 hull, 1 wings, 2 engines
    ProbeFinish finish;
    float u0, v0, u1, v1; // the patch's rectangle in the picture, texture coordinates:
                          // t runs from u0 to u1, s from v0 to v1
    int columns, rows;    // tessellation along s and t
    std::function<Vec3(float s, float t)> at; // the surface point at (s, t), both 0 to 1
    // Sign that turns cross(dP/ds, dP/dt) outwards.
    float outward = 1;
    // Which side of the craft a plate's patch belongs to, for the paint: -1 left, 1 right.
    float side = 0;
};

// The craft's patches, nose towards -z, about 0.85 units long and 1 unit across the pods.
const std::vector<ProbePatch>& probePatches();
// The outward unit normal of a patch at (s, t), from its tangents.
Vec3 probeNormal(const ProbePatch& patch, float s, float t);
// Where (s, t) of a patch lies in the picture: t runs across it (u), s down (v), from the centre
// of its first texel to the centre of its last, so that no texel of a neighbour bleeds in.
Vec3 probeTexCoord(const ProbePatch& patch, float s, float t);
// Size of the probe picture in texels (square).
constexpr int kProbePictureSize = 512;

} // namespace geometry
