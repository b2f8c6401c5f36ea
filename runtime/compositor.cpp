#include "runtime/compositor.h"

#include "engine/fbo.h"
#include "runtime/clip.h"
#include "runtime/effect.h"

#include <cassert>

namespace {

constexpr GLbitfield kAllAttributes = 0xFFFFF;

// The screen image of a screen-sized framebuffer texture over the whole viewport, texture row 0
// at the bottom edge, counter-clockwise.
void drawFramebufferImage() {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(qorGetFBOMaxU(), 0);
    glVertex2f(1, -1);
    glTexCoord2f(qorGetFBOMaxU(), qorGetFBOMaxV());
    glVertex2f(1, 1);
    glTexCoord2f(0, qorGetFBOMaxV());
    glVertex2f(-1, 1);
    glEnd();
}

void loadIdentity(GLenum mode) {
    glMatrixMode(mode);
    glLoadIdentity();
}

} // namespace

Compositor::Compositor() {
    framebuffer = qorCreateFBO();
    qorPushFBO(framebuffer);
    texture = qorGetFBOTexture();
    // The texture storage starts undefined; an idle first frame shows black, not garbage.
    glPushAttrib(kAllAttributes);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();
    qorPopFBO();
}

void Compositor::activateClip(Clip* clip) {
    assert(clip->layer < uint32_t(LAYER_COUNT));
    Clip* previous = layers[clip->layer];
    layers[clip->layer] = clip;
    if (previous && previous->effect == clip->effect) return;
    clip->effect->start();
}

void Compositor::clearLayers() {
    for (Clip*& clip : layers)
        clip = nullptr;
}

void Compositor::compose(uint32_t t) {
    qorPushFBO(framebuffer);
    for (Clip* clip : layers) {
        if (!clip || !(t < clip->start + clip->duration)) continue;
        glPushAttrib(kAllAttributes);
        glPushMatrix();
        clip->applyProperties(t);
        clip->effect->render(clip->offset + t - clip->start);
        glPopMatrix();
        glPopAttrib();
    }
    qorPopFBO();

    glPushAttrib(kAllAttributes);
    loadIdentity(GL_PROJECTION);
    loadIdentity(GL_TEXTURE);
    loadIdentity(GL_MODELVIEW);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawFramebufferImage();
    glPopAttrib();
}

void Compositor::warmUp(const std::vector<Clip*>& clips) {
    std::vector<Effect*> warmed;
    qorPushFBO(framebuffer);
    glPushAttrib(kAllAttributes);
    // Effects set up their own state but never touch the scissor: one pixel is all they draw.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    Effect::setWarmingUp(true);
    for (Clip* clip : clips) {
        bool seen = false;
        for (Effect* effect : warmed)
            seen = seen || effect == clip->effect;
        if (seen) continue;
        warmed.push_back(clip->effect);
        glPushAttrib(kAllAttributes);
        glPushMatrix();
        clip->applyProperties(clip->start);
        clip->effect->render(clip->offset);
        glPopMatrix();
        glPopAttrib();
    }
    Effect::setWarmingUp(false);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();
    qorPopFBO();
}

void drawLoadingProgress(int32_t percent) {
    glPushAttrib(kAllAttributes);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loadIdentity(GL_PROJECTION);
    loadIdentity(GL_MODELVIEW);
    float fraction = float(percent / 100.0);
    float b = 1.0f - fraction;
    glScalef(b, b, 1);
    glColor4f(b, b, b, 1);
    glDisable(GL_TEXTURE_2D);
    drawFramebufferImage();
    glPopAttrib();
}
