// The lirv executable, run as a user runs it: in a working directory of its own, under the
// test's X display, with the dummy audio driver.
#include "runtime/data_files.h"
#include "tests/support/process.h"
#include "tools/formats/model_writer.h"
#include "tools/timeline/timeline_text.h"

#include <cstdlib>
#include <csignal>
#include <dirent.h>
#include <unistd.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

// Holds Escape for half a second once the window is up, so that the frame loop sees it held.
ProcessWatcher pressEscapeAfter(const std::string& line) {
    return [line](const ProcessResult& sofar, double) {
        if (sofar.out.find(line) == std::string::npos) return true;
        int status = system("xdotool keydown Escape && sleep 0.5 && xdotool keyup Escape");
        return status != 0; // try again if xdotool could not reach the display yet
    };
}

ProcessOptions demoOptions(const ScratchDir& dir) {
    ProcessOptions options;
    options.workingDirectory = dir.path();
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 120;
    return options;
}

// A data/ directory whose timeline holds no clips: every other file is the generated one (a
// link into the repository's data/), so every effect loads and nothing is drawn. Names that
// start with `replaced` are left out for the test to write its own.
void writeEmptyTimeline(const ScratchDir& dir, const std::string& replaced = "time") {
    std::vector<uint8_t> bytes = encodeTimeline(TimelineFileData());
    dir.write("data/time", std::string(bytes.begin(), bytes.end()));
    const std::string generated = LIRV_SOURCE_DIR "/data";
    DIR* listing = opendir(generated.c_str());
    ASSERT_NE(listing, nullptr) << "generate data/ first (the build's data target)";
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || name == "time" || name.rfind(replaced, 0) == 0) continue;
        std::string link = dir.path() + "/data/" + name;
        EXPECT_EQ(symlink((generated + "/" + name).c_str(), link.c_str()), 0) << link;
    }
    closedir(listing);
}

} // namespace

TEST(LirvExecutable, WithoutADisplayTheWindowFailsWithStatusOne) {
    ScratchDir dir;
    ProcessOptions options = demoOptions(dir);
    options.environment.push_back("DISPLAY");
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_THAT(result.err,
                StartsWith("QOR encountered a critical error: Couldn't initialize window: "));
    EXPECT_THAT(result.out, testing::Not(HasSubstr("BPM SET TO")));
}

TEST(LirvExecutable, EscapeEndsTheRunWithStatusZero) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    ASSERT_NO_FATAL_FAILURE(writeEmptyTimeline(dir));
    ProcessOptions options = demoOptions(dir);
    options.watcher = pressEscapeAfter("Starting time: ");
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_THAT(result.out, StartsWith("BPM SET TO 27\n"));
    EXPECT_THAT(result.out, HasSubstr("\nStarting time: "));
    EXPECT_THAT(result.out, testing::Not(HasSubstr("OpenGL Error")));
}

TEST(LirvExecutable, WithoutDataFilesTheRunEndsWithStatusOne) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, demoOptions(dir));
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_EQ(result.out, "BPM SET TO 27\nCould not find data files...\nTimeline file 'data/time' "
                          "could not be read: No such file or directory\n");
}

TEST(LirvExecutable, ABadTimelineIsRefusedWithItsProblem) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    TimelineFileData timeline;
    timeline.clipCount = 1;
    timeline.clips.push_back({ClipRecord{0, 6, 0, 1000, 5, 0}, {}});
    std::vector<uint8_t> bytes = encodeTimeline(timeline);
    dir.write("data/time", std::string(bytes.begin(), bytes.end()));
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, demoOptions(dir));
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_EQ(result.out, "BPM SET TO 27\nBad timeline file data/time: clip 0 is on layer 5; "
                          "the layers are 0 to 4\n");
}

// A model that reads well but lacks what its scene draws from is refused at start-up, naming
// the file, instead of ending the run without a word when the scene first renders.
TEST(LirvExecutable, AModelWithoutWhatItsSceneNeedsFailsTheLoadNamingTheFile) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    ASSERT_NO_FATAL_FAILURE(writeEmptyTimeline(dir, "soundball.model"));
    formats::ModelDesc ball;
    ball.materials.resize(1);
    formats::ModelMeshDesc mesh;
    mesh.name = "ball";
    mesh.vertexCount = 3;
    mesh.faceCount = 1;
    mesh.streams = {formats::ModelStreamDesc::indices({0, 1, 2})};
    ball.meshes = {mesh};
    dir.write("data/soundball.model", formats::encodeModel(ball));
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, demoOptions(dir));
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_THAT(result.out, HasSubstr("\nModel file 'data/soundball.model': mesh 'ball' has no "
                                      "vertex positions (stream type 0)\n"
                                      "Failed to load effect Sound ball, aborting...\n"));
    EXPECT_THAT(result.out, testing::Not(HasSubstr("Starting time")));
}

