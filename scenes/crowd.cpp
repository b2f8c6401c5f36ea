#include "scenes/crowd.h"

#include "engine/camera.h"
#include "engine/gl.h"
#include "engine/model.h"
#include "runtime/data_files.h"
#include "scenes/city.h"
#include "scenes/scene_helpers.h"

namespace {

constexpr int kCurveCount = 3;
// A crowd ball joins 10 s after its release and leaves the picture after 300 s.
constexpr uint32_t kJoinDelayMs = 10000;
constexpr uint32_t kLeaveDelayMs = 300000;
constexpr float kSpreadStartMs = 12500;
constexpr float kSpreadEndMs = 14000;

void rotateXYZ(const float degrees[3]) {
    glRotatef(degrees[0], 1, 0, 0);
    glRotatef(degrees[1], 0, 1, 0);
    glRotatef(degrees[2], 0, 0, 1);
}

} // namespace

bool Crowd::load() {
    spikeBallModel.reset(new QOR::Model(datafiles::kSpikeBallModel, GL_STATIC_DRAW));
    stationModel.reset(new QOR::Model(datafiles::kStationModel, GL_STATIC_DRAW));
    if (!checkSceneModel(*spikeBallModel, datafiles::kSpikeBallModel) ||
        !checkSceneModel(*stationModel, datafiles::kStationModel))
        return false;
    stationModel->setProgram(City::getDefaultShader());
    // setProgram leaves the program current; the loading screen drawn next must not use it.
    glUseProgram(0);
    curves.reset(new CameraCurve[kCurveCount]);
    for (int i = 0; i < kCurveCount; i++)
        curves[i].load(datafiles::kCrowdCurves[i]);
    return true;
}

void Crowd::start() {
    layoutSwarm(kCrowdSize, kReleaseModulusMs, spikeStart, spikeOffset, spikeAngle);
}

void Crowd::render(uint32_t time) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(45, 1.3333334f, 0.1f, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    CurveRecord camera = curves[0].evaluate(time, true);
    qorLookAt(camera.position[0], camera.position[1], camera.position[2], camera.aimPoint[0],
              camera.aimPoint[1], camera.aimPoint[2], 0, 1, 0);
    setStationLight();
    // The hall's walls and the spike balls are closed solids: their back faces never show.
    glEnable(GL_CULL_FACE);
    stationModel->drawDepthFirst();

    CurveRecord leader = curves[1].evaluate(time, true);
    glPushMatrix();
    glTranslatef(leader.position[0], leader.position[1], leader.position[2]);
    rotateXYZ(leader.rotation);
    spikeBallModel->draw();
    glPopMatrix();

    float spread = smoothStep(kSpreadStartMs, kSpreadEndMs, static_cast<float>(time));
    for (int i = 0; i < kCrowdSize; i++) {
        // Unsigned: a ball not yet released wraps to a huge d and falls outside the window.
        uint32_t d = time - spikeStart[i];
        if (d <= kJoinDelayMs || d >= kLeaveDelayMs) continue;
        CurveRecord ball = curves[2].evaluate(d, true);
        glPushMatrix();
        glTranslatef(ball.position[0] + spread * spikeOffset[i][0],
                     ball.position[1] + spread * spikeOffset[i][1],
                     ball.position[2] + spread * spikeOffset[i][2]);
        rotateXYZ(ball.rotation);
        rotateXYZ(spikeAngle[i]);
        spikeBallModel->draw();
        glPopMatrix();
    }
}
