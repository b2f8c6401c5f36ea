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
// Times are milliseconds ("1500" or "1500ms"), seconds ("1.5s") or bars:beats elapsed at the
// declared tempo ("2:1.5" = two bars and one and a half beats; the beat lies below the beats
// per bar), rounded to the nearest millisecond: the time texts of production/time_text.h.
// "offset" is optional (0). A value is a decimal float, or "bits:0x7fc00000" for an exact bit
// pattern. Clips must come in start order. Keys hold unless marked "ease".
#pragma once

#include "runtime/timeline_format.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a timeline file. Counts are written as given and then exactly the keys and clips
// present, so a test can also write a file whose counts promise more than it holds.
std::vector<uint8_t> encodeTimeline(const TimelineFileData& timeline);

// Compiles timeline text into file bytes. On failure returns false and sets error to
// "SOURCE:LINE: problem".
bool compileTimeline(const std::string& text, const std::string& sourceName,
                     std::vector<uint8_t>& bytes, std::string& error);

// Turns file bytes back into text that compiles to the same bytes. Reserved bytes, padding and
// ease flags other than 0 and 1, negative counts and bytes after the last clip are
// normalised (the demo reads none of them). On failure
// (a file the demo refuses, a key of a property the effect does not declare, clips out of start
// order) returns false and sets error to "SOURCE: problem".
bool decompileTimeline(const std::vector<uint8_t>& bytes, const std::string& sourceName,
                       std::string& text, std::string& error);

struct StudioPaths;

// lirv-studio's "timeline" command: "compile IN OUT" or "decompile IN OUT".
int runTimelineCommand(int argc, char** argv);
// Compiles SOURCE/content/timeline.txt into DATA/time.
int generateTimeline(const StudioPaths& paths);
