// The studio's models and paths: sound shapes, paths that keep out of walls and keep their
// subjects in view, and pictures of each model seen the way its scene sees it.
//
// Set LIRV_GEOMETRY_VIEWS to a folder to keep the rendered views there as PNG files.
#include "curves/camera_curve.h"
#include "engine/camera.h"
#include "engine/model.h"
#include "engine/model_format.h"
#include "runtime/data_files.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/formats/curve_writer.h"
#include "tools/geometry/city.h"
#include "tools/geometry/geometry.h"
#include "tools/geometry/objects.h"
#include "tools/geometry/station.h"
#include "tools/pictures/picture_io.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <unistd.h>

using geometry::Box;
using geometry::Vec3;

namespace {

// A mesh of a model description, read back from its streams.
struct MeshData {
    std::vector<Vec3> positions, normals;
    std::vector<uint32_t> indices;
};

std::vector<float> floatsOf(const formats::ModelStreamDesc& stream) {
    std::vector<float> values(stream.words.size());
    memcpy(values.data(), stream.words.data(), values.size() * 4);
    return values;
}

MeshData meshData(const formats::ModelMeshDesc& mesh) {
    MeshData data;
    for (const formats::ModelStreamDesc& stream : mesh.streams) {
        if (stream.type == QOR::kStreamIndices) data.indices = stream.words;
        if (stream.type != QOR::kStreamPositions && stream.type != QOR::kStreamNormals) continue;
        std::vector<float> v = floatsOf(stream);
        auto& out = stream.type == QOR::kStreamPositions ? data.positions : data.normals;
        for (size_t k = 0; k + 2 < v.size(); k += 3)
            out.push_back({v[k], v[k + 1], v[k + 2]});
    }
    return data;
}

struct NamedModel {
    const char* name;
    formats::ModelDesc model;
};

std::vector<NamedModel> allModels() {
    return {{"city", geometry::buildCityModel(geometry::makeCityLayout())},
            {"spikeball", geometry::buildSpikeBallModel()},
            {"soundball", geometry::buildSoundBallModel()},
            {"tunnel", geometry::buildTunnelModel()},
            {"probe", geometry::buildProbeModel()},
            {"backdrop", geometry::buildBackdropModel()},
            {"idea", geometry::buildIdeaModel()},
            {"station", geometry::buildStationModel().model},
            {"intoStation", geometry::buildIntoStationModel().model}};
}

// Every edge of a closed surface is shared by exactly two triangles that run along it in
// opposite directions. Vertices are welded by position (seams repeat positions); triangles
// that collapse to a line or a point are left out.
int openEdgeCount(const MeshData& mesh) {
    std::map<std::tuple<long, long, long>, int> weld;
    auto id = [&](uint32_t k) {
        Vec3 p = mesh.positions[k];
        auto key =
            std::make_tuple(std::lround(p.x * 1e4), std::lround(p.y * 1e4), std::lround(p.z * 1e4));
        return weld.emplace(key, static_cast<int>(weld.size())).first->second;
    };
    std::map<std::pair<int, int>, int> directed;
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        int v[3] = {id(mesh.indices[t]), id(mesh.indices[t + 1]), id(mesh.indices[t + 2])};
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) continue;
        for (int e = 0; e < 3; e++)
            directed[{v[e], v[(e + 1) % 3]}]++;
    }
    int open = 0;
    for (const auto& [edge, count] : directed) {
        auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1) open++;
    }
    return open;
}

MeshData mergedMeshes(const formats::ModelDesc& model, std::vector<int> which) {
    MeshData all;
    for (int m : which) {
        MeshData part = meshData(model.meshes[m]);
        uint32_t base = static_cast<uint32_t>(all.positions.size());
        all.positions.insert(all.positions.end(), part.positions.begin(), part.positions.end());
        all.normals.insert(all.normals.end(), part.normals.begin(), part.normals.end());
        for (uint32_t i : part.indices)
            all.indices.push_back(base + i);
    }
    return all;
}

std::unique_ptr<CameraCurve> loadCurve(const std::vector<CurveRecord>& records) {
    ScratchDir dir;
    std::string path = dir.path() + "/path.curve";
    std::string error;
    EXPECT_TRUE(formats::writeCurveFile(path, records, &error)) << error;
    auto curve = std::make_unique<CameraCurve>();
    curve->load(path.c_str());
    return curve;
}

