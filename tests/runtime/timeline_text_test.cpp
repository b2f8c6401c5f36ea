#include "runtime/timeline_format.h"
#include "tests/support/process.h"
#include "tests/support/production_timeline.h"
#include "tools/timeline/timeline_text.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> compileOk(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(compileTimeline(text, "t.txt", bytes, error)) << error;
    return bytes;
}

std::string compileError(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(compileTimeline(text, "t.txt", bytes, error));
    return error;
}

TimelineFileData read(const std::vector<uint8_t>& bytes) {
    TimelineFileData timeline;
    std::string problem;
    EXPECT_TRUE(parseTimeline(bytes.data(), bytes.size(), 29, timeline, problem)) << problem;
    return timeline;
}

void expectRoundTrip(const std::vector<uint8_t>& bytes, const Tempo& tempo = Tempo{0, 4}) {
    std::string text, error;
    ASSERT_TRUE(decompileTimeline(bytes, "time", text, error, tempo)) << error;
    std::vector<uint8_t> again;
    ASSERT_TRUE(compileTimeline(text, "decompiled", again, error)) << error << "\n" << text;
    EXPECT_EQ(again, bytes) << text;
}

} // namespace

TEST(TimelineCompiler, NamesTimesAndKeysBecomeRecords) {
    TimelineFileData timeline = read(compileOk("tempo 120 4   # 2000 ms a bar\n"
                                               "clip \"Black\" layer 4 start 1:2 duration 1500ms\n"
                                               "  key 0 \"Brightness\" 0.5 ease\n"
                                               "  key 0:1 1 -2 hold\n"
                                               "clip 28 layer 0 start 3000 duration 0 offset 7\n"
                                               "  key 10 \"Position Y\" bits:0x7fc00000\n"));
    EXPECT_EQ(timeline.clipCount, 2);
    ASSERT_EQ(timeline.clips.size(), 2u);
    const ClipRecord& black = timeline.clips[0].record;
    EXPECT_EQ(black.effect, 6u);
    EXPECT_EQ(black.layer, 4u);
    EXPECT_EQ(black.start, 3000u);
    EXPECT_EQ(black.duration, 1500u);
    EXPECT_EQ(black.keyCount, 2);
    EXPECT_EQ(timeline.clips[0].keys[0].property, 1);
    EXPECT_EQ(timeline.clips[0].keys[0].value, 0.5f);
    EXPECT_EQ(timeline.clips[0].keys[0].ease, 1);
    EXPECT_EQ(timeline.clips[0].keys[1].time, 500u);
    EXPECT_EQ(timeline.clips[0].keys[1].value, -2.0f);
    EXPECT_EQ(timeline.clips[0].keys[1].ease, 0);
    EXPECT_EQ(timeline.clips[1].record.effect, 28u);
    EXPECT_EQ(timeline.clips[1].record.offset, 7u);
    EXPECT_EQ(timeline.clips[1].keys[0].property, 4);
    EXPECT_TRUE(std::isnan(timeline.clips[1].keys[0].value));
}

TEST(TimelineCompiler, BarsAndBeatsRoundToTheNearestMillisecond) {
    // At 99 beats a minute a beat is 606.06 ms: 2:1 is 5454.5 ms, 2:0 is 4848.5 ms.
    TimelineFileData timeline = read(compileOk("tempo 99\n"
                                               "clip \"Black\" layer 0 start 2:0 duration 1\n"
                                               "clip \"Black\" layer 0 start 2:1 duration 1\n"));
    ASSERT_EQ(timeline.clips.size(), 2u);
    EXPECT_EQ(timeline.clips[0].record.start, 4848u);
    EXPECT_EQ(timeline.clips[1].record.start, 5455u);
}

TEST(TimelineCompiler, RefusesUnknownEffectsWithTheLine) {
    EXPECT_EQ(compileError("\n\nclip \"Blak\" layer 0 start 0 duration 1\n"),
              "t.txt:3: unknown effect \"Blak\"");
    EXPECT_EQ(compileError("clip 29 layer 0 start 0 duration 1\n"),
              "t.txt:1: unknown effect 29: an effect is a quoted name or an index from 0 to 28");
}

TEST(TimelineCompiler, RefusesUnknownProperties) {
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 0 duration 1\n"
                           "key 0 \"Opacity\" 1\n"),
              "t.txt:2: unknown property \"Opacity\" of effect \"Black\"; its properties are "
              "\"Transparency\", \"Brightness\"");
    EXPECT_EQ(compileError("clip \"Tunnel\" layer 0 start 0 duration 1\nkey 0 0 1\n"),
              "t.txt:2: unknown property 0 of effect \"Tunnel\"; it has no properties");
}

TEST(TimelineCompiler, RefusesLayersOutsideZeroToFour) {
    EXPECT_EQ(compileError("clip \"Black\" layer 5 start 0 duration 1\n"),
              "t.txt:1: layer 5 is outside 0 to 4");
    EXPECT_EQ(compileError("clip \"Black\" layer -1 start 0 duration 1\n"),
              "t.txt:1: layer -1 is outside 0 to 4");
}

