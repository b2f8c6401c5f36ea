#include "tools/music/mixer.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace music {

namespace {

// Master chain settings.
constexpr float kMasterGainDb = 3.5f;
// The encoder drops what lies above this; the master does so before the limiter, so that
// the encoded peaks stay where the limiter put them.
constexpr double kTopHz = 16000.0;
constexpr double kMonoBelowHz = 150.0; // the side signal is high-passed here: a mono low end
// Bus compressor: threshold on the louder channel's level over about 10 ms, in dBFS, with the
// lowest octaves left out of the level so that the kick does not pump the whole band.
constexpr double kCompressorSenseAboveHz = 120.0;
constexpr double kCompressorThresholdDb = -7.0;
constexpr double kCompressorRatio = 1.6;
constexpr double kCompressorSenseSeconds = 0.01;
constexpr double kCompressorAttackSeconds = 0.01;
constexpr double kCompressorReleaseSeconds = 0.16;
constexpr float kCeilingDb = -3.0f;         // limiter ceiling, below the -1 dBFS target to leave
                                            // room for the encoder's overshoot
constexpr double kLookaheadSeconds = 0.002; // limiter look-ahead
constexpr double kLimiterReleaseSeconds = 0.06;
constexpr double kOneDecibelCut = 0.8912509; // 10^(-1/20)
// The final chord fades out over its last seconds, reaching silence at kSilentFrom.
constexpr double kFadeOutSeconds = 3.0;

// Side-chain: bass, pads, arpeggio, bells, plucks and leads dip under every kick and swell
// back.
constexpr float kDuckDepth = 0.8f;
constexpr double kDuckAttackSeconds = 0.004;
constexpr double kDuckRecoverSeconds = 0.13;
constexpr size_t kFilterInterval = 32; // samples between the bus filters' cutoff updates

// Shared effects.
constexpr double kDelaySeconds = kSecondsPerStep * 3; // dotted eighth
constexpr float kDelayFeedback = 0.38f;
constexpr float kReverbInput = 0.02f;
constexpr float kReverbReturn = 2.2f;

// How far a one-pole smoother moves per sample for a time constant in seconds.
double smoothing(double seconds) {
    return 1.0 - std::exp(-1.0 / (seconds * kSampleRate));
}

double toDecibelsOf(double gain) {
    return 20.0 * std::log10(std::max(gain, 1e-9));
}

uint32_t noteSeed(size_t index) {
    return 0x2545F491u + uint32_t(index) * 0x9E3779B1u;
}

void renderNotes(const std::vector<Note>& notes, Buses& buses, const RenderProgress& progress) {
    for (size_t i = 0; i < notes.size(); ++i) {
        renderNote(notes[i], noteSeed(i), buses);
        if (progress && i % 64 == 0) progress(0.85 * double(i) / double(notes.size()));
    }
}

void duckUnderKicks(const std::vector<Note>& notes, Buses& buses) {
    std::vector<const Note*> kicks;
    for (const Note& note : notes)
        if (note.instrument == Instrument::Kick) kicks.push_back(&note);
    size_t next = 0;
    const Note* last = nullptr;
    for (size_t i = 0; i < buses.frames(); ++i) {
        double t = double(buses.firstFrame + long(i)) / kSampleRate;
        while (next < kicks.size() && kicks[next]->start <= t)
            last = kicks[next++];
        if (!last) continue;
        double u = t - last->start;
        double shape = u < kDuckAttackSeconds
                           ? u / kDuckAttackSeconds
                           : std::exp(-(u - kDuckAttackSeconds) / kDuckRecoverSeconds);
        float gain = 1.0f - kDuckDepth * last->velocity * float(shape);
        buses.duckedLeft[i] *= gain;
        buses.duckedRight[i] *= gain;
    }
}

// The build's filter sweeps on the ducked bus (see busFilterAt); elsewhere the bus passes.
void filterDuckedBus(Buses& buses) {
    Svf lowLeft, lowRight, highLeft, highRight;
    BusFilter filter;
    for (size_t i = 0; i < buses.frames(); ++i) {
        if (i % kFilterInterval == 0) {
            filter = busFilterAt(double(buses.firstFrame + long(i)) / kSampleRate);
            if (filter.lowPassHz > 0) {
                lowLeft.tune(filter.lowPassHz, 0.8f);
                lowRight.tune(filter.lowPassHz, 0.8f);
            }
            if (filter.highPassHz > 0) {
                highLeft.tune(filter.highPassHz, 0.8f);
                highRight.tune(filter.highPassHz, 0.8f);
            }
        }
        float& left = buses.duckedLeft[i];
        float& right = buses.duckedRight[i];
        if (filter.lowPassHz > 0) {
            lowLeft.process(left);
            lowRight.process(right);
            left = lowLeft.low;
            right = lowRight.low;
        }
        if (filter.highPassHz > 0) {
            highLeft.process(left);
            highRight.process(right);
            left = highLeft.high;
            right = highRight.high;
        }
    }
}

// Soft clipping of the drums alone: their short peaks (kick, snare and clap together) are
// rounded off above the knee instead of pulling the whole mix down in the limiter.
void clipDrums(Buses& buses) {
    constexpr float kKnee = 0.5f;
    auto clip = [](float x) {
        float size = std::fabs(x);
        if (size <= kKnee) return x;
        float rounded = kKnee + (1.0f - kKnee) * std::tanh((size - kKnee) / (1.0f - kKnee));
        return std::copysign(rounded, x);
    };
    for (size_t i = 0; i < buses.frames(); ++i) {
        buses.dryLeft[i] = clip(buses.dryLeft[i]);
        buses.dryRight[i] = clip(buses.dryRight[i]);
    }
}

// Ping-pong delay and reverb from the sends, added into the output.
void addEffects(const Buses& buses, StereoBuffer& out) {
    DelayLine left(size_t(kDelaySeconds * kSampleRate)), right(size_t(kDelaySeconds * kSampleRate));
    float damped = 0;
    Reverb reverb(0.85f, 0.35f);
    for (size_t i = 0; i < buses.frames(); ++i) {
        float fromLeft = left.read(), fromRight = right.read();
        damped += 0.45f * (fromRight - damped);
        left.write(buses.delaySend[i] + kDelayFeedback * damped);
        right.write(kDelayFeedback * fromLeft);
        out.left[i] += fromLeft;
        out.right[i] += fromRight;
        float wetLeft = 0, wetRight = 0;
        reverb.process(kReverbInput * buses.reverbSend[i], wetLeft, wetRight);
        out.left[i] += kReverbReturn * wetLeft;
        out.right[i] += kReverbReturn * wetRight;
    }
}

// The gain each frame needs so that neither its samples nor the peaks between them and the
// next exceed the ceiling. Peaks between samples are looked for only near samples above half
// the ceiling: they do not rise 6 dB above their neighbours.
std::vector<float> neededGains(const StereoBuffer& out, float ceiling) {
    InterSamplePeak between;
    std::vector<float> needed(out.frames(), 1.0f);
    for (size_t i = 0; i < out.frames(); ++i) {
        double level = std::max(std::fabs(out.left[i]), std::fabs(out.right[i]));
        if (i + 1 < out.frames())
            level = std::max(
                {level, double(std::fabs(out.left[i + 1])), double(std::fabs(out.right[i + 1]))});
        if (level > 0.5 * ceiling)
            level = std::max({level, between.at(out.left, i), between.at(out.right, i)});
        if (level > ceiling) needed[i] = float(ceiling / level);
    }
    return needed;
}

// Look-ahead true-peak limiter: the gain needed by every frame is spread back over the
// look-ahead by a running minimum and a moving average, so each peak is met without a sudden
// step.
LimiterFigures limit(StereoBuffer& out) {
    size_t frames = out.frames();
    size_t window = size_t(kLookaheadSeconds * kSampleRate);
    std::vector<float> needed = neededGains(out, dbToGain(kCeilingDb));
    // ahead[i] = min(needed[i .. i + window - 1])
    std::vector<float> ahead(frames);
    std::deque<size_t> candidates;
    for (size_t i = frames; i-- > 0;) {
        while (!candidates.empty() && needed[candidates.back()] >= needed[i])
            candidates.pop_back();
        candidates.push_back(i);
        if (candidates.front() >= i + window) candidates.pop_front();
        ahead[i] = needed[candidates.front()];
    }
    LimiterFigures figures;
    // Frames before the first count as needing its gain: a render that starts on a peak meets it.
    double before = frames ? ahead[0] : 1.0;
    double sum = before * double(window), gain = before,
           release = smoothing(kLimiterReleaseSeconds);
    for (size_t i = 0; i < frames; ++i) {
        sum += ahead[i] - (i >= window ? ahead[i - window] : before);
        double smoothed = sum / double(window);
        gain = std::min(smoothed, gain + (1.0 - gain) * release);
        out.left[i] *= float(gain);
        out.right[i] *= float(gain);
        figures.deepestCutDb = std::min(figures.deepestCutDb, toDecibelsOf(gain));
        figures.limitedFraction += gain < kOneDecibelCut;
    }
    if (frames) figures.limitedFraction /= double(frames);
    return figures;
}

// Feed-forward compressor gluing the mix: above the threshold the louder channel's short-term
// level (above the kick's range) rises by only 1/ratio; the gain follows quickly down and
// slowly back up.
void compress(StereoBuffer& out) {
    Biquad senseLeft = Biquad::highPass(kCompressorSenseAboveHz, 0.7);
    Biquad senseRight = Biquad::highPass(kCompressorSenseAboveHz, 0.7);
    double power = 0, reductionDb = 0;
    double sense = smoothing(kCompressorSenseSeconds), attack = smoothing(kCompressorAttackSeconds),
           release = smoothing(kCompressorReleaseSeconds);
    for (size_t i = 0; i < out.frames(); ++i) {
        double level = std::max(std::fabs(senseLeft.process(out.left[i])),
                                std::fabs(senseRight.process(out.right[i])));
        power += (level * level - power) * sense;
        double overDb = 10.0 * std::log10(power + 1e-12) - kCompressorThresholdDb;
        double target = overDb > 0 ? overDb * (1.0 - 1.0 / kCompressorRatio) : 0.0;
        reductionDb += (target - reductionDb) * (target > reductionDb ? attack : release);
        float gain = dbToGain(float(-reductionDb));
        out.left[i] *= gain;
        out.right[i] *= gain;
    }
}

LimiterFigures master(StereoBuffer& out, long firstFrame) {
    Biquad rumbleLeft = Biquad::highPass(24, 0.7), rumbleRight = Biquad::highPass(24, 0.7);
    Biquad sideLow = Biquad::highPass(kMonoBelowHz, 0.7);
    Biquad topLeft = Biquad::lowPass(kTopHz, 0.7), topRight = Biquad::lowPass(kTopHz, 0.7);
    for (size_t i = 0; i < out.frames(); ++i) {
        double left = topLeft.process(rumbleLeft.process(out.left[i]));
        double right = topRight.process(rumbleRight.process(out.right[i]));
        double mid = 0.5 * (left + right), side = sideLow.process(0.5 * (left - right));
        out.left[i] = float(mid + side);
        out.right[i] = float(mid - side);
    }
    float gain = dbToGain(kMasterGainDb);
    for (size_t i = 0; i < out.frames(); ++i) {
        out.left[i] *= gain;
        out.right[i] *= gain;
    }
    compress(out);
    for (size_t i = 0; i < out.frames(); ++i) {
        double t = double(firstFrame + long(i)) / kSampleRate;
        // Squared, so that the fade falls slowly at first and the chord dies away naturally.
        double fade = std::clamp((kSilentFrom - t) / kFadeOutSeconds, 0.0, 1.0);
        fade *= fade;
        fade = std::min(fade, std::min(1.0, t / 0.005));
        out.left[i] = float(out.left[i] * fade);
        out.right[i] = float(out.right[i] * fade);
    }
    return limit(out);
}

} // namespace

