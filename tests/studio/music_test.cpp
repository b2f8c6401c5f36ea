// The studio's music: loudness meter, Ogg Vorbis files, the render and the finished track.
#include "tools/music/loudness.h"
#include "tools/music/mixer.h"
#include "tools/music/score.h"
#include "tools/music/spectrum_report.h"
#include "tools/music/track_analysis.h"
#include "tools/music/vorbis_file.h"

#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using music::StereoBuffer;

StereoBuffer sine(double hz, double seconds, double leftDb, double rightDb, int rate = 44100) {
    StereoBuffer buffer;
    buffer.sampleRate = rate;
    size_t frames = size_t(seconds * rate);
    double left = leftDb <= -200 ? 0 : std::pow(10.0, leftDb / 20.0);
    double right = rightDb <= -200 ? 0 : std::pow(10.0, rightDb / 20.0);
    for (size_t i = 0; i < frames; ++i) {
        double value = std::sin(2.0 * music::kPi * hz * double(i) / rate);
        buffer.left.push_back(float(left * value));
        buffer.right.push_back(float(right * value));
    }
    return buffer;
}

void append(StereoBuffer& to, const StereoBuffer& from) {
    to.left.insert(to.left.end(), from.left.begin(), from.left.end());
    to.right.insert(to.right.end(), from.right.begin(), from.right.end());
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr double kOff = -1000;

TEST(Loudness, FullScaleSineInOneChannelReadsMinus3) {
    EXPECT_NEAR(music::integratedLoudness(sine(997, 10, 0, kOff)), -3.01, 0.05);
}

TEST(Loudness, StereoSineAtMinus20dBFSReadsMinus20) {
    // Both channels count fully: two -20 dBFS sines add up to -20 LUFS at 1 kHz.
    EXPECT_NEAR(music::integratedLoudness(sine(1000, 10, -20, -20)), -20.0, 0.05);
    EXPECT_NEAR(music::integratedLoudness(sine(1000, 10, -20, -20, 48000)), -20.0, 0.05);
}

TEST(Loudness, KWeightingLiftsHighsAndCutsLows) {
    double mid = music::integratedLoudness(sine(1000, 5, -20, -20));
    EXPECT_GT(music::integratedLoudness(sine(4000, 5, -20, -20)), mid + 3.0);
    EXPECT_LT(music::integratedLoudness(sine(30, 5, -20, -20)), mid - 3.0);
}

TEST(Loudness, RelativeGateIgnoresTheQuietHalf) {
    // Ungated, the mean power would read about -23 LUFS; the quiet blocks fall under the
    // relative gate (10 LU below), leaving the loud half.
    StereoBuffer track = sine(1000, 10, -20, -20);
    append(track, sine(1000, 10, -40, -40));
    EXPECT_NEAR(music::integratedLoudness(track), -20.0, 0.1);
}

TEST(Loudness, SpanLoudnessFollowsTheLevelOverTime) {
    StereoBuffer track = sine(1000, 5, -20, -20);
    append(track, sine(1000, 5, -30, -30));
    EXPECT_NEAR(music::loudnessBetween(track, 1, 4), -20.0, 0.1);
    EXPECT_NEAR(music::loudnessBetween(track, 6, 9), -30.0, 0.1);
    // Half and half: the mean power of the two levels, not the mean of the two loudnesses.
    EXPECT_NEAR(music::loudnessBetween(track, 4, 6), -20.0 - 10 * std::log10(2.0 / 1.1), 0.2);
    EXPECT_EQ(music::loudnessBetween(track, 12, 15), music::kSilentLoudness);
}

TEST(Loudness, SilenceAndVeryQuietSoundReadAsSilent) {
    EXPECT_EQ(music::integratedLoudness(sine(1000, 3, kOff, kOff)), music::kSilentLoudness);
    EXPECT_EQ(music::integratedLoudness(sine(1000, 3, -80, -80)), music::kSilentLoudness);
    EXPECT_EQ(music::integratedLoudness(sine(1000, 0.3, 0, 0)), music::kSilentLoudness);
}

TEST(Loudness, TruePeakSeesBetweenSamplesAndRangeSpansTheLevels) {
    // A quarter of the sample rate, shifted by an eighth of a cycle: every sample sits at 0.707
    // of the wave's crest.
    StereoBuffer between;
    for (int i = 0; i < 44100; ++i) {
        float value = float(0.5 * std::sin(music::kPi / 2 * i + music::kPi / 4));
        between.left.push_back(value);
        between.right.push_back(value);
    }
    EXPECT_NEAR(music::samplePeak(between), 0.354, 0.001);
    EXPECT_NEAR(music::truePeak(between), 0.5, 0.005);
    StereoBuffer track = sine(1000, 20, -20, -20);
    EXPECT_NEAR(music::loudnessRange(track), 0.0, 0.1);
    append(track, sine(1000, 20, -30, -30));
    EXPECT_NEAR(music::loudnessRange(track), 10.0, 0.5);
}

TEST(TrackAnalysis, BandSharesWidthAndChroma) {
    StereoBuffer mix = sine(40, 4, -12, -12), high = sine(5000, 4, -12, -12);
    for (size_t i = 0; i < mix.frames(); ++i) {
        mix.left[i] += high.left[i];
        mix.right[i] += high.right[i];
    }
    std::array<double, music::kMixBandCount> shares = music::bandShares(mix, 0, 4);
    EXPECT_NEAR(shares[0], 0.5, 0.02); // sub
    EXPECT_NEAR(shares[4], 0.5, 0.02); // high
    EXPECT_NEAR(music::energyShareAbove(mix, 100), 0.5, 0.02);
    EXPECT_NEAR(music::stereoCorrelation(mix, 0, 4), 1.0, 1e-6);
    StereoBuffer opposite = sine(440, 1, -6, -6);
    for (float& value : opposite.right)
        value = -value;
    EXPECT_NEAR(music::stereoCorrelation(opposite, 0, 1), -1.0, 1e-6);
    // An A sounds in pitch class 9; a C shares nothing with it.
    music::Chroma a = music::barChroma(sine(440, 3, -6, -6), 0);
    music::Chroma c = music::barChroma(sine(523.25, 3, -6, -6), 0);
    EXPECT_GT(a[9], 0.99);
    EXPECT_NEAR(music::chromaSimilarity(a, a), 1.0, 1e-9);
    EXPECT_LT(music::chromaSimilarity(a, c), 0.05);
}

TEST(VorbisFile, RoundTripKeepsLengthRateAndSound) {
    ScratchDir dir;
    std::string path = dir.path() + "/tone.ogg", error;
    StereoBuffer tone = sine(440, 1.5, -6, -12);
    ASSERT_TRUE(music::encodeOggVorbis(tone, path, "tone", error)) << error;
    StereoBuffer decoded;
    ASSERT_TRUE(music::decodeOggVorbis(path, decoded, error)) << error;
    EXPECT_EQ(decoded.sampleRate, 44100);
    ASSERT_EQ(decoded.frames(), tone.frames());
    EXPECT_NEAR(music::toDecibels(music::samplePeak(decoded)), -6.0, 0.5);
    double difference = 0;
    for (size_t i = 0; i < tone.frames(); ++i)
        difference += std::fabs(decoded.right[i] - tone.right[i]);
    EXPECT_LT(difference / double(tone.frames()), 0.01); // the right channel stays 6 dB lower
}

TEST(VorbisFile, SameSamplesGiveSameBytes) {
    ScratchDir dir;
    std::string error;
    StereoBuffer tone = sine(330, 1, -10, -10);
    ASSERT_TRUE(music::encodeOggVorbis(tone, dir.path() + "/a.ogg", "tone", error)) << error;
    ASSERT_TRUE(music::encodeOggVorbis(tone, dir.path() + "/b.ogg", "tone", error)) << error;
    std::string a = readBytes(dir.path() + "/a.ogg");
    EXPECT_GT(a.size(), 1000u);
    EXPECT_EQ(a, readBytes(dir.path() + "/b.ogg"));
}

TEST(VorbisFile, BadFilesAreReportedWithTheirPath) {
    ScratchDir dir;
    StereoBuffer decoded;
    std::string error;
    EXPECT_FALSE(music::decodeOggVorbis(dir.path() + "/missing.ogg", decoded, error));
    EXPECT_NE(error.find("missing.ogg"), std::string::npos) << error;
    dir.write("junk.ogg", std::string(5000, 'x'));
    EXPECT_FALSE(music::decodeOggVorbis(dir.path() + "/junk.ogg", decoded, error));
    EXPECT_NE(error.find("junk.ogg"), std::string::npos) << error;
    EXPECT_FALSE(
        music::encodeOggVorbis(sine(440, 0.1, 0, 0), dir.path() + "/no/such/dir.ogg", "x", error));
    EXPECT_NE(error.find("no/such/dir.ogg"), std::string::npos) << error;
}

TEST(DemoStream, HalvesTheRateAndKeepsTheLevel) {
    std::vector<int16_t> stream;
    std::string error;
    ASSERT_TRUE(music::toDemoStream(sine(1000, 1, -6.02, -6.02), stream, error)) << error;
    ASSERT_EQ(stream.size(), 22050u * 2);
    int16_t highest = 0;
    for (size_t i = 2000; i < stream.size(); ++i)
        highest = std::max(highest, stream[i]);
    EXPECT_NEAR(highest, 16384, 200);
    // Above the new Nyquist frequency nothing may fold back into the demo's bands.
    ASSERT_TRUE(music::toDemoStream(sine(16000, 1, 0, 0), stream, error));
    for (size_t i = 200; i < stream.size() - 200; ++i)
        ASSERT_LT(std::abs(stream[i]), 400) << i;
    StereoBuffer odd = sine(1000, 1, 0, 0, 32000);
    EXPECT_FALSE(music::toDemoStream(odd, stream, error));
    EXPECT_NE(error.find("32000"), std::string::npos);
}

TEST(DemoStream, FullScaleToneAtABinCentreSaturatesThatBand) {
    std::vector<int16_t> stream;
    std::string error;
    ASSERT_TRUE(music::toDemoStream(sine(10 * 22050.0 / 512, 1, 0, 0, 22050), stream, error));
    std::vector<music::SpectrumFrame> frames = music::analyseLikeTheDemo(stream);
    ASSERT_EQ(frames.size(), 22050u / 512);
    EXPECT_FLOAT_EQ(frames.back()[10], 1.0f);
    EXPECT_LT(frames.back()[20], 0.05f);
}

// Spectrum frames for the whole track, every band at one level.
std::vector<music::SpectrumFrame> steadyFrames(float level) {
    size_t count = size_t(music::kTrackSeconds * music::kDemoRate / music::kDemoBlockFrames);
    music::SpectrumFrame frame;
    frame.fill(level);
    return std::vector<music::SpectrumFrame>(count, frame);
}

TEST(SpectrumFigures, SilentSaturatedAndMidLevels) {
    music::SpectrumFigures silent = music::measureSpectrum(steadyFrames(0.0f));
    music::SpectrumFigures pinned = music::measureSpectrum(steadyFrames(1.0f));
    music::SpectrumFigures middle = music::measureSpectrum(steadyFrames(0.4f));
    ASSERT_EQ(middle.bands.size(), std::size(music::kReportedBands));
    for (size_t i = 0; i < middle.bands.size(); ++i) {
        EXPECT_DOUBLE_EQ(silent.bands[i].mainInRange, 0.0);
        EXPECT_DOUBLE_EQ(pinned.bands[i].mainInRange, 0.0);
        EXPECT_DOUBLE_EQ(pinned.bands[i].aboveHigh, 1.0);
        EXPECT_DOUBLE_EQ(middle.bands[i].mainInRange, 1.0);
        EXPECT_DOUBLE_EQ(middle.bands[i].aboveHigh, 0.0);
        EXPECT_NEAR(middle.bands[i].mean, 0.4, 1e-6);
    }
    EXPECT_GT(pinned.kicks, 100);
    EXPECT_EQ(pinned.kicksCaught, pinned.kicks);
    EXPECT_EQ(middle.kicksCaught, 0);
}

TEST(SpectrumFigures, KickCountsOnlyWhenBandOneRisesRightAfterIt) {
    std::vector<music::SpectrumFrame> frames = steadyFrames(0.1f);
    const double kickAt = music::barStart(16); // the first kick of the main section
    for (size_t i = 0; i < frames.size(); ++i) {
        double t = music::analysisTime(i);
        if (t >= kickAt + 0.03 && t < kickAt + 0.06) frames[i][1] = 0.9f; // caught
        if (t >= kickAt + 0.75 && t < kickAt + 0.8) frames[i][1] = 0.9f;  // 150 ms late
    }
    EXPECT_EQ(music::measureSpectrum(frames).kicksCaught, 1);
}

TEST(Score, SectionsTileTheBarsAndTheTrackOutlastsTheDemo) {
    int nextBar = 0;
    for (const music::Section& section : music::kSections) {
        EXPECT_EQ(section.firstBar, nextBar) << section.name;
        nextBar += section.barCount;
    }
    EXPECT_EQ(nextBar, music::kBarCount);
    EXPECT_GE(music::kTrackSeconds, 139.5);
    int kicks = 0, kicksInRests = 0;
    for (const music::Note& note : music::composeScore())
        if (note.instrument == music::Instrument::Kick) {
            ++kicks;
            EXPECT_NEAR(std::fmod(note.start + 1e-9, music::kSecondsPerStep), 0.0, 1e-6);
            double bar = note.start / music::kSecondsPerBar;
            kicksInRests += (bar >= 8 && bar < 12) || (bar >= 15 && bar < 16);
        }
    EXPECT_GT(kicks, 100);
    EXPECT_EQ(kicksInRests, 0) << "the build's first half and the pause go without the kick";
}

// Amplitude of a steady sine after a filter, measured over the second half of one second.
template <typename Filter> double sineThrough(Filter&& filter, double hz) {
    double highest = 0;
    for (int i = 0; i < music::kSampleRate; ++i) {
        double out = filter(std::sin(2.0 * music::kPi * hz * i / music::kSampleRate));
        if (i > music::kSampleRate / 2) highest = std::max(highest, std::fabs(out));
    }
    return highest;
}

TEST(Filters, LowPassPassesBelowAndCutsAboveItsCutoff) {
    auto svfAt = [](double hz) {
        music::Svf svf;
        svf.tune(500.0f, 0.707f);
        return sineThrough(
            [&](double in) {
                svf.process(float(in));
                return double(svf.low);
            },
            hz);
    };
    EXPECT_NEAR(svfAt(50), 1.0, 0.02);
    EXPECT_NEAR(svfAt(500), 0.707, 0.03); // -3 dB at the cutoff
    EXPECT_LT(svfAt(5000), 0.015);
    music::Biquad high = music::Biquad::highPass(1000, 0.707);
    EXPECT_LT(sineThrough([&](double in) { return high.process(in); }, 100), 0.015);
    music::Biquad band = music::Biquad::bandPass(2000, 2.0);
    EXPECT_NEAR(sineThrough([&](double in) { return band.process(in); }, 2000), 1.0, 0.02);
}

TEST(Envelope, AttackDecaySustainRelease) {
    EXPECT_FLOAT_EQ(music::adsr(0.0, 1.0, 0.1, 0.2, 0.5f, 0.3), 0.0f);
    EXPECT_FLOAT_EQ(music::adsr(0.05, 1.0, 0.1, 0.2, 0.5f, 0.3), 0.5f);
    EXPECT_FLOAT_EQ(music::adsr(0.1, 1.0, 0.1, 0.2, 0.5f, 0.3), 1.0f);
    EXPECT_NEAR(music::adsr(0.99, 1.0, 0.1, 0.2, 0.5f, 0.3), 0.5, 0.01);
    EXPECT_NEAR(music::adsr(1.3, 1.0, 0.1, 0.2, 0.5f, 0.3), 0.5 * std::exp(-1.0), 0.01);
    // A note released during its attack falls from where it was, with no jump.
    EXPECT_NEAR(music::adsr(0.05, 0.05, 0.1, 0.2, 0.5f, 0.3), 0.5, 1e-6);
}

TEST(Noise, FixedSeedGivesFixedBoundedSequence) {
    music::Noise a(1234), b(1234), c(99);
    double sum = 0;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        float x = a.next();
        ASSERT_EQ(x, b.next());
        ASSERT_GE(x, -1.0f);
        ASSERT_LT(x, 1.0f);
        differs |= x != c.next();
        sum += x;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 100000, 0.0, 0.01);
}

