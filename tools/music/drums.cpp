// The drums and the riser: noise and swept sines, each rendering a single note into the buses.
#include "tools/music/spectrum_report.h"
#include "tools/music/voice.h"

namespace music {

// Kick: a sine swept from three and a half times its pitch down onto the note (the punch, and
// the body around 100-120 Hz), an octave overtone that fades in 50 ms, full for 50 ms and
// 20 dB down by 190 ms, soft clipping and a short high click.
void kick(const Note& note, uint32_t seed, Buses& buses) {
    constexpr double kSeconds = 0.34;
    Sine body, overtone;
    Noise noise(seed);
    Biquad clickFilter = Biquad::highPass(3500, 0.7);
    double rootHz = noteHz(note.pitch);
    float gain = 0.8f * note.velocity;
    play(note, kSeconds, buses, [&](double t, long, size_t index) {
        double hz = rootHz * (1.0 + 2.5 * std::exp(-t / 0.015)) + 500.0 * std::exp(-t / 0.002);
        double envelope = std::min(1.0, t / 0.001) * std::exp(-std::max(0.0, t - 0.05) / 0.06);
        envelope *= std::min(1.0, (kSeconds - t) / 0.04);
        double tone = body.next(hz) + 0.4 * overtone.next(2.0 * hz) * std::exp(-t / 0.05);
        float shaped = float(std::tanh(2.4 * tone * envelope) / std::tanh(2.4));
        float click = float(clickFilter.process(noise.next()) * std::exp(-t / 0.004));
        float value = gain * (shaped + 0.3f * click);
        if (index != kOutsideBuses) addStereo(buses.dryLeft, buses.dryRight, index, value, value);
    });
}

// Snare: a drum body falling from 260 to 190 Hz under the wires' noise, high-passed at 1.8 kHz
// and ringing a little longer than the body.
void snare(const Note& note, uint32_t seed, Buses& buses) {
    Sine body;
    Noise noise(seed);
    Biquad wires = Biquad::highPass(1800, 0.7);
    PanGains pan = panGains(note.pan);
    float gain = 0.5f * note.velocity;
    play(note, 0.35, buses, [&](double t, long, size_t index) {
        double hz = 190.0 + 70.0 * std::exp(-t / 0.015);
        double tone = body.next(hz) * std::exp(-t / 0.05);
        double rattle = wires.process(noise.next()) * std::exp(-t / 0.09);
        float value =
            gain * float(std::tanh(2.2 * (0.9 * tone + 0.8 * rattle)) * std::min(1.0, t / 0.0008));
        if (index == kOutsideBuses) return;
        addStereo(buses.dryLeft, buses.dryRight, index, value * pan.left, value * pan.right);
        buses.reverbSend[index] += 0.3f * value;
    });
}

void clap(const Note& note, uint32_t seed, Buses& buses) {
    Noise noise(seed);
    Biquad low = Biquad::bandPass(1400, 0.9), high = Biquad::bandPass(2600, 1.0);
    Sine body;
    PanGains pan = panGains(note.pan);
    float gain = 0.6f * note.velocity;
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

// Hats: noise high-passed at 7 kHz over a quiet metallic cluster of square waves. The squares
// are tuned to the spectrum bands the scenes read (1.3 to 2.8 kHz and 4.3 kHz), so every hat
// lights them.
void hat(const Note& note, uint32_t seed, Buses& buses, double decay, float level) {
    static const double kMetalBands[7] = {30, 35, 40, 50, 55, 65, 100};
    Noise noise(seed);
    Pulse metal[7];
    double metalHz[7];
    for (int i = 0; i < 7; ++i) {
        metalHz[i] = kMetalBands[i] * kDemoRate / kDemoBlockFrames;
        metal[i].phase = 0.5 + 0.5 * double(noise.next());
    }
    Biquad firstPole = Biquad::highPass(7000, 0.7), secondPole = Biquad::highPass(7000, 0.7);
    PanGains pan = panGains(note.pan);
    play(note, decay * 10.0, buses, [&](double t, long, size_t index) {
        float metallic = 0;
        for (int i = 0; i < 7; ++i)
            metallic += metal[i].next(metalHz[i]);
        double sizzle = secondPole.process(firstPole.process(noise.next()));
        // The metal rings half again as long as the noise, holding the bands between hits.
        double value = 0.9 * sizzle * std::exp(-t / decay) +
                       1.1 * std::tanh(metallic / 4.0) * std::exp(-t / (1.5 * decay));
        value *= level * note.velocity * std::min(1.0, t / 0.0008);
        if (index == kOutsideBuses) return;
        addStereo(buses.dryLeft, buses.dryRight, index, float(value * pan.left),
                  float(value * pan.right));
        buses.reverbSend[index] += float(0.12 * value);
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

} // namespace music
