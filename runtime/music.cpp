#include "runtime/music.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr int kAudioChunkFrames = 512;
constexpr float kSampleScale = 7.62939453125e-06f; // 2^-17: (L + R) to -1..1
constexpr float kMagnitudeScale = 0.03125f;        // 1 / 32

// State of the analysis. The window and stage count are written before the callback is
// registered (or by resetAnalysis) and only read afterwards. Fill and samples belong to the
// thread that calls analyseAudio. Level and peak are written by that thread and read by the
// main thread bin by bin: each value is a relaxed atomic, so every read sees one whole value;
// a frame may mix bins of two analyses.
struct Analysis {
    bool audioOpened = false;
    float window[FFT_SIZE];
    int stageCount = 0;
    int fill = 0;
    float real[FFT_SIZE];
    float imaginary[FFT_SIZE];
    std::atomic<float> level[SPECTRUM_BINS];
    std::atomic<float> peak[SPECTRUM_BINS];
};

Analysis analysis;

void prepareWindow() {
    for (int i = 0; i < FFT_SIZE; i++)
        analysis.window[i] = float(0.5 - 0.5 * cos(i * 6.283185307179586 * 0.001953125));
    int stages = 0;
    for (int size = FFT_SIZE; size > 1; size /= 2)
        stages++;
    analysis.stageCount = stages;
}

void reorderBitReversed(float* real, float* imaginary) {
    for (int i = 0, j = 0; i < FFT_SIZE; i++) {
        if (i < j) {
            std::swap(real[i], real[j]);
            std::swap(imaginary[i], imaginary[j]);
        }
        int bit = FFT_SIZE >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
    }
}

// In-place radix-2 decimation-in-time FFT, forward sign, in single precision.
void transform(float* real, float* imaginary) {
    reorderBitReversed(real, imaginary);
    for (int stage = 1; stage <= analysis.stageCount; stage++) {
        int span = 1 << stage;
        int half = span / 2;
        double angle = 3.141592653589793 / half;
        float stepReal = float(cos(angle));
        float stepImaginary = float(-sin(angle));
        float twiddleReal = 1, twiddleImaginary = 0;
        for (int j = 0; j < half; j++) {
            for (int a = j; a < FFT_SIZE; a += span) {
                int b = a + half;
                float uReal = twiddleReal * real[b] - twiddleImaginary * imaginary[b];
                float uImaginary = twiddleReal * imaginary[b] + twiddleImaginary * real[b];
                real[b] = real[a] - uReal;
                imaginary[b] = imaginary[a] - uImaginary;
                real[a] = real[a] + uReal;
                imaginary[a] = imaginary[a] + uImaginary;
            }
            float nextReal = twiddleReal * stepReal - twiddleImaginary * stepImaginary;
            twiddleImaginary = twiddleReal * stepImaginary + twiddleImaginary * stepReal;
            twiddleReal = nextReal;
        }
    }
}

void updateLevels() {
    for (int k = 0; k < SPECTRUM_BINS; k++) {
        float v = float(hypot(double(analysis.real[k]), double(analysis.imaginary[k])) *
                        double(kMagnitudeScale));
        if (v > 1) v = 1;
        float level = analysis.level[k].load(std::memory_order_relaxed);
        if (level > v) v = float(double(level) - 0.2);
        analysis.level[k].store(v, std::memory_order_relaxed);
        float peak = float(double(analysis.peak[k].load(std::memory_order_relaxed)) * 0.93);
        if (peak < v) peak = v;
        analysis.peak[k].store(peak, std::memory_order_relaxed);
    }
    const int edgeBins[2] = {0, SPECTRUM_BINS - 1};
    for (int k : edgeBins) {
        float level = analysis.level[k].load(std::memory_order_relaxed);
        analysis.level[k].store(level / 2, std::memory_order_relaxed);
    }
}

} // namespace

void openAudio() {
    if (analysis.audioOpened) return;
    analysis.audioOpened = true;
    Mix_OpenAudio(kAudioRateHz, AUDIO_S16LSB, 2, kAudioChunkFrames);
    prepareWindow();
    Mix_RegisterEffect(MIX_CHANNEL_POST, analyseAudio, nullptr, nullptr);
}

// Whether an Ogg file stops before its end: its last page header ("OggS", version 0, then
// the header type) lacks the end-of-stream flag. The decoder plays such a file up to the cut
// without a word.
static bool isTruncatedOgg(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    static unsigned char tail[65536];
    size_t got = 0;
    unsigned char head[4] = {};
    bool ogg = fread(head, 1, 4, file) == 4 && memcmp(head, "OggS", 4) == 0;
    if (ogg) {
        if (fseek(file, -long(sizeof tail), SEEK_END) != 0) fseek(file, 0, SEEK_SET);
        got = fread(tail, 1, sizeof tail, file);
    }
    fclose(file);
    if (!ogg || got < 6) return false;
    for (size_t i = got - 6 + 1; i-- > 0;)
        if (memcmp(tail + i, "OggS", 4) == 0 && tail[i + 4] == 0) return (tail[i + 5] & 4) == 0;
    return false;
}

Mix_Music* loadMusic(const char* path) {
    openAudio();
    Mix_Music* music = Mix_LoadMUS(path);
    // Not an error: the run goes on in silence. Say why, and which file.
    if (!music) printf("Music file '%s' not played: %s\n", path, Mix_GetError());
    if (music && isTruncatedOgg(path))
        printf("Music file '%s' is cut short: it ends before its last page\n", path);
    return music;
}

bool playMusic(Mix_Music* music) {
    return Mix_PlayMusic(music, 1) != -1;
}

void analyseAudio(int, void* stream, int length, void*) {
    const uint8_t* bytes = static_cast<const uint8_t*>(stream);
    int frames = length > 0 ? length / 4 : 0;
    for (int frame = 0; frame < frames && analysis.fill < FFT_SIZE; frame++) {
        const uint8_t* at = bytes + 4 * frame;
        int left = int16_t(uint16_t(at[0] | at[1] << 8));
        int right = int16_t(uint16_t(at[2] | at[3] << 8));
        float scaled = float(left + right) * kSampleScale;
        analysis.real[analysis.fill] = scaled * analysis.window[analysis.fill];
        analysis.imaginary[analysis.fill] = 0;
        analysis.fill++;
    }
    if (analysis.fill < FFT_SIZE) return;
    analysis.fill = 0;
    transform(analysis.real, analysis.imaginary);
    updateLevels();
}

float spectrumLevel(int bin) {
    // Some bins come from property values in the timeline file: stay inside the table.
    if (bin < 0 || bin >= SPECTRUM_BINS) return 0;
    float level = analysis.level[bin].load(std::memory_order_relaxed);
    float peak = analysis.peak[bin].load(std::memory_order_relaxed);
    return level < peak ? peak : level;
}

SpectrumBin spectrumBin(int bin) {
    if (bin < 0 || bin >= SPECTRUM_BINS) return SpectrumBin{0, 0};
    return SpectrumBin{analysis.level[bin].load(std::memory_order_relaxed),
                       analysis.peak[bin].load(std::memory_order_relaxed)};
}

void resetAnalysis() {
    prepareWindow();
    analysis.fill = 0;
    for (int k = 0; k < SPECTRUM_BINS; k++) {
        analysis.level[k].store(0, std::memory_order_relaxed);
        analysis.peak[k].store(0, std::memory_order_relaxed);
    }
}
