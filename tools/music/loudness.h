// Loudness and level measurements of a stereo track: integrated loudness in LUFS as the
// broadcast loudness standard defines it (K-weighting, 400 ms blocks every 100 ms, an absolute
// gate at -70 LUFS and a relative gate 10 LU below the ungated level).
#pragma once

#include "tools/music/mixer.h"

namespace music {

// The loudness reported for a track that no block is loud enough for (silence).
constexpr double kSilentLoudness = -70.0;

// Integrated loudness of both channels (each weighted 1), in LUFS. Returns kSilentLoudness
// when no block passes the absolute gate, including tracks shorter than one block.
double integratedLoudness(const StereoBuffer& samples);

// Loudness of the span [fromSeconds, toSeconds) without gating, in LUFS: over 3 s this is the
// short-term loudness a loudness meter shows at toSeconds. Spans outside the samples are cut
// to them; reads kSilentLoudness for silence and for anything quieter.
double loudnessBetween(const StereoBuffer& samples, double fromSeconds, double toSeconds);

// Loudness range in LU: the spread between the 10th and 95th percentiles of the short-term
// loudness (3 s blocks every 100 ms) above -70 LUFS and 20 LU below their mean. 0 for silence.
double loudnessRange(const StereoBuffer& samples);

// Highest level of both channels with the peaks between samples, found by four-times
// oversampling: what a converter will reach (linear; toDecibels gives dBTP).
double truePeak(const StereoBuffer& samples);

// 20 log10 of a linear level; -inf for 0.
double toDecibels(double level);

} // namespace music
