// The melodies of "morvane-quelfin", written in A minor; the score places and transposes them.
#pragma once

namespace music {

// One note of a melody.
struct TuneNote {
    int step;  // sixteenth steps from the phrase start
    int steps; // length in sixteenths
    int pitch; // MIDI note number
};

// The lead's eight-bar tune.
inline constexpr TuneNote kTune[] = {
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

// The finale's anthem, in the A minor frame of kTune (played a whole tone higher): twelve bars,
// eight over the home loop and four over the turn, syncopated three-three-two in an octave above
// the main tune, ending on the tonic.
inline constexpr TuneNote kAnthem[] = {
    // Am
    {0, 3, 84},
    {3, 3, 83},
    {6, 2, 81},
    {8, 2, 76},
    {10, 2, 81},
    {12, 4, 83},
    // F
    {16, 3, 84},
    {19, 3, 81},
    {22, 2, 79},
    {24, 4, 77},
    {28, 4, 76},
    // C
    {32, 3, 79},
    {35, 3, 84},
    {38, 2, 83},
    {40, 6, 84},
    {46, 2, 86},
    // G
    {48, 6, 86},
    {54, 2, 83},
    {56, 4, 86},
    {60, 4, 88},
    // Am
    {64, 3, 88},
    {67, 3, 86},
    {70, 2, 84},
    {72, 2, 81},
    {74, 2, 84},
    {76, 4, 88},
    // F
    {80, 3, 89},
    {83, 3, 88},
    {86, 2, 84},
    {88, 8, 81},
    // C
    {96, 3, 84},
    {99, 3, 88},
    {102, 2, 91},
    {104, 4, 88},
    {108, 2, 86},
    {110, 2, 84},
    // G
    {112, 6, 86},
    {118, 2, 83},
    {120, 8, 79},
    // F (the turn)
    {128, 3, 81},
    {131, 3, 84},
    {134, 2, 88},
    {136, 8, 84},
    // G
    {144, 3, 83},
    {147, 3, 86},
    {150, 2, 91},
    {152, 8, 88},
    // Em
    {160, 3, 83},
    {163, 3, 86},
    {166, 2, 88},
    {168, 8, 91},
    // Am
    {176, 4, 88},
    {180, 4, 84},
    {184, 8, 81},
};

// The farewell over the closing cadence, after the main tune's opening two bars: a falling line
// over iv, the leading tone over V and the tonic held over the last chord.
inline constexpr TuneNote kFarewell[] = {
    // Dm
    {0, 4, 77},
    {4, 4, 76},
    {8, 8, 74},
    // E7
    {16, 4, 71},
    {20, 4, 74},
    {24, 8, 68},
    // Am, held
    {32, 24, 69},
};

// The main section's second answer, over the lift iv v VI V (Dm9 Em7 Fmaj9 E7): the tune's
// opening turned around, climbing to the seventh of E7, which resolves into the break's F.
inline constexpr TuneNote kAnswer[] = {
    // Dm
    {0, 4, 81},
    {4, 2, 77},
    {6, 2, 76},
    {8, 4, 74},
    {12, 2, 76},
    {14, 2, 77},
    // Em
    {16, 6, 79},
    {22, 2, 78},
    {24, 4, 76},
    {28, 4, 71},
    // F
    {32, 2, 72},
    {34, 2, 76},
    {36, 2, 79},
    {38, 2, 81},
    {40, 4, 84},
    {44, 4, 81},
    // E7
    {48, 4, 80},
    {52, 4, 83},
    {56, 8, 86},
};

// A counter-melody in half notes under the main section's second half: four bars over the home
// loop, four over the lift.
inline constexpr TuneNote kCounter[] = {
    {0, 8, 72},   {8, 8, 71},   // Am
    {16, 8, 69},  {24, 8, 67},  // F
    {32, 8, 67},  {40, 8, 64},  // C
    {48, 8, 62},  {56, 8, 71},  // G
    {64, 8, 65},  {72, 8, 69},  // Dm
    {80, 8, 67},  {88, 8, 71},  // Em
    {96, 8, 72},  {104, 8, 76}, // F
    {112, 8, 68}, {120, 8, 71}, // E7
};

} // namespace music
