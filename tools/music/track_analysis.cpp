#include "tools/music/track_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace music {

namespace {

constexpr size_t kShareFftSize = 4096;   // 10.8 Hz bins, fine enough for the 20-60 Hz band
constexpr size_t kChromaFftSize = 16384; // 2.7 Hz bins, a semitone apart from 65 Hz up
constexpr double kChromaLowHz = 65.0, kChromaHighHz = 2000.0;

// In-place radix-2 FFT; the size must be a power of two.
void fft(std::vector<std::complex<double>>& x) {
    size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t span = 2; span <= n; span <<= 1) {
        std::complex<double> step = std::polar(1.0, -2.0 * kPi / double(span));
        for (size_t first = 0; first < n; first += span) {
            std::complex<double> twiddle = 1.0;
            for (size_t k = 0; k < span / 2; ++k, twiddle *= step) {
                std::complex<double> u = x[first + k], v = twiddle * x[first + k + span / 2];
                x[first + k] = u + v;
                x[first + k + span / 2] = u - v;
            }
        }
    }
}

size_t frameAt(const StereoBuffer& track, double seconds) {
    return size_t(std::clamp(std::lround(seconds * track.sampleRate), 0L, long(track.frames())));
}

// Calls 'use' with the power of each bin (both channels, Hann window) of every half-overlapping
// window of 'size' frames that lies inside [first, last); a span shorter than one window is
// taken as one zero-padded window.
template <typename Use>
void eachPowerSpectrum(const StereoBuffer& track, size_t first, size_t last, size_t size,
                       Use&& use) {
    std::vector<std::complex<double>> bins(size);
    std::vector<double> power(size / 2);
    size_t start = first;
    do {
        // Left in the real part, right in the imaginary: one transform gives both spectra.
        for (size_t i = 0; i < size; ++i) {
            double window = 0.5 - 0.5 * std::cos(2.0 * kPi * double(i) / double(size));
            size_t at = start + i;
            bins[i] =
                at < last ? window * std::complex<double>(track.left[at], track.right[at]) : 0.0;
        }
        fft(bins);
        for (size_t k = 0; k < size / 2; ++k) {
            std::complex<double> mirror = std::conj(bins[(size - k) % size]);
            std::complex<double> left = 0.5 * (bins[k] + mirror);
            std::complex<double> right = std::complex<double>(0, -0.5) * (bins[k] - mirror);
            power[k] = std::norm(left) + std::norm(right);
        }
        use(power);
        start += size / 2;
    } while (start + size <= last);
}

} // namespace

std::array<double, kMixBandCount> bandShares(const StereoBuffer& track, double fromSeconds,
                                             double toSeconds) {
    std::array<double, kMixBandCount> shares{};
    size_t first = frameAt(track, fromSeconds), last = frameAt(track, toSeconds);
    if (first >= last) return shares;
    double binHz = double(track.sampleRate) / kShareFftSize;
    eachPowerSpectrum(track, first, last, kShareFftSize, [&](const std::vector<double>& power) {
        for (size_t k = 1; k < power.size(); ++k) {
            double hz = double(k) * binHz;
            for (int band = 0; band < kMixBandCount; ++band)
                if (hz >= kMixBandEdges[band] && hz < kMixBandEdges[band + 1])
                    shares[size_t(band)] += power[k];
        }
    });
    double total = 0;
    for (double share : shares)
        total += share;
    if (total > 0)
        for (double& share : shares)
            share /= total;
    return shares;
}

double energyShareAbove(const StereoBuffer& sound, double hz) {
    size_t size = 1;
    while (size < sound.frames())
        size <<= 1;
    double above = 0, total = 0;
    double binHz = double(sound.sampleRate) / double(size);
    // One rectangular window over the whole sound: it starts and ends quietly by itself.
    std::vector<std::complex<double>> bins(size);
    for (size_t i = 0; i < sound.frames(); ++i)
        bins[i] = sound.left[i] + sound.right[i];
    fft(bins);
    for (size_t k = 1; k < size / 2; ++k) {
        total += std::norm(bins[k]);
        if (double(k) * binHz > hz) above += std::norm(bins[k]);
    }
    return total > 0 ? above / total : 0.0;
}

double stereoCorrelation(const StereoBuffer& track, double fromSeconds, double toSeconds) {
    double lr = 0, ll = 0, rr = 0;
    for (size_t i = frameAt(track, fromSeconds); i < frameAt(track, toSeconds); ++i) {
        lr += double(track.left[i]) * track.right[i];
        ll += double(track.left[i]) * track.left[i];
        rr += double(track.right[i]) * track.right[i];
    }
    return ll > 0 && rr > 0 ? lr / std::sqrt(ll * rr) : 1.0;
}

Chroma barChroma(const StereoBuffer& track, int bar) {
    Chroma chroma{};
    size_t first = frameAt(track, barStart(bar)), last = frameAt(track, barStart(bar + 1));
    if (first >= last) return chroma;
    double binHz = double(track.sampleRate) / kChromaFftSize;
    eachPowerSpectrum(track, first, last, kChromaFftSize, [&](const std::vector<double>& power) {
        for (size_t k = size_t(kChromaLowHz / binHz); k * binHz < kChromaHighHz; ++k) {
            double note = 69.0 + 12.0 * std::log2(double(k) * binHz / 440.0);
            chroma[size_t(std::lround(note)) % 12] += power[k];
        }
    });
    double length = 0;
    for (double value : chroma)
        length += value * value;
    if (length > 0)
        for (double& value : chroma)
            value /= std::sqrt(length);
    return chroma;
}

double chromaSimilarity(const Chroma& a, const Chroma& b) {
    double dot = 0;
    for (size_t i = 0; i < a.size(); ++i)
        dot += a[i] * b[i];
    return dot;
}

} // namespace music
