#include "scenes/credits.h"

#include "effects/glow.h"
#include "effects/screen_shader.h"
#include "engine/camera.h"
#include "engine/error.h"
#include "engine/fbo.h"
#include "engine/model.h"
#include "engine/shader.h"
#include "engine/texture.h"
#include "runtime/clip.h"
#include "runtime/data_files.h"
#include "runtime/effect_list.h"
#include "scenes/scene_helpers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

const PropertyInfo Credits::kProperties[kPropertyCount] = {
    {"Blur focus", 0.0f, 1.0f, 0.8f},
};

GLuint Credits::greetTextures[kCardCount] = {};
GLuint Credits::flickerShader = 0;
GLint Credits::lineLocation = -1;
GLint Credits::widthLocation = -1;
QOR::Model* Credits::backdropModel = nullptr;
Glow* Credits::glow = nullptr;
Clip* Credits::glowClip = nullptr;
GLuint Credits::hullkortTexture = 0;
GLuint Credits::creditsFramebuffer = 0;
float Credits::blurFocus = 0;
Credits::Particle Credits::particleTable[kParticleCount] = {};

// Where each card sits, in view units at the cards' depth.
static const float kCardPositions[Credits::kCardCount][2] = {
    {-0.3f, 0.4f}, {0.5f, -0.6f}, {0.0f, 0.3f},    {0.1f, 0.1f}, {-0.4f, -0.7f},
    {-0.3f, 0.0f}, {0.3f, 0.4f},  {-0.4f, -0.45f}, {0.0f, 0.0f}, {0.14f, 0.7f},
    {0.0f, -0.5f}, {0.5f, 0.0f},  {0.16f, 0.5f},   {0.18f, 0.2f}};
static const GLfloat kLightPosition[4] = {0, 5, -10, 1};
static const float kBackdropBlurFocus = 0.4f;
// The glow clip's own time: every property takes its default, the clip having no keys.
static const uint32_t kGlowClipTime = 10;

Credits::CardState Credits::cardState(int card, uint32_t time) {
    uint32_t step = time / kCardStepMs;
    uint32_t within = time % kCardStepMs;
    uint32_t i = static_cast<uint32_t>(card);
    if (step < i) return CardState::Hidden;
    if (step == i + 1) return CardState::Steady;
    if (step == i + 2 && within < kCardStepMs / 4) return CardState::FlickerOut;
    if (step == i && within > kCardStepMs * 3 / 4) return CardState::FlickerIn;
    return CardState::Hidden;
}

// A flash that rises from 0.0067 to nearly 1 every 500 ms.
static float flash(uint32_t time) {
    return std::exp(5.0f * (static_cast<float>(time % 500) / 500.0f) - 5.0f);
}

float Credits::flickerLine(uint32_t time) {
    float r = 1.0f - flash(time);
    return static_cast<float>(static_cast<int>(10000.0f * r) % 1000) / 1000.0f;
}

float Credits::flickerWidth(uint32_t time, bool fadingIn) {
    float m = flash(time);
    return 0.5f * (fadingIn ? m : 1.0f - m) + 0.05f;
}

bool Credits::load() {
    for (int i = 0; i < kCardCount; i++) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        greetTextures[i] = qorLoadSharedTexture(datafiles::kGreetings[i], true);
        glPopAttrib();
        if (!greetTextures[i]) {
            printf("Failed loading credit: %s\n", datafiles::kGreetings[i]);
            return false;
        }
    }
    flickerShader = qorLoadProgram(datafiles::kFlickerShader, nullptr);
    if (!flickerShader) {
        printf("Error: %s\n", qorGetLastError());
        return false;
    }
    lineLocation = glGetUniformLocation(flickerShader, "line");
    widthLocation = glGetUniformLocation(flickerShader, "width");

    backdropModel = new QOR::Model(datafiles::kBackdropModel, GL_STATIC_DRAW);
    if (!checkSceneModel(*backdropModel, datafiles::kBackdropModel)) return false;

    // Only a real Glow offers the blur pass; anything else under that name is no glow.
    glow = dynamic_cast<Glow*>(findEffect("Default Glow"));
    if (!glow) {
        printf("Glow effect not yet loaded, failing...\n");
        return false;
    }
    glowClip = new Clip(glow);

    addProperty(kProperties[0].name, &blurFocus, kProperties[0].minValue, kProperties[0].maxValue,
                kProperties[0].defaultValue);
    hullkortTexture = qorLoadSharedTexture(datafiles::kFlakePicture, true);
    creditsFramebuffer = qorCreateFBO();
    return true;
}

