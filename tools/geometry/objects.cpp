#include "tools/geometry/objects.h"

#include "tools/geometry/mesh.h"
#include "tools/geometry/paths.h"
#include "tools/geometry/texture_names.h"

#include <algorithm>
#include <cmath>

namespace geometry {

namespace {

// The 12 corners of an icosahedron followed by its 20 face centres, as unit directions.
std::vector<Vec3> spikeDirections() {
    const float p = (1 + std::sqrt(5.0f)) / 2;
    std::vector<Vec3> corners = {{-1, p, 0}, {1, p, 0}, {-1, -p, 0}, {1, -p, 0},
                                 {0, -1, p}, {0, 1, p}, {0, -1, -p}, {0, 1, -p},
                                 {p, 0, -1}, {p, 0, 1}, {-p, 0, -1}, {-p, 0, 1}};
    const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                              {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                              {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                              {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    std::vector<Vec3> directions;
    for (Vec3 c : corners)
        directions.push_back(normalize(c));
    for (const auto& f : faces)
        directions.push_back(normalize(corners[f[0]] + corners[f[1]] + corners[f[2]]));
    return directions;
}

float smoothEdge(float d, float width) {
    float t = std::clamp(d / width, 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Height of the greetings backdrop: raised panels of several depths over a slow swell.
struct Relief {
    struct Panel {
        float x0, y0, x1, y1, height;
    };
    std::vector<Panel> panels;

    Relief() {
        Random random(0xb4cd409);
        for (int k = 0; k < 90; k++) {
            float x = random.uniform(-32, 50), y = random.uniform(-7, 14);
            float w = random.uniform(1.5f, 9), h = random.uniform(1, 6);
            panels.push_back({x, y, x + w, y + h, random.uniform(0.08f, 0.3f)});
        }
    }
    float at(float x, float y) const {
        float z = 0.4f * std::sin(x * 0.23f) * std::cos(y * 0.31f);
        for (const Panel& p : panels) {
            float inside = std::min({x - p.x0, p.x1 - x, y - p.y0, p.y1 - y});
            if (inside > 0) z = std::max(z, p.height * smoothEdge(inside, 0.6f));
        }
        return z - 1.5f;
    }
};

} // namespace

formats::ModelDesc buildSpikeBallModel() {
    formats::ModelDesc model;
    // Two tones, so that a ball reads as a made thing under any light: a dark gunmetal core
    // and spikes that run from dark bronze to a hot point (their picture, base to tip). The
    // scenes light it brightly (the hall's light alone adds up to 1.4), so neither is near
    // white.
    model.materials.push_back(makeMaterial({0.3f, 0.31f, 0.36f}, 1, 0.9f, 0.7f, maps::kMetal, 0.9f,
                                           maps::kReflection, 0.35f));
    model.materials.push_back(makeMaterial({0.78f, 0.74f, 0.7f}, 1, 0.8f, 0.5f, maps::kSpike, 1.0f,
                                           maps::kReflection, 0.2f));
    MeshBuilder core, spikes;
    core.addSphere({}, 0.5f, 24, 16, 2, 1);
    for (Vec3 d : spikeDirections())
        spikes.addCone(d * 0.42f, d * 1.1f, 0.085f, 10);
    model.meshes.push_back(core.toMesh("spikeball", 0));
    model.meshes.push_back(spikes.toMesh("spikes", 1));
    return model;
}

namespace {

// A direction from its azimuth about the z axis and its latitude; exactly a pole at +-90
// degrees, so that the triangles meeting there collapse exactly.
Vec3 sphereDirection(float azimuth, float latitude) {
    if (std::fabs(latitude) >= 0.5f * kPi) return {0, 0, latitude > 0 ? 1.0f : -1.0f};
    return {std::cos(latitude) * std::cos(azimuth), std::cos(latitude) * std::sin(azimuth),
            std::sin(latitude)};
}

// The azimuth of a point `fold` radians into its quadrant: the scene folds every direction
// into the first quadrant, mirroring the others onto it.
float unfolded(int quadrant, float fold) {
    return quadrant % 2 ? kPi * (quadrant / 2 + 1) - fold : kPi * (quadrant / 2) + fold;
}

// The outer look's gores: each band a whole gore from latitude -60 to 60 degrees.
void addOuterGores(MeshBuilder& gores, int quadrant, float from, float to, float u) {
    gores.addSurface(2, kSoundBallGoreRows, [&](float s, float t) {
        float latitude = (2 * t - 1) * kSoundBallGoreLatitude;
        Vec3 d = sphereDirection(unfolded(quadrant, from + (to - from) * s), latitude);
        // v: 0 where the gore starts near a pole, 1 at the equator (the loud end).
        float meter = 1 - std::fabs(latitude) / kSoundBallGoreLatitude;
        return SurfacePoint{d * kSoundBallRadius, -d, u, meter};
    });
}

// The inner look's gores: each band cut into tiles in both hemispheres, from the equator's
// gap (the quiet end) towards the poles.
void addInnerTiles(MeshBuilder& gores, int quadrant, float from, float to, float u) {
    for (float hemisphere : {-1.0f, 1.0f})
        for (int tile = 0; tile < kSoundBallInnerTiles; tile++) {
            float span = (kSoundBallInnerTop - kSoundBallInnerGap) / kSoundBallInnerTiles;
            float low = kSoundBallInnerGap + span * (tile + 0.12f);
            float high = kSoundBallInnerGap + span * (tile + 0.88f);
            gores.addSurface(1, 1, [&](float s, float t) {
                float latitude = hemisphere * (low + (high - low) * t);
                Vec3 d = sphereDirection(unfolded(quadrant, from + (to - from) * s), latitude);
                float meter = (std::fabs(latitude) - kSoundBallInnerGap) /
                              (kSoundBallInnerTop - kSoundBallInnerGap);
                return SurfacePoint{d * kSoundBallInnerRadius, -d, u, meter};
            });
        }
}

// A look's shell: a sphere to the eye, drawn in towards the centre by `scale` by latitude.
void addShell(MeshBuilder& shell, float radius, float u0, float u1,
              float (*scale)(float latitude)) {
    shell.addSurface(64, 48, [&](float s, float t) {
        // The seam's two columns get exactly the same positions, so no crack opens there.
        float azimuth = s < 1 ? 2 * kPi * s : 0, latitude = (t - 0.5f) * kPi;
        Vec3 d = sphereDirection(azimuth, latitude);
        return SurfacePoint{d * (radius * scale(latitude)), -d, u0 + (u1 - u0) * s, t};
    });
}

} // namespace

formats::ModelDesc buildSoundBallModel() {
    formats::ModelDesc model;
    model.materials.push_back(makeMaterial({1, 1, 1}, 1, 0.2f, 0.5f, maps::kSoundBall, 1.0f));

    // The scene pulls every vertex of the first mesh towards the centre, where the camera
    // sits, by the level of the band its direction about the z axis falls in. Seen from the
    // centre a vertex moving along its own line of sight does not move on screen, so the
    // music shows through depth: each band is a separate gore that only moves as a whole, and
    // a static shell in front of the gores hides them until their band pulls them through it.
    // Both looks are built this way, the inner one small enough to lie wholly within the
    // near plane until the scene's zoom brings it out.
    // The inner look comes first in each mesh: when it shows, it lies in front of the whole outer
    // look, and the outer look's pixels behind it then fail the depth test before any shading.
    MeshBuilder gores;
    for (bool inner : {true, false})
        for (int quadrant = 0; quadrant < 4; quadrant++)
            for (int band = 0; band < kSoundBallBands; band++) {
                float margin = 0.03f / kSoundBallBandsPerRadian;
                float from = band / kSoundBallBandsPerRadian + margin;
                float to = (band + 1) / kSoundBallBandsPerRadian - margin;
                float across = (band + 0.5f) / kSoundBallBands;
                if (inner)
                    addInnerTiles(gores, quadrant, from, to,
                                  kSoundBallInnerGoreU0 +
                                      (kSoundBallInnerGoreU1 - kSoundBallInnerGoreU0) * across);
                else
                    addOuterGores(gores, quadrant, from, to,
                                  kSoundBallGoreU0 +
                                      (kSoundBallGoreU1 - kSoundBallGoreU0) * across);
            }
    model.meshes.push_back(gores.toMesh("bands", 0));
    // The shells: a gore shows from its quiet end to the latitude its band's level reaches.
    MeshBuilder shell;
    addShell(shell, kSoundBallInnerRadius, kSoundBallInnerShellU0, kSoundBallInnerShellU1,
             soundBallInnerShellScale);
    addShell(shell, kSoundBallRadius, kSoundBallShellU0, kSoundBallShellU1, soundBallShellScale);
    model.meshes.push_back(shell.toMesh("shell", 0));
    return model;
}

float soundBallShellScale(float latitude) {
    float reach = std::min(std::fabs(latitude) / kSoundBallGoreLatitude, 1.0f);
    // The band level at which a gore shows at this latitude: 0.03 at its pole end, 0.48 at the
    // equator, with more of the meter given to the quieter levels. The shell stays at least a
    // quarter of the radius away, beyond the near plane even in the corners of the wide lens.
    float level = 0.03f + 0.45f * std::pow(1 - reach, 1.5f);
    return 1 - 1.5f * level;
}

float soundBallInnerShellScale(float latitude) {
    // 0.03 at the equator's gap, 0.15 at the poles: a far shallower meter than the outer
    // look's, so that at the largest zoom even the deepest part of the shell stays clear of the
    // near plane at the edges of the wide lens.
    float reach = std::clamp((std::fabs(latitude) - kSoundBallInnerGap) /
                                 (kSoundBallInnerTop - kSoundBallInnerGap),
                             0.0f, 1.0f);
    float level = 0.03f + 0.12f * std::pow(reach, 1.3f);
    return 1 - 1.5f * level;
}

float tunnelBandDistance(int band) {
    if (band == kTunnelBands - 1) return 70; // the dark end: as good as flat along the tube
    float nearEdge = std::max(kTunnelBandEdges[band], 0.0f), farEdge = kTunnelBandEdges[band + 1];
    return nearEdge + 0.7f * (farEdge - nearEdge);
}

formats::ModelDesc buildTunnelModel() {
    formats::ModelDesc model;
    model.materials.push_back(makeMaterial({0.9f, 0.92f, 1.0f}, 1, 0.3f, 0.3f, maps::kTunnel, 1.0f,
                                           maps::kReflection, 0.1f));
    MeshBuilder tube;
    const float columnWidth = 1.0f / kTunnelBands;
    // Flat panels: each side of each band is its own strip with its own inward normal, rows one
    // unit long or less.
    for (int band = 0; band < kTunnelBands; band++) {
        float zNear = kTunnelEyeZ - kTunnelBandEdges[band];
        float zFar = kTunnelEyeZ - kTunnelBandEdges[band + 1];
        int rows = static_cast<int>(std::ceil(zNear - zFar));
        for (int side = 0; side < kTunnelSides; side++) {
            float a0 = 2 * kPi * side / kTunnelSides, a1 = 2 * kPi * (side + 1) / kTunnelSides;
            Vec3 p0{kTunnelRadius * std::cos(a0), kTunnelRadius * std::sin(a0), 0};
            Vec3 p1{kTunnelRadius * std::cos(a1), kTunnelRadius * std::sin(a1), 0};
            Vec3 inward = -normalize(p0 + p1);
            float s0 =
                columnWidth * (band + float(side % kTunnelSidesPerColumn) / kTunnelSidesPerColumn);
            tube.addSurface(1, rows, [&](float u, float v) {
                float z = zNear + (zFar - zNear) * v;
                Vec3 p = p0 + (p1 - p0) * u + Vec3{0, 0, z};
                float s = s0 + u * columnWidth / kTunnelSidesPerColumn;
                return SurfacePoint{p, inward, s, -z / kTunnelTileLength};
            });
        }
    }
    model.meshes.push_back(tube.toMesh("tunnel", 0));
    return model;
}

formats::ModelDesc buildBackdropModel() {
    formats::ModelDesc model;
    // The picture carries the colours (a night skyline, painted as light); the scene's light
    // brightens it by about a third, so the material takes that back off. The greeting cards
    // are added onto it: the picture keeps its sky and towers dark for them.
    model.materials.push_back(makeMaterial({0.75f, 0.75f, 0.78f}, 1, 0.1f, 0.25f, maps::kRelief,
                                           1.0f, maps::kReflection, 0.15f));
    Relief relief;
    const float x0 = -30, x1 = 50, y0 = -6, y1 = 14;
    const float cell = 0.25f;
    MeshBuilder wall;
    wall.addSurface(static_cast<int>((x1 - x0) / cell), static_cast<int>((y1 - y0) / cell),
                    [&](float u, float v) {
                        float x = x0 + (x1 - x0) * u, y = y0 + (y1 - y0) * v;
                        // Central differences over one cell, the slope the triangles have.
                        float dx = relief.at(x + cell, y) - relief.at(x - cell, y);
                        float dy = relief.at(x, y + cell) - relief.at(x, y - cell);
                        Vec3 normal{-dx / (2 * cell), -dy / (2 * cell), 1};
                        // The relief picture (a 4:1 skyline) once over the whole wall, top row at
                        // the top.
                        return SurfacePoint{{x, y, relief.at(x, y)},
                                            normal,
                                            (x - x0) / (x1 - x0),
                                            (y1 - y) / (y1 - y0)};
                    });
    model.meshes.push_back(wall.toMesh("relief", 0));
    return model;
}

formats::ModelDesc buildIdeaModel() {
    formats::ModelDesc model;
    // The station scene adds the bulb onto its slides (the framebuffer has no alpha, so the
    // destination factor is one), unlit: the base is dim metal, the filament the one bright
    // thing, and the glass a dark shell with a bright rim and a highlight (the glass picture,
    // looked up by the normal).
    model.materials.push_back(
        makeMaterial({0.3f, 0.31f, 0.34f}, 1, 0.9f, 0.6f, maps::kMetal, 0.8f));
    model.materials.push_back(makeMaterial({1.0f, 0.72f, 0.3f}, 1, 1.0f, 0.9f));
    model.materials.push_back(makeMaterial({1, 1, 1}, 0.8f, 1.0f, 0.9f, maps::kGlass, 1.0f));

    // Screw base with its thread and the contact at the bottom.
    std::vector<std::pair<float, float>> base = {
        {0.0f, -2.62f}, {0.18f, -2.6f}, {0.32f, -2.45f}, {0.62f, -2.3f}};
    for (int k = 0; k <= 8; k++)
        base.push_back({k % 2 ? 0.7f : 0.8f, -2.2f + 0.16f * k});
    base.push_back({0.78f, -0.9f});
    base.push_back({0.0f, -0.88f});
    MeshBuilder metal;
    metal.addLathe(base, 24, 2);

    // Filament: two support wires and a zig-zag between them.
    MeshBuilder filament;
    filament.addRod({-0.3f, -0.9f, 0}, {-0.35f, 0.9f, 0}, 0.05f, 6);
    filament.addRod({0.3f, -0.9f, 0}, {0.35f, 0.9f, 0}, 0.05f, 6);
    const Vec3 zigzag[] = {
        {-0.35f, 0.9f, 0}, {-0.18f, 1.3f, 0}, {0, 0.9f, 0}, {0.18f, 1.3f, 0}, {0.35f, 0.9f, 0}};
    for (int k = 0; k + 1 < 5; k++)
        filament.addRod(zigzag[k], zigzag[k + 1], 0.09f, 6);

    // Glass: a sphere of radius 1.6 about y = 1.2 drawn in to the neck at y = -0.9.
    std::vector<std::pair<float, float>> glass = {{0.78f, -0.9f}, {0.8f, -0.6f}, {0.9f, -0.3f}};
    for (int k = 0; k <= 16; k++) {
        float angle = -0.9f + (kPi / 2 + 0.9f) * k / 16; // from below the equator to the top
        glass.push_back({1.6f * std::cos(angle), 1.2f + 1.6f * std::sin(angle)});
    }
    MeshBuilder bulb;
    bulb.addLathe(glass, 32, 1);
    // The glass picture is looked up by the normal: rim light and highlight stay on the glass.
    for (size_t k = 0; k < bulb.vertexCount(); k++) {
        bulb.texCoords[2 * k] = 0.5f + 0.45f * bulb.normals[3 * k];
        bulb.texCoords[2 * k + 1] = 0.5f - 0.45f * bulb.normals[3 * k + 1];
    }

    // Drawn in this order: the scene draws without depth testing, so the glass comes last.
    model.meshes.push_back(metal.toMesh("base", 0));
    model.meshes.push_back(filament.toMesh("filament", 1));
    model.meshes.push_back(bulb.toMesh("glass", 2));
    return model;
}

std::vector<std::vector<CurveRecord>> buildSoundBallCurves() {
    std::vector<std::vector<CurveRecord>> curves;
    const float radii[2] = {0.6f, 1.0f};
    const int samples[2] = {16, 24};
    for (int c = 0; c < 2; c++) {
        int m = samples[c];
        float r = radii[c];
        curves.push_back(closedLoopKeys(m, 500, [&](int i) {
            float a = 2 * kPi * i / m;
            Vec3 p = c == 0 ? Vec3{r * std::cos(a), 0.5f * r * std::sin(2 * a), r * std::sin(a)}
                            : Vec3{r * std::sin(a), r * std::cos(a), 0.3f * r * std::sin(a)};
            return makeRecord(p, {0, 0, 0}, {0, 360.0f * i / m, 0});
        }));
    }
    return curves;
}

} // namespace geometry
