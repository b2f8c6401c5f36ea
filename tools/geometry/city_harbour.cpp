// The city's harbour and its edges: the quay road's lamps, the two arch bridges over the basin,
// the cranes and the container yard on the pier, and plain blocks beyond the grid.
#include "tools/geometry/city_layout.h"

#include "tools/geometry/city_pictures.h"

#include <algorithm>
#include <cmath>

namespace geometry::citylayout {

namespace {

constexpr uint32_t kHarbourSeed = 0x0cea4b0a;
constexpr uint32_t kOuterSeed = 0x00d15ea5;

// A strut of square section from a to b, as a box around it when it runs along an axis.
void addBeam(CityLayout& city, Vec3 a, Vec3 b, float half, Vec3 tint) {
    Vec3 lo{std::min(a.x, b.x) - half, std::min(a.y, b.y) - half, std::min(a.z, b.z) - half};
    Vec3 hi{std::max(a.x, b.x) + half, std::max(a.y, b.y) + half, std::max(a.z, b.z) + half};
    city.blocks.push_back({{lo, hi}, kSteelSurface, tint});
}

// A ship-to-shore crane on the pier's edge at x = cx: a portal over the quay rail, a boom
// reaching out over the basin towards the city, an A-frame, floodlights and beacons.
void addCrane(CityLayout& city, float cx, Vec3 paint) {
    const float legZ[2] = {kPierEdgeZ + 0.8f, kPierEdgeZ + 5.2f};
    const float portal = 26, boomY = 29, apex = 43;
    for (float side : {-5.5f, 5.5f}) {
        for (float z : legZ)
            addBeam(city, {cx + side, 0, z}, {cx + side, portal, z}, 0.45f, paint);
        addBeam(city, {cx + side, portal, legZ[0]}, {cx + side, portal, legZ[1]}, 0.5f, paint);
        addBeam(city, {cx + side, 1.2f, legZ[0]}, {cx + side, 1.2f, legZ[1]}, 0.35f, paint);
    }
    for (float z : legZ)
        addBeam(city, {cx - 5.5f, portal, z}, {cx + 5.5f, portal, z}, 0.5f, paint);
    // The boom: two girders from over the water back across the pier road.
    for (float side : {-1.6f, 1.6f})
        addBeam(city, {cx + side, boomY, 104}, {cx + side, boomY, 178}, 0.55f, paint);
    for (float z = 108; z < 178; z += 10)
        addBeam(city, {cx - 1.6f, boomY + 0.4f, z}, {cx + 1.6f, boomY + 0.4f, z}, 0.2f, paint);
    // The machinery house on the portal and the A-frame's posts above it.
    city.blocks.push_back(
        {{{cx - 3.2f, portal + 0.5f, legZ[0] - 1}, {cx + 3.2f, boomY - 0.6f, legZ[1] + 2}},
         kContainerSurface,
         {0.55f, 0.56f, 0.6f}});
    for (float side : {-1.6f, 1.6f})
        addBeam(city, {cx + side, boomY, 151}, {cx + side, apex, 151}, 0.4f, paint);
    addBeam(city, {cx - 1.6f, apex, 151}, {cx + 1.6f, apex, 151}, 0.4f, paint);
    for (float side : {-1.6f, 1.6f})
        for (float z : {110.0f, 132.0f, 176.0f})
            city.beams.push_back(
                {{cx + side, apex - 0.3f, 151}, {cx + side, boomY + 0.5f, z}, 0.16f, paint});
    addLens(city, {cx, apex + 0.6f, 151}, {0.4f, 0.4f, 0.4f}, citysigns::kRedBeacon,
            kSides | kFacePosY);
    addLens(city, {cx, boomY + 0.3f, 104.6f}, {0.35f, 0.35f, 0.35f}, citysigns::kRedBeacon,
            kSides | kFacePosY);
    // Floodlights under the boom light the water and the pier.
    for (float z : {116.0f, 140.0f, 166.0f}) {
        addLens(city, {cx, boomY - 0.9f, z}, {1.0f, 0.12f, 0.5f}, citysigns::kSodiumLens,
                kFaceNegY);
        city.lights.push_back({{cx, boomY - 3, z}, kSodiumLight * 1.1f, 30});
    }
}

// Containers in rows on the pier behind the road, stacked one to four high.
void addContainerYard(CityLayout& city, Random& random) {
    const Vec3 paints[] = {{0.36f, 0.11f, 0.08f}, {0.08f, 0.16f, 0.3f},  {0.07f, 0.24f, 0.25f},
                           {0.45f, 0.22f, 0.06f}, {0.28f, 0.29f, 0.31f}, {0.4f, 0.34f, 0.09f},
                           {0.12f, 0.22f, 0.13f}, {0.3f, 0.09f, 0.18f}};
    for (float z0 = 172; z0 < 190; z0 += 11) {
        for (float x0 = -196; x0 < 190;) {
            float length = random.below(3) == 0 ? 6.1f : 12.2f;
            if (std::fabs(x0 + length / 2) < 8 || random.below(12) == 0) {
                x0 += length + 1.5f; // a lane across the rows
                continue;
            }
            for (int row = 0; row < 3; row++) {
                // A stack is one box; its picture repeats container by container up it.
                int stack = 1 + random.below(4);
                Vec3 lo{x0, 0, z0 + 2.55f * row};
                Vec3 paint = paints[random.below(8)] * random.uniform(0.8f, 1.1f);
                city.blocks.push_back({{lo, lo + Vec3{length, 2.55f * stack, 2.4f}},
                                       kContainerSurface,
                                       paint,
                                       std::floor(random.uniform(0, 4)) / 4});
            }

            x0 += length + 0.4f;
        }
    }
}

// A steel arch bridge along x = cx from the quay to the pier: deck, piers in the water, two
// arches with hangers and a brace, lights along the arches and lamps along the deck.
void addBridge(CityLayout& city, float cx) {
    const float z0 = kQuayEdgeZ, z1 = kPierEdgeZ;
    const float rise = 19.0f, halfSpan = 0.5f * (z1 - z0), mid = 0.5f * (z0 + z1);
    city.decks.push_back({{cx - 6.6f, -0.9f, z0}, {cx + 6.6f, 0, z1}});
    for (float z : {mid - 20, mid, mid + 20})
        city.blocks.push_back({{{cx - 5, kWaterLevel - 0.5f, z - 1.6f}, {cx + 5, -0.9f, z + 1.6f}},
                               kQuayWallSurface,
                               {0.5f, 0.5f, 0.55f}});
    const Vec3 paint{0.55f, 0.62f, 0.72f};
    auto archY = [&](float z) {
        float u = (z - mid) / halfSpan;
        return rise * (1 - u * u);
    };
    const int pieces = 16;
    for (float side : {-6.9f, 6.9f}) {
        for (int k = 0; k < pieces; k++) {
            float za = z0 + 2 * halfSpan * k / pieces, zb = z0 + 2 * halfSpan * (k + 1) / pieces;
            city.beams.push_back(
                {{cx + side, archY(za), za}, {cx + side, archY(zb), zb}, 0.42f, paint});
            if (k > 0 && k % 2 == 0) {
                city.beams.push_back(
                    {{cx + side, 0, za}, {cx + side, archY(za) - 0.3f, za}, 0.1f, paint});
                addLens(city, {cx + side, archY(za) + 0.55f, za}, {0.22f, 0.18f, 0.22f},
                        citysigns::kCyanLens, kSides | kFacePosY);
                city.lights.push_back(
                    {{cx + side * 0.8f, archY(za) - 1, za}, kBridgeLight * 0.8f, 12});
            }
        }
    }
    // A brace across the top of the arches, high over the deck.
    for (float z : {mid - 9, mid + 9})
        addBeam(city, {cx - 6.9f, archY(z) - 0.3f, z}, {cx + 6.9f, archY(z) - 0.3f, z}, 0.3f,
                paint);
    for (float z = z0 + 6; z < z1 - 2; z += 12)
        for (float side : {-1.0f, 1.0f})
            addPostLamp(city, {cx + side * 6.1f, 0, z}, {-side, 0, 0}, 4.6f, 0.6f, kBridgeLight,
                        citysigns::kCyanLens, 9);
}

} // namespace

void addHarbour(CityLayout& city) {
    Random random(kHarbourSeed);
    // Sodium lamps along the quay, on the water's side of the road.
    for (float x = -214; x < 216; x += 16) {
        if (std::fabs(x - kBridgeX[0]) < 8 || std::fabs(x - kBridgeX[1]) < 8) continue;
        addPostLamp(city, {x, 0, cityLineZ(kCityLinesZ - 1) + 5.2f}, {0, 0, -1}, 10.5f, 1.2f,
                    kSodiumLight, citysigns::kSodiumLens, 14);
        float bollard = x + 8;
        if (std::fabs(bollard - kBridgeX[0]) > 10 && std::fabs(bollard - kBridgeX[1]) > 10)
            city.blocks.push_back(
                {boxAround({bollard, 0.4f, kQuayEdgeZ - 0.6f}, {0.3f, 0.4f, 0.3f}),
                 kSteelSurface,
                 {0.4f, 0.4f, 0.4f}});
    }
    for (float x : kBridgeX)
        addBridge(city, x);
    const float cranes[] = {-160, -118, -30, 14, 118, 160};
    const Vec3 paints[] = {{0.75f, 0.22f, 0.16f}, {0.85f, 0.85f, 0.8f}, {0.78f, 0.5f, 0.12f},
                           {0.75f, 0.22f, 0.16f}, {0.85f, 0.85f, 0.8f}, {0.25f, 0.45f, 0.7f}};
    for (int k = 0; k < 6; k++)
        addCrane(city, cranes[k], paints[k]);
    // High masts on the yard's side of the pier road.
    for (float x = -180; x <= 180; x += 45) {
        Vec3 base{x + 10, 0, kPierRoadZ + 8.5f};
        city.blocks.push_back({boxAround(base + Vec3{0, 11, 0}, {0.35f, 11, 0.35f}),
                               kSteelSurface,
                               {0.45f, 0.45f, 0.45f}});
        addLens(city, base + Vec3{0, 22.4f, 0}, {1.2f, 0.3f, 1.2f}, citysigns::kSodiumLens,
                kSides | kFaceNegY);
        city.lights.push_back({base + Vec3{0, 21, 0}, kSodiumLight * 1.3f, 34});
    }
    addContainerYard(city, random);
}

void addOuterBlocks(CityLayout& city) {
    Random random(kOuterSeed);
    auto outer = [&](float x0, float z0, float x1, float z1, float tall) {
        bool glass = random.below(3) == 0;
        city.blocks.push_back({{{x0, 0, z0}, {x1, random.uniform(0.35f, 1.0f) * tall, z1}},
                               glass ? kGlassSurface : kOfficeSurface,
                               Vec3{0.8f, 0.8f, 0.85f},
                               std::floor(random.uniform(0, 8)) / 8,
                               std::floor(random.uniform(0, 32)) / 32});
    };
    for (int ring = 0; ring < 2; ring++) {
        float tall = ring == 0 ? 75.0f : 55.0f;
        for (int i = -2; i <= kCityLinesX; i++)
            outer(cityLineX(i) + kHalfStreet, cityLineZ(-1 - ring) + kHalfStreet,
                  cityLineX(i + 1) - kHalfStreet, cityLineZ(-ring) - kHalfStreet, tall);
        for (int j = 0; j + 1 < kCityLinesZ; j++) {
            float z0 = cityLineZ(j) + kHalfStreet, z1 = cityLineZ(j + 1) - kHalfStreet;
            outer(cityLineX(-1 - ring) + kHalfStreet, z0, cityLineX(-ring) - kHalfStreet, z1, tall);
            outer(cityLineX(kCityLinesX - 1 + ring) + kHalfStreet, z0,
                  cityLineX(kCityLinesX + ring) - kHalfStreet, z1, tall);
        }
    }
}

} // namespace geometry::citylayout
