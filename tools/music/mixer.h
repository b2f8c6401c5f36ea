// Renders the score into stereo samples: every note into the mixing buses, then the shared
// effects (side-chain ducking, the build's filter sweeps, the drums' soft clipper, delay,
// reverb) and the master chain (filters, mono low end, gain, bus compressor, fade, true-peak
// limiter).
#pragma once

#include "tools/music/dsp.h"
#include "tools/music/score.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace music {

// Float stereo samples at 44.1 kHz, nominally within [-1, 1].
struct StereoBuffer {
    std::vector<float> left, right;
    int sampleRate = kSampleRate;
    size_t frames() const { return left.size(); }
};

// The buses every note writes into; index 0 is the frame at 'firstFrame' of the track.
struct Buses {
    long firstFrame = 0;
    std::vector<float> dryLeft, dryRight;       // the drums and the riser: soft-clipped
    std::vector<float> duckedLeft, duckedRight; // ducked under the kick first
    std::vector<float> reverbSend, delaySend;   // mono sends to the shared effects
    explicit Buses(long first, size_t frames);
    size_t frames() const { return dryLeft.size(); }
};

// Adds one note's sound to the buses (only the frames inside them). The seed fixes its noise.
void renderNote(const Note& note, uint32_t seed, Buses& buses);

// Called now and then during a render with the fraction done (0 to 1).
using RenderProgress = std::function<void(double fraction)>;

// What the master limiter did during a render.
struct LimiterFigures {
    double deepestCutDb = 0;    // largest gain reduction, in dB (0 or negative)
    double limitedFraction = 0; // fraction of frames cut by more than 1 dB
};

// Renders the track between two times in seconds (the whole track by default). Shared effects
// start silent at 'fromSeconds', so a part rendered alone may differ from the whole in its tails.
StereoBuffer renderTrack(double fromSeconds = 0, double toSeconds = kTrackSeconds,
                         const RenderProgress& progress = nullptr,
                         LimiterFigures* limiter = nullptr);

// Highest absolute sample value of both channels.
float samplePeak(const StereoBuffer& buffer);

} // namespace music
