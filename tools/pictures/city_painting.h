// Helpers shared by the painters of the city's pictures (tools/pictures/city_*.cpp) and the
// painters that the city's texture jobs call.
#pragma once

#include "tools/pictures/pictures.h"

#include <functional>

// A blur that wraps round the picture's edges, so that a tiling picture stays seamless.
void wrapBlur(Canvas& canvas, int r);

// An opaque picture given its colour and, per pixel, how much it mirrors (its alpha).
Canvas withMirroring(const Canvas& colour, const std::function<float(int, int)>& mirror);

// A soft-edged rectangle's coverage at (x, y): 1 inside, fading over `soft` pixels.
float softBox(float x, float y, float cx, float cy, float halfW, float halfH, float soft);

// The walls (tools/pictures/city_walls.cpp) and the sign sheet (city_signs.cpp).
Canvas paintCityGlass(const Lettering&);
Canvas paintCityOffice(const Lettering&);
Canvas paintCityMarket(const Lettering&);
Canvas paintCityShops(const Lettering&);
Canvas paintCitySigns(const Lettering&);
