#include "scenes/overlay.h"

#include "engine/texture.h"

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

bool Overlay::load() {
    texture = qorLoadSharedTexture(imageFile, true);
    return texture != 0;
}

void Overlay::render(uint32_t) {
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
    drawScreenQuad(1, 1);
}
