// lirv-preview's strip and editor driven with the mouse and keys under the test's X display:
// a click on the strip seeks and a drag scrubs; a nudged key is saved into exactly its line of
// the timeline text and shows in the picture; what it cannot use is reported, never taken.
#include "production/production.h"
#include "tests/preview/preview_driver.h"
#include "tools/preview/strip.h"
#include "tools/timeline/timeline_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;

namespace {

// Where the strip shows a time, in its bar-number row or in a layer's lane, for xdotool.
std::string stripPoint(double ms, int layer = -1) {
    StripLayout layout(kScreenWidth, kScreenHeight, StripSpan{0, kRunTimeMs});
    float y = layer < 0 ? layout.barsTop + 4 : layout.laneTop(layer) + 6;
    return std::to_string(int(layout.xAt(ms))) + " " + std::to_string(int(y));
}

std::vector<uint8_t> compiled(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(compileTimeline(text, "timeline.txt", bytes, error)) << error;
    return bytes;
}

TEST(PreviewStrip, AClickSeeksToTheBarAndADragScrubsToWhereItEnds) {
    ScratchDir dir;
    ASSERT_EQ(capture("55.2s", dir.path() + "/capture").exitStatus, 0);
    // Bar 23 lies inside a flight along the quay, whose picture depends on nothing before it.
    ProcessResult run =
        preview({"--from", "10", "--paused", "--shots", dir.path()},
                {{"paused at 0:10.000",
                  [] {
                      pointer("mousemove " + stripPoint(19200) + " mousedown 1 mousemove " +
                              stripPoint(24000) + " mousemove " + stripPoint(28800) + " mouseup 1");
                      press("F12");
                  }},
                 {"preview-001.png",
                  [] {
                      pointer("mousemove " + stripPoint(55200) + " click 1");
                      press("h t F12", 0.3);
                  }},
                 {"preview-002.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("preview-001.png at 0:28.800"));
    EXPECT_THAT(run.out, HasSubstr("preview-002.png at 0:55.200"));
    Picture shown = readPicture(dir.path() + "/preview-002.png");
    Picture expected = readPicture(dir.path() + "/capture/t055200.png");
    EXPECT_LT(differingShare(shown, expected, 8), 0.002);
}

TEST(PreviewEditor, ANudgeIsSavedIntoItsLineAndAnExternalSaveIsNeverOverwritten) {
    ScratchDir dir;
    std::string text = readFile(std::string(LIRV_SOURCE_DIR) + "/content/timeline.txt");
    const std::string key = "  key 1:0 \"Transparency\" 1 hold\n";
    ASSERT_THAT(text, HasSubstr("clip \"Overlay: data/title.png\" layer 2 start 1:2 duration 5:2\n"
                                "  key 0 \"Transparency\" 0 ease\n" +
                                key));
    std::string byHand = text;
    byHand.replace(byHand.find(key), key.size(), "  key 1:0 \"Transparency\" 0.9 hold\n");
    dir.write("timeline.txt", text);
    std::string path = dir.path() + "/timeline.txt", saved, external = byHand + "# elsewhere\n";
    // At bar 2:2 the title's key 1:0 is under the playhead: Shift+minus takes ten steps of 0.01.
    ProcessResult run =
        preview({"--timeline", path, "--from", "bar 2:2", "--paused", "--shots", dir.path()},
                {{"paused at 0:06.000",
                  [] {
                      pointer("mousemove " + stripPoint(12000, 2) + " click 1");
                      press("h t k c F12", 0.3);
                  }},
                 {"preview-001.png", [] { press("shift+minus"); }},
                 {"\"Transparency\" 0.9 at 1:0", [] { press("F12 ctrl+s", 0.3); }},
                 {"saved 1 edit(s)",
                  [&] {
                      saved = readFile(path);
                      press("minus");
                  }},
                 {"\"Transparency\" 0.89", [&] { dir.write("timeline.txt", external); }},
                 {"another program changed it", [] { press("ctrl+s"); }},
                 {"were not written over it", [] { press("Escape Escape", 1.0); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(saved, byHand);
    EXPECT_EQ(compiled(saved), compiled(byHand));
    EXPECT_EQ(readFile(path), external);
    Picture before = readPicture(dir.path() + "/preview-001.png");
    Picture after = readPicture(dir.path() + "/preview-002.png");
    EXPECT_GT(differingShare(before, after, 8), 0.01);
}

TEST(PreviewEditor, AnEmptiedTextKeepsTheLastGoodVersionPlaying) {
    ScratchDir dir;
    dir.write("timeline.txt", readFile(std::string(LIRV_SOURCE_DIR) + "/content/timeline.txt"));
    ProcessResult run = preview({"--timeline", dir.path() + "/timeline.txt", "--from", "bar 2:2",
                                 "--paused", "--no-hud", "--shots", dir.path()},
                                {{"paused at 0:06.000", [] { press("F12"); }},
                                 {"preview-001.png", [&] { dir.write("timeline.txt", ""); }},
                                 {"no clips", [] { press("F12"); }},
                                 {"preview-002.png", [] { press("Right F12", 0.5); }},
                                 {"preview-003.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Picture before = readPicture(dir.path() + "/preview-001.png");
    Picture emptied = readPicture(dir.path() + "/preview-002.png");
    Picture later = readPicture(dir.path() + "/preview-003.png");
    EXPECT_EQ(differingShare(before, emptied, 0), 0.0);
    EXPECT_GT(differingShare(emptied, later, 8), 0.05); // a bar later, still playing its clips
}

TEST(PreviewMessages, AMissingShaderFolderAndAnUnwritableScreenshotSayWhy) {
    ScratchDir dir;
    dir.write("file.txt", "not a folder");
    std::string shots = dir.path() + "/file.txt/shots";
    ProcessResult run = preview(
        {"--shaders", dir.path() + "/missing", "--shots", shots, "--paused"},
        {{"paused at", [] { press("F12"); }}, {"Not a directory", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("--shaders " + dir.path() + "/missing: no such folder"));
    EXPECT_THAT(run.err,
                HasSubstr(shots + ": cannot make the screenshot folder (Not a directory)"));
}

} // namespace
