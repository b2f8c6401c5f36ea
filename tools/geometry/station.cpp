#include "tools/geometry/station.h"

#include "tools/geometry/paths.h"
#include "tools/geometry/texture_names.h"

#include <cmath>

namespace geometry {

namespace {

// Materials shared by both station models, by index. The scenes light everything with a strong
// white ambient, so darkness has to live in the materials: polished black stone floors, dark
// masonry with tall night-blue windows, blackened steel and roof, and the lamps, whose pale
// colour saturates under that light, as the only bright things in the hall.
enum StationMaterial {
    kConcreteMat,
    kWallMat,
    kRoofMat,
    kSteelMat,
    kLightMat,
    kFacadeMat,
    kSkyMat
};

void addStationMaterials(formats::ModelDesc& model) {
    const char* sky = maps::kReflection;
    model.materials.push_back(
        makeShadedMaterial({0.05f, 0.05f, 0.07f}, 0.6f, 0.5f, maps::kHallFloor, 1.0f, sky, 0.06f));
    model.materials.push_back(
        makeShadedMaterial({0.08f, 0.07f, 0.09f}, 0.1f, 0.1f, maps::kHallWall, 1.0f, sky, 0));
    model.materials.push_back(
        makeShadedMaterial({0.05f, 0.06f, 0.08f}, 0.3f, 0.3f, maps::kRoof, 0.55f, sky, 0.05f));
    model.materials.push_back(
        makeShadedMaterial({0.03f, 0.045f, 0.06f}, 0.8f, 0.6f, maps::kMetal, 0.12f, sky, 0.06f));
    model.materials.push_back(makeShadedMaterial({1.0f, 0.9f, 0.65f}, 0, 0, nullptr, 0, sky, 0));
    model.materials.push_back(
        makeShadedMaterial({0.6f, 0.58f, 0.62f}, 0.3f, 0.3f, maps::kFacade, 1.0f, sky, 0.1f));
    model.materials.push_back(
        makeShadedMaterial({0.02f, 0.03f, 0.08f}, 0, 0, maps::kNightSky, 1.0f, sky, 0));
}

struct HallSpec {
    float halfWidth, zFront, zBack; // zFront > zBack
    float wallHeight, roofRise;
    bool frontWall; // false: the front end is left open (the entrance front closes it)
};

struct HallParts {
    MeshBuilder concrete, walls, roof, steel, lights;
    std::vector<Box> obstacles;

