#include "scenes/sound_ball.h"

#include "engine/fbo.h"
#include "engine/model.h"
#include "engine/window.h"
#include "runtime/music.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tests/support/scratch_target_test.h"
#include "tools/formats/curve_writer.h"
#include "tools/formats/model_writer.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The deformable ball of the fixture: one vertex per case, then the colour patches that show
// where the view looks (they belong to other meshes, which the scene never deforms).
constexpr float kBand10X = 0.93937271f; // direction at 0.35 rad: band 10
constexpr float kBand10Y = 0.34289781f;
const std::vector<float> kBallVertices = {
    0,         0,        1,    // on the z axis: band 0
    0,         1,        0,    // on the y axis: band 47
    kBand10X,  kBand10Y, 0,    // band 10
    -kBand10X, kBand10Y, 0.5f, // band 10, mirrored into the second quadrant
    1,         0.01f,    0,    // band 0
};
constexpr int kBallVertexCount = 5;

formats::ModelMeshDesc triangle(const char* name, uint32_t material, std::vector<float> corners) {
    formats::ModelMeshDesc mesh;
    mesh.name = name;
    mesh.vertexCount = static_cast<uint32_t>(corners.size() / 3);
    mesh.faceCount = mesh.vertexCount / 3;
    mesh.materialIndex = material;
    mesh.streams.push_back(formats::ModelStreamDesc::floats(0, corners));
    std::vector<uint32_t> indices;
    for (uint32_t i = 0; i < mesh.vertexCount; i++)
        indices.push_back(i);
    mesh.streams.push_back(formats::ModelStreamDesc::indices(indices));
    return mesh;
}

std::string ballModelBytes() {
    formats::ModelDesc model;
    formats::ModelMaterialDesc grey, red, green;
    grey.diffuse[0] = grey.diffuse[1] = grey.diffuse[2] = 0.5f;
    red.diffuse[1] = red.diffuse[2] = 0;
    green.diffuse[0] = green.diffuse[2] = 0;
    model.materials = {grey, red, green};

    formats::ModelMeshDesc ball;
    ball.name = "ball";
    ball.vertexCount = kBallVertexCount;
    ball.faceCount = 2;
    ball.streams.push_back(formats::ModelStreamDesc::floats(0, kBallVertices));
    // Faces stay clear of the view's centre line, so the patches behind show there.
    ball.streams.push_back(formats::ModelStreamDesc::indices({2, 3, 4, 0, 2, 4}));
    model.meshes.push_back(ball);
    // A red patch far along +z (seen at s = 0) and a green one along -z (seen at s = pi).
    model.meshes.push_back(triangle("ahead", 1, {-40, -40, 30, 40, -40, 30, 0, 60, 30}));
    model.meshes.push_back(triangle("behind", 2, {-40, -40, -30, 40, -40, -30, 0, 60, -30}));
    return formats::encodeModel(model);
}

uint64_t fixedTicks = 0;
uint64_t readFixedTicks() {
    return fixedTicks;
}

// Each test runs in a scratch directory holding the scene's data/, with a silent spectrum,
// the engine clock held still, and a screen-sized target like the compositor's.
class SoundBallTest : public ScratchTargetTest {
  protected:
    void SetUp() override {
        dir.write("data/soundball.model", ballModelBytes());
        CurveRecord key = {0, {0, 0, 0}, {0, 0, 1}, {0, 0, 0}};
        dir.write("data/curve1.curve", formats::encodeCurve({key}));
        dir.write("data/curve2.curve", formats::encodeCurve({key}));
        dir.write("data/bluenormal.png", encodeTestPng(2, 2, 3, std::vector<uint8_t>(12, 200)));

        enterScratch();
        fixedTicks = 0;
        qorSetTickSource(readFixedTicks);
        for (const Property& p : ball.properties())
            *p.target = p.defaultValue;
    }
    void TearDown() override {
        qorSetTickSource(nullptr);
        ScratchTargetTest::TearDown();
    }

