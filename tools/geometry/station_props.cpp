#include "tools/geometry/station_props.h"

#include <algorithm>

namespace geometry {

namespace {

// Texture coordinates of a point of a region, fx across and fy down (0 to 1), kept half a texel
// inside so that no neighbouring region bleeds in.
float regionU(PropRegion r, float fx) {
    return (r.x0 + 0.5f + (r.x1 - r.x0 - 1) * fx) / props::kPictureSize;
}
float regionV(PropRegion r, float fy) {
    return (r.y0 + 0.5f + (r.y1 - r.y0 - 1) * fy) / props::kPictureSize;
}

// A quad (corners counter-clockwise from its front, a at the bottom left) showing the region
// upright.
void addFace(MeshBuilder& mesh, Vec3 a, Vec3 b, Vec3 c, Vec3 d, PropRegion region) {
    mesh.addQuad(a, b, c, d, regionU(region, 0), regionV(region, 1), regionU(region, 1),
                 regionV(region, 0));
}

// Maps the texture coordinates of the vertices from `first` on, which run 0 to 1, into the
// region.
void mapInto(MeshBuilder& mesh, size_t first, PropRegion region) {
    for (size_t k = first; k < mesh.vertexCount(); k++) {
        float& u = mesh.texCoords[2 * k];
        float& v = mesh.texCoords[2 * k + 1];
        u = regionU(region, std::clamp(u, 0.0f, 1.0f));
        v = regionV(region, std::clamp(v, 0.0f, 1.0f));
    }
}

// A box whose face towards `facing` (+z, -z, +x or -x as 1 to 4) shows `front`, the others
// `rest`; with twoFaced the opposite face shows `front` too, reading the right way round.
void addPanel(MeshBuilder& mesh, const Box& box, int facing, PropRegion front, PropRegion rest,
              bool twoFaced = false) {
    const Vec3 lo = box.min, hi = box.max;
    const int opposite = facing + (facing % 2 ? 1 : -1);
    auto pick = [&](int face) {
        return face == facing || (twoFaced && face == opposite) ? front : rest;
    };
    addFace(mesh, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z},
            pick(1));
    addFace(mesh, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z},
            pick(2));
    addFace(mesh, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z},
            pick(3));
    addFace(mesh, {lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z},
            pick(4));
    addFace(mesh, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
            rest);
    addFace(mesh, {lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z},
            rest);
}

// A disc facing `normal` (with `up` in its plane) showing the region as a circle.
void addDisc(MeshBuilder& mesh, Vec3 centre, Vec3 normal, Vec3 up, float radius,
             PropRegion region) {
    Vec3 side = cross(up, normal);
    mesh.addSurface(24, 1, [&](float s, float t) {
        float a = s < 1 ? 2 * kPi * s : 0;
        float c = std::cos(a) * t, d = std::sin(a) * t;
        return SurfacePoint{centre + side * (radius * c) + up * (radius * d), normal,
                            regionU(region, 0.5f + 0.5f * c), regionV(region, 0.5f - 0.5f * d)};
    });
}

void addRodMapped(MeshBuilder& mesh, Vec3 a, Vec3 b, float radius, PropRegion region) {
    size_t first = mesh.vertexCount();
    mesh.addRod(a, b, radius, 6);
    mapInto(mesh, first, region);
}

// A bench along z at (x, y, z), its seat towards `facing` along x.
void addBench(MeshBuilder& mesh, Vec3 at, float facing) {
    const float half = 0.9f, back = -facing * 0.2f;
    addBoxMapped(
        mesh,
        {{at.x - 0.22f, at.y + 0.42f, at.z - half}, {at.x + 0.22f, at.y + 0.48f, at.z + half}},
        props::kWood);
    float bx = at.x + back;
    addBoxMapped(mesh,
                 {{bx - 0.03f, at.y + 0.55f, at.z - half}, {bx + 0.03f, at.y + 0.95f, at.z + half}},
                 props::kWood);
    for (float end : {-0.75f, 0.75f})
        addBoxMapped(mesh,
                     {{at.x - 0.2f, at.y, at.z + end - 0.04f},
                      {at.x + 0.2f, at.y + 0.42f, at.z + end + 0.04f}},
                     props::kIron);
}

