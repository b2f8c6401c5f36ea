// Pictures baked for the sets' models (the probe, the station): painted over the models' own
// surfaces, light and shade included, since the scenes that show them light them flatly.
#pragma once

#include "tools/pictures/canvas.h"
#include "tools/pictures/lettering.h"

// Coverage of a shape whose signed distance (negative inside) is d, softened over `soft`.
inline float inside(float d, float soft) {
    return 1 - smoothStep(-soft, soft, d);
}

// The probe's picture: every patch of the craft lit by a warm key light from above, a cyan fill
// from below and a rim towards the camera behind it, over its paint, panel lines and glowing
// engines.
Canvas paintProbe(const Lettering&);

// The station's front, face by face (see geometry::frontFaces), and the props picture
// (geometry::props).
Canvas paintStationFront(const Lettering&);
Canvas paintStationProps(const Lettering&);
