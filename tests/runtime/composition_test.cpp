#include "engine/fbo.h"
#include "runtime/compositor.h"
#include "runtime/timeline.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// Fills the whole framebuffer with its colour and records how it was called. Its one property,
// "Level", is class-wide like every effect's; render records the value it sees.
class Probe : public Effect {
  public:
    Probe(float r, float g, float b) : colour{r, g, b} { addProperty("Level", &level, 0, 1, 0.5f); }
    void start() override { starts++; }
    void render(uint32_t time) override {
        renders++;
        lastTime = time;
        lastLevel = level;
        glClearColor(colour[0], colour[1], colour[2], 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // State the composition must undo after the render.
        glEnable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        glViewport(0, 0, 10, 10);
    }
    const char* name() override { return "Probe"; }

    float colour[3];
    int starts = 0;
    int renders = 0;
    uint32_t lastTime = 0;
    float lastLevel = 0;
    static float level;
};
float Probe::level;

Clip* addClip(Timeline& timeline, Effect* effect, uint32_t layer, uint32_t start, uint32_t duration,
              uint32_t offset = 0) {
    Clip* clip = new Clip(effect);
    clip->layer = layer;
    clip->start = start;
    clip->duration = duration;
    clip->offset = offset;
    timeline.clips.push_back(clip);
    return clip;
}

Key levelKey(uint32_t time, float value) {
    Key key{};
    key.time = time;
    key.value = value;
    return key;
}

// A frame as the main loop draws it: the window cleared to black, then the timeline.
void frame(Timeline& timeline, uint32_t t) {
    clearTo(0, 0, 0);
    timeline.render(t);
}

void expectColour(const Rgba& pixel, int r, int g, int b) {
    EXPECT_NEAR(pixel[0], r, 1);
    EXPECT_NEAR(pixel[1], g, 1);
    EXPECT_NEAR(pixel[2], b, 1);
}

struct Composition : testing::Test {
    std::unique_ptr<Timeline> timeline = std::make_unique<Timeline>();
    Probe red{1, 0, 0}, green{0, 1, 0}, blue{0, 0, 1};
};

} // namespace

