// The studio's pictures: file round trips, lettering, the job table and what the painted
// pictures hold where the demo depends on it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "runtime/data_files.h"
#include "tests/support/process.h"
#include "tools/pictures/pictures.h"

namespace {

Picture gradientPicture(int width, int height, int channels) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back(static_cast<uint8_t>(x * 255 / (width - 1)));
            picture.pixels.push_back(static_cast<uint8_t>(y * 255 / (height - 1)));
            picture.pixels.push_back(static_cast<uint8_t>((x + y) % 2 ? 200 : 40));
            if (channels == 4) picture.pixels.push_back(static_cast<uint8_t>(x % 4 * 80));
        }
    return picture;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Lettering& fonts() {
    static Lettering* shared = [] {
        auto* opened = new Lettering;
        std::string error;
        EXPECT_TRUE(opened->open(error)) << error;
        return opened;
    }();
    return *shared;
}

const PictureJob& jobFor(const std::vector<PictureJob>& jobs, const std::string& dataFile) {
    for (const PictureJob& job : jobs)
        if (job.dataFile == dataFile) return job;
    ADD_FAILURE() << "no picture job writes " << dataFile;
    return jobs.front();
}

// Paints and writes one job into dir, then reads it back.
Picture writeAndRead(const PictureJob& job, const std::string& dir) {
    EXPECT_TRUE(writePictureJob(job, fonts(), dir));
    Picture picture;
    std::string error;
    std::string path = dataFilePath(dir, job.dataFile);
    bool jpg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    EXPECT_TRUE(jpg ? readJpg(path, picture, error) : readPng(path, picture, error)) << error;
    return picture;
}

} // namespace

TEST(PictureFiles, PngKeepsSizeChannelsAndEveryPixel) {
    ScratchDir dir;
    for (int channels : {3, 4}) {
        Picture written = gradientPicture(33, 17, channels);
        std::string path = dir.path() + "/p" + std::to_string(channels) + ".png";
        ASSERT_TRUE(writePng(path, written));
        Picture read;
        std::string error;
        ASSERT_TRUE(readPng(path, read, error)) << error;
        EXPECT_EQ(read.width, 33);
        EXPECT_EQ(read.height, 17);
        EXPECT_EQ(read.channels, channels);
        EXPECT_EQ(read.pixels, written.pixels);
    }
}

TEST(PictureFiles, JpgIsRgbOfTheSameSizeAndCloseColours) {
    ScratchDir dir;
    Picture written;
    written.width = 64;
    written.height = 48;
    written.channels = 3;
    for (int i = 0; i < 64 * 48; ++i) {
        bool left = i % 64 < 32;
        written.pixels.insert(written.pixels.end(), {static_cast<uint8_t>(left ? 230 : 20), 120,
                                                     static_cast<uint8_t>(left ? 30 : 210)});
    }
    std::string path = dir.path() + "/slide.jpg";
    ASSERT_TRUE(writeJpg(path, written, 90));
    Picture read;
    std::string error;
    ASSERT_TRUE(readJpg(path, read, error)) << error;
    EXPECT_EQ(read.width, 64);
    EXPECT_EQ(read.height, 48);
    EXPECT_EQ(read.channels, 3);
    for (auto [x, y] : {std::pair{5, 5}, std::pair{58, 40}})
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(read.pixel(x, y)[c], written.pixel(x, y)[c], 8) << x << "," << y;
}

TEST(PictureFiles, FailuresNameTheFile) {
    ScratchDir dir;
    std::string missing = dir.path() + "/no/such/dir/x.png";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePng(missing, gradientPicture(4, 4, 4)));
    EXPECT_FALSE(writeJpg(dir.path() + "/no/such/dir/x.jpg", gradientPicture(4, 4, 3), 90));
    Picture wrongSize = gradientPicture(4, 4, 3);
    wrongSize.pixels.pop_back();
    EXPECT_FALSE(writePng(dir.path() + "/short.png", wrongSize));
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find(missing), std::string::npos) << messages;
    EXPECT_NE(messages.find("short.png"), std::string::npos) << messages;

    dir.write("text.png", "this is not a picture");
    Picture picture;
    std::string error;
    EXPECT_FALSE(readPng(dir.path() + "/text.png", picture, error));
    EXPECT_NE(error.find("text.png"), std::string::npos) << error;
    dir.write("text.jpg", "neither is this");
    EXPECT_FALSE(readJpg(dir.path() + "/text.jpg", picture, error));
    EXPECT_NE(error.find("text.jpg"), std::string::npos) << error;
}

TEST(CanvasOutput, FlippedPictureStoresTheBottomRowFirst) {
    Canvas canvas(4, 2);
    canvas.fill(0, 0, 4, 1, Rgba{1, 0, 0, 1},
                [](float x, float y) { return boxDistance(x, y, 2, 0.5f, 2, 0.5f); });
    Picture upright = canvas.toPicture(4), flipped = canvas.toPicture(4, true);
    EXPECT_EQ(upright.pixel(1, 0)[0], 255);
    EXPECT_EQ(upright.pixel(1, 1)[3], 0);
    EXPECT_EQ(flipped.pixel(1, 1)[0], 255);
    EXPECT_EQ(flipped.pixel(1, 0)[3], 0);
}