// A traveller standing at (x, y, z): legs, a long coat, a head, maybe a hat and a suitcase.
void addTraveller(MeshBuilder& mesh, Vec3 at, Random& random) {
    float h = random.uniform(0.92f, 1.08f), wide = random.uniform(0.9f, 1.15f);
    int coat = random.below(props::kCoatCount);
    PropRegion cloth{
        props::kCoats.x0 + coat * (props::kCoats.x1 - props::kCoats.x0) / props::kCoatCount,
        props::kCoats.y0,
        props::kCoats.x0 + (coat + 1) * (props::kCoats.x1 - props::kCoats.x0) / props::kCoatCount,
        props::kCoats.y1};
    for (float side : {-0.09f, 0.09f}) {
        size_t legs = mesh.vertexCount();
        mesh.addRod(at + Vec3{side * wide, 0, 0}, at + Vec3{side * wide, 0.85f * h, 0}, 0.065f, 6);
        for (size_t k = legs; k < mesh.vertexCount(); k++)
            mesh.texCoords[2 * k + 1] = 0.05f; // the darkest of the cloth
        mapInto(mesh, legs, cloth);
    }
    size_t first = mesh.vertexCount();
    mesh.addLathe({{0.0f, 0.42f * h},
                   {0.27f * wide, 0.42f * h},
                   {0.25f * wide, 0.8f * h},
                   {0.2f * wide, 1.15f * h},
                   {0.24f * wide, 1.36f * h},
                   {0.12f, 1.47f * h},
                   {0.0f, 1.5f * h}},
                  8, 1, at);
    // The coat's picture runs dark at the hem to a lighter collar: v = 1 at the hem.
    for (size_t k = first; k < mesh.vertexCount(); k++)
        mesh.texCoords[2 * k + 1] = 1 - mesh.texCoords[2 * k + 1];
    mapInto(mesh, first, cloth);
    first = mesh.vertexCount();
    mesh.addSphere(at + Vec3{0, 1.6f * h, 0}, 0.11f, 8, 6, 1, 1);
    if (random.below(3) == 0) {
        mesh.addLathe({{0.0f, 1.67f * h},
                       {0.16f, 1.67f * h},
                       {0.16f, 1.69f * h},
                       {0.1f, 1.7f * h},
                       {0.09f, 1.8f * h},
                       {0.0f, 1.81f * h}},
                      10, 1, at);
    }
    for (size_t k = first; k < mesh.vertexCount(); k++)
        mesh.texCoords[2 * k + 1] = 0.05f; // the darkest of the cloth
    mapInto(mesh, first, cloth);
    if (random.below(2) == 0) {
        float side = random.below(2) ? 0.32f : -0.32f;
        addBoxMapped(mesh,
                     {{at.x + side - 0.07f, at.y, at.z - 0.24f},
                      {at.x + side + 0.07f, at.y + 0.5f, at.z + 0.24f}},
                     props::kLuggage);
    }
}

// A lamp hanging on its cord from `top` down to a glass-bottomed shade at height y.
void addPendantLamp(MeshBuilder& mesh, Vec3 top, float y) {
    Vec3 at{top.x, y, top.z};
    addRodMapped(mesh, top, at + Vec3{0, 0.45f, 0}, 0.025f, props::kIron);
    size_t first = mesh.vertexCount();
    mesh.addLathe({{0.42f, 0.0f}, {0.36f, 0.12f}, {0.14f, 0.38f}, {0.05f, 0.46f}, {0.0f, 0.47f}},
                  16, 1, at);
    mapInto(mesh, first, props::kIron);
    addDisc(mesh, at, {0, -1, 0}, {0, 0, 1}, 0.42f, props::kLamp);
    // The bulb, showing below the shade's rim from the side.
    first = mesh.vertexCount();
    mesh.addSphere(at + Vec3{0, 0.02f, 0}, 0.13f, 10, 6, 1, 1);
    for (size_t k = first; k < mesh.vertexCount(); k++) {
        float ny = mesh.normals[3 * k + 1];
        mesh.texCoords[2 * k] = 0.5f;
        mesh.texCoords[2 * k + 1] = 0.5f - 0.4f * std::max(0.0f, -ny); // hottest at the bottom
    }
    mapInto(mesh, first, props::kLamp);
}

// A double-faced clock hanging across the platform at centre, faces towards +z and -z.
void addHangingClock(MeshBuilder& mesh, Vec3 centre, float hangY) {
    const float r = 0.6f;
    addRodMapped(mesh, centre + Vec3{0, r, 0}, {centre.x, hangY, centre.z}, 0.04f, props::kIron);
    size_t first = mesh.vertexCount();
    mesh.addSurface(24, 1, [&](float s, float t) {
        float a = s < 1 ? 2 * kPi * s : 0;
        Vec3 radial{std::cos(a), std::sin(a), 0};
        return SurfacePoint{centre + radial * r + Vec3{0, 0, 0.14f * (2 * t - 1)}, radial, s, t};
    });
    mapInto(mesh, first, props::kIron);
    for (float facing : {-1.0f, 1.0f})
        addDisc(mesh, centre + Vec3{0, 0, facing * 0.14f}, {0, 0, facing}, {0, 1, 0}, r,
                props::kClock);
}

