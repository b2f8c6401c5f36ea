// The list of effects a timeline draws from, the step that fills it, and the lookup by display
// name. The list itself is built above the runtime, by the production's registry.
#pragma once

#include "runtime/effect.h"

#include <cstring>
#include <vector>

using EffectList = std::vector<Effect*>;
// The step that fills an empty list with the registry's effects (registerEffects in the demo).
using EffectRegistration = void (*)(EffectList& list);

// The list that findEffect searches; set by the registration step. Main thread only.
inline const EffectList* registeredEffects = nullptr;

// The first registered effect whose name equals the given one exactly, or null. Works before
// the effects are loaded; null before registration.
inline Effect* findEffect(const char* name) {
    if (!registeredEffects) return nullptr;
    for (Effect* effect : *registeredEffects)
        if (strcmp(effect->name(), name) == 0) return effect;
    return nullptr;
}
