// The station's furniture and travellers: benches, people waiting with their luggage, pendant
// lamps, hanging clocks and platform signs, departure boards, ticket machines and posters. All
// of it samples one picture, the props picture, whose regions are named here so that the
// painter and the models agree.
#pragma once

#include "tools/geometry/mesh.h"

namespace geometry {

// A rectangle of the props picture in texels, row 0 at the top.
struct PropRegion {
    int x0, y0, x1, y1;
};

namespace props {
constexpr int kPictureSize = 1024;
constexpr PropRegion kWood{0, 0, 256, 64};         // bench slats
constexpr PropRegion kIron{256, 0, 512, 64};       // painted cast iron
constexpr PropRegion kLamp{512, 0, 640, 128};      // a lamp's glowing underside, seen as a disc
constexpr PropRegion kLuggage{640, 0, 768, 128};   // leather, two cases side by side
constexpr PropRegion kSkylight{768, 0, 1024, 128}; // the ridge's glazing, lit from outside
constexpr int kCoatCount = 4;
constexpr PropRegion kCoats{0, 64, 512, 128};       // kCoatCount coats side by side
constexpr PropRegion kClock{0, 128, 256, 384};      // a lit dial
constexpr PropRegion kSignOne{256, 128, 768, 256};  // "platform 1"
constexpr PropRegion kSignFour{256, 256, 768, 384}; // "platform 4"
constexpr PropRegion kPaint{768, 128, 1024, 256};   // the yellow line along the platform edges
constexpr PropRegion kBoard{0, 384, 1024, 640};     // a departure board's lit rows
constexpr PropRegion kMachine{0, 640, 256, 1024};   // a ticket machine's lit front
constexpr PropRegion kPoster{256, 640, 512, 1024};  // a lit poster on the wall
} // namespace props

// Where a platform runs: across from xInner to xOuter (either sign), along from zBack to
// zFront, its top at y = top.
struct Platform {
    float xInner, xOuter, zBack, zFront, top;
};

// Everything the platform holds, added to `mesh`, which samples the props picture: benches
// and travellers between the pillars (which stand every `pillarStep` from zFirstPillar at
// x = pillarX), lamps and clocks hanging from the roof at `hangY`, a sign with `number`, the
// yellow edge line. `seed` varies the travellers.
void addPlatformProps(MeshBuilder& mesh, const Platform& platform, float pillarX,
                      float zFirstPillar, float pillarStep, float hangY, int number, uint32_t seed);
// A departure board across x0 to x1 at height y0 to y1, on a wall at z facing `facing` (+1
// or -1 along z).
void addDepartureBoard(MeshBuilder& mesh, float x0, float x1, float y0, float y1, float z,
                       float facing);
// A lit poster or ticket machine against a side wall at x (its face towards -sign(x)).
void addWallPoster(MeshBuilder& mesh, float x, float z, float y0);
void addTicketMachine(MeshBuilder& mesh, float x, float z, float floorY);
// A box whose every face shows the whole region.
void addBoxMapped(MeshBuilder& mesh, const Box& box, PropRegion region);

} // namespace geometry
