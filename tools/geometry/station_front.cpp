#include "tools/geometry/station_front.h"

#include "tools/geometry/station_hall.h"

namespace geometry {

const std::vector<FrontFace>& frontFaces() {
    static const std::vector<FrontFace> faces = {
        {FrontFace::Pavilion, -10.5f, 10.5f, 0, kPedimentTop, {0, 0, 672, 832}, 1},
        {FrontFace::Wing, -26, -10.5f, 0, kWingTop, {672, 0, 1168, 544}, 2},
        {FrontFace::Wing, 10.5f, 26, 0, kWingTop, {1168, 0, 1664, 544}, 3},
        {FrontFace::Tower, -34, -26, 0, kTowerTop, {1664, 0, 1856, 720}, 4},
        {FrontFace::Tower, 26, 34, 0, kTowerTop, {1856, 0, 2048, 720}, 5},
    };
    return faces;
}

namespace {

// The texture coordinates of the world point (x, y) of a front face.
float frontU(const FrontFace& face, float x) {
    const PropRegion& r = face.region;
    return (r.x0 + 0.5f + (r.x1 - r.x0 - 1) * (x - face.x0) / (face.x1 - face.x0)) /
           kFrontPictureWidth;
}
float frontV(const FrontFace& face, float y) {
    const PropRegion& r = face.region;
    return (r.y0 + 0.5f + (r.y1 - r.y0 - 1) * (face.y1 - y) / (face.y1 - face.y0)) /
           kFrontPictureHeight;
}

struct FrontParts {
    MeshBuilder front, stone;
};

// Stone for the faces the picture does not cover: a plain strip of the hall's wall picture,
// stretched across the face and repeating up it.
void addStoneFace(MeshBuilder& stone, Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
    Vec3 n = normalize(cross(b - a, d - a));
    uint32_t k[4];
    const Vec3 corners[4] = {a, b, c, d};
    for (int i = 0; i < 4; i++)
        k[i] = stone.addVertex(corners[i], n, i == 0 || i == 3 ? 0.1f : 0.28f,
                               -corners[i].y / kHallWallHeight);
    stone.addTriangle(k[0], k[1], k[2]);
    stone.addTriangle(k[0], k[2], k[3]);
}

// A block of the front: its +z face shows the face's picture, the others stone.
void addBlock(FrontParts& parts, HallParts& hall, const Box& box, const FrontFace& face) {
    const Vec3 lo = box.min, hi = box.max;
    Vec3 a{lo.x, lo.y, hi.z}, b{hi.x, lo.y, hi.z}, c{hi.x, hi.y, hi.z}, d{lo.x, hi.y, hi.z};
    uint32_t k[4];
    const Vec3 corners[4] = {a, b, c, d};
    for (int i = 0; i < 4; i++)
        k[i] = parts.front.addVertex(corners[i], {0, 0, 1}, frontU(face, corners[i].x),
                                     frontV(face, corners[i].y));
    parts.front.addTriangle(k[0], k[1], k[2]);
    parts.front.addTriangle(k[0], k[2], k[3]);
    addStoneFace(parts.stone, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z},
                 {hi.x, hi.y, lo.z});
    addStoneFace(parts.stone, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                 {hi.x, hi.y, hi.z});
    addStoneFace(parts.stone, {lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z},
                 {lo.x, hi.y, lo.z});
    addStoneFace(parts.stone, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z},
                 {lo.x, hi.y, lo.z});
    addStoneFace(parts.stone, {lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z},
                 {lo.x, lo.y, hi.z});
    hall.obstacles.push_back(box);
}

// The pavilion's pediment: a triangular prism over its cornice, picture on the front.
void addPediment(FrontParts& parts, const FrontFace& face, float zBack, float zFront) {
    const float x = 10.5f, y0 = kPavilionTop, y1 = kPedimentTop;
    const Vec3 corners[3] = {{-x, y0, zFront}, {x, y0, zFront}, {0, y1, zFront}};
    uint32_t k[3];
    for (int i = 0; i < 3; i++)
        k[i] = parts.front.addVertex(corners[i], {0, 0, 1}, frontU(face, corners[i].x),
                                     frontV(face, corners[i].y));
    parts.front.addTriangle(k[0], k[1], k[2]);
    // The back triangle and the two slopes, in stone.
    Vec3 bl{-x, y0, zBack}, br{x, y0, zBack}, bt{0, y1, zBack};
    uint32_t b0 = parts.stone.addVertex(br, {0, 0, -1}, 0.1f, 0);
    uint32_t b1 = parts.stone.addVertex(bl, {0, 0, -1}, 0.28f, 0);
    uint32_t b2 = parts.stone.addVertex(bt, {0, 0, -1}, 0.19f, -0.5f);
    parts.stone.addTriangle(b0, b1, b2);
    addStoneFace(parts.stone, corners[1], br, bt, corners[2]);
    addStoneFace(parts.stone, bl, corners[0], corners[2], bt);
}

