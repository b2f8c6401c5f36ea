#include "tools/music/dsp.h"

#include <algorithm>

namespace music {

namespace {

// Correction around a step discontinuity at phase 0 for phase increment dt.
double polyBlep(double phase, double dt) {
    if (phase < dt) {
        double x = phase / dt;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - dt) {
        double x = (phase - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

Biquad fromRbj(double b0, double b1, double b2, double a0, double a1, double a2) {
    Biquad f;
    f.b0 = b0 / a0;
    f.b1 = b1 / a0;
    f.b2 = b2 / a0;
    f.a1 = a1 / a0;
    f.a2 = a2 / a0;
    return f;
}

} // namespace

float Saw::next(double hz) {
    double dt = hz / kSampleRate;
    double out = 2.0 * phase - 1.0 - polyBlep(phase, dt);
    phase += dt;
    phase -= std::floor(phase);
    return float(out);
}

float Pulse::next(double hz, double duty) {
    double dt = hz / kSampleRate;
    double out = phase < duty ? 1.0 : -1.0;
    out += polyBlep(phase, dt);
    double shifted = phase - duty;
    shifted -= std::floor(shifted);
    out -= polyBlep(shifted, dt);
    phase += dt;
    phase -= std::floor(phase);
    return float(out);
}

void Svf::tune(float cutoffHz, float q) {
    float limited = std::min(std::max(cutoffHz, 10.0f), 0.45f * kSampleRate);
    float g = std::tan(float(kPi) * limited / kSampleRate);
    k = 1.0f / q;
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

void Svf::process(float in) {
    float v3 = in - ic2;
    float v1 = a1 * ic1 + a2 * v3;
    float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    low = v2;
    band = v1;
    high = in - k * v1 - v2;
}

Biquad Biquad::lowPass(double hz, double q, double rate) {
    double w = 2.0 * kPi * hz / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return fromRbj((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::highPass(double hz, double q, double rate) {
    double w = 2.0 * kPi * hz / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return fromRbj((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::bandPass(double hz, double q, double rate) {
    double w = 2.0 * kPi * hz / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return fromRbj(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

float adsr(double t, double gateSeconds, double attack, double decay, float sustain,
           double release) {
    auto held = [&](double u) -> double {
        if (u < 0) return 0.0;
        if (u < attack) return u / attack;
        return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gateSeconds) return float(held(t));
    return float(held(gateSeconds) * std::exp(-(t - gateSeconds) / release));
}

InterSamplePeak::InterSamplePeak() {
    for (int phase = 0; phase < kPhases; ++phase)
        for (int k = 0; k < 2 * kHalfTaps; ++k) {
            double u = k - kHalfTaps + double(phase) / kPhases; // time from the sample
            double sinc = u == 0 ? 1.0 : std::sin(kPi * u) / (kPi * u);
            double window = 0.5 + 0.5 * std::cos(kPi * u / kHalfTaps);
            taps[phase][k] = sinc * window;
        }
}

double InterSamplePeak::at(const std::vector<float>& x, size_t i) const {
    if (i + 1 < kHalfTaps || i + kHalfTaps >= x.size()) return 0.0;
    double peak = 0;
    for (int phase = 1; phase < kPhases; ++phase) {
        double sum = 0;
        for (int k = 0; k < 2 * kHalfTaps; ++k)
            sum += taps[phase][k] * x[i + kHalfTaps - size_t(k)];
        peak = std::max(peak, std::fabs(sum));
    }
    return peak;
}

Reverb::Reverb(float roomSize, float dampingAmount) : feedback(roomSize), damping(dampingAmount) {
    static const int kCombLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllpassLengths[] = {556, 441, 341, 225};
    const int kStereoSpread = 23;
    for (int channel = 0; channel < 2; ++channel) {
        for (int length : kCombLengths)
            combs[channel].push_back(Comb{DelayLine(size_t(length + channel * kStereoSpread))});
        for (int length : kAllpassLengths)
            allpasses[channel].emplace_back(size_t(length + channel * kStereoSpread));
    }
}

void Reverb::process(float in, float& outLeft, float& outRight) {
    float* outs[2] = {&outLeft, &outRight};
    for (int channel = 0; channel < 2; ++channel) {
        float sum = 0;
        for (Comb& comb : combs[channel]) {
            float delayed = comb.line.read();
            comb.store = delayed * (1.0f - damping) + comb.store * damping;
            comb.line.write(in + comb.store * feedback);
            sum += delayed;
        }
        for (DelayLine& allpass : allpasses[channel]) {
            float delayed = allpass.read();
            allpass.write(sum + delayed * 0.5f);
            sum = delayed - sum;
        }
        *outs[channel] += sum;
    }
}

} // namespace music
