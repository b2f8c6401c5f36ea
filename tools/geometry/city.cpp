#include "tools/geometry/city.h"

#include "tools/geometry/paths.h"
#include "tools/geometry/texture_names.h"

#include <algorithm>
#include <cmath>

namespace geometry {

namespace {

constexpr uint32_t kCitySeed = 0x5eed0c17;
// The facade picture holds 8 window bays by 16 floors: floors 3 units high, bays 6 wide.
constexpr float kFacadeUvScale = 1.0f / 48.0f;
constexpr float kGroundUvScale = 1.0f / 8.0f;
constexpr float kGroundExtent = 240.0f;
constexpr float kLampSpacing = 18.0f;

// One tower on a lot, with an optional setback storey and an antenna on its roof.
void addTower(CityLayout& city, Random& random, float x0, float z0, float x1, float z1) {
    float cx = 0.5f * (x0 + x1), cz = 0.5f * (z0 + z1);
    float centreBias = std::exp(-(cx * cx + cz * cz) / (110.0f * 110.0f));
    float height = random.uniform(16, 40) + 60 * centreBias * random.uniform(0.3f, 1.0f);
    city.towers.push_back({{x0, 0, z0}, {x1, height, z1}});
    float top = height;
    if (height > 36 && random.below(10) < 4) {
        float inset = random.uniform(1.5f, 3.5f);
        if (x1 - x0 > 2 * inset + 3 && z1 - z0 > 2 * inset + 3) {
            top = height + random.uniform(8, 24);
            city.towers.push_back(
                {{x0 + inset, height, z0 + inset}, {x1 - inset, top, z1 - inset}});
        }
    }
    if (random.below(4) == 0) {
        float ax = cx + random.uniform(-1, 1), az = cz + random.uniform(-1, 1);
        city.masts.push_back(
            {{ax - 0.3f, top, az - 0.3f}, {ax + 0.3f, top + random.uniform(6, 15), az + 0.3f}});
    }
}

// Lots of one block: whole, halved along x or z, or quartered, each with a small setback
// from the street and a narrow gap to its neighbours.
void addBlock(CityLayout& city, Random& random, float x0, float z0, float x1, float z1) {
    int pattern = random.below(4);
    int nx = (pattern == 1 || pattern == 3) ? 2 : 1;
    int nz = (pattern == 2 || pattern == 3) ? 2 : 1;
    const float gap = 1.5f;
    float w = (x1 - x0 - gap * (nx - 1)) / nx, d = (z1 - z0 - gap * (nz - 1)) / nz;
    for (int i = 0; i < nx; i++)
        for (int j = 0; j < nz; j++) {
            float lx = x0 + i * (w + gap), lz = z0 + j * (d + gap);
            float inset = random.uniform(0.5f, 1.5f);
            addTower(city, random, lx + inset, lz + inset, lx + w - inset, lz + d - inset);
        }
}

// Street lamps along both sides of every street, between the wall lines and the towers.
void addLamps(std::vector<Box>& lamps) {
    const float edge = 0.5f * kCityStreetWidth + 0.2f;
    const float reach = cityStreetLine(kCityStreets - 1);
    for (int k = 0; k < kCityStreets; k++) {
        float line = cityStreetLine(k);
        int n = 0;
        for (float s = -reach + kLampSpacing / 2; s < reach; s += kLampSpacing, n++) {
            // Skip the crossings; lamps stand beside blocks only.
            float fromCrossing = std::fmod(s - cityStreetLine(0) + 1000 * kCityPitch, kCityPitch);
            if (fromCrossing < 0.5f * kCityStreetWidth + 1 ||
                fromCrossing > kCityPitch - 0.5f * kCityStreetWidth - 1)
                continue;
            float side = (n % 2) ? edge : -edge;
            // A post and a lamp head, on a street along z (x = line) and one along x.
            lamps.push_back(
                {{line + side - 0.12f, 0, s - 0.12f}, {line + side + 0.12f, 6, s + 0.12f}});
            lamps.push_back(
                {{line + side - 0.25f, 6, s - 0.8f}, {line + side + 0.25f, 6.3f, s + 0.8f}});
            lamps.push_back(
                {{s - 0.12f, 0, line + side - 0.12f}, {s + 0.12f, 6, line + side + 0.12f}});
            lamps.push_back(
                {{s - 0.8f, 6, line + side - 0.25f}, {s + 0.8f, 6.3f, line + side + 0.25f}});
        }
    }
}

// Dashed centre lines on every street.
void addMarkings(MeshBuilder& mesh) {
    const float reach = cityStreetLine(kCityStreets - 1) + 0.5f * kCityPitch;
    for (int k = 0; k < kCityStreets; k++) {
        float line = cityStreetLine(k);
        for (float s = -reach; s < reach; s += 8) {
            float fromCrossing = std::fmod(s - cityStreetLine(0) + 1000 * kCityPitch, kCityPitch);
            if (fromCrossing < 0.5f * kCityStreetWidth + 3 ||
                fromCrossing > kCityPitch - 0.5f * kCityStreetWidth - 3)
                continue;
            const float y = 0.03f, w = 0.15f, l = 1.5f;
            mesh.addQuad({line - w, y, s + l}, {line + w, y, s + l}, {line + w, y, s - l},
                         {line - w, y, s - l}, 0, 0, 1, 1);
            mesh.addQuad({s - l, y, line + w}, {s + l, y, line + w}, {s + l, y, line - w},
                         {s - l, y, line - w}, 0, 0, 1, 1);
        }
    }
}

struct StreetLoop {
    std::vector<Vec3> corners; // street crossings, y = 0
    float speed;               // units per second
    uint32_t stepMs;           // time between keys
    bool reverse;              // run the loop backwards
    float lateral;             // offset to the left of the forward direction
    float height, heightSwing; // eye height and its slow swing
    float aimAhead, aimHeight; // the point looked at: this far along the path, at this height
    Vec3 shift;                // added to every position (centres a swarm's spread)
    int spinTurns;             // whole turns of the rotation vector per loop
    float startAhead = 0;      // where the path starts, ahead of the camera's start
};

Vec3 crossing(int i, int j) {
    return {cityStreetLine(i), 0, cityStreetLine(j)};
}

std::vector<CurveRecord> streetLoopKeys(const StreetLoop& loop) {
    Path path(loop.corners, 0.45f * kCityStreetWidth, true);
    const float length = path.length();
    const float spacing = loop.speed * loop.stepMs / 1000.0f;
    const int m = std::max(8, static_cast<int>(std::lround(length / spacing)));
    const float step = length / m;
    // Start half way along the first street rather than at a crossing.
    const float start =
        0.5f * geometry::length(loop.corners[1] - loop.corners[0]) + loop.startAhead;
    return closedLoopKeys(m, loop.stepMs, [&](int i) {
        float s = start + (loop.reverse ? -i : i) * step;
        float forward = loop.reverse ? -1.0f : 1.0f;
        Vec3 tangent = normalize(path.at(s + 1) - path.at(s - 1));
        Vec3 left{tangent.z, 0, -tangent.x};
        float phase = 2 * kPi * s / length;
        Vec3 eye = path.at(s) + left * loop.lateral +
                   Vec3{0, loop.height + loop.heightSwing * std::sin(2 * phase), 0} + loop.shift;
        // Look along the street: the direction to a point a short way ahead, carried out to
        // aimAhead, so the view turns with the corners instead of staring into them.
        float ahead = s + forward * 10;
        Vec3 aheadTangent = normalize(path.at(ahead + 1) - path.at(ahead - 1));
        Vec3 aheadLeft{aheadTangent.z, 0, -aheadTangent.x};
        Vec3 lookFrom = path.at(s) + left * loop.lateral;
        Vec3 lookTo = path.at(ahead) + aheadLeft * loop.lateral;
        Vec3 aim = eye + normalize(lookTo - lookFrom) * loop.aimAhead +
                   Vec3{0, loop.aimHeight - (eye.y - loop.shift.y), 0};
        float turn = 360.0f * loop.spinTurns * i / m;
        return makeRecord(eye, aim, {turn, 0.5f * turn, 0});
    });
}

} // namespace

CityLayout makeCityLayout() {
    CityLayout city;
    Random random(kCitySeed);
    const float half = 0.5f * kCityStreetWidth;
    for (int i = 0; i + 1 < kCityStreets; i++)
        for (int j = 0; j + 1 < kCityStreets; j++)
            addBlock(city, random, cityStreetLine(i) + half, cityStreetLine(j) + half,
                     cityStreetLine(i + 1) - half, cityStreetLine(j + 1) - half);
    addLamps(city.lamps);
    return city;
}

std::vector<Box> CityLayout::obstacles() const {
    std::vector<Box> all = towers;
    all.insert(all.end(), masts.begin(), masts.end());
    all.insert(all.end(), lamps.begin(), lamps.end());
    return all;
}

formats::ModelDesc buildCityModel(const CityLayout& layout) {
    formats::ModelDesc model;
    // 0 lit facades, 1 roofs and masts, 2 street surface, 3 lamps and road markings.
    const char* sky = maps::kReflection;
    model.materials.push_back(
        makeShadedMaterial({0.55f, 0.6f, 0.8f}, 0.4f, 0.3f, maps::kFacade, 1.0f, sky, 0.18f));
    model.materials.push_back(
        makeShadedMaterial({0.12f, 0.13f, 0.2f}, 0.2f, 0.2f, maps::kRoof, 0.6f, sky, 0.05f));
    model.materials.push_back(
        makeShadedMaterial({0.05f, 0.05f, 0.08f}, 0.1f, 0.1f, maps::kConcrete, 0.22f, sky, 0));
    model.materials.push_back(
        makeShadedMaterial({1.0f, 0.85f, 0.55f}, 0.0f, 0.0f, nullptr, 0, sky, 0));

    MeshBuilder walls, roofs, ground, lights;
    Random random(kCitySeed ^ 0xface);
    for (const Box& box : layout.towers) {
        walls.addBox(box, kFacadeUvScale, std::floor(random.uniform(0, 4)) * 0.25f,
                     kFaceNegX | kFacePosX | kFaceNegZ | kFacePosZ);
        roofs.addBox(box, 1.0f / 12.0f, 0, kFaceNegY | kFacePosY);
    }
    for (const Box& box : layout.masts)
        roofs.addBox(box, 0.25f);
    for (const Box& box : layout.lamps)
        lights.addBox(box, 1);
    const float g = kGroundExtent;
    ground.addQuad({-g, 0, g}, {g, 0, g}, {g, 0, -g}, {-g, 0, -g}, -g * kGroundUvScale,
                   -g * kGroundUvScale, g * kGroundUvScale, g * kGroundUvScale);
    addMarkings(lights);

    model.meshes.push_back(walls.toMesh("facades", 0));
    model.meshes.push_back(roofs.toMesh("roofs", 1));
    model.meshes.push_back(ground.toMesh("streets", 2));
    model.meshes.push_back(lights.toMesh("lamps", 3));
    return model;
}

std::vector<std::vector<CurveRecord>> buildCityCurves() {
    // Camera 0: a slow lap round a ring of 4 x 3 blocks, looking a little up at the towers.
    StreetLoop camera0{{crossing(2, 3), crossing(6, 3), crossing(6, 6), crossing(2, 6)},
                       7,
                       500,
                       false,
                       0,
                       9,
                       3,
                       30,
                       13,
                       {},
                       0};
    // Camera 1: a long lens creeping round a ring of 2 x 2 blocks against the swarm.
    StreetLoop camera1{{crossing(4, 4), crossing(6, 4), crossing(6, 6), crossing(4, 6)},
                       4,
                       500,
                       false,
                       -1.5f,
                       4.5f,
                       0.8f,
                       40,
                       5.5f,
                       {},
                       0};
    // Camera 2: a wide lens at a brisk pace round a ring of 3 x 1 blocks, overtaken by its swarm.
    StreetLoop camera2{{crossing(3, 2), crossing(6, 2), crossing(6, 3), crossing(3, 3)},
                       9,
                       500,
                       false,
                       -1.5f,
                       7,
                       1.5f,
                       25,
                       6,
                       {},
                       0};
    // The swarms: the spread of 0 to 4 units the scene adds per axis is centred on the lane.
    StreetLoop spike1 = camera1;
    spike1.speed = 18;
    spike1.stepMs = 250;
    spike1.reverse = true;
    spike1.lateral = 2.5f;
    spike1.height = 5.5f;
    spike1.heightSwing = 0.5f;
    spike1.shift = {-2, -2, -2};
    spike1.spinTurns = 3;
    spike1.startAhead = 110; // released up the street, they meet the camera within seconds
    StreetLoop spike2 = camera2;
    spike2.speed = 24;
    spike2.stepMs = 250;
    spike2.lateral = 2.5f;
    spike2.height = 6.5f;
    spike2.heightSwing = 1;
    spike2.shift = {-2, -2, -2};
    spike2.spinTurns = 4;
    spike2.startAhead = -20; // released behind the camera, they overtake it
    return {streetLoopKeys(camera0), streetLoopKeys(camera1), streetLoopKeys(camera2),
            streetLoopKeys(spike1), streetLoopKeys(spike2)};
}

} // namespace geometry
