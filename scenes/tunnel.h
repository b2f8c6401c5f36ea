// Tunnel: a flight down a textured tunnel that slowly rolls, its texture streaming past faster
// when the music is loud, the camera swaying on a fixed pattern of sines, and a probe floating
// ahead of the viewer, always drawn in front of the tunnel.
#pragma once

#include "runtime/effect.h"

#include <cstdint>

namespace QOR {
class Model;
}

class Tunnel : public Effect {
  public:
    // Loads the tunnel and probe models; a missing model ends the program in the model loader.
    bool load() override;
    // Resets the texture scroll and starts timing frames from now.
    void start() override;
    void render(uint32_t time) override;
    const char* name() override { return "Tunnel"; }

    // The accumulated texture scroll after the latest frame.
    static float getScroll() { return scroll; }

  private:
    static QOR::Model* tunnelModel;
    static QOR::Model* probeModel;
    // Advanced once per rendered frame by the wall-clock time since the previous frame, so the
    // texture streams at the same speed whatever the frame rate or the clip time does.
    static float scroll;
    static uint32_t lastTicks; // low 32 bits of qorGetTicks at the previous frame
};