// A platform sign hanging across the platform on two rods, lettered on both faces.
void addHangingSign(MeshBuilder& mesh, Vec3 centre, float hangY, PropRegion region) {
    const float halfW = 1.4f, halfH = 0.35f;
    for (float side : {-1.0f, 1.0f})
        addRodMapped(mesh, centre + Vec3{side * (halfW - 0.2f), halfH, 0},
                     {centre.x + side * (halfW - 0.2f), hangY, centre.z}, 0.025f, props::kIron);
    Box plate{centre - Vec3{halfW, halfH, 0.05f}, centre + Vec3{halfW, halfH, 0.05f}};
    addPanel(mesh, plate, 1, region, props::kIron, true);
}

} // namespace

void addBoxMapped(MeshBuilder& mesh, const Box& box, PropRegion region) {
    addPanel(mesh, box, 0, region, region);
}

void addPlatformProps(MeshBuilder& mesh, const Platform& platform, float pillarX,
                      float zFirstPillar, float pillarStep, float hangY, int number,
                      uint32_t seed) {
    Random random(seed);
    const float inward = platform.xInner < platform.xOuter ? -1.0f : 1.0f; // towards the tracks
    const float y = platform.top;
    // The yellow line a little way in from the edge.
    float lineX = platform.xInner - inward * 0.55f;
    addFace(mesh, {lineX - 0.09f, y + 0.01f, platform.zFront},
            {lineX + 0.09f, y + 0.01f, platform.zFront}, {lineX + 0.09f, y + 0.01f, platform.zBack},
            {lineX - 0.09f, y + 0.01f, platform.zBack}, props::kPaint);
    int bay = 0;
    for (float z = zFirstPillar + pillarStep / 2; z < platform.zFront - 2; z += pillarStep, bay++) {
        // Between two pillars: a bench facing the tracks behind the pillar line, a lamp above.
        addBench(mesh, {pillarX - inward * 1.3f, y, z}, inward);
        addPendantLamp(mesh, {pillarX, hangY + 3, z}, hangY);
        // Travellers: one to three, on the track side of the pillars.
        int count = 1 + random.below(3);
        for (int k = 0; k < count; k++) {
            float x = pillarX + inward * random.uniform(1.2f, 3.2f);
            float along = z + random.uniform(-4.5f, 4.5f);
            addTraveller(mesh, {x, y, along}, random);
        }
        // A clock and signs hang a quarter of a bay from the lamp, clear of the pillars.
        if (bay == 3) addHangingClock(mesh, {pillarX, hangY - 0.6f, z + pillarStep / 4}, hangY + 3);
        if (bay == 1 || bay == 6)
            addHangingSign(mesh, {pillarX, hangY - 0.2f, z - pillarStep / 4}, hangY + 3,
                           number == 1 ? props::kSignOne : props::kSignFour);
    }
}

void addDepartureBoard(MeshBuilder& mesh, float x0, float x1, float y0, float y1, float z,
                       float facing) {
    float z0 = facing > 0 ? z : z - 0.2f, z1 = facing > 0 ? z + 0.2f : z;
    addPanel(mesh, {{x0, y0, z0}, {x1, y1, z1}}, facing > 0 ? 1 : 2, props::kBoard, props::kIron);
}

void addWallPoster(MeshBuilder& mesh, float x, float z, float y0) {
    float face = x > 0 ? -1.0f : 1.0f;
    float x0 = std::min(x, x + face * 0.08f), x1 = std::max(x, x + face * 0.08f);
    addPanel(mesh, {{x0, y0, z - 1.0f}, {x1, y0 + 2.6f, z + 1.0f}}, face > 0 ? 3 : 4,
             props::kPoster, props::kIron);
}

void addTicketMachine(MeshBuilder& mesh, float x, float z, float floorY) {
    float face = x > 0 ? -1.0f : 1.0f;
    float x0 = std::min(x, x + face * 0.6f), x1 = std::max(x, x + face * 0.6f);
    addPanel(mesh, {{x0, floorY, z - 0.5f}, {x1, floorY + 1.9f, z + 0.5f}}, face > 0 ? 3 : 4,
             props::kMachine, props::kIron);
}

} // namespace geometry