TEST(CanvasOutput, HalfTransparentColourKeepsItsStraightColour) {
    Canvas canvas(1, 1);
    canvas.put(0, 0, Rgba{0.2f, 0.6f, 1.0f, 0.5f}, 1);
    Picture picture = canvas.toPicture(4);
    EXPECT_NEAR(picture.pixel(0, 0)[0], 51, 1);
    EXPECT_NEAR(picture.pixel(0, 0)[1], 153, 1);
    EXPECT_NEAR(picture.pixel(0, 0)[2], 255, 1);
    EXPECT_NEAR(picture.pixel(0, 0)[3], 128, 1);
}

TEST(Lettering, TextHasInkInsideItsMaskAndLongerTextIsWider) {
    TextLine short_ = fonts().line(Face::Sans, "vsq", 64);
    TextLine long_ = fonts().line(Face::Sans, "vsq-14: lirv", 64);
    EXPECT_GT(short_.mask.total(), 100);
    EXPECT_GT(short_.inkRight - short_.inkLeft, 60);
    EXPECT_GT(long_.inkRight - long_.inkLeft, 3 * (short_.inkRight - short_.inkLeft));
    EXPECT_LE(long_.inkRight, long_.mask.width);
    EXPECT_LT(short_.capTop, short_.xHeightTop);
    EXPECT_LT(short_.xHeightTop, short_.baseline);
    // The ink of "vsq" lies between the x-height and the baseline except for the q's tail.
    float above = 0;
    for (int y = 0; y < short_.xHeightTop - 2; ++y)
        for (int x = 0; x < short_.mask.width; ++x)
            above += short_.mask.at(x, y);
    EXPECT_LT(above, 1.0f);
}

TEST(Lettering, EmptyAndMalformedTextDoNotCrash) {
    EXPECT_EQ(fonts().line(Face::SansBold, "", 40).mask.total(), 0.0f);
    TextLine broken = fonts().line(Face::Mono, std::string("a\xff\xc3", 3), 40);
    EXPECT_GT(broken.mask.total(), 10);
}

TEST(Lettering, FittingSizeShrinksTextToTheWidth) {
    int size = fittingSize(fonts(), Face::SansBold, "glasshouse", 200, 0, 300);
    EXPECT_LT(size, 200);
    TextLine fitted = fonts().line(Face::SansBold, "glasshouse", size);
    EXPECT_LE(fitted.inkRight - fitted.inkLeft, 300);
    EXPECT_EQ(fittingSize(fonts(), Face::SansBold, "a", 40, 0, 300), 40);
}

TEST(PictureJobs, EveryPictureTheDemoReadsIsWrittenOnce) {
    std::vector<PictureJob> jobs = pictureJobs();
    std::set<std::string> files;
    for (const PictureJob& job : jobs) {
        EXPECT_TRUE(files.insert(job.dataFile).second) << "written twice: " << job.dataFile;
        EXPECT_TRUE(job.channels == 3 || job.channels == 4) << job.dataFile;
    }
    using namespace datafiles;
    std::vector<std::string> expected = {
        kMusicOverlay,     kFeatOverlay,       kVsqOverlay,          kOnTopOverlay,
        kRevoltOverlay,    kVignetteOverlay,   kTitleOverlay,        kCodeOverlay,
        kCodeNamesOverlay, kGfxOverlay,        kMorvaneOverlay,      kVsqIsOverlay,
        kBackOverlay,      kAgainOverlay,      kOverlayOverlay,      kBlueNormalPicture,
        kFlakePicture,     kTrainFramePicture, kTrainWaitingPicture, kTrainMessagePicture};
    expected.insert(expected.end(), std::begin(kGreetings), std::end(kGreetings));
    expected.insert(expected.end(), std::begin(kTrainCaptions), std::end(kTrainCaptions));
    expected.insert(expected.end(), std::begin(kModelTextures), std::end(kModelTextures));
    for (int slide = 1; slide <= kTrainSlideCount; ++slide) {
        char path[64];
        snprintf(path, sizeof path, kTrainSlideFormat, slide);
        expected.push_back(path);
    }
    for (const std::string& file : expected)
        EXPECT_EQ(files.count(file), 1u) << file;
    EXPECT_EQ(files.size(), expected.size());
}

TEST(PictureJobs, PaintingTwiceGivesTheSameBytes) {
    std::vector<PictureJob> jobs = pictureJobs();
    ScratchDir first, second;
    char slide[64];
    snprintf(slide, sizeof slide, datafiles::kTrainSlideFormat, 14);
    for (const char* file : {datafiles::kTitleOverlay, datafiles::kGreetings[3],
                             static_cast<const char*>(slide), datafiles::kFacadeTexture}) {
        const PictureJob& job = jobFor(jobs, file);
        ASSERT_TRUE(writePictureJob(job, fonts(), first.path()));
        ASSERT_TRUE(writePictureJob(job, fonts(), second.path()));
        std::string a = fileBytes(dataFilePath(first.path(), file));
        EXPECT_GT(a.size(), 1000u) << file;
        EXPECT_EQ(a, fileBytes(dataFilePath(second.path(), file))) << file;
    }
}

