// The production's own timeline text, compiled as the studio compiles it, for tests that check
// what the production does with its clips.
#pragma once

#include "tools/timeline/timeline_text.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<uint8_t> compileProductionTimeline() {
    std::ifstream file(LIRV_SOURCE_DIR "/content/timeline.txt");
    std::stringstream text;
    text << file.rdbuf();
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(compileTimeline(text.str(), "content/timeline.txt", bytes, error)) << error;
    return bytes;
}
