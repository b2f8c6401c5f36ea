// Overlay: one picture over the layer, stretched over the whole viewport, with animated
// transparency, rotation, scale and position.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

class Overlay : public Effect {
  public:
    static constexpr int kPropertyCount = 5;
    static const PropertyInfo kProperties[kPropertyCount];
    static constexpr size_t kNameSize = 200;

    // The path is not copied; it must outlive the effect. A name longer than the buffer is cut.
    explicit Overlay(const char* imageFile);
    // Loads the picture; false (after the texture loader's message) when it cannot be used.
    bool load() override;
    void render(uint32_t time) override;
    const char* name() override { return displayName; }

  private:
    const char* imageFile;
    GLuint texture = 0;
    char displayName[kNameSize];

    // Property targets, shared by every Overlay.
    static float transparency, rotation, scale, positionX, positionY;
};
