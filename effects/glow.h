// Glow: the picture so far, reduced to a small square, run through the glow program, smeared
// and added back. Kind 0 blurs with a cross of shifted copies, kind 1 with a zoom smear.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

class Glow : public Effect {
  public:
    static constexpr int kPropertyCount = 9;
    static const PropertyInfo kProperties[kPropertyCount];

    // Kind 0 works on 128 x 128 texels, kind 1 on 256 x 256; other kinds only have a name.
    explicit Glow(int32_t kind);
    // Builds the program (a failure leaves the fixed pipeline), declares the properties and
    // makes the three working framebuffers. Always succeeds.
    bool load() override;
    void render(uint32_t time) override;
    const char* name() override;

    // Replaces the picture in the bound framebuffer with a blurred copy of it: focus x 20
    // blur steps, without the glow program.
    void blurPass(float focus);

    // The values the "glow1" and "glow2" uniforms get for a spectrum level; exposed for tests.
    static float glow1Uniform(float level);
    static float glow2Uniform(float level);
    // The spectrum bin "FFT point" selects, kept inside the spectrum whatever the key said.
    static int fftBin();
    // Blur steps for a "Number of samples" value: truncated, none below 1, at most 30.
    static int blurStepCount(float samples);
    // The glow program (0 when it failed to build), for tests that read its uniforms.
    GLuint glowProgram() const { return program; }

  private:
    void open();
    void blurStep(int step);
    void smearDirectional();
    void addOwnPicture();
    // Copies the lower-left width x height pixels of the bound framebuffer into a texture.
    static void copyBoundInto(GLuint texture, int width, int height);

    float maxU = 0, maxV = 0;
    GLuint horizontalFramebuffer = 0, verticalFramebuffer = 0, glowFramebuffer = 0;
    GLuint horizontalTexture = 0, verticalTexture = 0, glowTexture = 0;
    GLuint program = 0;
    GLuint source = 0;
    int32_t size = 0;
    int32_t kind;
    // Snapshots that make the two feedback passes read the picture as it was before they
    // drew: the bound target (screen-sized) and the glow texture (size x size).
    GLuint sourceCopy = 0;
    GLuint glowCopy = 0;

    // Property targets, shared by every Glow.
    static float glow1, glow2, samples, sampleWidth, glowAlpha, finalAlpha, fftFade, fftPoint,
        fftStrength;
};
