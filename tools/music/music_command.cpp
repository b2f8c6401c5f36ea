#include "tools/music/music_command.h"

#include "runtime/data_files.h"
#include "tools/music/loudness.h"
#include "tools/music/mixer.h"
#include "tools/music/spectrum_report.h"
#include "tools/music/vorbis_file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

const char* const kTitle = "morvane-quelfin";

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Shows the render's progress: one updating line on a terminal, a line every tenth in a log.
void showProgress(double fraction) {
    static int lastTenth = -1;
    int percent = int(fraction * 100.0 + 0.5);
    if (isatty(fileno(stdout))) {
        printf("\rmusic: rendering %3d%%", percent);
    } else {
        if (percent / 10 == lastTenth) return;
        lastTenth = percent / 10;
        printf("music: rendering %3d%%\n", percent);
    }
    fflush(stdout);
}

int renderTo(const std::string& path) {
    auto started = std::chrono::steady_clock::now();
    music::LimiterFigures limiter;
    music::StereoBuffer track = music::renderTrack(0, music::kTrackSeconds, showProgress, &limiter);
    if (isatty(fileno(stdout))) printf("\n");
    printf("music: %.1f s of audio rendered in %.1f s, peak %.2f dBFS\n",
           double(track.frames()) / track.sampleRate, secondsSince(started),
           music::toDecibels(music::samplePeak(track)));
    printf("music: limiter cut at most %.1f dB, more than 1 dB on %.1f%% of the frames\n",
           limiter.deepestCutDb, limiter.limitedFraction * 100.0);
    auto encoding = std::chrono::steady_clock::now();
    printf("music: encoding %s\n", path.c_str());
    fflush(stdout);
    std::string error;
    if (!music::encodeOggVorbis(track, path, kTitle, error)) {
        fprintf(stderr, "music: %s\n", error.c_str());
        return 1;
    }
    printf("music: encoded in %.1f s\n", secondsSince(encoding));
    return 0;
}

// Loudness and peak of each section, for following the arrangement from the timeline.
void printSections(const music::StereoBuffer& track) {
    printf("sections (%.0f BPM, %.1f s a bar):\n", music::kBeatsPerMinute, music::kSecondsPerBar);
    for (const music::Section& section : music::kSections) {
        double from = music::barStart(section.firstBar);
        double to = music::barStart(section.firstBar + section.barCount);
        size_t first = size_t(from * track.sampleRate);
        size_t last = std::min(track.frames(), size_t(to * track.sampleRate));
        music::StereoBuffer part;
        part.sampleRate = track.sampleRate;
        if (first < last) {
            part.left.assign(track.left.begin() + long(first), track.left.begin() + long(last));
            part.right.assign(track.right.begin() + long(first), track.right.begin() + long(last));
        }
        printf("  %-7s bars %2d-%2d  %6.1f-%6.1f s  %6.1f LUFS  peak %6.1f dBFS\n", section.name,
               section.firstBar, section.firstBar + section.barCount - 1, from, to,
               music::integratedLoudness(part), music::toDecibels(music::samplePeak(part)));
    }
}

// Short-term loudness (3 s) at the end of every bar, the drop's lift over the bar before it and
// the level of the end, where the demo stops.
void printDynamics(const music::StereoBuffer& track) {
    constexpr double kShortTerm = 3.0;
    printf("short-term loudness at the end of each bar (LUFS):");
    for (int bar = 0; bar < music::kBarCount; ++bar) {
        double end = music::barStart(bar + 1);
        printf("%s%3d:%6.1f", bar % 8 == 0 ? "\n  " : " ", bar,
               music::loudnessBetween(track, end - kShortTerm, end));
    }
    double drop = music::barStart(16);
    double before = music::loudnessBetween(track, drop - kShortTerm, drop);
    double after = music::loudnessBetween(track, drop, drop + kShortTerm);
    printf("\nthe drop at %.1f s: %.1f LUFS after, %.1f LUFS before, lift %.1f LU\n", drop, after,
           before, after - before);
    size_t from = std::min(track.frames(), size_t(music::kSilentFrom * track.sampleRate));
    float endPeak = 0;
    for (size_t i = from; i < track.frames(); ++i)
        endPeak = std::max({endPeak, std::fabs(track.left[i]), std::fabs(track.right[i])});
    printf("peak from %.1f s to the end: %.1f dBFS\n", music::kSilentFrom,
           music::toDecibels(endPeak));
}

void printSpectrum(const music::SpectrumFigures& figures) {
    printf("spectrum as the demo analyses it (22050 Hz, 16-bit, 512-frame blocks):\n");
    printf("  band    Hz   mean  above 0.8  main in range (%.2f..%.2f)\n",
           double(music::kSilentLevel), double(music::kSaturatedLevel));
    for (const music::BandFigures& band : figures.bands)
        printf("  %4d %5d  %5.3f     %5.1f%%        %5.1f%%\n", band.band,
               int(band.band * 22050.0 / 512.0 + 0.5), band.mean, band.aboveHigh * 100.0,
               band.mainInRange * 100.0);
    printf("kicks with band 1 above 0.8 within 100 ms: %d of %d (%.1f%%)\n", figures.kicksCaught,
           figures.kicks, figures.kicks ? 100.0 * figures.kicksCaught / figures.kicks : 0.0);
}

int report(const std::string& path) {
    music::StereoBuffer track;
    std::string error;
    if (!music::decodeOggVorbis(path, track, error)) {
        fprintf(stderr, "music: %s\n", error.c_str());
        return 1;
    }
    double seconds = double(track.frames()) / track.sampleRate;
    printf("%s: %.3f s, %d Hz stereo\n", path.c_str(), seconds, track.sampleRate);
    printf("sample peak: %.2f dBFS\n", music::toDecibels(music::samplePeak(track)));
    printf("integrated loudness: %.2f LUFS\n", music::integratedLoudness(track));
    printSections(track);
    printDynamics(track);
    std::vector<int16_t> stream;
    if (!music::toDemoStream(track, stream, error)) {
        fprintf(stderr, "music: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    printSpectrum(music::measureSpectrum(music::analyseLikeTheDemo(stream)));
    return 0;
}

} // namespace

int runMusicCommand(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "render") == 0) return renderTo(argv[2]);
    if (argc == 3 && strcmp(argv[1], "report") == 0) return report(argv[2]);
    fprintf(stderr, "usage: lirv-studio music render OUT.ogg\n"
                    "       lirv-studio music report FILE.ogg\n");
    return 2;
}

int generateMusic(const StudioPaths& paths) {
    const char* name = datafiles::kMusic + strlen("data/");
    return renderTo(paths.dataDir + "/" + name);
}
