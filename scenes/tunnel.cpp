#include "scenes/tunnel.h"

#include "engine/camera.h"
#include "engine/gl.h"
#include "engine/model.h"
#include "engine/window.h"
#include "runtime/data_files.h"
#include "scenes/scene_helpers.h"
#include "runtime/music.h"

#include <cmath>

QOR::Model* Tunnel::tunnelModel = nullptr;
QOR::Model* Tunnel::probeModel = nullptr;
float Tunnel::scroll = 0;
uint32_t Tunnel::lastTicks = 0;

namespace {

const float kLightPosition[4] = {0, 0, 1, 1};

uint32_t lowTicks() {
    return static_cast<uint32_t>(qorGetTicks());
}

} // namespace

bool Tunnel::load() {
    tunnelModel = new QOR::Model(datafiles::kTunnelModel, GL_STATIC_DRAW);
    probeModel = new QOR::Model(datafiles::kProbeModel, GL_STATIC_DRAW);
    return checkSceneModel(*tunnelModel, datafiles::kTunnelModel) &&
           checkSceneModel(*probeModel, datafiles::kProbeModel);
}

void Tunnel::start() {
    scroll = 0;
    lastTicks = lowTicks();
}

void Tunnel::render(uint32_t time) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);

    // Silence scrolls 1/400 per millisecond; a band-2 level of 1 adds 1/120 per millisecond.
    float previousScroll = scroll;
    float elapsed = static_cast<float>(lowTicks() - lastTicks) / 40;
    lastTicks = lowTicks();
    scroll = previousScroll - (spectrumLevel(2) / 3 * elapsed + elapsed / 10);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    qorPerspective(90, 1.3333334f, 0.1f, 100);

    // This frame shows the scroll of the previous one.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0, -0.25f * previousScroll, 0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The sines take double arguments; 2a, 3a and 20b are formed in single precision first.
    float a = static_cast<float>(time) / 1000;
    double ad = a;
    float eyeX = static_cast<float>(0.15 * std::sin(ad) - 0.2 * std::cos(1.5 * ad));
    float eyeY = static_cast<float>(0.1 * std::cos(double{2 * a}) - 0.2 * std::sin(0.4 * ad));
    qorLookAt(eyeX, eyeY, -0.5f, 0, 0, -3, 0, 1, 0);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);

    float b = static_cast<float>(time) / 100000;
    glPushMatrix();
    glRotatef(static_cast<float>(180 * std::sin(double{3 * b}) - 90 * std::cos(double{20 * b})), 0,
              0, 1);
    tunnelModel->draw();
    glPopMatrix();

    glTranslatef(0, 0, -2.5f);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(static_cast<float>(0.15 * std::sin(0.7 * ad) - 0.2 * std::cos(1.2 * ad)),
                 static_cast<float>(0.1 * std::cos(double{3 * a}) - 0.2 * std::sin(0.3 * ad)),
                 static_cast<float>(0.45 * std::cos(ad) - 0.2 * std::sin(0.8 * ad)));

    // The probe is never hidden by the tunnel.
    glClear(GL_DEPTH_BUFFER_BIT);
    glScalef(1.5f, 1.5f, 1.5f);
    probeModel->draw();
}
