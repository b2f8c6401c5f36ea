#include "effects/glow.h"
#include "effects/screen_shader.h"
#include "engine/fbo.h"
#include "runtime/music.h"
#include "tests/effects/effects_test_util.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tests/support/scratch_target_test.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Runs each test in a scratch directory holding data/glow.frag, inside a screen-sized target
// like the compositor's, with every glow property at its default and a silent spectrum.
class GlowTest : public ScratchTargetTest {
  protected:
    void SetUp() override {
        dir.write("data/glow.frag", readFile(LIRV_CONTENT_SHADERS "/glow.frag"));
        enterScratch();
    }
    static void setDefaults(Glow& glow) {
        for (const Property& p : glow.properties())
            *p.target = p.defaultValue;
    }
    static void set(Glow& glow, const char* name, float value) {
        for (const Property& p : glow.properties())
            if (std::string(p.name) == name) *p.target = value;
    }
    static float uniform(Glow& glow, const char* name) {
        float value = -1;
        GLuint program = glow.glowProgram();
        glGetUniformfv(program, glGetUniformLocation(program, name), &value);
        return value;
    }
    // Quads a render draws: feedback mode reports each quad as the same number of polygons.
    static unsigned quadsDrawnBy(const std::function<void()>& draw) {
        unsigned perQuad = countPrimitives([] { drawFramebufferQuad(1, 1); });
        return countPrimitives(draw) / perQuad;
    }
};

} // namespace

TEST_F(GlowTest, NamesAndPropertyTable) {
    EXPECT_STREQ(Glow(0).name(), "Default Glow");
    EXPECT_STREQ(Glow(1).name(), "Directional Glow");
    EXPECT_STREQ(Glow(7).name(), "Unknown Glow");
    Glow glow(0);
    EXPECT_TRUE(glow.properties().empty()); // declared by load, not the constructor
    ASSERT_TRUE(glow.load());
    ASSERT_EQ(glow.properties().size(), 9u);
    const char* names[] = {"Glow1",        "Glow2",      "Number of samples",
                           "Sample width", "Glow alpha", "Final alpha",
                           "FFT fade",     "FFT point",  "FFT strength"};
    for (int i = 0; i < 9; i++)
        EXPECT_STREQ(glow.propertyName(i), names[i]);
    EXPECT_FLOAT_EQ(glow.properties()[0].defaultValue, 47.3f);
    EXPECT_FLOAT_EQ(glow.properties()[1].defaultValue, 1.24f);
}

TEST_F(GlowTest, DefaultsInSilenceSetTheUniformsAndRunTenBlurSteps) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    ASSERT_NE(glow.glowProgram(), 0u);
    setDefaults(glow);
    drawQuadrants();
    // One pass through the program, 10 steps of 14 quads, the picture and the glow added back.
    EXPECT_EQ(quadsDrawnBy([&] { glow.render(0); }), 1u + 10 * 14 + 2);
    drawQuadrants();
    takeGlError();
    glow.render(0);
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FLOAT_EQ(uniform(glow, "glow1"), 47.3f);
    EXPECT_FLOAT_EQ(uniform(glow, "glow2"), 1.24f);
    EXPECT_EQ(qorGetFBODepth(), 1u);
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlowTest, MusicMovesTheUniformsByFadeAndStrength) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    set(glow, "FFT fade", 1);
    set(glow, "FFT strength", 2);
    EXPECT_FLOAT_EQ(Glow::glow1Uniform(0.25f), 47.3f * 0.5f);
    EXPECT_FLOAT_EQ(Glow::glow2Uniform(0.25f), 1.24f * 1.5f);
    set(glow, "FFT fade", 0);
    EXPECT_FLOAT_EQ(Glow::glow1Uniform(0.9f), 47.3f);
    EXPECT_FLOAT_EQ(Glow::glow2Uniform(0.9f), 1.24f);
}

