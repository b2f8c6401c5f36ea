#include "tools/geometry/city_light.h"

#include "engine/model_format.h"

#include <algorithm>
#include <cmath>

namespace geometry::citymesh {

namespace {

constexpr float kLightCell = 24.0f; // side of the squares the lights are sorted into

int cell(float v) {
    return static_cast<int>(std::floor(v / kLightCell));
}
float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}
float smoothStep(float a, float b, float x) {
    float t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

} // namespace

float packLight(Vec3 c) {
    auto step = [](float v) {
        return std::round(std::min(1.0f, std::max(0.0f, v / kLightRange)) * 255);
    };
    return step(c.x) + 256 * step(c.y) + 65536 * step(c.z);
}

LitMesh LitMesh::mirrored(float mirrorY, float darken) const {
    LitMesh image = *this;
    for (size_t k = 0; k < image.mesh.vertexCount(); k++) {
        image.mesh.positions[3 * k + 1] = 2 * mirrorY - image.mesh.positions[3 * k + 1];
        image.mesh.normals[3 * k + 1] = -image.mesh.normals[3 * k + 1];
        image.light[k] = image.light[k] * darken;
    }
    for (size_t t = 0; t + 2 < image.mesh.indices.size(); t += 3)
        std::swap(image.mesh.indices[t + 1], image.mesh.indices[t + 2]);
    return image;
}

formats::ModelMeshDesc LitMesh::toMesh(const std::string& name, uint32_t material,
                                       bool keepNormals) const {
    formats::ModelMeshDesc desc = mesh.toMesh(name, material);
    if (!keepNormals)
        desc.streams.erase(std::remove_if(desc.streams.begin(), desc.streams.end(),
                                          [](const formats::ModelStreamDesc& s) {
                                              return s.type == QOR::kStreamNormals;
                                          }),
                           desc.streams.end());
    std::vector<float> packed;
    for (size_t k = 0; k < light.size(); k++)
        packed.insert(packed.end(), {packLight(light[k]), modes[k]});
    desc.streams.insert(desc.streams.end() - 1,
                        formats::ModelStreamDesc::floats(QOR::kStreamTexCoord0 + 1, packed));
    return desc;
}

std::vector<float> rowsBetween(float y0, float y1, const std::vector<float>& heights) {
    std::vector<float> rows{0};
    for (float h : heights)
        if (h > y0 + 0.3f && h < y1 - 0.3f) rows.push_back(h - y0);
    rows.push_back(y1 - y0);
    return rows;
}

int columnsFor(float extent, float spacing) {
    return std::max(1, static_cast<int>(std::ceil(extent / spacing - 0.01f)));
}

CityLighting::CityLighting(const std::vector<CityLight>& lights) : lights(lights) {
    for (size_t k = 0; k < lights.size(); k++) {
        const CityLight& light = lights[k];
        for (int cx = cell(light.position.x - light.radius);
             cx <= cell(light.position.x + light.radius); cx++)
            for (int cz = cell(light.position.z - light.radius);
                 cz <= cell(light.position.z + light.radius); cz++)
                grid[{cx, cz}].push_back(k);
    }
}

template <class F> void CityLighting::forLightsNear(Vec3 p, F f) const {
    auto found = grid.find({cell(p.x), cell(p.z)});
    if (found == grid.end()) return;
    for (size_t k : found->second)
        f(lights[k]);
}

Vec3 CityLighting::glow(Vec3 p) {
    const Vec3 towers{0.3f, 0.35f, 0.52f}, market{0.38f, 0.26f, 0.34f}, harbour{0.4f, 0.32f, 0.3f};
    float east = smoothStep(-24, 24, p.x), north = smoothStep(50, 90, p.z);
    Vec3 land = towers * (1 - east) + market * east;
    Vec3 c = land * (1 - north) + harbour * north;
    return c * (0.8f + 0.35f * smoothStep(0, 80, p.y));
}

Vec3 CityLighting::at(Vec3 p, Vec3 n) const {
    Vec3 sum = glow(p);
    forLightsNear(p, [&](const CityLight& light) {
        Vec3 d = light.position - p;
        // Pools: the lamps' height counts for half, so that light reaches the street.
        float reach = (d.x * d.x + d.z * d.z + 0.25f * d.y * d.y) / (light.radius * light.radius);
        if (reach >= 1) return;
        float falloff = (1 - reach) * (1 - reach);
        float facing = clamp01((dot(n, normalize(d)) + 0.35f) / 1.35f);
        sum = sum + light.colour * (2.1f * falloff * facing);
    });
    return sum;
}

Vec3 CityLighting::sheen(Vec3 p, Vec3 axis) const {
    Vec3 sum;
    Vec3 side{axis.z, 0, -axis.x};
    forLightsNear(p, [&](const CityLight& light) {
        Vec3 d = light.position - p;
        float along = std::fabs(dot(d, axis)), across = dot(d, side);
        if (along > 20 || light.position.y > 12) return;
        float strength = std::exp(-across * across / 2.0f) * (1 - along / 20);
        sum = sum + light.colour * (1.1f * strength * strength);
    });
    return sum;
}

} // namespace geometry::citymesh
