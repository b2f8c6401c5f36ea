// Every tool answers alike: --help and --version with status 0 on standard output, a mistake
// on the command line with status 2, and a word starting with '-' never becomes a file.
#include "tests/support/process.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

struct Tool {
    const char* name;
    const char* path;
};
const Tool kTools[] = {{"lirv-studio", LIRV_STUDIO_EXECUTABLE},
                       {"lirv-capture", LIRV_CAPTURE_EXECUTABLE},
                       {"lirv-preview", LIRV_PREVIEW_EXECUTABLE}};
const char* const kStudioCommands[] = {"all", "timeline", "music", "geometry", "pictures", "icon"};

// Runs a program in an empty folder and checks that it left the folder empty.
ProcessResult runInEmptyFolder(const std::vector<std::string>& args) {
    ScratchDir dir;
    ProcessOptions options;
    options.workingDirectory = dir.path();
    ProcessResult result = runProcess(args, options);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << args[1] << " wrote a file";
    return result;
}

} // namespace

TEST(Tools, AnswerHelpAndVersionWithStatusZero) {
    bool fromGit = std::filesystem::exists(LIRV_SOURCE_DIR "/.git");
    for (const Tool& tool : kTools) {
        SCOPED_TRACE(tool.name);
        ProcessResult version = runInEmptyFolder({tool.path, "--version"});
        EXPECT_EQ(version.exitStatus, 0);
        EXPECT_THAT(version.out, StartsWith(std::string(tool.name) + " " LIRV_VERSION));
        if (fromGit) {
            EXPECT_THAT(version.out, HasSubstr(" (git "));
        }
        ProcessResult help = runInEmptyFolder({tool.path, "--help"});
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_THAT(help.out, StartsWith("usage: " + std::string(tool.name)));
    }
    for (const char* command : kStudioCommands) {
        ProcessResult help = runInEmptyFolder({LIRV_STUDIO_EXECUTABLE, command, "--help"});
        EXPECT_EQ(help.exitStatus, 0) << command;
        EXPECT_THAT(help.out, StartsWith("usage: lirv-studio " + std::string(command) + " "));
    }
}

TEST(Tools, RefuseWhatTheyDoNotKnowWithStatusTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> mistakes = {
        {LIRV_STUDIO_EXECUTABLE, "geometry", "-x"},
        {LIRV_STUDIO_EXECUTABLE, "pictures", "--out", "x"},
        {LIRV_STUDIO_EXECUTABLE, "timeline", "compile", "-", "x"},
        {LIRV_STUDIO_EXECUTABLE, "frobnicate"},
        {LIRV_CAPTURE_EXECUTABLE, "--out", "x", "--timeline", "-x"},
        {LIRV_CAPTURE_EXECUTABLE, "--out", "-x"},
        {LIRV_CAPTURE_EXECUTABLE, "--frobnicate"},
        {LIRV_PREVIEW_EXECUTABLE, "--shots", "--loop"},
        {LIRV_PREVIEW_EXECUTABLE, "--frobnicate"},
    };
    for (const std::vector<std::string>& args : mistakes) {
        ProcessResult result = runInEmptyFolder(args);
        EXPECT_EQ(result.exitStatus, 2) << args[1] << " " << result.err;
        EXPECT_THAT(result.err, HasSubstr("lirv-")) << args[1];
        EXPECT_EQ(result.out, "") << args[1];
    }
}
