// The effect registry: the fixed, ordered list of the 29 effects the timeline file names by
// index, and their descriptions for the timeline compiler.
#pragma once

#include "runtime/effect_list.h"

constexpr int kEffectCount = 29;

// Constructs the 29 effects in index order and appends them to the list; remembers the list for
// findEffect. Opens no files and issues no GL calls. The effects live until the process ends.
void registerEffects(EffectList& list);

// One registry entry as data: its display name and its class's property table. The timeline
// compiler reads names and property indexes from here, without constructing effects.
struct EffectDescription {
    const char* name;
    const PropertyInfo* properties; // the class's own table, in declaration order
    int propertyCount;
};
// The description of entry 0 to kEffectCount - 1.
const EffectDescription& describeEffect(int index);
