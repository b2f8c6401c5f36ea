// What the city's model and its pictures agree on: how the sky picture wraps round the dome,
// and the sign sheet — one picture of 8 x 8 cells of 128 pixels that holds the lenses of the
// lamps and beacons, the awning cloth and the neon signs of the market. The model maps its
// panels onto these cells and bakes each sign's colour into the walls and the street around it;
// the painter draws the same cells in the same colours.
#pragma once

namespace citysky {

// The sky picture: across, the direction round the dome (0 east, 0.25 north, 0.5 west, 0.75
// south; it repeats); down, the height above the horizon from the zenith in the top row to
// kBelowHorizon degrees below it in the bottom row, evenly, so that a degree is as many
// texels up as across.
constexpr float kBelowHorizon = 2.0f;

// The picture's row (0 to 1) of a height above the horizon in degrees, and the inverse.
inline float rowOfElevation(float degrees) {
    float row = (90 - degrees) / (90 + kBelowHorizon);
    return row < 0 ? 0 : (row > 1 ? 1 : row);
}
inline float elevationOfRow(float row) {
    return 90 - row * (90 + kBelowHorizon);
}

} // namespace citysky

namespace citysigns {

constexpr int kCellPixels = 128;
constexpr int kCells = 8; // across and down

// Lenses and cloth: single cells of row 0.
constexpr int kCoolLens = 0;
constexpr int kWarmLens = 1;
constexpr int kSodiumLens = 2;
constexpr int kCyanLens = 3;
constexpr int kRedBeacon = 4;
constexpr int kAwningCloth = 5; // grey stripes, coloured by the light baked into the awning

// A neon sign: where it lies on the sheet (cells), its light, and what it shows: a word in
// the project's lettering (stacked letter under letter on tall signs) or, for a word that
// starts with '#', one of the drawn marks (#ring, #arrow, #cup, #star, #wave, #bolt).
struct Sign {
    int column, row, wide, high;
    float red, green, blue;
    const char* word;
};

constexpr Sign kSigns[] = {
    // Wall signs over the shops, three cells wide.
    {0, 1, 3, 1, 1.0f, 0.25f, 0.62f, "ramen"},
    {3, 1, 3, 1, 0.3f, 0.9f, 1.0f, "hotel"},
    {0, 2, 3, 1, 1.0f, 0.72f, 0.25f, "arcade"},
    {3, 2, 3, 1, 0.45f, 1.0f, 0.5f, "lirv"},
    {0, 3, 3, 1, 0.75f, 0.4f, 1.0f, "karaoke"},
    {3, 3, 3, 1, 1.0f, 0.35f, 0.3f, "dumpling"},
    // Small square signs beside them.
    {6, 1, 1, 1, 0.3f, 0.9f, 1.0f, "#ring"},
    {7, 1, 1, 1, 1.0f, 0.25f, 0.62f, "#cup"},
    {6, 2, 1, 1, 1.0f, 0.72f, 0.25f, "#arrow"},
    {7, 2, 1, 1, 0.45f, 1.0f, 0.5f, "#star"},
    {6, 3, 1, 1, 0.75f, 0.4f, 1.0f, "#wave"},
    {7, 3, 1, 1, 1.0f, 0.35f, 0.3f, "#bolt"},
    // Blade signs standing out from the walls, one cell wide and three high.
    {0, 4, 1, 3, 1.0f, 0.25f, 0.62f, "bar"},
    {1, 4, 1, 3, 0.3f, 0.9f, 1.0f, "pho"},
    {2, 4, 1, 3, 1.0f, 0.72f, 0.25f, "open"},
    {3, 4, 1, 3, 0.45f, 1.0f, 0.5f, "club"},
    {4, 4, 1, 3, 0.75f, 0.4f, 1.0f, "vsq"},
    {5, 4, 1, 3, 1.0f, 0.35f, 0.3f, "taxi"},
    {6, 4, 1, 3, 0.3f, 0.9f, 1.0f, "soba"},
    {7, 4, 1, 3, 1.0f, 0.25f, 0.62f, "neon"},
    // A row of marks for the blade signs' caps and the corner shops.
    {0, 7, 1, 1, 0.45f, 1.0f, 0.5f, "#ring"},
    {1, 7, 1, 1, 1.0f, 0.72f, 0.25f, "#star"},
    {2, 7, 1, 1, 0.3f, 0.9f, 1.0f, "#arrow"},
    {3, 7, 1, 1, 1.0f, 0.25f, 0.62f, "#wave"},
};
constexpr int kSignCount = sizeof(kSigns) / sizeof(kSigns[0]);
constexpr int kFirstWallSign = 0, kWallSignCount = 6;
constexpr int kFirstSquareSign = 6, kSquareSignCount = 6;
constexpr int kFirstBladeSign = 12, kBladeSignCount = 8;
constexpr int kFirstMarkSign = 20, kMarkSignCount = 4;

} // namespace citysigns
