// Music playback through SDL_mixer and the spectrum analysis of what is played.
//
// The analysis runs in SDL_mixer's post-mix callback on the audio thread: it collects 512
// frames, windows them, runs a 512-point FFT and keeps per bin a falling level and a slowly
// decaying peak. The main thread reads one bin at a time with spectrumLevel.
#pragma once

#include <SDL_mixer.h>

constexpr int FFT_SIZE = 512;
constexpr int SPECTRUM_BINS = 256;
constexpr int kAudioRateHz = 22050;

// Opens the audio device (22050 Hz, signed 16-bit stereo, 512-frame chunks) and registers
// analyseAudio on the post-mix channel, on the first call only. Failures leave the demo silent.
void openAudio();

// Opens audio, then loads the music; null when it cannot be loaded (no message).
Mix_Music* loadMusic(const char* path);

// Plays the music once; false when SDL_mixer refuses (a null handle included).
bool playMusic(Mix_Music* music);

// The post-mix callback: reads interleaved signed 16-bit little-endian stereo frames, never
// changes them. Runs on the audio thread in the demo. Tools may call it on their own thread
// with decoded audio to get the very same analysis, after resetAnalysis and while no audio
// device runs it.
void analyseAudio(int channel, void* stream, int length, void* userData);

// The level of bin 0 to 255: the decaying peak while the falling level is below it, else the
// level; normally 0 to 1. A bin outside 0 to 255 reads 0. Safe to call while the audio thread
// analyses.
float spectrumLevel(int bin);

// The two values behind spectrumLevel for one bin, for tools and tests.
struct SpectrumBin {
    float level;
    float peak;
};
SpectrumBin spectrumBin(int bin);

// Prepares the analysis for offline use: computes the window and sets every level, peak and the
// partly collected block to zero. Not used by the demo; never call it while audio plays.
void resetAnalysis();
