// Overlay: one picture over the layer, stretched over the whole viewport, with animated
// transparency, rotation, scale and position.
#pragma once

#include "engine/gl.h"
#include "engine/texture.h"
#include "runtime/effect.h"

#include <cstdint>

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

    // The texels that can show, as fractions of the picture (u left to right, v top to bottom),
    // widened by a texel for linear filtering; the whole picture when a texel that is not fully
    // transparent lies on its border, where repeating wraps it round to the opposite edge.
    struct VisibleArea {
        float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
        bool whole = true;
    };
    static VisibleArea visibleArea(const TextureAlphaBox& box);

  private:
    void findVisibleArea();
    void limitToVisibleArea() const;
    bool mapsTexelsToPixels() const;

    const char* imageFile;
    GLuint texture = 0;
    VisibleArea visible;
    bool visibleFound = false;
    char displayName[kNameSize];

    // Property targets, shared by every Overlay.
    static float transparency, rotation, scale, positionX, positionY;
};
