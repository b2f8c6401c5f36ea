// What the demo's spectrum analysis sees of a track: the samples converted the way the demo
// plays them (22050 Hz, signed 16-bit stereo) and fed through its own analysis block by block.
#pragma once

#include "tools/music/mixer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace music {

constexpr int kDemoRate = 22050;
constexpr int kDemoBlockFrames = 512;
constexpr int kDemoBins = 256;

// Interleaved signed 16-bit stereo at 22050 Hz; 44100 Hz input is low-passed and decimated.
// Returns false (and sets 'error') for any other input rate.
bool toDemoStream(const StereoBuffer& samples, std::vector<int16_t>& stream, std::string& error);

// spectrumLevel of every bin after each 512-frame analysis, in time order. Analysis i ends at
// (i + 1) * 512 / 22050 seconds. Resets the analysis state first.
using SpectrumFrame = std::array<float, kDemoBins>;
std::vector<SpectrumFrame> analyseLikeTheDemo(const std::vector<int16_t>& stream);

// Seconds at which analysis i has been computed.
inline double analysisTime(size_t index) {
    return double(index + 1) * kDemoBlockFrames / kDemoRate;
}

// The bands the effects and scenes read.
constexpr int kReportedBands[] = {1, 2, 10, 30, 35, 40, 50, 55, 65, 100};

struct BandFigures {
    int band;
    double mean;        // over the whole track
    double aboveHigh;   // fraction of analyses above 0.8, whole track
    double mainInRange; // fraction of main-section analyses neither silent nor saturated
};

struct SpectrumFigures {
    std::vector<BandFigures> bands;
    int kicks = 0;       // kicks of the score in the sections with a steady kick
    int kicksCaught = 0; // of those, kicks after which band 1 rose above 0.8
};

// The level counted as silent, and as saturated, for mainInRange.
constexpr float kSilentLevel = 0.05f;
constexpr float kSaturatedLevel = 0.95f;

SpectrumFigures measureSpectrum(const std::vector<SpectrumFrame>& frames);

// The level above which the sound ball takes band 1 for a beat.
constexpr float kBeatLevel = 0.8f;

// How often, in one section, each reported band is where the pictures key on it: band 1 above
// the beat level, the others neither silent nor saturated.
struct SectionBands {
    const char* name;
    std::vector<double> keyed; // fraction of the section's analyses, per kReportedBands entry
    int kicks = 0, kicksCaught = 0;
};
std::vector<SectionBands> measureSections(const std::vector<SpectrumFrame>& frames);

} // namespace music
