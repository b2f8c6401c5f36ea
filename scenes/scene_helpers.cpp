#include "scenes/scene_helpers.h"

#include "engine/gl.h"
#include "engine/model.h"
#include "engine/model_format.h"
#include "engine/shader.h"

#include <cstdio>

void drawCenteredQuad(float w, float h) {
    float x = w / 2;
    float y = h / 2;
    const PlainTextureDraw plainTexture;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-x, -y);
    glTexCoord2f(1, 0);
    glVertex2f(x, -y);
    glTexCoord2f(1, 1);
    glVertex2f(x, y);
    glTexCoord2f(0, 1);
    glVertex2f(-x, y);
    glEnd();
}

float smoothStep(float a, float b, float x) {
    double v = (static_cast<double>(x) - a) / (static_cast<double>(b) - a);
    // Written so that NaN falls through to 0: it is neither above 1 nor above 0.
    if (v > 1)
        v = 1;
    else if (!(v > 0))
        v = 0;
    float f = static_cast<float>(v);
    return static_cast<float>(static_cast<double>(f) * f * (3.0 - 2.0 * f));
}

void drawSwingingCard(float w, float h, float maxAngle, int32_t start, int32_t end, int32_t now) {
    if (now < start || start >= end) return;
    // The sum is formed in 64 bits so that times near the 32-bit limit cannot overflow.
    int32_t mid = static_cast<int32_t>((static_cast<int64_t>(start) + end) / 2);
    float angle =
        maxAngle *
        smoothStep(static_cast<float>(start), static_cast<float>(mid), static_cast<float>(now)) *
        (1 - smoothStep(static_cast<float>(mid), static_cast<float>(end), static_cast<float>(now)));
    glPushMatrix();
    glRotatef(angle, 0, 0, 1);
    drawCenteredQuad(w, h);
    glPopMatrix();
}

void setStationLight() {
    const float position[4] = {0, 0, -100, 0};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1};
    const float ambientAndDiffuse[4] = {0.7f, 0.7f, 0.7f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambientAndDiffuse);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, ambientAndDiffuse);
}

bool checkSceneModel(const QOR::Model& model, const char* path) {
    if (model.meshes.empty()) {
        printf("Model file '%s' has no meshes\n", path);
        return false;
    }
    for (const auto& mesh : model.meshes) {
        bool hasPositions = false;
        for (const auto& stream : mesh->streams)
            hasPositions = hasPositions || stream->type == int32_t(QOR::kStreamPositions);
        if (!hasPositions) {
            printf("Model file '%s': mesh '%s' has no vertex positions (stream type 0)\n", path,
                   mesh->name);
            return false;
        }
    }
    return true;
}
