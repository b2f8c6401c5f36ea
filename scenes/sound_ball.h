// SoundBall: a ball whose surface pulses with the music. Every frame each vertex of the ball's
// first mesh is pulled towards (or pushed through) the centre by the level of one of 48
// spectrum bands, chosen by the vertex's angle around the z axis. The view turns on the spot
// with the engine clock.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

#include <vector>

namespace QOR {
class Model;
}
struct CameraCurve;

class SoundBall : public Effect {
  public:
    static constexpr int kPropertyCount = 2;
    static const PropertyInfo kProperties[kPropertyCount];
    static constexpr int kCurveCount = 2;
    static constexpr int kBandCount = 48;

    SoundBall();
    ~SoundBall() override;
    // Opens the two curves, the ball model and the blue normal picture; false when the picture
    // cannot be loaded (a broken model ends the program inside the model loader).
    bool load() override;
    void render(uint32_t time) override;
    const char* name() override { return "Sound ball"; }

    // The spectrum band (0 to 47) that moves a vertex resting at (x, y): the angle of its
    // (x, y) direction folded into one quadrant, 30 bands per radian. The z axis gives band 0.
    static int bandOf(float x, float y);
    // The loaded ball; null before load.
    QOR::Model* model() const { return ballModel; }

  private:
    void deform();

    QOR::Model* ballModel = nullptr; // owned

    // Property targets, shared by every SoundBall.
    static float zoom;
    static float specular; // declared for the timeline; nothing reads it

    // Class-wide state, created on first use and kept until exit.
    static CameraCurve* curves; // kCurveCount paths
    static GLuint bluenormalTexture;
    static int32_t curveChoice;
    static uint32_t lastSwitch;
    // Undeformed positions of the ball's first mesh, captured on the first deformation so
    // that every frame starts again from the modelled shape. restOwner is the ball they were
    // taken from: another SoundBall with another model captures its own.
    static std::vector<float> restPositions;
    static const SoundBall* restOwner;
    // The first deformation's size line is still to print: the warm-up's deformation prints
    // nothing, so the line comes when the ball first deforms in a frame.
    static bool sizeUnannounced;
};
