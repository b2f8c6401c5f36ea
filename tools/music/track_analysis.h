// How a mixed track sits: energy per frequency band, stereo width and the harmony of each bar,
// measured from the samples alone (the decoded file, or a render).
#pragma once

#include "tools/music/mixer.h"

#include <array>

namespace music {

// The bands of the energy shares, in Hz: sub, bass, low mid, mid, high and air.
constexpr int kMixBandCount = 6;
constexpr double kMixBandEdges[kMixBandCount + 1] = {20, 60, 250, 1000, 4000, 10000, 20000};
constexpr const char* kMixBandNames[kMixBandCount] = {"sub", "bass", "lowmid",
                                                      "mid", "high", "air"};

// Fraction of the energy of both channels between fromSeconds and toSeconds in each band.
// All zero for silence.
std::array<double, kMixBandCount> bandShares(const StereoBuffer& track, double fromSeconds,
                                             double toSeconds);

// Fraction of a short sound's energy (both channels) above the given frequency; 0 for silence.
double energyShareAbove(const StereoBuffer& sound, double hz);

// Correlation of the left and right samples between two times: 1 for mono, 0 for unrelated
// channels, -1 for opposite ones; 1 for silence.
double stereoCorrelation(const StereoBuffer& track, double fromSeconds, double toSeconds);

// Energy in each pitch class (C = 0) between 65 Hz and 2 kHz over one bar of the score,
// scaled to unit length; all zero for silence.
using Chroma = std::array<double, 12>;
Chroma barChroma(const StereoBuffer& track, int bar);

// Cosine similarity of two chroma vectors: 1 for the same harmony, 0 when either is silent.
double chromaSimilarity(const Chroma& a, const Chroma& b);

} // namespace music
