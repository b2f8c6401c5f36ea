// Drawing helpers shared by the scenes: a textured rectangle about the origin, a smooth step
// between two times and a card that swings once about the view axis. They issue immediate-mode
// GL into whatever matrices and texture binding the caller has set up.
#pragma once

#include <cstdint>

namespace QOR {
class Model;
}

// One GL_QUADS of w x h centred on the origin of the current model-view matrix, texture row 0
// at the bottom edge (y = -h/2). Touches no other state.
void drawCenteredQuad(float w, float h);

// 0 at or before a, 1 at or after b, a cubic ease in between. A ratio that is not a number
// (a = b = x) gives 0; a = b with x beyond it gives 1.
float smoothStep(float a, float b, float x);

// Draws a w x h card from `start` on (nothing before it, nothing at all when start >= end):
// it turns smoothly to maxAngle degrees about the view axis at the middle of [start, end],
// back to 0 at end, and rests unrotated afterwards. Times in milliseconds.
void drawSwingingCard(float w, float h, float maxAngle, int32_t start, int32_t end, int32_t now);

// Sets GL_LIGHT0 to the stations' white directional light, shining from the -z side of the
// current model-view matrix (Crowd sets it in the world, IntoStation relative to the viewer).
void setStationLight();

// Whether a loaded model has what a scene draws from it: at least one mesh, each with vertex
// positions. Prints a line naming the file and what is missing when it has not, so that the
// scene's load fails at start-up instead of in the middle of the run.
bool checkSceneModel(const QOR::Model& model, const char* path);
