// The instruments: one function per sound, each rendering a single note into the buses.
#include "tools/music/mixer.h"
#include "tools/music/spectrum_report.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

constexpr int kTuneInterval = 16; // samples between filter cutoff updates
constexpr size_t kOutsideBuses = size_t(-1);

struct PanGains {
    float left, right;
};

// Equal-power pan, normalised so that the centre passes both channels at unity.
PanGains panGains(float pan) {
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

void addStereo(std::vector<float>& left, std::vector<float>& right, size_t index, float l,
               float r) {
    left[index] += l;
    right[index] += r;
}

void kick(const Note& note, uint32_t seed, Buses& buses) {
    Sine body;
    Noise noise(seed);
    Biquad clickFilter = Biquad::highPass(2500, 0.7);
    float gain = 0.9f * note.velocity;
    play(note, 0.56, buses, [&](double t, long, size_t index) {
        double hz = 45.0 + 120.0 * std::exp(-t / 0.018) + 400.0 * std::exp(-t / 0.003);
        double envelope = std::min(1.0, t / 0.0015) * std::exp(-t / 0.4);
        envelope *= std::min(1.0, (0.56 - t) / 0.06); // fade out before the next beat
        float tone = float(std::tanh(1.4 * body.next(hz) * envelope) / std::tanh(1.4));
        float click = float(clickFilter.process(noise.next())) * float(std::exp(-t / 0.003));
        float value = gain * (tone + 0.25f * click);
        if (index != kOutsideBuses) addStereo(buses.dryLeft, buses.dryRight, index, value, value);
    });
}

void clap(const Note& note, uint32_t seed, Buses& buses) {
    Noise noise(seed);
    Biquad low = Biquad::bandPass(1400, 0.9), high = Biquad::bandPass(2600, 1.0);
    Sine body;
    PanGains pan = panGains(note.pan);
    float gain = 0.45f * note.velocity;
    play(note, 0.7, buses, [&](double t, long, size_t index) {
        // Three quick hands, then the room's tail.
        double envelope = 0;
        for (int hand = 0; hand < 3; ++hand) {
            double u = t - 0.011 * hand;
            if (u >= 0) envelope = std::max(envelope, std::exp(-u / 0.0045));
        }
        if (t > 0.022) envelope = std::max(envelope, 0.7 * std::exp(-(t - 0.022) / 0.10));
        float white = noise.next();
        float crack = float(low.process(white) + 0.8 * high.process(white));
        float tone = 0.35f * body.next(185.0) * float(std::exp(-t / 0.045));
        // Soft clipping keeps the clap's noise peaks from pushing the kick under the limiter.
        float value = gain * 0.6f * std::tanh((2.2f * crack * float(envelope) + tone) / 0.6f);
        if (index == kOutsideBuses) return;
        addStereo(buses.dryLeft, buses.dryRight, index, value * pan.left, value * pan.right);
        buses.reverbSend[index] += 0.45f * value;
    });
}

// Hats: high-passed noise over a metallic cluster of square waves. The squares are tuned to
// the spectrum bands the scenes read (1.3 to 2.8 kHz and 4.3 kHz), so every hat lights them.
void hat(const Note& note, uint32_t seed, Buses& buses, double decay, float level) {
    static const double kMetalBands[7] = {30, 35, 40, 50, 55, 65, 100};
    Noise noise(seed);
    Pulse metal[7];
    double metalHz[7];
    for (int i = 0; i < 7; ++i) {
        metalHz[i] = kMetalBands[i] * kDemoRate / kDemoBlockFrames;
        metal[i].phase = 0.5 + 0.5 * double(noise.next());
    }
    Biquad highPass = Biquad::highPass(3000, 0.7);
    PanGains pan = panGains(note.pan);
    play(note, decay * 7.0, buses, [&](double t, long, size_t index) {
        float metallic = 0;
        for (int i = 0; i < 7; ++i)
            metallic += metal[i].next(metalHz[i]);
        float value =
            float(0.12 * highPass.process(noise.next()) + 0.75 * std::tanh(metallic / 4.0));
        value *= level * note.velocity * float(std::min(1.0, t / 0.0008) * std::exp(-t / decay));
        if (index == kOutsideBuses) return;
        addStereo(buses.dryLeft, buses.dryRight, index, value * pan.left, value * pan.right);
        buses.reverbSend[index] += 0.12f * value;
    });
}

void bass(const Note& note, uint32_t, Buses& buses) {
    Saw sawA, sawB;
    Pulse pulse;
    sawB.phase = 0.37;
    Svf filter;
    double hz = noteHz(note.pitch);
    float gain = 0.48f * note.velocity;
    play(note, note.length + 0.25, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0)
            filter.tune(float(160.0 + 1500.0 * note.velocity * std::exp(-t / 0.09)), 1.1f);
        float raw = 0.45f * sawA.next(hz * 0.9965) + 0.45f * sawB.next(hz * 1.0035) +
                    0.3f * pulse.next(hz * 0.5, 0.5);
        filter.process(raw);
        float envelope = adsr(t, note.length, 0.003, 0.18, 0.65f, 0.03);
        float value = gain * float(std::tanh(1.8 * filter.low)) * envelope;
        if (index == kOutsideBuses) return;
        addStereo(buses.duckedLeft, buses.duckedRight, index, value, value);
    });
}

