// The real lirv playing the generated production from data/ in the repository root, under the
// test's X display with the dummy audio driver: a whole run, and an Escape tap at a random
// moment. The run is judged by its own clock, logged frame by frame by a preloaded shim
// (frame_log_shim.cpp), never by the wall clock.
#include "tests/support/process.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/stat.h>

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

constexpr const char* kStartLine = "Starting time: ";
constexpr int64_t kRunTimeMs = 139000;

// What the shim logged, in milliseconds of the run's clock since the start time lirv printed.
struct RunLog {
    std::vector<int64_t> checks; // per frame: the loop's reading of the clock before drawing it
    std::vector<int64_t> frames; // per frame: the last reading before its swap
    std::vector<std::pair<int64_t, double>> pictures; // time, mean brightness
    std::vector<size_t> escapes;                      // frames drawn before each Escape event
    int64_t exit = -1;
};

RunLog readRunLog(const std::string& path, const std::string& out) {
    RunLog log;
    size_t at = out.find(kStartLine);
    if (at == std::string::npos) return log;
    const int64_t start = std::atoll(out.c_str() + at + strlen(kStartLine));
    std::istringstream lines(readFile(path));
    std::string kind;
    int64_t ticks;
    while (lines >> kind >> ticks) {
        int64_t time = ticks - start;
        if (kind == "picture") {
            double mean;
            lines >> mean;
            if (time >= 0) log.pictures.emplace_back(time, mean);
        } else if (kind == "frame") {
            int64_t last;
            lines >> last;
            if (time < 0) continue; // the loading screen
            log.checks.push_back(time);
            log.frames.push_back(last - start);
        } else if (kind == "escape") {
            log.escapes.push_back(log.frames.size());
        } else if (kind == "exit") {
            log.exit = time;
        }
    }
    return log;
}

ProcessOptions productionOptions(const ScratchDir& logDir) {
    ProcessOptions options;
    options.workingDirectory = LIRV_SOURCE_DIR;
    options.environment = {"SDL_AUDIODRIVER=dummy", "LD_PRELOAD=" LIRV_FRAME_LOG_SHIM,
                           "LIRV_FRAME_LOG=" + logDir.path() + "/frames"};
    options.timeoutSeconds = 600;
    return options;
}

void expectGeneratedData() {
    struct stat info;
    ASSERT_EQ(stat(LIRV_SOURCE_DIR "/data/time", &info), 0)
        << "generate data/ first (the build's data target)";
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run the e2e tests under scripts/xvfb";
}

void expectCleanOutput(const ProcessResult& result) {
    EXPECT_THAT(result.out, StartsWith("BPM SET TO 27\n"));
    for (const std::string* stream : {&result.out, &result.err}) {
        EXPECT_THAT(*stream, Not(HasSubstr("qorSwapBuffer reported an OpenGL Error")));
        EXPECT_THAT(*stream, Not(HasSubstr("QOR error")));
        EXPECT_THAT(*stream, Not(HasSubstr("Load error")));
        EXPECT_THAT(*stream, Not(HasSubstr("not played")));
    }
}

} // namespace

TEST(WholeRun, TheProductionPlaysItsTimeByItsClockAndShowsPictures) {
    expectGeneratedData();
    ScratchDir logDir;
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, productionOptions(logDir));
    ASSERT_FALSE(result.timedOut) << result.out;
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    expectCleanOutput(result);
    RunLog log = readRunLog(logDir.path() + "/frames", result.out);
    ASSERT_GT(log.frames.size(), 100u) << "the frame loop hardly ran";

    // The loop draws while its clock reads less than 139000 ms and ends on the first reading at
    // or past it.
    EXPECT_GE(log.exit, kRunTimeMs);
    EXPECT_LT(*std::max_element(log.checks.begin(), log.checks.end()), kRunTimeMs);
    EXPECT_GT(log.checks.back(), kRunTimeMs - 5000) << "frames stopped early";
    EXPECT_TRUE(std::is_sorted(log.frames.begin(), log.frames.end()));
    EXPECT_TRUE(log.escapes.empty());

    // Once a second: the production shows something most of the time, and it changes.
    ASSERT_GT(log.pictures.size(), 60u);
    size_t lit = 0, changed = 0;
    for (size_t i = 0; i < log.pictures.size(); i++) {
        lit += log.pictures[i].second > 4.0;
        changed += i > 0 && log.pictures[i].second != log.pictures[i - 1].second;
    }
    EXPECT_GT(lit, log.pictures.size() * 8 / 10);
    EXPECT_GT(changed, log.pictures.size() * 8 / 10);
}

TEST(WholeRun, AnEscapeTapAtARandomMomentEndsTheRunBeforeTheNextFrame) {
    expectGeneratedData();
    std::random_device seed;
    double moment = std::uniform_real_distribution<double>(1.0, 130.0)(seed);
    SCOPED_TRACE("Escape tapped " + std::to_string(moment) + " s after the start line");

    ScratchDir logDir;
    double started = -1;
    bool tapped = false;
    ProcessOptions options = productionOptions(logDir);
    options.watcher = [&](const ProcessResult& sofar, double seconds) {
        if (sofar.out.find(kStartLine) == std::string::npos) {
            started = -1;
            return true;
        }
        if (started < 0) started = seconds;
        if (seconds - started < moment) return true;
        // A tap: pressed and released at once, usually within one frame.
        tapped = system("xdotool key Escape") == 0;
        return !tapped;
    };
    ProcessResult result = runProcess({LIRV_EXECUTABLE}, options);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    ASSERT_TRUE(tapped) << "the run ended before Escape was tapped";
    expectCleanOutput(result);
    RunLog log = readRunLog(logDir.path() + "/frames", result.out);
    ASSERT_EQ(log.escapes.size(), 1u);
    // The event is pumped just before the swap of the frame being shown; no frame follows.
    EXPECT_EQ(log.escapes[0] + 1, log.frames.size());
    EXPECT_LT(log.exit, kRunTimeMs);
}