// The time at which a curve wraps: its second-to-last key's.
uint32_t wrapTime(const std::vector<CurveRecord>& records) {
    return records[records.size() - 2].time;
}

Vec3 vec(const float v[3]) {
    return {v[0], v[1], v[2]};
}

// Where p lies in a camera's view: x and y in [-1, 1] when inside a view of that vertical
// field of view (degrees) at aspect 4:3; depth is the distance in front of the eye.
struct ViewPoint {
    float x, y, depth;
};
ViewPoint project(Vec3 eye, Vec3 target, Vec3 p, float fov) {
    Vec3 forward = geometry::normalize(target - eye);
    Vec3 side = geometry::normalize(geometry::cross(forward, {0, 1, 0}));
    Vec3 up = geometry::cross(side, forward);
    Vec3 d = p - eye;
    float depth = geometry::dot(d, forward);
    float half = std::tan(fov * geometry::kPi / 360);
    return {geometry::dot(d, side) / (depth * half * 4 / 3), geometry::dot(d, up) / (depth * half),
            depth};
}

} // namespace

TEST(ModelShape, TrianglesFaceTheWayTheirNormalsPoint) {
    for (const NamedModel& named : allModels())
        for (const formats::ModelMeshDesc& mesh : named.model.meshes) {
            MeshData data = meshData(mesh);
            ASSERT_EQ(data.positions.size(), mesh.vertexCount) << named.name;
            ASSERT_EQ(data.indices.size(), 3u * mesh.faceCount) << named.name;
            // The city leaves normals out where its baked light replaces lighting.
            if (data.normals.empty()) continue;
            int against = 0;
            for (size_t t = 0; t < data.indices.size(); t += 3) {
                uint32_t a = data.indices[t], b = data.indices[t + 1], c = data.indices[t + 2];
                ASSERT_LT(std::max({a, b, c}), mesh.vertexCount) << named.name << " " << mesh.name;
                Vec3 face = geometry::cross(data.positions[b] - data.positions[a],
                                            data.positions[c] - data.positions[a]);
                if (geometry::length(face) < 1e-7f) continue;
                Vec3 normals = data.normals[a] + data.normals[b] + data.normals[c];
                if (geometry::dot(face, normals) <= 0) against++;
            }
            EXPECT_EQ(against, 0) << named.name << " mesh " << mesh.name;
            for (Vec3 n : data.normals)
                ASSERT_NEAR(geometry::length(n), 1.0f, 1e-3f) << named.name << " " << mesh.name;
        }
}

TEST(ModelShape, SolidsAreClosed) {
    formats::ModelDesc spikeball = geometry::buildSpikeBallModel();
    EXPECT_EQ(openEdgeCount(mergedMeshes(spikeball, {0, 1})), 0) << "the spike ball";
    formats::ModelDesc soundball = geometry::buildSoundBallModel();
    EXPECT_EQ(openEdgeCount(meshData(soundball.meshes[1])), 0) << "the sound ball's shell";
    formats::ModelDesc probe = geometry::buildProbeModel();
    EXPECT_EQ(openEdgeCount(mergedMeshes(probe, {0, 1, 2})), 0) << "the probe";
}

TEST(ModelShape, BoxPicturesStandUprightAndUnmirrored) {
    // Seen from outside, each wall's picture reads left to right with its top row (t = 0)
    // towards the sky: s grows to the viewer's right and t shrinks upwards.
    geometry::MeshBuilder box;
    box.addBox({{-2, 0, -3}, {4, 10, 5}}, 0.1f, 0,
               geometry::kFaceNegX | geometry::kFacePosX | geometry::kFaceNegZ |
                   geometry::kFacePosZ);
    ASSERT_EQ(box.vertexCount(), 16u);
    for (size_t face = 0; face < 4; face++) {
        size_t a = 4 * face;
        Vec3 n{box.normals[3 * a], box.normals[3 * a + 1], box.normals[3 * a + 2]};
        Vec3 right = geometry::cross(-n, {0, 1, 0});
        for (size_t b = a + 1; b < a + 4; b++) {
            Vec3 d{box.positions[3 * b] - box.positions[3 * a],
                   box.positions[3 * b + 1] - box.positions[3 * a + 1],
                   box.positions[3 * b + 2] - box.positions[3 * a + 2]};
            float ds = box.texCoords[2 * b] - box.texCoords[2 * a];
            float dt = box.texCoords[2 * b + 1] - box.texCoords[2 * a + 1];
            EXPECT_NEAR(ds, 0.1f * geometry::dot(d, right), 1e-5f) << "face " << face;
            EXPECT_NEAR(dt, -0.1f * d.y, 1e-5f) << "face " << face;
        }
    }
}

