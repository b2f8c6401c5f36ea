#include "scenes/train.h"

#include "engine/camera.h"
#include "engine/model.h"
#include "engine/shader.h"
#include "engine/texture.h"
#include "runtime/data_files.h"
#include "runtime/music.h"
#include "scenes/scene_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

QOR::Model* Train::ideaModel = nullptr;
GLuint Train::vertexNoiseShader = 0;
GLint Train::noiseLocation = -1;
GLint Train::sizeLocation = -1;

// Largest wobble of the idea object, in model units.
static const float kIdeaWobbleSize = 0.5f;

// One swinging caption card: where it sits relative to the card before it, its resting tilt,
// how far it swings and when.
struct CaptionCard {
    float stepX, stepY;
    float tilt;
    float swing;
    int32_t startMs, endMs;
};
static const CaptionCard kCaptionCards[4] = {
    {0.0f, 0.0f, 5.0f, 45.0f, 2000, 2300},
    {-0.2f, -0.3f, -2.5f, -45.0f, 2600, 3000},
    {0.0f, -0.5f, 5.0f, 45.0f, 5500, 5800},
    {0.0f, -0.2f, 5.5f, -45.0f, 6000, 6300},
};

bool Train::load() {
    ideaModel = new QOR::Model(datafiles::kIdeaModel, GL_STATIC_DRAW);
    if (!checkSceneModel(*ideaModel, datafiles::kIdeaModel)) return false;
    for (int i = 1; i <= kSlideCount; i++) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kTrainSlideFormat, i);
        slideTextures[i - 1] = qorLoadSharedTexture(path, true);
        if (!slideTextures[i - 1]) return false;
    }
    msgTexture = qorLoadSharedTexture(datafiles::kTrainMessagePicture, true);
    waitingTexture = qorLoadSharedTexture(datafiles::kTrainWaitingPicture, true);
    overlayTrainTexture = qorLoadSharedTexture(datafiles::kTrainFramePicture, true);
    supposedTexture = qorLoadSharedTexture(datafiles::kTrainCaptions[0], true);
    futureTexture = qorLoadSharedTexture(datafiles::kTrainCaptions[1], true);
    whereTexture = qorLoadSharedTexture(datafiles::kTrainCaptions[2], true);
    cyberbabesTexture = qorLoadSharedTexture(datafiles::kTrainCaptions[3], true);
    if (!overlayTrainTexture || !waitingTexture || !msgTexture || !supposedTexture ||
        !futureTexture || !whereTexture)
        return false;

    vertexNoiseShader =
        qorLoadProgram(datafiles::kVertexNoiseFragmentShader, datafiles::kVertexNoiseVertexShader);
    if (!vertexNoiseShader) return false;
    noiseLocation = glGetUniformLocation(vertexNoiseShader, "noise");
    sizeLocation = glGetUniformLocation(vertexNoiseShader, "size");
    // The object is drawn through the program, so that "noise" and "size" move it.
    ideaModel->setProgram(vertexNoiseShader);
    glUseProgram(0);
    return true;
}

Train::SlidePair Train::slidesAt(uint32_t time) {
    uint32_t k = time / kSlideStepMs;
    SlidePair pair;
    pair.current = k + 1 < kSlideCount ? static_cast<int>(k + 1) : kSlideCount;
    pair.previous = k + 1 >= kSlideCount + 1 ? kSlideCount : std::max(pair.current - 1, 1);
    pair.fade = static_cast<float>(time) / kSlideStepMs - static_cast<float>(k);
    return pair;
}

void Train::drawWipeQuad(float w, float h, int32_t start, int32_t end, int32_t now) {
    if (end <= start) {
        printf("Illegal input values\n");
        return;
    }
    if (now < start) return;
    float f = static_cast<float>(now - start) / static_cast<float>(end - start);
    glBindTexture(GL_TEXTURE_2D, msgTexture);
    if (f > 1) {
        drawCenteredQuad(w, h);
        return;
    }
    const PlainTextureDraw plainTexture;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-w / 2, -h / 2);
    glTexCoord2f(f, 0);
    glVertex2f(f * w - w / 2, -h / 2);
    glTexCoord2f(f, 1);
    glVertex2f(f * w - w / 2, h / 2);
    glTexCoord2f(0, 1);
    glVertex2f(-w / 2, h / 2);
    glEnd();
}

void Train::render(uint32_t time) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);

    SlidePair slides = slidesAt(time);
    currentSlide = slides.current;
    previousSlide = slides.previous;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(90, 1.3333334f, 0.1f, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glTranslatef(0, 0, -15);

    // At distance 15 with a 90-degree view the 40 x 30 rectangle exactly fills the screen.
    glBindTexture(GL_TEXTURE_2D, slideTextures[currentSlide - 1]);
    glColor4f(1, 1, 1, slides.fade);
    drawCenteredQuad(40, 30);
    glBindTexture(GL_TEXTURE_2D, slideTextures[previousSlide - 1]);
    glColor4f(1, 1, 1, 1 - slides.fade);
    drawCenteredQuad(40, 30);

    // The idea object floats in the upper right.
    double t = time;
    glLoadIdentity();
    glTranslated(3 + 0.7 * std::sin(t / 500) + 0.5 * std::cos(t / 2000),
                 9 + 0.5 * std::cos(t / 250) + 0.5 * std::cos(t / 500) + 0.5 * std::sin(t / 750),
                 -13);
    glScalef(0.6f, 0.6f, 0.6f);
    glEnable(GL_CULL_FACE);
    glUseProgram(vertexNoiseShader);
    glUniform1f(noiseLocation, static_cast<float>(time) / 1000.0f);
    glUniform1f(sizeLocation, kIdeaWobbleSize);
    glUseProgram(0);
    ideaModel->draw();

    // Screen coordinates -1 to 1 from here on.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glTranslatef(0.6f, -0.4f, -1);
    glDisable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, waitingTexture);
    glUseProgram(0);
    drawCenteredQuad(0.55f, 1.5f);

    glLoadIdentity();
    glTranslatef(-0.25f, -0.33f, 0);
    drawWipeQuad(1.55f, 0.8f, 3000, 5000, static_cast<int32_t>(time));

    // The frame picture and the cards shake with two bands of the music.
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, overlayTrainTexture);
    float shake = (spectrumLevel(100) + spectrumLevel(50)) * 0.5f;
    glTranslatef(shake, shake, 0);
    drawCenteredQuad(2.3f, 2.1f);

    const GLuint captionTextures[4] = {supposedTexture, futureTexture, whereTexture,
                                       cyberbabesTexture};
    glPushMatrix();
    glTranslatef(0, 0.6f, 0);
    for (int row = 0; row < 4; row++) {
        const CaptionCard& card = kCaptionCards[row];
        bool last = row == 3;
        glTranslatef(card.stepX, card.stepY, 0);
        if (!last) glPushMatrix();
        glRotatef(card.tilt, 0, 0, 1);
        glBindTexture(GL_TEXTURE_2D, captionTextures[row]);
        drawSwingingCard(1.6f, 0.15f, card.swing, card.startMs, card.endMs,
                         static_cast<int32_t>(time));
        if (!last) glPopMatrix();
    }
    glPopMatrix();
}
