// Every scene, rendered from the fixture data/, draws a frame with detail that changes with
// time. With LIRV_SCENE_PNG_DIR set, the frames are saved there for a look.
#include "scenes/city.h"
#include "scenes/crowd.h"
#include "scenes/into_station.h"
#include "scenes/tunnel.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

void expectMovingPicture(Effect& effect, const std::string& name, uint32_t early, uint32_t late) {
    effect.start();
    renderAsComposition(effect, early);
    std::vector<uint8_t> first = readFrame();
    renderAsComposition(effect, late);
    std::vector<uint8_t> second = readFrame();
    saveFrameIfAsked(first, name + "-" + std::to_string(early));
    saveFrameIfAsked(second, name + "-" + std::to_string(late));
    EXPECT_TRUE(hasDetail(first)) << name;
    EXPECT_TRUE(hasDetail(second)) << name;
    EXPECT_FALSE(first == second) << name;
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
}

} // namespace

TEST(SceneFrames, CitiesDrawMovingPictures) {
    SceneWorld& world = sceneWorld();
    for (int camera = 0; camera < 3; camera++)
        expectMovingPicture(*world.cities[camera], "city" + std::to_string(camera), 2000, 9000);
}

TEST(SceneFrames, TunnelDrawsAMovingPicture) {
    expectMovingPicture(*sceneWorld().tunnel, "tunnel", 1000, 6000);
}

TEST(SceneFrames, CrowdDrawsAMovingPicture) {
    expectMovingPicture(*sceneWorld().crowd, "crowd", 5000, 14000);
}

TEST(SceneFrames, IntoStationDrawsAMovingPicture) {
    expectMovingPicture(*sceneWorld().intoStation, "intostation", 2000, 10000);
}

// The view and blending each scene fixes, read from what its model draws saw: the vertical
// field of view from the projection (1 / tan(fov / 2) on the diagonal), the screen's aspect,
// and the blend state.
TEST(SceneFrames, EachSceneDrawsWithItsFieldOfViewAndBlending) {
    SceneWorld& world = sceneWorld();
    struct Expected {
        Effect* scene;
        float fieldOfView;
        GLboolean blend;
        GLint source, destination;
    };
    const Expected table[] = {
        {world.cities[0], 60, GL_TRUE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {world.cities[1], 40, GL_TRUE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {world.cities[2], 65, GL_TRUE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {world.tunnel, 90, GL_FALSE, GL_ONE, GL_ZERO},
        {world.crowd, 45, GL_FALSE, GL_ONE, GL_ZERO},
        {world.intoStation, 30, GL_TRUE, GL_ONE, GL_ZERO},
    };
    for (const Expected& expected : table) {
        SCOPED_TRACE(expected.scene->name());
        expected.scene->start();
        clearDrawRecords();
        renderAsComposition(*expected.scene, 9000);
        ASSERT_FALSE(drawRecords().empty());
        for (const DrawRecord& draw : drawRecords()) {
            float fov = float(2 * std::atan(1.0 / draw.projection[5]) * 180 / M_PI);
            EXPECT_NEAR(fov, expected.fieldOfView, 0.01f);
            EXPECT_NEAR(draw.projection[5] / draw.projection[0], 1024.0f / 768, 1e-4f);
            EXPECT_EQ(draw.blend, expected.blend);
            EXPECT_EQ(draw.blendSource, expected.source);
            EXPECT_EQ(draw.blendDestination, expected.destination);
        }
    }
}
