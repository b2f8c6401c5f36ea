#include "effects/glow.h"

#include "effects/screen_shader.h"
#include "engine/fbo.h"
#include "engine/shader.h"
#include "engine/window.h"
#include "runtime/data_files.h"
#include "runtime/music.h"

#include <climits>

namespace {

constexpr GLbitfield kAllAttributes = 0xFFFFF;
constexpr float kCrossShift = 1.0f / 70.0f;
constexpr float kStepAlpha = 0.33f;
constexpr int kSpectrumBins = 256;
// The most blur steps one pass runs, the top of "Number of samples"' range: a timeline key of
// 1e9 must not turn one frame into an endless loop.
constexpr int kMaxBlurSteps = 30;

// Float to int truncation that saturates instead of overflowing; NaN gives 0.
int truncateToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

// A size x size (or larger) RGB8 texture without data, linearly filtered.
GLuint makeTexture(int width, int height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_INT, nullptr);
    return texture;
}

} // namespace

const PropertyInfo Glow::kProperties[kPropertyCount] = {
    {"Glow1", 1, 100, 47.3f},
    {"Glow2", 0, 10, 1.24f},
    {"Number of samples", 2, 30, 10},
    {"Sample width", 0.001f, 0.1f, 0.005f},
    {"Glow alpha", 0, 1, 0.4f},
    {"Final alpha", 0, 1, 1},
    {"FFT fade", 0, 1, 0},
    {"FFT point", 2, 100, 2},
    {"FFT strength", 2, 20, 2},
};

float Glow::glow1, Glow::glow2, Glow::samples, Glow::sampleWidth, Glow::glowAlpha, Glow::finalAlpha,
    Glow::fftFade, Glow::fftPoint, Glow::fftStrength;

Glow::Glow(int32_t kind) : kind(kind) {
    if (kind == 1)
        size = 256;
    else if (kind == 0)
        size = 128;
}

const char* Glow::name() {
    if (kind == 0) return "Default Glow";
    if (kind == 1) return "Directional Glow";
    return "Unknown Glow";
}

bool Glow::load() {
    program = qorLoadProgram(datafiles::kGlowShader, nullptr);
    float* const targets[kPropertyCount] = {&glow1,       &glow2,     &samples,
                                            &sampleWidth, &glowAlpha, &finalAlpha,
                                            &fftFade,     &fftPoint,  &fftStrength};
    addProperties(kProperties, targets, kPropertyCount);

    GLuint* framebuffers[] = {&horizontalFramebuffer, &verticalFramebuffer, &glowFramebuffer};
    GLuint* textures[] = {&horizontalTexture, &verticalTexture, &glowTexture};
    for (GLuint* framebuffer : framebuffers)
        *framebuffer = qorGenFBO();
    for (int i = 0; i < 3; i++) {
        *textures[i] = makeTexture(size, size);
        qorPushFBO(*framebuffers[i]);
        qorAttachToFBO(*textures[i], GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D);
        qorPopFBO();
    }
    glowCopy = makeTexture(size, size);
    sourceCopy = makeTexture(qorNextPowerOfTwo(qorGetScreenWidth()),
                             qorNextPowerOfTwo(qorGetScreenHeight()));
    return true;
}

float Glow::glow1Uniform(float level) {
    return glow1 - level * (fftFade * glow1) * fftStrength;
}

float Glow::glow2Uniform(float level) {
    return glow2 + level * (glow2 * fftFade) * fftStrength;
}

int Glow::fftBin() {
    int bin = truncateToInt(fftPoint);
    if (bin < 0) return 0;
    if (bin >= kSpectrumBins) return kSpectrumBins - 1;
    return bin;
}

int Glow::blurStepCount(float value) {
    int steps = truncateToInt(value);
    if (steps < 0) return 0;
    return steps < kMaxBlurSteps ? steps : kMaxBlurSteps;
}

void Glow::copyBoundInto(GLuint texture, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void Glow::open() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    maxU = qorGetFBOMaxU();
    maxV = qorGetFBOMaxV();
    source = qorGetFBOTexture();
    glPushAttrib(kAllAttributes);
    glViewport(0, 0, size, size);
}

