// Signal building blocks of the music synthesiser: noise, band-limited oscillators, filters,
// envelopes, delay and reverb. Everything is single-threaded and deterministic: the same calls
// in the same order give the same samples.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace music {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// xorshift32 noise; a fixed seed gives a fixed sequence. The seed must not be 0.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    // Uniform in [-1, 1).
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(int32_t(state)) * (1.0f / 2147483648.0f);
    }
};

// Frequency of a MIDI note number in Hz (69 = A4 = 440 Hz).
inline double noteHz(double midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

inline float dbToGain(float db) {
    return std::pow(10.0f, db / 20.0f);
}

// Band-limited sawtooth (PolyBLEP), phase in cycles.
struct Saw {
    double phase = 0;
    float next(double hz);
};

// Band-limited pulse wave (PolyBLEP) with a duty cycle between 0 and 1.
struct Pulse {
    double phase = 0;
    float next(double hz, double duty = 0.5);
};

// Sine oscillator with phase in cycles; the caller may change the frequency every sample.
struct Sine {
    double phase = 0;
    float next(double hz) {
        float out = float(std::sin(2.0 * kPi * phase));
        phase += hz / kSampleRate;
        phase -= std::floor(phase);
        return out;
    }
};

// State-variable filter, trapezoidal integration (stable up to Nyquist). Call tune whenever
// the cutoff moves (every few samples is enough), then process once per sample.
struct Svf {
    float ic1 = 0, ic2 = 0;
    float k = 1, a1 = 0, a2 = 0, a3 = 0;
    float low = 0, band = 0, high = 0;
    // Cutoff in Hz, resonance q >= 0.5.
    void tune(float cutoffHz, float q);
    // Filters one sample; results in low, band and high.
    void process(float in);
};

// Transposed direct form II biquad with fixed coefficients.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;
    double process(double in) {
        double out = b0 * in + z1;
        z1 = b1 * in - a1 * out + z2;
        z2 = b2 * in - a2 * out;
        return out;
    }
    static Biquad lowPass(double hz, double q, double rate = kSampleRate);
    static Biquad highPass(double hz, double q, double rate = kSampleRate);
    static Biquad bandPass(double hz, double q, double rate = kSampleRate);
};

// Linear attack, exponential decay to a sustain level, exponential release after gate off.
// Times in seconds; t counts from note on, gateSeconds is how long the note is held.
float adsr(double t, double gateSeconds, double attack, double decay, float sustain,
           double release);

// The highest level of a signal reconstructed between two neighbouring samples: three points
// a quarter, a half and three quarters of the way, by a windowed-sinc interpolator (four-times
// oversampling). What a converter may reach above the sample peak.
class InterSamplePeak {
  public:
    InterSamplePeak();
    // Between samples i and i + 1; 0 where the interpolator would run off either end.
    double at(const std::vector<float>& samples, size_t i) const;

  private:
    static constexpr int kPhases = 4, kHalfTaps = 12;
    double taps[kPhases][2 * kHalfTaps];
};

// A feedback delay line of whole samples.
struct DelayLine {
    std::vector<float> buffer;
    size_t position = 0;
    explicit DelayLine(size_t length) : buffer(length > 0 ? length : 1, 0.0f) {}
    float read() const { return buffer[position]; }
    void write(float value) {
        buffer[position] = value;
        if (++position == buffer.size()) position = 0;
    }
};

// A stereo reverb: eight damped feedback combs and four allpasses per channel, the right
// channel's lines slightly longer for width (the classic Schroeder-Moorer structure).
class Reverb {
  public:
    Reverb(float roomSize, float damping);
    // Adds the reverberated input (mono) to outLeft and outRight.
    void process(float in, float& outLeft, float& outRight);

  private:
    struct Comb {
        DelayLine line;
        float store = 0;
    };
    std::vector<Comb> combs[2];
    std::vector<DelayLine> allpasses[2];
    float feedback, damping;
};

} // namespace music
