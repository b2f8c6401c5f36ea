#include "scenes/crowd.h"
#include "scenes/city.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

CurveRecord curveAt(const char* path, uint32_t time) {
    CameraCurve curve;
    curve.load(path);
    return curve.evaluate(time, true);
}

class CrowdScene : public testing::Test {
  protected:
    void SetUp() override {
        crowd = sceneWorld().crowd;
        crowd->start();
    }

    // Renders a frame; returns how many spike balls were drawn (the leader included).
    int ballsAt(uint32_t time) {
        clearDrawRecords();
        renderAsComposition(*crowd, time);
        return countDraws(kSpikeBallFaces);
    }

    // Checks that each crowd ball on screen sits on the crowd path at its own delay, moved out
    // by `spread` times its offset.
    void expectCrowdAt(uint32_t time, float spread) {
        clearDrawRecords();
        renderAsComposition(*crowd, time);
        std::vector<DrawRecord> station = drawsOf(kBoxFaces);
        std::vector<DrawRecord> balls = drawsOf(kSpikeBallFaces);
        ASSERT_EQ(station.size(), 1u);
        size_t next = 1; // after the leader
        for (int i = 0; i < Crowd::kCrowdSize; i++) {
            uint32_t d = time - crowd->getSpikeStart()[i];
            if (d <= 10000 || d >= 300000) continue;
            ASSERT_LT(next, balls.size());
            float world[3];
            worldOrigin(station[0].modelview, balls[next++].modelview, world);
            CurveRecord path = curveAt("data/spikeball_crowd.curve", d);
            for (int axis = 0; axis < 3; axis++)
                EXPECT_NEAR(world[axis],
                            path.position[axis] + spread * crowd->getSpikeOffset()[i][axis], 1e-3)
                    << "ball " << i << " axis " << axis << " at " << time;
        }
        EXPECT_EQ(next, balls.size());
    }

    Crowd* crowd = nullptr;
};

} // namespace

TEST_F(CrowdScene, LayoutIsTheCitySwarmDealWithReleasesBelow5000) {
    srand(4242);
    crowd->start();
    srand(11);
    for (int i = 0; i < Crowd::kCrowdSize; i++) {
        for (int axis = 0; axis < 3; axis++)
            EXPECT_EQ(crowd->getSpikeOffset()[i][axis], static_cast<float>(rand() % 5));
        for (int axis = 0; axis < 3; axis++)
            EXPECT_EQ(crowd->getSpikeAngle()[i][axis], static_cast<float>(rand() % 360));
        EXPECT_EQ(crowd->getSpikeStart()[i], static_cast<uint32_t>(rand() % 5000));
    }
}

TEST_F(CrowdScene, LeaderIsDrawnFromTheStartAlongItsPath) {
    for (uint32_t time : {0u, 7000u}) {
        EXPECT_EQ(ballsAt(time), 1) << time;
        float world[3];
        worldOrigin(drawsOf(kBoxFaces).at(0).modelview, drawsOf(kSpikeBallFaces).at(0).modelview,
                    world);
        CurveRecord path = curveAt("data/spikeball_master.curve", time);
        for (int axis = 0; axis < 3; axis++)
            EXPECT_NEAR(world[axis], path.position[axis], 1e-3) << time;
    }
}

TEST_F(CrowdScene, BallsJoinTenSecondsAfterTheirRelease) {
    const uint32_t* start = crowd->getSpikeStart();
    uint32_t earliest = *std::min_element(start, start + Crowd::kCrowdSize);
    int first = static_cast<int>(std::count(start, start + Crowd::kCrowdSize, earliest));
    EXPECT_EQ(ballsAt(10000), 1);
    EXPECT_EQ(ballsAt(10000 + earliest), 1);
    EXPECT_EQ(ballsAt(10001 + earliest), 1 + first);
    EXPECT_EQ(ballsAt(15000), 1 + Crowd::kCrowdSize);
    EXPECT_EQ(ballsAt(299999), 1 + Crowd::kCrowdSize);
    EXPECT_EQ(ballsAt(300000 + earliest), 1 + Crowd::kCrowdSize - first);
}

TEST_F(CrowdScene, CrowdSpreadsOutBetween12500And14000) {
    expectCrowdAt(12000, 0);
    expectCrowdAt(12500, 0);
    expectCrowdAt(13250, 0.5f);
    expectCrowdAt(14000, 1);
    expectCrowdAt(20000, 1);
}

TEST_F(CrowdScene, StationIsDrawnThroughTheModelShader) {
    ballsAt(5000);
    std::vector<DrawRecord> station = drawsOf(kBoxFaces);
    ASSERT_EQ(station.size(), 1u);
    ASSERT_NE(station[0].program, 0);
    EXPECT_NE(glGetUniformLocation(static_cast<GLuint>(station[0].program), "diffuse_amount"), -1);
    EXPECT_EQ(drawsOf(kSpikeBallFaces).at(0).program, 0);
}

TEST_F(CrowdScene, CameraFollowsItsCurve) {
    ballsAt(6000);
    float eye[3];
    eyeOfView(drawsOf(kBoxFaces).at(0).modelview, eye);
    CurveRecord camera = curveAt("data/spikeball_cam.curve", 6000);
    for (int axis = 0; axis < 3; axis++)
        EXPECT_NEAR(eye[axis], camera.position[axis], 1e-3);
}
