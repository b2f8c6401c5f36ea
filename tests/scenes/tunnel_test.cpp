#include "scenes/tunnel.h"
#include "engine/window.h"
#include "runtime/music.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

uint64_t fakeTicks = 0;
uint64_t readFakeTicks() {
    return fakeTicks;
}

// The tunnel runs on a clock the test moves by hand.
class TunnelScene : public testing::Test {
  protected:
    void SetUp() override {
        tunnel = sceneWorld().tunnel;
        silenceSpectrum();
        fakeTicks = 1000;
        qorSetTickSource(readFakeTicks);
    }
    void TearDown() override {
        qorSetTickSource(nullptr);
        silenceSpectrum();
    }

    // Moves the clock on by elapsedMs and renders a frame at clip time `time`.
    void frame(uint64_t elapsedMs, uint32_t time) {
        fakeTicks += elapsedMs;
        clearDrawRecords();
        renderAsComposition(*tunnel, time);
    }

    // The texture translation along v under which the tube was drawn.
    float tubeTextureShift() {
        std::vector<DrawRecord> tube = drawsOf(kTunnelTubeFaces);
        EXPECT_EQ(tube.size(), 1u);
        return tube.empty() ? NAN : tube[0].texture[13];
    }

    Tunnel* tunnel = nullptr;
};

bool isIdentity(const float m[16]) {
    for (int i = 0; i < 16; i++)
        if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
    return true;
}

} // namespace

TEST_F(TunnelScene, FirstFrameAfterStartHasNoTextureShift) {
    tunnel->start();
    frame(40, 0);
    EXPECT_EQ(tubeTextureShift(), 0.0f);
    // Silence scrolls 1/400 per millisecond: 40 ms give 0.1, shown a frame later times -0.25.
    EXPECT_FLOAT_EQ(Tunnel::getScroll(), -0.1f);
    frame(40, 40);
    EXPECT_FLOAT_EQ(tubeTextureShift(), 0.025f);
    EXPECT_FLOAT_EQ(Tunnel::getScroll(), -0.2f);
}

TEST_F(TunnelScene, ProbeTextureDoesNotScroll) {
    tunnel->start();
    frame(40, 0);
    frame(400, 400);
    std::vector<DrawRecord> probe = drawsOf(kBoxFaces);
    ASSERT_EQ(probe.size(), 1u);
    EXPECT_TRUE(isIdentity(probe[0].texture));
    EXPECT_NE(tubeTextureShift(), 0.0f);
}

TEST_F(TunnelScene, StartResetsTheScroll) {
    tunnel->start();
    frame(500, 0);
    EXPECT_NE(Tunnel::getScroll(), 0.0f);
    tunnel->start();
    EXPECT_EQ(Tunnel::getScroll(), 0.0f);
    frame(20, 9000);
    EXPECT_EQ(tubeTextureShift(), 0.0f);
}

TEST_F(TunnelScene, ScrollFollowsTheWallClockWhateverTheFrameRate) {
    tunnel->start();
    for (int i = 0; i < 10; i++)
        frame(40, 0); // clip time standing still
    float tenFrames = Tunnel::getScroll();

    tunnel->start();
    for (int i = 0; i < 4; i++)
        frame(100, static_cast<uint32_t>(i) * 5000); // clip time racing ahead
    EXPECT_NEAR(Tunnel::getScroll(), tenFrames, 1e-5);
    EXPECT_NEAR(tenFrames, -1.0f, 1e-5); // 400 ms of silence
}

TEST_F(TunnelScene, LoudBandTwoScrollsFaster) {
    playTestChord();
    float level = spectrumLevel(2);
    ASSERT_GT(level, 0.1f);
    tunnel->start();
    frame(400, 0);
    // e = 400 / 40 = 10; the scroll moves by level / 3 x e + e / 10.
    EXPECT_NEAR(Tunnel::getScroll(), -(level / 3 * 10 + 1), 1e-5);
}

TEST_F(TunnelScene, TunnelRollsFromMinusNinetyDegrees) {
    tunnel->start();
    frame(40, 0);
    std::vector<DrawRecord> tube = drawsOf(kTunnelTubeFaces);
    std::vector<DrawRecord> probe = drawsOf(kBoxFaces);
    ASSERT_EQ(tube.size(), 1u);
    ASSERT_EQ(probe.size(), 1u);
    // The probe is drawn under the view rotation scaled by 1.5; the tube under the view
    // rotation times its roll about z.
    float view[16];
    for (int i = 0; i < 16; i++)
        view[i] = probe[0].modelview[i] / 1.5f;
    float axis[3];
    worldXAxis(view, tube[0].modelview, axis);
    EXPECT_NEAR(axis[0], 0, 1e-4);
    EXPECT_NEAR(axis[1], -1, 1e-4); // x turned by -90 degrees about z
    EXPECT_NEAR(axis[2], 0, 1e-4);
}

TEST_F(TunnelScene, ProbeShowsThroughTheTunnelGeometryInFrontOfIt) {
    tunnel->start();
    frame(40, 0);
    std::vector<DrawRecord> probe = drawsOf(kBoxFaces);
    ASSERT_EQ(probe.size(), 1u);
    double model[16], projection[16];
    for (int i = 0; i < 16; i++) {
        model[i] = probe[0].modelview[i];
        projection[i] = probe[0].projection[i];
    }
    const GLint viewport[4] = {0, 0, kTestScreenWidth, kTestScreenHeight};
    double x, y, z;
    ASSERT_TRUE(gluProject(0, 0, 0, model, projection, viewport, &x, &y, &z));
    // The red gate plate at z = -1.2 lies between the eye (z = -0.5) and the probe (z < -2).
    Rgba centre = readPixel(static_cast<int>(x), static_cast<int>(y));
    EXPECT_EQ(centre[0], 0);
    EXPECT_GT(centre[1], 200);
    Rgba beside = readPixel(static_cast<int>(x) + 150, static_cast<int>(y));
    EXPECT_EQ(beside, (Rgba{255, 0, 0, 255}));
}
