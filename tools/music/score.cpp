#include "tools/music/score.h"

#include <algorithm>

namespace music {

namespace {

// One chord per bar over a four-bar loop in A minor: Am9, Fmaj9, Cmaj7, G6.
struct Chord {
    int bassNote;   // MIDI, octave 2
    int voicing[5]; // pad notes, low to high
};
const Chord kChords[4] = {
    {45, {57, 60, 64, 67, 71}}, // Am9
    {41, {53, 57, 60, 64, 67}}, // Fmaj9
    {48, {55, 60, 64, 67, 71}}, // Cmaj7
    {43, {55, 59, 62, 64, 67}}, // G6
};

// The lead's eight-bar tune, in sixteenth steps from the phrase start.
struct TuneNote {
    int step;
    int steps;
    int pitch;
};
const TuneNote kTune[] = {
    // Am
    {0, 4, 76},
    {4, 2, 81},
    {6, 2, 79},
    {8, 4, 76},
    {12, 2, 74},
    {14, 2, 76},
    // F
    {16, 6, 72},
    {22, 2, 69},
    {24, 4, 72},
    {28, 4, 74},
    // C
    {32, 2, 76},
    {34, 2, 79},
    {36, 2, 76},
    {38, 2, 74},
    {40, 4, 72},
    {44, 4, 67},
    // G
    {48, 6, 71},
    {54, 2, 74},
    {56, 8, 71},
    // Am
    {64, 4, 81},
    {68, 2, 79},
    {70, 2, 76},
    {72, 4, 81},
    {76, 2, 83},
    {78, 2, 84},
    // F
    {80, 6, 84},
    {86, 2, 83},
    {88, 4, 81},
    {92, 4, 79},
    // C
    {96, 2, 76},
    {98, 2, 79},
    {100, 2, 84},
    {102, 2, 83},
    {104, 4, 79},
    {108, 4, 76},
    // G
    {112, 6, 74},
    {118, 2, 76},
    {120, 2, 74},
    {122, 2, 71},
    {124, 4, 67},
};

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
    static const Chord& chordOf(int bar) { return kChords[bar % 4]; }

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
    void heldBassBar(int bar, float velocity) {
        add(Instrument::Bass, stepTime(bar, 0), kSecondsPerBar * 0.95, float(chordOf(bar).bassNote),
            velocity);
    }
    void padBar(int bar, float velocity, double length = kSecondsPerBar) {
        const Chord& chord = chordOf(bar);
        for (int i = 0; i < 5; ++i)
            add(Instrument::Pad, stepTime(bar, 0), length, float(chord.voicing[i]), velocity,
                -0.6f + 0.3f * i);
    }
    void arpBar(int bar, float velocity) {
        const Chord& chord = chordOf(bar);
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
        const Chord& chord = chordOf(bar);
        for (int eighth = 0; eighth < 8; ++eighth) {
            int index = kBellOrder[eighth];
            int pitch = chord.voicing[index % 5] + 12 * (index / 5) + 24;
            add(Instrument::Bell, stepTime(bar, eighth * 2), kSecondsPerStep, float(pitch),
                velocity * (eighth % 2 ? 0.8f : 1.0f), eighth % 2 ? -0.5f : 0.5f);
        }
    }
    // Plays the tune's bars [fromBar, fromBar + barCount) starting at track bar 'bar'.
    void tune(int bar, int fromBar, int barCount, int transpose, float velocity) {
        for (const TuneNote& note : kTune) {
            int tuneBar = note.step / 16;
            if (tuneBar < fromBar || tuneBar >= fromBar + barCount) continue;
            double start = barStart(bar + tuneBar - fromBar) + (note.step % 16) * kSecondsPerStep;
            add(Instrument::Lead, start, note.steps * kSecondsPerStep * 0.92,
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

void build(Composer& c) {
    for (int bar = 8; bar < 16; ++bar) {
        c.kickBar(bar, 1.0f);
        c.bassBar(bar, 0.8f, false);
        c.hatBar(bar, 0.6f + 0.03f * (bar - 8), true, false);
        c.padBar(bar, 0.7f);
        c.arpBar(bar, 0.5f);
        if (bar >= 12 && bar < 15) c.clapBar(bar, 0.8f, false);
        if (bar >= 12) c.bellBar(bar, 0.6f);
    }
    c.clapBar(15, 0.8f, false);
    c.rollBar(15);
    c.riser(14, 2, 0.8f);
    c.crash(8, 0.6f);
}

void mainSection(Composer& c, int first, int bars, int transpose) {
    for (int bar = first; bar < first + bars; ++bar) {
        c.kickBar(bar, 1.0f);
        c.bassBar(bar, 0.9f, true);
        c.clapBar(bar, 0.9f, (bar - first) % 8 == 7);
        c.hatBar(bar, 0.75f, true, true);
        c.padBar(bar, 0.65f);
        c.arpBar(bar, 0.35f);
        c.bellBar(bar, 0.8f);
    }
    for (int bar = first; bar < first + bars; bar += 8)
        c.crash(bar, 0.8f);
    for (int bar = first; bar < first + bars; bar += 8)
        c.tune(bar, 0, std::min(8, first + bars - bar), bar == first ? transpose : 0, 0.85f);
}

void breakSection(Composer& c) {
    for (int bar = 32; bar < 40; ++bar) {
        c.padBar(bar, 0.8f);
        c.arpBar(bar, 0.55f);
        c.heldBassBar(bar, 0.6f);
        c.bellBar(bar, 0.6f);
        if (bar >= 36) c.hatBar(bar, 0.45f + 0.05f * (bar - 36), false, false);
    }
    c.tune(32, 4, 4, -12, 0.6f);
    c.riser(38, 2, 0.9f);
    c.rollBar(39);
}

void outro(Composer& c) {
    c.crash(52, 0.7f);
    for (int bar = 52; bar < 56; ++bar) {
        float fade = 1.0f - 0.18f * (bar - 52);
        c.kickBar(bar, 0.95f * fade);
        c.bassBar(bar, 0.8f * fade, false);
        c.hatBar(bar, 0.6f * fade, true, false);
        c.padBar(bar, 0.65f);
        c.arpBar(bar, 0.35f * fade);
        c.bellBar(bar, 0.6f * fade);
    }
    c.padBar(56, 0.6f, 2 * kSecondsPerBar);
    c.tune(52, 7, 1, 0, 0.5f);
    c.add(Instrument::Lead, barStart(53), kSecondsPerBar, 69.0f, 0.45f);
}

} // namespace

std::vector<Note> composeScore() {
    Composer c;
    intro(c);
    build(c);
    mainSection(c, 16, 16, 0);
    breakSection(c);
    mainSection(c, 40, 12, 0);
    outro(c);
    std::stable_sort(c.notes.begin(), c.notes.end(),
                     [](const Note& a, const Note& b) { return a.start < b.start; });
    return c.notes;
}

} // namespace music