// Six copies of the glow texture shifted along one axis into a framebuffer: for each of three
// fixed offsets j / 70, one copy at +step x width and one mirrored at -step x width.
static void drawShiftedCopies(GLuint framebuffer, float shift, bool vertical) {
    qorPushFBO(framebuffer);
    for (int j = -1; j <= 1; j++) {
        float offset = shift + static_cast<float>(j) * kCrossShift;
        glPushMatrix();
        if (vertical)
            glTranslatef(0, offset, 0);
        else
            glTranslatef(offset, 0, 0);
        drawFramebufferQuad(1, 1);
        if (vertical)
            glTranslatef(0, -2 * shift, 0);
        else
            glTranslatef(-2 * shift, 0, 0);
        drawFramebufferQuad(1, 1);
        glPopMatrix();
    }
    qorPopFBO();
}

void Glow::blurStep(int step) {
    float shift = static_cast<float>(step) * sampleWidth;
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, kStepAlpha);
    const PlainTextureDraw plainTexture;
    drawShiftedCopies(horizontalFramebuffer, shift, false);
    drawShiftedCopies(verticalFramebuffer, shift, true);

    glColor4f(1, 1, 1, glowAlpha);
    qorPushFBO(glowFramebuffer);
    glBindTexture(GL_TEXTURE_2D, verticalTexture);
    drawFramebufferQuad(1, 1);
    glBindTexture(GL_TEXTURE_2D, horizontalTexture);
    drawFramebufferQuad(1, 1);
    qorPopFBO();
}

// Eleven copies of the glow texture, scaled outward from the centre (1.00 to 1.20), laid over
// it. They read a snapshot taken before the first copy, not the texture being drawn into.
void Glow::smearDirectional() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, kStepAlpha);
    qorPushFBO(glowFramebuffer);
    copyBoundInto(glowCopy, size, size);
    const PlainTextureDraw plainTexture;
    for (float h = 1.0f; h < 1.2f; h += 0.02f) {
        glPushMatrix();
        glScalef(h, h, 1);
        drawFramebufferQuad(1, 1);
        glPopMatrix();
    }
    qorPopFBO();
}

void Glow::render(uint32_t) {
    open();
    qorPushFBO(glowFramebuffer);
    glUseProgram(program);
    glBindTexture(GL_TEXTURE_2D, source);
    if (program != 0) {
        GLint glow1Location = glGetUniformLocation(program, "glow1");
        GLint glow2Location = glGetUniformLocation(program, "glow2");
        glUniform1f(glow1Location, glow1Uniform(spectrumLevel(fftBin())));
        glUniform1f(glow2Location, glow2Uniform(spectrumLevel(fftBin())));
    }
    drawFramebufferQuad(maxU, maxV);
    glUseProgram(0);
    qorPopFBO();

    if (kind == 0) {
        for (int step = 0; step < blurStepCount(samples); step++)
            blurStep(step);
    } else if (kind == 1) {
        smearDirectional();
    }
    glPopAttrib();

    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, finalAlpha);
    addOwnPicture();
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    const PlainTextureDraw plainTexture;
    drawFramebufferQuad(1, 1);
    glPopMatrix();
}

// Adds "Final alpha" times the bound target's own picture to it. Where the source is the bound
// framebuffer's own texture, as it always is when the compositor or a scene calls, this is the
// blend dst + dst x alpha of an untextured quad, which reads no texture and needs no snapshot of
// the target; otherwise the source is copied first and drawn, reading the copy.
void Glow::addOwnPicture() {
    if (source != 0) { // a framebuffer texture: a framebuffer is bound, not the window
        glDisable(GL_TEXTURE_2D);
        glBlendFunc(GL_DST_COLOR, GL_ONE);
        glColor4f(finalAlpha, finalAlpha, finalAlpha, finalAlpha);
        drawFramebufferQuad(maxU, maxV);
        glColor4f(1, 1, 1, finalAlpha);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_TEXTURE_2D);
        return;
    }
    copyBoundInto(sourceCopy, qorGetScreenWidth(), qorGetScreenHeight());
    drawFramebufferQuad(maxU, maxV);
}

void Glow::blurPass(float focus) {
    open();
    qorPushFBO(glowFramebuffer);
    glBindTexture(GL_TEXTURE_2D, source);
    {
        const PlainTextureDraw plainTexture;
        drawFramebufferQuad(maxU, maxV);
    }
    qorPopFBO();
    int steps = blurStepCount(focus * 20);
    for (int step = 0; step < steps; step++)
        blurStep(step);
    glPopAttrib();

    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    const PlainTextureDraw plainTexture;
    drawFramebufferQuad(1, 1);
    glPopMatrix();
}
