// The arrangement of "morvane-quelfin": tempo, sections and every note of the track.
//
// The tempo is 100 beats per minute, 0.6 s a beat and 2.4 s a bar: the greeting cards, which
// change every 1.2 s, change on every second beat, and the 0.15 s sixteenth notes put the
// station slides (every 0.5 s) back on a sixteenth every 1.5 s.
#pragma once

#include <vector>

namespace music {

constexpr double kBeatsPerMinute = 100.0;
constexpr double kSecondsPerBeat = 60.0 / kBeatsPerMinute;
constexpr int kBeatsPerBar = 4;
constexpr double kSecondsPerBar = kSecondsPerBeat * kBeatsPerBar;
constexpr double kSecondsPerStep = kSecondsPerBeat / 4; // one sixteenth note
constexpr int kBarCount = 58;
// The demo stops 139.0 s after the music starts, 0.2 s before the last bar ends. The track
// resolves on bar 56 and fades out so that it is silent from kSilentFrom on: nothing is cut
// while it still sounds. A little silence after the last bar makes the file outlast the demo.
constexpr double kSilentFrom = 138.5;
constexpr double kTailSeconds = 0.6;
constexpr double kTrackSeconds = kBarCount * kSecondsPerBar + kTailSeconds;

enum class Instrument {
    Kick, // its pitch is the note the body settles on
    Clap,
    Snare,
    ClosedHat,
    OpenHat,
    Crash,
    Bass,
    Pad,
    Arp,
    Bell,
    Lead,
    Riser,
    Supersaw, // the finale's lead
    Stab,     // short chord plucks on the off-beats of the finale
};

// The kick is tuned to the key's tonic: A1 (55 Hz), B1 in the finale.
constexpr int kKickPitch = 33;

struct Note {
    Instrument instrument;
    double start;   // seconds from the start of the track
    double length;  // seconds the note is held (the sound may ring longer)
    float pitch;    // MIDI note number; unused by the drums
    float velocity; // 0 to 1
    float pan;      // -1 left to 1 right
};

struct Section {
    const char* name;
    int firstBar;
    int barCount;
    bool hasKick; // four on the floor (in the build from bar 12, resting in bar 15)
    bool isMain;  // the full-band sections the scenes react to most
};

constexpr Section kSections[] = {
    {"intro", 0, 8, false, false},  {"build", 8, 8, true, false},   {"main", 16, 16, true, true},
    {"break", 32, 8, false, false}, {"finale", 40, 12, true, true}, {"out", 52, 6, false, false},
};

// Seconds at which a bar (counted from 0) begins.
constexpr double barStart(double bar) {
    return bar * kSecondsPerBar;
}

// Every note of the track, sorted by start time.
std::vector<Note> composeScore();

// The filters on the instruments ducked under the kick (bass, pads, arpeggio, bells, plucks)
// at a time: the build opens a low pass over its first half and sweeps a high pass up over its
// second, into the drop. A cutoff of 0 leaves that filter out.
struct BusFilter {
    float lowPassHz = 0;
    float highPassHz = 0;
};
BusFilter busFilterAt(double seconds);

} // namespace music