TEST(TimelineCompiler, RefusesClipsOutOfStartOrder) {
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 500 duration 1\n"
                           "clip \"Black\" layer 1 start 500 duration 1\n"
                           "clip \"Black\" layer 2 start 499 duration 1\n"),
              "t.txt:3: this clip starts at 499 ms, before the clip above it (500 ms); clips "
              "must be in start order");
}

TEST(TimelineCompiler, RefusesMalformedStatements) {
    EXPECT_EQ(compileError("key 0 \"Transparency\" 1\n"), "t.txt:1: a key must follow its clip");
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 1:0 duration 1\n"),
              "t.txt:1: '1:0' is in bars and beats, but no tempo is known");
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 0\n"),
              "t.txt:1: a clip needs a layer, a start and a duration");
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 4294967296 duration 1\n"),
              "t.txt:1: '4294967296' is past the largest time, 4294967295 ms");
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 0 duration 1\nkey 0 0 1 smooth\n"),
              "t.txt:2: \"smooth\" is neither ease nor hold");
    EXPECT_EQ(compileError("clip \"Black layer 0\n"), "t.txt:1: a quoted name is not closed");
    EXPECT_EQ(compileError("play \"Black\"\n"),
              "t.txt:1: unknown statement \"play\"; expected tempo, clip or key");
    EXPECT_EQ(compileError("clip \"Black\" layer 0 start 0 layer 1 duration 1\n"),
              "t.txt:1: \"layer\" is given twice in this clip");
    EXPECT_EQ(compileError("tempo 19.5\n"),
              "t.txt:1: a tempo of 19.5 beats per minute is outside 20 to 999");
    EXPECT_EQ(compileError("tempo 1000 4\n"),
              "t.txt:1: a tempo of 1000 beats per minute is outside 20 to 999");
    // A message quotes at most 60 characters of a token.
    std::string sixty(60, 'x');
    EXPECT_EQ(compileError("clip \"" + sixty + "tail\" layer 0 start 0 duration 1\n"),
              "t.txt:1: unknown effect \"" + sixty + "...\"");
    EXPECT_EQ(compileError("clip 6 layer 0 start 0 duration 1" + sixty + "tail\n"),
              "t.txt:1: '1" + sixty.substr(1) + "...' is not a time");
}

TEST(TimelineCompiler, ReadsAnyTextFile) {
    // A byte-order mark is skipped; every kind of line end counts lines alike.
    for (const char* end : {"\n", "\r\n", "\r"}) {
        std::string text = std::string("\xef\xbb\xbftempo 100") + end +
                           "clip \"Black\" layer 0 start 0 duration 1" + end + "  key 0 0 1" + end +
                           end;
        TimelineFileData timeline = read(compileOk(text));
        ASSERT_EQ(timeline.clips.size(), 1u) << end;
        EXPECT_EQ(timeline.clips[0].keys.size(), 1u) << end;
        EXPECT_EQ(compileError(text + "play"), "t.txt:5: unknown statement \"play\"; expected "
                                               "tempo, clip or key");
    }
    EXPECT_EQ(
        compileError(std::string("clip 6 layer 0 start 0 duration 1\n# a ") + '\0' + "\nclip"),
        "t.txt:2: a NUL byte in column 5: this is not a text file");

    // A directory is no text at all.
    ScratchDir dir;
    std::string out = dir.path() + "/time";
    const char* argv[] = {"timeline", "compile", dir.path().c_str(), out.c_str()};
    testing::internal::CaptureStderr();
    EXPECT_EQ(runTimelineCommand(4, const_cast<char**>(argv)), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "timeline: cannot read " + dir.path() + ": Is a directory\n");
    EXPECT_EQ(readFile(out), "");
}

TEST(TimelineCompiler, ABeatBeyondTheBarIsAnError) {
    EXPECT_EQ(compileError("tempo 100 4\nclip \"Black\" layer 0 start 3:7 duration 1\n"),
              "t.txt:2: beat 7 is beyond a 4-beat bar in '3:7'");
    EXPECT_EQ(compileError("tempo 100 3\nclip \"Black\" layer 0 start 0 duration 1\n"
                           "  key 0:3 0 1\n"),
              "t.txt:3: beat 3 is beyond a 3-beat bar in '0:3'");
}

TEST(TimelineCompiler, LikelyMistakesCompileWithWarningsNamingTheLine) {
    std::vector<uint8_t> bytes;
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(compileTimeline("tempo 100 4\n"
                                "clip \"Default Glow\" layer 1 start 0 duration 8:0\n"
                                "  key 0 \"Glow alpha\" 300\n"
                                "  key 8:0 \"Glow alpha\" 1\n"
                                "  key 8:1 \"Glow alpha\" 0\n"
                                "clip \"Black\" layer 4 start 2:0 duration 190000\n"
                                "clip \"Black\" layer 4 start 138000 duration 1000\n"
                                "  key 0 \"Transparency\" -0.5\n"
                                "clip \"Black\" layer 3 start 138000 duration 0\n",
                                "t.txt", bytes, error, &warnings))
        << error;
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "t.txt:3: warning: \"Glow alpha\" 300 is outside its range, 0 to 1",
                            "t.txt:5: warning: the key at 19800 ms lies after its clip's end "
                            "(duration 19200 ms)",
                            "t.txt:6: warning: the clip runs to 194800 ms, past the production's "
                            "end at 139000 ms",
                            "t.txt:8: warning: \"Transparency\" -0.5 is outside its range, 0 "
                            "to 1",
                            "t.txt:9: warning: the clip lasts 0 ms and never shows"}));
    warnings.clear();
    ASSERT_TRUE(compileTimeline("tempo 100\n# nothing yet\n", "t.txt", bytes, error, &warnings));
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "t.txt: warning: no clips: the production would show nothing but "
                            "black"}));
}