TEST(Reverb, ImpulseRingsAndDiesAway) {
    music::Reverb reverb(0.85f, 0.35f);
    double early = 0, late = 0;
    for (int i = 0; i < 6 * music::kSampleRate; ++i) {
        float left = 0, right = 0;
        reverb.process(i == 0 ? 1.0f : 0.0f, left, right);
        double energy = double(left) * left + double(right) * right;
        if (i > music::kSampleRate / 10 && i < music::kSampleRate / 2) early += energy;
        if (i > 5 * music::kSampleRate) late += energy;
        ASSERT_TRUE(std::isfinite(left) && std::isfinite(right));
    }
    EXPECT_GT(early, 1e-4);
    EXPECT_LT(late, early * 1e-4);
}

TEST(Score, ArrangementFollowsItsSections) {
    auto notesIn = [](music::Instrument instrument, const char* sectionName) {
        int count = 0;
        for (const music::Section& section : music::kSections) {
            if (std::string(section.name) != sectionName) continue;
            for (const music::Note& note : music::composeScore())
                if (note.instrument == instrument &&
                    note.start >= music::barStart(section.firstBar) &&
                    note.start < music::barStart(section.firstBar + section.barCount))
                    ++count;
        }
        return count;
    };
    using music::Instrument;
    EXPECT_EQ(notesIn(Instrument::Kick, "intro"), 0);
    EXPECT_EQ(notesIn(Instrument::Kick, "break"), 0);
    for (Instrument instrument :
         {Instrument::Kick, Instrument::Clap, Instrument::ClosedHat, Instrument::OpenHat,
          Instrument::Bass, Instrument::Pad, Instrument::Lead})
        EXPECT_GT(notesIn(instrument, "main"), 0) << int(instrument);
    double last = 0;
    for (const music::Note& note : music::composeScore()) {
        EXPECT_GE(note.start, last);
        last = note.start;
        EXPECT_GT(note.velocity, 0.0f);
        EXPECT_LE(note.velocity, 1.0f);
        EXPECT_LE(note.start + note.length, music::kTrackSeconds);
    }
}

