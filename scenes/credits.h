// Credits: the greetings scene. A backdrop slides past a sideways-moving camera, softened by
// the default glow; fourteen greeting cards take turns in the middle of the screen, each
// flickering in and out through a scan-line shader and glowing; 120 small punch-card flakes
// drift and spin in front of everything. It drives the registry's "Default Glow" itself,
// through a key-less clip of its own.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

namespace QOR {
class Model;
}
class Clip;
class Glow;

class Credits : public Effect {
  public:
    static constexpr int kPropertyCount = 1;
    static const PropertyInfo kProperties[kPropertyCount];
    static constexpr int kCardCount = 14;
    static constexpr int kParticleCount = 120;
    static constexpr uint32_t kCardStepMs = 1200;

    // What a card shows at a clip time: each card flickers in during the last quarter of the
    // step before its own, shows steadily for its own 1.2-second step, and flickers out during
    // the first quarter of the next.
    enum class CardState { Hidden, FlickerIn, Steady, FlickerOut };
    static CardState cardState(int card, uint32_t time);

    // The two uniforms of the flicker shader for a clip time: "line" (the fractional part of
    // 10 r to thousandths, r = 1 - flash) and "width" (0.05 to 0.55). Fading in, the width
    // grows with the flash; fading out, it shrinks.
    static float flickerLine(uint32_t time);
    static float flickerWidth(uint32_t time, bool fadingIn);

    // One flake: spin about x, y, z (degrees per ms), start x, y, z, velocity x, y, z (per s).
    struct Particle {
        float spin[3];
        float start[3];
        float velocity[3];
    };
    static const Particle* particles() { return particleTable; }

    // Loads the greeting cards, the flicker shader, the backdrop, finds the default glow and
    // declares "Blur focus"; false after printing which of them failed.
    bool load() override;
    // Lays out the flakes afresh from the shared random generator, without reseeding it.
    void start() override;
    void render(uint32_t time) override;
    const char* name() override { return "Credits"; }

  private:
    static void drawBackdrop(float seconds);
    static void drawCards(uint32_t time);
    static void drawFlakes(uint32_t time);

    // Class-wide state, created by load and start, kept until exit.
    static GLuint greetTextures[kCardCount];
    static GLuint flickerShader;
    static GLint lineLocation, widthLocation;
    static QOR::Model* backdropModel;
    static Glow* glow;     // the registry's "Default Glow"; not owned
    static Clip* glowClip; // key-less, so every glow property takes its default
    static GLuint hullkortTexture;
    static GLuint creditsFramebuffer;
    static float blurFocus; // target of "Blur focus"; the blur always uses 0.4
    static Particle particleTable[kParticleCount];
};