TEST(ModelShape, EveryModelLoadsWithinTheSizeLimit) {
    for (const geometry::GeneratedFile& file : geometry::generateGeometryFiles()) {
        if (file.dataPath.find(".model") == std::string::npos) continue;
        EXPECT_LT(file.bytes.size(), size_t(QOR::kMaxCompressedModelBytes)) << file.dataPath;
        QOR::Model model(reinterpret_cast<const uint8_t*>(file.bytes.data()),
                         static_cast<int32_t>(file.bytes.size()), GL_STATIC_DRAW, false);
        EXPECT_GE(model.meshes.size(), 1u) << file.dataPath;
    }
}

TEST(SoundBall, EveryBandIsAGoreThatMovesWholeBehindTheShellInBothLooks) {
    formats::ModelDesc ball = geometry::buildSoundBallModel();
    MeshData gores = meshData(ball.meshes[0]);
    // The scene's choice of band: 30 bands per radian of |atan(y / x)|.
    auto bandOf = [](Vec3 p) {
        float a = p.x == 0 ? (p.y == 0 ? 0 : 47.12f) : std::fabs(30 * std::atan(p.y / p.x));
        return static_cast<int>(a);
    };
    std::vector<int> perBand(48, 0);
    for (Vec3 p : gores.positions) {
        // The outer look, or the inner one, within the near plane (0.1) at a zoom of 1.
        float radius = geometry::length(p) < 0.1f ? geometry::kSoundBallInnerRadius
                                                  : geometry::kSoundBallRadius;
        EXPECT_NEAR(geometry::length(p), radius, 1e-3f);
        perBand[std::min(bandOf(p), 47)]++;
    }
    for (int band = 0; band < 47; band++)
        EXPECT_GE(perBand[band], 100) << "band " << band;
    // A triangle whose corners follow different bands is torn through the centre, next to
    // the camera, whenever one band is loud and its neighbour is not.
    int torn = 0;
    for (size_t i = 0; i + 2 < gores.indices.size(); i += 3) {
        int band = bandOf(gores.positions[gores.indices[i]]);
        if (bandOf(gores.positions[gores.indices[i + 1]]) != band ||
            bandOf(gores.positions[gores.indices[i + 2]]) != band)
            torn++;
    }
    EXPECT_EQ(torn, 0);
    // At rest each shell lies in front of its gores, so a silent band shows nothing; each stays
    // beyond the near plane in the lens's corners (84 degrees off its axis) at its own zoom,
    // 1 for the outer look and 20 for the inner one, and the inner look lies wholly within the
    // near plane up to a zoom of 1.6.
    const float cornerNear = 0.1f / std::cos(84 * geometry::kPi / 180);
    for (Vec3 p : meshData(ball.meshes[1]).positions) {
        bool inner = geometry::length(p) < 0.1f;
        float radius = inner ? geometry::kSoundBallInnerRadius : geometry::kSoundBallRadius;
        ASSERT_LT(geometry::length(p), 0.99f * radius);
        ASSERT_GT(geometry::length(p) * (inner ? 20 : 1), cornerNear);
    }
    for (Vec3 p : gores.positions) {
        if (geometry::length(p) < 0.1f) {
            ASSERT_LT(geometry::length(p) * 1.6f, 0.1f);
        }
    }
}

