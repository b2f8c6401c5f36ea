#include "scenes/overlay.h"

#include "engine/shader.h"
#include "engine/texture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

const PropertyInfo Overlay::kProperties[kPropertyCount] = {
    {"Transparency", 0, 1, 1}, {"Rotation", -180, 180, 0}, {"Scale", 0.1f, 10, 1},
    {"Position X", -1, 1, 0},  {"Position Y", -1, 1, 0},
};

float Overlay::transparency, Overlay::rotation, Overlay::scale, Overlay::positionX,
    Overlay::positionY;

Overlay::Overlay(const char* imageFile) : imageFile(imageFile) {
    snprintf(displayName, sizeof displayName, "Overlay: %s", imageFile);
    float* const targets[kPropertyCount] = {&transparency, &rotation, &scale, &positionX,
                                            &positionY};
    addProperties(kProperties, targets, kPropertyCount);
}

Overlay::VisibleArea Overlay::visibleArea(const TextureAlphaBox& box) {
    VisibleArea area;
    if (box.x1 < box.x0) { // nothing shows: an empty area
        area.whole = false;
        area.u0 = area.u1 = area.v0 = area.v1 = 0.5f;
        return area;
    }
    if (box.x0 == 0 || box.y0 == 0 || box.x1 == box.width - 1 || box.y1 == box.height - 1)
        return area;
    // Linear filtering reaches half a texel out; a whole texel more leaves room for rounding.
    area.whole = false;
    area.u0 = float(box.x0 - 1) / float(box.width);
    area.u1 = float(box.x1 + 2) / float(box.width);
    area.v0 = float(box.y0 - 1) / float(box.height);
    area.v1 = float(box.y1 + 2) / float(box.height);
    return area;
}

bool Overlay::load() {
    texture = qorLoadSharedTexture(imageFile, true);
    return texture != 0;
}

// The visible area is found from the alpha box recorded when the picture was uploaded.
void Overlay::findVisibleArea() {
    if (visibleFound) return;
    TextureAlphaBox box;
    if (qorGetTextureAlphaBox(texture, &box)) visible = visibleArea(box);
    visibleFound = true;
}

// Scissors the quad's draw to the window box of the visible area under the current matrices:
// outside it every texel is fully transparent, and a fragment of alpha 0 blends to the colour
// already there, so only pixels that cannot change are left out. Not done with the depth test
// on, where the quad's depth writes elsewhere could matter to a later layer.
void Overlay::limitToVisibleArea() const {
    if (visible.whole || glIsEnabled(GL_DEPTH_TEST)) return;
    GLint blendSource = 0, blendDestination = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendSource);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendDestination);
    if (blendSource != GL_SRC_ALPHA || blendDestination != GL_ONE_MINUS_SRC_ALPHA) return;
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    float left = 1e30f, right = -1e30f, bottom = 1e30f, top = -1e30f;
    for (float u : {visible.u0, visible.u1})
        for (float v : {visible.v0, visible.v1}) {
            // drawScreenQuad puts texture (0, 0) at (-1, 1) and (1, 1) at (1, -1).
            float x = -1 + 2 * u, y = 1 - 2 * v;
            float ex = modelview[0] * x + modelview[4] * y + modelview[12];
            float ey = modelview[1] * x + modelview[5] * y + modelview[13];
            float wx = viewport[0] + (ex + 1) / 2 * float(viewport[2]);
            float wy = viewport[1] + (ey + 1) / 2 * float(viewport[3]);
            // A move, turn or scale of NaN or infinity from the timeline has no box to find.
            if (!std::isfinite(wx) || !std::isfinite(wy)) return;
            left = std::min(left, wx);
            right = std::max(right, wx);
            bottom = std::min(bottom, wy);
            top = std::max(top, wy);
        }
    // Two pixels of margin for the rasterizer's rounding; the projection is the identity. The box
    // is clamped to the viewport while still a float: a huge scale puts it far beyond any int.
    auto clampTo = [](float value, int low, int high) {
        return int(std::max(float(low), std::min(float(high), value)));
    };
    const int right0 = viewport[0] + viewport[2], top0 = viewport[1] + viewport[3];
    int x0 = clampTo(std::floor(left) - 2, viewport[0], right0);
    int y0 = clampTo(std::floor(bottom) - 2, viewport[1], top0);
    int x1 = clampTo(std::ceil(right) + 2, viewport[0], right0);
    int y1 = clampTo(std::ceil(top) + 2, viewport[1], top0);
    if (glIsEnabled(GL_SCISSOR_TEST)) { // stay inside the caller's box too
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        x0 = std::max(x0, box[0]);
        y0 = std::max(y0, box[1]);
        x1 = std::min(x1, box[0] + box[2]);
        y1 = std::min(y1, box[1] + box[3]);
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

// Whether the quad lays the picture texel for pixel on the viewport: no move, turn or scale and a
// picture of the viewport's size. Every pixel centre then falls on a texel centre, where linear
// filtering returns that texel alone, so nearest sampling gives the same pixels for less work.
bool Overlay::mapsTexelsToPixels() const {
    if (positionX != 0 || positionY != 0 || rotation != 0 || scale != 1) return false;
    GLint width = 0, height = 0, viewport[4];
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetIntegerv(GL_VIEWPORT, viewport);
    return width == viewport[2] && height == viewport[3];
}

void Overlay::render(uint32_t) {
    findVisibleArea();
    glClear(GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, transparency);
    glTranslatef(positionX, positionY, 0);
    glRotatef(rotation, 0, 0, 1);
    glScalef(scale, scale, scale);
    // The scissor is put back by hand: an attribute push and pop here would change which
    // current colour later layers inherit from this one.
    GLint callerBox[4];
    glGetIntegerv(GL_SCISSOR_BOX, callerBox);
    const bool callerScissors = glIsEnabled(GL_SCISSOR_TEST);
    limitToVisibleArea();
    const PlainTextureDraw plainTexture;
    // A sampler object overrides the shared texture's own filtering for this draw only.
    static GLuint nearestSampler = 0;
    const bool nearest = GLEW_ARB_sampler_objects && mapsTexelsToPixels();
    if (nearest) {
        if (nearestSampler == 0 || !glIsSampler(nearestSampler)) {
            glGenSamplers(1, &nearestSampler);
            glSamplerParameteri(nearestSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glSamplerParameteri(nearestSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
        glBindSampler(0, nearestSampler);
    }
    drawScreenQuad(1, 1);
    if (nearest) glBindSampler(0, 0);
    glScissor(callerBox[0], callerBox[1], callerBox[2], callerBox[3]);
    if (!callerScissors) glDisable(GL_SCISSOR_TEST);
}
