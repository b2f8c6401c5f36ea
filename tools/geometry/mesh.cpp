#include "tools/geometry/mesh.h"

#include "engine/model_format.h"

#include <cassert>

namespace geometry {

uint32_t MeshBuilder::addVertex(Vec3 position, Vec3 normal, float u, float v) {
    uint32_t index = static_cast<uint32_t>(vertexCount());
    positions.insert(positions.end(), {position.x, position.y, position.z});
    Vec3 n = normalize(normal);
    normals.insert(normals.end(), {n.x, n.y, n.z});
    texCoords.insert(texCoords.end(), {u, v});
    return index;
}

void MeshBuilder::addTriangle(uint32_t a, uint32_t b, uint32_t c) {
    assert(a < vertexCount() && b < vertexCount() && c < vertexCount());
    indices.insert(indices.end(), {a, b, c});
}

void MeshBuilder::addQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float u0, float v0, float u1, float v1) {
    Vec3 n = normalize(cross(b - a, d - a));
    uint32_t ia = addVertex(a, n, u0, v0);
    uint32_t ib = addVertex(b, n, u1, v0);
    uint32_t ic = addVertex(c, n, u1, v1);
    uint32_t id = addVertex(d, n, u0, v1);
    addTriangle(ia, ib, ic);
    addTriangle(ia, ic, id);
}