TEST(CityPaths, CamerasFlyAlongStreetsAndNeverThroughWalls) {
    std::vector<Box> solids = geometry::makeCityLayout().obstacles();
    auto curves = geometry::buildCityCurves();
    for (int c = 0; c < 3; c++) {
        auto curve = loadCurve(curves[c]);
        uint32_t end = wrapTime(curves[c]);
        EXPECT_GE(end, 30000u) << "camera " << c;
        for (uint32_t t = 0; t < end + 5000; t += 50) {
            CurveRecord r = curve->evaluate(t, true);
            Vec3 eye = vec(r.position);
            // The scenes shake the eye by up to about one unit per axis with the music.
            ASSERT_GT(eye.y, 2.0f) << "camera " << c << " at " << t;
            for (const Box& box : solids)
                ASSERT_FALSE(box.contains(eye, 1.0f))
                    << "camera " << c << " at " << t << " ms: eye " << eye.x << ", " << eye.y
                    << ", " << eye.z << " inside a building";
        }
    }
}

// Clips may start a loop anywhere and run across its wrap: the camera moves on smoothly at
// the wrap time and at time 0, a clip's first frame, with no jump back along its path.
TEST(CityPaths, LoopsWrapWithoutAJump) {
    auto curves = geometry::buildCityCurves();
    for (size_t c = 0; c < curves.size(); c++) {
        auto curve = loadCurve(curves[c]);
        uint32_t end = wrapTime(curves[c]);
        Vec3 last = vec(curve->evaluate(end - 40, true).position);
        for (uint32_t t = end - 30; t < end + 60; t += 10) {
            Vec3 p = vec(curve->evaluate(t, true).position);
            EXPECT_LT(geometry::length(p - last), 1.8f) << "curve " << c << " at " << t << " ms";
            last = p;
        }
    }
}

TEST(CityPaths, SwarmsStreamThroughTheStreetsPastTheirCameras) {
    std::vector<Box> solids = geometry::makeCityLayout().obstacles();
    auto curves = geometry::buildCityCurves();
    for (int s = 3; s < 5; s++) {
        auto swarm = loadCurve(curves[s]);
        auto camera = loadCurve(curves[s - 2]);
        uint32_t end = wrapTime(curves[s]);
        for (uint32_t d = 0; d < end; d += 50) {
            // Each ball lies 0 to 4 units past the path on every axis; a ball's radius is 1.05.
            Vec3 p = vec(swarm->evaluate(d, true).position);
            Vec3 centre = p + Vec3{2, 2, 2};
            ASSERT_GT(p.y, 1.1f) << "swarm " << s << " at " << d;
            for (const Box& box : solids)
                ASSERT_FALSE(box.contains(centre, 2 + 1.05f))
                    << "swarm " << s << " at " << d << " ms runs into something at " << centre.x
                    << ", " << centre.y << ", " << centre.z;
        }
        // Within any 15 seconds some balls come into the camera's view.
        float fov = s == 3 ? 40 : 65;
        for (uint32_t window = 15000; window < 90000; window += 15000) {
            int seen = 0;
            for (uint32_t t = window; t < window + 15000; t += 1000)
                for (uint32_t d = t - 15000; d < t; d += 150) {
                    CurveRecord view = camera->evaluate(t, true);
                    Vec3 ball = vec(swarm->evaluate(d, true).position) + Vec3{2, 2, 2};
                    ViewPoint v = project(vec(view.position), vec(view.aimPoint), ball, fov);
                    if (v.depth > 0.5f && std::fabs(v.x) < 1 && std::fabs(v.y) < 1) seen++;
                }
            EXPECT_GT(seen, 0) << "swarm " << s << " unseen from " << window << " ms for 15 s";
        }
    }
}

// Words are shown over the swarm scenes in the middle of the picture (60 % of its width, 40 %
// of its height): no ball may cross that zone, wherever its spread puts it, with the eye
// lifted as far as the music shakes it.
TEST(CityPaths, SwarmsKeepOutOfTheMiddleOfThePicture) {
    auto curves = geometry::buildCityCurves();
    for (int s = 3; s < 5; s++) {
        auto swarm = loadCurve(curves[s]);
        auto camera = loadCurve(curves[s - 2]);
        const float fov = s == 3 ? 40 : 65, shake = s == 3 ? 0.1f : 1.0f;
        uint32_t end = std::max(wrapTime(curves[s]), wrapTime(curves[s - 2]));
        for (uint32_t t = 0; t < 2 * end; t += 100)
            for (float lift : {0.0f, shake}) {
                CurveRecord view = camera->evaluate(t, true);
                Vec3 eye = vec(view.position) + Vec3{0, lift, 0};
                for (uint32_t d = t > 15000 ? t - 15000 : 0; d < t; d += 150) {
                    Vec3 p = vec(swarm->evaluate(d, true).position);
                    float left = 1e9f, right = -1e9f, low = 1e9f, high = -1e9f;
                    bool inFront = true;
                    for (int corner = 0; corner < 8; corner++) {
                        Vec3 c = p + Vec3{corner & 1 ? 5.05f : -1.05f, corner & 2 ? 5.05f : -1.05f,
                                          corner & 4 ? 5.05f : -1.05f};
                        ViewPoint v = project(eye, vec(view.aimPoint), c, fov);
                        inFront = inFront && v.depth > 0.1f;
                        left = std::min(left, v.x), right = std::max(right, v.x);
                        low = std::min(low, v.y), high = std::max(high, v.y);
                    }
                    if (!inFront) continue;
                    bool crosses = left < 0.6f && right > -0.6f && low < 0.4f && high > -0.4f;
                    ASSERT_FALSE(crosses)
                        << "swarm " << s << " at " << t << " ms (ball released at " << d
                        << " ms) crosses the middle: y " << low << " to " << high;
                }
            }
    }
}

