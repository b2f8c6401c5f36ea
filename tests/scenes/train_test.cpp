#include "scenes/train.h"

#include "engine/fbo.h"
#include "runtime/data_files.h"
#include "runtime/music.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tests/support/scratch_target_test.h"
#include "tools/formats/model_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string readSource(const std::string& relativePath) {
    std::ifstream file(std::string(LIRV_SOURCE_DIR) + "/" + relativePath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A baseline JPG of one flat colour.
std::string flatJpg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> row;
    for (int x = 0; x < width; x++)
        row.insert(row.end(), {r, g, b});
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::string jpg(reinterpret_cast<char*>(bytes), size);
    jpeg_destroy_compress(&info);
    free(bytes);
    return jpg;
}

using Colour = std::array<uint8_t, 3>;

// An opaque RGBA picture whose left half and right half have their own colours.
std::string halvesPng(Colour left, Colour right) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 8; x++) {
            const Colour& c = x < 4 ? left : right;
            pixels.insert(pixels.end(), {c[0], c[1], c[2], 255});
        }
    return encodeTestPng(8, 4, 4, pixels);
}

// The frame picture: see-through, with an opaque orange marker of a tenth of its size in the
// middle, so the tests see where the frame sits.
std::string framePng() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++) {
            bool marker = x >= 18 && x < 22 && y >= 18 && y < 22;
            if (marker)
                pixels.insert(pixels.end(), {255, 128, 0, 255});
            else
                pixels.insert(pixels.end(), {0, 0, 0, 0});
        }
    return encodeTestPng(40, 40, 4, pixels);
}

// A small box with normals, far smaller than anything the tests look at.
std::string ideaModel() {
    formats::ModelDesc model;
    model.materials.push_back({});
    formats::ModelMeshDesc mesh;
    mesh.name = "idea";
    mesh.vertexCount = 4;
    mesh.faceCount = 4;
    mesh.streams.push_back(formats::ModelStreamDesc::floats(
        0, {0, 0, 0.3f, 0.3f, 0, -0.2f, -0.3f, 0, -0.2f, 0, 0.3f, 0}));
    mesh.streams.push_back(formats::ModelStreamDesc::floats(
        2, {0, -0.5f, 1, 1, -0.5f, -0.5f, -1, -0.5f, -0.5f, 0, 1, 0}));
    mesh.streams.push_back(formats::ModelStreamDesc::indices({0, 1, 3, 1, 2, 3, 2, 0, 3, 0, 2, 1}));
    model.meshes.push_back(mesh);
    return formats::encodeModel(model);
}

const Colour kRed = {200, 0, 0}, kBlue = {0, 0, 200}, kGreen = {0, 200, 0};
const Colour kGrey = {100, 100, 100}, kDark = {40, 40, 40};
const Colour kMagenta = {255, 0, 255}, kWhite = {255, 255, 255}, kCyan = {0, 255, 255};
const Colour kYellow = {255, 255, 0}, kPurple = {128, 0, 255}, kSky = {0, 128, 255};
const Colour kOrange = {255, 128, 0};

// The slide colours: 1 red, 2 blue, 30 grey, 31 green, the others dark.
Colour slideColour(int slide) {
    switch (slide) {
    case 1:
        return kRed;
    case 2:
        return kBlue;
    case 30:
        return kGrey;
    case 31:
        return kGreen;
    default:
        return kDark;
    }
}

// Each test runs in a scratch directory holding the scene's data/ (flat-coloured slides and
// pictures, the repository's VertexNoise shaders), with a silent spectrum and a screen-sized
// target like the compositor's.
class TrainTest : public ScratchTargetTest {
  protected:
    void SetUp() override {
        for (int i = 1; i <= Train::kSlideCount; i++) {
            char path[64];
            snprintf(path, sizeof path, datafiles::kTrainSlideFormat, i);
            Colour c = slideColour(i);
            dir.write(path, flatJpg(16, 16, c[0], c[1], c[2]));
        }
        dir.write(datafiles::kTrainMessagePicture, halvesPng(kMagenta, kWhite));
        dir.write(datafiles::kTrainWaitingPicture, halvesPng(kCyan, kCyan));
        dir.write(datafiles::kTrainFramePicture, framePng());
        const Colour captions[4] = {kYellow, kWhite, kPurple, kSky};
        for (int i = 0; i < 4; i++)
            dir.write(datafiles::kTrainCaptions[i], halvesPng(captions[i], captions[i]));
        dir.write(datafiles::kIdeaModel, ideaModel());
        dir.write(datafiles::kVertexNoiseFragmentShader,
                  readSource("content/shaders/Trainstation/VertexNoise.frag"));
        dir.write(datafiles::kVertexNoiseVertexShader,
                  readSource("content/shaders/Trainstation/VertexNoise.vert"));
        enterScratch();
    }

