// Full-screen passes over what the lower layers drew this frame.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

// One GL_QUADS over the whole viewport with texture row 0 at the bottom edge (the orientation
// of a framebuffer's colour texture). Sets no matrices and no other state.
void drawFramebufferQuad(float s, float t);

// Runs the bound framebuffer's picture through a fragment program into a framebuffer of its
// own and draws the result back. Subclasses feed the program through the two uniform hooks.
class ScreenShader : public Effect {
  public:
    // The paths are not copied; they must outlive the effect. The vertex path may be null.
    ScreenShader(const char* vertexPath, const char* fragmentPath);
    bool load() override;
    void render(uint32_t time) override;
    ~ScreenShader() override;
    const char* name() override { return fragmentPath; }

    // Called once with the program current, after it was built.
    virtual void initUniforms() {}
    // Called every frame with the program current, before the pass is drawn.
    virtual void updateUniforms(uint32_t) {}

  protected:
    GLuint framebuffer = 0;
    const char* vertexPath;
    const char* fragmentPath;
    GLuint program = 0;
};

// Warps the picture with the music: "deform" follows spectrum bin 10.
class DeformShader : public ScreenShader {
  public:
    DeformShader(const char* vertexPath, const char* fragmentPath);
    ~DeformShader() override = default;
    void initUniforms() override;
    void updateUniforms(uint32_t time) override;

  private:
    GLint deformLocation = -1;
};
