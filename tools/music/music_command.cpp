#include "tools/music/music_command.h"

#include "runtime/data_files.h"
#include "tools/music/loudness.h"
#include "tools/music/mixer.h"
#include "tools/music/spectrum_report.h"
#include "tools/music/track_analysis.h"
#include "tools/music/vorbis_file.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

using music::StereoBuffer;

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

StereoBuffer sliceOf(const StereoBuffer& track, double fromSeconds, double toSeconds) {
    size_t first = std::min(track.frames(), size_t(std::max(0.0, fromSeconds) * track.sampleRate));
    size_t last = std::min(track.frames(), size_t(std::max(0.0, toSeconds) * track.sampleRate));
    StereoBuffer part;
    part.sampleRate = track.sampleRate;
    if (first < last) {
        part.left.assign(track.left.begin() + long(first), track.left.begin() + long(last));
        part.right.assign(track.right.begin() + long(first), track.right.begin() + long(last));
    }
    return part;
}

double barsLoudness(const StereoBuffer& track, int firstBar, int barCount) {
    return music::integratedLoudness(
        sliceOf(track, music::barStart(firstBar), music::barStart(firstBar + barCount)));
}

const music::Section& sectionNamed(const char* name) {
    for (const music::Section& section : music::kSections)
        if (strcmp(section.name, name) == 0) return section;
    return music::kSections[0];
}

// Loudness, peak, stereo correlation and energy shares of each section.
void printSections(const StereoBuffer& track) {
    printf("sections (%.0f BPM, %.1f s a bar):\n", music::kBeatsPerMinute, music::kSecondsPerBar);
    printf("  section bars    LUFS  change  peak dBFS  L/R corr ");
    for (const char* band : music::kMixBandNames)
        printf(" %6s", band);
    printf("  (%% of energy)\n");
    double previous = 0;
    for (const music::Section& section : music::kSections) {
        double from = music::barStart(section.firstBar);
        double to = music::barStart(section.firstBar + section.barCount);
        StereoBuffer part = sliceOf(track, from, to);
        double loudness = music::integratedLoudness(part);
        printf("  %-7s %2d-%2d  %6.1f  %+6.1f  %9.1f  %9.2f ", section.name, section.firstBar,
               section.firstBar + section.barCount - 1, loudness,
               &section == music::kSections ? 0.0 : loudness - previous,
               music::toDecibels(music::samplePeak(part)),
               music::stereoCorrelation(track, from, to));
        for (double share : music::bandShares(track, from, to))
            printf(" %6.1f", share * 100.0);
        printf("\n");
        previous = loudness;
    }
}

// Short-term loudness (3 s) at the end of every bar, the drop's lift over the bar before it and
// the level of the end, where the demo stops.
void printDynamics(const StereoBuffer& track) {
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
    printf("\nthe drop at %.1f s: %.1f LUFS after, %.1f LUFS before, lift %.1f LU (target >= 3)\n",
           drop, after, before, after - before);
    for (double from : {music::kSilentFrom, 138.8}) {
        StereoBuffer end = sliceOf(track, from, double(track.frames()) / track.sampleRate);
        printf("peak from %.1f s to the end: %.1f dBFS (silent below -60)\n", from,
               music::toDecibels(music::samplePeak(end)));
    }
}

// Share of one kick's energy above a frequency, the kick rendered alone at full velocity.
double kickShareAbove(double hz) {
    music::Note kick{music::Instrument::Kick, 0.0, 0.3, float(music::kKickPitch), 1.0f, 0.0f};
    music::Buses buses(0, size_t(music::kSecondsPerBeat * music::kSampleRate));
    music::renderNote(kick, 1, buses);
    StereoBuffer sound;
    for (size_t i = 0; i < buses.frames(); ++i) {
        sound.left.push_back(buses.dryLeft[i] + buses.duckedLeft[i]);
        sound.right.push_back(buses.dryRight[i] + buses.duckedRight[i]);
    }
    return music::energyShareAbove(sound, hz);
}

