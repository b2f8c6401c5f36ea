#include "tools/music/score.h"

#include "tools/music/melodies.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

// The chords, voiced in A minor. The harmony walks through three progressions: the home loop
// i VI III VII (Am9 Fmaj9 Cmaj7 G6), the turn VI VII v i (Fmaj9 G6 Em7 Am9) and the closing
// cadence i VI iv V (Am9 Fmaj9 Dm9 E7). The finale and the ending play them a whole tone higher.
struct Chord {
    int bassNote;   // MIDI, octave 2
    int voicing[5]; // pad notes, low to high
};
enum ChordName { Am9, Fmaj9, Cmaj7, G6, Em7, Dm9, E7 };
const Chord kChordBook[] = {
    {45, {57, 60, 64, 67, 71}}, // Am9
    {41, {53, 57, 60, 64, 67}}, // Fmaj9
    {48, {55, 60, 64, 67, 71}}, // Cmaj7
    {43, {55, 59, 62, 64, 67}}, // G6
    {40, {54, 59, 62, 64, 67}}, // Em7 (with the ninth)
    {38, {53, 57, 60, 64, 69}}, // Dm9
    {40, {56, 59, 62, 64, 68}}, // E7
};
const ChordName kHome[4] = {Am9, Fmaj9, Cmaj7, G6};
const ChordName kTurn[4] = {Fmaj9, G6, Em7, Am9};
const ChordName kCadence[4] = {Am9, Fmaj9, Dm9, E7};
// The break climbs D E G A in the bass into the finale's B minor.
const ChordName kClimb[4] = {Dm9, Em7, Fmaj9, G6};
// The main section's last four bars lift through iv v VI to the dominant, which the break's VI
// answers with a deceptive cadence.
const ChordName kLift[4] = {Dm9, Em7, Fmaj9, E7};
constexpr int kLiftBar = 28;
constexpr int kFinaleKey = 2; // semitones above A minor
constexpr int kFinaleBar = 40;
constexpr int kFinalChordBar = 56;
constexpr int kKeyChangeBar = 38; // the break's last two bars are already in B minor

// Kick patterns: bit n plays the sixteenth n of a bar.
constexpr unsigned kFourOnTheFloor = 0x1111;
constexpr unsigned kLastBeatDropped = 0x0111; // leaves room for a fill into the next phrase
constexpr unsigned kSkipping = 0x1911;        // the finale's: an extra kick before beat 4

Chord transposed(const Chord& chord, int semitones) {
    Chord out = chord;
    out.bassNote += semitones;
    for (int& note : out.voicing)
        note += semitones;
    return out;
}

// The chord of every bar of the track.
Chord chordOf(int bar) {
    if (bar >= kLiftBar && bar < 32) return kChordBook[kLift[bar % 4]];
    if (bar < 32) return kChordBook[kHome[bar % 4]];
    if (bar < 36) return kChordBook[kTurn[bar % 4]];
    if (bar < 38) return kChordBook[kClimb[bar - 36]];
    if (bar < kFinaleBar) return transposed(kChordBook[kClimb[bar - 36]], kFinaleKey);
    if (bar < 48) return transposed(kChordBook[kHome[bar % 4]], kFinaleKey);
    if (bar < 52) return transposed(kChordBook[kTurn[bar % 4]], kFinaleKey);
    if (bar < kFinalChordBar) return transposed(kChordBook[kCadence[bar % 4]], kFinaleKey);
    return transposed(kChordBook[Am9], kFinaleKey);
}

// Arpeggio order over the five voicing notes and the same an octave up.
const int kArpOrder[8] = {0, 2, 4, 6, 8, 6, 4, 2};

class Composer {
  public:
    std::vector<Note> notes;

    void add(Instrument instrument, double start, double length, float pitch, float velocity,
             float pan = 0) {
        notes.push_back(Note{instrument, start, length, pitch, velocity, pan});
    }
    static double stepTime(int bar, int step) { return barStart(bar) + step * kSecondsPerStep; }

