// The city model: every part of the layout as meshes of one surface each, cut into squares of
// the map so that the demo's view culling skips what the camera cannot see, with the light of
// the lamps, signs and shops baked into each vertex; the sky dome; and under the harbour's
// water a mirror image of what stands round it, which the translucent water lets through.
#include "tools/geometry/city.h"

#include "engine/model_format.h"
#include "tools/geometry/city_light.h"
#include "tools/geometry/city_pictures.h"
#include "tools/geometry/texture_names.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

namespace geometry {

namespace {

using namespace citymesh;

// A material's diffuse amount that selects the model shader's baked light.
constexpr float kBakedMaterial = 2.0f;

constexpr float kChunk = 160.0f;      // side of the squares the meshes are cut into
constexpr float kMirrorFromZ = 36.0f; // what stands between these is mirrored in the water
constexpr float kMirrorToZ = 165.0f;
constexpr float kMirrorLight = 0.8f; // the water darkens what it mirrors
constexpr float kWaterAlpha = 0.5f;  // how much of the water's own colour covers the mirror
constexpr float kHalfStreet = 0.5f * kCityStreetWidth;
constexpr float kOuterReach = 258.0f; // the outermost streets' far edges
constexpr float kGroundReach = kSkyRadius;
constexpr float kShopTop = 4.2f; // a shop house's ground floor, below its first floor

// Heights at which walls are cut into rows, so that the light baked into them can fall off
// upwards from the street: towers, and the market's lower houses.
const std::vector<float> kTowerRows = {9, 30};
const std::vector<float> kHouseRows = {4.2f};

// How each surface's picture is laid on a wall: world units per repeat across and up.
struct WallPicture {
    float across, up;
};
WallPicture wallPicture(CitySurface surface) {
    switch (surface) {
    case kGlassSurface:
        return {24, 57.6f};
    case kOfficeSurface:
        return {24, 48};
    case kMarketSurface:
        return {16, 15.5f};
    case kShopSurface:
        return {32, 4.2f};
    case kContainerSurface:
        return {6.1f, 2.55f};
    default:
        return {4, 4};
    }
}

// The meshes of the model, by surface and by square of the map.
class CityMeshes {
  public:
    explicit CityMeshes(const CityLayout& layout) : lighting(layout.lights) {}

    // The mesh of a surface for a part centred at `where`. Parts round the basin go into
    // meshes of their own, which are mirrored in the water.
    LitMesh& at(CitySurface surface, Vec3 where) {
        int cx = static_cast<int>(std::floor((where.x + kGroundReach) / kChunk));
        int cz = static_cast<int>(std::floor((where.z + kGroundReach) / kChunk));
        int mirrored = where.z > kMirrorFromZ && where.z < kMirrorToZ ? 1 : 0;
        return meshes[{surface, cx, cz, mirrored}];
    }
    const CityLighting& light() const { return lighting; }

    // Every mesh of one surface, in the order of the map's squares: f(name, mirrored, mesh).
    template <class F> void forSurface(CitySurface surface, F f) const {
        for (const auto& [key, mesh] : meshes)
            if (std::get<0>(key) == surface)
                f(std::to_string(std::get<1>(key)) + "," + std::to_string(std::get<2>(key)) +
                      (std::get<3>(key) ? " basin" : ""),
                  std::get<3>(key) != 0, mesh);
    }