// The build's first half against the main section, the finale against the main section, the
// full sections' balance and width, the kick alone and the main section's two halves.
void printTargets(const StereoBuffer& track) {
    const music::Section& main = sectionNamed("main");
    const music::Section& finale = sectionNamed("finale");
    double buildStart = barsLoudness(track, 8, 4);
    double mainLoudness = barsLoudness(track, main.firstBar, main.barCount);
    double finaleLoudness = barsLoudness(track, finale.firstBar, finale.barCount);
    printf("bars 8-11: %.1f LUFS; main %+.1f LU over them (target >= 3); finale %+.1f LU over "
           "main (target >= 1)\n",
           buildStart, mainLoudness - buildStart, finaleLoudness - mainLoudness);
    for (const music::Section* section : {&main, &finale}) {
        double from = music::barStart(section->firstBar);
        double to = music::barStart(section->firstBar + section->barCount);
        std::array<double, music::kMixBandCount> shares = music::bandShares(track, from, to);
        printf("%s: sub %.1f%% (target <= 40), high + air %.1f%% (target >= 4), L/R correlation "
               "%.2f (target 0.7-0.9)\n",
               section->name, shares[0] * 100.0, (shares[4] + shares[5]) * 100.0,
               music::stereoCorrelation(track, from, to));
    }
    printf("kick alone: %.1f%% of its energy above 100 Hz (target >= 10)\n",
           kickShareAbove(100.0) * 100.0);
    double similarity = 0;
    int half = main.barCount / 2;
    for (int bar = main.firstBar; bar < main.firstBar + half; ++bar)
        similarity += music::chromaSimilarity(music::barChroma(track, bar),
                                              music::barChroma(track, bar + half));
    printf("main, second half against the first: bar chroma similarity %.2f (target <= 0.9)\n",
           similarity / half);
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

// Per section, how often each band is where the pictures key on it.
void printKeyedBands(const std::vector<music::SectionBands>& sections) {
    printf("per section, %% of analyses where the pictures key on each band (band 1 above %.1f, "
           "the others %.2f..%.2f):\n  section",
           double(music::kBeatLevel), double(music::kSilentLevel), double(music::kSaturatedLevel));
    for (int band : music::kReportedBands)
        printf(" %5d", band);
    printf("  kicks caught\n");
    for (const music::SectionBands& section : sections) {
        printf("  %-7s", section.name);
        for (double keyed : section.keyed)
            printf(" %5.1f", keyed * 100.0);
        printf("  %d of %d\n", section.kicksCaught, section.kicks);
    }
}

int report(const std::string& path) {
    StereoBuffer track;
    std::string error;
    if (!music::decodeOggVorbis(path, track, error)) {
        fprintf(stderr, "music: %s\n", error.c_str());
        return 1;
    }
    double seconds = double(track.frames()) / track.sampleRate;
    printf("%s: %.3f s, %d Hz stereo\n", path.c_str(), seconds, track.sampleRate);
    printf("sample peak: %.2f dBFS\n", music::toDecibels(music::samplePeak(track)));
    printf("true peak: %.2f dBTP (target <= -1.0)\n", music::toDecibels(music::truePeak(track)));
    printf("integrated loudness: %.2f LUFS (target -10 +- 1)\n", music::integratedLoudness(track));
    printf("loudness range: %.1f LU (target >= 6)\n", music::loudnessRange(track));
    printSections(track);
    printTargets(track);
    printDynamics(track);
    std::vector<int16_t> stream;
    if (!music::toDemoStream(track, stream, error)) {
        fprintf(stderr, "music: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    std::vector<music::SpectrumFrame> frames = music::analyseLikeTheDemo(stream);
    printSpectrum(music::measureSpectrum(frames));
    printKeyedBands(music::measureSections(frames));
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