TEST(StationPaths, CrowdCameraWatchesTheLeaderInsideTheHall) {
    geometry::StationModel station = geometry::buildStationModel();
    auto curves = geometry::buildCrowdCurves();
    auto camera = loadCurve(curves[0]), leader = loadCurve(curves[1]), crowd = loadCurve(curves[2]);
    uint32_t end = wrapTime(curves[1]);
    EXPECT_EQ(end, wrapTime(curves[0]));
    for (uint32_t t = 0; t < end + 5000; t += 50) {
        CurveRecord view = camera->evaluate(t, true);
        Vec3 eye = vec(view.position), ball = vec(leader->evaluate(t, true).position);
        ViewPoint v = project(eye, vec(view.aimPoint), ball, 45);
        ASSERT_GT(v.depth, 3.0f) << t;
        ASSERT_LT(std::fabs(v.x), 0.5f) << t;
        ASSERT_LT(std::fabs(v.y), 0.5f) << t;
        Vec3 follower = vec(crowd->evaluate(t, true).position);
        for (const Box& box : station.obstacles) {
            ASSERT_FALSE(box.contains(eye, 1.0f)) << "camera at " << t;
            ASSERT_FALSE(box.contains(ball, 1.05f)) << "leader at " << t;
            ASSERT_FALSE(box.contains(follower + Vec3{2, 2, 2}, 2 + 1.05f)) << "crowd at " << t;
        }
        ASSERT_LT(std::fabs(eye.x), geometry::kHallHalfWidth - 1);
        ASSERT_LT(std::fabs(eye.z), geometry::kHallHalfLength - 1);
    }
}

TEST(StationPaths, IntoStationProbeLeadsTheCameraThroughTheDoorway) {
    geometry::StationModel entrance = geometry::buildIntoStationModel();
    auto curves = geometry::buildIntoStationCurves();
    auto camera = loadCurve(curves[0]), probe = loadCurve(curves[1]);
    uint32_t end = wrapTime(curves[0]);
    EXPECT_GE(end, 30000u);
    bool passedDoor = false;
    for (uint32_t t = 0; t < end; t += 50) {
        CurveRecord view = camera->evaluate(t, true);
        Vec3 eye = vec(view.position);
        ViewPoint v = project(eye, vec(view.aimPoint), vec(probe->evaluate(t, true).position), 30);
        ASSERT_GT(v.depth, 4.0f) << t;
        ASSERT_LT(std::fabs(v.x), 0.8f) << t;
        ASSERT_LT(std::fabs(v.y), 0.8f) << t;
        for (const Box& box : entrance.obstacles)
            ASSERT_FALSE(box.contains(eye, 1.0f)) << "camera in a wall at " << t;
        if (std::fabs(eye.z) < 1) passedDoor = true;
    }
    EXPECT_TRUE(passedDoor);
}

// ---- Views: each model drawn from its scene's camera, by the fixed pipeline. ----

