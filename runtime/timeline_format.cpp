#include "runtime/timeline_format.h"

#include <cstdio>

namespace {

std::string describe(const char* format, unsigned long long a, unsigned long long b = 0,
                     unsigned long long c = 0) {
    char text[200];
    snprintf(text, sizeof text, format, a, b, c);
    return text;
}

} // namespace

bool parseTimeline(const uint8_t* bytes, size_t size, uint32_t effectCount,
                   TimelineFileData& timeline, std::string& problem) {
    timeline = TimelineFileData();
    if (size < kTimelineCountSize) {
        problem = describe("the file ends inside the clip count (%llu of 4 bytes)", size);
        return false;
    }
    timeline.clipCount = int32_t(readLe32(bytes));
    size_t at = kTimelineCountSize;
    // No tool writes a negative count: such a file is damaged, not an empty production.
    if (timeline.clipCount < 0) {
        problem = "the clip count " + std::to_string(timeline.clipCount) + " is negative";
        return false;
    }
    uint32_t clipCount = timeline.clipCount > 0 ? uint32_t(timeline.clipCount) : 0;
    if (clipCount > (size - at) / kClipRecordSize) {
        problem = describe("the clip count is %llu, but the file holds at most %llu clip records",
                           clipCount, (size - at) / kClipRecordSize);
        return false;
    }
    timeline.clips.reserve(clipCount);
    for (uint32_t i = 0; i < clipCount; i++) {
        if (size - at < kClipRecordSize) {
            problem = describe("the file ends inside clip record %llu of %llu", i, clipCount);
            return false;
        }
        TimelineClipData clip;
        clip.record = decodeClipRecord(bytes + at);
        at += kClipRecordSize;
        if (clip.record.effect >= effectCount) {
            problem = describe("clip %llu uses effect index %llu; there are only %llu effects", i,
                               clip.record.effect, effectCount);
            return false;
        }
        if (clip.record.layer >= kTimelineLayerCount) {
            problem =
                describe("clip %llu is on layer %llu; the layers are 0 to 4", i, clip.record.layer);
            return false;
        }
        uint32_t keyCount = clip.record.keyCount > 0 ? uint32_t(clip.record.keyCount) : 0;
        if (keyCount > (size - at) / kKeyRecordSize) {
            problem = describe("the file ends inside the keys of clip %llu (%llu keys, room for "
                               "%llu)",
                               i, keyCount, (size - at) / kKeyRecordSize);
            return false;
        }
        clip.keys.reserve(keyCount);
        for (uint32_t k = 0; k < keyCount; k++, at += kKeyRecordSize)
            clip.keys.push_back(decodeKey(bytes + at));
        timeline.clips.push_back(std::move(clip));
    }
    return true;
}