TEST(MusicCommand, ReportsBadFilesAndUsage) {
    const std::string studio = std::string(LIRV_BINARY_DIR) + "/lirv-studio";
    ScratchDir dir;
    dir.write("broken.ogg", "OggS but not really");
    ProcessResult broken =
        runProcess({studio, "music", "report", dir.path() + "/broken.ogg"}, ProcessOptions());
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_NE(broken.err.find("broken.ogg"), std::string::npos) << broken.err;
    ProcessResult usage = runProcess({studio, "music", "play"}, ProcessOptions());
    EXPECT_EQ(usage.exitStatus, 2);
    EXPECT_NE(usage.err.find("music render OUT.ogg"), std::string::npos) << usage.err;
}

TEST(VorbisFile, OverloudSamplesAreClampedNotWrapped) {
    ScratchDir dir;
    std::string path = dir.path() + "/loud.ogg", error;
    StereoBuffer loud = sine(200, 1, 6, 6); // twice full scale
    ASSERT_TRUE(music::encodeOggVorbis(loud, path, "loud", error)) << error;
    StereoBuffer decoded;
    ASSERT_TRUE(music::decodeOggVorbis(path, decoded, error)) << error;
    EXPECT_LT(music::samplePeak(decoded), 1.2f);
    EXPECT_GT(music::samplePeak(decoded), 0.8f);
}