void MeshBuilder::addBox(const Box& box, float uvScale, float uOffset, unsigned faces) {
    const Vec3 lo = box.min, hi = box.max;
    const float s = uvScale;
    // Side faces: u runs along the wall; t falls as the wall rises (t = -y * s), so a
    // picture stands upright, its top row (t = 0) towards the sky.
    if (faces & kFacePosZ)
        addQuad({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z},
                uOffset + lo.x * s, -lo.y * s, uOffset + hi.x * s, -hi.y * s);
    if (faces & kFaceNegZ)
        addQuad({hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z},
                uOffset - hi.x * s, -lo.y * s, uOffset - lo.x * s, -hi.y * s);
    if (faces & kFacePosX)
        addQuad({hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z},
                uOffset - hi.z * s, -lo.y * s, uOffset - lo.z * s, -hi.y * s);
    if (faces & kFaceNegX)
        addQuad({lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z},
                uOffset + lo.z * s, -lo.y * s, uOffset + hi.z * s, -hi.y * s);
    if (faces & kFacePosY)
        addQuad({lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                lo.x * s, -hi.z * s, hi.x * s, -lo.z * s);
    if (faces & kFaceNegY)
        addQuad({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z},
                lo.x * s, lo.z * s, hi.x * s, hi.z * s);
}

void MeshBuilder::addSurface(int columns, int rows,
                             const std::function<SurfacePoint(float, float)>& point) {
    uint32_t first = static_cast<uint32_t>(vertexCount());
    for (int j = 0; j <= rows; j++)
        for (int i = 0; i <= columns; i++) {
            SurfacePoint p = point(float(i) / columns, float(j) / rows);
            addVertex(p.position, p.normal, p.u, p.v);
        }
    auto at = [&](int i, int j) { return first + uint32_t(j * (columns + 1) + i); };
    auto pos = [&](uint32_t k) {
        return Vec3{positions[3 * k], positions[3 * k + 1], positions[3 * k + 2]};
    };
    auto nrm = [&](uint32_t k) {
        return Vec3{normals[3 * k], normals[3 * k + 1], normals[3 * k + 2]};
    };
    for (int j = 0; j < rows; j++)
        for (int i = 0; i < columns; i++) {
            uint32_t a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            // The diagonals' cross product survives one collapsed edge (a pole of a sphere).
            Vec3 facing = cross(pos(c) - pos(a), pos(d) - pos(b));
            Vec3 wanted = nrm(a) + nrm(b) + nrm(c) + nrm(d);
            if (dot(facing, wanted) >= 0) {
                addTriangle(a, b, c);
                addTriangle(a, c, d);
            } else {
                addTriangle(a, c, b);
                addTriangle(a, d, c);
            }
        }
}

void MeshBuilder::addLathe(const std::vector<std::pair<float, float>>& profile, int sides,
                           float uRepeat, Vec3 centre) {
    const int last = static_cast<int>(profile.size()) - 1;
    addSurface(sides, last, [&](float u, float v) {
        int k = static_cast<int>(std::lround(v * last));
        // The profile's slope at this point, from its neighbours.
        auto [r0, y0] = profile[k > 0 ? k - 1 : k];
        auto [r1, y1] = profile[k < last ? k + 1 : k];
        float dr = r1 - r0, dy = y1 - y0;
        float angle = u * 2 * kPi;
        float c = std::cos(angle), s = std::sin(angle);
        // Outward normal of the profile line (dr, dy) is (dy, -dr) in (radius, height).
        Vec3 normal{dy * c, -dr, dy * s};
        if (length(normal) == 0) normal = {0, dr >= 0 ? 1.0f : -1.0f, 0};
        float r = profile[k].first;
        return SurfacePoint{centre + Vec3{r * c, profile[k].second, r * s}, normal, u * uRepeat, v};
    });
}

void MeshBuilder::addCone(Vec3 base, Vec3 tip, float radius, int sides) {
    Vec3 axis = normalize(tip - base);
    Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 side1 = normalize(cross(axis, helper));
    Vec3 side2 = cross(axis, side1);
    float height = length(tip - base);
    addSurface(sides, 1, [&](float u, float v) {
        float angle = u * 2 * kPi;
        Vec3 radial = side1 * std::cos(angle) + side2 * std::sin(angle);
        // Slanted side: the normal leans towards the tip by radius / height.
        Vec3 normal = radial * height + axis * radius;
        Vec3 position = base + radial * (radius * (1 - v)) + (tip - base) * v;
        return SurfacePoint{position, normal, u, v};
    });
    // The base disc, facing away from the tip, closes the cone.
    addSurface(sides, 1, [&](float u, float v) {
        float angle = u * 2 * kPi;
        Vec3 radial = side1 * std::cos(angle) + side2 * std::sin(angle);
        return SurfacePoint{base + radial * (radius * v), -axis, u, v};
    });
}

void MeshBuilder::addRod(Vec3 a, Vec3 b, float radius, int sides) {
    Vec3 axis = normalize(b - a);
    Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 side1 = normalize(cross(axis, helper));
    Vec3 side2 = cross(axis, side1);
    addSurface(sides, 1, [&](float u, float v) {
        float angle = u * 2 * kPi;
        Vec3 radial = side1 * std::cos(angle) + side2 * std::sin(angle);
        return SurfacePoint{a + (b - a) * v + radial * radius, radial, u, v};
    });
}

void MeshBuilder::addSphere(Vec3 centre, float radius, int columns, int rows, float uRepeat,
                            float vRepeat, bool inward, bool poleAlongZ) {
    addSurface(columns, rows, [&](float u, float v) {
        float longitude = u * 2 * kPi, latitude = (v - 0.5f) * kPi;
        float ring = std::cos(latitude), along = std::sin(latitude);
        Vec3 direction = poleAlongZ
                             ? Vec3{ring * std::cos(longitude), ring * std::sin(longitude), along}
                             : Vec3{ring * std::cos(longitude), along, ring * std::sin(longitude)};
        return SurfacePoint{centre + direction * radius, inward ? -direction : direction,
                            u * uRepeat, v * vRepeat};
    });
}

void MeshBuilder::transform(size_t first, const std::function<Vec3(Vec3)>& rotate, Vec3 offset) {
    for (size_t k = first; k < vertexCount(); k++) {
        Vec3 p = rotate({positions[3 * k], positions[3 * k + 1], positions[3 * k + 2]}) + offset;
        Vec3 n = rotate({normals[3 * k], normals[3 * k + 1], normals[3 * k + 2]});
        positions[3 * k] = p.x;
        positions[3 * k + 1] = p.y;
        positions[3 * k + 2] = p.z;
        normals[3 * k] = n.x;
        normals[3 * k + 1] = n.y;
        normals[3 * k + 2] = n.z;
    }
}

formats::ModelMeshDesc MeshBuilder::toMesh(const std::string& name, uint32_t materialIndex) const {
    formats::ModelMeshDesc mesh;
    mesh.name = name;
    mesh.vertexCount = static_cast<uint32_t>(vertexCount());
    mesh.faceCount = static_cast<uint32_t>(faceCount());
    mesh.materialIndex = materialIndex;
    mesh.streams.push_back(formats::ModelStreamDesc::floats(QOR::kStreamPositions, positions));
    mesh.streams.push_back(formats::ModelStreamDesc::floats(QOR::kStreamNormals, normals));
    mesh.streams.push_back(formats::ModelStreamDesc::floats(QOR::kStreamTexCoord0, texCoords));
    mesh.streams.push_back(formats::ModelStreamDesc::indices(indices));
    return mesh;
}

formats::ModelMaterialDesc makeMaterial(Vec3 colour, float alpha, float specular, float glossiness,
                                        const char* diffuseMap, float diffuseAmount,
                                        const char* reflectionMap, float reflectionAmount) {
    formats::ModelMaterialDesc material;
    material.diffuse[0] = colour.x;
    material.diffuse[1] = colour.y;
    material.diffuse[2] = colour.z;
    material.diffuse[3] = alpha;
    for (float& c : material.specular)
        c = specular;
    material.glossiness = glossiness;
    if (diffuseMap) material.maps.push_back({diffuseMap, diffuseAmount, QOR::kPropertyDiffuse});
    if (reflectionMap)
        material.maps.push_back({reflectionMap, reflectionAmount, QOR::kPropertyReflection});
    return material;
}

formats::ModelMaterialDesc makeShadedMaterial(Vec3 colour, float specular, float glossiness,
                                              const char* diffuseMap, float diffuseAmount,
                                              const char* reflectionMap, float reflectionAmount) {
    if (!diffuseMap) {
        diffuseMap = reflectionMap;
        diffuseAmount = 0;
    }
    return makeMaterial(colour, 1, specular, glossiness, diffuseMap, diffuseAmount, reflectionMap,
                        reflectionAmount);
}

} // namespace geometry