    // Renders inside a saved GL state, as the composition does, without printing.
    void render(uint32_t time) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushMatrix();
        testing::internal::CaptureStdout();
        ball.render(time);
        lastOutput = testing::internal::GetCapturedStdout();
        glPopMatrix();
        glPopAttrib();
    }

    // The ball's vertex positions as the buffer holds them now.
    std::vector<float> vertices() {
        QOR::ModelMeshStream* stream = ball.model()->getMesh(0)->getStream(0);
        std::vector<float> values(static_cast<size_t>(stream->count) * 3);
        glBindBuffer(stream->target, stream->buffer);
        glGetBufferSubData(stream->target, 0, stream->byteSize, values.data());
        return values;
    }

    static void expectVertex(const std::vector<float>& v, int i, float x, float y, float z) {
        EXPECT_NEAR(v[3 * i], x, 1e-4) << "vertex " << i;
        EXPECT_NEAR(v[3 * i + 1], y, 1e-4) << "vertex " << i;
        EXPECT_NEAR(v[3 * i + 2], z, 1e-4) << "vertex " << i;
    }
    // The modelled position of vertex i scaled by k.
    static void expectScaled(const std::vector<float>& v, int i, float k) {
        expectVertex(v, i, k * kBallVertices[3 * i], k * kBallVertices[3 * i + 1],
                     k * kBallVertices[3 * i + 2]);
    }

    bool loadQuietly() {
        testing::internal::CaptureStdout();
        bool loaded = ball.load();
        lastOutput = testing::internal::GetCapturedStdout();
        return loaded;
    }

    SoundBall ball;
    std::string lastOutput;
};

} // namespace

TEST(SoundBallBands, FoldTheAngleAroundZIntoFortyEightBands) {
    EXPECT_EQ(SoundBall::bandOf(0, 0), 0);  // on the z axis
    EXPECT_EQ(SoundBall::bandOf(0, 1), 47); // on the y axis: 30 x pi / 2 = 47.12
    EXPECT_EQ(SoundBall::bandOf(0, -1), 47);
    EXPECT_EQ(SoundBall::bandOf(1, 0), 0);
    EXPECT_EQ(SoundBall::bandOf(kBand10X, kBand10Y), 10);
    EXPECT_EQ(SoundBall::bandOf(-kBand10X, kBand10Y), 10); // quadrants mirror one another
    EXPECT_EQ(SoundBall::bandOf(-kBand10X, -kBand10Y), 10);
    EXPECT_EQ(SoundBall::bandOf(1, 1), 23); // 30 x pi / 4 = 23.56
}

TEST_F(SoundBallTest, LoadOpensBothCurvesAndNamesThem) {
    ASSERT_TRUE(loadQuietly());
    EXPECT_NE(lastOutput.find("opening data/curve1.curve\n"), std::string::npos) << lastOutput;
    EXPECT_NE(lastOutput.find("opening data/curve2.curve\n"), std::string::npos) << lastOutput;
    EXPECT_STREQ(ball.name(), "Sound ball");
    ASSERT_EQ(ball.properties().size(), 2u);
    EXPECT_STREQ(ball.propertyName(0), "Ball zoom");
    EXPECT_STREQ(ball.propertyName(1), "Ball specular");
}

TEST_F(SoundBallTest, MissingCurvesDoNotFailTheLoad) {
    std::filesystem::remove("data/curve1.curve");
    std::filesystem::remove("data/curve2.curve");
    EXPECT_TRUE(loadQuietly());
}

TEST_F(SoundBallTest, MissingBlueNormalPictureFailsTheLoad) {
    std::filesystem::remove("data/bluenormal.png");
    EXPECT_FALSE(loadQuietly());
}

TEST_F(SoundBallTest, SilenceKeepsTheModelledShape) {
    ASSERT_TRUE(loadQuietly());
    render(1000);
    std::vector<float> v = vertices();
    for (int i = 0; i < kBallVertexCount; i++)
        expectScaled(v, i, 1);
}

TEST_F(SoundBallTest, TwoThirdsLevelDrawsTheBandAtTheOrigin) {
    ASSERT_TRUE(loadQuietly());
    playTones({{10, 10923}});
    ASSERT_NEAR(spectrumLevel(10), 2.0f / 3.0f, 1e-3);
    render(1000);
    std::vector<float> v = vertices();
    expectVertex(v, 2, 0, 0, 0);
    expectVertex(v, 3, 0, 0, 0);
    expectScaled(v, 0, 1); // bands 0 and 47 are silent
    expectScaled(v, 1, 1);
    expectScaled(v, 4, 1);
}