    void kickBar(int bar, float velocity, unsigned pattern = kFourOnTheFloor) {
        float pitch = float(kKickPitch + (bar >= kKeyChangeBar ? kFinaleKey : 0));
        for (int step = 0; step < 16; ++step)
            if (pattern & (1u << step))
                add(Instrument::Kick, stepTime(bar, step), 0.3, pitch,
                    velocity * (step % 4 ? 0.75f : 1.0f));
    }
    // The backbeat: clap and snare together on beats two and four.
    void backbeatBar(int bar, float velocity) {
        for (int step : {4, 12}) {
            add(Instrument::Clap, stepTime(bar, step), 0.2, 0, velocity * 0.9f);
            add(Instrument::Snare, stepTime(bar, step), 0.2, 0, velocity);
        }
    }
    // A snare fill from a sixteenth to the end of the bar, growing louder and moving across.
    void fillBar(int bar, int fromStep, float velocity) {
        for (int step = fromStep; step < 16; ++step) {
            float rise = float(step - fromStep + 1) / float(16 - fromStep);
            add(Instrument::Snare, stepTime(bar, step), 0.1, 0, velocity * (0.45f + 0.55f * rise),
                -0.5f + rise);
        }
    }
    void clapBar(int bar, float velocity, bool fill) {
        add(Instrument::Clap, stepTime(bar, 4), 0.2, 0, velocity);
        add(Instrument::Clap, stepTime(bar, 12), 0.2, 0, velocity);
        if (fill) {
            add(Instrument::Clap, stepTime(bar, 14), 0.1, 0, velocity * 0.6f, -0.3f);
            add(Instrument::Clap, stepTime(bar, 15), 0.1, 0, velocity * 0.75f, 0.3f);
        }
    }
    // A roll of claps rising in loudness over the second half of a bar, into the next section.
    void rollBar(int bar) {
        for (int step = 8; step < 16; ++step)
            add(Instrument::Clap, stepTime(bar, step), 0.1, 0, 0.35f + 0.05f * (step - 8),
                step % 2 ? 0.25f : -0.25f);
    }
    // Closed hats on every sixteenth (or every eighth when sparse), open hats on the off-beats,
    // up to a sixteenth of the bar.
    void hatBar(int bar, float velocity, bool sixteenths, bool openHats, int endStep = 16) {
        static const float kAccent[4] = {0.85f, 0.45f, 1.0f, 0.5f};
        for (int step = 0; step < endStep; ++step) {
            bool offBeat = step % 4 == 2;
            if (!sixteenths && step % 2) continue;
            if (openHats && offBeat) {
                add(Instrument::OpenHat, stepTime(bar, step), 0.15, 0, velocity, -0.35f);
                continue;
            }
            add(Instrument::ClosedHat, stepTime(bar, step), 0.05, 0, velocity * kAccent[step % 4],
                step % 2 ? 0.45f : 0.2f);
        }
    }
    // Rolling bass: eighths or sixteenths on the root, every fourth one up an octave.
    void bassBar(int bar, float velocity, bool sixteenths) {
        int root = chordOf(bar).bassNote;
        int stride = sixteenths ? 1 : 2;
        for (int step = 0; step < 16; step += stride) {
            int pitch = root + (step % 8 == 6 ? 12 : 0);
            float accent = step % 4 == 0 ? 1.0f : 0.8f;
            add(Instrument::Bass, stepTime(bar, step), kSecondsPerStep * stride * 0.8, float(pitch),
                velocity * accent);
        }
    }
    // The finale's galloping bass: three sixteenths after every kick, the last an octave up,
    // leaving each beat's first sixteenth to the kick.
    void gallopBar(int bar, float velocity) {
        int root = chordOf(bar).bassNote;
        for (int step = 0; step < 16; ++step) {
            if (step % 4 == 0) continue;
            int pitch = root + (step % 4 == 3 ? 12 : 0);
            add(Instrument::Bass, stepTime(bar, step), kSecondsPerStep * 0.8, float(pitch),
                velocity * (step % 4 == 2 ? 1.0f : 0.85f));
        }
    }
    void heldBassBar(int bar, float velocity, double length = kSecondsPerBar * 0.95) {
        add(Instrument::Bass, stepTime(bar, 0), length, float(chordOf(bar).bassNote), velocity);
    }
    void padBar(int bar, float velocity, double length = kSecondsPerBar) {
        Chord chord = chordOf(bar);
        for (int i = 0; i < 5; ++i)
            add(Instrument::Pad, stepTime(bar, 0), length, float(chord.voicing[i]), velocity,
                -0.6f + 0.3f * i);
    }
    void arpBar(int bar, float velocity) {
        Chord chord = chordOf(bar);
        for (int step = 0; step < 16; ++step) {
            int index = kArpOrder[step % 8];
            int pitch = chord.voicing[index % 5] + 12 * (index / 5) + 12;
            add(Instrument::Arp, stepTime(bar, step), kSecondsPerStep * 0.6, float(pitch), velocity,
                step % 2 ? 0.4f : -0.4f);
        }
    }
    // Glassy bells on the eighths, two octaves above the arpeggio's chord tones.
    void bellBar(int bar, float velocity) {
        static const int kBellOrder[8] = {4, 2, 6, 3, 8, 5, 7, 1};
        Chord chord = chordOf(bar);
        for (int eighth = 0; eighth < 8; ++eighth) {
            int index = kBellOrder[eighth];
            int pitch = chord.voicing[index % 5] + 12 * (index / 5) + 24;
            add(Instrument::Bell, stepTime(bar, eighth * 2), kSecondsPerStep, float(pitch),
                velocity * (eighth % 2 ? 0.8f : 1.0f), eighth % 2 ? -0.5f : 0.5f);
        }
    }
    // Chord plucks on the off-beat eighths, the upper four voicing notes an octave up.
    void stabBar(int bar, float velocity) {
        Chord chord = chordOf(bar);
        for (int beat = 0; beat < 4; ++beat)
            for (int i = 1; i < 5; ++i)
                add(Instrument::Stab, stepTime(bar, beat * 4 + 2), kSecondsPerStep * 1.2,
                    float(chord.voicing[i] + 12), velocity * (beat == 3 ? 1.0f : 0.85f),
                    -0.45f + 0.3f * float(i - 1));
    }
    // Plays the bars [fromBar, fromBar + barCount) of a tune starting at track bar 'bar'.
    template <size_t N>
    void tune(const TuneNote (&melody)[N], Instrument instrument, int bar, int fromBar,
              int barCount, int transpose, float velocity, float pan = 0) {
        for (const TuneNote& note : melody) {
            int tuneBar = note.step / 16;
            if (tuneBar < fromBar || tuneBar >= fromBar + barCount) continue;
            double start = barStart(bar + tuneBar - fromBar) + (note.step % 16) * kSecondsPerStep;
            add(instrument, start, note.steps * kSecondsPerStep * 0.92,
                float(note.pitch + transpose), velocity, pan);
        }
    }
    // A crash cymbal marking the start of a section or phrase.
    void crash(int bar, float velocity) {
        add(Instrument::Crash, barStart(bar), kSecondsPerBar, 0, velocity, -0.3f);
    }
    void riser(int bar, int bars, float velocity) {
        add(Instrument::Riser, barStart(bar), bars * kSecondsPerBar, 0, velocity);
    }
};

