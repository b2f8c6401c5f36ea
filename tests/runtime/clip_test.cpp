#include "runtime/clip.h"
#include "runtime/effect.h"

#include <gtest/gtest.h>

namespace {

Key makeKey(uint32_t time, int32_t property, float value, bool ease = false) {
    Key key{};
    key.time = time;
    key.property = property;
    key.value = value;
    key.ease = ease ? 1 : 0;
    return key;
}

// Black declares Transparency (default 1) and Brightness (default 0).
struct ClipOfBlack : testing::Test {
    Black black;
    Clip clip{&black};
};

} // namespace

TEST(KeyOrder, KeysAddedOutOfOrderAreKeptInTimeOrder) {
    Black black;
    Clip clip(&black);
    clip.addKey(makeKey(3000, 0, 3));
    clip.addKey(makeKey(1000, 0, 1));
    clip.addKey(makeKey(2000, 0, 2));
    ASSERT_EQ(clip.keys.size(), 3u);
    EXPECT_EQ(clip.keys[0].time, 1000u);
    EXPECT_EQ(clip.keys[1].time, 2000u);
    EXPECT_EQ(clip.keys[2].time, 3000u);
    EXPECT_EQ(clip.valueAt(0, 1500), 1.0f);
    EXPECT_EQ(clip.valueAt(0, 2500), 2.0f);
}

TEST(KeyOrder, KeysWithEqualTimesKeepFileOrder) {
    Black black;
    Clip clip(&black);
    clip.addKey(makeKey(2000, 0, 9));
    clip.addKey(makeKey(1000, 0, 5, true));
    clip.addKey(makeKey(1000, 0, 6));
    clip.addKey(makeKey(1000, 0, 7));
    ASSERT_EQ(clip.keys.size(), 4u);
    EXPECT_EQ(clip.keys[0].value, 5.0f);
    EXPECT_EQ(clip.keys[1].value, 6.0f);
    EXPECT_EQ(clip.keys[2].value, 7.0f);
    EXPECT_EQ(clip.keys[3].value, 9.0f);
    // Up to and including 1000 the first of the three counts; after it the segment starts
    // from the last one, which holds.
    EXPECT_EQ(clip.valueAt(0, 1000), 5.0f);
    EXPECT_EQ(clip.valueAt(0, 1001), 7.0f);
    EXPECT_EQ(clip.valueAt(0, 2000), 7.0f);
    EXPECT_EQ(clip.valueAt(0, 2001), 9.0f);
}

TEST_F(ClipOfBlack, EasedSegmentMatchesTheReferenceTable) {
    clip.addKey(makeKey(0, 0, 0.0f, true));
    clip.addKey(makeKey(1000, 0, 1.0f));
    const struct {
        uint32_t time;
        float value;
    } table[] = {{1, 0.0000056f},   {250, 0.1468692f}, {500, 0.5003982f},
                 {750, 0.8536941f}, {999, 0.9999975f}, {1000, 1.0f}};
    for (const auto& row : table) {
        char printed[32];
        snprintf(printed, sizeof printed, "%.7f", double(clip.valueAt(0, row.time)));
        char expected[32];
        snprintf(expected, sizeof expected, "%.7f", double(row.value));
        EXPECT_STREQ(printed, expected) << "at " << row.time << " ms";
    }
    EXPECT_EQ(clip.valueAt(0, 1000), 1.0f);
}

TEST_F(ClipOfBlack, HoldKeepsTheEarlierValueUpToAndIncludingTheNextKey) {
    clip.addKey(makeKey(1000, 1, 3));
    clip.addKey(makeKey(2000, 1, 7));
    EXPECT_EQ(clip.valueAt(1, 0), 3.0f);
    EXPECT_EQ(clip.valueAt(1, 1500), 3.0f);
    EXPECT_EQ(clip.valueAt(1, 2000), 3.0f);
    EXPECT_EQ(clip.valueAt(1, 2001), 7.0f);
    EXPECT_EQ(clip.valueAt(1, 4000000000u), 7.0f);
}

TEST_F(ClipOfBlack, ASingleKeyHoldsItsValueAtEveryTime) {
    clip.addKey(makeKey(2000, 1, 0.25f, true));
    for (uint32_t t : {0u, 1999u, 2000u, 2001u, 100000u})
        EXPECT_EQ(clip.valueAt(1, t), 0.25f) << "at " << t << " ms";
}

TEST_F(ClipOfBlack, WithoutKeysEveryPropertyTakesItsDefault) {
    *black.properties()[0].target = -5;
    *black.properties()[1].target = -5;
    clip.applyProperties(1234);
    EXPECT_EQ(*black.properties()[0].target, 1.0f);
    EXPECT_EQ(*black.properties()[1].target, 0.0f);
}

TEST_F(ClipOfBlack, KeysOfOtherPropertiesDoNotAffectAProperty) {
    clip.addKey(makeKey(0, 0, 0.0f, true));
    clip.addKey(makeKey(400, 1, 0.9f));
    clip.addKey(makeKey(500, 1, 0.1f, true));
    clip.addKey(makeKey(1000, 0, 1.0f));
    EXPECT_FLOAT_EQ(clip.valueAt(0, 500), 0.5003982f);
    EXPECT_EQ(clip.valueAt(1, 450), 0.9f);
}

TEST_F(ClipOfBlack, KeysOfUndeclaredPropertiesAreIgnored) {
    clip.addKey(makeKey(0, 2, 42));
    clip.addKey(makeKey(0, -1, 42));
    clip.start = 100;
    clip.applyProperties(500);
    EXPECT_EQ(*black.properties()[0].target, 1.0f);
    EXPECT_EQ(*black.properties()[1].target, 0.0f);
}

TEST_F(ClipOfBlack, ValuesOutsideTheRangePassUnchanged) {
    clip.addKey(makeKey(0, 0, -3.5f));
    clip.addKey(makeKey(0, 1, 250.0f));
    clip.applyProperties(0);
    EXPECT_EQ(*black.properties()[0].target, -3.5f);
    EXPECT_EQ(*black.properties()[1].target, 250.0f);
}

TEST_F(ClipOfBlack, KeysAreTimedFromTheClipStartWhateverTheOffset) {
    clip.start = 10000;
    clip.offset = 5000;
    clip.addKey(makeKey(0, 1, 0.0f, true));
    clip.addKey(makeKey(1000, 1, 1.0f));
    clip.applyProperties(10500);
    EXPECT_FLOAT_EQ(*black.properties()[1].target, 0.5003982f);
}
