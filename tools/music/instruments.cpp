// The tonal instruments, one function per sound, each rendering a single note into the buses,
// and the dispatch of every note to its instrument.
#include "tools/music/voice.h"

namespace music {

namespace {

// Bass: two detuned saws and a sine an octave down through a resonant low pass that snaps
// shut, driven for harmonics that carry on small speakers. The sine moves up to the root where
// an octave down would sit on the kick's fundamental, and a high pass keeps the lowest octave
// to the kick.
void bass(const Note& note, uint32_t, Buses& buses) {
    constexpr double kLowestSubHz = 65.0;
    Saw sawA, sawB;
    Sine sub;
    sawB.phase = 0.37;
    Svf filter;
    Biquad kickRoom = Biquad::highPass(45, 0.7);
    double hz = noteHz(note.pitch);
    double subHz = hz * 0.5 >= kLowestSubHz ? hz * 0.5 : hz;
    float gain = 0.17f * note.velocity;
    play(note, note.length + 0.25, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0)
            filter.tune(float(220.0 + 1800.0 * note.velocity * std::exp(-t / 0.08)), 1.2f);
        filter.process(0.5f * sawA.next(hz * 0.9965) + 0.5f * sawB.next(hz * 1.0035));
        double driven = std::tanh(2.4 * filter.low) + 0.45 * sub.next(subHz);
        float envelope = adsr(t, note.length, 0.003, 0.18, 0.65f, 0.03);
        float value = gain * float(kickRoom.process(driven)) * envelope;
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
    const double kDetune[3] = {0.993, 1.0, 1.007};
    PanGains pan = panGains(note.pan * 0.7f);
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
        filterLeft.process(a + 0.3f * b);
        filterRight.process(c + 0.3f * b);
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

// Lead: a saw and a square with a delayed vibrato through an opening low pass; the right
// channel's saw is detuned a little against the left's for width.
void lead(const Note& note, uint32_t, Buses& buses) {
    Saw saw, wideSaw;
    Pulse pulse;
    Sine vibrato;
    Svf filterLeft, filterRight;
    double hz = noteHz(note.pitch);
    PanGains pan = panGains(note.pan);
    float gain = 0.24f * note.velocity;
    play(note, note.length + 0.8, buses, [&](double t, long n, size_t index) {
        if (n % kTuneInterval == 0) {
            float cutoff = float(3500.0 + 3500.0 * std::exp(-t / 0.25));
            filterLeft.tune(cutoff, 1.3f);
            filterRight.tune(cutoff, 1.3f);
        }
        double depth = 0.004 * std::min(1.0, std::max(0.0, (t - 0.18) / 0.3));
        double bend = 1.0 + depth * vibrato.next(5.4);
        float square = 0.45f * pulse.next(hz * bend * 1.004, 0.5);
        filterLeft.process(0.55f * saw.next(hz * bend * 0.997) + square);
        filterRight.process(0.55f * wideSaw.next(hz * bend * 1.007) + square);
        float envelope = gain * adsr(t, note.length, 0.012, 0.4, 0.7f, 0.16);
        if (index == kOutsideBuses) return;
        float left = filterLeft.low * envelope * pan.left;
        float right = filterRight.low * envelope * pan.right;
        addStereo(buses.duckedLeft, buses.duckedRight, index, left, right);
        buses.delaySend[index] += 0.35f * 0.5f * (left + right);
        buses.reverbSend[index] += 0.3f * 0.5f * (left + right);
    });
}

// The finale's lead: seven detuned saws spread across the stereo field, two more an octave
// down and one an octave up in the middle, through one opening low pass each
// side and a delayed vibrato; brighter, wider and fuller than the main tune's lead.
void supersaw(const Note& note, uint32_t seed, Buses& buses) {
    static const double kDetune[7] = {0.9885, 0.9932, 0.9973, 1.0, 1.0029, 1.0068, 1.0112};
    static const float kSpread[7] = {-0.6f, 0.4f, -0.2f, 0.0f, 0.2f, -0.4f, 0.6f};
    Saw saws[7], octaves[3];
    Noise phases(seed);
    for (Saw& saw : saws)
        saw.phase = 0.5 + 0.5 * phases.next();
    for (Saw& saw : octaves)
        saw.phase = 0.5 + 0.5 * phases.next();
    Sine vibrato;
    Svf filterLeft, filterRight;
    double hz = noteHz(note.pitch);
    float gain = 0.3f * note.velocity;
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
        float low =
            0.45f * (octaves[0].next(hz * bend * 0.498) + octaves[1].next(hz * bend * 0.502));
        float high = 0.35f * octaves[2].next(hz * bend * 2.002);
        left += low + high;
        right += low + high;
        filterLeft.process(left);
        filterRight.process(right);
        float envelope = gain * adsr(t, note.length, 0.008, 0.35, 0.75f, 0.14);
        if (index == kOutsideBuses) return;
        float outLeft = filterLeft.low * envelope, outRight = filterRight.low * envelope;
        addStereo(buses.duckedLeft, buses.duckedRight, index, outLeft, outRight);
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

} // namespace

void renderNote(const Note& note, uint32_t seed, Buses& buses) {
    switch (note.instrument) {
    case Instrument::Kick:
        kick(note, seed, buses);
        break;
    case Instrument::Clap:
        clap(note, seed, buses);
        break;
    case Instrument::Snare:
        snare(note, seed, buses);
        break;
    case Instrument::ClosedHat:
        hat(note, seed, buses, 0.04, 0.55f);
        break;
    case Instrument::OpenHat:
        hat(note, seed, buses, 0.16, 0.3f);
        break;
    case Instrument::Crash:
        hat(note, seed, buses, 0.6, 0.3f);
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
