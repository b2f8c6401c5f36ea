// The model shader sources pass the reference GLSL compiler, stage by stage.
#include "tests/support/process.h"

#include <gtest/gtest.h>
#include <string>

namespace {

ProcessResult validate(const std::string& file) {
    ProcessOptions options;
    options.timeoutSeconds = 30;
    return runProcess(
        {GLSLANG_VALIDATOR, std::string(LIRV_SOURCE_DIR) + "/content/shaders/" + file}, options);
}

} // namespace

TEST(ModelShaderSource, BothStagesPassGlslang) {
    for (const char* file : {"default.vert", "default.frag"}) {
        ProcessResult result = validate(file);
        EXPECT_EQ(result.exitStatus, 0) << file << "\n" << result.out << result.err;
    }
}
