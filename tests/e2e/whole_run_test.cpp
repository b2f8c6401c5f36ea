// The real lirv playing the generated production from data/ in the repository root, under the
// test's X display with the dummy audio driver: a whole run, and Escape at a random moment.
#include "tests/support/process.h"

#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using testing::HasSubstr;
using testing::Not;

namespace {

constexpr const char* kStartLine = "Starting time: ";

ProcessOptions productionOptions() {
    ProcessOptions options;
    options.workingDirectory = LIRV_SOURCE_DIR;
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 300;
    return options;
}

void expectGeneratedData() {
    struct stat info;
    ASSERT_EQ(stat(LIRV_SOURCE_DIR "/data/time", &info), 0)
        << "generate data/ first (the build's data target)";
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under scripts/xvfb";
}

// Seconds since the child started at which the start line appeared (negative until then) and at
// which the watcher last ran. A retried start begins with empty output and resets both.
struct RunClock {
    double started = -1;
    double last = 0;

    void watch(const ProcessResult& sofar, double seconds) {
        if (sofar.out.find(kStartLine) == std::string::npos)
            started = -1;
        else if (started < 0)
            started = seconds;
        last = seconds;
    }
};

void expectNoErrorLines(const ProcessResult& result) {
    for (const std::string* stream : {&result.out, &result.err}) {
        EXPECT_THAT(*stream, Not(HasSubstr("qorSwapBuffer reported an OpenGL Error")));
        EXPECT_THAT(*stream, Not(HasSubstr("QOR error")));
        EXPECT_THAT(*stream, Not(HasSubstr("Load error")));
    }
}

} // namespace

TEST(WholeRun, TheProductionPlaysToTheEndWithoutErrors) {
    expectGeneratedData();
    RunClock clock;
    ProcessOptions options = productionOptions();
    options.watcher = [&clock](const ProcessResult& sofar, double seconds) {
        clock.watch(sofar, seconds);
        return true;
    };
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    ASSERT_FALSE(result.timedOut) << result.out;
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    ASSERT_GE(clock.started, 0) << result.out;
    double played = clock.last - clock.started;
    EXPECT_GE(played, 139.0);
    EXPECT_LE(played, 141.0);
    expectNoErrorLines(result);
}

TEST(WholeRun, EscapeAtARandomMomentEndsTheRunPromptly) {
    expectGeneratedData();
    std::random_device seed;
    double moment = std::uniform_real_distribution<double>(1.0, 136.0)(seed);
    SCOPED_TRACE("Escape pressed " + std::to_string(moment) + " s after the start line");

    RunClock clock;
    double pressed = -1;
    ProcessOptions options = productionOptions();
    options.watcher = [&](const ProcessResult& sofar, double seconds) {
        clock.watch(sofar, seconds);
        if (pressed < 0 && clock.started >= 0 && seconds - clock.started >= moment &&
            system("xdotool keydown Escape") == 0) {
            pressed = seconds;
            int released = system("sleep 0.5; xdotool keyup Escape");
            EXPECT_EQ(released, 0);
        }
        return true;
    };
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    ASSERT_GE(pressed, 0) << "the run ended before Escape was pressed";
    // The key is held for half a second; the loop looks at it before every frame.
    EXPECT_LT(clock.last - pressed, 2.0);
    EXPECT_LT(clock.last - clock.started, moment + 2.0);
    expectNoErrorLines(result);
}