// Pads: three detuned saws per note spread across the stereo field, a slowly breathing
// low-pass filter that follows the track's clock so held chords move together.
void pad(const Note& note, uint32_t seed, Buses& buses) {
    Saw saws[3];
    Noise phases(seed);
    for (Saw& saw : saws)
        saw.phase = 0.5 + 0.5 * phases.next();
    Svf filterLeft, filterRight;
    double hz = noteHz(note.pitch);
    const double kDetune[3] = {0.9948, 1.0, 1.0052};
    PanGains pan = panGains(note.pan * 0.5f);
    float gain = 0.105f * note.velocity;
    double release = 0.9;
    play(note, note.length + release * 5, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0) {
            double clock = note.start + t;
            float cutoff =
                float(3200.0 + 1200.0 * std::sin(2.0 * kPi * clock / 19.2) + 500.0 * note.velocity);
            filterLeft.tune(cutoff, 0.9f);
            filterRight.tune(cutoff * 1.07f, 0.9f);
        }
        float a = saws[0].next(hz * kDetune[0]), b = saws[1].next(hz * kDetune[1]);
        float c = saws[2].next(hz * kDetune[2]);
        filterLeft.process(a + 0.6f * b);
        filterRight.process(c + 0.6f * b);
        float envelope = gain * adsr(t, note.length, 0.35, 1.2, 0.75f, release);
        if (index == kOutsideBuses) return;
        float left = filterLeft.low * envelope * pan.left;
        float right = filterRight.low * envelope * pan.right;
        addStereo(buses.duckedLeft, buses.duckedRight, index, left, right);
        buses.reverbSend[index] += 0.35f * (left + right);
    });
}

void arp(const Note& note, uint32_t, Buses& buses) {
    Pulse pulse;
    Saw saw;
    Svf filter;
    double hz = noteHz(note.pitch);
    PanGains pan = panGains(note.pan);
    float gain = 0.32f * note.velocity;
    play(note, note.length + 0.35, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0)
            filter.tune(float(1500.0 + 5000.0 * note.velocity * std::exp(-t / 0.06)), 1.6f);
        filter.process(0.6f * pulse.next(hz, 0.3) + 0.4f * saw.next(hz * 1.004));
        float envelope = gain * float(std::min(1.0, t / 0.002) * std::exp(-t / 0.16));
        if (t > note.length) envelope *= float(std::exp(-(t - note.length) / 0.05));
        if (index == kOutsideBuses) return;
        float value = filter.low * envelope;
        addStereo(buses.duckedLeft, buses.duckedRight, index, value * pan.left, value * pan.right);
        buses.delaySend[index] += 0.45f * value;
        buses.reverbSend[index] += 0.2f * value;
    });
}

// FM bells: a sine carrier whose modulator at 3.5 times its frequency fades out, spreading
// sidebands over the upper mid range at the attack.
void bell(const Note& note, uint32_t, Buses& buses) {
    Sine carrier, modulator;
    double hz = noteHz(note.pitch);
    PanGains pan = panGains(note.pan);
    float gain = 0.12f * note.velocity;
    play(note, 2.4, buses, [&](double t, long, size_t index) {
        double depth = 3.0 * std::exp(-t / 0.5);
        double bend = 1.0 + depth * modulator.next(hz * 3.5);
        float value =
            gain * carrier.next(hz * bend) * float(std::min(1.0, t / 0.002) * std::exp(-t / 0.4));
        if (index == kOutsideBuses) return;
        addStereo(buses.duckedLeft, buses.duckedRight, index, value * pan.left, value * pan.right);
        buses.delaySend[index] += 0.3f * value;
        buses.reverbSend[index] += 0.25f * value;
    });
}

void lead(const Note& note, uint32_t, Buses& buses) {
    Saw saw;
    Pulse pulse;
    Sine vibrato;
    Svf filter;
    double hz = noteHz(note.pitch);
    float gain = 0.24f * note.velocity;
    play(note, note.length + 0.8, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0) filter.tune(float(3000.0 + 3000.0 * std::exp(-t / 0.25)), 1.3f);
        double depth = 0.004 * std::min(1.0, std::max(0.0, (t - 0.18) / 0.3));
        double bend = 1.0 + depth * vibrato.next(5.4);
        filter.process(0.55f * saw.next(hz * bend) + 0.45f * pulse.next(hz * bend * 1.004, 0.5));
        float value = gain * filter.low * adsr(t, note.length, 0.012, 0.4, 0.7f, 0.16);
        if (index == kOutsideBuses) return;
        addStereo(buses.dryLeft, buses.dryRight, index, value, value);
        buses.delaySend[index] += 0.35f * value;
        buses.reverbSend[index] += 0.3f * value;
    });
}

