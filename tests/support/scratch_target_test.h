// Shared pieces of the GL tests of effects and scenes: feeding tones into the spectrum analysis,
// and a fixture that runs each test in a scratch directory with a compositor-like target.
#pragma once

#include "engine/fbo.h"
#include "runtime/music.h"
#include "tests/support/process.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

// Feeds one analysis block of cosines at the centre frequencies of the given (bin, amplitude)
// pairs, in both channels; each bin's level becomes amplitude / 16384 (its two neighbours get
// half of it). Bin 0 gives a constant.
inline void playTones(const std::vector<std::pair<int, int>>& tones) {
    std::vector<int16_t> frames(2 * FFT_SIZE);
    for (int n = 0; n < FFT_SIZE; n++) {
        double value = 0;
        for (const auto& [bin, amplitude] : tones)
            value += amplitude * std::cos(2 * M_PI * bin * n / FFT_SIZE);
        frames[2 * n] = frames[2 * n + 1] = static_cast<int16_t>(std::lround(value));
    }
    analyseAudio(0, frames.data(), static_cast<int>(frames.size() * sizeof(int16_t)), nullptr);
}

// Each test writes the data/ files it needs into dir and then calls enterScratch: the scratch
// directory becomes the working directory, the spectrum is silent and a screen-sized target is
// pushed like the compositor's. TearDown pops every framebuffer and restores the directory.
class ScratchTargetTest : public testing::Test {
  protected:
    void enterScratch() {
        workingDirectory = std::make_unique<ScopedWorkingDirectory>(dir.path());
        resetAnalysis();
        target = qorCreateFBO();
        qorPushFBO(target);
    }
    void TearDown() override {
        while (qorGetFBODepth() > 0)
            qorPopFBO();
        if (target) qorDeleteFBO(target);
        workingDirectory.reset();
    }

    ScratchDir dir;
    std::unique_ptr<ScopedWorkingDirectory> workingDirectory;
    GLuint target = 0;
};
