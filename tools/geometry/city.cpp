#include "tools/geometry/city.h"

#include "tools/geometry/city_layout.h"
#include "tools/geometry/city_pictures.h"

#include <algorithm>
#include <cmath>

namespace geometry {

namespace citylayout {

Box boxAround(Vec3 centre, Vec3 half) {
    return {centre - half, centre + half};
}

// A lens on its own: a beacon or a lamp fixed to a wall or a crane, showing the given faces.
void addLens(CityLayout& city, Vec3 centre, Vec3 half, int lens, unsigned faces) {
    CityBlock block{boxAround(centre, half), kSignSurface};
    block.uOffset = static_cast<float>(lens);
    block.faces = faces;
    city.lenses.push_back(block);
}

// A lamp post at `base` whose head reaches `reach` towards `towards` (horizontal unit vector),
// with its lens under the head's end; the lamp's light is baked around the lens.
void addPostLamp(CityLayout& city, Vec3 base, Vec3 towards, float height, float reach, Vec3 colour,
                 int lens, float radius) {
    const float post = 0.14f;
    // The post stands in its own lamp's pool: its paint is dark so that it does not glare.
    CityBlock pole{boxAround(base + Vec3{0, height / 2, 0}, {post, height / 2, post}),
                   kSteelSurface,
                   {0.16f, 0.16f, 0.18f}};
    pole.faces = kSides;
    city.blocks.push_back(pole);
    Vec3 end = base + towards * reach + Vec3{0, height, 0};
    Vec3 mid = (base + Vec3{0, height, 0} + end) * 0.5f;
    Vec3 half{std::fabs(towards.x) * (reach / 2 + 0.2f) + 0.18f, 0.1f,
              std::fabs(towards.z) * (reach / 2 + 0.2f) + 0.18f};
    CityBlock head{boxAround(mid, half), kSteelSurface, {0.3f, 0.3f, 0.34f}};
    head.faces = kAllFaces;
    city.blocks.push_back(head);
    Vec3 lensAt = end - towards * 0.35f - Vec3{0, 0.11f, 0};
    addLens(city, lensAt,
            {std::fabs(towards.x) * 0.38f + 0.13f, 0.02f, std::fabs(towards.z) * 0.38f + 0.13f},
            lens, kFaceNegY);
    city.lights.push_back({lensAt - Vec3{0, 0.3f, 0}, colour, radius});
}

} // namespace citylayout

namespace {

using namespace citylayout;

constexpr uint32_t kTowerSeed = 0x5eed0c17;
constexpr uint32_t kMarketSeed = 0x3a7c11e5;
constexpr float kAvenuePlaza = 6.0f;

// ---------------------------------------------------------------------------------- towers

// One tower on a lot: glass or stone, with setback storeys, a lit crown on the tallest and an
// antenna with a red beacon on some.
void addTower(CityLayout& city, Random& random, float x0, float z0, float x1, float z1) {
    float cx = 0.5f * (x0 + x1), cz = 0.5f * (z0 + z1);
    float dx = cx + 90, dz = cz + 60;
    float centreBias = std::exp(-(dx * dx + dz * dz) / (95.0f * 95.0f));
    float height = random.uniform(22, 46) + 95 * centreBias * random.uniform(0.45f, 1.0f);
    bool glass = random.below(10) < 6;
    CitySurface walls = glass ? kGlassSurface : kOfficeSurface;
    Vec3 tint = glass ? Vec3{random.uniform(0.85f, 1.0f), random.uniform(0.9f, 1.0f), 1.0f}
                      : Vec3{1.0f, random.uniform(0.88f, 1.0f), random.uniform(0.8f, 0.95f)};
    float uOffset = std::floor(random.uniform(0, 8)) / 8;
    float vOffset = std::floor(random.uniform(0, 32)) / 32;
    city.blocks.push_back({{{x0, 0, z0}, {x1, height, z1}}, walls, tint, uOffset, vOffset});
    float top = height;
    float bx0 = x0, bz0 = z0, bx1 = x1, bz1 = z1;
    for (int tier = 0; tier < 2 && top > 45 && random.below(10) < 6; tier++) {
        float inset = random.uniform(1.8f, 3.5f);
        if (bx1 - bx0 < 2 * inset + 5 || bz1 - bz0 < 2 * inset + 5) break;
        bx0 += inset, bz0 += inset, bx1 -= inset, bz1 -= inset;
        float rise = random.uniform(9, 26);
        city.blocks.push_back(
            {{{bx0, top, bz0}, {bx1, top + rise, bz1}}, walls, tint, uOffset, vOffset});
        top += rise;
    }
    if (top > 70) {
        // A crown of light round the top storey.
        const float band = 0.6f;
        addLens(city, {0.5f * (bx0 + bx1), top - 1.6f, 0.5f * (bz0 + bz1)},
                {0.5f * (bx1 - bx0) + 0.12f, band / 2, 0.5f * (bz1 - bz0) + 0.12f},
                glass ? citysigns::kCyanLens : citysigns::kCoolLens, kSides);
    }
    if (random.below(3) == 0 || top > 110) {
        float ax = 0.5f * (bx0 + bx1), az = 0.5f * (bz0 + bz1);
        float mast = random.uniform(7, 16);
        city.blocks.push_back({boxAround({ax, top + mast / 2, az}, {0.3f, mast / 2, 0.3f}),
                               kSteelSurface,
                               {0.4f, 0.4f, 0.45f}});
        addLens(city, {ax, top + mast + 0.3f, az}, {0.35f, 0.35f, 0.35f}, citysigns::kRedBeacon,
                kSides | kFacePosY);
    }
}

// Lots of one block of towers: whole or halved along x or z, each tower standing back from
// the street behind a plaza.
void addTowerBlock(CityLayout& city, Random& random, float x0, float z0, float x1, float z1) {
    int pattern = random.below(3);
    int nx = pattern == 1 ? 2 : 1;
    int nz = pattern == 2 ? 2 : 1;
    const float gap = 1.5f;
    float w = (x1 - x0 - gap * (nx - 1)) / nx, d = (z1 - z0 - gap * (nz - 1)) / nz;
    for (int i = 0; i < nx; i++)
        for (int j = 0; j < nz; j++) {
            float lx = x0 + i * (w + gap), lz = z0 + j * (d + gap);
            float inset = random.uniform(nx * nz == 1 ? 2.5f : 1.0f, nx * nz == 1 ? 5.5f : 2.5f);
            addTower(city, random, lx + inset, lz + inset, lx + w - inset, lz + d - inset);
            // The lobby's light spills onto the pavement in front of each face.
            Vec3 centre{lx + w / 2, 2.5f, lz + d / 2};
            city.lights.push_back({centre + Vec3{w / 2 + 1.2f, 0, 0}, {0.9f, 0.8f, 0.65f}, 7});
            city.lights.push_back({centre - Vec3{w / 2 + 1.2f, 0, 0}, {0.9f, 0.8f, 0.65f}, 7});
            city.lights.push_back({centre + Vec3{0, 0, d / 2 + 1.2f}, {0.9f, 0.8f, 0.65f}, 7});
            city.lights.push_back({centre - Vec3{0, 0, d / 2 + 1.2f}, {0.9f, 0.8f, 0.65f}, 7});
        }
}

// ---------------------------------------------------------------------------------- market

// A sign, a light and an awning for one shop front: the wall runs from `left` to `right` at
// ground level (seen from the street), `out` points to the street.
void addShopFront(CityLayout& city, Random& random, Vec3 left, Vec3 right, Vec3 out, float height) {
    Vec3 along = normalize(right - left);
    float width = length(right - left);
    Vec3 middle = (left + right) * 0.5f;
    city.lights.push_back({middle + out * 1.4f + Vec3{0, 2.2f, 0}, {1.0f, 0.78f, 0.5f}, 6.5f});
    if (random.below(10) < 6 && width > 3.5f) {
        Vec3 colour = random.below(3) == 0
                          ? Vec3{0.85f, 0.2f, 0.3f}
                          : (random.below(2) ? Vec3{0.2f, 0.55f, 0.5f} : Vec3{0.85f, 0.6f, 0.2f});
        city.awnings.push_back({left + along * 0.3f + Vec3{0, 3.9f, 0},
                                right - along * 0.3f + Vec3{0, 3.9f, 0}, out,
                                random.uniform(1.4f, 1.9f), 0.7f, colour});
    }
    auto pickSign = [&](int first, int count) {
        return &citysigns::kSigns[first + random.below(count)];
    };
    if (random.below(10) < 7 && width > 4.5f) {
        // A wall sign above the shop, three cells wide.
        const citysigns::Sign* sign =
            pickSign(citysigns::kFirstWallSign, citysigns::kWallSignCount);
        float w = std::min(width - 0.8f, 5.4f);
        city.signs.push_back({middle + out * 0.12f + Vec3{0, 4.8f, 0}, out, w, w / 3,
                              sign->column + citysigns::kCells * sign->row, 3, 1, false});
        city.lights.push_back(
            {middle + out * 1.2f + Vec3{0, 4.8f, 0}, {sign->red, sign->green, sign->blue}, 7});
    } else if (width > 1.5f) {
        const citysigns::Sign* sign =
            pickSign(citysigns::kFirstSquareSign, citysigns::kSquareSignCount);
        city.signs.push_back({middle + out * 0.12f + Vec3{0, 5.0f, 0}, out, 1.4f, 1.4f,
                              sign->column + citysigns::kCells * sign->row, 1, 1, false});
        city.lights.push_back(
            {middle + out * 1.0f + Vec3{0, 5.0f, 0}, {sign->red, sign->green, sign->blue}, 5});
    }
    if (height > 9 && random.below(10) < 5) {
        // A blade sign at one end of the front, standing out over the pavement.
        const citysigns::Sign* sign =
            pickSign(citysigns::kFirstBladeSign, citysigns::kBladeSignCount);
        float h = std::min(height - 6.5f, random.uniform(3.6f, 5.4f));
        Vec3 at = (random.below(2) ? left + along * 0.6f : right - along * 0.6f) + out * 1.0f +
                  Vec3{0, 6.2f + h / 2, 0};
        city.signs.push_back(
            {at, along, h / 3, h, sign->column + citysigns::kCells * sign->row, 1, 3, true});
        city.lights.push_back({at + out * 0.8f, {sign->red, sign->green, sign->blue}, 8});
    }
}

// The shop houses along one side of a market block: fronts from `from` to `to` on the street
// line, `out` towards the street, each house `depth` deep into the block.
void addMarketRow(CityLayout& city, Random& random, Vec3 from, Vec3 to, Vec3 out, float depth) {
    Vec3 along = normalize(to - from);
    float length = geometry::length(to - from);
    float s = 0;
    while (s < length - 0.5f) {
        float width = std::min(random.uniform(4.5f, 8.5f), length - s);
        if (length - s - width < 3.5f) width = length - s;
        float floors = static_cast<float>(1 + random.below(5));
        float height = 4.2f + 3.1f * floors + random.uniform(0, 0.6f);
        Vec3 a = from + along * s, b = from + along * (s + width);
        Vec3 back = -out * depth;
        Vec3 lo{std::min({a.x, b.x, a.x + back.x}), 0, std::min({a.z, b.z, a.z + back.z})};
        Vec3 hi{std::max({a.x, b.x, a.x + back.x}), height, std::max({a.z, b.z, a.z + back.z})};
        float warmth = random.uniform(0, 1);
        Vec3 tint{1.0f, 0.86f + 0.14f * warmth, 0.78f + 0.2f * warmth};
        CityBlock house{{lo, hi},
                        kMarketSurface,
                        tint,
                        std::floor(random.uniform(0, 8)) / 8,
                        std::floor(random.uniform(0, 8)) / 8};
        house.front = out;
        city.blocks.push_back(house);
        addShopFront(city, random, a, b, out, height);
        s += width;
    }
}

// A market block: shop houses all round its edge, the corners taken by the rows along x.
void addMarketBlock(CityLayout& city, Random& random, float x0, float z0, float x1, float z1) {
    const float depth = 8.5f;
    addMarketRow(city, random, {x1, 0, z0}, {x0, 0, z0}, {0, 0, -1}, depth);
    addMarketRow(city, random, {x0, 0, z1}, {x1, 0, z1}, {0, 0, 1}, depth);
    addMarketRow(city, random, {x0, 0, z0 + depth}, {x0, 0, z1 - depth}, {-1, 0, 0}, depth);
    addMarketRow(city, random, {x1, 0, z1 - depth}, {x1, 0, z0 + depth}, {1, 0, 0}, depth);
    // The yard inside is filled by low back buildings, seen only from above.
    city.blocks.push_back({{{x0 + depth, 0, z0 + depth}, {x1 - depth, 5, z1 - depth}},
                           kMarketSurface,
                           {0.6f, 0.55f, 0.6f}});
}

// A string of bulbs across a market street at `s` along the line: from wall to wall, sagging.
void addBulbString(CityLayout& city, Vec3 wallA, Vec3 wallB) {
    const int bulbs = 8;
    for (int k = 1; k < bulbs; k++) {
        float f = float(k) / bulbs;
        Vec3 p = wallA + (wallB - wallA) * f - Vec3{0, 1.2f * 4 * f * (1 - f), 0};
        addLens(city, p, {0.13f, 0.11f, 0.13f}, citysigns::kWarmLens, kFaceNegY);
    }
    for (float f : {0.25f, 0.75f})
        city.lights.push_back({wallA + (wallB - wallA) * f - Vec3{0, 1.0f, 0}, kWarmLight, 7});
}

// ---------------------------------------------------------------------------------- streets

// A street between two crossings: from `a` to `b` on its centre line.
struct Segment {
    Vec3 a, b;
};

// Lamps of one street segment, by district: tall cool poles between the towers, lamps on the
// walls and strings of bulbs in the market.
void addStreetLamps(CityLayout& city, Segment segment, bool market, int index) {
    Vec3 along = normalize(segment.b - segment.a);
    Vec3 left{along.z, 0, -along.x};
    float length = geometry::length(segment.b - segment.a);
    for (float s = 12; s < length; s += 24) {
        bool side = index % 2 == 0;
        Vec3 across = side ? left : -left;
        Vec3 at = segment.a + along * s;
        if (market) {
            Vec3 wall = at + across * (kHalfStreet - 0.25f) + Vec3{0, 5.6f, 0};
            addLens(city, wall, {0.3f, 0.2f, 0.3f}, citysigns::kWarmLens, kSides | kFaceNegY);
            city.lights.push_back({wall - across * 0.9f, kWarmLight, 9});
        } else {
            addPostLamp(city, at + across * 4.4f, -across, 9.5f, 1.4f, kCoolLight,
                        citysigns::kCoolLens, 11);
        }
    }
    if (market && index % 4 == 0)
        addBulbString(city,
                      segment.a + along * (length / 2) + left * kHalfStreet + Vec3{0, 9.4f, 0},
                      segment.a + along * (length / 2) - left * kHalfStreet + Vec3{0, 9.4f, 0});
}

void addStreetLights(CityLayout& city) {
    int index = 0;
    // Streets along z, between the land's crossings.
    for (int i = 0; i < kCityLinesX; i++)
        for (int j = 0; j + 1 < kCityLinesZ; j++) {
            float x = cityLineX(i);
            Segment segment{{x, 0, cityLineZ(j) + kHalfStreet},
                            {x, 0, cityLineZ(j + 1) - kHalfStreet}};
            addStreetLamps(city, segment, x > kMarketFromX, index++);
        }
    // Streets along x; the quay road (the last line) has lamps of its own.
    for (int j = 0; j + 1 < kCityLinesZ; j++)
        for (int i = 0; i + 1 < kCityLinesX; i++) {
            float z = cityLineZ(j);
            Segment segment{{cityLineX(i) + kHalfStreet, 0, z},
                            {cityLineX(i + 1) - kHalfStreet, 0, z}};
            addStreetLamps(city, segment, cityLineX(i) >= kMarketFromX, index++);
        }
}

} // namespace

CityLayout makeCityLayout() {
    CityLayout city;
    Random towers(kTowerSeed), market(kMarketSeed);
    for (int i = 0; i + 1 < kCityLinesX; i++)
        for (int j = 0; j + 1 < kCityLinesZ; j++) {
            float x0 = cityLineX(i) + kHalfStreet, x1 = cityLineX(i + 1) - kHalfStreet;
            float z0 = cityLineZ(j) + kHalfStreet, z1 = cityLineZ(j + 1) - kHalfStreet;
            if (x0 > kMarketFromX) {
                addMarketBlock(city, market, x0, z0, x1, z1);
                continue;
            }
            // The towers stand back from their avenue behind wide plazas.
            if (std::fabs(x1 + kHalfStreet - kTowerAvenueX) < 1) x1 -= kAvenuePlaza;
            if (std::fabs(x0 - kHalfStreet - kTowerAvenueX) < 1) x0 += kAvenuePlaza;
            addTowerBlock(city, towers, x0, z0, x1, z1);
        }
    addStreetLights(city);
    addHarbour(city);
    addOuterBlocks(city);
    return city;
}

std::vector<Box> CityLayout::obstacles() const {
    std::vector<Box> all;
    for (const CityBlock& block : blocks)
        all.push_back(block.box);
    for (const CityBlock& lens : lenses)
        all.push_back(lens.box);
    for (const CitySign& sign : signs) {
        Vec3 right{sign.facing.z, 0, -sign.facing.x};
        Vec3 half{std::fabs(right.x) * sign.width / 2 + std::fabs(sign.facing.x) * 0.1f,
                  sign.height / 2,
                  std::fabs(right.z) * sign.width / 2 + std::fabs(sign.facing.z) * 0.1f};
        all.push_back(boxAround(sign.centre, half));
    }
    for (const CityBeam& beam : beams) {
        Vec3 half{beam.half, beam.half, beam.half};
        Vec3 lo{std::min(beam.a.x, beam.b.x), std::min(beam.a.y, beam.b.y),
                std::min(beam.a.z, beam.b.z)};
        Vec3 hi{std::max(beam.a.x, beam.b.x), std::max(beam.a.y, beam.b.y),
                std::max(beam.a.z, beam.b.z)};
        all.push_back({lo - half, hi + half});
    }
    for (const CityAwning& awning : awnings) {
        Vec3 outer = awning.outward * awning.depth - Vec3{0, awning.drop, 0};
        Vec3 corners[4] = {awning.wallLeft, awning.wallRight, awning.wallLeft + outer,
                           awning.wallRight + outer};
        Box box{corners[0], corners[0]};
        for (Vec3 c : corners) {
            box.min = {std::min(box.min.x, c.x), std::min(box.min.y, c.y),
                       std::min(box.min.z, c.z)};
            box.max = {std::max(box.max.x, c.x), std::max(box.max.y, c.y),
                       std::max(box.max.z, c.z)};
        }
        all.push_back(box);
    }
    all.insert(all.end(), decks.begin(), decks.end());
    return all;
}

} // namespace geometry