TEST(PaintedPictures, OverlaysAreFullScreenWithTransparentSurroundings) {
    std::vector<PictureJob> jobs = pictureJobs();
    ScratchDir dir;
    Picture title = writeAndRead(jobFor(jobs, datafiles::kTitleOverlay), dir.path());
    EXPECT_EQ(title.width, 1024);
    EXPECT_EQ(title.height, 768);
    EXPECT_EQ(title.channels, 4);
    EXPECT_EQ(title.pixel(5, 5)[3], 0);
    int opaque = 0;
    for (int x = 300; x < 724; ++x)
        opaque += title.pixel(x, 440)[3] > 200;
    EXPECT_GT(opaque, 50) << "the title's lettering crosses the middle row";

    Picture vignette = writeAndRead(jobFor(jobs, datafiles::kVignetteOverlay), dir.path());
    EXPECT_GT(vignette.pixel(0, 0)[3], 200);
    EXPECT_LT(vignette.pixel(512, 384)[3], 8);
    EXPECT_LT(vignette.pixel(512, 384)[3], vignette.pixel(900, 384)[3]);
}

TEST(PaintedPictures, CardsAreStoredUpsideDownForQuadsWithRowZeroAtTheBottom) {
    // A greeting card is painted with a glowing hairline under the name, near its bottom edge;
    // stored flipped, that line lies near the top of the file.
    std::vector<PictureJob> jobs = pictureJobs();
    ScratchDir dir;
    EXPECT_TRUE(jobFor(jobs, datafiles::kGreetings[0]).flipped);
    Picture card = writeAndRead(jobFor(jobs, datafiles::kGreetings[0]), dir.path());
    ASSERT_EQ(card.height, 192);
    auto rowLight = [&](int y) {
        int sum = 0;
        for (int x = 200; x < 312; ++x)
            sum += card.pixel(x, y)[1] + card.pixel(x, y)[2];
        return sum;
    };
    EXPECT_GT(rowLight(33), 20000);
    EXPECT_GT(rowLight(33), 2 * rowLight(158));
}

TEST(PaintedPictures, SlidesAndTexturesHaveRowsTheDemoCanCopyWhole) {
    // The demo copies pixels as tightly packed rows: 24-bit rows must be a multiple of 4 bytes.
    std::vector<PictureJob> jobs = pictureJobs();
    ScratchDir dir;
    char first[64];
    snprintf(first, sizeof first, datafiles::kTrainSlideFormat, 1);
    Picture slide = writeAndRead(jobFor(jobs, first), dir.path());
    EXPECT_EQ(slide.width, 1024);
    EXPECT_EQ(slide.height, 768);
    EXPECT_EQ(slide.channels, 3);
    long sum = 0;
    for (uint8_t v : slide.pixels)
        sum += v;
    double mean = static_cast<double>(sum) / slide.pixels.size();
    EXPECT_GT(mean, 10) << "a night photograph, not a black frame";
    EXPECT_LT(mean, 160);
    for (const char* texture : {datafiles::kFacadeTexture, datafiles::kBlueNormalPicture}) {
        Picture picture = writeAndRead(jobFor(jobs, texture), dir.path());
        EXPECT_EQ(picture.channels, 3) << texture;
        EXPECT_EQ(picture.width * 3 % 4, 0) << texture;
    }
}

TEST(PaintedPictures, BlueNormalEncodesMostlyUpwardNormals) {
    std::vector<PictureJob> jobs = pictureJobs();
    ScratchDir dir;
    Picture normals = writeAndRead(jobFor(jobs, datafiles::kBlueNormalPicture), dir.path());
    long blue = 0, red = 0;
    for (size_t i = 0; i < normals.pixels.size(); i += 3) {
        red += normals.pixels[i];
        blue += normals.pixels[i + 2];
    }
    EXPECT_GT(blue, red);
}

TEST(PicturesCommand, WritesTheNamedPicturesAndReportsAnUnwritableDirectory) {
    ScratchDir dir;
    std::string dataDir = dir.path() + "/data";
    char name[] = "pictures", filter[] = "hullkort";
    std::vector<char> dirArg(dataDir.begin(), dataDir.end());
    dirArg.push_back(0);
    char* argv[] = {name, dirArg.data(), filter};
    testing::internal::CaptureStdout();
    EXPECT_EQ(runPictures(3, argv), 0);
    testing::internal::GetCapturedStdout();
    Picture flake;
    std::string error;
    EXPECT_TRUE(readPng(dataFilePath(dataDir, datafiles::kFlakePicture), flake, error)) << error;
    EXPECT_EQ(flake.channels, 4);

    dir.write("blocked", "a file where a directory should be");
    std::string blocked = dir.path() + "/blocked";
    std::vector<char> blockedArg(blocked.begin(), blocked.end());
    blockedArg.push_back(0);
    char* failing[] = {name, blockedArg.data(), filter};
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runPictures(3, failing), 1);
    std::string messages = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_NE(messages.find("hullkort.png"), std::string::npos) << messages;
}