    void solid(MeshBuilder& mesh, const Box& box, float uvScale, float uOffset = 0) {
        mesh.addBox(box, uvScale, uOffset);
        obstacles.push_back(box);
    }
};

// Height of the arched roof's inner surface above the floor at x.
float archHeight(const HallSpec& hall, float x) {
    float r = x / hall.halfWidth;
    return hall.wallHeight + hall.roofRise * std::sqrt(std::max(0.0f, 1 - r * r));
}

void addArchShell(HallParts& parts, const HallSpec& hall) {
    const float thickness = 0.4f;
    for (int side = 0; side < 2; side++) {
        bool inner = side == 0;
        float grow = inner ? 0 : thickness;
        parts.roof.addSurface(24, 1, [&](float u, float v) {
            float angle = kPi * u;
            float a = hall.halfWidth + grow, b = hall.roofRise + grow;
            Vec3 p{a * std::cos(angle), hall.wallHeight + b * std::sin(angle),
                   hall.zFront + (hall.zBack - hall.zFront) * v};
            Vec3 out{std::cos(angle) / a, std::sin(angle) / b, 0};
            return SurfacePoint{p, inner ? -out : out, u * 6, p.z / 8};
        });
    }
}

// The half-ellipse above an end wall, both faces.
void addGable(HallParts& parts, const HallSpec& hall, float z) {
    for (int face = 0; face < 2; face++) {
        float facing = face == 0 ? 1.0f : -1.0f;
        parts.walls.addSurface(24, 4, [&](float u, float v) {
            float angle = kPi * u;
            Vec3 p{hall.halfWidth * v * std::cos(angle),
                   hall.wallHeight + hall.roofRise * v * std::sin(angle), z + facing * 0.3f};
            return SurfacePoint{p, {0, 0, facing}, p.x / 8, p.y / 8};
        });
    }
}

void addTrack(HallParts& parts, const HallSpec& hall, float x) {
    for (float side : {-0.75f, 0.75f})
        parts.steel.addBox(
            {{x + side - 0.06f, 0, hall.zBack}, {x + side + 0.06f, 0.18f, hall.zFront}}, 0.5f);
    for (float z = hall.zBack + 0.5f; z < hall.zFront; z += 1.2f)
        parts.concrete.addBox({{x - 1.2f, 0, z - 0.15f}, {x + 1.2f, 0.08f, z + 0.15f}}, 0.5f);
}

void addHall(HallParts& parts, const HallSpec& hall) {
    const float w = hall.halfWidth, zf = hall.zFront, zb = hall.zBack;
    const float platformInner = 0.5f * w, platformTop = 1.2f;
    parts.concrete.addBox({{-w, -0.5f, zb}, {w, 0, zf}}, 1.0f / 6);
    parts.solid(parts.concrete, {{-w, 0, zb}, {-platformInner, platformTop, zf}}, 1.0f / 6);
    parts.solid(parts.concrete, {{platformInner, 0, zb}, {w, platformTop, zf}}, 1.0f / 6);
    addTrack(parts, hall, -0.5f * platformInner);
    addTrack(parts, hall, 0.5f * platformInner);
    // Side and end walls, then the roof and its gables.
    // One tall arched window a wall's height, windows 12 units apart like the pillars.
    const float wallUv = 1 / hall.wallHeight;
    parts.solid(parts.walls, {{-w - 0.6f, 0, zb}, {-w, hall.wallHeight, zf}}, wallUv);
    parts.solid(parts.walls, {{w, 0, zb}, {w + 0.6f, hall.wallHeight, zf}}, wallUv);
    parts.solid(parts.walls, {{-w - 0.6f, 0, zb - 0.6f}, {w + 0.6f, hall.wallHeight, zb}}, wallUv);
    addGable(parts, hall, zb - 0.3f);
    if (hall.frontWall) {
        parts.solid(parts.walls, {{-w - 0.6f, 0, zf}, {w + 0.6f, hall.wallHeight, zf + 0.6f}},
                    wallUv);
        addGable(parts, hall, zf + 0.3f);
    }
    addArchShell(parts, hall);
    // Pillars on the platforms carrying arched ribs, and lamps hanging between them.
    const float pillarX = platformInner + 2;
    for (float z = zb + 6; z < zf - 3; z += 12) {
        for (float x : {-pillarX, pillarX}) {
            parts.solid(parts.steel,
                        {{x - 0.4f, platformTop, z - 0.4f}, {x + 0.4f, hall.wallHeight, z + 0.4f}},
                        0.5f);
            // A globe lamp on a bracket, facing the tracks.
            float inward = x < 0 ? 1.0f : -1.0f;
            parts.steel.addRod({x, 5.6f, z}, {x + inward * 1.1f, 5.6f, z}, 0.06f, 4);
            parts.lights.addSphere({x + inward * 1.1f, 5.2f, z}, 0.38f, 10, 6, 1, 1);
        }
        const int steps = 20;
        for (int k = 0; k < steps; k++) {
            float x0 = -w + 2 * w * k / steps, x1 = -w + 2 * w * (k + 1) / steps;
            parts.steel.addRod({x0, archHeight(hall, x0) - 0.3f, z},
                               {x1, archHeight(hall, x1) - 0.3f, z}, 0.18f, 6);
        }
        for (float x : {-0.75f * w, 0.75f * w}) {
            float lampZ = z + 6;
            if (lampZ > zf - 2) continue;
            for (float end : {-1.5f, 1.5f})
                parts.steel.addRod({x, hall.wallHeight - 2.5f, lampZ + end},
                                   {x, archHeight(hall, x), lampZ + end}, 0.05f, 4);
            parts.lights.addBox({{x - 0.45f, hall.wallHeight - 2.8f, lampZ - 1.8f},
                                 {x + 0.45f, hall.wallHeight - 2.5f, lampZ + 1.8f}},
                                1);
        }
    }
    // A skylight along the ridge.
    float ridge = hall.wallHeight + hall.roofRise;
    parts.lights.addBox({{-1.2f, ridge - 0.35f, zb + 1}, {1.2f, ridge - 0.15f, zf - 1}}, 1);
}

StationModel finish(HallParts& parts, formats::ModelDesc model) {
    model.meshes.push_back(parts.concrete.toMesh("floor", kConcreteMat));
    model.meshes.push_back(parts.walls.toMesh("walls", kWallMat));
    model.meshes.push_back(parts.roof.toMesh("roof", kRoofMat));
    model.meshes.push_back(parts.steel.toMesh("steel", kSteelMat));
    model.meshes.push_back(parts.lights.toMesh("lights", kLightMat));
    return {model, parts.obstacles};
}

// The crowd leader's lap: an oval over the tracks, clear of the pillars, run at an even pace.
constexpr float kLapHalfWidth = 6.0f;
constexpr float kLapHalfLength = 46.0f;
constexpr int kLapSamples = 56;
constexpr uint32_t kLapStepMs = 500;

Path lapPath() {
    std::vector<Vec3> oval;
    for (int k = 0; k < 64; k++) {
        float a = 2 * kPi * k / 64;
        oval.push_back({kLapHalfWidth * std::cos(a), 0, kLapHalfLength * std::sin(a)});
    }
    return Path(oval, 0.5f, true);
}

// The entrance flight: across the square, through the doorway, along the platforms.
Path entranceFlight() {
    return Path({{0, 7.5f, 95}, {0, 5.5f, 20}, {0, 5, -48}}, 10, false);
}

// Sideways drift of the flight, none while it passes the doorway (95 units along).
Vec3 flightSway(float s) {
    return {2.0f * std::sin(s * 0.045f) * std::min(1.0f, std::fabs(s - 95) / 30), 0, 0};
}

// A station clock on the front at `centre`, facing +z: a dark face, a lit rim of twelve
// marks and lit hands at ten past ten.
void addClock(HallParts& parts, Vec3 centre, float radius) {
    size_t face = parts.steel.vertexCount();
    parts.steel.addLathe({{0.0f, 0.0f}, {radius, 0.0f}, {radius, 0.3f}, {0.0f, 0.3f}}, 32, 1);
    parts.steel.transform(
        face,
        [](Vec3 p) {
            return Vec3{p.x, -p.z, p.y};
        },
        centre);
    const float z = centre.z + 0.34f;
    auto bar = [&](float angle, float from, float to, float halfWidth) {
        float c = std::cos(angle), s = std::sin(angle);
        Vec3 along{s, c, 0}, side{c, -s, 0};
        Vec3 a = centre + along * from, b = centre + along * to;
        a.z = b.z = z;
        parts.lights.addQuad(a - side * halfWidth, a + side * halfWidth, b + side * halfWidth,
                             b - side * halfWidth, 0, 0, 1, 1);
    };
    for (int k = 0; k < 12; k++)
        bar(2 * kPi * k / 12, radius * 0.78f, radius * 0.95f, k % 3 ? 0.06f : 0.12f);
    bar(2 * kPi * 10 / 12, -0.2f, radius * 0.5f, 0.1f); // hour hand at ten
    bar(2 * kPi * 2 / 12, -0.3f, radius * 0.8f, 0.07f); // minute hand at two
}

// The street front beside the station: a row of lit office blocks of varied heights on both
// sides, so the set runs on past the edge of the narrow view.
void addNeighbours(MeshBuilder& mesh) {
    Random random(53);
    for (float side : {-1.0f, 1.0f}) {
        float x = 36;
        while (x < 220) {
            float width = random.uniform(12, 26), height = random.uniform(24, 60);
            float back = random.uniform(-8, -3);
            float x0 = side < 0 ? -(x + width) : x, x1 = side < 0 ? -x : x + width;
            mesh.addBox({{x0, 0, back - 30}, {x1, height, back}}, 1.0f / 24, random.uniform(0, 1));
            x += width + random.uniform(1, 6);
        }
    }
}

} // namespace

StationModel buildStationModel() {
    formats::ModelDesc model;
    addStationMaterials(model);
    HallParts parts;
    addHall(parts, {kHallHalfWidth, kHallHalfLength, -kHallHalfLength, kHallWallHeight, 8, true});
    return finish(parts, model);
}

StationModel buildIntoStationModel() {
    formats::ModelDesc model;
    addStationMaterials(model);
    HallParts parts;
    addHall(parts, {15, -1, -61, 10, 6, false});
    MeshBuilder front;
    // The front: two wings beside the doorway and the block over it, with corner towers.
    // The masonry carries the hall's arched windows, two storeys of them on the wings.
    const float frontUv = 1.0f / 11;
    parts.solid(front, {{-30, 0, -1}, {-6, 22, 1}}, frontUv, 0.25f);
    parts.solid(front, {{6, 0, -1}, {30, 22, 1}}, frontUv, 0.25f);
    parts.solid(front, {{-6, 14, -1}, {6, 22, 1}}, frontUv, 0.5f);
    parts.solid(front, {{-33, 0, -3}, {-25, 34, 3}}, 1.0f / 8.5f, 0.03f);
    parts.solid(front, {{25, 0, -3}, {33, 34, 3}}, 1.0f / 8.5f, 0.03f);
    // Cornices: lit edges along the wings' tops and the towers' shoulders.
    parts.lights.addBox({{-30, 22, 1}, {30, 22.25f, 1.3f}}, 1);
    for (float x : {-29.0f, 29.0f})
        parts.lights.addBox({{x - 4.2f, 34, 3}, {x + 4.2f, 34.25f, 3.3f}}, 1);
    for (float x : {-29.0f, 29.0f}) {
        size_t first = parts.roof.vertexCount();
        parts.roof.addCone({0, 0, 0}, {0, 8, 0}, 5.6f, 4);
        parts.roof.transform(first,
                             [](Vec3 p) {
                                 return Vec3{0.7071f * (p.x - p.z), p.y, 0.7071f * (p.x + p.z)};
                             },
                             {x, 34, 0});
    }
    addClock(parts, {0, 18, 1}, 2.2f);
    // The canopy on its posts.
    parts.solid(parts.steel, {{-9, 11, 1}, {9, 11.5f, 7}}, 0.25f);
    for (float x : {-8.5f, 8.5f})
        parts.solid(parts.steel, {{x - 0.2f, 0, 6.3f}, {x + 0.2f, 11, 6.7f}}, 0.5f);
    parts.lights.addBox({{-8, 10.8f, 1.5f}, {8, 11, 2.1f}}, 1);
    // Steps up to the door and the square, wide enough to meet the neighbours' fronts.
    for (int k = 0; k < 3; k++)
        parts.concrete.addBox({{-10.0f + k, 0, 1}, {10.0f - k, 0.2f * (3 - k), 4.0f - k}},
                              1.0f / 4);
    parts.concrete.addBox({{-240, -0.5f, 1}, {240, 0, 130}}, 1.0f / 6);
    for (float side : {-1.0f, 1.0f})
        parts.concrete.addBox(
            {{side < 0 ? -240.0f : 33.0f, -0.5f, -12}, {side < 0 ? -33.0f : 240.0f, 0, 1}},
            1.0f / 6, 0, kFacePosY);
    MeshBuilder neighbours, sky;
    addNeighbours(neighbours);
    // The sky: one picture far behind the set, at the picture's own 2:1 shape so the moon
    // stays round; the flight sees the band from y = 70 to 120 above the wings.
    sky.addQuad({-300, -20, -330}, {300, -20, -330}, {300, 280, -330}, {-300, 280, -330}, 0, 1, 1,
                0);
    StationModel station = finish(parts, model);
    station.model.meshes.push_back(front.toMesh("front", kWallMat));
    station.model.meshes.push_back(neighbours.toMesh("neighbours", kFacadeMat));
    station.model.meshes.push_back(sky.toMesh("sky", kSkyMat));
    return station;
}

std::vector<std::vector<CurveRecord>> buildCrowdCurves() {
    const Path lap = lapPath();
    const float step = lap.length() / kLapSamples;
    auto at = [&](float s, float height) {
        Vec3 p = lap.at(s);
        return Vec3{p.x, height + 1.5f * std::sin(3 * 2 * kPi * s / lap.length()), p.z};
    };
    // The leader tumbles: whole turns per lap, so the loop closes without a jump.
    auto leader = [&](int i) {
        Vec3 p = at(i * step, 4.8f);
        return makeRecord(p, p, {720.0f * i / kLapSamples, 360.0f * i / kLapSamples, 0});
    };
    std::vector<CurveRecord> master = closedLoopKeys(kLapSamples, kLapStepMs, leader);
    std::vector<CurveRecord> crowd = closedLoopKeys(kLapSamples, kLapStepMs, [&](int i) {
        CurveRecord r = leader(i);
        for (float& c : r.position)
            c -= 2;
        return r;
    });
    // The camera rides 11 units ahead of the leader, out over the platform edge and above the
    // crowd, and looks back at the leader: seen from the side of its path, the crowd's file
    // trailing the leader fans out across the picture instead of bunching behind it.
    std::vector<CurveRecord> camera = closedLoopKeys(kLapSamples, kLapStepMs, [&](int i) {
        Vec3 ahead = lap.at(i * step + 11);
        Vec3 eye{1.7f * ahead.x, 6.5f, ahead.z};
        CurveRecord lead = leader(i);
        return makeRecord(eye, {lead.position[0], lead.position[1] - 1, lead.position[2]});
    });
    return {camera, master, crowd};
}

std::vector<std::vector<CurveRecord>> buildIntoStationCurves() {
    Path flight = entranceFlight();
    const float speed = 3.5f;
    const uint32_t stepMs = 500;
    // The keys stop where the camera's aim, 20 units ahead, reaches the end of the flight.
    const int m = static_cast<int>((flight.length() - 20) / (speed * stepMs / 1000)) + 1;
    auto along = [&](int i) { return i * speed * stepMs / 1000; };
    std::vector<CurveRecord> camera = openPathKeys(m, stepMs, [&](int i) {
        float s = along(i);
        Vec3 eye = flight.at(s) + flightSway(s);
        Vec3 aim = flight.at(s + 20) + flightSway(s + 20) + Vec3{0, 0.3f, 0};
        return makeRecord(eye, aim);
    });
    std::vector<CurveRecord> probe = openPathKeys(m, stepMs, [&](int i) {
        float s = along(i);
        float lead = s + 9;
        Vec3 wiggle{0.9f * std::sin(s * 0.15f), -0.5f + 0.35f * std::cos(s * 0.11f), 0};
        Vec3 p = flight.at(lead) + flightSway(lead) + wiggle;
        return makeRecord(p, p, {6 * std::sin(s * 0.11f), 0, 25 * std::sin(s * 0.15f + 0.5f)});
    });
    return {camera, probe};
}

} // namespace geometry
