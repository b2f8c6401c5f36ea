// The cost of one spectrum analysis (analyseAudio on one 512-frame block: window, 512-point
// FFT, 256 levels and peaks) beside a 512-point complex FFT from FFTW on the same samples.
#include "runtime/music.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <fftw3.h>
#include <vector>

namespace {

// One block of music-like stereo frames: two tones and a little noise.
std::vector<int16_t> testBlock() {
    std::vector<int16_t> frames;
    uint32_t noise = 12345;
    for (int i = 0; i < FFT_SIZE; i++) {
        noise = noise * 1664525u + 1013904223u;
        double s = 9000 * sin(2 * M_PI * 5 * i / FFT_SIZE) + 4000 * sin(2 * M_PI * 61 * i / 512) +
                   double(int(noise >> 20) - 2048);
        frames.push_back(int16_t(s));
        frames.push_back(int16_t(s * 0.8));
    }
    return frames;
}

void analyseOneBlock(benchmark::State& state) {
    std::vector<int16_t> frames = testBlock();
    resetAnalysis();
    for (auto _ : state) {
        analyseAudio(-2, frames.data(), int(frames.size() * sizeof(int16_t)), nullptr);
        benchmark::DoNotOptimize(spectrumLevel(5));
    }
}
BENCHMARK(analyseOneBlock);

// FFTW's single-precision 512-point complex forward transform, planned with FFTW_MEASURE.
void fftwComplex512(benchmark::State& state) {
    std::vector<int16_t> frames = testBlock();
    fftwf_complex* in = fftwf_alloc_complex(FFT_SIZE);
    fftwf_complex* out = fftwf_alloc_complex(FFT_SIZE);
    fftwf_plan plan = fftwf_plan_dft_1d(FFT_SIZE, in, out, FFTW_FORWARD, FFTW_MEASURE);
    for (int i = 0; i < FFT_SIZE; i++) {
        in[i][0] = float(frames[2 * size_t(i)] + frames[2 * size_t(i) + 1]) * 7.62939453125e-06f;
        in[i][1] = 0;
    }
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out[5][0]);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
}
BENCHMARK(fftwComplex512);

} // namespace

BENCHMARK_MAIN();
