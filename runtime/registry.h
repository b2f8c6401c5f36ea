// The effect registry: the fixed, ordered list of the 29 effects the timeline file names by
// index, and the lookup by display name.
#pragma once

#include "runtime/effect.h"

#include <cstring>
#include <vector>

using EffectList = std::vector<Effect*>;
// The step that fills an empty list with the registry's effects (registerEffects in the demo).
using EffectRegistration = void (*)(EffectList& list);

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

// The list that findEffect searches; set by registerEffects. Main thread only.
inline const EffectList* registeredEffects = nullptr;

// The first registered effect whose name equals the given one exactly, or null. Works before
// the effects are loaded; null before registration.
inline Effect* findEffect(const char* name) {
    if (!registeredEffects) return nullptr;
    for (Effect* effect : *registeredEffects)
        if (strcmp(effect->name(), name) == 0) return effect;
    return nullptr;
}
