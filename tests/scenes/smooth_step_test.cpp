#include "scenes/scene_helpers.h"

#include <gtest/gtest.h>

TEST(SmoothStep, EasesBetweenTheBounds) {
    EXPECT_FLOAT_EQ(smoothStep(0, 10, 5), 0.5f);
    EXPECT_FLOAT_EQ(smoothStep(0, 10, 2.5f), 0.15625f); // 0.25^2 x (3 - 0.5)
    EXPECT_FLOAT_EQ(smoothStep(12500, 14000, 13250), 0.5f);
}

TEST(SmoothStep, ClampsOutsideTheBounds) {
    EXPECT_EQ(smoothStep(0, 10, -1), 0.0f);
    EXPECT_EQ(smoothStep(0, 10, 0), 0.0f);
    EXPECT_EQ(smoothStep(0, 10, 10), 1.0f);
    EXPECT_EQ(smoothStep(0, 10, 11), 1.0f);
}

TEST(SmoothStep, EqualBoundsGiveZeroAtAndBeforeThemAndOneAfter) {
    EXPECT_EQ(smoothStep(5, 5, 5), 0.0f); // 0 / 0 is not a number
    EXPECT_EQ(smoothStep(5, 5, 4), 0.0f);
    EXPECT_EQ(smoothStep(5, 5, 6), 1.0f);
}
