#include "tools/geometry/station.h"

#include "tools/geometry/paths.h"
#include "tools/geometry/station_hall.h"
#include "tools/geometry/station_props.h"
#include "tools/geometry/texture_names.h"

#include <cmath>

namespace geometry {

namespace {

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

// A cast-iron column from the platform at `floorY` up to `top`: a plinth, an octagonal shaft
// and a flared capital.
void addColumn(HallParts& parts, Vec3 at, float floorY, float top) {
    parts.steel.addLathe({{0.0f, floorY},
                          {0.55f, floorY},
                          {0.55f, floorY + 0.5f},
                          {0.32f, floorY + 0.65f},
                          {0.28f, top - 1.3f},
                          {0.36f, top - 1.0f},
                          {0.55f, top - 0.5f},
                          {0.55f, top},
                          {0.0f, top}},
                         8, 1, {at.x, 0, at.z});
    parts.obstacles.push_back(
        {{at.x - 0.55f, floorY, at.z - 0.55f}, {at.x + 0.55f, top, at.z + 0.55f}});
}

// A buffer stop across the track at x, its buffers towards `facing` along z.
void addBufferStop(HallParts& parts, float x, float z, float facing) {
    for (float side : {-0.75f, 0.75f})
        addBoxMapped(parts.props,
                     {{x + side - 0.08f, 0, z - 0.3f}, {x + side + 0.08f, 1.0f, z + 0.3f}},
                     props::kIron);
    addBoxMapped(parts.props, {{x - 1.1f, 0.65f, z - 0.15f}, {x + 1.1f, 1.0f, z + 0.15f}},
                 props::kLuggage);
    for (float side : {-0.75f, 0.75f})
        parts.steel.addRod({x + side, 0.82f, z}, {x + side, 0.82f, z + facing * 0.5f}, 0.12f, 8);
}

} // namespace

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
    // Columns down the middle of each platform carry the arched ribs; the furniture, lamps and
    // travellers stand between them, clear of the tracks.
    const float pillarX = 0.5f * (platformInner + w), zFirst = zb + 6;
    for (float z = zFirst; z < zf - 3; z += 12) {
        for (float x : {-pillarX, pillarX})
            addColumn(parts, {x, 0, z}, platformTop, hall.wallHeight);
        const int steps = 20;
        for (int k = 0; k < steps; k++) {
            float x0 = -w + 2 * w * k / steps, x1 = -w + 2 * w * (k + 1) / steps;
            parts.steel.addRod({x0, archHeight(hall, x0) - 0.3f, z},
                               {x1, archHeight(hall, x1) - 0.3f, z}, 0.18f, 6);
        }
    }
    const float hangY = hall.wallHeight - 3.2f;
    for (int side = 0; side < 2; side++) {
        float sign = side ? 1.0f : -1.0f;
        addPlatformProps(parts.props, {sign * platformInner, sign * w, zb, zf, platformTop},
                         sign * pillarX, zFirst, 12, hangY, side ? 4 : 1, hall.seed + side);
        // Between the wall's windows: posters, and ticket machines near the ends.
        for (float z = zb + 12; z < zf - 6; z += 12) {
            int slot = static_cast<int>(std::lround((z - zb) / 12));
            if (slot % 3 == 1)
                addTicketMachine(parts.props, sign * (w - 0.05f), z, platformTop);
            else
                addWallPoster(parts.props, sign * (w - 0.05f), z, platformTop + 1.6f);
        }
    }
    // The departure board on the back wall, above the buffers, and a skylight along the ridge.
    addDepartureBoard(parts.props, -0.35f * w, 0.35f * w, hall.wallHeight - 5.5f,
                      hall.wallHeight - 2.0f, zb, 1);
    if (hall.frontWall)
        addDepartureBoard(parts.props, -0.35f * w, 0.35f * w, hall.wallHeight - 5.5f,
                          hall.wallHeight - 2.0f, zf, -1);
    // The skylight in sections of 4 units, each showing the glazing picture once.
    float ridge = hall.wallHeight + hall.roofRise;
    for (float z = zb + 1; z + 4 <= zf - 1; z += 4)
        addBoxMapped(parts.props, {{-1.2f, ridge - 0.35f, z}, {1.2f, ridge - 0.15f, z + 4}},
                     props::kSkylight);
    // Buffer stops where the tracks meet the end walls.
    for (float x : {-0.25f * w, 0.25f * w}) {
        addBufferStop(parts, x, zb + 1.0f, 1);
        if (hall.frontWall) addBufferStop(parts, x, zf - 1.0f, -1);
    }
}

StationModel finishStation(HallParts& parts, formats::ModelDesc model) {
    model.meshes.push_back(parts.concrete.toMesh("floor", kConcreteMat));
    model.meshes.push_back(parts.walls.toMesh("walls", kWallMat));
    model.meshes.push_back(parts.roof.toMesh("roof", kRoofMat));
    model.meshes.push_back(parts.steel.toMesh("steel", kSteelMat));
    model.meshes.push_back(parts.props.toMesh("props", kPropsMat));
    return {model, parts.obstacles};
}

void addStationMaterials(formats::ModelDesc& model) {
    struct Row {
        Vec3 colour;
        float specular, glossiness;
        const char* map;
        float amount, reflection;
    };
    // In StationMaterial order; every one reflects the night a little.
    const Row rows[] = {
        {{0.05f, 0.05f, 0.07f}, 0.6f, 0.5f, maps::kHallFloor, 1.0f, 0.06f},
        {{0.08f, 0.07f, 0.09f}, 0.1f, 0.1f, maps::kHallWall, 1.0f, 0},
        {{0.05f, 0.06f, 0.08f}, 0.3f, 0.3f, maps::kRoof, 0.55f, 0.05f},
        {{0.03f, 0.045f, 0.06f}, 0.8f, 0.6f, maps::kMetal, 0.12f, 0.06f},
        {{1, 1, 1}, 0.2f, 0.3f, maps::kStationProps, 1.0f, 0},
        {{1, 1, 1}, 0.1f, 0.2f, maps::kStationFront, 1.0f, 0},
        {{0.02f, 0.03f, 0.08f}, 0, 0, maps::kNightSky, 1.0f, 0},
        {{0.035f, 0.04f, 0.05f}, 0.3f, 0.3f, nullptr, 0, 0.04f},
    };
    for (const Row& row : rows)
        model.materials.push_back(makeShadedMaterial(row.colour, row.specular, row.glossiness,
                                                     row.map, row.amount, maps::kReflection,
                                                     row.reflection));
}

namespace {

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

} // namespace

StationModel buildStationModel() {
    formats::ModelDesc model;
    addStationMaterials(model);
    HallParts parts;
    addHall(parts,
            {kHallHalfWidth, kHallHalfLength, -kHallHalfLength, kHallWallHeight, 8, true, 71});
    return finishStation(parts, model);
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
    // The camera rides 11 units ahead of the leader, out over the platform edge at about the
    // crowd's height, and looks back at the leader: seen from the side of its path, the crowd's
    // file trailing the leader fans out across the picture instead of bunching behind it. It
    // aims above the leader, so that the balls keep to the lower half of the picture and the
    // upper half, with the roof and the departure boards, stays clear for words.
    std::vector<CurveRecord> camera = closedLoopKeys(kLapSamples, kLapStepMs, [&](int i) {
        Vec3 ahead = lap.at(i * step + 11);
        Vec3 eye{1.7f * ahead.x, 5.4f, ahead.z};
        CurveRecord lead = leader(i);
        return makeRecord(eye, {lead.position[0], lead.position[1] + 1.2f, lead.position[2]});
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