Buses::Buses(long first, size_t frames)
    : firstFrame(first), dryLeft(frames), dryRight(frames), duckedLeft(frames), duckedRight(frames),
      reverbSend(frames), delaySend(frames) {}

StereoBuffer renderTrack(double fromSeconds, double toSeconds, const RenderProgress& progress,
                         LimiterFigures* limiter) {
    long first = std::lround(std::max(0.0, fromSeconds) * kSampleRate);
    long last = std::max(first, long(std::lround(toSeconds * kSampleRate)));
    Buses buses(first, size_t(last - first));
    std::vector<Note> notes = composeScore();
    renderNotes(notes, buses, progress);
    duckUnderKicks(notes, buses);
    filterDuckedBus(buses);
    clipDrums(buses);
    StereoBuffer out;
    out.left.resize(buses.frames());
    out.right.resize(buses.frames());
    for (size_t i = 0; i < buses.frames(); ++i) {
        out.left[i] = buses.dryLeft[i] + buses.duckedLeft[i];
        out.right[i] = buses.dryRight[i] + buses.duckedRight[i];
    }
    addEffects(buses, out);
    if (progress) progress(0.95);
    LimiterFigures figures = master(out, first);
    if (limiter) *limiter = figures;
    if (progress) progress(1.0);
    return out;
}

float samplePeak(const StereoBuffer& buffer) {
    float peak = 0;
    for (size_t i = 0; i < buffer.frames(); ++i)
        peak = std::max({peak, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
    return peak;
}

} // namespace music
