#include "scenes/city.h"
#include "runtime/music.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"

#include <algorithm>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using testing::HasSubstr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

struct Swarm {
    uint32_t start[City::kSwarmSize];
    float offset[City::kSwarmSize][3];
    float angle[City::kSwarmSize][3];
};

// The swarm as the C library's generator deals it after srand(11): seven draws per ball.
Swarm dealSwarm(int count, int releaseModulus) {
    Swarm swarm{};
    srand(11);
    for (int i = 0; i < count; i++) {
        for (float& v : swarm.offset[i])
            v = static_cast<float>(rand() % 5);
        for (float& v : swarm.angle[i])
            v = static_cast<float>(rand() % 360);
        swarm.start[i] = static_cast<uint32_t>(rand() % releaseModulus);
    }
    return swarm;
}

Swarm swarmOf(const City& city) {
    Swarm swarm{};
    for (int i = 0; i < City::kSwarmSize; i++) {
        swarm.start[i] = city.getSpikeStart()[i];
        for (int axis = 0; axis < 3; axis++) {
            swarm.offset[i][axis] = city.getSpikeOffset()[i][axis];
            swarm.angle[i][axis] = city.getSpikeAngle()[i][axis];
        }
    }
    return swarm;
}

bool sameSwarm(const Swarm& a, const Swarm& b) {
    return memcmp(&a, &b, sizeof(Swarm)) == 0;
}

int ballsDrawnAt(City& city, uint32_t time) {
    clearDrawRecords();
    renderAsComposition(city, time);
    return countDraws(kSpikeBallFaces);
}

// The camera's eye as drawn at a time: the ground, the first mesh of the city, is drawn under
// the bare view matrix.
void eyeAt(City& city, uint32_t time, float eye[3]) {
    clearDrawRecords();
    renderAsComposition(city, time);
    std::vector<DrawRecord> blocks = drawsOf(kBoxFaces);
    ASSERT_FALSE(blocks.empty());
    eyeOfView(blocks[0].modelview, eye);
}

CurveRecord curveAt(const char* path, uint32_t time) {
    CameraCurve curve;
    curve.load(path);
    return curve.evaluate(time, true);
}

void expectEye(City& city, uint32_t time, const char* curve, const float shake[3]) {
    float eye[3];
    eyeAt(city, time, eye);
    CurveRecord camera = curveAt(curve, time);
    for (int axis = 0; axis < 3; axis++)
        EXPECT_NEAR(eye[axis], camera.position[axis] + shake[axis], 2e-4)
            << "axis " << axis << " at " << time;
}

class CityScene : public testing::Test {
  protected:
    void SetUp() override {
        world = &sceneWorld();
        silenceSpectrum();
    }
    void TearDown() override { silenceSpectrum(); }
    SceneWorld* world = nullptr;
};

} // namespace

TEST_F(CityScene, SwarmIsDealtBySeed11FromTheLibraryGenerator) {
    srand(12345);
    rand();
    world->cities[1]->start();
    EXPECT_TRUE(sameSwarm(swarmOf(*world->cities[1]), dealSwarm(City::kSwarmSize, 15000)));
}

TEST_F(CityScene, EveryStartOfEveryCameraGivesTheSameSwarm) {
    world->cities[1]->start();
    Swarm first = swarmOf(*world->cities[1]);
    rand();
    world->cities[1]->start();
    EXPECT_TRUE(sameSwarm(swarmOf(*world->cities[1]), first));
    world->cities[0]->start();
    world->cities[2]->start();
    EXPECT_TRUE(sameSwarm(swarmOf(*world->cities[0]), first));
    EXPECT_TRUE(sameSwarm(swarmOf(*world->cities[2]), first));
}

TEST_F(CityScene, NoBallIsDrawnAtTimeZero) {
    for (int camera : {1, 2}) {
        world->cities[camera]->start();
        EXPECT_EQ(ballsDrawnAt(*world->cities[camera], 0), 0) << "camera " << camera;
    }
}