TEST_F(GlowTest, SampleCountIsTruncatedAndBoundedByItsRange) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    set(glow, "Number of samples", 2.9f);
    EXPECT_EQ(quadsDrawnBy([&] { glow.render(0); }), 1u + 2 * 14 + 2);
    set(glow, "Number of samples", 0.5f);
    EXPECT_EQ(quadsDrawnBy([&] { glow.render(0); }), 1u + 2);
    EXPECT_EQ(Glow::blurStepCount(std::nanf("")), 0);
    EXPECT_EQ(Glow::blurStepCount(-1e30f), 0);
    // A key far beyond the range runs the range's 30 steps instead of a billion.
    set(glow, "Number of samples", 1e9f);
    EXPECT_EQ(quadsDrawnBy([&] { glow.render(0); }), 1u + 30 * 14 + 2);
}

TEST_F(GlowTest, FftPointOutsideTheSpectrumReadsAnEdgeBin) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    set(glow, "FFT point", 1000);
    EXPECT_EQ(Glow::fftBin(), 255);
    glow.render(0);
    set(glow, "FFT point", -5);
    EXPECT_EQ(Glow::fftBin(), 0);
    glow.render(0);
    set(glow, "FFT point", 256);
    EXPECT_EQ(Glow::fftBin(), 255);
    set(glow, "FFT point", 1e30f);
    EXPECT_EQ(Glow::fftBin(), 255);
    set(glow, "FFT point", 40.9f);
    EXPECT_EQ(Glow::fftBin(), 40);
}

TEST_F(GlowTest, DirectionalGlowSmearsElevenScaledCopies) {
    Glow glow(1);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    drawQuadrants();
    EXPECT_EQ(quadsDrawnBy([&] { glow.render(0); }), 1u + 11 + 2);
    // The copies are scaled about the centre and clipped to the 256 x 256 glow target, so the
    // texture coordinate at its left edge is 0.5 - 0.5 / scale: the largest scale shows the
    // largest one.
    std::vector<FeedbackPolygon> polygons = capturePolygons([&] { glow.render(0); });
    float largest = 0;
    for (const FeedbackPolygon& p : polygons)
        for (size_t v = 0; v < p.x.size(); v++)
            if (p.x[v] == 0.0f && p.s[v] < 0.5f) largest = std::max(largest, p.s[v]);
    EXPECT_NEAR(largest, 0.5f - 0.5f / 1.1999998f, 1e-5f);
    EXPECT_LT(largest, 0.5f - 0.5f / 1.21f);
}

TEST_F(GlowTest, GlowAddsBloomAroundBrightAreasOnly) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    loadIdentityMatrices();
    clearTo(0, 0, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    glRectf(-0.1f, -0.1f, 0.1f, 0.1f); // a white square in the middle of black
    glow.render(0);
    Rgba centre = readPixel(512, 384);
    Rgba nearby = readPixel(512 + 70, 384); // just outside the square
    Rgba corner = readPixel(20, 20);
    EXPECT_EQ(centre[0], 255);
    EXPECT_GT(nearby[0], 5); // light bleeds out of the square
    EXPECT_LT(corner[0], 3); // the dark stays dark
}

// The picture and the glow are added back weighted by "Final alpha": at 0 the target stays as
// it was, at 1 a grey target gains at least its own brightness again.
TEST_F(GlowTest, FinalAlphaWeighsWhatIsAddedBack) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    for (float alpha : {0.0f, 1.0f}) {
        set(glow, "Final alpha", alpha);
        loadIdentityMatrices();
        clearTo(0.2f, 0.2f, 0.2f);
        glow.render(0);
        Rgba centre = readPixel(512, 384);
        if (alpha == 0)
            EXPECT_EQ(centre[0], 51);
        else
            EXPECT_GE(centre[0], 102);
    }
    glClearColor(0, 0, 0, 1); // the blur pass clears with the current clear colour
}

TEST_F(GlowTest, BlurPassWithoutStepsLeavesOnlyTheDownsampledPicture) {
    Glow glow(0);
    ASSERT_TRUE(glow.load());
    setDefaults(glow);
    drawQuadrants();
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    EXPECT_EQ(quadsDrawnBy([&] { glow.blurPass(0.04f); }), 2u);
    drawQuadrants();
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    glow.blurPass(0.04f);
    Rgba topLeft = readPixel(200, 600);
    Rgba bottomRight = readPixel(800, 200);
    EXPECT_NEAR(topLeft[0], 255, 3);
    EXPECT_NEAR(topLeft[1], 0, 3);
    EXPECT_NEAR(bottomRight[2], 255, 3);
    EXPECT_NEAR(bottomRight[1], 255, 3);
}
