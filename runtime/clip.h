// A clip binds one effect to a span of the timeline and a layer, with the keys that animate the
// effect's properties.
#pragma once

#include "runtime/timeline_format.h"

#include <cstdint>
#include <vector>

class Effect;

class Clip {
  public:
    // A key-less clip of the effect, starting at 0 with offset 0.
    explicit Clip(Effect* effect);
    virtual ~Clip() = default;

    // Inserts a key after every key whose time is not greater: keys stay in time order, and
    // keys with equal times keep the order in which they were added.
    void addKey(const Key& key);

    // The property's value at a clip-local time: held or cosine-eased between its keys, the
    // first key's value before it, the last key's value after it, the default without keys.
    float valueAt(int32_t property, uint32_t localTime) const;

    // Writes every declared property's value at timeline time t into its target. Keys are
    // timed from the clip's start; the time offset plays no part.
    void applyProperties(uint32_t t) const;

    std::vector<Key> keys; // ascending time, ties in file order
    Effect* effect;        // not owned
    uint32_t start = 0;
    uint32_t duration = 0;
    uint32_t layer = 0;
    uint32_t offset = 0;
};
