#include "scenes/sound_ball.h"

#include "curves/camera_curve.h"
#include "engine/camera.h"
#include "engine/model.h"
#include "engine/model_format.h"
#include "engine/texture.h"
#include "engine/window.h"
#include "runtime/data_files.h"
#include "scenes/scene_helpers.h"
#include "runtime/music.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const PropertyInfo SoundBall::kProperties[kPropertyCount] = {
    {"Ball zoom", 0.1f, 20.0f, 1.0f},
    {"Ball specular", 0.0f, 1.0f, 0.2f},
};

float SoundBall::zoom = 0;
float SoundBall::specular = 0;

CameraCurve* SoundBall::curves = nullptr;
GLuint SoundBall::bluenormalTexture = 0;
int32_t SoundBall::curveChoice = 0;
uint32_t SoundBall::lastSwitch = 0;
std::vector<float> SoundBall::restPositions;
const SoundBall* SoundBall::restOwner = nullptr;
bool SoundBall::sizeUnannounced = false;

// A band level above this on band 1 counts as a strong beat.
static const float kBeatLevel = 0.8f;
static const uint32_t kBeatSpacingMs = 200;
static const GLfloat kLightPosition[4] = {0, 0, 0, 1};

SoundBall::SoundBall() {
    float* const targets[kPropertyCount] = {&zoom, &specular};
    addProperties(kProperties, targets, kPropertyCount);
}

SoundBall::~SoundBall() {
    delete ballModel;
}

bool SoundBall::load() {
    if (!curves) curves = new CameraCurve[kCurveCount];
    for (int i = 1; i <= kCurveCount; i++) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kSoundBallCurveFormat, i);
        printf("opening %s\n", path);
        curves[i - 1].load(path);
    }
    ballModel = new QOR::Model(datafiles::kSoundBallModel, GL_DYNAMIC_COPY);
    // The ball is deformed through the first mesh's positions every frame.
    if (!checkSceneModel(*ballModel, datafiles::kSoundBallModel)) return false;
    restOwner = nullptr; // the rest positions come from this model
    bluenormalTexture = qorLoadSharedTexture(datafiles::kBlueNormalPicture, true);
    return bluenormalTexture != 0;
}

int SoundBall::bandOf(float x, float y) {
    float ratio = y / x;
    if (std::isnan(ratio)) return 0; // on the z axis: no direction to fold
    double angle = std::fabs(30.0 * std::atan(static_cast<double>(ratio)));
    int band = static_cast<int>(angle);
    return band < kBandCount ? band : kBandCount - 1;
}

void SoundBall::render(uint32_t time) {
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(160, 1.3333334f, 0.1f, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // The view turns with the time since the engine started, not with the clip.
    float s = static_cast<float>(qorGetTicks()) / 1000.0f;

    // A strong beat picks one of the curves at random. The camera does not follow the curves,
    // but the draw from the shared generator is kept: the greetings' flakes read it later.
    if (spectrumLevel(1) > kBeatLevel && time - lastSwitch > kBeatSpacingMs) {
        lastSwitch = time;
        curveChoice = rand() % kCurveCount;
    }

    qorLookAt(0, 0, 0, 5 * std::sin(s), 2, 5 * std::cos(s), 0, 1, 0);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);

    deform();

    glScalef(zoom, zoom, zoom);
    ballModel->draw();
}

void SoundBall::deform() {
    QOR::ModelMeshStream* stream = ballModel->getMesh(0)->getStream(QOR::kStreamPositions);
    float* vertices = static_cast<float*>(stream->map(GL_READ_WRITE));
    if (!vertices) return; // GL refused the mapping: the ball keeps last frame's shape

    size_t n = static_cast<size_t>(stream->count);
    if (restOwner != this) {
        restOwner = this;
        restPositions.assign(vertices, vertices + 3 * n);
        sizeUnannounced = true;
    }
    if (sizeUnannounced && !isWarmingUp()) {
        printf("size: %d\n", stream->byteSize);
        sizeUnannounced = false;
    }
    n = std::min(n, restPositions.size() / 3);

    for (size_t i = 0; i < n; i++) {
        const float* rest = &restPositions[3 * i];
        float k = 1.0f - 1.5f * spectrumLevel(bandOf(rest[0], rest[1]));
        vertices[3 * i + 0] = k * rest[0];
        vertices[3 * i + 1] = k * rest[1];
        vertices[3 * i + 2] = k * rest[2];
    }

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBindBuffer(stream->target, stream->buffer);
    glUnmapBuffer(stream->target);
    glPopAttrib();
}
