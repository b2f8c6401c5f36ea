#include "runtime/clip.h"

#include "runtime/effect.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int32_t kFloatProperty = 1;

// The cosine ease from previous to next at local time t, previous.time < t <= next.time:
// d runs from 1 at previous to 0 at next; e = 0.5 cos(3.14 d) + 0.5 runs from ~0 to 1.
float easeBetween(const Key& previous, const Key& next, uint32_t t) {
    float d = float(double(next.time - t) / double(next.time - previous.time));
    float cosine = float(cos(3.14 * double(d)));
    float e = float(0.5 * double(cosine) + 0.5);
    float difference = next.value - previous.value;
    return previous.value + difference * e;
}

} // namespace

Clip::Clip(Effect* effect) : effect(effect) {}

void Clip::addKey(const Key& key) {
    keys.push_back(key);
    size_t i = keys.size() - 1;
    for (; i > 0 && keys[i - 1].time > key.time; i--)
        keys[i] = keys[i - 1];
    keys[i] = key;
}

float Clip::valueAt(int32_t property, uint32_t localTime) const {
    const Key* previous = nullptr;
    for (const Key& key : keys) {
        if (key.property != property) continue;
        if (key.time >= localTime) {
            if (!previous) return key.value;
            if (!previous->ease) return previous->value;
            return easeBetween(*previous, key, localTime);
        }
        previous = &key;
    }
    if (previous) return previous->value;
    const std::vector<Property>& properties = effect->properties();
    if (property < 0 || size_t(property) >= properties.size()) return 0;
    return properties[size_t(property)].defaultValue;
}

void Clip::applyProperties(uint32_t t) const {
    uint32_t localTime = t - start;
    const std::vector<Property>& properties = effect->properties();
    for (size_t i = 0; i < properties.size(); i++) {
        if (properties[i].type != kFloatProperty) {
            printf("Error: Property type not implemented..\n");
            continue;
        }
        *properties[i].target = valueAt(int32_t(i), localTime);
    }
}
