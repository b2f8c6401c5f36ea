// The lirv-capture executable under the test's X display: frames of a Black-only timeline, the
// contact sheet and the video pipe, reproducible frames of the generated production, and the
// messages for bad options and a missing timeline.
#include "tests/support/process.h"
#include "tools/pictures/picture_io.h"
#include "tools/timeline/timeline_text.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using testing::HasSubstr;

namespace {

// Layer 0: grey 0.25 from 0 to 1 s, grey 0.75 from 1 to 2 s; layer 1: black at half opacity
// from 1 to 2 s, so the second second shows 0.75 * 0.5 of full white.
const char* kBlackTimeline = R"(
clip "Black" layer 0 start 0 duration 1000
  key 0 "Transparency" 1
  key 0 "Brightness" 0.25
clip "Black" layer 0 start 1000 duration 1000
  key 0 "Transparency" 1
  key 0 "Brightness" 0.75
clip "Black" layer 1 start 1000 duration 1000
  key 0 "Transparency" 0.5
  key 0 "Brightness" 0
)";

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs lirv-capture in the repository root, where the generated data/ lies.
ProcessResult capture(std::vector<std::string> args, std::vector<std::string> environment = {}) {
    args.insert(args.begin(), LIRV_CAPTURE_EXECUTABLE);
    ProcessOptions options;
    options.workingDirectory = LIRV_SOURCE_DIR;
    options.environment = environment;
    options.environment.push_back("SDL_AUDIODRIVER=dummy");
    options.timeoutSeconds = 240;
    return runXProcess(args, options);
}

class BlackTimeline : public testing::Test {
  protected:
    void SetUp() override {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(compileTimeline(kBlackTimeline, "black.txt", bytes, error)) << error;
        dir.write("time", std::string(bytes.begin(), bytes.end()));
    }
    std::string timeline() const { return dir.path() + "/time"; }
    std::string path(const std::string& name) const { return dir.path() + "/" + name; }

    // The grey level in the middle of a PNG frame, -1 when it cannot be read.
    int centreGrey(const std::string& file) const {
        Picture picture;
        std::string error;
        if (!readPng(file, picture, error)) {
            ADD_FAILURE() << error;
            return -1;
        }
        const uint8_t* pixel = picture.pixel(picture.width / 2, picture.height / 2);
        EXPECT_EQ(pixel[0], pixel[1]);
        EXPECT_EQ(pixel[1], pixel[2]);
        return pixel[0];
    }

    ScratchDir dir;
};

} // namespace

TEST_F(BlackTimeline, SingleTimesShowEveryClipDueByThen) {
    ProcessResult result =
        capture({"--timeline", timeline(), "--times", "0.5,1.5", "--out", path("frames")});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("lirv-capture: 2 frames written"));
    EXPECT_NEAR(centreGrey(path("frames/t000500.png")), 64, 1);
    // Three clips are due by 1.5 s; the one of layer 1 is the third to start.
    EXPECT_NEAR(centreGrey(path("frames/t001500.png")), 96, 1);
}

