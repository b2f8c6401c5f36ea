// lirv-capture's command line: times, ranges, single times and the refusals of bad choices.
#include "tools/capture/options.h"
#include "tools/preview/preview_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

bool parse(std::vector<std::string> args, CaptureOptions& options, std::string& problem) {
    return parseCaptureOptions(args, options, problem);
}

std::string problemWith(std::vector<std::string> args) {
    CaptureOptions options;
    std::string problem;
    EXPECT_FALSE(parse(args, options, problem));
    return problem;
}

} // namespace

TEST(CaptureTime, ReadsSecondsMinutesMillisecondsAndBars) {
    uint32_t ms = 0;
    EXPECT_TRUE(parseCaptureTime("12.5", ms));
    EXPECT_EQ(ms, 12500u);
    EXPECT_TRUE(parseCaptureTime("3s", ms));
    EXPECT_EQ(ms, 3000u);
    EXPECT_TRUE(parseCaptureTime("1500ms", ms));
    EXPECT_EQ(ms, 1500u);
    EXPECT_TRUE(parseCaptureTime("139", ms));
    EXPECT_EQ(ms, 139000u);
    EXPECT_TRUE(parseCaptureTime("1:30", ms)); // the contact sheet's captions read back
    EXPECT_EQ(ms, 90000u);
    EXPECT_TRUE(parseCaptureTime("bar 16:2", ms));
    EXPECT_EQ(ms, 39600u);
}

TEST(CaptureTime, RefusesWhatIsNoTimeOfTheProduction) {
    uint32_t ms = 7;
    for (const char* text : {"", "-1", "139.001", "abc", "12x", "ms", "s", "1e9", "nan", "2:20",
                             "1:60", "bar 58", "bar 3:4"})
        EXPECT_FALSE(parseCaptureTime(text, ms)) << text;
    EXPECT_EQ(ms, 7u);
    std::string problem;
    EXPECT_FALSE(parseCaptureTime("2:20", ms, &problem));
    EXPECT_EQ(problem, "'2:20' is past the end of the production, 2:19.000 (139 s)");
}

TEST(CaptureOptions, DefaultsCoverTheWholeRunAtThirtyFramesPerSecond) {
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--out", "frames"}, options, problem)) << problem;
    std::vector<uint32_t> times = captureFrameTimes(options);
    ASSERT_EQ(times.size(), 4170u);
    EXPECT_EQ(times[0], 0u);
    EXPECT_EQ(times[1], 33u);
    EXPECT_EQ(times[2], 66u);
    EXPECT_EQ(times[3], 100u);
    EXPECT_EQ(times.back(), 138966u);
    EXPECT_EQ(options.timelinePath, "data/time");
}

TEST(CaptureOptions, RangeAndRateGiveFramesBelowTheEnd) {
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(
        parse({"--fps", "4", "--from", "10", "--to", "11.5", "--out", "f"}, options, problem))
        << problem;
    EXPECT_THAT(captureFrameTimes(options),
                ElementsAre(10000u, 10250u, 10500u, 10750u, 11000u, 11250u));
}

TEST(CaptureOptions, SingleTimesAreSortedWithoutRepeats) {
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--times", "30,1.5,500ms,30s", "--out", "f"}, options, problem)) << problem;
    EXPECT_THAT(captureFrameTimes(options), ElementsAre(500u, 1500u, 30000u));
}

TEST(CaptureOptions, ContactSheetTakesOneTimeEveryInterval) {
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(
        parse({"--contact-sheet", "s.png", "--every", "40", "--from", "5"}, options, problem))
        << problem;
    EXPECT_THAT(contactSheetTimes(options), ElementsAre(5000u, 45000u, 85000u, 125000u));
}

TEST(CaptureOptions, BadOptionsAreNamedInTheProblem) {
    EXPECT_EQ(problemWith({"--out", "f", "--speed", "2"}), "unknown option '--speed' (see --help)");
    EXPECT_EQ(problemWith({"--out", "f", "--fps"}), "option --fps needs a value");
    EXPECT_THAT(problemWith({"--out", "f", "--fps", "0"}), HasSubstr("--fps: '0'"));
    EXPECT_THAT(problemWith({"--out", "f", "--fps", "30x"}), HasSubstr("--fps: '30x'"));
    EXPECT_THAT(problemWith({"--out", "f", "--from", "2:00:00"}), HasSubstr("'2:00:00'"));
    EXPECT_THAT(problemWith({"--out", "f", "--times", "1,,2"}), HasSubstr("--times: ''"));
    EXPECT_THAT(problemWith({"--contact-sheet", "s.png", "--every", "0"}),
                HasSubstr("longer than 0"));
}

