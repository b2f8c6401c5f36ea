#include "runtime/effect.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

namespace {

// Writes each property's value into its target, as the composition does before a render.
void setProperties(Effect& effect, std::initializer_list<float> values) {
    size_t i = 0;
    for (float value : values)
        *effect.properties().at(i++).target = value;
}

void setDefaults(Effect& effect) {
    for (const Property& property : effect.properties())
        *property.target = property.defaultValue;
}

void expectNear(const Rgba& pixel, int r, int g, int b, int tolerance) {
    EXPECT_NEAR(pixel[0], r, tolerance);
    EXPECT_NEAR(pixel[1], g, tolerance);
    EXPECT_NEAR(pixel[2], b, tolerance);
}

} // namespace

TEST(BlackEffect, DeclaresTransparencyThenBrightness) {
    Black black;
    ASSERT_EQ(black.properties().size(), 2u);
    EXPECT_STREQ(black.propertyName(0), "Transparency");
    EXPECT_STREQ(black.propertyName(1), "Brightness");
    EXPECT_EQ(black.propertyName(2), nullptr);
    EXPECT_EQ(black.properties()[0].defaultValue, 1.0f);
    EXPECT_EQ(black.properties()[1].defaultValue, 0.0f);
    EXPECT_EQ(black.properties()[0].type, 1);
    EXPECT_STREQ(black.name(), "Black");
}

TEST(BlackEffect, PropertiesAreSharedByEveryInstance) {
    Black first, second;
    EXPECT_EQ(first.properties()[0].target, second.properties()[0].target);
    EXPECT_EQ(first.properties()[1].target, second.properties()[1].target);
}

TEST(BlackEffect, DefaultsHideThePictureBelow) {
    Black black;
    setDefaults(black);
    clearTo(0.2f, 0.6f, 0.9f);
    black.render(0);
    expectNear(readPixel(512, 384), 0, 0, 0, 0);
    expectNear(readPixel(0, 0), 0, 0, 0, 0);
    expectNear(readPixel(1023, 767), 0, 0, 0, 0);
}

TEST(BlackEffect, HalfTransparentWhiteBrightensHalfway) {
    Black black;
    setProperties(black, {0.5f, 1.0f});
    clearTo(0, 0, 0);
    black.render(0);
    expectNear(readPixel(300, 200), 128, 128, 128, 2);
}

TEST(BlackEffect, ZeroTransparencyLeavesThePictureAndClearsOnlyDepth) {
    Black black;
    setProperties(black, {0.0f, 1.0f});
    clearTo(0.2f, 0.6f, 0.9f);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1);
    black.render(0);
    expectNear(readPixel(100, 100), 51, 153, 230, 1);
    float depth = 0;
    glReadPixels(100, 100, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}
