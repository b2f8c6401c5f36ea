#include "scenes/city.h"

#include "engine/camera.h"
#include "engine/model.h"
#include "engine/shader.h"
#include "engine/texture.h"
#include "runtime/data_files.h"
#include "scenes/scene_helpers.h"
#include "runtime/music.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

QOR::Model* City::cityModel = nullptr;
QOR::Model* City::spikeBallModel = nullptr;
GLuint City::defaultShader = 0;

namespace {

constexpr float kAspect = 1.3333334f;
constexpr uint32_t kShakeRampMs = 16000;
constexpr uint32_t kSwarmWindowMs[3] = {0, 500000, 300000};

// How much of the music shake camera 0 applies: 0 at the start, rising along half a cosine
// wave to 1 at 16 s. The constant is 3.14, so the ramp ends a hair below 1 and then steps.
float shakeRamp(uint32_t time) {
    float u = static_cast<float>(time) / kShakeRampMs;
    if (u > 1) return 1;
    return static_cast<float>(0.5 + 0.5 * std::cos(3.14 * u + 3.14));
}

// Two directional lights fixed relative to the viewer, at their default colours.
void setViewerLights() {
    for (int i = 0; i < 2; i++) {
        GLenum light = static_cast<GLenum>(GL_LIGHT0 + i);
        const float position[4] = {0, 50, 25.0f * i, 0};
        glEnable(light);
        glLightf(light, GL_SPOT_EXPONENT, 128);
        glLightfv(light, GL_POSITION, position);
    }
}

void lookFrom(const float eye[3], const float centre[3]) {
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, 1, 0);
}

} // namespace

void layoutSwarm(int count, uint32_t releaseModulus, uint32_t* spikeStart, float (*spikeOffset)[3],
                 float (*spikeAngle)[3]) {
    srand(11);
    for (int i = 0; i < count; i++)
        spikeStart[i] = 0;
    for (int i = 0; i < count; i++) {
        for (int axis = 0; axis < 3; axis++)
            spikeOffset[i][axis] = static_cast<float>(rand() % 5);
        for (int axis = 0; axis < 3; axis++)
            spikeAngle[i][axis] = static_cast<float>(rand() % 360);
        spikeStart[i] = static_cast<uint32_t>(rand()) % releaseModulus;
    }
}

City::City(int cameraIndex) : cameraIndex(cameraIndex) {}

const char* City::name() {
    switch (cameraIndex) {
    case 0:
        return "City 0";
    case 1:
        return "City 1";
    case 2:
        return "City 2";
    default:
        return "City";
    }
}

bool City::load() {
    if (!cityModel) cityModel = new QOR::Model(datafiles::kCityModel, GL_STATIC_DRAW);
    if (!checkSceneModel(*cityModel, datafiles::kCityModel)) return false;
    defaultShader =
        qorLoadModelProgram(datafiles::kDefaultFragmentShader, datafiles::kDefaultVertexShader);
    if (!defaultShader) return false;
    cityModel->setProgram(defaultShader);
    // setProgram leaves the program current; the loading screen drawn next must not use it.
    glUseProgram(0);
    if (!spikeBallModel)
        spikeBallModel = new QOR::Model(datafiles::kSpikeBallModel, GL_STATIC_DRAW);
    if (!checkSceneModel(*spikeBallModel, datafiles::kSpikeBallModel)) return false;

    curves.reset(new CameraCurve[kCurveCount]);
    for (int i = 0; i < kCurveCount; i++)
        curves[i].load(datafiles::kCityCurves[i]);

    revoltTexture = qorLoadSharedTexture(datafiles::kRevoltOverlay, true);
    if (!revoltTexture) {
        printf("failed loading revolting kid.\n quitting.\n");
        return false;
    }
    vignetteTexture = qorLoadSharedTexture(datafiles::kVignetteOverlay, true);
    return vignetteTexture != 0;
}

void City::start() {
    layoutSwarm(kSwarmSize, kReleaseModulusMs, spikeStart, spikeOffset, spikeAngle);
}

void City::render(uint32_t time) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    glClearColor(0.025f, 0.025f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float fov = cameraIndex == 1 ? 40.0f : cameraIndex == 2 ? 65.0f : 60.0f;
    qorPerspective(fov, kAspect, 0.1f, 1000);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    setViewerLights();

    float ramp = shakeRamp(time);
    bandLevel[0] = spectrumLevel(50);
    bandLevel[1] = spectrumLevel(65);
    bandLevel[2] = spectrumLevel(55);

    if (cameraIndex < 0 || cameraIndex > 2) {
        printf("Invalid camera index\n");
        return;
    }
    CurveRecord camera = curves[cameraIndex].evaluate(time, true);
    float eye[3];
    if (cameraIndex == 0) {
        eye[0] = camera.position[0] + spectrumLevel(30) * ramp;
        eye[1] = camera.position[1] + spectrumLevel(35) * ramp;
        eye[2] = camera.position[2] + spectrumLevel(40) * ramp;
    } else {
        // Camera 1 shakes with a tenth of the band levels, camera 2 with all of them.
        float divisor = cameraIndex == 1 ? 10.0f : 1.0f;
        for (int axis = 0; axis < 3; axis++)
            eye[axis] = camera.position[axis] + bandLevel[axis] / divisor;
    }
    lookFrom(eye, camera.aimPoint);
    // The towers and the spike balls are closed solids seen from outside: their back faces
    // never show, and leaving them out spares the rasteriser about half the triangles.
    glEnable(GL_CULL_FACE);

    // Cameras 0 and 2 look down long streets of buildings behind buildings: a depth pass
    // first shades each pixel only once, by the surface that shows, and pays for itself.
    // Camera 1's narrow view hides too little for it to pay.
    if (cameraIndex == 0) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        cityModel->drawDepthFirst();
        glPopAttrib();
        return;
    }
    if (cameraIndex == 2)
        cityModel->drawDepthFirst();
    else
        cityModel->draw();
    drawSwarm(time, curves[cameraIndex + 2], kSwarmWindowMs[cameraIndex]);
}

void City::drawSwarm(uint32_t time, const CameraCurve& path, uint32_t windowMs) {
    float spin = static_cast<float>(time) / 10;
    for (int i = 0; i < kSwarmSize; i++) {
        // Unsigned: a ball not yet released wraps to a huge d and falls outside the window.
        uint32_t d = time - spikeStart[i];
        if (d == 0 || d >= windowMs) continue;
        CurveRecord ball = path.evaluate(d, true);
        glPushMatrix();
        glTranslatef(spikeOffset[i][0] + ball.position[0], spikeOffset[i][1] + ball.position[1],
                     spikeOffset[i][2] + ball.position[2]);
        glRotatef(spikeAngle[i][0] + ball.rotation[0] + spin, 1, 0, 0);
        glRotatef(spikeAngle[i][1] + ball.rotation[1] + spin, 0, 1, 0);
        glRotatef(spikeAngle[i][2] + ball.rotation[2] + spin, 0, 0, 1);
        spikeBallModel->draw();
        glPopMatrix();
    }
}
