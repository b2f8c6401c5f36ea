#include "effects/screen_shader.h"

#include "engine/error.h"
#include "engine/fbo.h"
#include "engine/shader.h"
#include "runtime/music.h"

#include <cstdio>

namespace {

constexpr int kDeformBin = 10;
constexpr float kDeformGain = 7.0f;

} // namespace

void drawFramebufferQuad(float s, float t) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(s, 0);
    glVertex2f(1, -1);
    glTexCoord2f(s, t);
    glVertex2f(1, 1);
    glTexCoord2f(0, t);
    glVertex2f(-1, 1);
    glEnd();
}

ScreenShader::ScreenShader(const char* vertexPath, const char* fragmentPath)
    : vertexPath(vertexPath), fragmentPath(fragmentPath) {}

ScreenShader::~ScreenShader() {
    qorDeleteFBO(framebuffer);
}

bool ScreenShader::load() {
    framebuffer = qorCreateFBO();
    program = qorLoadProgram(fragmentPath, vertexPath);
    if (program == 0) {
        printf("%s\n", qorGetLastError());
        return false;
    }
    glUseProgram(program);
    initUniforms();
    glUseProgram(0);
    return true;
}

void ScreenShader::render(uint32_t time) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    float u = qorGetFBOMaxU();
    float v = qorGetFBOMaxV();
    GLuint source = qorGetFBOTexture();

    qorPushFBO(framebuffer);
    glBindTexture(GL_TEXTURE_2D, source);
    glUseProgram(program);
    updateUniforms(time);
    drawFramebufferQuad(u, v);
    glUseProgram(0);
    GLuint result = qorGetFBOTexture();
    qorPopFBO();

    glBindTexture(GL_TEXTURE_2D, result);
    const PlainTextureDraw plainTexture;
    drawFramebufferQuad(u, v);
}

DeformShader::DeformShader(const char* vertexPath, const char* fragmentPath)
    : ScreenShader(vertexPath, fragmentPath) {}

void DeformShader::initUniforms() {
    deformLocation = glGetUniformLocation(program, "deform");
}

void DeformShader::updateUniforms(uint32_t) {
    glUniform1f(deformLocation, kDeformGain * spectrumLevel(kDeformBin));
}
