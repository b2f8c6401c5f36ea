// Every scene, rendered from the fixture data/, draws a frame with detail that changes with
// time. With LIRV_SCENE_PNG_DIR set, the frames are saved there for a look.
#include "scenes/city.h"
#include "scenes/crowd.h"
#include "scenes/into_station.h"
#include "scenes/tunnel.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"

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