TEST_F(SoundBallTest, LevelsAboveTwoThirdsPushThroughTheCentre) {
    ASSERT_TRUE(loadQuietly());
    playTones({{10, 16384}}); // level 1: k = -0.5
    render(1000);
    std::vector<float> v = vertices();
    expectScaled(v, 2, 1 - 1.5f * spectrumLevel(10));
    EXPECT_LT(v[3 * 2], 0); // now on the other side of the centre
}

TEST_F(SoundBallTest, AxisVerticesFollowBandZeroAndBandFortySeven) {
    ASSERT_TRUE(loadQuietly());
    playTones({{47, 8192}});
    ASSERT_GT(spectrumLevel(47), 0.4f);
    render(1000);
    std::vector<float> v = vertices();
    expectScaled(v, 1, 1 - 1.5f * spectrumLevel(47)); // on the y axis
    expectScaled(v, 0, 1);                            // on the z axis: band 0 is silent

    resetAnalysis();
    playTones({{0, 8000}}); // a constant: bins 0 and 1
    ASSERT_GT(spectrumLevel(0), 0.1f);
    render(1000);
    v = vertices();
    expectScaled(v, 0, 1 - 1.5f * spectrumLevel(0));
    expectScaled(v, 4, 1 - 1.5f * spectrumLevel(0));
    expectScaled(v, 1, 1);
}

TEST_F(SoundBallTest, RepeatedRendersDoNotAccumulate) {
    ASSERT_TRUE(loadQuietly());
    playTones({{10, 8192}});
    render(1000);
    std::vector<float> first = vertices();
    render(1040);
    render(1080);
    EXPECT_EQ(vertices(), first);
    expectScaled(first, 2, 1 - 1.5f * spectrumLevel(10));
}

TEST_F(SoundBallTest, PrintsTheStreamSizeOnce) {
    ASSERT_TRUE(loadQuietly());
    testing::internal::CaptureStdout();
    ball.render(0);
    ball.render(40);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "size: 60\n");
}

TEST_F(SoundBallTest, EachBallDeformsFromItsOwnModelledShape) {
    ASSERT_TRUE(loadQuietly());
    render(0);
    // A second ball with a bigger model: its rest positions are its own, not the first ball's.
    formats::ModelDesc bigger;
    bigger.materials.push_back({});
    std::vector<float> corners;
    for (int i = 0; i < 30; i++)
        corners.insert(corners.end(), {2.0f + i, 1, 3});
    bigger.meshes.push_back(triangle("bigger", 0, corners));
    dir.write("data/soundball.model", formats::encodeModel(bigger));
    SoundBall second;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(second.load());
    second.render(0);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("size: 360\n"), std::string::npos) << printed;
    QOR::ModelMeshStream* stream = second.model()->getMesh(0)->getStream(0);
    std::vector<float> values(90);
    glBindBuffer(stream->target, stream->buffer);
    glGetBufferSubData(stream->target, 0, stream->byteSize, values.data());
    EXPECT_EQ(values, corners);
}

TEST_F(SoundBallTest, ViewFollowsTheEngineClockNotTheClipTime) {
    ASSERT_TRUE(loadQuietly());
    clearTo(0, 0, 0);
    fixedTicks = 0; // looking along +z: the red patch
    render(0);
    Rgba ahead = readPixel(512, 384);
    render(7000);
    EXPECT_EQ(readPixel(512, 384), ahead);
    EXPECT_GT(ahead[0], 200);
    EXPECT_LT(ahead[1], 50);

    fixedTicks = 3142; // half a turn later: looking along -z at the green patch
    render(0);
    Rgba behind = readPixel(512, 384);
    render(7000);
    EXPECT_EQ(readPixel(512, 384), behind);
    EXPECT_GT(behind[1], 200);
    EXPECT_LT(behind[0], 50);
}

TEST_F(SoundBallTest, BallZoomScalesTheDrawnBall) {
    ASSERT_TRUE(loadQuietly());
    fixedTicks = 0;
    *ball.properties()[0].target = 0.5f; // the patches come closer, but stay in view
    render(0);
    Rgba near = readPixel(512, 384);
    EXPECT_GT(near[0], 200);
    *ball.properties()[0].target = -1; // mirrored: the green patch is now ahead
    render(0);
    EXPECT_GT(readPixel(512, 384)[1], 200);
}
