// Stand-ins for the effect classes that are not built yet. Each carries the registry name of
// its entry and declares its future class's properties (from that class's table, in the same
// order, at the same moment: constructor or load), loads successfully and draws nothing, so a
// timeline written today stays valid when the real class replaces it.
#pragma once

#include "runtime/effect.h"

#include <string>

// The property tables of the classes to come, named after the class. The real classes take
// them over as their own kProperties.
extern const PropertyInfo kGlowProperties[9];
extern const PropertyInfo kOverlayProperties[5];

class StandInEffect : public Effect {
  public:
    enum class DeclareIn { Constructor, Load };

    // The table and targets (class-wide storage of the future class) must outlive the effect.
    StandInEffect(std::string displayName, const PropertyInfo* table, float* const* targets,
                  int propertyCount, DeclareIn when);
    bool load() override;
    void render(uint32_t) override {}
    const char* name() override { return displayName.c_str(); }

  private:
    std::string displayName;
    const PropertyInfo* table;
    float* const* targets;
    int propertyCount;
    DeclareIn when;
};

// One stand-in per future class, constructed with the registry's arguments.
Effect* makeGlowStandIn(int kind);
Effect* makeDeformShaderStandIn(const char* fragmentPath);
Effect* makeOverlayStandIn(const char* imagePath);