TEST(Render, ShortPassageIsDeterministicAndAudible) {
    StereoBuffer first = music::renderTrack(40.0, 43.0);
    StereoBuffer second = music::renderTrack(40.0, 43.0);
    ASSERT_EQ(first.frames(), size_t(3 * 44100));
    EXPECT_TRUE(first.left == second.left && first.right == second.right);
    double peak = music::toDecibels(music::samplePeak(first));
    EXPECT_LE(peak, -1.5);
    EXPECT_GT(peak, -12.0);
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(music::encodeOggVorbis(first, dir.path() + "/a.ogg", "t", error)) << error;
    ASSERT_TRUE(music::encodeOggVorbis(second, dir.path() + "/b.ogg", "t", error)) << error;
    EXPECT_EQ(readBytes(dir.path() + "/a.ogg"), readBytes(dir.path() + "/b.ogg"));
}

// Loudness of whole bars of a track.
double barsLoudness(const StereoBuffer& track, int firstBar, int barCount) {
    StereoBuffer part;
    size_t from = size_t(music::barStart(firstBar) * track.sampleRate);
    size_t to =
        std::min(track.frames(), size_t(music::barStart(firstBar + barCount) * track.sampleRate));
    part.left.assign(track.left.begin() + long(from), track.left.begin() + long(to));
    part.right.assign(track.right.begin() + long(from), track.right.begin() + long(to));
    return music::integratedLoudness(part);
}

