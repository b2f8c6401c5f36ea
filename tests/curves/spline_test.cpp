#include "curves/spline.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>

namespace {

// A spline whose keys carry (x, 0, 0, 0) at the given times.
void addKeys(Spline& spline, std::initializer_list<std::pair<uint32_t, float>> keys) {
    for (const auto& [time, x] : keys) {
        SplineKeypoint* key = new SplineKeypoint;
        key->time = time;
        key->value = {x, 0, 0, 0};
        spline.addKeypoint(key);
    }
}

// Keys at 0, 1000, 2000 and 3000 ms with first components 0, 6, 12 and 18: T = 2000.
class FourKeys : public testing::Test {
  protected:
    FourKeys() { addKeys(spline, {{0, 0}, {1000, 6}, {2000, 12}, {3000, 18}}); }
    float at(uint32_t t, bool wrap) const { return spline.evaluate(t, wrap)[0]; }
    Spline spline;
};

} // namespace

TEST_F(FourKeys, WrappedTable) {
    EXPECT_EQ(at(0, true), 0.0f);                // at the first key: its value unchanged
    EXPECT_NEAR(at(1, true), 1.003, 1e-3);       // q * (5 * 0 + 6), just after it
    EXPECT_NEAR(at(500, true), 3.12501, 1e-5);   // q * 18.75
    EXPECT_NEAR(at(1000, true), 6.000012, 1e-5); // s = 1 closes the segment, with q's overshoot
    EXPECT_NEAR(at(1999, true), 11.99402, 1e-4);
    EXPECT_EQ(at(2000, true), 0.0f); // wraps to 0
    EXPECT_EQ(at(2500, true), at(500, true));
}

TEST_F(FourKeys, UnwrappedHoldsTheLastKeyFromTheEnd) {
    for (uint32_t t : {0u, 1u, 500u, 1000u, 1999u})
        EXPECT_EQ(at(t, false), at(t, true)) << t;
    EXPECT_EQ(at(2000, false), 18.0f);
    EXPECT_EQ(at(2500, false), 18.0f);
    EXPECT_EQ(at(4000000000u, false), 18.0f);
}

TEST_F(FourKeys, KeyTimeBelongsToTheSegmentEndingThere) {
    // s = 1 of segment 1 equals s = 0 of segment 2 up to rounding: the value is continuous.
    EXPECT_NEAR(at(1000, true), at(1001, true), 0.02);
    EXPECT_NEAR(at(1000, true), 6.0f * 0.166667f * 6.0f, 1e-5);
}

TEST_F(FourKeys, AllFourComponentsBlend) {
    Spline full;
    for (uint32_t i = 0; i < 4; i++) {
        SplineKeypoint* key = new SplineKeypoint;
        key->time = i * 1000;
        key->value = {6.0f * i, -6.0f * i, 1.0f, 12.0f * i};
        full.addKeypoint(key);
    }
    SplineValue v = full.evaluate(500, true);
    EXPECT_NEAR(v[0], 3.12501, 1e-5);
    EXPECT_NEAR(v[1], -3.12501, 1e-5);
    EXPECT_NEAR(v[2], 1.000002, 1e-6);
    EXPECT_NEAR(v[3], 6.25002, 1e-4);
}

TEST(SplineDegenerate, ExactlyTwoKeys) {
    Spline spline;
    addKeys(spline, {{1000, 3}, {2000, 7}});
    for (uint32_t t : {0u, 999u, 1000u, 1500u, 5000u})
        EXPECT_EQ(spline.evaluate(t, true)[0], 3.0f);
    EXPECT_EQ(spline.evaluate(0, false)[0], 3.0f);
    EXPECT_EQ(spline.evaluate(999, false)[0], 3.0f);
    EXPECT_EQ(spline.evaluate(1000, false)[0], 7.0f);
    EXPECT_EQ(spline.evaluate(90000, false)[0], 7.0f);
}

TEST(SplineDegenerate, FewerThanTwoKeysGiveADefinedValue) {
    Spline empty;
    EXPECT_EQ(empty.evaluate(500, true), (SplineValue{0, 0, 0, 0}));
    EXPECT_EQ(empty.evaluate(500, false), (SplineValue{0, 0, 0, 0}));
    Spline one;
    addKeys(one, {{100, 4}});
    EXPECT_EQ(one.evaluate(0, true)[0], 4.0f);
    EXPECT_EQ(one.evaluate(5000, false)[0], 4.0f);
}

TEST(SplineDegenerate, EndTimeZeroWithWrapGivesTheFirstKey) {
    Spline spline;
    addKeys(spline, {{0, 2}, {0, 5}, {0, 9}});
    EXPECT_EQ(spline.evaluate(1234, true)[0], 2.0f);
    EXPECT_EQ(spline.evaluate(1234, false)[0], 9.0f);
}

TEST(SplineDegenerate, KeysOutOfOrderStayInsideTheList) {
    // Unsorted times: every evaluation must stay finite and within the keys' value range.
    Spline spline;
    addKeys(spline, {{3000, 1}, {500, 2}, {4000, 3}, {100, 4}, {2500, 5}, {0, 6}});
    for (uint32_t t = 0; t < 9000; t += 37) {
        for (bool wrap : {true, false}) {
            float x = spline.evaluate(t, wrap)[0];
            EXPECT_GE(x, 0.9f) << t;
            EXPECT_LE(x, 6.1f) << t;
        }
    }
}
