#include "tools/geometry/probe.h"

#include "tools/geometry/objects.h"
#include "tools/geometry/texture_names.h"

#include <algorithm>

namespace geometry {

namespace {

constexpr float kPicture = kProbePictureSize;

// A rectangle of the picture given in texels.
struct Rect {
    float x0, y0, x1, y1;
};

// A profile of (z, radius) points for a body of revolution about an axis parallel to z.
using Profile = std::vector<std::pair<float, float>>;

Vec3 lerp(Vec3 a, Vec3 b, float t) {
    return a + (b - a) * t;
}

// The point of a polyline of `count` points at parameter t in [0, 1], the points evenly spaced
// in t: rows of a tessellation with count - 1 rows land exactly on them.
template <class Point> Point alongRows(const std::vector<Point>& points, float t) {
    float k = std::clamp(t, 0.0f, 1.0f) * (points.size() - 1);
    size_t i = std::min(static_cast<size_t>(k), points.size() - 2);
    float f = k - i;
    if (f <= 0) return points[i];
    if (f >= 1) return points[i + 1];
    return {points[i].first + (points[i + 1].first - points[i].first) * f,
            points[i].second + (points[i + 1].second - points[i].second) * f};
}

// Samples a smooth profile function of z at `rows` + 1 points evenly spaced along its length.
Profile resampled(float z0, float z1, int rows, const std::function<float(float)>& radius) {
    std::vector<float> zs, arc{0};
    const int dense = 400;
    for (int k = 0; k <= dense; k++)
        zs.push_back(z0 + (z1 - z0) * k / dense);
    for (int k = 1; k <= dense; k++)
        arc.push_back(arc.back() +
                      std::hypot(zs[k] - zs[k - 1], radius(zs[k]) - radius(zs[k - 1])));
    Profile out;
    for (int j = 0, k = 0; j <= rows; j++) {
        float want = arc.back() * j / rows;
        while (k + 1 < dense && arc[k + 1] < want)
            k++;
        float f = std::clamp((want - arc[k]) / std::max(arc[k + 1] - arc[k], 1e-9f), 0.0f, 1.0f);
        float z = zs[k] + (zs[k + 1] - zs[k]) * f;
        out.push_back({z, j == 0 ? radius(z0) : j == rows ? radius(z1) : radius(z)});
    }
    return out;
}

// Sets a patch's outward sign so that its normal at the centre leans towards `expected`.
void orient(ProbePatch& patch, Vec3 expected) {
    patch.outward = 1;
    if (dot(probeNormal(patch, 0.5f, 0.5f), expected) < 0) patch.outward = -1;
}

ProbePatch makePatch(int mesh, ProbeFinish finish, Rect r, int columns, int rows,
                     std::function<Vec3(float, float)> at) {
    return {mesh,
            finish,
            r.x0 / kPicture,
            r.y0 / kPicture,
            r.x1 / kPicture,
            r.y1 / kPicture,
            columns,
            rows,
            std::move(at),
            1,
            0};
}

// The fuselage: a 16-sided section of eight broad facets with narrow chamfers between them,
// the top one facing up, swept along a profile from the nose tip to the centre of the tail.
void addFuselage(std::vector<ProbePatch>& patches, Rect r) {
    const float R = 0.135f, tailR = 0.105f;
    Profile profile = resampled(-0.44f, 0.30f, 18, [&](float z) {
        float nose = (-0.12f - z) / 0.32f;
        if (z < -0.12f) return R * std::pow(std::max(0.0f, 1 - nose * nose), 0.55f);
        if (z < 0.10f) return R;
        float k = std::clamp((z - 0.10f) / 0.2f, 0.0f, 1.0f);
        return R - (R - tailR) * k * k * (3 - 2 * k);
    });
    // The tail: a chamfered rim and the flat bulkhead the engine sits on.
    profile.push_back({0.318f, tailR - 0.016f});
    profile.push_back({0.318f, 0.5f * (tailR - 0.016f)});
    profile.push_back({0.318f, 0});
    // Corner angles: broad facets 36 degrees wide about each multiple of 45, chamfers between.
    std::vector<float> corners;
    for (int k = 0; k < 8; k++) {
        corners.push_back((k * 45.0f - 18) * kPi / 180);
        corners.push_back((k * 45.0f + 18) * kPi / 180);
    }
    corners.push_back(corners[0] + 2 * kPi);
    const int rows = static_cast<int>(profile.size()) - 1;
    for (int j = 0; j < 16; j++) {
        float a0 = corners[j], a1 = corners[j + 1];
        float y0 = r.y0 + (r.y1 - r.y0) * (a0 - corners[0]) / (2 * kPi);
        float y1 = r.y0 + (r.y1 - r.y0) * (a1 - corners[0]) / (2 * kPi);
        auto at = [profile, a0, a1](float s, float t) {
            auto [z, radius] = alongRows(profile, t);
            Vec3 c0{radius * std::cos(a0), radius * std::sin(a0), z};
            Vec3 c1{radius * std::cos(a1), radius * std::sin(a1), z};
            return s <= 0 ? c0 : s >= 1 ? c1 : lerp(c0, c1, s);
        };
        ProbePatch patch = makePatch(0, j % 2 ? ProbeFinish::Chamfer : ProbeFinish::Hull,
                                     {r.x0, y0, r.x1, y1}, 1, rows, at);
        float mid = 0.5f * (a0 + a1);
        orient(patch, {std::cos(mid), std::sin(mid), 0});
        patches.push_back(patch);
    }
}

// A swept plate from its root chord (leading, trailing) to its tip chord, `up` across its
// thickness: flat faces with bevelled leading and trailing edges, closed by root and tip caps.
struct Plate {
    Vec3 rootLead, rootTrail, tipLead, tipTrail, up;
    float rootThickness, tipThickness;