TEST_F(Composition, TheFramebufferStartsBlack) {
    frame(*timeline, 10);
    expectColour(readPixel(512, 384), 0, 0, 0);
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(Composition, AClipStartingExactlyAtTIsNotYetActive) {
    addClip(*timeline, &red, 0, 100, 1000);
    frame(*timeline, 100);
    EXPECT_EQ(red.starts, 0);
    EXPECT_EQ(red.renders, 0);
    expectColour(readPixel(512, 384), 0, 0, 0);
    frame(*timeline, 101);
    EXPECT_EQ(red.starts, 1);
    EXPECT_EQ(red.renders, 1);
    expectColour(readPixel(512, 384), 255, 0, 0);
    expectColour(readPixel(0, 0), 255, 0, 0);
    expectColour(readPixel(1023, 767), 255, 0, 0);
}

TEST_F(Composition, ClipsWithTheSameStartActivateOnConsecutiveFrames) {
    addClip(*timeline, &red, 0, 0, 1000);
    addClip(*timeline, &green, 1, 0, 1000);
    frame(*timeline, 50);
    EXPECT_EQ(red.starts, 1);
    EXPECT_EQ(green.starts, 0);
    frame(*timeline, 50);
    EXPECT_EQ(green.starts, 1);
    EXPECT_EQ(green.renders, 1);
}

TEST_F(Composition, AClipIsDrawnStrictlyInsideItsSpanAtItsLocalTime) {
    addClip(*timeline, &red, 2, 1000, 500, 250);
    frame(*timeline, 1001);
    EXPECT_EQ(red.lastTime, 251u);
    frame(*timeline, 1499);
    EXPECT_EQ(red.renders, 2);
    EXPECT_EQ(red.lastTime, 749u);
    frame(*timeline, 1500);
    EXPECT_EQ(red.renders, 2);
}

TEST_F(Composition, AClipOfDurationZeroStartsButIsNeverDrawn) {
    addClip(*timeline, &red, 0, 0, 0);
    frame(*timeline, 1);
    frame(*timeline, 2);
    EXPECT_EQ(red.starts, 1);
    EXPECT_EQ(red.renders, 0);
}

TEST_F(Composition, TheSameEffectOnTheSameLayerIsNotStartedAgain) {
    addClip(*timeline, &red, 1, 0, 100);
    addClip(*timeline, &red, 1, 5000, 100); // after a gap
    addClip(*timeline, &green, 1, 6000, 100);
    addClip(*timeline, &red, 1, 7000, 100);
    addClip(*timeline, &red, 3, 8000, 100); // another layer, empty until now
    frame(*timeline, 1);
    frame(*timeline, 5001);
    EXPECT_EQ(red.starts, 1);
    frame(*timeline, 6001);
    EXPECT_EQ(green.starts, 1);
    frame(*timeline, 7001);
    EXPECT_EQ(red.starts, 2);
    frame(*timeline, 8001);
    EXPECT_EQ(red.starts, 3);
}

TEST_F(Composition, LayerFourIsDrawnOverLayerZero) {
    addClip(*timeline, &blue, 4, 0, 1000);
    addClip(*timeline, &red, 0, 0, 1000);
    frame(*timeline, 1);
    frame(*timeline, 2);
    EXPECT_EQ(red.renders, 1);
    EXPECT_EQ(blue.renders, 2);
    expectColour(readPixel(300, 300), 0, 0, 255);
}

TEST_F(Composition, IdleLayersKeepShowingTheLastPicture) {
    addClip(*timeline, &green, 0, 0, 100);
    frame(*timeline, 50);
    frame(*timeline, 100);
    frame(*timeline, 5000);
    EXPECT_EQ(green.renders, 1);
    expectColour(readPixel(700, 500), 0, 255, 0);
}

TEST_F(Composition, EachClipRendersWithItsOwnPropertyValues) {
    Clip* low = addClip(*timeline, &red, 0, 0, 1000);
    low->addKey(levelKey(0, 0.25f));
    Clip* high = addClip(*timeline, &green, 1, 0, 1000);
    high->addKey(levelKey(0, 0.75f));
    addClip(*timeline, &blue, 2, 0, 1000); // no keys: the default
    for (uint32_t t = 1; t <= 3; t++)
        frame(*timeline, t);
    EXPECT_EQ(red.lastLevel, 0.25f);
    EXPECT_EQ(green.lastLevel, 0.75f);
    EXPECT_EQ(blue.lastLevel, 0.5f);
}

TEST_F(Composition, EffectStateChangesDoNotLeakIntoTheNextClipOrTheWindow) {
    addClip(*timeline, &red, 0, 0, 1000);
    addClip(*timeline, &green, 1, 0, 1000);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    frame(*timeline, 1);
    frame(*timeline, 2);
    expectColour(readPixel(1000, 700), 0, 255, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kTestScreenWidth);
    EXPECT_EQ(qorGetFBODepth(), 0u);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST(LoadingScreen, ZeroPercentFillsTheWindowWithWhite) {
    clearTo(0.3f, 0.3f, 0.3f);
    drawLoadingProgress(0);
    expectColour(readPixel(0, 0), 255, 255, 255);
    expectColour(readPixel(512, 384), 255, 255, 255);
    expectColour(readPixel(1023, 767), 255, 255, 255);
}

TEST(LoadingScreen, NinetySixPercentIsASmallDarkCentredRectangle) {
    clearTo(0.3f, 0.3f, 0.3f);
    drawLoadingProgress(96);
    // 4 % of 1024 x 768: about 41 x 31 pixels about the centre, grey level 0.04.
    expectColour(readPixel(512, 384), 10, 10, 10);
    expectColour(readPixel(512 - 18, 384 - 13), 10, 10, 10);
    expectColour(readPixel(512 + 18, 384 + 13), 10, 10, 10);
    expectColour(readPixel(512 - 24, 384), 0, 0, 0);
    expectColour(readPixel(512, 384 + 18), 0, 0, 0);
    expectColour(readPixel(10, 10), 0, 0, 0);
}

TEST(LoadingScreen, HalfWayIsAMidGreyRectangleOfHalfTheSize) {
    clearTo(0, 0, 0);
    drawLoadingProgress(50);
    expectColour(readPixel(512, 384), 128, 128, 128);
    expectColour(readPixel(260, 196), 128, 128, 128);
    expectColour(readPixel(250, 384), 0, 0, 0);
    expectColour(readPixel(512, 580), 0, 0, 0);
}

TEST_F(Composition, WarmingUpDrawsEachEffectOnceAndLeavesNoTrace) {
    addClip(*timeline, &red, 0, 0, 100, 7);
    addClip(*timeline, &green, 1, 0, 100);
    addClip(*timeline, &red, 2, 50, 100);
    timeline->compositor.warmUp(timeline->clips);
    EXPECT_EQ(red.renders, 1);
    EXPECT_EQ(red.lastTime, 7u);
    EXPECT_EQ(green.renders, 1);
    EXPECT_EQ(red.starts + green.starts, 0); // starting may draw from the shared random numbers
    // Nothing is on a layer yet, and nothing drawn while warming shows in the first frame.
    clearTo(0, 0, 0);
    timeline->compositor.compose(0);
    expectColour(readPixel(0, 0), 0, 0, 0);
    expectColour(readPixel(512, 384), 0, 0, 0);
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}
