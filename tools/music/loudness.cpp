#include "tools/music/loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace music {

namespace {

constexpr double kBlockSeconds = 0.4;
constexpr double kShortTermSeconds = 3.0;
constexpr double kStepSeconds = 0.1; // 75 % overlap for gating blocks
constexpr double kAbsoluteGate = -70.0;
constexpr double kRelativeGate = -10.0;
constexpr double kRangeGate = -20.0; // the loudness range's relative gate
constexpr double kLoudnessOffset = -0.691;

// The first K-weighting stage: a high shelf of about +4 dB above 1.5 kHz, modelling the head.
Biquad headShelf(double rate) {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(kPi * f0 / rate);
    double vh = std::pow(10.0, gainDb / 20.0);
    double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    Biquad f;
    f.b0 = (vh + vb * k / q + k * k) / a0;
    f.b1 = 2.0 * (k * k - vh) / a0;
    f.b2 = (vh - vb * k / q + k * k) / a0;
    f.a1 = 2.0 * (k * k - 1.0) / a0;
    f.a2 = (1.0 - k / q + k * k) / a0;
    return f;
}

// The second K-weighting stage: the revised low-frequency B-curve, a high pass near 38 Hz.
Biquad lowCut(double rate) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    double k = std::tan(kPi * f0 / rate);
    double a0 = 1.0 + k / q + k * k;
    Biquad f;
    f.b0 = 1.0;
    f.b1 = -2.0;
    f.b2 = 1.0;
    f.a1 = 2.0 * (k * k - 1.0) / a0;
    f.a2 = (1.0 - k / q + k * k) / a0;
    return f;
}

double blockLoudness(double meanSquare) {
    return meanSquare > 0 ? kLoudnessOffset + 10.0 * std::log10(meanSquare)
                          : -std::numeric_limits<double>::infinity();
}

// Mean square of the K-weighted signal, both channels summed, over blocks of the given length
// starting every 100 ms.
std::vector<double> blockPowers(const StereoBuffer& samples, double blockSeconds) {
    double rate = samples.sampleRate;
    size_t step = size_t(std::lround(kStepSeconds * rate));
    size_t stepsPerBlock = size_t(std::lround(blockSeconds / kStepSeconds));
    std::vector<double> stepEnergy; // sum of squares of each 100 ms step
    const std::vector<float>* channels[2] = {&samples.left, &samples.right};
    for (const std::vector<float>* channel : channels) {
        Biquad shelf = headShelf(rate), cut = lowCut(rate);
        size_t steps = channel->size() / step;
        stepEnergy.resize(steps, 0.0);
        for (size_t i = 0; i < steps * step; ++i) {
            double weighted = cut.process(shelf.process((*channel)[i]));
            stepEnergy[i / step] += weighted * weighted;
        }
    }
    std::vector<double> powers;
    for (size_t first = 0; first + stepsPerBlock <= stepEnergy.size(); ++first) {
        double sum = 0;
        for (size_t j = 0; j < stepsPerBlock; ++j)
            sum += stepEnergy[first + j];
        powers.push_back(sum / double(step * stepsPerBlock));
    }
    return powers;
}

// Mean power of the blocks louder than the gate (LUFS); 0 when none is.
double gatedMean(const std::vector<double>& powers, double gate) {
    double sum = 0;
    size_t count = 0;
    for (double power : powers) {
        if (blockLoudness(power) <= gate) continue;
        sum += power;
        ++count;
    }
    return count ? sum / double(count) : 0.0;
}

} // namespace

double integratedLoudness(const StereoBuffer& samples) {
    std::vector<double> powers = blockPowers(samples, kBlockSeconds);
    double ungated = gatedMean(powers, kAbsoluteGate);
    if (ungated <= 0) return kSilentLoudness;
    double relativeGate = blockLoudness(ungated) + kRelativeGate;
    double gated = gatedMean(powers, std::max(kAbsoluteGate, relativeGate));
    return gated > 0 ? blockLoudness(gated) : kSilentLoudness;
}

double loudnessBetween(const StereoBuffer& samples, double fromSeconds, double toSeconds) {
    double rate = samples.sampleRate;
    auto frameAt = [&](double seconds) {
        return size_t(std::clamp(std::lround(seconds * rate), 0L, long(samples.frames())));
    };
    size_t first = frameAt(fromSeconds), last = frameAt(toSeconds);
    // The filters settle on the half second before the span.
    size_t settle = frameAt(fromSeconds - 0.5);
    if (first >= last) return kSilentLoudness;
    double energy = 0;
    const std::vector<float>* channels[2] = {&samples.left, &samples.right};
    for (const std::vector<float>* channel : channels) {
        Biquad shelf = headShelf(rate), cut = lowCut(rate);
        for (size_t i = settle; i < last; ++i) {
            double weighted = cut.process(shelf.process((*channel)[i]));
            if (i >= first) energy += weighted * weighted;
        }
    }
    return std::max(kSilentLoudness, blockLoudness(energy / double(last - first)));
}

double loudnessRange(const StereoBuffer& samples) {
    std::vector<double> powers = blockPowers(samples, kShortTermSeconds);
    double ungated = gatedMean(powers, kAbsoluteGate);
    if (ungated <= 0) return 0.0;
    double gate = std::max(kAbsoluteGate, blockLoudness(ungated) + kRangeGate);
    std::vector<double> kept;
    for (double power : powers)
        if (blockLoudness(power) > gate) kept.push_back(blockLoudness(power));
    if (kept.empty()) return 0.0;
    std::sort(kept.begin(), kept.end());
    auto percentile = [&](double p) {
        return kept[size_t(std::lround(p * double(kept.size() - 1)))];
    };
    return percentile(0.95) - percentile(0.10);
}

double truePeak(const StereoBuffer& samples) {
    InterSamplePeak between;
    double peak = 0;
    for (const std::vector<float>* channel : {&samples.left, &samples.right})
        for (size_t i = 0; i < channel->size(); ++i)
            peak = std::max({peak, double(std::fabs((*channel)[i])), between.at(*channel, i)});
    return peak;
}

double toDecibels(double level) {
    return level > 0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity();
}

} // namespace music
