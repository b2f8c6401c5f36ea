#include "runtime/timeline_format.h"
#include "tools/timeline/timeline_text.h"

#include <gtest/gtest.h>

namespace {

Key makeKey(uint32_t time, int32_t property, float value) {
    Key key{};
    key.time = time;
    key.property = property;
    key.value = value;
    return key;
}

bool parse(const std::vector<uint8_t>& bytes, TimelineFileData& timeline, std::string& problem) {
    return parseTimeline(bytes.data(), bytes.size(), 29, timeline, problem);
}

TimelineFileData oneClip(ClipRecord record, std::vector<Key> keys = {}) {
    TimelineFileData timeline;
    timeline.clipCount = 1;
    timeline.clips.push_back({record, keys});
    return timeline;
}

} // namespace

TEST(TimelineFile, RecordsAreLittleEndianOfTheFixedSizes) {
    TimelineFileData timeline = oneClip({1, 6, 0x01020304, 2000, 4, 7}, {makeKey(5, 1, 1.0f)});
    timeline.clips[0].keys[0].ease = 1;
    std::vector<uint8_t> bytes = encodeTimeline(timeline);
    ASSERT_EQ(bytes.size(), 4u + 24u + 20u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[4 + 4], 6);
    EXPECT_EQ(bytes[4 + 8], 0x04);
    EXPECT_EQ(bytes[4 + 11], 0x01);
    EXPECT_EQ(bytes[4 + 16], 4);
    EXPECT_EQ(bytes[28 + 0], 5);
    EXPECT_EQ(bytes[28 + 4], 1);
    EXPECT_EQ(bytes[28 + 15], 0x3f); // 1.0f = 0x3f800000
    EXPECT_EQ(bytes[28 + 16], 1);
}

TEST(TimelineFile, ACountOfZeroHasNoClipsANegativeCountIsRefused) {
    TimelineFileData timeline;
    TimelineFileData read;
    std::string problem;
    ASSERT_TRUE(parse(encodeTimeline(timeline), read, problem)) << problem;
    EXPECT_EQ(read.clipCount, 0);
    EXPECT_TRUE(read.clips.empty());
    for (int32_t count : {-1, INT32_MIN}) {
        timeline.clipCount = count;
        EXPECT_FALSE(parse(encodeTimeline(timeline), read, problem));
        EXPECT_EQ(problem, "the clip count " + std::to_string(count) + " is negative");
    }
}

TEST(TimelineFile, ANegativeKeyCountMeansNoKeysAndTheNextRecordFollows) {
    TimelineFileData timeline = oneClip({-3, 6, 100, 200, 1, 0});
    timeline.clipCount = 2;
    timeline.clips.push_back({ClipRecord{1, 15, 300, 400, 2, 50}, {makeKey(10, 0, 0.5f)}});
    TimelineFileData read;
    std::string problem;
    ASSERT_TRUE(parse(encodeTimeline(timeline), read, problem)) << problem;
    ASSERT_EQ(read.clips.size(), 2u);
    EXPECT_TRUE(read.clips[0].keys.empty());
    EXPECT_EQ(read.clips[1].record.effect, 15u);
    EXPECT_EQ(read.clips[1].record.start, 300u);
    EXPECT_EQ(read.clips[1].record.offset, 50u);
    ASSERT_EQ(read.clips[1].keys.size(), 1u);
    EXPECT_EQ(read.clips[1].keys[0].value, 0.5f);
}

TEST(TimelineFile, AnEffectIndexBeyondTheRegistryIsRefused) {
    TimelineFileData read;
    std::string problem;
    EXPECT_TRUE(parse(encodeTimeline(oneClip({0, 28, 0, 1, 0, 0})), read, problem));
    EXPECT_FALSE(parse(encodeTimeline(oneClip({0, 29, 0, 1, 0, 0})), read, problem));
    EXPECT_EQ(problem, "clip 0 uses effect index 29; there are only 29 effects");
    EXPECT_FALSE(parse(encodeTimeline(oneClip({0, 0xFFFFFFFF, 0, 1, 0, 0})), read, problem));
}

TEST(TimelineFile, ALayerOfFiveOrMoreIsRefused) {
    TimelineFileData read;
    std::string problem;
    EXPECT_TRUE(parse(encodeTimeline(oneClip({0, 6, 0, 1, 4, 0})), read, problem));
    EXPECT_FALSE(parse(encodeTimeline(oneClip({0, 6, 0, 1, 5, 0})), read, problem));
    EXPECT_EQ(problem, "clip 0 is on layer 5; the layers are 0 to 4");
}

TEST(TimelineFile, AFileEndingBeforeItsCountsSayIsRefused) {
    TimelineFileData read;
    std::string problem;
    std::vector<uint8_t> bytes = encodeTimeline(oneClip({2, 6, 0, 1, 0, 0}, {makeKey(0, 0, 1)}));
    EXPECT_FALSE(parse(bytes, read, problem));
    EXPECT_EQ(problem, "the file ends inside the keys of clip 0 (2 keys, room for 1)");

    bytes = encodeTimeline(oneClip({0, 6, 0, 1, 0, 0}));
    bytes.pop_back();
    EXPECT_FALSE(parse(bytes, read, problem));
    EXPECT_EQ(problem, "the clip count is 1, but the file holds at most 0 clip records");

    bytes = {1, 0};
    EXPECT_FALSE(parse(bytes, read, problem));
    EXPECT_EQ(problem, "the file ends inside the clip count (2 of 4 bytes)");
}

TEST(TimelineFile, HugeCountsAreRefusedWithoutAllocatingForThem) {
    TimelineFileData timeline = oneClip({0x7FFFFFFF, 6, 0, 1, 0, 0});
    timeline.clipCount = 0x7FFFFFFF;
    TimelineFileData read;
    std::string problem;
    EXPECT_FALSE(parse(encodeTimeline(timeline), read, problem));
    EXPECT_EQ(problem, "the clip count is 2147483647, but the file holds at most 1 clip records");
    timeline.clipCount = 1;
    EXPECT_FALSE(parse(encodeTimeline(timeline), read, problem));
    EXPECT_EQ(problem, "the file ends inside the keys of clip 0 (2147483647 keys, room for 0)");
}