TEST_F(BlackTimeline, ARangeStartsEachClipAfterItsStartTime) {
    ProcessResult result = capture({"--timeline", timeline(), "--fps", "2", "--to", "1.5", "--out",
                                    path("frames"), "--quiet"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(centreGrey(path("frames/frame-00000.png")), 0); // nothing starts before 0 ms
    EXPECT_NEAR(centreGrey(path("frames/frame-00001.png")), 64, 1);
    // At exactly 1 s the first clip is over and the next not yet started: the picture stays.
    EXPECT_NEAR(centreGrey(path("frames/frame-00002.png")), 64, 1);
    struct stat info;
    EXPECT_NE(stat(path("frames/frame-00003.png").c_str(), &info), 0);
}

TEST_F(BlackTimeline, ContactSheetTilesEveryInterval) {
    ProcessResult result =
        capture({"--timeline", timeline(), "--contact-sheet", path("sheet.png"), "--every", "0.5",
                 "--to", "2", "--scale", "8", "--columns", "2"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    Picture sheet;
    std::string error;
    ASSERT_TRUE(readPng(path("sheet.png"), sheet, error)) << error;
    const int tileWidth = 128, tileHeight = 96, gap = 4;
    ASSERT_EQ(sheet.width, 2 * (tileWidth + gap) + gap);
    ASSERT_EQ(sheet.height, 2 * (tileHeight + gap) + gap);
    auto tileGrey = [&](int column, int row) {
        return int(sheet.pixel(gap + column * (tileWidth + gap) + tileWidth / 2,
                               gap + row * (tileHeight + gap) + tileHeight / 2)[0]);
    };
    EXPECT_EQ(tileGrey(0, 0), 0);
    EXPECT_NEAR(tileGrey(1, 0), 64, 1);
    EXPECT_NEAR(tileGrey(0, 1), 64, 1);
    EXPECT_NEAR(tileGrey(1, 1), 96, 1);
}

TEST_F(BlackTimeline, VideoFramesArePipedToFfmpeg) {
    dir.write("bin/ffmpeg", "#!/bin/sh\ncat > \"$(dirname \"$0\")/../piped\"\n");
    chmod(path("bin/ffmpeg").c_str(), 0755);
    std::string searchPath = path("bin") + ":" + (getenv("PATH") ? getenv("PATH") : "");
    ProcessResult result =
        capture({"--timeline", timeline(), "--fps", "2", "--to", "1.5", "--video", path("out.mp4")},
                {"PATH=" + searchPath});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::string piped = fileBytes(path("piped"));
    const size_t frameBytes = 1024 * 768 * 3;
    ASSERT_EQ(piped.size(), 3 * frameBytes);
    size_t centre = (384 * 1024 + 512) * 3;
    EXPECT_EQ(uint8_t(piped[centre]), 0);
    EXPECT_NEAR(uint8_t(piped[frameBytes + centre]), 64, 1);
}

TEST(CaptureRun, BadOptionsEndWithStatusTwoAndTheProblem) {
    ProcessResult result = capture({"--fps", "fast", "--out", "x"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err,
              "lirv-capture: option --fps: 'fast' is not a whole number from 1 to 1000\n");
}

TEST(CaptureRun, AMissingTimelineEndsWithTheDemosMessage) {
    ScratchDir dir;
    ProcessResult result =
        capture({"--timeline", dir.path() + "/none", "--times", "1", "--out", dir.path()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_THAT(result.out, HasSubstr("Could not find data files...\n"));
}

TEST(CaptureRun, TwoCapturesOfTheProductionAreIdentical) {
    struct stat info;
    ASSERT_EQ(stat(LIRV_SOURCE_DIR "/data/time", &info), 0)
        << "generate data/ first (the build's data target)";
    ScratchDir dir;
    // Single times every 5 s across the whole run, and a short range of consecutive frames.
    std::string times;
    std::vector<std::string> frames;
    for (uint32_t t = 2500; t < 139000; t += 5000) {
        times += (times.empty() ? "" : ",") + std::to_string(t) + "ms";
        char name[16];
        snprintf(name, sizeof name, "t%06u", unsigned(t));
        frames.push_back(name);
    }
    for (const char* name : {"frame-00000", "frame-00001", "frame-00002", "frame-00003"})
        frames.push_back(name);
    const std::vector<std::vector<std::string>> captures = {
        {"--times", times}, {"--from", "70", "--to", "70.5", "--fps", "8"}};
    for (const char* run : {"first", "second"}) {
        for (const std::vector<std::string>& what : captures) {
            std::vector<std::string> args = what;
            args.insert(args.end(), {"--out", dir.path() + "/" + run, "--quiet"});
            ProcessResult result = capture(args);
            ASSERT_EQ(result.exitStatus, 0) << result.err;
            EXPECT_THAT(result.out, testing::Not(HasSubstr("OpenGL Error")));
        }
    }
    for (const std::string& name : frames) {
        std::string first = fileBytes(dir.path() + "/first/" + name + ".png");
        ASSERT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == fileBytes(dir.path() + "/second/" + name + ".png")) << name;
    }
}
