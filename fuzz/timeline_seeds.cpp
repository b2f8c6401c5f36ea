// Writes the timeline fuzz target's seed corpus with the studio's timeline writer.
#include "fuzz/seed_writer.h"
#include "tools/timeline/timeline_text.h"

#include <vector>

namespace {

std::string bytesOf(const TimelineFileData& timeline) {
    std::vector<uint8_t> bytes = encodeTimeline(timeline);
    return std::string(bytes.begin(), bytes.end());
}

Key makeKey(uint32_t time, int32_t property, float value, uint8_t ease) {
    Key key{};
    key.time = time;
    key.property = property;
    key.value = value;
    key.ease = ease;
    return key;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    TimelineFileData empty;
    TimelineFileData fades;
    fades.clipCount = 2;
    fades.clips.push_back(
        {ClipRecord{3, 6, 0, 4000, 4, 0},
         {makeKey(0, 0, 1, 1), makeKey(2000, 0, 0, 0), makeKey(1000, 1, 0.5f, 1)}});
    fades.clips.push_back({ClipRecord{-2, 9, 100, 8000, 0, 500}, {}});
    TimelineFileData sameTimes;
    sameTimes.clipCount = 1;
    sameTimes.clips.push_back({ClipRecord{4, 0, 0, 1000, 1, 0},
                               {makeKey(500, 8, 2, 1), makeKey(500, 8, 3, 1), makeKey(0, 8, 1, 1),
                                makeKey(900, 8, 4, 0)}});
    bool ok = writeSeed(argv[1], "empty", bytesOf(empty)) &&
              writeSeed(argv[1], "fades", bytesOf(fades)) &&
              writeSeed(argv[1], "same-times", bytesOf(sameTimes));
    return ok ? 0 : 1;
}
