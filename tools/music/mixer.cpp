#include "tools/music/mixer.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace music {

namespace {

// Master chain settings.
constexpr float kMasterGainDb = -4.5f;
constexpr float kCeilingDb = -2.3f;         // limiter ceiling, below the -1 dBFS target to leave
                                            // room for the encoder's overshoot
constexpr double kLookaheadSeconds = 0.002; // limiter look-ahead
constexpr double kLimiterReleaseSeconds = 0.12;
constexpr double kOneDecibelCut = 0.8912509; // 10^(-1/20)
// The final chord fades out over its last seconds, reaching silence at kSilentFrom.
constexpr double kFadeOutSeconds = 3.0;

// Side-chain: pads, bass and arpeggio dip under every kick and swell back.
constexpr float kDuckDepth = 0.6f;
constexpr double kDuckAttackSeconds = 0.004;
constexpr double kDuckRecoverSeconds = 0.13;

// Shared effects.
constexpr double kDelaySeconds = kSecondsPerStep * 3; // dotted eighth
constexpr float kDelayFeedback = 0.38f;
constexpr float kReverbInput = 0.02f;
constexpr float kReverbReturn = 2.2f;

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

// Look-ahead peak limiter: the gain needed by every sample is spread back over the look-ahead
// by a running minimum and a moving average, so each peak is met without a sudden step.
LimiterFigures limit(StereoBuffer& out) {
    size_t frames = out.frames();
    size_t window = size_t(kLookaheadSeconds * kSampleRate);
    float ceiling = dbToGain(kCeilingDb);
    std::vector<float> needed(frames);
    for (size_t i = 0; i < frames; ++i) {
        float level = std::max(std::fabs(out.left[i]), std::fabs(out.right[i]));
        needed[i] = level > ceiling ? ceiling / level : 1.0f;
    }
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
    double sum = 0, gain = 1,
           release = 1.0 - std::exp(-1.0 / (kLimiterReleaseSeconds * kSampleRate));
    for (size_t i = 0; i < frames; ++i) {
        sum += ahead[i] - (i >= window ? ahead[i - window] : 1.0);
        double smoothed = (sum + double(window)) / double(window);
        gain = std::min(smoothed, gain + (1.0 - gain) * release);
        out.left[i] *= float(gain);
        out.right[i] *= float(gain);
        figures.deepestCutDb = std::min(figures.deepestCutDb, toDecibelsOf(gain));
        figures.limitedFraction += gain < kOneDecibelCut;
    }
    if (frames) figures.limitedFraction /= double(frames);
    return figures;
}

LimiterFigures master(StereoBuffer& out, long firstFrame) {
    Biquad rumbleLeft = Biquad::highPass(24, 0.7), rumbleRight = Biquad::highPass(24, 0.7);
    float gain = dbToGain(kMasterGainDb);
    for (size_t i = 0; i < out.frames(); ++i) {
        double t = double(firstFrame + long(i)) / kSampleRate;
        // Squared, so that the fade falls slowly at first and the chord dies away naturally.
        double fade = std::clamp((kSilentFrom - t) / kFadeOutSeconds, 0.0, 1.0);
        fade *= fade;
        fade = std::min(fade, std::min(1.0, t / 0.005));
        out.left[i] = float(rumbleLeft.process(out.left[i]) * gain * fade);
        out.right[i] = float(rumbleRight.process(out.right[i]) * gain * fade);
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
