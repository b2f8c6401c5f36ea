// The installed release: `cmake --install` into an empty prefix; the launcher started from an
// unrelated folder finds its data, plays, and ends on Escape with status 0, and an installed
// tool reads its data from the prefix and writes its outputs below the folder it was started
// in, never into the prefix.
#include "tests/support/process.h"
#include "tools/capture/video.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

// Once the demo has played for a few seconds, holds Escape down until the process ends (the
// frame loop looks at the key state, so a short tap could fall between two frames).
ProcessWatcher holdEscapeAfterPlaying(double playSeconds) {
    double startedAt = -1;
    return [=](const ProcessResult& sofar, double seconds) mutable {
        if (startedAt < 0 && sofar.out.find("Starting time: ") != std::string::npos)
            startedAt = seconds;
        if (startedAt < 0 || seconds - startedAt < playSeconds) return true;
        return system("xdotool keydown Escape") != 0; // again if xdotool failed
    };
}

// Every file below a folder with its size, one per line, in name order.
std::string listing(const std::string& folder) {
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        lines.push_back(entry.path().string() + " " +
                        (entry.is_regular_file() ? std::to_string(entry.file_size()) : "-"));
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class InstalledRelease : public testing::Test {
  protected:
    // One installation for all the tests of this binary.
    static void SetUpTestSuite() {
        scratch = new ScratchDir;
        ProcessResult install =
            runProcess({LIRV_CMAKE_COMMAND, "--install", LIRV_BINARY_DIR, "--prefix", prefix()},
                       ProcessOptions());
        ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    }
    static void TearDownTestSuite() { delete scratch; }
    static std::string prefix() { return scratch->path() + "/prefix"; }

    // A fresh folder outside the prefix, as a user's working folder.
    std::string userFolder(const char* name) const {
        std::string folder = scratch->path() + "/" + name;
        std::filesystem::create_directories(folder);
        return folder;
    }

    static ScratchDir* scratch;
};
ScratchDir* InstalledRelease::scratch = nullptr;

} // namespace

TEST_F(InstalledRelease, HoldsTheProgramsDataSourcesAndDocuments) {
    for (const char* file :
         {"/bin/lirv", "/bin/lirv-capture", "/bin/lirv-studio", "/bin/lirv-preview",
          "/share/lirv/data/time", "/share/lirv/content/timeline.txt", "/share/doc/lirv/lirv.nfo",
          "/share/doc/lirv/copyright", "/share/man/man6/lirv.6.gz",
          "/share/man/man1/lirv-capture.1.gz", "/share/applications/lirv.desktop",
          "/share/icons/hicolor/256x256/apps/lirv.png"})
        EXPECT_TRUE(std::filesystem::exists(prefix() + file)) << file;
}

TEST_F(InstalledRelease, TheLauncherPlaysFromAnyFolder) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under scripts/xvfb";
    const std::string elsewhere = userFolder("elsewhere");
    ProcessOptions options;
    options.workingDirectory = elsewhere;
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 120;
    options.watcher = holdEscapeAfterPlaying(3);
    ProcessResult run = runProcess({prefix() + "/bin/lirv"}, options);
    system("xdotool keyup Escape");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_THAT(run.out, StartsWith("BPM SET TO 27\n"));
    EXPECT_THAT(run.out, HasSubstr("\nStarting time: "));
    EXPECT_THAT(run.out, testing::Not(HasSubstr("OpenGL Error")));
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

// A short video as the .nfo says to make one: into out/ below the user's folder, with the
// BT.709 tags, and not one byte into the installation.
TEST_F(InstalledRelease, TheCaptureWritesBelowTheUsersFolderOnly) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under scripts/xvfb";
    const std::string home = userFolder("home");
    const std::string installed = listing(prefix());
    ProcessOptions options;
    options.workingDirectory = home;
    options.timeoutSeconds = 240;
    ProcessResult run = runProcess({prefix() + "/bin/lirv-capture", "--video", "--size", "320x240",
                                    "--from", "30", "--to", "31", "--quiet"},
                                   options);
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(listing(prefix()), installed);
    ProcessResult probe = runProcess({findOnPath("ffprobe"), "-v", "error", "-select_streams", "v",
                                      "-show_entries", "stream=color_space,color_primaries", "-of",
                                      "default=nw=1", home + "/out/lirv.mp4"},
                                     ProcessOptions());
    EXPECT_EQ(probe.out, "color_space=bt709\ncolor_primaries=bt709\n") << probe.err;
}
