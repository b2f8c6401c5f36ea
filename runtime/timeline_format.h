// The binary timeline file ("data/time"), shared by the demo's reader and the studio's writer.
//
// Little-endian, no magic, no version, read front to back:
//   int32 clip count (0: no clips; a negative count is refused as a damaged file)
//   per clip: a 24-byte clip record, then its key count of 20-byte key records.
//
// Clip record (24 bytes)             Key record (20 bytes)
//   0  int32  key count (<= 0: none)   0  uint32  time, ms from the clip's start
//   4  uint32 effect index            4  int32   property index (declaration order)
//   8  uint32 start, ms               8  uint32  reserved, not read
//  12  uint32 duration, ms           12  float32 value
//  16  uint32 layer, 0 to 4          16  uint8   ease (0: hold until the next key)
//  20  uint32 time offset, ms        17  3 bytes padding, not read
//
// Clips are stored in ascending start order; the player activates them in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

constexpr size_t kTimelineCountSize = 4;
constexpr size_t kClipRecordSize = 24;
constexpr size_t kKeyRecordSize = 20;
constexpr uint32_t kTimelineLayerCount = 5;

// One key, kept whole as read (20 bytes).
struct Key {
    uint32_t time; // ms, relative to the clip's start (not shifted by the time offset)
    int32_t property;
    uint32_t reserved;
    float value;
    uint8_t ease; // nonzero: ease from this key to the next key of the same property
    uint8_t padding[3];
};
static_assert(sizeof(Key) == kKeyRecordSize, "a key is one 20-byte record");

struct ClipRecord {
    int32_t keyCount;
    uint32_t effect;
    uint32_t start;
    uint32_t duration;
    uint32_t layer;
    uint32_t offset;
};

// A whole timeline file as numbers, before any effect is attached. The writer writes the counts
// as given (so tests can write inconsistent files); the reader fills keys from the key count.
struct TimelineClipData {
    ClipRecord record;
    std::vector<Key> keys; // file order
};
struct TimelineFileData {
    int32_t clipCount = 0;
    std::vector<TimelineClipData> clips;
};

inline uint32_t readLe32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

inline void writeLe32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; i++)
        bytes[i] = uint8_t(value >> (8 * i));
}

inline ClipRecord decodeClipRecord(const uint8_t* bytes) {
    return ClipRecord{int32_t(readLe32(bytes)), readLe32(bytes + 4),  readLe32(bytes + 8),
                      readLe32(bytes + 12),     readLe32(bytes + 16), readLe32(bytes + 20)};
}

inline void encodeClipRecord(const ClipRecord& record, uint8_t* bytes) {
    writeLe32(bytes, uint32_t(record.keyCount));
    writeLe32(bytes + 4, record.effect);
    writeLe32(bytes + 8, record.start);
    writeLe32(bytes + 12, record.duration);
    writeLe32(bytes + 16, record.layer);
    writeLe32(bytes + 20, record.offset);
}

inline Key decodeKey(const uint8_t* bytes) {
    Key key;
    key.time = readLe32(bytes);
    key.property = int32_t(readLe32(bytes + 4));
    key.reserved = readLe32(bytes + 8);
    uint32_t valueBits = readLe32(bytes + 12);
    memcpy(&key.value, &valueBits, 4);
    key.ease = bytes[16];
    memcpy(key.padding, bytes + 17, 3);
    return key;
}

inline void encodeKey(const Key& key, uint8_t* bytes) {
    writeLe32(bytes, key.time);
    writeLe32(bytes + 4, uint32_t(key.property));
    writeLe32(bytes + 8, key.reserved);
    uint32_t valueBits;
    memcpy(&valueBits, &key.value, 4);
    writeLe32(bytes + 12, valueBits);
    bytes[16] = key.ease;
    memcpy(bytes + 17, key.padding, 3);
}

// Reads a timeline file's bytes into numbers. Returns false with the problem in words (without
// the file name) when the bytes end before the counts say, an effect index is effectCount or
// more, or a layer is 5 or more. Counts are checked against the bytes left before anything is
// stored, so a huge count costs nothing.
bool parseTimeline(const uint8_t* bytes, size_t size, uint32_t effectCount,
                   TimelineFileData& timeline, std::string& problem);
