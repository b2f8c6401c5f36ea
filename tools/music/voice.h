// What every instrument shares: panning, the walk over a note's frames and the writes into the
// buses. Included by the instrument files only.
#pragma once

#include "tools/music/mixer.h"

#include <algorithm>
#include <cmath>

namespace music {

inline constexpr int kTuneInterval = 16; // samples between filter cutoff updates
inline constexpr size_t kOutsideBuses = size_t(-1);

struct PanGains {
    float left, right;
};

// Equal-power pan, normalised so that the centre passes both channels at unity.
inline PanGains panGains(float pan) {
    double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * kPi / 4.0;
    return {float(std::cos(angle) * std::sqrt(2.0)), float(std::sin(angle) * std::sqrt(2.0))};
}

// Walks the frames of one note that may reach into the buses, calling 'voice' with the note
// time t in seconds, the frame n counted from the note's start and the frame's bus index, or
// kOutsideBuses for frames before the buses (the voice still runs there to build its state).
template <typename Voice> void play(const Note& note, double seconds, Buses& buses, Voice&& voice) {
    long start = std::lround(note.start * kSampleRate);
    long length = long(seconds * kSampleRate);
    long end = buses.firstFrame + long(buses.frames());
    if (start + length <= buses.firstFrame || start >= end) return;
    for (long n = 0; n < length && start + n < end; ++n) {
        long index = start + n - buses.firstFrame;
        voice(double(n) / kSampleRate, n, index >= 0 ? size_t(index) : kOutsideBuses);
    }
}

inline void addStereo(std::vector<float>& left, std::vector<float>& right, size_t index, float l,
                      float r) {
    left[index] += l;
    right[index] += r;
}

// The drums, in drums.cpp.
void kick(const Note& note, uint32_t seed, Buses& buses);
void clap(const Note& note, uint32_t seed, Buses& buses);
void snare(const Note& note, uint32_t seed, Buses& buses);
void hat(const Note& note, uint32_t seed, Buses& buses, double decay, float level);
void riser(const Note& note, uint32_t seed, Buses& buses);

} // namespace music