void Credits::start() {
    for (Particle& particle : particleTable) {
        for (float& spin : particle.spin)
            spin = static_cast<float>(rand() % 1000) / 18000.0f;
        particle.start[0] = static_cast<float>(rand() % 2000) / 300.0f + 1.0f;
        particle.start[1] = static_cast<float>(rand() % 2000) / 300.0f + 1.0f;
        particle.start[2] = static_cast<float>(rand() % 1000) / 1000.0f;
        particle.velocity[0] = static_cast<float>(rand() % 1000) / 13000.0f - 0.4f;
        particle.velocity[1] = static_cast<float>(rand() % 1000) / 13000.0f - 0.4f;
        particle.velocity[2] = 0;
    }
}

void Credits::drawBackdrop(float seconds) {
    glPushMatrix();
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    // The camera slides along +x at one unit per second, looking straight down -z.
    float x = seconds - 10.0f;
    qorLookAt(x, 3, 7, x, 3, 0, 0, 1, 0);
    backdropModel->draw();
    glPopMatrix();

    glPushMatrix();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glowClip->applyProperties(kGlowClipTime);
    glow->blurPass(kBackdropBlurFocus);
    glPopAttrib();
    glPopMatrix();
}

// Draws the cards of this moment into the bound framebuffer, flickering ones through the
// flicker shader. Leaves each card's texture bound, whether it was drawn or not.
void Credits::drawCards(uint32_t time) {
    for (int i = 0; i < kCardCount; i++) {
        glPushMatrix();
        glTranslatef(kCardPositions[i][0], kCardPositions[i][1], 0);
        glBindTexture(GL_TEXTURE_2D, greetTextures[i]);
        CardState state = cardState(i, time);
        if (state == CardState::Steady) {
            glScalef(0.5f, 0.2f, 1);
            const PlainTextureDraw plainTexture;
            drawFramebufferQuad(1, 1);
        } else if (state != CardState::Hidden) {
            glUseProgram(flickerShader);
            glUniform1f(lineLocation, flickerLine(time));
            glUniform1f(widthLocation, flickerWidth(time, state == CardState::FlickerIn));
            glScalef(0.5f, 0.2f, 1);
            drawFramebufferQuad(1, 1);
            glUseProgram(0);
        }
        glPopMatrix();
    }
}

void Credits::drawFlakes(uint32_t time) {
    float tf = static_cast<float>(time);
    float s = tf / 1000.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(90, 1.3333334f, 0.1f, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, hullkortTexture);
    glTranslatef(0, 0, -2);
    const PlainTextureDraw plainTexture;
    for (const Particle& p : particleTable) {
        glPushMatrix();
        glTranslatef(p.start[0] + p.velocity[0] * s, p.start[1] + p.velocity[1] * s,
                     p.start[2] + p.velocity[2] * s);
        glRotatef(p.spin[2] * tf, 0, 0, 1);
        glRotatef(p.spin[0] * tf, 1, 0, 0);
        glRotatef(p.spin[1] * tf, 0, 1, 0);
        glScalef(0.3f, 0.3f, 0.3f);
        drawFramebufferQuad(1, 1);
        glPopMatrix();
    }
}

void Credits::render(uint32_t time) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(90, 1.3333334f, 0.1f, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);

    drawBackdrop(static_cast<float>(time) / 1000.0f);

    glTranslatef(0, 0, -1);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, greetTextures[0]);
    glDisable(GL_DEPTH_TEST);

    qorPushFBO(creditsFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawCards(time);
    glUseProgram(0);
    glow->render(kGlowClipTime);
    GLuint cards = qorGetFBOTexture();
    qorPopFBO();

    // The glow leaves additive blending and colour (1, 1, 1, "Final alpha") behind, so the
    // glowing cards are added onto the blurred backdrop.
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, cards);
    glTranslatef(0, 0, -1);
    {
        const PlainTextureDraw plainTexture;
        drawFramebufferQuad(qorGetFBOMaxU(), qorGetFBOMaxV());
    }
    glPopMatrix();

    drawFlakes(time);
}