// The finished track, encoded and decoded as the demo will play it.
TEST(Track, MeetsPeakLoudnessAndSpectrumTargets) {
    ScratchDir dir;
    std::string path = dir.path() + "/track.ogg", error;
    ASSERT_TRUE(music::encodeOggVorbis(music::renderTrack(), path, "t", error)) << error;
    StereoBuffer decoded;
    ASSERT_TRUE(music::decodeOggVorbis(path, decoded, error)) << error;
    EXPECT_GE(double(decoded.frames()) / decoded.sampleRate, 139.5);
    EXPECT_LE(music::toDecibels(music::truePeak(decoded)), -1.0);
    double loudness = music::integratedLoudness(decoded);
    EXPECT_GE(loudness, -11.0);
    EXPECT_LE(loudness, -9.0);
    // The sections build up: the main section well over the build's kickless first half, the
    // finale the loudest.
    double buildStart = barsLoudness(decoded, 8, 4), main = barsLoudness(decoded, 16, 16);
    EXPECT_GE(main - buildStart, 3.0);
    EXPECT_GE(barsLoudness(decoded, 40, 12) - main, 1.0);
    // The drop lands clearly louder than the bar before it (short-term loudness, 3 s).
    double drop = music::barStart(16);
    EXPECT_GE(music::loudnessBetween(decoded, drop, drop + 3) -
                  music::loudnessBetween(decoded, drop - 3, drop),
              3.0);
    // The track has faded to silence before the demo stops at 139 s.
    StereoBuffer end;
    size_t silentFrom = size_t(138.8 * decoded.sampleRate);
    end.left.assign(decoded.left.begin() + long(silentFrom), decoded.left.end());
    end.right.assign(decoded.right.begin() + long(silentFrom), decoded.right.end());
    EXPECT_LT(music::toDecibels(music::samplePeak(end)), -60.0);

    std::vector<int16_t> stream;
    ASSERT_TRUE(music::toDemoStream(decoded, stream, error)) << error;
    music::SpectrumFigures figures = music::measureSpectrum(music::analyseLikeTheDemo(stream));
    EXPECT_GT(figures.kicksCaught * 2, figures.kicks) << "band 1 misses most kicks";
    for (const music::BandFigures& band : figures.bands) {
        EXPECT_LT(band.aboveHigh, 0.5) << "band " << band.band << " pinned high";
        if (band.band != 1) {
            EXPECT_GT(band.mainInRange, 0.5) << "band " << band.band << " silent or saturated";
        }
    }
}

} // namespace
