// The lirv-capture executable under the test's X display: frames of a Black-only timeline, the
// contact sheet, videos read back by ffprobe, reproducible frames of the generated production,
// and the messages for bad options and a missing timeline.
#include "tests/support/process.h"
#include "tools/capture/video.h"
#include "tools/pictures/picture_io.h"
#include "tools/timeline/timeline_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
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
    return runProcess(args, options);
}

// The output of ffmpeg run with these arguments (after -v error); empty when it fails.
std::string ffmpegOutput(std::vector<std::string> args, const char* program = "ffmpeg") {
    args.insert(args.begin(), {findOnPath(program), "-v", "error"});
    ProcessResult result = runProcess(args, ProcessOptions());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

// One line per stream ("video CODEC WxH RATE", "audio CODEC START"), then the duration in
// seconds rounded to a tenth, as ffprobe reads the file.
std::string probe(const std::string& video) {
    std::string streams = ffmpegOutput({"-show_entries",
                                        "stream=codec_type,codec_name,width,height,r_frame_rate,"
                                        "start_time:format=duration",
                                        "-of", "default=nw=1", video},
                                       "ffprobe");
    std::map<std::string, std::string> entry;
    std::string text, line;
    std::istringstream lines(streams);
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string name = line.substr(0, equals), value = line.substr(equals + 1);
        entry[name] = value;
        if (name == "start_time" && entry["codec_type"] == "video")
            text += "video " + entry["codec_name"] + " " + entry["width"] + "x" + entry["height"] +
                    " " + entry["r_frame_rate"] + "\n";
        if (name == "start_time" && entry["codec_type"] == "audio")
            text += "audio " + entry["codec_name"] + " " + value + "\n";
        if (name == "duration" && entry.count("codec_type")) {
            char seconds[32];
            snprintf(seconds, sizeof seconds, "%g", std::round(atof(value.c_str()) * 10) / 10);
            text += std::string("duration ") + seconds + "\n";
        }
    }
    return text;
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

TEST_F(BlackTimeline, ASizedSilentVideoScalesTheFramesBetweenBlackBars) {
    ProcessResult result =
        capture({"--timeline", timeline(), "--fps", "2", "--from", "0.5", "--to", "2", "--video",
                 path("out.mp4"), "--size", "640x360", "--silent", "--music", path("none.ogg")});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(probe(path("out.mp4")), "video h264 640x360 2/1\nduration 1.5\n");
    // At 1.5 s: 0.75 grey under half-transparent black. 1024 x 768 fits 640 x 360 as 480 x 360,
    // between bars of 80 pixels.
    std::string frame = ffmpegOutput({"-ss", "1", "-i", path("out.mp4"), "-frames:v", "1", "-f",
                                      "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(frame.size(), 640u * 360 * 3);
    auto grey = [&](int x, int y) { return int(uint8_t(frame[(y * 640 + x) * 3 + 1])); };
    EXPECT_NEAR(grey(320, 180), 96, 3);
    EXPECT_NEAR(grey(90, 180), 96, 3);
    EXPECT_LE(grey(70, 180), 2);
    EXPECT_LE(grey(570, 180), 2);
}

TEST_F(BlackTimeline, AVideoWithoutItsMusicIsRefusedUnlessSilent) {
    ProcessResult result = capture(
        {"--timeline", timeline(), "--video", path("out.mp4"), "--music", path("none.ogg")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_THAT(result.err, HasSubstr(path("none.ogg") + ": cannot read the music for the video"));
    EXPECT_THAT(result.err, HasSubstr("--silent"));
}

// Three seconds of the production at 1080p: what a video site needs, read back by ffprobe.
TEST(CaptureRun, AVideoOfTheProductionIsReadyForUpload) {
    struct stat info;
    ASSERT_EQ(stat(LIRV_SOURCE_DIR "/data/time", &info), 0)
        << "generate data/ first (the build's data target)";
    ScratchDir dir;
    std::string video = dir.path() + "/lirv.mp4";
    ProcessResult result = capture({"--from", "60", "--to", "63", "--fps", "10", "--size",
                                    "1920x1080", "--video", video, "--quiet"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(probe(video), "video h264 1920x1080 10/1\naudio aac 0.000000\nduration 3\n");
    // +faststart: the index lies before the media data.
    std::string bytes = fileBytes(video);
    EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
    // The music plays from the first frame on and fades out to silence at the end.
    std::string pcm =
        ffmpegOutput({"-i", video, "-map", "0:a", "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
    ASSERT_GE(pcm.size(), 2u * 8000 * 29 / 10);
    auto peak = [&](size_t from, size_t to) {
        int most = 0;
        for (size_t i = from; i < to; i++) {
            int16_t sample;
            memcpy(&sample, &pcm[2 * i], 2);
            most = std::max(most, std::abs(int(sample)));
        }
        return most;
    };
    size_t samples = pcm.size() / 2;
    int loud = peak(0, samples / 2);
    EXPECT_GT(peak(0, 400), loud / 4) << "the music should start with the first frame";
    EXPECT_LT(peak(samples - 400, samples), loud / 10) << "the music should fade out";
}

TEST(CaptureRun, BadOptionsEndWithStatusTwoAndTheProblem) {
    ProcessResult result = capture({"--fps", "fast", "--out", "x"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err,
              "lirv-capture: option --fps: 'fast' is not a whole number from 1 to 1000\n");
}

TEST(CaptureRun, AMissingTimelineIsNamed) {
    ScratchDir dir;
    ProcessResult result =
        capture({"--timeline", dir.path() + "/none", "--times", "1", "--out", dir.path()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "lirv-capture: " + dir.path() +
                              "/none: cannot open the timeline: No such file or directory\n");
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
