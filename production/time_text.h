// Times as people write them: on command lines ("12.5", "1:40.2", "bar 16:2") and in the
// timeline text ("1500", "16:2" after a tempo line), and the texts the displays show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The production's musical grid: 100 beats per minute, 4 beats per bar (content/timeline.txt's
// `tempo 100 4` line must agree; a test checks it).
struct Tempo {
    double beatsPerMinute;
    int beatsPerBar;
};
inline constexpr Tempo kProductionTempo{100.0, 4};

// How a time text is read where it appears.
struct TimeSyntax {
    bool bareIsMilliseconds; // timeline text: "1500" is ms; command lines: "12.5" is seconds
    bool colonIsBarBeat;     // timeline text after `tempo`: "16:2" is bar 16 beat 2;
                             // command lines: "1:40.2" is minutes:seconds
    Tempo tempo;             // for bar forms; beatsPerMinute 0 means no tempo known
};
inline constexpr TimeSyntax kCommandLineTime{false, false, kProductionTempo};

// Parses one time into milliseconds, rounded to the nearest ms. Accepted everywhere: "12.5s",
// "1500ms" (explicit units), "bar 16", "bar 16:2", "bar 16:2.5" (bars and beats counted from 0:
// bar 16 = 38.4 s at 100 BPM; tempo 99, bar 2:1 = 5455 ms), "m:ss.s" / bar:beat per the
// syntax, and a bare number per the syntax. A beat at or beyond beatsPerBar, a negative or
// non-finite value, trailing junk, or a time past 2^32-1 ms is an error: returns false and
// fills *error with a one-line message that quotes the text, e.g.
// "beat 7 is beyond a 4-beat bar in 'bar 3:7'".
bool parseTime(const std::string& text, const TimeSyntax& syntax, uint32_t* ms, std::string* error);

// A text from a file or a command line as a message quotes it: at most kMessageExcerptLength
// characters (a cut is marked "..."), control characters shown as '?'.
constexpr size_t kMessageExcerptLength = 60;
std::string messageExcerpt(const std::string& text);

// The one answer the programs that play a part of the production (the previewer, the capture)
// give to --from and --to: false with the problem when from lies at or past the production's
// end or the range is empty; a to past the end is clamped to the end, and note says so.
bool checkPlayRange(uint32_t fromMs, uint32_t& toMs, std::string& problem, std::string& note);

// "1:40.200" (m:ss.mmm) and "41:2" / "41:2.5" (bar:beat, beats to 0.01) for displays.
std::string formatClockTime(uint32_t ms);
std::string formatBarBeat(uint32_t ms, const Tempo& tempo);
// The bar:beat text ("16:2", "16:2.25") when ms is exactly the rounded time of a whole or
// quarter beat, else "" (the decompiler writes such times on the grid).
std::string barBeatIfOnGrid(uint32_t ms, const Tempo& tempo);