TEST_F(CityScene, ABallIsFirstDrawnOneMillisecondAfterItsRelease) {
    City& city = *world->cities[1];
    city.start();
    const uint32_t* start = city.getSpikeStart();
    uint32_t latest = *std::max_element(start, start + City::kSwarmSize);
    int before = static_cast<int>(
        std::count_if(start, start + City::kSwarmSize, [&](uint32_t s) { return s < latest; }));
    EXPECT_EQ(ballsDrawnAt(city, latest), before);
    EXPECT_EQ(ballsDrawnAt(city, latest + 1), City::kSwarmSize);
    EXPECT_EQ(ballsDrawnAt(city, 15000), City::kSwarmSize); // every release is below 15000
}

TEST_F(CityScene, BallsLeaveAfterTheCamerasWindow) {
    world->cities[1]->start();
    world->cities[2]->start();
    const uint32_t* start = world->cities[2]->getSpikeStart();
    uint32_t earliest = *std::min_element(start, start + City::kSwarmSize);
    int firstOut = static_cast<int>(std::count(start, start + City::kSwarmSize, earliest));
    // Camera 2 keeps a ball for 300 s, camera 1 for 500 s.
    EXPECT_EQ(ballsDrawnAt(*world->cities[2], 300000 + earliest), City::kSwarmSize - firstOut);
    EXPECT_EQ(ballsDrawnAt(*world->cities[2], 300000 + earliest - 1), City::kSwarmSize);
    EXPECT_EQ(ballsDrawnAt(*world->cities[1], 300000 + earliest), City::kSwarmSize);
    EXPECT_EQ(ballsDrawnAt(*world->cities[1], 500000 + earliest), City::kSwarmSize - firstOut);
}

TEST_F(CityScene, EachBallRidesTheSwarmPathAtItsOwnOffset) {
    City& city = *world->cities[1];
    city.start();
    const uint32_t time = 20000;
    clearDrawRecords();
    renderAsComposition(city, time);
    std::vector<DrawRecord> balls = drawsOf(kSpikeBallFaces);
    ASSERT_EQ(balls.size(), static_cast<size_t>(City::kSwarmSize));
    const DrawRecord ground = drawsOf(kBoxFaces).at(0);
    const float* view = ground.modelview;
    for (int i : {0, 17, 99}) {
        CurveRecord path = curveAt("data/city_spike.curve", time - city.getSpikeStart()[i]);
        float world[3];
        worldOrigin(view, balls[static_cast<size_t>(i)].modelview, world);
        for (int axis = 0; axis < 3; axis++)
            EXPECT_NEAR(world[axis], path.position[axis] + city.getSpikeOffset()[i][axis], 1e-3)
                << "ball " << i << " axis " << axis;
    }
}

TEST_F(CityScene, CityIsDrawnThroughTheModelShaderAndBallsWithoutOne) {
    world->cities[2]->start();
    clearDrawRecords();
    renderAsComposition(*world->cities[2], 16000);
    ASSERT_NE(City::getDefaultShader(), 0u);
    // The model shader, or its build for one light while light 1 is black.
    for (const DrawRecord& block : drawsOf(kBoxFaces))
        EXPECT_NE(glGetUniformLocation(static_cast<GLuint>(block.program), "diffuse_amount"), -1);
    for (const DrawRecord& ball : drawsOf(kSpikeBallFaces))
        EXPECT_EQ(ball.program, 0);
}

TEST_F(CityScene, CameraZeroShakesWithTheMusicGrowingInOverSixteenSeconds) {
    playTestChord();
    const float bands[3] = {spectrumLevel(30), spectrumLevel(35), spectrumLevel(40)};
    for (float level : bands)
        ASSERT_GT(level, 0.1f);
    const float none[3] = {0, 0, 0};
    expectEye(*world->cities[0], 0, "data/city_1.curve", none);
    // Half way up the ramp, 0.5 + 0.5 cos(3.14 x 0.5 + 3.14).
    const float half = 0.5f + 0.5f * static_cast<float>(std::cos(3.14 * 0.5 + 3.14));
    const float halfShake[3] = {bands[0] * half, bands[1] * half, bands[2] * half};
    expectEye(*world->cities[0], 8000, "data/city_1.curve", halfShake);
    expectEye(*world->cities[0], 16000, "data/city_1.curve", bands);
    expectEye(*world->cities[0], 16001, "data/city_1.curve", bands);
    expectEye(*world->cities[0], 60000, "data/city_1.curve", bands);
}