// The fixed console lines come in the order a run without the loading's warm-up draw prints
// them: the sound ball's size line when it first deforms in a frame, after the start line.
TEST(LirvExecutable, TheConsoleLinesComeInTheirOrder) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    ASSERT_NO_FATAL_FAILURE(writeEmptyTimeline(dir));
    TimelineFileData ball;
    ball.clipCount = 1;
    ball.clips.push_back({ClipRecord{0, 4, 0, 60000, 0, 0}, {}}); // the sound ball from 0
    std::vector<uint8_t> bytes = encodeTimeline(ball);
    dir.write("data/time", std::string(bytes.begin(), bytes.end()));
    ProcessOptions options = demoOptions(dir);
    options.watcher = pressEscapeAfter("size: ");
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_THAT(result.out, testing::MatchesRegex("BPM SET TO 27\nopening data/curve1.curve\n"
                                                  "opening data/curve2.curve\n"
                                                  "Starting time: [0-9]+\nsize: [0-9]+\n"));
}

// A greeting card whose picture data is damaged inside (its header reads well) fails the load
// with the Credits' own message before the music starts, and the effects after Credits are
// never loaded: no sound ball curve is opened.
TEST(LirvExecutable, AGreetingDamagedInsideFailsTheLoadWithItsMessage) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    ASSERT_NO_FATAL_FAILURE(writeEmptyTimeline(dir, "greets"));
    const std::string greets = LIRV_SOURCE_DIR "/data/greets/";
    for (const char* path : datafiles::kGreetings) {
        const std::string name = std::string(path).substr(std::string("data/greets/").size());
        std::string bytes = readFile(greets + name);
        if (std::string(path) == datafiles::kGreetings[5])
            bytes[bytes.find("IDAT") + 40] ^= 0x55; // the data no longer meets its checksum
        dir.write(path, bytes);
    }
    ProcessOptions options = demoOptions(dir);
    options.watcher = pressEscapeAfter("Starting time: ");
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_EQ(result.out,
              "BPM SET TO 27\nFailed loading credit: " + std::string(datafiles::kGreetings[5]) +
                  "\nFailed to load effect Credits, aborting...\n");
}

// Ctrl-C and SIGTERM end the run as Escape does, with status 0, instead of being swallowed.
TEST(LirvExecutable, InterruptAndTerminateEndTheRunWithStatusZero) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    for (int stop : {SIGINT, SIGTERM}) {
        ScratchDir dir;
        ASSERT_NO_FATAL_FAILURE(writeEmptyTimeline(dir));
        ProcessOptions options = demoOptions(dir);
        options.timeoutSeconds = 20; // the run itself would last 139 s
        options.watcher = [stop](const ProcessResult& sofar, double) {
            if (sofar.out.find("Starting time: ") == std::string::npos) return true;
            kill(sofar.pid, stop);
            return false;
        };
        ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
        EXPECT_FALSE(result.timedOut) << "signal " << stop;
        EXPECT_EQ(result.exitStatus, 0) << "signal " << stop << ": " << result.err;
    }
}

// A music file cut short still plays (up to the cut), but the run says so, naming the file.
TEST(LirvExecutable, MusicCutShortIsNamed) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under xvfb-run";
    ScratchDir dir;
    ASSERT_NO_FATAL_FAILURE(writeEmptyTimeline(dir, "morvane-quelfin.ogg"));
    std::string music = readFile(LIRV_SOURCE_DIR "/data/morvane-quelfin.ogg");
    dir.write("data/morvane-quelfin.ogg", music.substr(0, music.size() / 2));
    ProcessOptions options = demoOptions(dir);
    options.watcher = pressEscapeAfter("Starting time: ");
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("\nMusic file 'data/morvane-quelfin.ogg' is cut short: it "
                                      "ends before its last page\n"));
}