void intro(Composer& c) {
    for (int bar = 0; bar < 8; ++bar) {
        c.padBar(bar, 0.3f + 0.04f * bar);
        if (bar >= 4) c.arpBar(bar, 0.2f + 0.04f * (bar - 4));
        if (bar >= 6) c.hatBar(bar, 0.5f, false, false);
    }
    c.riser(6, 2, 0.6f);
}

// The build: four bars without the kick while the low pass over the band opens, then the kick,
// the backbeat and bells over four bars of rising high pass and riser. The last bar holds its
// breath: kick, bass and hats stop, and only the pad, a snare fill and the riser climb into the
// drop.
void build(Composer& c) {
    for (int bar = 8; bar < 15; ++bar) {
        bool kick = bar >= 12;
        if (kick) c.kickBar(bar, 1.0f, bar == 14 ? kLastBeatDropped : kFourOnTheFloor);
        c.bassBar(bar, kick ? 0.8f : 0.5f, kick);
        c.hatBar(bar, 0.45f + 0.03f * (bar - 8), kick, false, bar == 14 ? 12 : 16);
        c.padBar(bar, kick ? 0.7f : 0.4f);
        c.arpBar(bar, kick ? 0.5f : 0.3f);
        if (kick) c.backbeatBar(bar, 0.7f + 0.05f * (bar - 12));
        if (kick) c.bellBar(bar, 0.6f);
    }
    c.padBar(15, 0.35f);
    c.arpBar(15, 0.2f);
    c.fillBar(15, 8, 0.3f);
    c.riser(12, 4, 0.4f);
    c.crash(8, 0.6f);
}

// The main section: the tune over the home loop, then its second half varies it: the tune's
// opening an octave up with a counter-melody, the answer over the lift, no bells. A snare fill
// ends every fourth bar and the kick drops its last beat before each eight-bar phrase.
void mainSection(Composer& c) {
    for (int bar = 16; bar < 32; ++bar) {
        bool secondHalf = bar >= 24;
        c.kickBar(bar, 1.0f, bar == 23 || bar == 27 ? kLastBeatDropped : kFourOnTheFloor);
        c.bassBar(bar, 0.8f, true);
        c.backbeatBar(bar, 0.85f);
        if (bar % 4 == 3) c.fillBar(bar, bar % 8 == 7 ? 8 : 12, 0.8f);
        c.hatBar(bar, 0.7f, true, true);
        c.padBar(bar, 0.45f);
        c.arpBar(bar, secondHalf ? 0.45f : 0.35f);
        if (!secondHalf) c.bellBar(bar, 0.8f);
    }
    c.crash(16, 1.0f);
    c.crash(24, 0.8f);
    c.crash(28, 0.7f);
    c.tune(kTune, Instrument::Lead, 16, 0, 8, 0, 0.8f);
    c.tune(kTune, Instrument::Lead, 24, 0, 4, 12, 0.75f);
    c.tune(kAnswer, Instrument::Lead, kLiftBar, 0, 4, 0, 0.8f);
    c.tune(kCounter, Instrument::Lead, 24, 0, 8, 0, 0.5f, -0.5f);
}

