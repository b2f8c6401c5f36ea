#include "runtime/standins.h"

#include <utility>

const PropertyInfo kGlowProperties[9] = {
    {"Glow1", 1.0f, 100.0f, 47.3f},
    {"Glow2", 0.0f, 10.0f, 1.24f},
    {"Number of samples", 2.0f, 30.0f, 10.0f},
    {"Sample width", 0.001f, 0.1f, 0.005f},
    {"Glow alpha", 0.0f, 1.0f, 0.4f},
    {"Final alpha", 0.0f, 1.0f, 1.0f},
    {"FFT fade", 0.0f, 1.0f, 0.0f},
    {"FFT point", 2.0f, 100.0f, 2.0f},
    {"FFT strength", 2.0f, 20.0f, 2.0f},
};

const PropertyInfo kOverlayProperties[5] = {
    {"Transparency", 0.0f, 1.0f, 1.0f}, {"Rotation", -180.0f, 180.0f, 0.0f},
    {"Scale", 0.1f, 10.0f, 1.0f},       {"Position X", -1.0f, 1.0f, 0.0f},
    {"Position Y", -1.0f, 1.0f, 0.0f},
};

namespace {

// Class-wide property storage of each future class, shared by all its instances.
float glowValues[9];
float overlayValues[5];

float* const kGlowTargets[9] = {&glowValues[0], &glowValues[1], &glowValues[2],
                                &glowValues[3], &glowValues[4], &glowValues[5],
                                &glowValues[6], &glowValues[7], &glowValues[8]};
float* const kOverlayTargets[5] = {&overlayValues[0], &overlayValues[1], &overlayValues[2],
                                   &overlayValues[3], &overlayValues[4]};

using DeclareIn = StandInEffect::DeclareIn;

Effect* plainStandIn(std::string name) {
    return new StandInEffect(std::move(name), nullptr, nullptr, 0, DeclareIn::Constructor);
}

} // namespace

StandInEffect::StandInEffect(std::string displayName, const PropertyInfo* table,
                             float* const* targets, int propertyCount, DeclareIn when)
    : displayName(std::move(displayName)), table(table), targets(targets),
      propertyCount(propertyCount), when(when) {
    if (when == DeclareIn::Constructor) addProperties(table, targets, propertyCount);
}

bool StandInEffect::load() {
    if (when == DeclareIn::Load && properties().empty())
        addProperties(table, targets, propertyCount);
    return true;
}

Effect* makeGlowStandIn(int kind) {
    const char* name = kind == 0 ? "Default Glow" : kind == 1 ? "Directional Glow" : "Unknown Glow";
    return new StandInEffect(name, kGlowProperties, kGlowTargets, 9, DeclareIn::Load);
}

Effect* makeDeformShaderStandIn(const char* fragmentPath) {
    return plainStandIn(fragmentPath);
}

Effect* makeOverlayStandIn(const char* imagePath) {
    return new StandInEffect(std::string("Overlay: ") + imagePath, kOverlayProperties,
                             kOverlayTargets, 5, DeclareIn::Constructor);
}