namespace {

// Draws into the window and reads it back; writes a PNG when LIRV_GEOMETRY_VIEWS is set.
class View {
  public:
    View(const char* name, float fov, float farPlane) : viewName(name) {
        clearTo(0.02f, 0.02f, 0.3f);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        qorPerspective(fov, 1.3333334f, 0.1f, farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        float light0[4] = {0, 50, 0, 0}, light1[4] = {0, 50, 25, 0};
        float grey[4] = {0.5f, 0.5f, 0.5f, 1};
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHT1);
        glLightfv(GL_LIGHT0, GL_POSITION, light0);
        glLightfv(GL_LIGHT1, GL_POSITION, light1);
        glLightfv(GL_LIGHT1, GL_DIFFUSE, grey);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, grey);
    }
    // The share of pixels (sampled on a grid) that differ from the clear colour.
    float coverage() {
        readBack();
        int covered = 0, total = 0;
        for (int y = 4; y < kTestScreenHeight; y += 8)
            for (int x = 4; x < kTestScreenWidth; x += 8, total++)
                if (!isBackground(x, y)) covered++;
        return float(covered) / total;
    }
    bool isBackground(int x, int y) {
        const uint8_t* p = &pixels[(size_t(y) * kTestScreenWidth + x) * 3];
        return std::abs(p[0] - 5) <= 2 && std::abs(p[1] - 5) <= 2 && std::abs(p[2] - 77) <= 2;
    }
    ~View() {
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
    }

  private:
    void readBack() {
        pixels.resize(size_t(kTestScreenWidth) * kTestScreenHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kTestScreenWidth, kTestScreenHeight, GL_RGB, GL_UNSIGNED_BYTE,
                     pixels.data());
        const char* folder = getenv("LIRV_GEOMETRY_VIEWS");
        if (!folder) return;
        Picture picture;
        picture.width = kTestScreenWidth;
        picture.height = kTestScreenHeight;
        picture.channels = 3;
        for (int y = kTestScreenHeight - 1; y >= 0; y--)
            picture.pixels.insert(picture.pixels.end(),
                                  pixels.begin() + size_t(y) * kTestScreenWidth * 3,
                                  pixels.begin() + size_t(y + 1) * kTestScreenWidth * 3);
        writePng(std::string(folder) + "/" + viewName + ".png", picture);
    }
    std::string viewName;
    std::vector<uint8_t> pixels;
};

// Loads a generated model from memory; its maps load from data/ when the test runs where the
// generated data/ lies (the source tree), and stay untextured otherwise.
std::unique_ptr<QOR::Model> uploadModel(const formats::ModelDesc& desc) {
    std::string bytes = formats::encodeModel(desc);
    return std::make_unique<QOR::Model>(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        static_cast<int32_t>(bytes.size()), GL_STATIC_DRAW, true);
}

void lookAlong(const CurveRecord& r) {
    qorLookAt(r.position[0], r.position[1], r.position[2], r.aimPoint[0], r.aimPoint[1],
              r.aimPoint[2], 0, 1, 0);
}

class SceneViews : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Texture paths inside models are relative to the demo's working directory.
        if (chdir(LIRV_SOURCE_DIR) != 0) perror(LIRV_SOURCE_DIR);
    }
};

} // namespace

TEST_F(SceneViews, CityCamerasSeeLitTowersAndTheirSwarms) {
    auto city = uploadModel(geometry::buildCityModel(geometry::makeCityLayout()));
    auto ball = uploadModel(geometry::buildSpikeBallModel());
    auto curves = geometry::buildCityCurves();
    const float fov[3] = {60, 40, 65};
    for (int c = 0; c < 3; c++)
        for (uint32_t t : {0u, 20000u}) {
            std::string name = "city" + std::to_string(c) + "_" + std::to_string(t);
            View view(name.c_str(), fov[c], 1000);
            lookAlong(loadCurve(curves[c])->evaluate(t, true));
            city->draw();
            if (c > 0) {
                auto swarm = loadCurve(curves[c + 2]);
                for (uint32_t d = 100; d < 15000; d += 150) {
                    CurveRecord r = swarm->evaluate(d + t, true);
                    glPushMatrix();
                    glTranslatef(r.position[0] + 2, r.position[1] + 2, r.position[2] + 2);
                    glRotatef(r.rotation[0], 1, 0, 0);
                    ball->draw();
                    glPopMatrix();
                }
            }
            EXPECT_GT(view.coverage(), 0.5f) << name;
        }
}