    Vec3 base(float c, float w) const {
        return lerp(lerp(rootLead, rootTrail, c), lerp(tipLead, tipTrail, c), w);
    }
    // Half the thickness at chord position c: full between the bevels, nothing at the edges.
    float half(float c, float w) const {
        float bevel = std::min({1.0f, c / 0.15f, (1 - c) / 0.2f});
        return 0.5f * (rootThickness + (tipThickness - rootThickness) * w) * std::max(0.0f, bevel);
    }
    Vec3 face(float c, float w, float sign) const { return base(c, w) + up * (sign * half(c, w)); }
};

void addPlate(std::vector<ProbePatch>& patches, int mesh, const Plate& plate, float side, Rect top,
              Rect under, Rect rootCap, Rect tipCap) {
    const int chord = 20; // the bevels' edges at c = 0.15 and 0.8 fall on vertices
    Vec3 span = plate.base(0.5f, 1) - plate.base(0.5f, 0);
    auto add = [&](ProbeFinish finish, Rect r, int rows, std::function<Vec3(float, float)> at,
                   Vec3 expected) {
        ProbePatch patch = makePatch(mesh, finish, r, chord, rows, std::move(at));
        patch.side = side;
        orient(patch, expected);
        patches.push_back(patch);
    };
    add(
        ProbeFinish::WingTop, top, 6, [plate](float s, float t) { return plate.face(s, t, 1); },
        plate.up);
    add(
        ProbeFinish::WingUnder, under, 6,
        [plate](float s, float t) { return plate.face(s, t, -1); }, -plate.up);
    add(
        ProbeFinish::Edge, rootCap, 1,
        [plate](float s, float t) { return lerp(plate.face(s, 0, -1), plate.face(s, 0, 1), t); },
        -span);
    add(
        ProbeFinish::Edge, tipCap, 1,
        [plate](float s, float t) { return lerp(plate.face(s, 1, -1), plate.face(s, 1, 1), t); },
        span);
}

// A round body of revolution about the axis through `centre` along z; the picture's u runs
// along the profile and v around.
void addRound(std::vector<ProbePatch>& patches, int mesh, ProbeFinish finish, Vec3 centre,
              const Profile& profile, int sides, Rect r, float side) {
    ProbePatch patch =
        makePatch(mesh, finish, r, sides, static_cast<int>(profile.size()) - 1,
                  [profile, centre](float s, float t) {
                      auto [z, radius] = alongRows(profile, t);
                      float a = s < 1 ? 2 * kPi * s : 0; // the seam closes exactly
                      return centre + Vec3{radius * std::cos(a), radius * std::sin(a), z};
                  });
    patch.side = side;
    // Outward: away from the axis at a point a quarter of the way round.
    patches.push_back(patch);
    ProbePatch& added = patches.back();
    added.outward = 1;
    Vec3 p = added.at(0.25f, 0.5f) - centre;
    if (dot(probeNormal(added, 0.25f, 0.5f), {p.x, p.y, 0}) < 0) added.outward = -1;
}

std::vector<ProbePatch> buildPatches() {
    std::vector<ProbePatch> patches;
    addFuselage(patches, {0, 0, 384, 224});
    // Wings: swept back with a little droop to the tips, thinning outwards.
    for (float side : {-1.0f, 1.0f}) {
        Plate wing{{side * 0.1f, 0.0f, -0.06f},
                   {side * 0.1f, 0.0f, 0.2f},
                   {side * 0.44f, -0.025f, 0.08f},
                   {side * 0.44f, -0.025f, 0.21f},
                   {0, 1, 0},
                   0.034f,
                   0.018f};
        float x = side < 0 ? 0 : 256, capX = side < 0 ? 384 : 448;
        addPlate(patches, 1, wing, side, {x, 224, x + 256, 320}, {x, 320, x + 256, 384},
                 {capX, 0, capX + 64, 24}, {capX, 24, capX + 64, 48});
        // The pod at the wing's tip, its glowing nozzle at the tail.
        Profile pod = resampled(-0.14f, 0.2f, 10, [](float z) {
            float nose = std::clamp((z + 0.14f) / 0.08f, 0.0f, 1.0f);
            float tail = std::clamp((0.2f - z) / 0.05f, 0.0f, 1.0f);
            return 0.042f * std::sqrt(nose) * (0.85f + 0.15f * tail);
        });
        pod.push_back({0.2f, 0.02f});
        pod.push_back({0.2f, 0});
        addRound(patches, 1, ProbeFinish::Pod, {side * 0.46f, -0.027f, 0}, pod, 12,
                 {x, 384, x + 128, 448}, side);
    }
    // The fin, on top towards the tail.
    Plate fin{{0, 0.1f, 0.02f},
              {0, 0.1f, 0.29f},
              {0, 0.29f, 0.2f},
              {0, 0.29f, 0.3f},
              {1, 0, 0},
              0.026f,
              0.014f};
    addPlate(patches, 0, fin, 0, {128, 384, 256, 448}, {128, 448, 256, 512}, {384, 48, 448, 72},
             {448, 48, 512, 72});
    // The main engine: a bell on the bulkhead, its throat glowing.
    Profile bell = {{0.31f, 0},       {0.31f, 0.056f}, {0.33f, 0.06f},   {0.36f, 0.065f},
                    {0.395f, 0.074f}, {0.4f, 0.068f},  {0.375f, 0.061f}, {0.35f, 0.054f},
                    {0.35f, 0.027f},  {0.35f, 0}};
    addRound(patches, 2, ProbeFinish::Nozzle, {0, 0, 0}, bell, 24, {256, 448, 512, 512}, 0);
    return patches;
}

} // namespace

const std::vector<ProbePatch>& probePatches() {
    static const std::vector<ProbePatch> patches = buildPatches();
    return patches;
}

Vec3 probeNormal(const ProbePatch& patch, float s, float t) {
    // Central differences, one-sided at the borders; a collapsed row (an axis point) takes the
    // normal from a little way into the patch.
    for (float inset : {0.0f, 0.02f, 0.08f}) {
        float ts = std::clamp(t, inset, 1 - inset);
        const float h = 1e-3f;
        float s0 = std::max(0.0f, s - h), s1 = std::min(1.0f, s + h);
        float t0 = std::max(0.0f, ts - h), t1 = std::min(1.0f, ts + h);
        Vec3 n = cross(patch.at(s1, ts) - patch.at(s0, ts), patch.at(s, t1) - patch.at(s, t0));
        if (length(n) > 1e-12f) return normalize(n) * patch.outward;
    }
    return {0, 0, patch.outward};
}

Vec3 probeTexCoord(const ProbePatch& patch, float s, float t) {
    const float half = 0.5f / kPicture;
    return {patch.u0 + half + (patch.u1 - patch.u0 - 2 * half) * t,
            patch.v0 + half + (patch.v1 - patch.v0 - 2 * half) * s, 0};
}

formats::ModelDesc buildProbeModel() {
    formats::ModelDesc model;
    // White: the picture carries the light and the paint.
    model.materials.push_back(makeMaterial({1, 1, 1}, 1, 0.3f, 0.5f, maps::kHull, 1.0f));
    MeshBuilder meshes[3];
    for (const ProbePatch& patch : probePatches())
        meshes[patch.mesh].addSurface(patch.columns, patch.rows, [&](float s, float t) {
            Vec3 uv = probeTexCoord(patch, s, t);
            return SurfacePoint{patch.at(s, t), probeNormal(patch, s, t), uv.x, uv.y};
        });
    model.meshes.push_back(meshes[0].toMesh("hull", 0));
    model.meshes.push_back(meshes[1].toMesh("wings", 0));
    model.meshes.push_back(meshes[2].toMesh("engine", 0));
    return model;
}

} // namespace geometry