// A lamp post on the square: an iron post and a lantern whose glass glows.
void addLampPost(MeshBuilder& props, Vec3 at) {
    addBoxMapped(props, {{at.x - 0.12f, 0, at.z - 0.12f}, {at.x + 0.12f, 4.6f, at.z + 0.12f}},
                 props::kIron);
    addBoxMapped(props, {{at.x - 0.3f, 4.6f, at.z - 0.3f}, {at.x + 0.3f, 5.5f, at.z + 0.3f}},
                 props::kLamp);
    addBoxMapped(props, {{at.x - 0.38f, 5.5f, at.z - 0.38f}, {at.x + 0.38f, 5.65f, at.z + 0.38f}},
                 props::kIron);
}

} // namespace

StationModel buildIntoStationModel() {
    formats::ModelDesc model;
    addStationMaterials(model);
    HallParts hall;
    addHall(hall, {15, -1, -61, 10, 6, false, 29});
    FrontParts parts;
    const std::vector<FrontFace>& faces = frontFaces();
    const FrontFace& pavilion = faces[0];
    const float zp = 2.5f;
    // The pavilion: two piers and the lintel block round the doorway, the pediment above.
    addBlock(parts, hall, {{-10.5f, 0, -1}, {-kDoorHalfWidth, kPavilionTop, zp}}, pavilion);
    addBlock(parts, hall, {{kDoorHalfWidth, 0, -1}, {10.5f, kPavilionTop, zp}}, pavilion);
    addBlock(parts, hall, {{-kDoorHalfWidth, kDoorHeight, -1}, {kDoorHalfWidth, kPavilionTop, zp}},
             pavilion);
    addPediment(parts, pavilion, -1, zp);
    // The wings and the towers at the corners.
    for (int i = 1; i < 5; i++) {
        const FrontFace& face = faces[i];
        float z = face.kind == FrontFace::Tower ? 3.0f : 1.0f;
        addBlock(parts, hall, {{face.x0, 0, -z}, {face.x1, face.y1, z}}, face);
    }
    for (float x : {-30.0f, 30.0f}) {
        size_t first = hall.roof.vertexCount();
        hall.roof.addCone({0, 0, 0}, {0, 8, 0}, 5.6f, 4);
        hall.roof.transform(first,
                            [](Vec3 p) {
                                return Vec3{0.7071f * (p.x - p.z), p.y, 0.7071f * (p.x + p.z)};
                            },
                            {x, kTowerTop, 0});
    }
    // Steps up to the door, the square in front and lamp posts along it.
    for (int k = 0; k < 3; k++)
        hall.concrete.addBox({{-8.0f + k, 0, zp}, {8.0f - k, 0.2f * (3 - k), zp + 3.0f - k}},
                             1.0f / 4);
    hall.concrete.addBox({{-70, -0.5f, 1}, {70, 0, 130}}, 1.0f / 6);
    for (float z : {14.0f, 34.0f})
        for (float x : {-17.0f, 17.0f})
            addLampPost(hall.props, {x, 0, z});
    // The dark ground all round, out to the sky, and the sky: one picture far behind the set,
    // at the picture's own 2:1 shape so the moon stays round.
    MeshBuilder ground, sky;
    ground.addQuad({-400, -0.02f, 130}, {400, -0.02f, 130}, {400, -0.02f, -330},
                   {-400, -0.02f, -330}, 0, 0, 1, 1);
    sky.addQuad({-300, -20, -330}, {300, -20, -330}, {300, 280, -330}, {-300, 280, -330}, 0, 1, 1,
                0);
    StationModel station = finishStation(hall, model);
    station.model.meshes.push_back(parts.stone.toMesh("front stone", kWallMat));
    station.model.meshes.push_back(parts.front.toMesh("front", kFrontMat));
    station.model.meshes.push_back(ground.toMesh("ground", kGroundMat));
    station.model.meshes.push_back(sky.toMesh("sky", kSkyMat));
    return station;
}

} // namespace geometry
