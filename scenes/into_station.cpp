#include "scenes/into_station.h"

#include "engine/camera.h"
#include "engine/gl.h"
#include "engine/model.h"
#include "runtime/data_files.h"
#include "scenes/city.h"
#include "scenes/scene_helpers.h"

bool IntoStation::load() {
    probeModel.reset(new QOR::Model(datafiles::kProbeModel, GL_STATIC_DRAW));
    stationModel.reset(new QOR::Model(datafiles::kIntoStationModel, GL_STATIC_DRAW));
    if (!checkSceneModel(*probeModel, datafiles::kProbeModel) ||
        !checkSceneModel(*stationModel, datafiles::kIntoStationModel))
        return false;
    stationModel->setProgram(City::getDefaultShader());
    // setProgram leaves the program current; the loading screen drawn next must not use it.
    glUseProgram(0);
    curves.reset(new CameraCurve[2]);
    curves[0].load(datafiles::kIntoStationCameraCurve);
    curves[1].load(datafiles::kIntoStationCurve);
    return true;
}

void IntoStation::render(uint32_t time) {
    // The blend function is left as the caller has it.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(30, 1.3333334f, 0.1f, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    setStationLight(); // fixed relative to the viewer

    CurveRecord camera = curves[0].evaluate(time, true);
    gluLookAt(camera.position[0], camera.position[1], camera.position[2], camera.aimPoint[0],
              camera.aimPoint[1], camera.aimPoint[2], 0, 1, 0);
    // The station's walls and the probe are closed solids: their back faces never show.
    glEnable(GL_CULL_FACE);
    stationModel->drawDepthFirst();

    CurveRecord probe = curves[1].evaluate(time, true);
    glPushMatrix();
    glTranslatef(probe.position[0], probe.position[1], probe.position[2]);
    glRotatef(probe.rotation[0], 1, 0, 0);
    glRotatef(probe.rotation[1], 0, 1, 0);
    glRotatef(probe.rotation[2], 0, 0, 1);
    probeModel->draw();
    glPopMatrix();
}
