#include "runtime/music.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Interleaved stereo frames with the same sample on both channels.
std::vector<int16_t> stereo(const std::vector<int16_t>& mono) {
    std::vector<int16_t> frames;
    for (int16_t sample : mono) {
        frames.push_back(sample);
        frames.push_back(sample);
    }
    return frames;
}

void analyse(std::vector<int16_t> frames) {
    analyseAudio(-2, frames.data(), int(frames.size() * sizeof(int16_t)), nullptr);
}

std::vector<int16_t> sineAtBin(int bin, double amplitude, int count = FFT_SIZE) {
    std::vector<int16_t> mono;
    for (int i = 0; i < count; i++)
        mono.push_back(int16_t(std::lround(amplitude * sin(2 * M_PI * bin * i / FFT_SIZE))));
    return mono;
}

std::vector<int16_t> silence() {
    return std::vector<int16_t>(2 * FFT_SIZE, 0);
}

struct Spectrum : testing::Test {
    void SetUp() override { resetAnalysis(); }
};

} // namespace

TEST_F(Spectrum, SilenceLowersTheLevelByTwoTenthsWhileThePeakDecays) {
    // A sine at bin 20 of about 0.9 of full level: v = 4 c with c = 2 A / 2^17.
    analyse(stereo(sineAtBin(20, 0.9 / 4 * 65536)));
    SpectrumBin bin = spectrumBin(20);
    ASSERT_NEAR(bin.level, 0.9f, 0.002f);
    ASSERT_EQ(bin.peak, bin.level);

    float level = bin.level, peak = bin.peak;
    for (int step = 0; step < 5; step++) {
        analyse(silence());
        level = float(double(level) - 0.2);
        peak = float(double(peak) * 0.93);
        EXPECT_EQ(spectrumBin(20).level, level) << "analysis " << step;
        EXPECT_EQ(spectrumLevel(20), peak) << "analysis " << step;
    }
    EXPECT_NEAR(level, -0.1f, 0.002f);
    analyse(silence());
    EXPECT_EQ(spectrumBin(20).level, 0.0f);
    EXPECT_EQ(spectrumLevel(20), float(double(peak) * 0.93));
}

TEST_F(Spectrum, ConstantInputShowsInBinsZeroAndOneOnly) {
    // c = (L + R) / 2^17 = 1/32: bin 0 = 256 c / 32 = 0.25 before halving, bin 1 = 0.125.
    analyse(stereo(std::vector<int16_t>(FFT_SIZE, 2048)));
    EXPECT_FLOAT_EQ(spectrumLevel(0), 0.25f);  // the peak, not halved
    EXPECT_FLOAT_EQ(spectrumLevel(1), 0.125f); // half of bin 0
    EXPECT_FLOAT_EQ(spectrumBin(0).level, 0.125f);
    for (int k = 2; k < SPECTRUM_BINS; k++)
        EXPECT_LT(spectrumLevel(k), 1e-5f) << "bin " << k;
}

TEST_F(Spectrum, AFullScaleSineAtABinCentreSaturatesThatBin) {
    analyse(stereo(sineAtBin(100, 32767)));
    EXPECT_EQ(spectrumLevel(100), 1.0f);
    EXPECT_EQ(spectrumBin(100).level, 1.0f);
    EXPECT_LT(spectrumLevel(90), 0.01f);
    EXPECT_LT(spectrumLevel(110), 0.01f);
}

TEST_F(Spectrum, ShortBlocksAccumulateUntilFiveHundredTwelveFrames) {
    std::vector<int16_t> mono = sineAtBin(40, 32767);
    analyse(stereo(std::vector<int16_t>(mono.begin(), mono.begin() + 200)));
    analyse(stereo(std::vector<int16_t>(mono.begin() + 200, mono.begin() + 500)));
    EXPECT_EQ(spectrumLevel(40), 0.0f);
    // This block completes the analysis; its frames after the 512th are discarded.
    std::vector<int16_t> rest(mono.begin() + 500, mono.end());
    rest.resize(200, 30000);
    analyse(stereo(rest));
    EXPECT_EQ(spectrumLevel(40), 1.0f);
}

TEST_F(Spectrum, EachChannelCountsOnce) {
    // A sine of level 0.9 in both channels gives 0.9; in one channel alone, half of that.
    std::vector<int16_t> mono = sineAtBin(20, 0.9 / 4 * 65536);
    std::vector<int16_t> leftOnly, rightOnly;
    for (int16_t sample : mono) {
        leftOnly.insert(leftOnly.end(), {sample, 0});
        rightOnly.insert(rightOnly.end(), {0, sample});
    }
    analyse(rightOnly);
    EXPECT_NEAR(spectrumBin(20).level, 0.45f, 0.002f);
    resetAnalysis();
    analyse(leftOnly);
    EXPECT_NEAR(spectrumBin(20).level, 0.45f, 0.002f);
}

TEST_F(Spectrum, TheLastBinIsHalvedLikeTheFirst) {
    analyse(stereo(sineAtBin(255, 0.5 / 4 * 65536)));
    SpectrumBin bin = spectrumBin(255);
    EXPECT_GT(bin.peak, 0.3f);
    EXPECT_FLOAT_EQ(bin.level, bin.peak / 2);
}

TEST_F(Spectrum, BinsOutsideTheTableReadZero) {
    analyse(stereo(std::vector<int16_t>(FFT_SIZE, 30000)));
    ASSERT_GT(spectrumLevel(0), 0.5f);
    EXPECT_EQ(spectrumLevel(-1), 0.0f);
    EXPECT_EQ(spectrumLevel(256), 0.0f);
    EXPECT_EQ(spectrumLevel(1 << 30), 0.0f);
}
