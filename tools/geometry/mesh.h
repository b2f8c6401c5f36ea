// Building blocks of the procedural models: a small vector type and a mesh builder that
// collects positions, normals, texture coordinates and triangles and hands them to the model
// writer as one mesh record.
#pragma once

#include "tools/formats/model_writer.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace geometry {

constexpr float kPi = 3.14159265358979f;

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator-(Vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
// The unit vector along a, or a itself when it has no length.
inline Vec3 normalize(Vec3 a) {
    float l = length(a);
    return l > 0 ? a * (1.0f / l) : a;
}

// A point of a parametric surface: where it is, which way it faces, where it samples.
struct SurfacePoint {
    Vec3 position;
    Vec3 normal;
    float u = 0, v = 0;
};

// Axis-aligned box, used for solid parts of models and for collision checks of paths.
struct Box {
    Vec3 min, max;
    bool contains(Vec3 p, float margin = 0) const {
        return p.x > min.x - margin && p.x < max.x + margin && p.y > min.y - margin &&
               p.y < max.y + margin && p.z > min.z - margin && p.z < max.z + margin;
    }
};

// Faces of a box, for addBox's mask.
enum BoxFace : unsigned {
    kFaceNegX = 1,
    kFacePosX = 2,
    kFaceNegY = 4,
    kFacePosY = 8,
    kFaceNegZ = 16,
    kFacePosZ = 32,
    kAllFaces = 63
};

// Collects one mesh. Triangles are counter-clockwise seen from the side their normals face.
class MeshBuilder {
  public:
    uint32_t addVertex(Vec3 position, Vec3 normal, float u, float v);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);

    // A flat quad with corners in counter-clockwise order seen from its front, texture
    // coordinates (u0, v0) at corner a, (u1, v0) at b, (u1, v1) at c, (u0, v1) at d.
    void addQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float u0, float v0, float u1, float v1);

    // A box with outward faces. Texture coordinates run in world units times uvScale, so a
    // repeating picture keeps its size on boxes of any size; uOffset shifts every face.
    void addBox(const Box& box, float uvScale, float uOffset = 0, unsigned faces = kAllFaces);

    // A grid of (columns + 1) x (rows + 1) vertices from point(i / columns, j / rows).
    // Each cell's two triangles are wound so that they face the way the normals point.
    void addSurface(int columns, int rows, const std::function<SurfacePoint(float, float)>& point);

    // A body of revolution about the y axis from a profile of (radius, height) pairs, bottom
    // to top, with `sides` segments around. Normals come from the profile's slope; v runs
    // along the profile (0 to 1), u around (0 to uRepeat). Faces point outwards.
    void addLathe(const std::vector<std::pair<float, float>>& profile, int sides, float uRepeat,
                  Vec3 centre = {});

    // A closed cone from a base disc about `base` to `tip`.
    void addCone(Vec3 base, Vec3 tip, float radius, int sides);

    // A rod (an open cylinder) from a to b; for wires, rails and ribs.
    void addRod(Vec3 a, Vec3 b, float radius, int sides);

    // A sphere of `columns` x `rows` cells whose poles lie on the y axis (on the z axis with
    // poleAlongZ). Normals point outwards, or inwards (with the faces) when inward is set.
    void addSphere(Vec3 centre, float radius, int columns, int rows, float uRepeat, float vRepeat,
                   bool inward = false, bool poleAlongZ = false);

    // Rotates and moves the vertices from index `first` on: each position p becomes
    // rotate(p) + offset and each normal rotate(n). rotate must be a rotation.
    void transform(size_t first, const std::function<Vec3(Vec3)>& rotate, Vec3 offset);

    size_t vertexCount() const { return positions.size() / 3; }
    size_t faceCount() const { return indices.size() / 3; }

    // The mesh record: streams positions (0), normals (2), texture coordinates (8), indices.
    formats::ModelMeshDesc toMesh(const std::string& name, uint32_t materialIndex) const;

    std::vector<float> positions; // x, y, z per vertex
    std::vector<float> normals;   // unit x, y, z per vertex
    std::vector<float> texCoords; // s, t per vertex
    std::vector<uint32_t> indices;
};

// A small deterministic generator (xorshift32), so every generation makes the same models on
// every machine; the C library's rand and std's distributions are not pinned down.
class Random {
  public:
    explicit Random(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in [lo, hi).
    float uniform(float lo, float hi) { return lo + (hi - lo) * float(next() >> 8) / 16777216.0f; }
    // Uniform integer in [0, count).
    int below(int count) { return static_cast<int>(next() % uint32_t(count)); }

  private:
    uint32_t state;
};

// A material with an optional diffuse map and an optional reflection map.
formats::ModelMaterialDesc makeMaterial(Vec3 colour, float alpha, float specular, float glossiness,
                                        const char* diffuseMap = nullptr,
                                        float diffuseAmount = 1.0f,
                                        const char* reflectionMap = nullptr,
                                        float reflectionAmount = 0.0f);

// A material for models drawn through the model shader. A shader program keeps a uniform's
// last value, so every such material names both maps the shader reads: the diffuse map (the
// reflection picture at amount 0 when there is none) and the reflection map (amount 0 for none).
formats::ModelMaterialDesc makeShadedMaterial(Vec3 colour, float specular, float glossiness,
                                              const char* diffuseMap, float diffuseAmount,
                                              const char* reflectionMap, float reflectionAmount);

} // namespace geometry
