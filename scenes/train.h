// Train: the railway-station scene, built mostly from 2-D layers: a full-screen slide show of
// 31 photographs cross-fading every half second, the "idea" object floating and wobbling in
// the upper right, a waiting sign, a message wiped in from the left, a frame picture that
// shakes with the music and four caption cards that swing into place one after another.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

namespace QOR {
class Model;
}

class Train : public Effect {
  public:
    static constexpr int kSlideCount = 31;
    static constexpr uint32_t kSlideStepMs = 500;

    // Loads the idea model, the 31 slides, the message, sign, frame and caption pictures and
    // the VertexNoise program; false (after the loaders' messages) when one cannot be used.
    // Without the last caption picture its card is drawn untextured.
    bool load() override;
    void render(uint32_t time) override;
    const char* name() override { return "Train"; }

    // Draws the message picture in a w x h rectangle about the origin, revealed from its left
    // edge between start and end (ms) without stretching; whole after end, nothing before
    // start. Prints "Illegal input values" and draws nothing when end <= start.
    void drawWipeQuad(float w, float h, int32_t start, int32_t end, int32_t now);

    // The slides of a moment: the current one (1 to 31) fades in over the previous one.
    struct SlidePair {
        int current;
        int previous;
        float fade; // alpha of the current slide; the previous one gets 1 - fade
    };
    static SlidePair slidesAt(uint32_t time);

  private:
    GLuint slideTextures[kSlideCount] = {}; // slide i + 1
    GLuint overlayTrainTexture = 0;
    GLuint waitingTexture = 0;
    GLuint msgTexture = 0;
    GLuint supposedTexture = 0;
    GLuint futureTexture = 0;
    GLuint whereTexture = 0;
    GLuint cyberbabesTexture = 0;
    int currentSlide = 1;
    int previousSlide = 1;

    // Class-wide: the floating object and the program that makes it wobble.
    static QOR::Model* ideaModel;
    static GLuint vertexNoiseShader;
    static GLint noiseLocation, sizeLocation;
};
