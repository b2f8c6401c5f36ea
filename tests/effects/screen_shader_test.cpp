#include "effects/screen_shader.h"
#include "engine/fbo.h"
#include "runtime/music.h"
#include "tests/effects/effects_test_util.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tests/support/scratch_target_test.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

const char* kPassThrough =
    "uniform sampler2D picture;\n"
    "void main() { gl_FragColor = texture2D(picture, gl_TexCoord[0].st); }\n";

// Exposes the program of a screen pass for uniform read-back.
class InspectedDeform : public DeformShader {
  public:
    using DeformShader::DeformShader;
    float deform() {
        float value = -1;
        glGetUniformfv(program, glGetUniformLocation(program, "deform"), &value);
        return value;
    }
};

class ScreenShaderTest : public testing::Test {
  protected:
    void SetUp() override {
        target = qorCreateFBO();
        qorPushFBO(target);
    }
    void TearDown() override {
        while (qorGetFBODepth() > 0)
            qorPopFBO();
        qorDeleteFBO(target);
    }
    GLuint target = 0;
};

} // namespace

TEST_F(ScreenShaderTest, PassThroughLeavesThePictureAndRestoresTheTarget) {
    ScratchDir dir;
    dir.write("pass.frag", kPassThrough);
    std::string path = dir.path() + "/pass.frag";
    ScreenShader pass(nullptr, path.c_str());
    ASSERT_TRUE(pass.load());
    EXPECT_STREQ(pass.name(), path.c_str());

    drawQuadrants();
    const int probes[][2] = {{5, 5}, {1018, 5}, {5, 762}, {1018, 762}, {300, 600}, {700, 100}};
    std::vector<Rgba> before;
    for (const auto& p : probes)
        before.push_back(readPixel(p[0], p[1]));

    unsigned depth = qorGetFBODepth();
    pass.render(1234);
    EXPECT_EQ(qorGetFBODepth(), depth);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(target));
    for (size_t i = 0; i < before.size(); i++) {
        Rgba after = readPixel(probes[i][0], probes[i][1]);
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(after[c], before[i][c], 1) << "probe " << i;
    }
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScreenShaderTest, MissingFragmentFileFailsTheLoadWithTheEngineMessage) {
    DeformShader deform(nullptr, "no/such/deform.frag");
    CaptureStdout();
    CaptureStderr();
    EXPECT_FALSE(deform.load());
    GetCapturedStderr();
    EXPECT_EQ(GetCapturedStdout(), "unable to open file no/such/deform.frag\n\n");
}

TEST_F(ScreenShaderTest, DeformFollowsSpectrumBinTen) {
    InspectedDeform deform(nullptr, LIRV_CONTENT_SHADERS "/deform.frag");
    EXPECT_STREQ(DeformShader(nullptr, "data/deform.frag").name(), "data/deform.frag");
    ASSERT_TRUE(deform.load());

    resetAnalysis();
    drawQuadrants();
    deform.render(0);
    EXPECT_EQ(deform.deform(), 0.0f);

    playTones({{10, 8192}});
    float level = spectrumLevel(10);
    EXPECT_NEAR(level, 0.5f, 0.01f);
    deform.render(0);
    EXPECT_EQ(deform.deform(), 7.0f * level);
    EXPECT_NEAR(deform.deform(), 3.5f, 0.07f);
    resetAnalysis();
}

TEST_F(ScreenShaderTest, DeformInSilenceLeavesThePicture) {
    DeformShader deform(nullptr, LIRV_CONTENT_SHADERS "/deform.frag");
    ASSERT_TRUE(deform.load());
    resetAnalysis();
    drawQuadrants();
    Rgba before = readPixel(200, 600);
    deform.render(0);
    Rgba after = readPixel(200, 600);
    for (int c = 0; c < 3; c++)
        EXPECT_NEAR(after[c], before[c], 1);
}

TEST(FramebufferQuad, PutsTextureRowZeroAtTheBottom) {
    const uint8_t texels[2 * 2 * 4] = {255, 0, 0,   255, 0,   255, 0,   255,  // row 0: red, green
                                       0,   0, 255, 255, 255, 255, 255, 255}; // row 1: blue, white
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    loadIdentityMatrices();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    drawFramebufferQuad(1, 1);
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(readPixel(10, 10), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(1000, 10), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(readPixel(10, 750), (Rgba{0, 0, 255, 255}));
    glDeleteTextures(1, &texture);
}
