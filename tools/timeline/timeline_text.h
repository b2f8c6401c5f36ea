// The timeline's text form (content/timeline.txt) and the binary timeline file: the writer, the
// compiler from text and the decompiler back to text.
//
// Text form, one statement per line; "#" starts a comment outside quotes:
//
//   tempo 96 4                      # beats per minute [and beats per bar, default 4]
//   clip "Black" layer 4 start 0 duration 2:0 offset 0
//     key 0 "Transparency" 1 ease   # time from the clip's start, property, value [ease|hold]
//     key 1500ms "Transparency" 0
//
// Effects are registry names in quotes (the first entry of that name) or bare registry indexes;
// properties are names from the effect class's table in quotes, or bare indexes into it.
// Times are milliseconds ("1500", "1500ms"), seconds ("12.5s") or, after a tempo line,
// bars:beats elapsed at that tempo ("2:1.5" = two bars and one and a half beats; the beat
// stays below the beats per bar), rounded to the nearest millisecond. "offset" is
// optional (0). A value is a decimal float, or "bits:0x7fc00000" for an exact bit pattern.
// Clips must come in start order. Keys hold unless marked "ease". Lines may end in LF, CRLF or a
// lone CR, and a leading byte-order mark is skipped; a NUL byte is an error (no text file). A
// tempo lies between 20 and 999 beats per minute, and a clip gives each field once.
#pragma once

#include "production/time_text.h"
#include "runtime/timeline_format.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a timeline file. Counts are written as given and then exactly the keys and clips
// present, so a test can also write a file whose counts promise more than it holds.
std::vector<uint8_t> encodeTimeline(const TimelineFileData& timeline);

// Compiles timeline text into file bytes. On failure returns false and sets error to
// "SOURCE:LINE: problem". Impossible input is an error (a beat beyond the bar, an unknown
// name); what compiles but is likely a mistake is appended to warnings, when given, as
// "SOURCE:LINE: warning: problem": a value outside its property's range, a clip running past
// the production's end (139 s), a key after its clip's end, a clip of 0 ms; and as
// "SOURCE: warning: problem", a text without clips. Messages quote at most 60 characters of a
// token.
bool compileTimeline(const std::string& text, const std::string& sourceName,
                     std::vector<uint8_t>& bytes, std::string& error,
                     std::vector<std::string>* warnings = nullptr);

// Turns file bytes back into text that compiles to the same bytes. Reserved bytes, padding and
// ease flags other than 0 and 1, negative counts and bytes after the last clip are
// normalised (the demo reads none of them). On failure
// (a file the demo refuses, a key of a property the effect does not declare, clips out of start
// order) returns false and sets error to "SOURCE: problem". With a tempo (beatsPerMinute > 0)
// the text starts with its tempo line and every time that lies on a quarter of a beat is
// written as bars:beats, the others in milliseconds.
bool decompileTimeline(const std::vector<uint8_t>& bytes, const std::string& sourceName,
                       std::string& text, std::string& error, const Tempo& tempo = Tempo{0, 4});

// The shortest decimal text that reads back as the same float; "bits:0x7fc00000" when the value
// is not finite.
std::string formatKeyValue(float value);

// Numbers as the text form and the timeline command read them: the whole text is the number.
namespace timeline_text {
// A base-10 integer from low to high.
bool parseInteger(const std::string& text, long long low, long long high, long long& value);
// A finite decimal number.
bool parseReal(const std::string& text, double& value);
// Tempos from 20 to 999 beats per minute are music; others are a slip of the keyboard.
constexpr double kMinTempoBpm = 20, kMaxTempoBpm = 999;
// True for a tempo within them; false with a problem quoting the tempo otherwise.
bool checkTimelineTempo(double beatsPerMinute, std::string& problem);
} // namespace timeline_text

struct StudioPaths;

// lirv-studio's "timeline" command: "compile IN OUT" or "decompile IN [OUT] [--tempo BPM
// [--beats N]]" (OUT defaults to out/timeline.txt, in a folder git ignores).
int runTimelineCommand(int argc, char** argv);
// Compiles SOURCE/content/timeline.txt into DATA/time.
int generateTimeline(const StudioPaths& paths);