TEST(CaptureOptions, OutputsWithoutAPathGoToTheIgnoredFolder) {
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--video", "--out", "--size", "1920x1080"}, options, problem)) << problem;
    EXPECT_EQ(options.videoPath, "out/lirv.mp4");
    EXPECT_EQ(options.pngFolder, "out/frames");
    EXPECT_EQ(options.videoWidth, 1920);
    EXPECT_EQ(options.videoHeight, 1080);
    ASSERT_TRUE(parse({"--contact-sheet"}, options = {}, problem)) << problem;
    EXPECT_EQ(options.contactSheetPath, "out/contact-sheet.png");
}

TEST(CaptureOptions, AVideoSizeIsEvenAndNeedsAVideo) {
    for (const char* size : {"1921x1080", "1920x", "1920", "8x8", "1920x1080x3"})
        EXPECT_THAT(problemWith({"--video", "v.mp4", "--size", size}),
                    HasSubstr("--size: '" + std::string(size) + "'"));
    EXPECT_EQ(problemWith({"--out", "f", "--size", "1920x1080"}),
              "--size is about the video; use it with --video");
    EXPECT_EQ(problemWith({"--out", "f", "--silent"}),
              "--silent is about the video; use it with --video");
}

TEST(CaptureOptions, ContradictoryChoicesAreRefused) {
    EXPECT_THAT(problemWith({}), HasSubstr("nothing to write"));
    EXPECT_THAT(problemWith({"--out", "f", "--from", "20", "--to", "10"}),
                HasSubstr("range is empty"));
    EXPECT_THAT(problemWith({"--out", "f", "--times", "1", "--from", "2"}),
                HasSubstr("exclude each other"));
    EXPECT_THAT(problemWith({"--video", "v.mp4", "--times", "1"}), HasSubstr("needs a range"));
    EXPECT_THAT(problemWith({"--contact-sheet", "s.png", "--out", "f"}),
                HasSubstr("without --out"));
    EXPECT_EQ(problemWith({"--contact-sheet", "s.png", "--every", "10ms"}),
              "a contact sheet of 13900 tiles is too large; choose a longer --every or a larger "
              "--scale");
}

// The previewer and the capture give one answer to a range at or past the production's end.
TEST(CaptureOptions, ARangePastTheEndIsAnsweredAsThePreviewerDoes) {
    for (std::vector<std::string> range : {std::vector<std::string>{"--from", "139"},
                                           {"--from", "2:30"},
                                           {"--to", "150"},
                                           {"--from", "130", "--to", "bar 60"}}) {
        PreviewOptions preview;
        std::string previewProblem, captureProblem;
        bool previewed = parsePreviewOptions(range, preview, previewProblem);
        CaptureOptions capture;
        range.push_back("--out"); // the capture also needs an output
        EXPECT_EQ(parse(range, capture, captureProblem), previewed) << range[1];
        EXPECT_EQ(captureProblem, previewProblem) << range[1];
        EXPECT_EQ(capture.rangeNote, preview.rangeNote) << range[1];
        EXPECT_EQ(capture.toMs, preview.toMs) << range[1];
    }
    EXPECT_EQ(problemWith({"--out", "f", "--from", "139"}),
              "option --from: 2:19.000 is the end of the production (2:19.000); nothing plays "
              "from there");
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--out", "f", "--from", "130", "--to", "150"}, options, problem)) << problem;
    EXPECT_EQ(options.toMs, 139000u);
    EXPECT_EQ(options.rangeNote,
              "option --to: 2:30.000 is past the end of the production; clamped to 2:19.000");
}

TEST(CaptureOptions, HelpNeedsNoOutput) {
    CaptureOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--help"}, options, problem));
    EXPECT_TRUE(options.help);
    EXPECT_THAT(captureUsage(), HasSubstr("--times"));
}
