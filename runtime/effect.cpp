#include "runtime/effect.h"

#include "engine/gl.h"

bool Effect::warmingUp = false;

const char* Effect::propertyName(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= propertyList.size()) return nullptr;
    return propertyList[static_cast<size_t>(index)].name;
}

void Effect::addProperty(const char* name, float* target, float minValue, float maxValue,
                         float defaultValue) {
    propertyList.push_back(Property{target, minValue, maxValue, defaultValue, name, 1});
}

void Effect::addProperties(const PropertyInfo* table, float* const* targets, int count) {
    for (int i = 0; i < count; i++)
        addProperty(table[i].name, targets[i], table[i].minValue, table[i].maxValue,
                    table[i].defaultValue);
}

void Effect::drawScreenQuad(float s, float t) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, 1);
    glTexCoord2f(s, 0);
    glVertex2f(1, 1);
    glTexCoord2f(s, t);
    glVertex2f(1, -1);
    glTexCoord2f(0, t);
    glVertex2f(-1, -1);
    glEnd();
}

const PropertyInfo Black::kProperties[2] = {
    {"Transparency", 0.0f, 1.0f, 1.0f},
    {"Brightness", 0.0f, 1.0f, 0.0f},
};

float Black::opacity;
float Black::greyLevel;

Black::Black() {
    float* const targets[] = {&opacity, &greyLevel};
    addProperties(kProperties, targets, 2);
}

void Black::render(uint32_t) {
    glClear(GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glColor4f(greyLevel, greyLevel, greyLevel, opacity);
    glUseProgram(0);
    drawScreenQuad(1, 1);
}
