#include "scenes/into_station.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

namespace {

CurveRecord curveAt(const char* path, uint32_t time) {
    CameraCurve curve;
    curve.load(path);
    return curve.evaluate(time, true);
}

std::vector<uint8_t> frameAt(uint32_t time) {
    renderAsComposition(*sceneWorld().intoStation, time);
    return readFrame();
}

} // namespace

TEST(IntoStationScene, SameTimeGivesTheSameFrame) {
    std::vector<uint8_t> first = frameAt(3000);
    frameAt(9000);
    EXPECT_TRUE(frameAt(3000) == first);
}

TEST(IntoStationScene, TimesPastTheLastKeyWrapToTheStart) {
    std::vector<uint8_t> early = frameAt(3000);
    EXPECT_TRUE(frameAt(3000 + kCurveEndMs) == early);
    EXPECT_TRUE(frameAt(3000 + 5 * kCurveEndMs) == early);
    EXPECT_FALSE(frameAt(7000) == early);
}

TEST(IntoStationScene, CameraAndProbeFollowTheirCurves) {
    const uint32_t time = 9000;
    clearDrawRecords();
    renderAsComposition(*sceneWorld().intoStation, time);
    std::vector<DrawRecord> boxes = drawsOf(kBoxFaces);
    ASSERT_EQ(boxes.size(), 2u); // the station, then the probe
    EXPECT_NE(boxes[0].program, 0);
    EXPECT_EQ(boxes[1].program, 0);
    float eye[3], probe[3];
    eyeOfView(boxes[0].modelview, eye);
    worldOrigin(boxes[0].modelview, boxes[1].modelview, probe);
    CurveRecord camera = curveAt("data/intoStation_camera.curve", time);
    CurveRecord path = curveAt("data/intoStation.curve", time);
    for (int axis = 0; axis < 3; axis++) {
        EXPECT_NEAR(eye[axis], camera.position[axis], 1e-3);
        EXPECT_NEAR(probe[axis], path.position[axis], 1e-3);
    }
}