    bool load() {
        testing::internal::CaptureStdout();
        bool loaded = train->load();
        output = testing::internal::GetCapturedStdout();
        return loaded;
    }
    void render(uint32_t time) {
        clearTo(0, 0, 0); // the scene clears with the clear colour it finds
        renderAsComposition(*train, time);
    }

    // The pixel at screen coordinates (-1 to 1 on both axes).
    static Rgba at(float x, float y) {
        return readPixel(static_cast<int>((x + 1) * 512), static_cast<int>((y + 1) * 384));
    }
    static bool near(const Rgba& p, Colour c, int tolerance = 8) {
        for (int i = 0; i < 3; i++)
            if (std::abs(p[i] - c[i]) > tolerance) return false;
        return true;
    }
    static Colour mix(Colour a, Colour b, float aShare) {
        Colour c;
        for (int i = 0; i < 3; i++)
            c[i] = static_cast<uint8_t>(std::lround(a[i] * aShare + b[i] * (1 - aShare)));
        return c;
    }

    std::unique_ptr<Train> train = std::make_unique<Train>();
    std::string output;
};

// A corner that only the slides reach.
constexpr float kSlideX = -0.9f, kSlideY = 0.9f;

} // namespace

TEST(TrainSlides, CrossFadeEveryHalfSecondAndStopAtTheLast) {
    Train::SlidePair first = Train::slidesAt(0);
    EXPECT_EQ(first.current, 1);
    EXPECT_EQ(first.previous, 1);
    Train::SlidePair second = Train::slidesAt(750);
    EXPECT_EQ(second.current, 2);
    EXPECT_EQ(second.previous, 1);
    EXPECT_FLOAT_EQ(second.fade, 0.5f);
    Train::SlidePair towardsLast = Train::slidesAt(15250);
    EXPECT_EQ(towardsLast.current, 31);
    EXPECT_EQ(towardsLast.previous, 30);
    for (uint32_t t : {15500u, 15999u, 40000u, 4000000000u}) {
        EXPECT_EQ(Train::slidesAt(t).current, 31) << t;
        EXPECT_EQ(Train::slidesAt(t).previous, 31) << t;
    }
}

TEST_F(TrainTest, BelowHalfASecondOnlyTheFirstSlideShows) {
    ASSERT_TRUE(load());
    for (uint32_t t : {0u, 250u, 499u}) {
        render(t);
        EXPECT_TRUE(near(at(kSlideX, kSlideY), kRed)) << t;
    }
}

TEST_F(TrainTest, At750TheSecondSlideFadesInOverTheFirst) {
    ASSERT_TRUE(load());
    render(750);
    Rgba p = at(kSlideX, kSlideY);
    EXPECT_TRUE(near(p, mix(kBlue, kRed, 0.5f))) << p[0] << " " << p[1] << " " << p[2];
    render(15250); // the last fade: 31 over 30
    p = at(kSlideX, kSlideY);
    EXPECT_TRUE(near(p, mix(kGreen, kGrey, 0.5f))) << p[0] << " " << p[1] << " " << p[2];
}

TEST_F(TrainTest, TheLastSlideIsSteadyFrom15500) {
    ASSERT_TRUE(load());
    for (uint32_t t : {15500u, 15750u, 20000u}) {
        render(t);
        EXPECT_TRUE(near(at(kSlideX, kSlideY), kGreen)) << t;
    }
    saveFrameIfAsked(readFrame(), "train_fixture_20000");
}

TEST_F(TrainTest, TheMessageIsWipedInBetween3000And5000) {
    ASSERT_TRUE(load());
    const float y = -0.6f; // through the message, below every caption card
    render(2999);
    EXPECT_FALSE(near(at(-0.5f, y), kMagenta, 60));
    render(3000);
    EXPECT_FALSE(near(at(-0.5f, y), kMagenta, 60));
    // Half way the left half of the picture shows, uncut and unstretched, up to x = -0.25.
    render(4000);
    EXPECT_TRUE(near(at(-0.5f, y), kMagenta));
    EXPECT_TRUE(near(at(-0.35f, y), kMagenta));
    EXPECT_TRUE(near(at(-0.2f, y), kDark));
    render(5000);
    EXPECT_TRUE(near(at(-0.5f, y), kMagenta));
    EXPECT_TRUE(near(at(0.3f, y), kWhite));
    render(9000);
    EXPECT_TRUE(near(at(0.3f, y), kWhite));
}

TEST_F(TrainTest, TheWaitingSignStandsAtTheRight) {
    ASSERT_TRUE(load());
    render(2100);
    EXPECT_TRUE(near(at(0.7f, -0.8f), kCyan));
    EXPECT_TRUE(near(at(0.2f, -0.8f), kDark));
}

