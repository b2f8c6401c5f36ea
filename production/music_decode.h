// The production's music decoded the way the demo hears it: 22050 Hz, stereo, signed 16-bit,
// so that the offline spectrum matches what SDL_mixer feeds the analysis during a real run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kAnalysisRate = 22050;

// Interleaved stereo frames (left sample first) at kAnalysisRate.
struct DecodedMusic {
    std::vector<int16_t> samples;
    size_t frameCount() const { return samples.size() / 2; }
};

// Decodes an Ogg Vorbis file. Returns false and fills `problem` (naming the file) when it cannot
// be opened or decoded.
bool decodeMusic(const std::string& path, DecodedMusic& music, std::string& problem);

// Converts interleaved 16-bit audio of any rate and 1 or 2 channels to kAnalysisRate stereo.
// Mono is doubled into both channels. Twice the target rate keeps every other frame, as SDL's
// halving converter does; other rates are resampled linearly.
std::vector<int16_t> convertForAnalysis(const std::vector<int16_t>& samples, int channels,
                                        long rate);