TEST(TimelineDecompiler, WithATempoTimesOnTheGridAreBarsAndBeats) {
    // At 99 BPM a quarter beat is 151.5 ms: grid times are rounded, and one millisecond off
    // the grid stays in milliseconds.
    std::vector<uint8_t> bytes = compileOk("tempo 99 4\n"
                                           "clip \"Black\" layer 0 start 16:2 duration 1234\n"
                                           "  key 0:1.25 \"Brightness\" 1\n"
                                           "  key 5455 \"Brightness\" 0\n"
                                           "  key 5456 \"Brightness\" 0\n");
    std::string text, error;
    ASSERT_TRUE(decompileTimeline(bytes, "time", text, error, Tempo{99, 4})) << error;
    EXPECT_NE(text.find("\ntempo 99 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("start 16:2 duration 1234 offset 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("key 0:1.25 \"Brightness\" 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("key 2:1 \"Brightness\" 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("key 5456 \"Brightness\" 0\n"), std::string::npos) << text;
    expectRoundTrip(bytes, Tempo{99, 4});
}

TEST(TimelineDecompiler, CompileOfDecompileGivesTheSameBytes) {
    std::vector<uint8_t> bytes = compileOk("tempo 93.5 3\n"
                                           "clip 17 layer 1 start 0 duration 0:2.5 offset 9\n"
                                           "  key 700 \"Rotation\" -179.99 ease\n"
                                           "  key 0 \"Rotation\" 1e-7\n"
                                           "  key 0 \"Scale\" -0\n"
                                           "clip 28 layer 3 start 1:1 duration 4294967295\n"
                                           "  key 4294967295 4 bits:0xff800001\n"
                                           "clip \"Default Glow\" layer 4 start 1:1 duration 1\n"
                                           "  key 0 \"FFT strength\" 3.14159274 ease\n");
    expectRoundTrip(bytes);
    expectRoundTrip(compileOk(""));
}

TEST(TimelineDecompiler, NamesEffectsByNameAndARepeatedNameByIndex) {
    std::string text, error;
    ASSERT_TRUE(decompileTimeline(compileOk("clip 17 layer 0 start 0 duration 1\n"
                                            "clip 28 layer 1 start 0 duration 1\n"),
                                  "time", text, error));
    EXPECT_NE(text.find("clip \"Overlay: data/revolt.png\" layer 0"), std::string::npos) << text;
    EXPECT_NE(text.find("clip 28 layer 1"), std::string::npos) << text;
}

TEST(TimelineDecompiler, TheProductionRoundTrips) {
    std::vector<uint8_t> bytes = compileProductionTimeline();
    ASSERT_FALSE(bytes.empty());
    std::string error;
    expectRoundTrip(bytes);
    expectRoundTrip(bytes, kProductionTempo);

    // The scenes (layer 0) change only on a beat of the music, and in the calm intro and break
    // only every other bar.
    const uint32_t kBeatMs = 600, kCalmStepMs = 2 * 2400;
    TimelineFileData timeline;
    ASSERT_TRUE(parseTimeline(bytes.data(), bytes.size(), 29, timeline, error)) << error;
    for (const TimelineClipData& clip : timeline.clips) {
        if (clip.record.layer != 0) continue;
        uint32_t start = clip.record.start;
        EXPECT_EQ(start % kBeatMs, 0u) << "scene cut at " << start;
        bool calm = start < 8 * 2400 || (start >= 32 * 2400 && start < 40 * 2400);
        EXPECT_TRUE(!calm || start % kCalmStepMs == 0) << "scene cut at " << start;
    }
}

TEST(TimelineDecompiler, RefusesWhatTheCompilerWouldRefuse) {
    TimelineFileData timeline;
    timeline.clipCount = 1;
    Key key{};
    key.property = 2;
    timeline.clips.push_back({ClipRecord{1, 6, 0, 1, 0, 0}, {key}});
    std::string text, error;
    EXPECT_FALSE(decompileTimeline(encodeTimeline(timeline), "data/time", text, error));
    EXPECT_EQ(error, "data/time: key 0 of clip 0 animates property 2, which \"Black\" does not "
                     "declare");
    timeline.clips[0].record.layer = 9;
    EXPECT_FALSE(decompileTimeline(encodeTimeline(timeline), "data/time", text, error));
    EXPECT_EQ(error, "data/time: clip 0 is on layer 9; the layers are 0 to 4");
}
