// Shared helpers of the GL test binaries. Each binary opens one 1024 x 768 window (a real
// context on Mesa's llvmpipe under Xvfb) before its tests run.
#pragma once

#include "engine/gl.h"

#include <array>
#include <cstdint>

constexpr int kTestScreenWidth = 1024;
constexpr int kTestScreenHeight = 768;

using Rgba = std::array<int, 4>;

// Reads one pixel of the bound framebuffer; (0, 0) is the lower left corner.
Rgba readPixel(int x, int y);

// Clears the bound framebuffer to a colour, with depth 1.
void clearTo(float r, float g, float b);

// Returns the pending GL errors and clears them (0 when none).
GLenum takeGlError();
