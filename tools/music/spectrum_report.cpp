#include "tools/music/spectrum_report.h"

#include "runtime/music.h"
#include "tools/music/score.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

constexpr int kDecimatorTaps = 63;
constexpr double kKickWindowSeconds = 0.1; // a kick counts when band 1 rises within this

// Windowed-sinc low pass at 10 kHz for 44.1 kHz input, Blackman window, unity gain at DC.
std::vector<double> decimatorTaps() {
    std::vector<double> taps(kDecimatorTaps);
    double cutoff = 10000.0 / kSampleRate, sum = 0;
    int middle = kDecimatorTaps / 2;
    for (int i = 0; i < kDecimatorTaps; ++i) {
        int n = i - middle;
        double sinc = n == 0 ? 2.0 * cutoff : std::sin(2.0 * kPi * cutoff * n) / (kPi * n);
        double x = 2.0 * kPi * i / (kDecimatorTaps - 1);
        double window = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
        taps[size_t(i)] = sinc * window;
        sum += taps[size_t(i)];
    }
    for (double& tap : taps)
        tap /= sum;
    return taps;
}

int16_t toPcm16(double value) {
    return int16_t(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
}

bool inSection(const Section& section, double seconds) {
    return seconds >= barStart(section.firstBar) &&
           seconds < barStart(section.firstBar + section.barCount);
}

bool inMainSection(double seconds) {
    for (const Section& section : kSections)
        if (section.isMain && inSection(section, seconds)) return true;
    return false;
}

bool inKickSection(double seconds) {
    for (const Section& section : kSections)
        if (section.hasKick && inSection(section, seconds)) return true;
    return false;
}

// Whether band 1 rises above the beat level within the kick window after a kick.
bool kickCaught(const std::vector<SpectrumFrame>& frames, const Note& kick) {
    size_t first = size_t(std::max(0.0, kick.start * kDemoRate / kDemoBlockFrames - 1.0));
    for (size_t i = first; i < frames.size(); ++i) {
        double t = analysisTime(i);
        if (t > kick.start + kKickWindowSeconds) break;
        if (t >= kick.start && frames[i][1] > kBeatLevel) return true;
    }
    return false;
}

bool keyed(int band, float level) {
    return band == 1 ? level > kBeatLevel : level >= kSilentLevel && level <= kSaturatedLevel;
}

} // namespace

bool toDemoStream(const StereoBuffer& samples, std::vector<int16_t>& stream, std::string& error) {
    stream.clear();
    if (samples.sampleRate == kDemoRate) {
        for (size_t i = 0; i < samples.frames(); ++i) {
            stream.push_back(toPcm16(samples.left[i]));
            stream.push_back(toPcm16(samples.right[i]));
        }
        return true;
    }
    if (samples.sampleRate != 2 * kDemoRate) {
        error = "sample rate " + std::to_string(samples.sampleRate) + " Hz; expected 44100 or " +
                "22050 Hz";
        return false;
    }
    std::vector<double> taps = decimatorTaps();
    long frames = long(samples.frames()), middle = kDecimatorTaps / 2;
    for (long out = 0; out * 2 < frames; ++out) {
        double left = 0, right = 0;
        for (long k = 0; k < kDecimatorTaps; ++k) {
            long in = out * 2 + k - middle;
            if (in < 0 || in >= frames) continue;
            left += taps[size_t(k)] * samples.left[size_t(in)];
            right += taps[size_t(k)] * samples.right[size_t(in)];
        }
        stream.push_back(toPcm16(left));
        stream.push_back(toPcm16(right));
    }
    return true;
}

std::vector<SpectrumFrame> analyseLikeTheDemo(const std::vector<int16_t>& stream) {
    resetAnalysis();
    std::vector<SpectrumFrame> frames;
    const size_t blockValues = size_t(kDemoBlockFrames) * 2;
    std::vector<int16_t> block(blockValues);
    for (size_t first = 0; first + blockValues <= stream.size(); first += blockValues) {
        std::copy(stream.begin() + long(first), stream.begin() + long(first + blockValues),
                  block.begin());
        analyseAudio(-2, block.data(), int(blockValues * sizeof(int16_t)), nullptr);
        SpectrumFrame frame;
        for (int bin = 0; bin < kDemoBins; ++bin)
            frame[size_t(bin)] = spectrumLevel(bin);
        frames.push_back(frame);
    }
    return frames;
}

SpectrumFigures measureSpectrum(const std::vector<SpectrumFrame>& frames) {
    SpectrumFigures figures;
    for (int band : kReportedBands) {
        BandFigures f{band, 0, 0, 0};
        size_t mainCount = 0;
        for (size_t i = 0; i < frames.size(); ++i) {
            float level = frames[i][size_t(band)];
            f.mean += level;
            f.aboveHigh += level > 0.8f;
            if (!inMainSection(analysisTime(i))) continue;
            ++mainCount;
            f.mainInRange += level >= kSilentLevel && level <= kSaturatedLevel;
        }
        if (!frames.empty()) {
            f.mean /= double(frames.size());
            f.aboveHigh /= double(frames.size());
        }
        if (mainCount) f.mainInRange /= double(mainCount);
        figures.bands.push_back(f);
    }
    for (const Note& note : composeScore()) {
        if (note.instrument != Instrument::Kick || !inKickSection(note.start)) continue;
        ++figures.kicks;
        figures.kicksCaught += kickCaught(frames, note);
    }
    return figures;
}

std::vector<SectionBands> measureSections(const std::vector<SpectrumFrame>& frames) {
    std::vector<Note> score = composeScore();
    std::vector<SectionBands> sections;
    for (const Section& section : kSections) {
        SectionBands figures{section.name, {}, 0, 0};
        for (int band : kReportedBands) {
            size_t count = 0, hits = 0;
            for (size_t i = 0; i < frames.size(); ++i) {
                if (!inSection(section, analysisTime(i))) continue;
                ++count;
                hits += keyed(band, frames[i][size_t(band)]);
            }
            figures.keyed.push_back(count ? double(hits) / double(count) : 0.0);
        }
        for (const Note& note : score) {
            if (note.instrument != Instrument::Kick || !inSection(section, note.start)) continue;
            ++figures.kicks;
            figures.kicksCaught += kickCaught(frames, note);
        }
        sections.push_back(figures);
    }
    return sections;
}

} // namespace music
