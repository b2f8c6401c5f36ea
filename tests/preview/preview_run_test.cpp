// lirv-preview under the test's X display, driven with xdotool: a seek shows the captured
// frame, a pause holds the picture, and timeline edits show without a restart while a broken
// edit keeps the last good picture.
#include "tests/support/process.h"
#include "tools/pictures/picture_io.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing::HasSubstr;

namespace {

// Waits for a text in the preview's output, then acts (presses keys, edits files).
struct Step {
    std::string waitFor;
    std::function<void()> action;
};

// Taps each key in turn, `pauseSeconds` apart. One xdotool call per key: its --delay holds a
// key down long enough for SDL's key repeat to press it again.
void press(const std::string& keys, double pauseSeconds = 0) {
    std::string command;
    size_t begin = 0;
    while (begin < keys.size()) {
        size_t end = std::min(keys.find(' ', begin), keys.size());
        if (!command.empty()) command += "; sleep " + std::to_string(pauseSeconds) + "; ";
        command += "xdotool key " + keys.substr(begin, end - begin);
        begin = end + 1;
    }
    if (system(command.c_str()) != 0) ADD_FAILURE() << command << " failed";
}

// Runs lirv-preview in the repository root, where the generated data/ lies, through the steps.
ProcessResult preview(std::vector<std::string> args, std::vector<Step> steps) {
    args.insert(args.begin(), LIRV_PREVIEW_EXECUTABLE);
    ProcessOptions options;
    options.workingDirectory = LIRV_SOURCE_DIR;
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 240;
    size_t next = 0;
    options.watcher = [&](const ProcessResult& sofar, double) {
        if (sofar.out.find(steps[next].waitFor) == std::string::npos &&
            sofar.err.find(steps[next].waitFor) == std::string::npos)
            return true;
        steps[next++].action();
        return next < steps.size();
    };
    return runProcess(args, options);
}

Picture readPicture(const std::string& path) {
    Picture picture;
    std::string error;
    EXPECT_TRUE(readPng(path, picture, error)) << error;
    return picture;
}

// The share of pixels whose channels differ by more than `tolerance` somewhere.
double differingShare(const Picture& a, const Picture& b, int tolerance) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.channels, b.channels);
    if (a.pixels.size() != b.pixels.size() || a.pixels.empty()) return 1;
    size_t differing = 0, count = a.pixels.size() / size_t(a.channels);
    for (size_t p = 0; p < count; p++)
        for (int c = 0; c < a.channels; c++)
            if (std::abs(int(a.pixels[p * a.channels + c]) - int(b.pixels[p * b.channels + c])) >
                tolerance) {
                differing++;
                break;
            }
    return double(differing) / double(count);
}

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
    ProcessOptions captureOptions;
    captureOptions.workingDirectory = LIRV_SOURCE_DIR;
    captureOptions.environment = {"SDL_AUDIODRIVER=dummy"};
    captureOptions.timeoutSeconds = 240;
    ProcessResult captured =
        runProcess({LIRV_CAPTURE_EXECUTABLE, "--times", "100s", "--out", dir.path() + "/capture"},
                    captureOptions);
    ASSERT_EQ(captured.exitStatus, 0) << captured.err;

    // 1:40 lies in the flight into the station, whose picture depends on nothing before it.
    ProcessResult run = preview({"--from", "1:40", "--paused", "--no-hud", "--shots", dir.path()},
                                {{"paused at 1:40.000", [] { press("F12"); }},
                                 {"preview-001.png", [] { press("Escape"); }}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Picture shown = readPicture(dir.path() + "/preview-001.png");
    Picture expected = readPicture(dir.path() + "/capture/t100000.png");
    EXPECT_LT(differingShare(shown, expected, 8), 0.002);
}

// Started inside the flight into the station, the probe shows its textures from the first frame:
// the same picture as after a seek away and back (a frame forward, a frame back).
TEST(Preview, StartsInsideASceneWithItsTextures) {
    ScratchDir dir;
    ProcessResult run = preview({"--from", "100", "--paused", "--no-hud", "--shots", dir.path()},
                                {{"paused at 1:40.000", [] { press("F12"); }},
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
    const std::string overlay = "clip \"Overlay: data/code.png\" layer 3 start 44:2 duration 1:2";
    ASSERT_THAT(text, HasSubstr(overlay));
    dir.write("timeline.txt", text);
    std::string path = dir.path() + "/timeline.txt";
    size_t lines = size_t(std::count(text.begin(), text.end(), '\n'));

    // At 1:47.5 the "code" lettering shows; the edit ends its clip a beat after it began.
    std::string edited = text;
    edited.replace(edited.find(overlay), overlay.size(),
                   "clip \"Overlay: data/code.png\" layer 3 start 44:2 duration 0:1");
    ProcessResult run = preview(
        {"--timeline", path, "--from", "1:47.5", "--paused", "--no-hud", "--shots", dir.path()},
        {{"paused at 1:47.500", [] { press("F12"); }},
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