TEST_F(CityScene, CameraOneShakesWithATenthOfTheBandsCameraTwoWithAllOfThem) {
    playTestChord();
    const float bands[3] = {spectrumLevel(50), spectrumLevel(65), spectrumLevel(55)};
    for (float level : bands)
        ASSERT_GT(level, 0.1f);
    const float tenth[3] = {bands[0] / 10, bands[1] / 10, bands[2] / 10};
    world->cities[1]->start();
    world->cities[2]->start();
    expectEye(*world->cities[1], 0, "data/city_2.curve", tenth);
    expectEye(*world->cities[1], 5000, "data/city_2.curve", tenth);
    expectEye(*world->cities[2], 0, "data/city_3.curve", bands);
    expectEye(*world->cities[2], 5000, "data/city_3.curve", bands);

    silenceSpectrum();
    const float none[3] = {0, 0, 0};
    expectEye(*world->cities[2], 5000, "data/city_3.curve", none);
}

TEST_F(CityScene, NamesFollowTheCameraIndex) {
    EXPECT_STREQ(world->cities[0]->name(), "City 0");
    EXPECT_STREQ(world->cities[1]->name(), "City 1");
    EXPECT_STREQ(world->cities[2]->name(), "City 2");
    City other(3), negative(-1);
    EXPECT_STREQ(other.name(), "City");
    EXPECT_STREQ(negative.name(), "City");
}

TEST_F(CityScene, UnknownCameraIndexClearsPrintsAndDrawsNothing) {
    City unknown(3);
    ASSERT_TRUE(unknown.load());
    unknown.start();
    clearTo(1, 1, 1);
    clearDrawRecords();
    CaptureStdout();
    renderAsComposition(unknown, 5000);
    EXPECT_EQ(GetCapturedStdout(), "Invalid camera index\n");
    EXPECT_TRUE(drawRecords().empty());
    Rgba sky = readPixel(512, 384);
    EXPECT_EQ(sky[0], 6);
    EXPECT_EQ(sky[1], 6);
    EXPECT_NEAR(sky[2], 76.5, 1);
}

TEST_F(CityScene, MissingRevoltPictureFailsTheLoadWithItsMessage) {
    ScratchDir bare;
    writeSceneData(bare, false);
    char home[4096];
    ASSERT_NE(getcwd(home, sizeof home), nullptr);
    ASSERT_EQ(chdir(bare.path().c_str()), 0);
    City city(1);
    CaptureStdout();
    bool loaded = city.load();
    std::string out = GetCapturedStdout();
    ASSERT_EQ(chdir(home), 0);
    EXPECT_FALSE(loaded);
    EXPECT_THAT(out, HasSubstr("failed loading revolting kid.\n quitting.\n"));
}

TEST_F(CityScene, ShaderThatDoesNotBuildFailsTheLoad) {
    ScratchDir broken;
    writeSceneData(broken);
    broken.write("data/default.frag", "void main() { gl_FragColor = vec4(1.0) }\n");
    char home[4096];
    ASSERT_NE(getcwd(home, sizeof home), nullptr);
    ASSERT_EQ(chdir(broken.path().c_str()), 0);
    City city(0);
    bool loaded = city.load();
    ASSERT_EQ(chdir(home), 0);
    EXPECT_FALSE(loaded);
    // Build the shared program again from the good files for the tests that follow.
    ASSERT_TRUE(world->cities[0]->load());
    EXPECT_NE(City::getDefaultShader(), 0u);
}
