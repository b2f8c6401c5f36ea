// Noise for pictures that a model repeats: value noise on a lattice that wraps round the
// picture's edges, so that the picture tiles seamlessly.
#pragma once

#include "tools/pictures/canvas.h"

#include <cmath>
#include <cstdint>

// Value noise on a lattice that repeats every periodX cells across and periodY cells down, so
// the picture tiles.
inline float tileNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    auto corner = [&](int cx, int cy) {
        return hashUnit(((cx % periodX) + periodX) % periodX, ((cy % periodY) + periodY) % periodY,
                        seed);
    };
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

// Fractal tileNoise over a picture of width x height pixels with `cells` lattice cells across
// (and as many down as keep the cells square), octaves halving in strength.
inline float tileFractal(float x, float y, int width, int height, int cells, uint32_t seed,
                         int octaves) {
    float sum = 0, weight = 0, amplitude = 1;
    int cellsDown = cells * height / width > 1 ? cells * height / width : 1;
    for (int i = 0; i < octaves; ++i) {
        int px = cells << i, py = cellsDown << i;
        sum += amplitude *
               tileNoise(x * px / width, y * py / height, px, py, seed + static_cast<uint32_t>(i));
        weight += amplitude;
        amplitude *= 0.5f;
    }
    return sum / weight;
}