TEST_F(SceneViews, SoundBallSurroundsTheCameraAtItsCentre) {
    auto ball = uploadModel(geometry::buildSoundBallModel());
    View view("soundball", 160, 10000);
    qorLookAt(0, 0, 0, 5 * std::sin(1.0f), 2, 5 * std::cos(1.0f), 0, 1, 0);
    glDisable(GL_LIGHTING);
    ball->draw();
    EXPECT_EQ(view.coverage(), 1.0f);
}

TEST_F(SceneViews, TunnelFramesTheViewDownItsLength) {
    auto tunnel = uploadModel(geometry::buildTunnelModel());
    auto probe = uploadModel(geometry::buildProbeModel());
    View view("tunnel", 90, 100);
    glDisable(GL_LIGHTING);
    qorLookAt(0.15f, 0.1f, -0.5f, 0, 0, -3, 0, 1, 0);
    glPushMatrix();
    glRotatef(-90, 0, 0, 1);
    tunnel->draw();
    glPopMatrix();
    glTranslatef(0, 0, -2.5f);
    glClear(GL_DEPTH_BUFFER_BIT);
    glScalef(1.5f, 1.5f, 1.5f);
    probe->draw();
    float covered = view.coverage();
    EXPECT_GT(covered, 0.97f);
    EXPECT_FALSE(view.isBackground(512, 384)) << "the probe floats ahead";
    EXPECT_FALSE(view.isBackground(4, 4));
}

TEST_F(SceneViews, BackdropFillsTheGreetingsCameraAllAlongItsPass) {
    auto backdrop = uploadModel(geometry::buildBackdropModel());
    for (float s : {0.0f, 10.0f, 30.0f}) {
        std::string name = "backdrop_" + std::to_string(int(s));
        View view(name.c_str(), 90, 1000);
        glDisable(GL_LIGHTING);
        qorLookAt(s - 10, 3, 7, s - 10, 3, 0, 0, 1, 0);
        backdrop->draw();
        EXPECT_EQ(view.coverage(), 1.0f) << name;
    }
}

TEST_F(SceneViews, IdeaBulbFloatsWhollyInsideTheUpperRight) {
    auto idea = uploadModel(geometry::buildIdeaModel());
    View view("idea", 90, 1000);
    glDisable(GL_LIGHTING);
    glTranslatef(3, 9, -13);
    glScalef(0.6f, 0.6f, 0.6f);
    idea->draw();
    float covered = view.coverage();
    EXPECT_GT(covered, 0.005f);
    EXPECT_LT(covered, 0.1f);
    // Nothing touches the screen's edges: the whole bulb is in the picture.
    for (int x = 4; x < kTestScreenWidth; x += 8) {
        EXPECT_TRUE(view.isBackground(x, 4));
        EXPECT_TRUE(view.isBackground(x, kTestScreenHeight - 4));
    }
}

TEST_F(SceneViews, StationScenesShowHallAndEntrance) {
    auto station = uploadModel(geometry::buildStationModel().model);
    auto entrance = uploadModel(geometry::buildIntoStationModel().model);
    auto probe = uploadModel(geometry::buildProbeModel());
    auto ball = uploadModel(geometry::buildSpikeBallModel());
    auto crowd = geometry::buildCrowdCurves();
    for (uint32_t t : {0u, 12000u}) {
        std::string name = "crowd_" + std::to_string(t);
        View view(name.c_str(), 45, 1000);
        lookAlong(loadCurve(crowd[0])->evaluate(t, true));
        station->draw();
        CurveRecord lead = loadCurve(crowd[1])->evaluate(t, true);
        glTranslatef(lead.position[0], lead.position[1], lead.position[2]);
        ball->draw();
        EXPECT_GT(view.coverage(), 0.9f) << name;
    }
    auto into = geometry::buildIntoStationCurves();
    for (uint32_t t : {0u, 15000u, 27000u, 35000u}) {
        std::string name = "intoStation_" + std::to_string(t);
        View view(name.c_str(), 30, 1000);
        lookAlong(loadCurve(into[0])->evaluate(t, true));
        entrance->draw();
        CurveRecord p = loadCurve(into[1])->evaluate(t, true);
        glTranslatef(p.position[0], p.position[1], p.position[2]);
        glRotatef(p.rotation[2], 0, 0, 1);
        probe->draw();
        EXPECT_GT(view.coverage(), 0.6f) << name;
    }
}