TEST_F(TrainTest, NoCaptionCardBefore2000) {
    ASSERT_TRUE(load());
    render(1999);
    EXPECT_FALSE(near(at(0, 0.6f), kYellow, 60));
    render(2000);
    EXPECT_TRUE(near(at(0, 0.6f), kYellow));
    render(2599);
    EXPECT_FALSE(near(at(-0.2f, 0.3f), kWhite, 60));
    render(2600);
    EXPECT_TRUE(near(at(-0.2f, 0.3f), kWhite));
}

TEST_F(TrainTest, InSilenceFrameAndCardsSitAtNoOffset) {
    ASSERT_TRUE(load());
    render(7000);
    EXPECT_TRUE(near(at(0, 0), kOrange));
    EXPECT_FALSE(near(at(0.15f, 0), kOrange, 60));
    EXPECT_FALSE(near(at(-0.15f, 0), kOrange, 60));
    // The cards after their accumulated steps.
    EXPECT_TRUE(near(at(0, 0.6f), kYellow));
    EXPECT_TRUE(near(at(-0.2f, 0.3f), kWhite));
    EXPECT_TRUE(near(at(-0.2f, -0.2f), kPurple));
    EXPECT_TRUE(near(at(-0.2f, -0.4f), kSky));
    saveFrameIfAsked(readFrame(), "train_fixture_7000");
}

TEST_F(TrainTest, FrameAndCardsShakeWithBands50And100) {
    ASSERT_TRUE(load());
    playTones({{50, 4096}, {100, 4096}});
    float shake = (spectrumLevel(100) + spectrumLevel(50)) * 0.5f;
    ASSERT_NEAR(shake, 0.25f, 0.01f);
    render(7000);
    EXPECT_TRUE(near(at(shake, shake), kOrange));
    EXPECT_FALSE(near(at(0, 0), kOrange, 60));
    EXPECT_TRUE(near(at(shake, 0.6f + shake), kYellow));
    EXPECT_TRUE(near(at(-0.2f + shake, -0.4f + shake), kSky));
}

TEST_F(TrainTest, WipeWithEndNotAfterStartIsRefused) {
    ASSERT_TRUE(load());
    clearTo(0, 0, 0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    testing::internal::CaptureStdout();
    train->drawWipeQuad(2, 2, 5000, 5000, 6000);
    train->drawWipeQuad(2, 2, 5000, 4000, 6000);
    std::string printed = testing::internal::GetCapturedStdout();
    glPopAttrib();
    EXPECT_EQ(printed, "Illegal input values\nIllegal input values\n");
    EXPECT_TRUE(near(at(0, 0), {0, 0, 0}, 0));
}

TEST_F(TrainTest, MissingSlideFailsTheLoad) {
    std::filesystem::remove("data/Trainstation/17.jpg");
    EXPECT_FALSE(load());
}

TEST_F(TrainTest, MissingWaitingSignFailsTheLoad) {
    std::filesystem::remove(datafiles::kTrainWaitingPicture);
    EXPECT_FALSE(load());
}

TEST_F(TrainTest, MissingLastCaptionStillLoads) {
    std::filesystem::remove(datafiles::kTrainCaptions[3]);
    EXPECT_TRUE(load());
    EXPECT_STREQ(train->name(), "Train");
    EXPECT_TRUE(train->properties().empty());
}

TEST_F(TrainTest, MissingVertexNoiseShaderFailsTheLoad) {
    std::filesystem::remove(datafiles::kVertexNoiseVertexShader);
    EXPECT_FALSE(load());
}

TEST_F(TrainTest, IdeaObjectIsDrawnThroughTheVertexNoiseProgram) {
    ASSERT_TRUE(load());
    clearDrawRecords();
    render(2500);
    std::vector<DrawRecord> draws = drawsOf(4); // the fixture idea object has four faces
    ASSERT_EQ(draws.size(), 1u);
    GLuint program = static_cast<GLuint>(draws[0].program);
    ASSERT_NE(program, 0u);
    float noise = -1, size = -1;
    glGetUniformfv(program, glGetUniformLocation(program, "noise"), &noise);
    glGetUniformfv(program, glGetUniformLocation(program, "size"), &size);
    EXPECT_FLOAT_EQ(noise, 2.5f); // seconds of clip time
    EXPECT_FLOAT_EQ(size, 0.5f);
    // It floats in the upper right: at (3, 9, -13) give or take its sway, scaled by 0.6.
    EXPECT_NEAR(draws[0].modelview[12], 3, 1.8);
    EXPECT_NEAR(draws[0].modelview[13], 9, 1.6);
    EXPECT_FLOAT_EQ(draws[0].modelview[14], -13);
    EXPECT_FLOAT_EQ(draws[0].modelview[0], 0.6f);
}
