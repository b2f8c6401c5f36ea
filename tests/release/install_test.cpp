// The installed release: `cmake --install` into an empty prefix, then the launcher started from
// an unrelated folder finds its data, plays, and ends on Escape with status 0.
#include "tests/support/process.h"

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

} // namespace

TEST(Release, TheInstalledLauncherPlaysFromAnyFolder) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under scripts/xvfb";
    ScratchDir scratch;
    const std::string prefix = scratch.path() + "/prefix";
    ProcessResult install = runProcess(
        {LIRV_CMAKE_COMMAND, "--install", LIRV_BINARY_DIR, "--prefix", prefix}, ProcessOptions());
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    for (const char* file : {"/bin/lirv", "/bin/lirv-capture", "/bin/lirv-studio",
                             "/share/lirv/data/time", "/share/doc/lirv/lirv.nfo"})
        EXPECT_TRUE(std::filesystem::exists(prefix + file)) << file;

    const std::string elsewhere = scratch.path() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    ProcessOptions options;
    options.workingDirectory = elsewhere;
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 120;
    options.watcher = holdEscapeAfterPlaying(3);
    ProcessResult run = runProcess({prefix + "/bin/lirv"}, options);
    system("xdotool keyup Escape");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_THAT(run.out, StartsWith("BPM SET TO 27\n"));
    EXPECT_THAT(run.out, HasSubstr("\nStarting time: "));
    EXPECT_THAT(run.out, testing::Not(HasSubstr("OpenGL Error")));
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}
