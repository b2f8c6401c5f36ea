// The video for upload, made by the capture's ffmpeg pipe from known frames: colours that
// decode as they were rendered with the BT.709 matrix players assume, the tags that say so, a
// keyframe at least every 2 s, at most 2 B-frames in a row, and the music at 320 kb/s.
#include "tests/support/process.h"
#include "tools/capture/video.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <cstdint>
#include <sstream>

namespace {

constexpr int kWidth = 64, kHeight = 48, kFps = 30, kFrames = 3 * kFps;
// Four upright bars, 16 pixels wide: saturated colours, where the BT.601 and BT.709 matrices
// differ by tens of levels.
const uint8_t kBars[4][3] = {{220, 30, 30}, {30, 200, 60}, {40, 60, 230}, {240, 220, 40}};

// The bars, shifted right by `shift` pixels so that the frames differ and B-frames are worth it.
Picture barsFrame(int shift) {
    Picture frame{kWidth, kHeight, 3, std::vector<uint8_t>(size_t(kWidth) * kHeight * 3)};
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++)
            std::copy_n(kBars[(x + kWidth - shift) % kWidth / 16], 3,
                        &frame.pixels[(size_t(y) * kWidth + x) * 3]);
    return frame;
}

std::string tool(std::vector<std::string> args) {
    args[0] = findOnPath(args[0]);
    ProcessResult result = runProcess(args, ProcessOptions());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

std::string makeVideo(const std::string& path, int videoWidth, const std::string& music,
                      uint32_t musicStartMs = 0) {
    VideoSettings settings;
    settings.outputPath = path;
    settings.musicPath = music;
    settings.startMs = musicStartMs;
    settings.width = kWidth;
    settings.height = settings.videoHeight = kHeight;
    settings.videoWidth = videoWidth;
    settings.framesPerSecond = kFps;
    settings.durationMs = kFrames * 1000 / kFps;
    VideoPipe pipe;
    std::string problem;
    EXPECT_TRUE(pipe.open(settings, problem)) << problem;
    for (int i = 0; i < kFrames && problem.empty(); i++)
        EXPECT_TRUE(pipe.write(barsFrame(i % 16), problem)) << problem;
    EXPECT_TRUE(pipe.finish(kFrames, problem)) << problem;
    return path;
}

// The first frame as RGB, converted with the BT.709 matrix from limited range.
std::string firstFrameAsBt709(const std::string& video) {
    return tool({"ffmpeg", "-v", "error", "-i", video, "-frames:v", "1", "-vf",
                 "scale=in_color_matrix=bt709:in_range=tv", "-f", "rawvideo", "-pix_fmt", "rgb24",
                 "-"});
}

std::string probeStream(const std::string& video, const char* stream, const char* entries) {
    return tool({"ffprobe", "-v", "error", "-select_streams", stream, "-show_entries",
                 std::string("stream=") + entries, "-of", "default=nw=1", video});
}

// Checks that keyframes lie at most 2 s apart (and the last at most 2 s before the end) and
// that no more than 2 B-frames follow each other. Returns the longest run of B-frames.
int expectSeekableGroups(const std::string& video) {
    std::istringstream frames(
        tool({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
              "frame=key_frame,pict_type,pts_time", "-of", "compact=p=0", video}));
    std::string line;
    double lastKey = 0, time = 0;
    int bRun = 0, longestBRun = 0, count = 0;
    while (std::getline(frames, line)) {
        size_t pts = line.find("pts_time=");
        if (pts == std::string::npos) continue;
        time = atof(line.c_str() + pts + 9);
        if (line.find("key_frame=1") != std::string::npos) {
            EXPECT_LE(time - lastKey, 2.0) << "keyframe at " << time << " s";
            lastKey = time;
        }
        bRun = line.find("pict_type=B") != std::string::npos ? bRun + 1 : 0;
        longestBRun = std::max(longestBRun, bRun);
        count++;
    }
    EXPECT_EQ(count, kFrames);
    EXPECT_LE(time - lastKey, 2.0);
    EXPECT_LE(longestBRun, 2);
    return longestBRun;
}

} // namespace

TEST(UploadVideo, ColoursAreBt709TaggedSoAndGroupsAreSeekable) {
    ScratchDir dir;
    int longestBRun = 0;
    // The frames' own size, and a wider video that puts them between black bars of 32 pixels.
    for (int videoWidth : {kWidth, 2 * kWidth}) {
        SCOPED_TRACE(videoWidth);
        std::string video = makeVideo(dir.path() + "/v.mp4", videoWidth, "");
        EXPECT_EQ(probeStream(video, "v", "color_range,color_space,color_transfer,color_primaries"),
                  "color_range=tv\ncolor_space=bt709\ncolor_transfer=bt709\n"
                  "color_primaries=bt709\n");
        std::string rgb = firstFrameAsBt709(video);
        ASSERT_EQ(rgb.size(), size_t(videoWidth) * kHeight * 3);
        int left = (videoWidth - kWidth) / 2;
        for (int bar = 0; bar < 4; bar++)
            for (int c = 0; c < 3; c++)
                EXPECT_NEAR(
                    uint8_t(rgb[(size_t(kHeight / 2) * videoWidth + left + bar * 16 + 8) * 3 + c]),
                    kBars[bar][c], 6)
                    << "bar " << bar << " channel " << c;
        if (left > 0) {
            EXPECT_LE(uint8_t(rgb[size_t(kHeight / 2) * videoWidth * 3]), 4);
        }
        longestBRun = std::max(longestBRun, expectSeekableGroups(video));
    }
    EXPECT_GT(longestBRun, 0) << "no B-frames: the test frames are too alike to tell";
}

TEST(UploadVideo, TheMusicIsAacAt320Kilobits) {
    ScratchDir dir;
    // Three seconds after the drop, where the music is dense enough to use the whole rate.
    std::string video = makeVideo(dir.path() + "/v.mp4", kWidth,
                                  LIRV_SOURCE_DIR "/data/morvane-quelfin.ogg", 60000);
    std::string audio = probeStream(video, "a", "codec_name,bit_rate");
    ASSERT_EQ(audio.compare(0, 15, "codec_name=aac\n"), 0) << audio;
    // ffmpeg's AAC encoder holds the average rate near the one asked for.
    EXPECT_NEAR(atof(audio.c_str() + audio.find("bit_rate=") + 9), 320000, 30000) << audio;
}
