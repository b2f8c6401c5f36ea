// The generated data/: every file the demo opens is there and loads through the engine's own
// readers, and the geometry comes out the same on every generation.
#include "curves/camera_curve.h"
#include "engine/model.h"
#include "engine/shader.h"
#include "engine/texture.h"
#include "runtime/data_files.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/geometry/geometry.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// The demo reads data/ from its working directory; so does this test.
class Inventory : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (chdir(LIRV_SOURCE_DIR) != 0) perror(LIRV_SOURCE_DIR);
    }
};

bool exists(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file) fclose(file);
    return file != nullptr;
}

// Loads a picture as the demo does; reports a picture that does not load.
void expectPictureLoads(const std::string& path) {
    ASSERT_TRUE(exists(path)) << path << " is missing";
    GLuint texture = qorLoadTexture(path.c_str(), true);
    EXPECT_NE(texture, 0u) << path << ": " << qorGetLastError();
    glDeleteTextures(1, &texture);
}

} // namespace

TEST_F(Inventory, TimelineAndMusicArePresent) {
    EXPECT_GT(readFile(datafiles::kTimeline).size(), 0u) << datafiles::kTimeline;
    EXPECT_EQ(readFile(datafiles::kMusic).substr(0, 4), "OggS") << datafiles::kMusic;
}

TEST_F(Inventory, ShadersBuildIntoPrograms) {
    for (const char* path : datafiles::kShaderFiles)
        EXPECT_TRUE(exists(path)) << path << " is missing";
    // Paired the way the scenes pair them; the others are fragment shaders on their own.
    EXPECT_NE(qorLoadProgram(datafiles::kDefaultFragmentShader, datafiles::kDefaultVertexShader),
              0u)
        << qorGetLastError();
    EXPECT_NE(
        qorLoadProgram(datafiles::kVertexNoiseFragmentShader, datafiles::kVertexNoiseVertexShader),
        0u)
        << qorGetLastError();
    for (const char* fragment :
         {datafiles::kDeformShader, datafiles::kGlowShader, datafiles::kFlickerShader})
        EXPECT_NE(qorLoadProgram(fragment, nullptr), 0u) << fragment << ": " << qorGetLastError();
}

TEST_F(Inventory, PicturesLoadAsTextures) {
    for (const char* path : datafiles::kOverlayPictures)
        expectPictureLoads(path);
    for (const char* path : datafiles::kScenePictures)
        expectPictureLoads(path);
    for (const char* path : datafiles::kGreetings)
        expectPictureLoads(path);
    for (const char* path : datafiles::kModelTextures)
        expectPictureLoads(path);
    for (int slide = 1; slide <= datafiles::kTrainSlideCount; slide++) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kTrainSlideFormat, slide);
        expectPictureLoads(path);
    }
}

TEST_F(Inventory, ModelsLoadWithEveryMapTheyName) {
    for (const char* path : datafiles::kModelFiles) {
        ASSERT_TRUE(exists(path)) << path << " is missing";
        EXPECT_LT(QOR::qorReadModelFile(path).size(), size_t(QOR::kMaxCompressedModelBytes))
            << path;
        std::unique_ptr<QOR::Model> model;
        try {
            model = std::make_unique<QOR::Model>(path, GL_STATIC_DRAW);
        } catch (int) {
            ADD_FAILURE() << path << ": " << qorGetLastError();
            continue;
        }
        EXPECT_FALSE(model->meshes.empty()) << path;
        for (const auto& material : model->materials)
            for (const auto& map : material->maps)
                EXPECT_NE(map->texture, 0u) << path << " names a picture that does not load";
    }
}

TEST_F(Inventory, CurvesHoldAtLeastFourKeysInAscendingTime) {
    for (const char* path : datafiles::kCurveFiles) {
        ASSERT_TRUE(exists(path)) << path << " is missing";
        CameraCurve curve;
        curve.load(path);
        const auto& keys = curve.positionSpline.keys();
        EXPECT_GE(keys.size(), 4u) << path;
        for (size_t k = 1; k < keys.size(); k++)
            EXPECT_LT(keys[k - 1]->time, keys[k]->time) << path << " key " << k;
    }
}

TEST(GeometryGeneration, TwoGenerationsGiveIdenticalBytes) {
    ScratchDir first, second;
    ASSERT_EQ(geometry::writeGeometry(first.path()), 0);
    ASSERT_EQ(geometry::writeGeometry(second.path()), 0);
    int compared = 0;
    for (const geometry::GeneratedFile& file : geometry::generateGeometryFiles()) {
        std::string relative = file.dataPath.substr(5); // below "data/"
        std::string a = readFile(first.path() + "/" + relative);
        std::string b = readFile(second.path() + "/" + relative);
        EXPECT_FALSE(a.empty()) << relative;
        EXPECT_TRUE(a == b) << relative << " differs between generations";
        compared++;
    }
    // Every model and curve of the inventory comes from the geometry generator.
    EXPECT_EQ(compared, int(std::size(datafiles::kModelFiles) + std::size(datafiles::kCurveFiles)));
}

TEST(GeometryGeneration, AFolderThatCannotBeMadeIsNamed) {
    ScratchDir dir;
    dir.write("blocked", "a file where the data folder should be");
    testing::internal::CaptureStderr();
    EXPECT_EQ(geometry::writeGeometry(dir.path() + "/blocked/data"), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("geometry: cannot create folder '" + dir.path() + "/blocked/data'"),
              std::string::npos)
        << err;
}
