// Helpers for the screen-effect tests: a compositor-like target, test pictures and counting
// what a pass draws.
#pragma once

#include "engine/gl.h"

#include <functional>
#include <vector>

// Loads identity projection and modelview matrices (modelview current).
void loadIdentityMatrices();

// Four flat quadrants (red top-left, green top-right, blue bottom-left, white bottom-right)
// over the whole viewport, without blending or texturing.
void drawQuadrants();

// A polygon reported by feedback mode: window coordinates and the texture coordinate s of
// each vertex, after clipping to the viewport.
struct FeedbackPolygon {
    std::vector<float> x, y, s;
};

// Runs draw in feedback mode and returns the polygons it would have rasterised.
std::vector<FeedbackPolygon> capturePolygons(const std::function<void()>& draw);

// Primitives the draw sends down the pipeline, counted before clipping (a quad counts as the
// same number every time).
unsigned countPrimitives(const std::function<void()>& draw);