  private:
    CityLighting lighting;
    std::map<std::tuple<int, int, int, int>, LitMesh> meshes;
};

Vec3 multiply(Vec3 a, Vec3 b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}

// The lens or sign cell (column, row on the sheet) as texture coordinates, a little inside
// its edges so that the neighbouring cells never bleed in.
struct CellRect {
    float u0, v0, u1, v1;
};
CellRect cellRect(int cell, int wide, int high) {
    const float size = 1.0f / citysigns::kCells, inset = 2.0f / 1024;
    int column = cell % citysigns::kCells, row = cell / citysigns::kCells;
    return {column * size + inset, row * size + inset, (column + wide) * size - inset,
            (row + high) * size - inset};
}

// The texture coordinates of a point on a wall of `block` made of `surface`: u along the wall
// from `origin` (towards `right`), v down from the picture's top row.
std::pair<float, float> wallCoordinates(const CityBlock& block, CitySurface surface, Vec3 p,
                                        Vec3 origin, Vec3 right) {
    WallPicture picture = wallPicture(surface);
    float u = block.uOffset + dot(p - origin, right) / picture.across;
    switch (surface) {
    case kShopSurface:
        return {u, (kShopTop - p.y) / kShopTop};
    case kMarketSurface:
        return {u, block.vOffset - (p.y - kShopTop) / picture.up};
    case kContainerSurface:
        return {u, -(p.y - block.box.min.y) / picture.up};
    default:
        return {u, block.vOffset - p.y / picture.up};
    }
}

// A box of the layout: walls as grids of rows and columns, the top as a grid that meets them
// edge for edge. A shop house's front shows its shop below the first floor.
void addBlock(CityMeshes& meshes, const CityBlock& block) {
    const Box& b = block.box;
    Vec3 centre = (b.min + b.max) * 0.5f, half = (b.max - b.min) * 0.5f;
    // Small parts (containers, posts, beams) are plain boxes; buildings are cut into rows and
    // columns for their light.
    const bool plain = block.walls == kContainerSurface || block.walls == kSteelSurface ||
                       block.walls == kQuayWallSurface;
    const float spacing = plain || block.walls == kMarketSurface ? 1000.0f : 14.0f;
    int nx = columnsFor(b.max.x - b.min.x, spacing), nz = columnsFor(b.max.z - b.min.z, spacing);
    const bool shops = block.walls == kMarketSurface && length(block.front) > 0;
    std::vector<float> rows =
        plain ? std::vector<float>{0, b.max.y - b.min.y}
              : rowsBetween(b.min.y, b.max.y,
                            block.walls == kMarketSurface ? kHouseRows : kTowerRows);
    auto light = [&](Vec3 tint) {
        return [&meshes, tint](Vec3 p, Vec3 n) {
            return multiply(meshes.light().at(p + n * 0.3f, n), tint);
        };
    };
    struct Side {
        Vec3 normal;
        unsigned face;
    };
    const Side sides[4] = {{{0, 0, 1}, kFacePosZ},
                           {{0, 0, -1}, kFaceNegZ},
                           {{1, 0, 0}, kFacePosX},
                           {{-1, 0, 0}, kFaceNegX}};
    for (const Side& side : sides) {
        if (!(block.faces & side.face)) continue;
        Vec3 n = side.normal;
        Vec3 right = cross({0, 1, 0}, n);
        float width = std::fabs(dot(half, right)) * 2;
        Vec3 origin =
            Vec3{centre.x + n.x * half.x, b.min.y, centre.z + n.z * half.z} - right * (width / 2);
        int columns = n.z != 0 ? nx : nz;
        bool isFront = shops && dot(n, block.front) > 0.9f;
        for (int band = 0; band < (isFront ? 2 : 1); band++) {
            CitySurface surface = isFront && band == 0 ? kShopSurface : block.walls;
            std::vector<float> bandRows;
            for (float r : rows)
                if (!isFront || (band == 0 ? r <= kShopTop + 1e-3f : r >= kShopTop - 1e-3f))
                    bandRows.push_back(r);
            LitMesh& mesh = meshes.at(surface, centre);
            size_t first = mesh.mesh.vertexCount();
            addGrid(mesh.mesh, origin, right * width, {0, 1, 0}, columns, bandRows, n,
                    [&](Vec3 p) { return wallCoordinates(block, surface, p, origin, right); });
            mesh.bake(first, kHazyBake, light(block.tint));
        }
    }
    if (!(block.faces & kFacePosY)) return;
    CitySurface topSurface = block.roofed ? kRoofSurface : block.walls;
    LitMesh& top = meshes.at(topSurface, centre);
    size_t first = top.mesh.vertexCount();
    std::vector<float> depthRows;
    for (int k = 0; k <= nz; k++)
        depthRows.push_back((b.max.z - b.min.z) * k / nz);
    addGrid(top.mesh, {b.min.x, b.max.y, b.max.z}, {b.max.x - b.min.x, 0, 0}, {0, 0, -1}, nx,
            depthRows, {0, 1, 0}, [&](Vec3 p) {
                return std::pair<float, float>{p.x / 24, p.z / 24};
            });
    top.bake(first, kHazyBake, light(block.tint * (block.roofed ? 0.7f : 1.0f)));
}

// A lens: a small box lit from within, every face showing its cell of the sign sheet.
void addLensBox(CityMeshes& meshes, const CityBlock& lens) {
    LitMesh& mesh = meshes.at(kSignSurface, (lens.box.min + lens.box.max) * 0.5f);
    size_t first = mesh.mesh.vertexCount();
    CellRect r = cellRect(static_cast<int>(lens.uOffset), 1, 1);
    const Box& b = lens.box;
    size_t before = mesh.mesh.vertexCount();
    mesh.mesh.addBox(b, 1, 0, lens.faces);
    for (size_t k = before; k < mesh.mesh.vertexCount(); k++) {
        // addBox's corners come in fours: (u0, v0), (u1, v0), (u1, v1), (u0, v1).
        int corner = static_cast<int>((k - before) % 4);
        mesh.mesh.texCoords[2 * k] = (corner == 1 || corner == 2) ? r.u1 : r.u0;
        mesh.mesh.texCoords[2 * k + 1] = corner >= 2 ? r.v0 : r.v1;
    }
    mesh.bake(first, kHazyBake, [](Vec3, Vec3) { return Vec3{1, 1, 1}; });
}

// A sign: its cell of the sheet on a panel, on both faces of a blade sign.
void addSignPanel(CityMeshes& meshes, const CitySign& sign) {
    LitMesh& mesh = meshes.at(kSignSurface, sign.centre);
    size_t first = mesh.mesh.vertexCount();
    CellRect r = cellRect(sign.cell, sign.cellsWide, sign.cellsHigh);
    for (int side = 0; side < (sign.bladed ? 2 : 1); side++) {
        Vec3 n = side == 0 ? sign.facing : -sign.facing;
        Vec3 right = cross({0, 1, 0}, n) * (sign.width / 2);
        Vec3 up{0, sign.height / 2, 0};
        Vec3 c = sign.centre + n * 0.06f;
        mesh.mesh.addQuad(c - right - up, c + right - up, c + right + up, c - right + up, r.u0,
                          r.v1, r.u1, r.v0);
    }
    mesh.bake(first, kHazyBake, [](Vec3, Vec3) { return Vec3{1, 1, 1}; });
}

// An awning: the cloth seen from above and from below, lit by its shop from beneath.
void addAwning(CityMeshes& meshes, const CityAwning& awning) {
    Vec3 outer = awning.outward * awning.depth - Vec3{0, awning.drop, 0};
    Vec3 a = awning.wallLeft, b = awning.wallRight, c = b + outer, d = a + outer;
    LitMesh& mesh = meshes.at(kSignSurface, (a + c) * 0.5f);
    CellRect r = cellRect(citysigns::kAwningCloth, 1, 1);
    size_t first = mesh.mesh.vertexCount();
    mesh.mesh.addQuad(d, c, b, a, r.u0, r.v1, r.u1, r.v0); // upper side, facing up and out
    mesh.bake(first, kHazyBake, [&](Vec3 p, Vec3 n) {
        return multiply(meshes.light().at(p + n * 0.3f, n), awning.colour) * 0.8f;
    });
    first = mesh.mesh.vertexCount();
    mesh.mesh.addQuad(a, b, c, d, r.u0, r.v0, r.u1, r.v1); // underside
    mesh.bake(first, kHazyBake, [&](Vec3 p, Vec3) {
        return multiply(meshes.light().at(p - Vec3{0, 0.3f, 0}, {0, -1, 0}) +
                            Vec3{0.6f, 0.45f, 0.3f},
                        awning.colour) *
               1.4f;
    });
}

// A steel strut of square section.
void addBeamRod(CityMeshes& meshes, const CityBeam& beam) {
    LitMesh& mesh = meshes.at(kSteelSurface, (beam.a + beam.b) * 0.5f);
    size_t first = mesh.mesh.vertexCount();
    mesh.mesh.addRod(beam.a, beam.b, beam.half * 1.414f, 4);
    mesh.bake(first, kHazyBake, [&](Vec3 p, Vec3 n) {
        return multiply(meshes.light().at(p + n * 0.3f, n), beam.tint);
    });
}

// A flat piece of ground from (x0, z0) to (x1, z1) at height y, in a grid of cells about
// `cell` units, its picture repeating every `repeat` units.
void addGround(CityMeshes& meshes, CitySurface surface, float x0, float z0, float x1, float z1,
               float y, float cell, float repeat, float brightness = 1) {
    int nx = columnsFor(x1 - x0, cell), nz = columnsFor(z1 - z0, cell);
    LitMesh& mesh = meshes.at(surface, {0.5f * (x0 + x1), y, 0.5f * (z0 + z1)});
    size_t first = mesh.mesh.vertexCount();
    std::vector<float> rows;
    for (int k = 0; k <= nz; k++)
        rows.push_back((z1 - z0) * k / nz);
    addGrid(mesh.mesh, {x0, y, z0}, {x1 - x0, 0, 0}, {0, 0, 1}, nx, rows, {0, 1, 0}, [&](Vec3 p) {
        return std::pair<float, float>{p.x / repeat, -p.z / repeat};
    });
    mesh.bake(first, kHazyBake,
              [&](Vec3 p, Vec3 n) { return meshes.light().at(p, n) * brightness; });
}

// A street between two crossings, `from` and `to` on its centre line: pavement, kerb and
// road across; the lamps' pools and their wet reflections baked along it.
void addStreet(CityMeshes& meshes, Vec3 from, Vec3 to, bool lit = true) {
    Vec3 axis = normalize(to - from);
    Vec3 side{-axis.z, 0, axis.x};
    float length = geometry::length(to - from);
    const std::vector<float> across =
        lit ? std::vector<float>{0, 3, 6, 9, 12} : std::vector<float>{0, 12};
    int steps = columnsFor(length, lit ? 6 : 24);

    LitMesh& mesh = meshes.at(kStreetSurface, (from + to) * 0.5f);
    size_t first = mesh.mesh.vertexCount();
    const std::vector<float>& rows = across;
    Vec3 origin = from - side * kHalfStreet;
    // u runs across the street (0 to 1 from one building line to the other), v along it.
    float start = dot(from, axis);
    addGrid(mesh.mesh, origin, to - from, side, steps, rows, {0, 1, 0}, [&](Vec3 p) {
        return std::pair<float, float>{dot(p - origin, side) / kCityStreetWidth,
                                       (dot(p, axis) - start) / kCityStreetWidth};
    });
    mesh.bake(first, kHazyBake, [&](Vec3 p, Vec3 n) {
        return meshes.light().at(p, n) + meshes.light().sheen(p, axis);
    });
}

void addCrossing(CityMeshes& meshes, float x, float z) {
    LitMesh& mesh = meshes.at(kCrossingSurface, {x, 0, z});
    size_t first = mesh.mesh.vertexCount();
    std::vector<float> rows{0, 6, 12};
    Vec3 origin{x - kHalfStreet, 0, z - kHalfStreet};
    addGrid(mesh.mesh, origin, {kCityStreetWidth, 0, 0}, {0, 0, 1}, 2, rows, {0, 1, 0},
            [&](Vec3 p) {
                return std::pair<float, float>{(p.x - origin.x) / kCityStreetWidth,
                                               (p.z - origin.z) / kCityStreetWidth};
            });
    mesh.bake(first, kHazyBake, [&](Vec3 p, Vec3 n) { return meshes.light().at(p, n); });
}

// Streets, crossings and the ground of every block, from the outermost streets to the quay.
void addStreets(CityMeshes& meshes) {
    const int lastZ = kCityLinesZ - 1;
    for (int i = -2; i <= kCityLinesX + 1; i++)
        for (int j = -2; j <= lastZ; j++) {
            float x = cityLineX(i), z = cityLineZ(j);
            addCrossing(meshes, x, z);
            // Only the streets of the grid have lamps; the outer ones are plainly cut.
            bool inside = i >= 0 && i < kCityLinesX && j >= 0;
            if (j < lastZ)
                addStreet(meshes, {x, 0, z + kHalfStreet}, {x, 0, cityLineZ(j + 1) - kHalfStreet},
                          inside);
            if (i <= kCityLinesX)
                addStreet(meshes, {x + kHalfStreet, 0, z}, {cityLineX(i + 1) - kHalfStreet, 0, z},
                          inside && i + 1 < kCityLinesX);
            if (i <= kCityLinesX && j < lastZ)
                addGround(meshes, kPavingSurface, x + kHalfStreet, z + kHalfStreet,
                          cityLineX(i + 1) - kHalfStreet, cityLineZ(j + 1) - kHalfStreet, 0, 24, 12,
                          0.7f);
        }
}

// The land beyond the streets, the quay's edge and wall, the pier, the bridge decks and the
// water of the harbour and the sea.
void addGroundAndWater(CityMeshes& meshes, const CityLayout& layout) {
    const float r = kGroundReach, quayRoad = cityLineZ(kCityLinesZ - 1) + kHalfStreet;
    addGround(meshes, kPavingSurface, -r, -r, -kOuterReach, kQuayEdgeZ, 0, 60, 12, 0.6f);
    addGround(meshes, kPavingSurface, kOuterReach, -r, r, kQuayEdgeZ, 0, 60, 12, 0.6f);
    addGround(meshes, kPavingSurface, -kOuterReach, -r, kOuterReach, -kOuterReach, 0, 60, 12, 0.6f);
    addGround(meshes, kPavingSurface, -kOuterReach, quayRoad, kOuterReach, kQuayEdgeZ, 0, 6, 12);
    // The pier: paving either side of its road.
    const float pierX = 200;
    addGround(meshes, kPavingSurface, -pierX, kPierEdgeZ, pierX, kPierRoadZ - kHalfStreet, 0, 6,
              12);
    addGround(meshes, kPavingSurface, -pierX, kPierRoadZ + kHalfStreet, pierX, kPierEndZ, 0, 8, 12);
    for (float x = -pierX; x < pierX - 1; x += kCityPitch) {
        float end = std::min(x + kCityPitch, pierX);
        addStreet(meshes, {x, 0, kPierRoadZ}, {end, 0, kPierRoadZ});
    }
    // Quay walls down into the water.
    auto wall = [&](Vec3 a, Vec3 b) {
        Vec3 n = normalize(cross(b - a, {0, 1, 0}));
        LitMesh& mesh = meshes.at(kQuayWallSurface, (a + b) * 0.5f);
        size_t first = mesh.mesh.vertexCount();
        addGrid(mesh.mesh, a + Vec3{0, kWaterLevel - 0.6f, 0}, b - a, {0, 1, 0},
                columnsFor(length(b - a), 12), {0, 0.6f - kWaterLevel}, n, [&](Vec3 p) {
                    return std::pair<float, float>{(p.x + p.z) / 12, -p.y / 12};
                });
        mesh.bake(first, kHazyBake,
                  [&](Vec3 p, Vec3 n2) { return meshes.light().at(p, n2) * 0.6f; });
    };
    wall({r, 0, kQuayEdgeZ}, {-r, 0, kQuayEdgeZ});
    wall({-pierX, 0, kPierEdgeZ}, {pierX, 0, kPierEdgeZ});
    wall({pierX, 0, kPierEndZ}, {-pierX, 0, kPierEndZ});
    wall({pierX, 0, kPierEdgeZ}, {pierX, 0, kPierEndZ});
    wall({-pierX, 0, kPierEndZ}, {-pierX, 0, kPierEdgeZ});
    for (const Box& deck : layout.decks) {
        addStreet(meshes, {0.5f * (deck.min.x + deck.max.x), 0, deck.min.z},
                  {0.5f * (deck.min.x + deck.max.x), 0, deck.max.z});
        CityBlock underside{{deck.min, {deck.max.x, deck.max.y - 0.01f, deck.max.z}},
                            kSteelSurface,
                            {0.5f, 0.55f, 0.6f}};
        underside.roofed = false;
        addBlock(meshes, underside);
    }
    // The water: the basin finely enough for the reflected lights, the open sea coarsely.
    auto water = [&](float x0, float z0, float x1, float z1, float cell) {
        addGround(meshes, kWaterSurface, x0, z0, x1, z1, kWaterLevel, cell, 24);
    };
    water(-kOuterReach, kQuayEdgeZ, kOuterReach, kPierEdgeZ, 8);
    water(-r, kQuayEdgeZ, -kOuterReach, kPierEndZ, 60);
    water(kOuterReach, kQuayEdgeZ, r, kPierEndZ, 60);
    water(-kOuterReach, kPierEdgeZ, -pierX, kPierEndZ, 12);
    water(pierX, kPierEdgeZ, kOuterReach, kPierEndZ, 12);
    water(-r, kPierEndZ, r, r, 50);
}

// The sky: a dome over everything, its picture wrapped round it (see citysky).
void addSky(LitMesh& mesh, float y0, bool mirror) {
    const int columns = 64;
    std::vector<float> elevations = {-2, 0,  1,  2,  3.5f, 5,  7,  10, 13,
                                     15, 20, 27, 36, 48,   62, 76, 90};
    size_t first = mesh.mesh.vertexCount();
    for (float e : elevations)
        for (int i = 0; i <= columns; i++) {
            float a = 2 * kPi * i / columns, el = e * kPi / 180;
            Vec3 d{std::cos(el) * std::cos(a), std::sin(el), std::cos(el) * std::sin(a)};
            Vec3 p = d * kSkyRadius + Vec3{0, y0, 0};
            if (mirror) p.y = 2 * kWaterLevel - p.y;
            mesh.mesh.addVertex(p, -d, float(i) / columns, citysky::rowOfElevation(e));
        }
    uint32_t base = static_cast<uint32_t>(first);
    auto at = [&](int i, size_t j) { return base + uint32_t(j * (columns + 1) + i); };
    for (size_t j = 0; j + 1 < elevations.size(); j++)
        for (int i = 0; i < columns; i++) {
            uint32_t a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            // Seen from inside: counter-clockwise when the picture reads left to right.
            if (mirror) {
                mesh.mesh.addTriangle(a, c, b);
                mesh.mesh.addTriangle(a, d, c);
            } else {
                mesh.mesh.addTriangle(a, b, c);
                mesh.mesh.addTriangle(a, c, d);
            }
        }
    float light = mirror ? kMirrorLight : 1.0f;
    mesh.bake(first, kSkyBake, [&](Vec3, Vec3) { return Vec3{light, light, light}; });
}

formats::ModelMaterialDesc surfaceMaterial(CitySurface surface) {
    const char* sky = maps::kCityReflection;
    auto shaded = [&](const char* map, float reflection) {
        return makeShadedMaterial({0.1f, 0.1f, 0.12f}, 0, 0, map, kBakedMaterial, sky, reflection);
    };
    switch (surface) {
    case kStreetSurface:
        return shaded(maps::kCityStreet, 0.3f);
    case kCrossingSurface:
        return shaded(maps::kCityCrossing, 0.3f);
    case kPavingSurface:
        return shaded(maps::kCityPaving, 0);
    case kQuayWallSurface:
        return shaded(maps::kCityPaving, 0);
    case kGlassSurface:
        return shaded(maps::kCityGlass, 0.22f);
    case kOfficeSurface:
        return shaded(maps::kCityOffice, 0.2f);
    case kMarketSurface:
        return shaded(maps::kCityMarket, 0);
    case kShopSurface:
        return shaded(maps::kCityShops, 0.15f);
    case kSignSurface:
        return shaded(maps::kCitySigns, 0);
    case kSteelSurface:
        return shaded(maps::kCitySteel, 0);
    case kContainerSurface:
        return shaded(maps::kCityContainer, 0);
    case kRoofSurface:
        return shaded(maps::kCityPaving, 0);
    case kWaterSurface: {
        formats::ModelMaterialDesc water = shaded(maps::kCityWater, 0.35f);
        water.diffuse[3] = kWaterAlpha;
        return water;
    }
    default:
        return shaded(maps::kCitySky, 0);
    }
}

const char* surfaceName(CitySurface surface) {
    const char* names[kCitySurfaceCount] = {
        "street", "crossing", "paving", "quay walls", "glass", "office", "market",
        "shops",  "signs",    "steel",  "containers", "roofs", "water",  "sky"};
    return names[surface];
}

bool readsNormals(CitySurface surface) {
    return surfaceMaterial(surface).maps.size() > 1 && surfaceMaterial(surface).maps[1].amount > 0;
}

} // namespace

formats::ModelDesc buildCityModel(const CityLayout& layout) {
    CityMeshes meshes(layout);
    for (const CityBlock& block : layout.blocks)
        addBlock(meshes, block);
    for (const CityBlock& lens : layout.lenses)
        addLensBox(meshes, lens);
    for (const CitySign& sign : layout.signs)
        addSignPanel(meshes, sign);
    for (const CityAwning& awning : layout.awnings)
        addAwning(meshes, awning);
    for (const CityBeam& beam : layout.beams)
        addBeamRod(meshes, beam);
    addStreets(meshes);
    addGroundAndWater(meshes, layout);

    formats::ModelDesc model;
    for (int s = 0; s < kCitySurfaceCount; s++)
        model.materials.push_back(surfaceMaterial(static_cast<CitySurface>(s)));
    // Drawn in this order: the land, the sky, the mirror world under the water, the water.
    const CitySurface solid[] = {kStreetSurface,   kCrossingSurface, kPavingSurface,
                                 kQuayWallSurface, kShopSurface,     kMarketSurface,
                                 kOfficeSurface,   kGlassSurface,    kContainerSurface,
                                 kSteelSurface,    kRoofSurface,     kSignSurface};
    auto name = [](CitySurface s, const std::string& where, const char* suffix) {
        return std::string(surfaceName(s)) + " " + where + suffix;
    };
    for (CitySurface s : solid)
        meshes.forSurface(s, [&](const std::string& where, bool, const LitMesh& mesh) {
            model.meshes.push_back(mesh.toMesh(name(s, where, ""), s, readsNormals(s)));
        });
    LitMesh sky, mirrorSky;
    addSky(sky, 0, false);
    addSky(mirrorSky, 0, true);
    model.meshes.push_back(sky.toMesh("sky", kSkySurface, false));
    for (CitySurface s : solid) {
        // Flat ground mirrors as faces turned away from every camera above the water.
        if (s == kStreetSurface || s == kCrossingSurface || s == kPavingSurface ||
            s == kRoofSurface)
            continue;
        meshes.forSurface(s, [&](const std::string& where, bool mirrored, const LitMesh& mesh) {
            if (mirrored)
                model.meshes.push_back(
                    mesh.mirrored(kWaterLevel, kMirrorLight)
                        .toMesh(name(s, where, " mirrored"), s, readsNormals(s)));
        });
    }
    model.meshes.push_back(mirrorSky.toMesh("sky mirrored", kSkySurface, false));
    meshes.forSurface(kWaterSurface, [&](const std::string& where, bool, const LitMesh& mesh) {
        model.meshes.push_back(mesh.toMesh(name(kWaterSurface, where, ""), kWaterSurface, true));
    });
    return model;
}

} // namespace geometry
