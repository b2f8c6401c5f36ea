// IntoStation: a narrow-angle camera flies into the station while the probe travels along its
// own path. Both paths come from curve files; nothing here follows the music.
#pragma once

#include "curves/camera_curve.h"
#include "engine/model.h"
#include "runtime/effect.h"

#include <cstdint>
#include <memory>

class IntoStation : public Effect {
  public:
    // Loads its own probe, the station entrance (drawn with City's model shader, so a City
    // must have loaded first) and the two curves.
    bool load() override;
    void render(uint32_t time) override;
    const char* name() override { return "IntoStation"; }

  private:
    std::unique_ptr<QOR::Model> probeModel;
    std::unique_ptr<QOR::Model> stationModel;
    std::unique_ptr<CameraCurve[]> curves; // 0: camera, 1: probe path
};
