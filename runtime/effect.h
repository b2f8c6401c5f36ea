// The base of every effect: named, animatable float properties and the operations the
// composition calls. Also the simplest effect, Black.
#pragma once

#include <cstdint>
#include <vector>

// One declared property. Targets are class-wide floats; the composition writes a clip's
// values into them right before that clip's render.
struct Property {
    float* target;  // not owned
    float minValue; // descriptive only, never enforced
    float maxValue;
    float defaultValue;
    const char* name; // not owned (string literal)
    int32_t type;     // always 1 (float)
};

// A row of an effect class's property table. Each class keeps one table; both its
// addProperty calls and the timeline compiler read it, so the two cannot drift apart.
struct PropertyInfo {
    const char* name;
    float minValue;
    float maxValue;
    float defaultValue;
};

class Effect {
  public:
    Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Loads files and GL resources once, after the window exists; false after printing why.
    virtual bool load() { return true; }
    // Runs when a clip puts this effect on a layer that held another effect or none.
    virtual void start() {}
    // Draws one frame at a clip-local time in milliseconds, into the bound framebuffer.
    virtual void render(uint32_t time) = 0;
    virtual ~Effect() = default;
    // Name of the property at an index; an index past the end gives null.
    virtual const char* propertyName(int32_t index);
    virtual const char* name() = 0;

    const std::vector<Property>& properties() const { return propertyList; }

    // Whether the renders now are the loading's warm-up (Compositor::warmUp), which only lets
    // the driver build its shaders: an effect prints nothing then, so that the console shows
    // what a run without the warm-up shows. Main thread.
    static bool isWarmingUp() { return warmingUp; }
    static void setWarmingUp(bool on) { warmingUp = on; }

  protected:
    void addProperty(const char* name, float* target, float minValue, float maxValue,
                     float defaultValue);
    // Declares every row of a property table, in order, onto the matching targets.
    void addProperties(const PropertyInfo* table, float* const* targets, int count);
    // One GL_QUADS over the whole viewport in normalised device coordinates, texture row 0 at
    // the top edge. Sets no matrices.
    static void drawScreenQuad(float s, float t);

  private:
    std::vector<Property> propertyList;
    static bool warmingUp;
};

// A flat grey quad blended over the layers below; "Transparency" 1 is fully opaque.
class Black : public Effect {
  public:
    static const PropertyInfo kProperties[2];

    Black();
    void render(uint32_t time) override;
    const char* name() override { return "Black"; }

  private:
    static float opacity;
    static float greyLevel;
};
