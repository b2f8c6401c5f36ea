#include "tests/preview/preview_driver.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

void run(const std::string& command) {
    if (system(command.c_str()) != 0) ADD_FAILURE() << command << " failed";
}

ProcessOptions inRepository() {
    ProcessOptions options;
    options.workingDirectory = LIRV_SOURCE_DIR;
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 240;
    return options;
}

} // namespace

void press(const std::string& keys, double pauseSeconds) {
    std::string command;
    size_t begin = 0;
    while (begin < keys.size()) {
        size_t end = std::min(keys.find(' ', begin), keys.size());
        if (!command.empty()) command += "; sleep " + std::to_string(pauseSeconds) + "; ";
        command += "xdotool key " + keys.substr(begin, end - begin);
        begin = end + 1;
    }
    run(command);
}

void pointer(const std::string& commands) {
    run("xdotool " + commands);
}

ProcessResult preview(std::vector<std::string> args, std::vector<Step> steps) {
    args.insert(args.begin(), LIRV_PREVIEW_EXECUTABLE);
    ProcessOptions options = inRepository();
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

ProcessResult capture(const std::string& times, const std::string& folder) {
    return runProcess({LIRV_CAPTURE_EXECUTABLE, "--times", times, "--out", folder}, inRepository());
}

Picture readPicture(const std::string& path) {
    Picture picture;
    std::string error;
    EXPECT_TRUE(readPng(path, picture, error)) << error;
    return picture;
}

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
