// lirv-preview under the test's X display, driven with xdotool: a seek shows the captured
// frame, a pause holds the picture, and timeline edits show without a restart while a broken
// edit keeps the last good picture.
#include "tests/preview/preview_driver.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;

namespace {

TEST(Preview, RefusesToStartWithoutDataOrPastTheEnd) {
    ScratchDir empty;
    ProcessOptions options;
    options.workingDirectory = empty.path();
    ProcessResult noData = runProcess({LIRV_PREVIEW_EXECUTABLE}, options);
    EXPECT_EQ(noData.exitStatus, 1);
    EXPECT_THAT(noData.err, HasSubstr("data/time: not found"));

    options.workingDirectory = LIRV_SOURCE_DIR;
    ProcessResult late = runProcess({LIRV_PREVIEW_EXECUTABLE, "--from", "2:30"}, options);
    EXPECT_EQ(late.exitStatus, 2);
    EXPECT_THAT(late.err, HasSubstr("--from: 2:30.000 is past the end of the production"));
}

TEST(Preview, StartsAtASeekWithTheFrameTheCaptureRenders) {
    ScratchDir dir;
    ProcessResult captured = capture("101.5s", dir.path() + "/capture");
    ASSERT_EQ(captured.exitStatus, 0) << captured.err;

    // 1:41.5 lies in the flight into the station, whose picture depends on nothing before it.
    ProcessResult run = preview({"--from", "1:41.5", "--paused", "--no-hud", "--shots", dir.path()},
                                {{"paused at 1:41.500", [] { press("F12"); }},
                                 {"preview-001.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Picture shown = readPicture(dir.path() + "/preview-001.png");
    Picture expected = readPicture(dir.path() + "/capture/t101500.png");
    EXPECT_LT(differingShare(shown, expected, 8), 0.002);
}

// Started inside the flight into the station, the probe shows its textures from the first frame:
// the same picture as after a seek away and back (a frame forward, a frame back).
TEST(Preview, StartsInsideASceneWithItsTextures) {
    ScratchDir dir;
    ProcessResult run = preview({"--from", "101.5", "--paused", "--no-hud", "--shots", dir.path()},
                                {{"paused at 1:41.500", [] { press("F12"); }},
                                 {"preview-001.png", [] { press("period comma F12", 0.5); }},
                                 {"preview-002.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Picture first = readPicture(dir.path() + "/preview-001.png");
    Picture sought = readPicture(dir.path() + "/preview-002.png");
    EXPECT_LT(differingShare(first, sought, 8), 0.0005); // the untextured probe: 0.0017
}

TEST(Preview, PauseHoldsThePictureExactly) {
    ScratchDir dir;
    // 0:30 lies in a city flight under the directional glow, which feeds back on itself.
    ProcessResult run = preview({"--from", "0:30", "--no-hud", "--shots", dir.path()},
                                {{"playing at 0:30.000", [] { press("space F12", 1.5); }},
                                 {"preview-001.png", [] { press("F12 F12", 1.0); }},
                                 {"preview-003.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Picture first = readPicture(dir.path() + "/preview-001.png");
    Picture later = readPicture(dir.path() + "/preview-003.png");
    EXPECT_EQ(differingShare(first, later, 0), 0.0);
}

TEST(Preview, ShowsTimelineEditsWithoutARestartAndKeepsTheLastGoodOneOnErrors) {
    ScratchDir dir;
    std::string text = readFile(std::string(LIRV_SOURCE_DIR) + "/content/timeline.txt");
    const std::string overlay = "clip \"Overlay: data/code.png\" layer 3 start 45:0 duration 1:0";
    ASSERT_THAT(text, HasSubstr(overlay));
    dir.write("timeline.txt", text);
    std::string path = dir.path() + "/timeline.txt";
    size_t lines = size_t(std::count(text.begin(), text.end(), '\n'));

    // At 1:49 the "code" lettering shows; the edit ends its clip a beat after it began.
    std::string edited = text;
    edited.replace(edited.find(overlay), overlay.size(),
                   "clip \"Overlay: data/code.png\" layer 3 start 45:0 duration 0:1");
    ProcessResult run = preview(
        {"--timeline", path, "--from", "1:49", "--paused", "--no-hud", "--shots", dir.path()},
        {{"paused at 1:49.000", [] { press("F12"); }},
         {"preview-001.png", [&] { dir.write("timeline.txt", edited); }},
         {"reloaded " + path, [] { press("F12"); }},
         {"preview-002.png", [&] { dir.write("timeline.txt", edited + "clip \"Nothing\"\n"); }},
         {path + ":" + std::to_string(lines + 1) + ":", [] { press("F12"); }},
         {"preview-003.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr(path + ":" + std::to_string(lines + 1) + ": "));
    Picture before = readPicture(dir.path() + "/preview-001.png");
    Picture edit = readPicture(dir.path() + "/preview-002.png");
    Picture broken = readPicture(dir.path() + "/preview-003.png");
    EXPECT_GT(differingShare(before, edit, 16), 0.002);
    EXPECT_EQ(differingShare(edit, broken, 0), 0.0);
}

} // namespace
