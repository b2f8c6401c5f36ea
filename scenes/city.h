// City: the lit city model seen through one of three camera set-ups. Camera 0 flies through
// with a camera that shakes with the music, growing in over the first 16 seconds; cameras 1 and
// 2 fly through while a swarm of 100 spike balls, released one after another during the first
// 15 seconds, streams along a common path, each ball tumbling on its own.
#pragma once

#include "curves/camera_curve.h"
#include "engine/gl.h"
#include "runtime/effect.h"

#include <cstdint>
#include <memory>

namespace QOR {
class Model;
}

// Lays out a swarm from the C library's generator, as City and Crowd do on every start:
// srand(11), then per ball seven rand() calls: offset x, y, z (mod 5), angle x, y, z (mod 360)
// and the release time (mod releaseModulus, in ms).
void layoutSwarm(int count, uint32_t releaseModulus, uint32_t* spikeStart, float (*spikeOffset)[3],
                 float (*spikeAngle)[3]);

class City : public Effect {
  public:
    static constexpr int kSwarmSize = 100;
    static constexpr uint32_t kReleaseModulusMs = 15000;
    static constexpr int kCurveCount = 5;

    // Stores the camera index (0, 1 or 2); loads nothing.
    explicit City(int cameraIndex);
    // Loads the class-wide models (first City only), rebuilds the shared model shader, the
    // five curves and the two pictures. False after a message when a picture or the shader
    // fails; a missing model ends the program in the model loader.
    bool load() override;
    // Lays out the swarm; the same layout on every start.
    void start() override;
    void render(uint32_t time) override;
    const char* name() override;

    // The model shader built by the latest City load; Crowd and IntoStation draw with it.
    static GLuint getDefaultShader() { return defaultShader; }

    const uint32_t* getSpikeStart() const { return spikeStart; }
    const float (*getSpikeOffset() const)[3] { return spikeOffset; }
    const float (*getSpikeAngle() const)[3] { return spikeAngle; }

  private:
    // Draws the balls released between 0 and windowMs ago along one of the curves.
    void drawSwarm(uint32_t time, const CameraCurve& path, uint32_t windowMs);

    int32_t cameraIndex;
    GLuint revoltTexture = 0;   // loaded, not drawn
    GLuint vignetteTexture = 0; // loaded, not drawn
    std::unique_ptr<CameraCurve[]> curves;
    uint32_t spikeStart[kSwarmSize] = {};  // release time of each ball, ms of clip time
    float spikeOffset[kSwarmSize][3] = {}; // offset of each ball from the common path
    float spikeAngle[kSwarmSize][3] = {};  // base rotation of each ball, degrees
    float bandLevel[3] = {};               // bands 50, 65 and 55 of the current frame

    // Shared by the three City objects; created by whichever loads first, never released.
    static QOR::Model* cityModel;
    static QOR::Model* spikeBallModel;
    static GLuint defaultShader;
};
