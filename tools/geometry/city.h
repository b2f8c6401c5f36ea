// The night city: three districts on one street grid — glass and office towers in the west, a
// dense neon market in the east, and a harbour to the north with a quay road, a basin crossed
// by two arch bridges, and a container pier with cranes — under a sky dome, and the camera and
// spike-ball paths that fly through them.
#pragma once

#include "curves/curve_format.h"
#include "tools/formats/model_writer.h"
#include "tools/geometry/mesh.h"

#include <vector>

namespace geometry {

// Street grid: lines along z at x = cityLineX(i), i = 0 to kCityLinesX - 1, and along x at
// z = cityLineZ(j), j = 0 to kCityLinesZ - 1; streets are kCityStreetWidth wide from building
// line to building line. The last line along x is the quay road at the water's edge.
constexpr int kCityLinesX = 11;
constexpr int kCityLinesZ = 8;
constexpr float kCityPitch = 36.0f;
constexpr float kCityStreetWidth = 12.0f;
// Blocks west of this x are towers, east of it the market; the towers' widest avenue.
constexpr float kMarketFromX = 0.0f;
constexpr float kTowerAvenueX = -108.0f;

// The harbour, north of the quay road: the basin's water surface, the quay edge on each
// side of it, the pier road and the two bridges (along x = kBridgeX[k]) that cross the basin.
constexpr float kWaterLevel = -2.0f;
constexpr float kQuayEdgeZ = 80.0f;
constexpr float kPierEdgeZ = 148.0f;
constexpr float kPierRoadZ = 160.0f;
constexpr float kPierEndZ = 214.0f;
constexpr float kBridgeX[2] = {-72.0f, 72.0f};
// Everything of the model lies inside a dome of this radius about the origin.
constexpr float kSkyRadius = 700.0f;

inline float cityLineX(int i) {
    return -180.0f + kCityPitch * i;
}
inline float cityLineZ(int j) {
    return -180.0f + kCityPitch * j;
}

// What a surface of the city is made of: each kind is one material of the model.
enum CitySurface {
    kStreetSurface,   // road and pavements between crossings
    kCrossingSurface, // street crossings
    kPavingSurface,   // quays, pier, yards and the ground outside the streets
    kQuayWallSurface, // walls of the quays and bridge piers, down into the water
    kGlassSurface,    // curtain walls of the towers
    kOfficeSurface,   // stone walls with punched windows
    kMarketSurface,   // the market's upper floors
    kShopSurface,     // the market's lit ground floors
    kSignSurface,     // neon signs, lamp lenses, beacons, awnings (one picture of parts)
    kSteelSurface,    // cranes, bridges, lamp posts, railings
    kContainerSurface,
    kRoofSurface,
    kWaterSurface,
    kSkySurface,
    kCitySurfaceCount
};

// A solid box with the surface of its walls and the colour of the light baked into it.
struct CityBlock {
    Box box;
    CitySurface walls;
    Vec3 tint{1, 1, 1}; // multiplies the baked light: a building's own cast
    float uOffset = 0;  // shifts the wall picture along, so neighbours differ
    float vOffset = 0;  // and up
    bool roofed = true; // a roof on top (kRoofSurface); else the top is of the walls' surface
    Vec3 front{};       // a shop house's street side: its ground floor is a lit shop
    unsigned faces = kAllFaces; // the faces that can be seen (BoxFace bits; never the bottom
                                // of a building)
};

// A picture of the sign sheet on a flat panel (both faces when bladed).
struct CitySign {
    Vec3 centre;
    Vec3 facing; // unit normal of the front face, horizontal
    float width, height;
    int cell; // first cell of the sheet (see kSignCells in the model)
    int cellsWide, cellsHigh;
    bool bladed; // a blade sign standing out from a wall, readable from both sides
};

// A point light whose light is baked into the surfaces near it.
struct CityLight {
    Vec3 position;
    Vec3 colour;
    float radius;
};

// A steel strut of square section between two points: crane stays, bridge arches, hangers.
struct CityBeam {
    Vec3 a, b;
    float half; // half the side of its section
    Vec3 tint;
};

// An awning over a shop: a sloping sheet from the wall line out over the pavement.
struct CityAwning {
    Vec3 wallLeft, wallRight; // where it meets the wall, seen from the street
    Vec3 outward;             // horizontal unit vector from the wall to the street
    float depth, drop;        // how far it reaches out, how far its outer edge hangs lower
    Vec3 colour;
};

struct CityLayout {
    std::vector<CityBlock> blocks; // buildings, containers, lamp posts, crane and bridge steel
    std::vector<CityBlock> lenses; // lit lamp heads and beacons (drawn as light)
    std::vector<CitySign> signs;
    std::vector<CityAwning> awnings;
    std::vector<CityBeam> beams;
    std::vector<CityLight> lights;
    std::vector<Box> decks; // bridge decks, solid, walked on
    // Every solid thing of the city, which paths must keep out of.
    std::vector<Box> obstacles() const;
};

// The layout is fixed by its seeds: every call gives the same city.
CityLayout makeCityLayout();

formats::ModelDesc buildCityModel(const CityLayout& layout);

// The five paths of the City scene, in the order of its curve files: cameras 0, 1 and 2, then
// the spike-ball paths seen by cameras 1 and 2.
std::vector<std::vector<CurveRecord>> buildCityCurves();

} // namespace geometry
