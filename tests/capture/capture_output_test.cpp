// The capture's outputs without a GL context: contact-sheet tiles, the progress line, the music
// conversion for the analysis, and the failures of the ffmpeg the frames are piped to.
#include "tests/support/process.h"
#include "tools/capture/contact_sheet.h"
#include "production/music_decode.h"
#include "tools/capture/progress.h"
#include "tools/capture/video.h"

#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

Picture flatFrame(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    Picture frame;
    frame.width = width;
    frame.height = height;
    frame.channels = 3;
    for (int i = 0; i < width * height; i++)
        frame.pixels.insert(frame.pixels.end(), {r, g, b});
    return frame;
}

std::vector<uint8_t> at(const Picture& picture, int x, int y) {
    const uint8_t* p = picture.pixel(x, y);
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(ContactSheet, TilesAreShrunkFramesInReadingOrder) {
    ContactSheet sheet(8, 4, 2, 2, 3);
    const Picture& picture = sheet.picture();
    const int gap = ContactSheet::kGap;
    ASSERT_EQ(picture.width, 2 * (4 + gap) + gap);
    ASSERT_EQ(picture.height, 2 * (2 + gap) + gap);
    sheet.add(flatFrame(8, 4, 255, 0, 0));
    sheet.add(flatFrame(8, 4, 0, 255, 0));
    sheet.add(flatFrame(8, 4, 0, 0, 255));
    sheet.add(flatFrame(8, 4, 255, 255, 255)); // past the last tile: ignored
    EXPECT_THAT(at(picture, gap, gap), ElementsAre(255, 0, 0));
    EXPECT_THAT(at(picture, gap + 3, gap + 1), ElementsAre(255, 0, 0));
    EXPECT_THAT(at(picture, 2 * gap + 4, gap), ElementsAre(0, 255, 0));
    EXPECT_THAT(at(picture, gap, 2 * gap + 2), ElementsAre(0, 0, 255));
    uint8_t bg = ContactSheet::kBackground;
    EXPECT_THAT(at(picture, 0, 0), ElementsAre(bg, bg, bg));
    EXPECT_THAT(at(picture, 2 * gap + 4, 2 * gap + 2), ElementsAre(bg, bg, bg)); // empty tile
}

TEST(ContactSheet, ATilePixelIsTheMeanOfItsBlock) {
    Picture frame = flatFrame(4, 2, 0, 0, 0);
    frame.pixels[0] = 100; // (0, 0) red
    frame.pixels[3] = 200; // (1, 0) red
    frame.pixels[12] = 50; // (0, 1) red
    frame.pixels[15] = 51; // (1, 1) red
    ContactSheet sheet(4, 2, 2, 1, 1);
    sheet.add(frame);
    const int gap = ContactSheet::kGap;
    EXPECT_THAT(at(sheet.picture(), gap, gap), ElementsAre(100, 0, 0)); // 401 / 4 rounded
    EXPECT_THAT(at(sheet.picture(), gap + 1, gap), ElementsAre(0, 0, 0));
}

TEST(ContactSheet, ACaptionIsWhiteInkOnADarkenedCorner) {
    Mask caption(2, 1);
    caption.at(0, 0) = 1;
    ContactSheet sheet(4, 4, 1, 1, 1);
    sheet.add(flatFrame(4, 4, 100, 100, 100), &caption);
    const int gap = ContactSheet::kGap;
    EXPECT_THAT(at(sheet.picture(), gap, gap + 3), ElementsAre(255, 255, 255));
    EXPECT_THAT(at(sheet.picture(), gap + 1, gap + 3), ElementsAre(40, 40, 40));
    EXPECT_THAT(at(sheet.picture(), gap + 2, gap + 3), ElementsAre(100, 100, 100));
    EXPECT_THAT(at(sheet.picture(), gap, gap + 2), ElementsAre(100, 100, 100));
}

TEST(ProgressLine, ShowsFramesRateAndTimeLeft) {
    EXPECT_EQ(formatProgress(0, 4170, 0), "frame 0/4170  -- fps  --:-- left");
    EXPECT_EQ(formatProgress(120, 4170, 10), "frame 120/4170  12.0 fps  5:38 left");
    EXPECT_EQ(formatProgress(30, 30, 2), "frame 30/30  15.0 fps  0:00 left");
}

TEST(ProgressLine, EstimatesTheWholeCaptureFromTheFirstFrames) {
    // The first frame, slowed by the clips it starts, counts once; the pace for the rest.
    EXPECT_EQ(formatEstimate(4170, 5.0, 0.84),
              "estimated time: 0:58:27 for 4170 frames (0.84 s a frame)");
    EXPECT_EQ(formatEstimate(36001, 1.0, 1.0),
              "estimated time: 10:00:01 for 36001 frames (1.00 s a frame)");
}

TEST(MusicConversion, TwiceTheRateKeepsEveryOtherFrame) {
    std::vector<int16_t> stereo = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5};
    EXPECT_THAT(convertForAnalysis(stereo, 2, 44100), ElementsAre(1, -1, 3, -3, 5, -5));
    EXPECT_THAT(convertForAnalysis(stereo, 2, 22050),
                ElementsAre(1, -1, 2, -2, 3, -3, 4, -4, 5, -5));
}

TEST(MusicConversion, MonoIsDoubledAndOtherRatesInterpolated) {
    EXPECT_THAT(convertForAnalysis({100, -100}, 1, 22050), ElementsAre(100, 100, -100, -100));
    // 11025 Hz to 22050 Hz: a new frame halfway between every two.
    EXPECT_THAT(convertForAnalysis({0, 100, 200}, 1, 11025),
                ElementsAre(0, 0, 50, 50, 100, 100, 150, 150, 200, 200, 200, 200));
}

TEST(MusicDecoding, AFileThatIsNoOggIsNamedInTheProblem) {
    ScratchDir dir;
    dir.write("music.ogg", "not a vorbis stream");
    DecodedMusic music;
    std::string problem;
    EXPECT_FALSE(decodeMusic(dir.path() + "/music.ogg", music, problem));
    EXPECT_EQ(problem, dir.path() + "/music.ogg: cannot open as Ogg Vorbis");
    EXPECT_FALSE(decodeMusic(dir.path() + "/missing.ogg", music, problem));
    EXPECT_THAT(problem, HasSubstr("missing.ogg"));
}

TEST(VideoPipe, AFailingFfmpegIsReported) {
    VideoSettings settings{"/nonexistent-folder/out.mp4", "", 512, 512, 30, 0, 1000};
    VideoPipe video;
    std::string problem;
    ASSERT_TRUE(video.open(settings, problem)) << problem;
    Picture frame = flatFrame(512, 512, 9, 9, 9);
    for (int i = 0; i < 8 && video.write(frame, problem); i++) {
    }
    EXPECT_FALSE(video.finish(8, problem));
    EXPECT_THAT(problem, HasSubstr("ffmpeg failed on /nonexistent-folder/out.mp4 with status"));
}

TEST(VideoPipe, MissingFfmpegIsReported) {
    const char* path = getenv("PATH");
    std::string oldPath = path ? path : "";
    setenv("PATH", "/nonexistent", 1);
    VideoPipe video;
    std::string problem;
    EXPECT_FALSE(video.open(VideoSettings{"out.mp4", "", 4, 2, 30, 0}, problem));
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(problem, "--video needs ffmpeg on the PATH, and none was found");
}
