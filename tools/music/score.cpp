#include "tools/music/score.h"

#include "tools/music/melodies.h"

#include <algorithm>

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
constexpr int kFinaleKey = 2; // semitones above A minor
constexpr int kFinaleBar = 40;
constexpr int kFinalChordBar = 56;

Chord transposed(const Chord& chord, int semitones) {
    Chord out = chord;
    out.bassNote += semitones;
    for (int& note : out.voicing)
        note += semitones;
    return out;
}

// The chord of every bar of the track.
Chord chordOf(int bar) {
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

    void kickBar(int bar, float velocity) {
        for (int beat = 0; beat < 4; ++beat)
            add(Instrument::Kick, stepTime(bar, beat * 4), 0.5, 0, velocity);
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
    // Closed hats on every sixteenth (or every eighth when sparse), open hats on the off-beats.
    void hatBar(int bar, float velocity, bool sixteenths, bool openHats) {
        static const float kAccent[4] = {0.85f, 0.45f, 1.0f, 0.5f};
        for (int step = 0; step < 16; ++step) {
            bool offBeat = step % 4 == 2;
            if (!sixteenths && step % 2) continue;
            if (openHats && offBeat) {
                add(Instrument::OpenHat, stepTime(bar, step), 0.15, 0, velocity, -0.2f);
                continue;
            }
            add(Instrument::ClosedHat, stepTime(bar, step), 0.05, 0, velocity * kAccent[step % 4],
                0.2f);
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
              int barCount, int transpose, float velocity) {
        for (const TuneNote& note : melody) {
            int tuneBar = note.step / 16;
            if (tuneBar < fromBar || tuneBar >= fromBar + barCount) continue;
            double start = barStart(bar + tuneBar - fromBar) + (note.step % 16) * kSecondsPerStep;
            add(instrument, start, note.steps * kSecondsPerStep * 0.92,
                float(note.pitch + transpose), velocity);
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
        c.padBar(bar, 0.45f + 0.05f * bar);
        if (bar >= 4) c.arpBar(bar, 0.3f + 0.05f * (bar - 4));
        if (bar >= 6) c.hatBar(bar, 0.5f, false, false);
    }
    c.riser(6, 2, 0.6f);
}

// The build gathers for seven bars, then holds its breath for the eighth: kick, bass and hats
// stop, the pad thins and only the clap roll and the riser climb into the drop.
void build(Composer& c) {
    for (int bar = 8; bar < 15; ++bar) {
        c.kickBar(bar, 1.0f);
        c.bassBar(bar, 0.8f, false);
        c.hatBar(bar, 0.6f + 0.03f * (bar - 8), true, false);
        c.padBar(bar, 0.7f);
        c.arpBar(bar, 0.5f);
        if (bar >= 12) c.clapBar(bar, 0.8f, false);
        if (bar >= 12) c.bellBar(bar, 0.6f);
    }
    c.padBar(15, 0.4f);
    c.arpBar(15, 0.3f);
    c.add(Instrument::Clap, Composer::stepTime(15, 4), 0.2, 0, 0.5f);
    c.rollBar(15);
    c.riser(14, 2, 0.8f);
    c.crash(8, 0.6f);
}

void mainSection(Composer& c) {
    for (int bar = 16; bar < 32; ++bar) {
        c.kickBar(bar, 1.0f);
        c.bassBar(bar, 0.9f, true);
        c.clapBar(bar, 0.9f, bar % 8 == 7);
        c.hatBar(bar, 0.75f, true, true);
        c.padBar(bar, 0.65f);
        c.arpBar(bar, 0.35f);
        c.bellBar(bar, 0.8f);
    }
    c.crash(16, 1.0f);
    c.crash(24, 0.8f);
    c.tune(kTune, Instrument::Lead, 16, 0, 8, 0, 0.85f);
    c.tune(kTune, Instrument::Lead, 24, 0, 8, 0, 0.85f);
}

void breakSection(Composer& c) {
    for (int bar = 32; bar < 40; ++bar) {
        c.padBar(bar, 0.8f);
        c.arpBar(bar, 0.55f);
        c.heldBassBar(bar, 0.6f);
        c.bellBar(bar, 0.6f);
        if (bar >= 36) c.hatBar(bar, 0.45f + 0.05f * (bar - 36), false, false);
    }
    c.tune(kTune, Instrument::Lead, 32, 4, 4, -12, 0.6f);
    c.riser(38, 2, 0.9f);
    c.rollBar(39);
}

// The finale: a whole tone higher, the anthem on the supersaw, a galloping bass and off-beat
// chord plucks; the main tune's lead rests.
void finale(Composer& c) {
    for (int bar = kFinaleBar; bar < 52; ++bar) {
        c.kickBar(bar, 1.0f);
        c.gallopBar(bar, 0.95f);
        c.clapBar(bar, 0.9f, bar % 4 == 3);
        c.hatBar(bar, 0.75f, true, true);
        c.padBar(bar, 0.6f);
        c.stabBar(bar, 0.55f);
        c.bellBar(bar, 0.6f);
    }
    c.crash(40, 1.0f);
    c.crash(48, 0.8f);
    c.tune(kAnthem, Instrument::Supersaw, kFinaleBar, 0, 12, kFinaleKey, 0.85f);
}

// The ending thins out over the closing cadence, the farewell tune lands on the tonic with one
// last kick on bar 56 and the final chord rings into the fade.
void outro(Composer& c) {
    c.crash(52, 0.7f);
    for (int bar = 52; bar < kFinalChordBar; ++bar) {
        float fade = 1.0f - 0.18f * (bar - 52);
        c.kickBar(bar, 0.95f * fade);
        c.bassBar(bar, 0.8f * fade, false);
        c.hatBar(bar, 0.6f * fade, true, false);
        c.padBar(bar, 0.65f);
        c.arpBar(bar, 0.35f * fade);
        c.bellBar(bar, 0.6f * fade);
    }
    c.tune(kFarewell, Instrument::Lead, 52, 0, 5, kFinaleKey, 0.55f);
    c.add(Instrument::Kick, barStart(kFinalChordBar), 0.5, 0, 0.7f);
    c.heldBassBar(kFinalChordBar, 0.6f, kSecondsPerBar);
    c.padBar(kFinalChordBar, 0.6f, 1.5 * kSecondsPerBar);
    c.bellBar(kFinalChordBar, 0.35f);
}

} // namespace

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
