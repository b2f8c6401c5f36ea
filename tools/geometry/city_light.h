// Meshes with light baked into their vertices, for the city model: the night's light (each
// district's glow and the lamps, shops and signs of the layout), a mesh builder that keeps
// each vertex's baked light, and grids of quads to cut walls and ground into.
#pragma once

#include "tools/geometry/city.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace geometry::citymesh {

// The model shader's reading of the baked light (content/shaders/default.vert): whether a
// baked surface fades into the haze with distance (everything but the sky, which has its own).
constexpr float kHazyBake = 1.0f;
constexpr float kSkyBake = 0.0f;

// The packed colour of baked light: red + 256 green + 65536 blue, each in 256 steps from 0 to
// kLightRange, as the model shader unpacks it.
constexpr float kLightRange = 6.0f;
float packLight(Vec3 c);

// One mesh in the making, with the light baked into each of its vertices.
struct LitMesh {
    MeshBuilder mesh;
    std::vector<Vec3> light;
    std::vector<float> modes;

    // Gives every vertex added since `first` the light lightAt(position, normal).
    template <class Light> void bake(size_t first, float mode, Light lightAt) {
        for (size_t k = first; k < mesh.vertexCount(); k++) {
            Vec3 p{mesh.positions[3 * k], mesh.positions[3 * k + 1], mesh.positions[3 * k + 2]};
            Vec3 n{mesh.normals[3 * k], mesh.normals[3 * k + 1], mesh.normals[3 * k + 2]};
            light.push_back(lightAt(p, n));
            modes.push_back(mode);
        }
    }

    // The mesh mirrored in the plane y = mirrorY, its light scaled by `darken`: faces keep
    // facing outwards.
    LitMesh mirrored(float mirrorY, float darken) const;

    // The mesh record with the baked light as texture coordinate set 1 (packed colour,
    // haze). Normals are left out where nothing reads them (no reflection map; the baked
    // light replaces lighting).
    formats::ModelMeshDesc toMesh(const std::string& name, uint32_t material,
                                  bool keepNormals) const;
};

// Adds a grid of quads: vertices at origin + across * (i / columns) + up * rows[j], facing
// `normal`, with texture coordinates uv(point) (a pair).
template <class Uv>
void addGrid(MeshBuilder& mesh, Vec3 origin, Vec3 across, Vec3 up, int columns,
             const std::vector<float>& rows, Vec3 normal, Uv uv) {
    uint32_t first = static_cast<uint32_t>(mesh.vertexCount());
    for (size_t j = 0; j < rows.size(); j++)
        for (int i = 0; i <= columns; i++) {
            Vec3 p = origin + across * (float(i) / columns) + up * rows[j];
            auto [u, v] = uv(p);
            mesh.addVertex(p, normal, u, v);
        }
    bool flip = dot(cross(across, up), normal) < 0;
    auto at = [&](int i, size_t j) { return first + uint32_t(j * (columns + 1) + i); };
    for (size_t j = 0; j + 1 < rows.size(); j++)
        for (int i = 0; i < columns; i++) {
            uint32_t a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            if (flip) {
                mesh.addTriangle(a, c, b);
                mesh.addTriangle(a, d, c);
            } else {
                mesh.addTriangle(a, b, c);
                mesh.addTriangle(a, c, d);
            }
        }
}

// The rows of a wall from y0 to y1, measured from y0: both ends and every height between.
std::vector<float> rowsBetween(float y0, float y1, const std::vector<float>& heights);

// How many columns of at most `spacing` an extent takes (at least one).
int columnsFor(float extent, float spacing);

// The light of the night: each district's glow and the lamps, shops and signs of the layout.
class CityLighting {
  public:
    explicit CityLighting(const std::vector<CityLight>& lights);

    // The glow of the sky and of the district around p, dimmer at street level.
    static Vec3 glow(Vec3 p);

    // Light falling on a surface at p facing n.
    Vec3 at(Vec3 p, Vec3 n) const;

    // The wet street's sheen: each lamp's light drawn out along the street, as its reflection
    // is seen by a camera looking down the street.
    Vec3 sheen(Vec3 p, Vec3 axis) const;

  private:
    template <class F> void forLightsNear(Vec3 p, F f) const;

    const std::vector<CityLight>& lights;
    std::map<std::pair<int, int>, std::vector<size_t>> grid; // lights by square of 24 units
};

} // namespace geometry::citymesh
