// Parts of the city's layout shared by the files that lay it out: the districts' lamp light,
// and the helpers that place lamps and lenses. Private to tools/geometry/city*.cpp.
#pragma once

#include "tools/geometry/city.h"

namespace geometry::citylayout {

// The light of each district's lamps.
const Vec3 kCoolLight{0.72f, 0.84f, 1.0f};
const Vec3 kWarmLight{1.0f, 0.7f, 0.4f};
const Vec3 kSodiumLight{1.0f, 0.56f, 0.22f};
const Vec3 kBridgeLight{0.55f, 0.88f, 1.0f};

constexpr float kHalfStreet = 0.5f * kCityStreetWidth;
constexpr unsigned kSides = kFaceNegX | kFacePosX | kFaceNegZ | kFacePosZ;

// The box of that centre and those half sides.
Box boxAround(Vec3 centre, Vec3 half);

// A lens on its own: a beacon or a lamp fixed to a wall or a crane, showing the given faces;
// `lens` is its cell of the sign sheet.
void addLens(CityLayout& city, Vec3 centre, Vec3 half, int lens, unsigned faces = kAllFaces);

// A lamp post at `base` whose head reaches `reach` towards `towards` (horizontal unit vector),
// with its lens under the head's end; the lamp's light is baked around the lens.
void addPostLamp(CityLayout& city, Vec3 base, Vec3 towards, float height, float reach, Vec3 colour,
                 int lens, float radius);

// The harbour north of the quay road: quay lamps, bridges, cranes, masts and containers.
void addHarbour(CityLayout& city);

// Plain blocks beyond the edges of the grid, so that the edge streets have walls on both
// sides and the city seems to go on into the haze.
void addOuterBlocks(CityLayout& city);

} // namespace geometry::citylayout
