#include "production/music_decode.h"

#include <vorbis/vorbisfile.h>

#include <cmath>

namespace {

// Reads every frame of an open stream as interleaved 16-bit samples.
bool readAll(OggVorbis_File& file, std::vector<int16_t>& samples) {
    char buffer[16384];
    int section = 0;
    for (;;) {
        long got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
        if (got == 0) return true;
        if (got < 0) {
            if (got == OV_HOLE) continue; // a gap in the data; decoding goes on after it
            return false;
        }
        size_t old = samples.size();
        samples.resize(old + size_t(got) / 2);
        for (long i = 0; i + 1 < got; i += 2)
            samples[old + size_t(i / 2)] =
                int16_t(uint16_t(uint8_t(buffer[i])) | uint16_t(uint8_t(buffer[i + 1])) << 8);
    }
}

} // namespace

std::vector<int16_t> convertForAnalysis(const std::vector<int16_t>& samples, int channels,
                                        long rate) {
    std::vector<int16_t> out;
    if (channels < 1 || rate <= 0) return out;
    size_t frames = samples.size() / size_t(channels);
    auto sample = [&](size_t frame, int channel) {
        return samples[frame * size_t(channels) + size_t(channel < channels ? channel : 0)];
    };
    if (rate == kAnalysisRate || rate == 2 * kAnalysisRate) {
        size_t step = rate == kAnalysisRate ? 1 : 2;
        out.reserve(frames / step * 2 + 2);
        for (size_t frame = 0; frame < frames; frame += step) {
            out.push_back(sample(frame, 0));
            out.push_back(sample(frame, 1));
        }
        return out;
    }
    size_t outFrames = size_t(double(frames) * kAnalysisRate / double(rate));
    out.reserve(outFrames * 2);
    for (size_t i = 0; i < outFrames; i++) {
        double position = double(i) * double(rate) / kAnalysisRate;
        size_t frame = size_t(position);
        double weight = position - double(frame);
        size_t next = frame + 1 < frames ? frame + 1 : frame;
        for (int channel = 0; channel < 2; channel++) {
            double value = sample(frame, channel) * (1 - weight) + sample(next, channel) * weight;
            out.push_back(int16_t(std::lround(value)));
        }
    }
    return out;
}

bool decodeMusic(const std::string& path, DecodedMusic& music, std::string& problem) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        problem = path + ": cannot open as Ogg Vorbis";
        return false;
    }
    vorbis_info* info = ov_info(&file, -1);
    int channels = info ? info->channels : 0;
    long rate = info ? info->rate : 0;
    std::vector<int16_t> samples;
    bool ok = readAll(file, samples);
    ov_clear(&file);
    if (!ok) {
        problem = path + ": the Vorbis stream is damaged";
        return false;
    }
    if (channels < 1 || channels > 2) {
        problem = path + ": " + std::to_string(channels) + " channels (1 or 2 expected)";
        return false;
    }
    music.samples = convertForAnalysis(samples, channels, rate);
    return true;
}