// The finale's lead: seven detuned saws spread across the stereo field through one opening
// low-pass each side, with a delayed vibrato; brighter and wider than the main tune's lead.
void supersaw(const Note& note, uint32_t seed, Buses& buses) {
    static const double kDetune[7] = {0.9885, 0.9932, 0.9973, 1.0, 1.0029, 1.0068, 1.0112};
    static const float kSpread[7] = {-0.9f, 0.6f, -0.3f, 0.0f, 0.3f, -0.6f, 0.9f};
    Saw saws[7];
    Noise phases(seed);
    for (Saw& saw : saws)
        saw.phase = 0.5 + 0.5 * phases.next();
    Sine vibrato;
    Svf filterLeft, filterRight;
    double hz = noteHz(note.pitch);
    float gain = 0.15f * note.velocity;
    play(note, note.length + 0.6, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0) {
            float cutoff = float(2600.0 + 3400.0 * std::exp(-t / 0.3));
            filterLeft.tune(cutoff, 0.8f);
            filterRight.tune(cutoff * 1.05f, 0.8f);
        }
        double depth = 0.005 * std::min(1.0, std::max(0.0, (t - 0.2) / 0.3));
        double bend = 1.0 + depth * vibrato.next(5.8);
        float left = 0, right = 0;
        for (int i = 0; i < 7; ++i) {
            float value = saws[i].next(hz * bend * kDetune[i]);
            left += value * (1.0f - kSpread[i]) * 0.5f;
            right += value * (1.0f + kSpread[i]) * 0.5f;
        }
        filterLeft.process(left);
        filterRight.process(right);
        float envelope = gain * adsr(t, note.length, 0.008, 0.35, 0.75f, 0.14);
        if (index == kOutsideBuses) return;
        float outLeft = filterLeft.low * envelope, outRight = filterRight.low * envelope;
        addStereo(buses.dryLeft, buses.dryRight, index, outLeft, outRight);
        buses.delaySend[index] += 0.3f * (outLeft + outRight) * 0.5f;
        buses.reverbSend[index] += 0.3f * (outLeft + outRight) * 0.5f;
    });
}

// A chord pluck: a saw and a square through a low-pass that snaps shut, ducked under the kick
// so that the off-beats pump.
void stab(const Note& note, uint32_t, Buses& buses) {
    Saw saw;
    Pulse pulse;
    Svf filter;
    double hz = noteHz(note.pitch);
    PanGains pan = panGains(note.pan);
    float gain = 0.2f * note.velocity;
    play(note, note.length + 0.2, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0) filter.tune(float(700.0 + 4200.0 * std::exp(-t / 0.05)), 1.2f);
        filter.process(0.6f * saw.next(hz) + 0.4f * pulse.next(hz * 1.003, 0.4));
        float envelope = gain * adsr(t, note.length, 0.002, 0.09, 0.35f, 0.05);
        if (index == kOutsideBuses) return;
        float value = filter.low * envelope;
        addStereo(buses.duckedLeft, buses.duckedRight, index, value * pan.left, value * pan.right);
        buses.delaySend[index] += 0.25f * value;
        buses.reverbSend[index] += 0.2f * value;
    });
}

// A noise sweep that climbs over its length into the next section.
void riser(const Note& note, uint32_t seed, Buses& buses) {
    Noise noise(seed);
    Svf filter;
    float gain = 0.22f * note.velocity;
    play(note, note.length + 0.05, buses, [&](double t, long n, size_t index) {
        double progress = std::min(1.0, t / note.length);
        if (n % kTuneInterval == 0) filter.tune(float(250.0 * std::pow(28.0, progress)), 2.5f);
        filter.process(noise.next());
        float value = gain * filter.band * float(progress * progress);
        if (t > note.length) value *= float((note.length + 0.05 - t) / 0.05);
        if (index == kOutsideBuses) return;
        addStereo(buses.dryLeft, buses.dryRight, index, value, value);
        buses.reverbSend[index] += 0.5f * value;
    });
}

} // namespace

void renderNote(const Note& note, uint32_t seed, Buses& buses) {
    switch (note.instrument) {
    case Instrument::Kick:
        kick(note, seed, buses);
        break;
    case Instrument::Clap:
        clap(note, seed, buses);
        break;
    case Instrument::ClosedHat:
        hat(note, seed, buses, 0.04, 1.3f);
        break;
    case Instrument::OpenHat:
        hat(note, seed, buses, 0.16, 0.7f);
        break;
    case Instrument::Crash:
        hat(note, seed, buses, 0.6, 0.8f);
        break;
    case Instrument::Bass:
        bass(note, seed, buses);
        break;
    case Instrument::Pad:
        pad(note, seed, buses);
        break;
    case Instrument::Arp:
        arp(note, seed, buses);
        break;
    case Instrument::Bell:
        bell(note, seed, buses);
        break;
    case Instrument::Lead:
        lead(note, seed, buses);
        break;
    case Instrument::Riser:
        riser(note, seed, buses);
        break;
    case Instrument::Supersaw:
        supersaw(note, seed, buses);
        break;
    case Instrument::Stab:
        stab(note, seed, buses);
        break;
    }
}

} // namespace music
