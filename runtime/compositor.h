// Frame composition: the five layers of clips drawn into one off-screen framebuffer and copied
// to the window, and the loading screen.
#pragma once

#include "engine/gl.h"

#include <cstdint>
#include <vector>

class Clip;
class Effect;

constexpr int LAYER_COUNT = 5;

class Compositor {
  public:
    // Creates the screen-sized framebuffer and clears it to black. Needs the GL context.
    Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // Puts a clip on its layer (below LAYER_COUNT). Its effect's start runs unless the clip it
    // replaces had the same effect.
    void activateClip(Clip* clip);
    // Empties every layer; no effect's start or render runs. The next activation on a layer
    // starts its effect.
    void clearLayers();
    // Draws every layer's clip that is still running at timeline time t (start + duration > t)
    // into the framebuffer, then adds the picture to the current framebuffer.
    void compose(uint32_t t);

    // Draws the effect of each clip once (the first clip of each effect, at its start), with
    // only one pixel writable, and then clears the framebuffer to black: the driver builds the
    // shader variants the clips need now, during loading, not in their first frames. Starts
    // no effect and leaves the layers empty; Effect::isWarmingUp() is true meanwhile.
    void warmUp(const std::vector<Clip*>& clips);

    GLuint framebufferName() const { return framebuffer; }
    Clip* layerClip(int layer) const { return layers[layer]; }

  private:
    Clip* layers[LAYER_COUNT] = {};
    GLuint framebuffer;
    GLuint texture;
};

// Draws the loading screen into the window for a percentage: a centred rectangle of grey level
// and size 1 - percent / 100 on black. The caller shows it with qorSwapBuffer.
void drawLoadingProgress(int32_t percent);
