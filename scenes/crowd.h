// Crowd: the station hall lit by one white light, a leading spike ball flying and tumbling
// along its own path, and 40 spike balls following a second path one after another: in single
// file at first, spreading out into a loose swarm between 12.5 and 14 seconds.
#pragma once

#include "curves/camera_curve.h"
#include "engine/model.h"
#include "runtime/effect.h"

#include <cstdint>
#include <memory>

class Crowd : public Effect {
  public:
    static constexpr int kCrowdSize = 40;
    static constexpr uint32_t kReleaseModulusMs = 5000;

    // Loads its own spike ball, the station (drawn with City's model shader, so a City must
    // have loaded first) and the three curves.
    bool load() override;
    // Lays out the crowd with City's swarm procedure; the same layout on every start.
    void start() override;
    void render(uint32_t time) override;
    const char* name() override { return "Crowd"; }

    const uint32_t* getSpikeStart() const { return spikeStart; }
    const float (*getSpikeOffset() const)[3] { return spikeOffset; }
    const float (*getSpikeAngle() const)[3] { return spikeAngle; }

  private:
    std::unique_ptr<QOR::Model> spikeBallModel;
    std::unique_ptr<QOR::Model> stationModel;
    // 0: camera, 1: leading ball, 2: crowd path.
    std::unique_ptr<CameraCurve[]> curves;
    uint32_t spikeStart[kCrowdSize] = {};  // delay of each crowd ball, ms
    float spikeOffset[kCrowdSize][3] = {}; // offset from the path once the crowd has spread
    float spikeAngle[kCrowdSize][3] = {};  // fixed extra rotation, degrees
};