void breakSection(Composer& c) {
    for (int bar = 32; bar < 40; ++bar) {
        c.padBar(bar, 0.55f);
        c.arpBar(bar, 0.4f);
        c.heldBassBar(bar, 0.45f);
        c.bellBar(bar, 0.45f);
        if (bar >= 36) c.hatBar(bar, 0.45f + 0.05f * (bar - 36), false, false);
    }
    c.tune(kTune, Instrument::Lead, 32, 4, 4, -12, 0.45f);
    c.riser(38, 2, 0.9f);
    c.rollBar(39);
}

// The finale: a whole tone higher, the anthem on the supersaw, a skipping kick, a galloping
// bass, off-beat chord plucks and the arpeggio kept quietly; a snare fill ends every fourth bar
// and a crash opens the next. The main tune's lead rests.
void finale(Composer& c) {
    for (int bar = kFinaleBar; bar < 52; ++bar) {
        c.kickBar(bar, 1.0f, bar % 2 ? kSkipping : kFourOnTheFloor);
        c.gallopBar(bar, 0.8f);
        c.backbeatBar(bar, 1.0f);
        if (bar % 4 == 3) c.fillBar(bar, bar == 51 ? 8 : 12, 0.9f);
        c.hatBar(bar, 0.8f, true, true);
        c.padBar(bar, 0.85f);
        c.stabBar(bar, 0.7f);
        c.arpBar(bar, 0.25f);
        c.bellBar(bar, 0.5f);
    }
    for (int bar = kFinaleBar; bar < 52; bar += 4)
        c.crash(bar, bar == kFinaleBar ? 1.0f : 0.8f);
    c.tune(kAnthem, Instrument::Supersaw, kFinaleBar, 0, 12, kFinaleKey, 1.0f);
}

// The ending thins out over the closing cadence, the farewell tune lands on the tonic with one
// last kick on bar 56 and the final chord rings into the fade.
void outro(Composer& c) {
    c.crash(52, 0.7f);
    for (int bar = 52; bar < kFinalChordBar; ++bar) {
        float fade = 1.0f - 0.18f * (bar - 52);
        c.kickBar(bar, 0.95f * fade);
        c.bassBar(bar, 0.8f * fade, false);
        if (bar < 54) c.backbeatBar(bar, 0.7f * fade);
        c.hatBar(bar, 0.6f * fade, true, false);
        c.padBar(bar, 0.65f);
        c.arpBar(bar, 0.35f * fade);
        c.bellBar(bar, 0.6f * fade);
    }
    c.tune(kTune, Instrument::Lead, 52, 0, 2, kFinaleKey, 0.55f);
    c.tune(kFarewell, Instrument::Lead, 54, 0, 3, kFinaleKey, 0.55f);
    c.add(Instrument::Kick, barStart(kFinalChordBar), 0.3, float(kKickPitch + kFinaleKey), 0.7f);
    c.heldBassBar(kFinalChordBar, 0.6f, kSecondsPerBar);
    c.padBar(kFinalChordBar, 0.6f, 1.5 * kSecondsPerBar);
    c.bellBar(kFinalChordBar, 0.35f);
}

} // namespace

BusFilter busFilterAt(double seconds) {
    constexpr double kBuildBar = 8, kSweepBar = 12, kDropBar = 16;
    BusFilter filter;
    double bar = seconds / kSecondsPerBar;
    if (bar >= kBuildBar && bar < kSweepBar) {
        double progress = (bar - kBuildBar) / (kSweepBar - kBuildBar);
        filter.lowPassHz = float(600.0 * std::pow(20.0, progress)); // 600 Hz to 12 kHz
    } else if (bar >= kSweepBar && bar < kDropBar) {
        double progress = (bar - kSweepBar) / (kDropBar - kSweepBar);
        filter.highPassHz = float(30.0 * std::pow(15.0, progress * progress)); // up to 450 Hz
    }
    return filter;
}

std::vector<Note> composeScore() {
    Composer c;
    intro(c);
    build(c);
    mainSection(c);
    breakSection(c);
    finale(c);
    outro(c);
    std::stable_sort(c.notes.begin(), c.notes.end(),
                     [](const Note& a, const Note& b) { return a.start < b.start; });
    return c.notes;
}

} // namespace music
