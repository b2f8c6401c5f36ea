// The drums and the riser: noise and swept sines, each rendering a single note into the buses.
#include "tools/music/spectrum_report.h"
#include "tools/music/voice.h"

namespace music {

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
