// The studio's pictures: file round trips, the job table and what the painted pictures hold
// where the demo depends on it (the lettering's own tests are in lettering_test.cpp).
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <filesystem>
#include <fstream>
#include <functional>
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
    static const Lettering shared;
    return shared;
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

// Both writers: the studio's, and the capture's fast one that filters and compresses by itself.
TEST(PictureFiles, PngKeepsSizeChannelsAndEveryPixel) {
    ScratchDir dir;
    for (int channels : {3, 4})
        for (bool fast : {false, true}) {
            Picture written = gradientPicture(33, 17, channels);
            std::string path =
                dir.path() + "/p" + std::to_string(channels) + (fast ? "f" : "") + ".png";
            ASSERT_TRUE(fast ? writeFastPng(path, written) : writePng(path, written));
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

TEST(PictureFiles, TheDemosDecoderReadsThemAs24And32BitPictures) {
    ScratchDir dir;
    ASSERT_TRUE(writePng(dir.path() + "/rgba.png", gradientPicture(16, 8, 4)));
    ASSERT_TRUE(writePng(dir.path() + "/rgb.png", gradientPicture(16, 8, 3)));
    ASSERT_TRUE(writeJpg(dir.path() + "/rgb.jpg", gradientPicture(16, 8, 3), 90));
    for (auto [name, bits] :
         {std::pair{"/rgba.png", 32}, std::pair{"/rgb.png", 24}, std::pair{"/rgb.jpg", 24}}) {
        SDL_Surface* surface = IMG_Load((dir.path() + name).c_str());
        ASSERT_NE(surface, nullptr) << name << ": " << IMG_GetError();
        EXPECT_EQ(surface->format->BitsPerPixel, bits) << name;
        EXPECT_EQ(surface->w, 16);
        EXPECT_EQ(surface->h, 8);
        // Bytes in memory order R, G, B: the first pixel's red is 0 and its green 0; the last
        // column's red is 255.
        SDL_LockSurface(surface);
        const uint8_t* row = static_cast<const uint8_t*>(surface->pixels);
        double tolerance = std::string(name).find(".jpg") != std::string::npos ? 24 : 0;
        EXPECT_NEAR(row[0], 0, tolerance) << name;
        EXPECT_NEAR(row[15 * (bits / 8)], 255, tolerance) << name;
        SDL_UnlockSurface(surface);
        SDL_FreeSurface(surface);
    }
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
    EXPECT_GT(rowLight(34), 12000);
    EXPECT_GT(rowLight(34), 2 * rowLight(157));
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

namespace {

int countPixels(const Picture& picture, const std::function<bool(const uint8_t*)>& test) {
    int count = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            count += test(picture.pixel(x, y));
    return count;
}

// Painted picture of a job, without files.
Picture painted(const char* dataFile) {
    static const std::vector<PictureJob> jobs = pictureJobs();
    const PictureJob& job = jobFor(jobs, dataFile);
    return job.paint(fonts()).toPicture(job.channels, false);
}

// First and last column (or row) of a picture that repeats differ no more than neighbours do.
double seamRatio(const Picture& picture, bool across) {
    auto difference = [&](int a, int b) {
        double sum = 0;
        int n = across ? picture.height : picture.width;
        for (int i = 0; i < n; ++i) {
            const uint8_t* p = across ? picture.pixel(a, i) : picture.pixel(i, a);
            const uint8_t* q = across ? picture.pixel(b, i) : picture.pixel(i, b);
            for (int c = 0; c < 3; ++c)
                sum += std::abs(p[c] - q[c]);
        }
        return sum;
    };
    int last = (across ? picture.width : picture.height) - 1;
    double neighbours = 0;
    for (int i = 0; i < last; ++i)
        neighbours += difference(i, i + 1);
    return difference(last, 0) / (neighbours / last + 1);
}

// Mean absolute second difference of luma across and down: the energy of detail one texel
// wide, which shimmers when a texture is minified without mipmaps.
double fineDetail(const Picture& picture) {
    auto luma = [&](int x, int y) {
        const uint8_t* p = picture.pixel(x, y);
        return 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
    };
    double sum = 0;
    int n = 0;
    for (int y = 1; y + 1 < picture.height; ++y)
        for (int x = 1; x + 1 < picture.width; ++x) {
            double c = 2 * luma(x, y);
            sum += std::abs(c - luma(x - 1, y) - luma(x + 1, y)) +
                   std::abs(c - luma(x, y - 1) - luma(x, y + 1));
            n += 2;
        }
    return sum / n;
}

} // namespace

TEST(CanvasPainting, ShapesCoverTheirAreaWithSoftEdges) {
    Canvas canvas(64, 64);
    canvas.fill(0, 0, 64, 64, Rgba{1, 1, 1, 1},
                [](float x, float y) { return circleDistance(x, y, 32, 32, 20); });
    Picture picture = canvas.toPicture(4);
    int inside = countPixels(picture, [](const uint8_t* p) { return p[3] == 255; });
    int edge = countPixels(picture, [](const uint8_t* p) { return p[3] > 0 && p[3] < 255; });
    EXPECT_NEAR(inside + edge / 2.0, 3.14159 * 20 * 20, 40);
    EXPECT_GT(edge, 60);
    EXPECT_EQ(picture.pixel(2, 2)[3], 0);
}

TEST(CanvasPainting, PolygonWindingDoesNotMatter) {
    Point clockwise[] = {{10, 10}, {50, 10}, {50, 40}, {10, 40}};
    Point counter[] = {{10, 10}, {10, 40}, {50, 40}, {50, 10}};
    for (auto [x, y] : {std::pair{30.0f, 25.0f}, std::pair{5.0f, 25.0f}, std::pair{30.0f, 45.0f}}) {
        EXPECT_FLOAT_EQ(convexDistance(x, y, clockwise, 4), convexDistance(x, y, counter, 4));
    }
    EXPECT_LT(convexDistance(30, 25, clockwise, 4), 0);
    EXPECT_NEAR(convexDistance(5, 25, clockwise, 4), 5, 1e-4);
}

TEST(CanvasPainting, OverReplacesAndAddAccumulatesLight) {
    Canvas canvas(2, 1, Rgba{0, 0, 1, 1});
    canvas.put(0, 0, Rgba{1, 0, 0, 1}, 1, Blend::Over);
    canvas.put(1, 0, Rgba{0.25f, 0, 0, 1}, 1, Blend::Add);
    canvas.put(1, 0, Rgba{0.25f, 0, 0, 1}, 1, Blend::Add);
    Picture picture = canvas.toPicture(3);
    EXPECT_EQ(picture.pixel(0, 0)[0], 255);
    EXPECT_EQ(picture.pixel(0, 0)[2], 0);
    EXPECT_NEAR(picture.pixel(1, 0)[0], 128, 1);
    EXPECT_EQ(picture.pixel(1, 0)[2], 255);
}

TEST(CanvasPainting, BlurSpreadsLightWithoutLosingIt) {
    Mask mask(41, 41);
    mask.at(20, 20) = 1;
    blur(mask, 3);
    EXPECT_NEAR(mask.total(), 1.0f, 1e-3f);
    EXPECT_GT(mask.at(23, 20), 0);
    EXPECT_LT(mask.at(20, 20), 0.2f);
    EXPECT_FLOAT_EQ(mask.at(17, 20), mask.at(23, 20));
}

TEST(CanvasPainting, NoiseIsRepeatableAndInRange) {
    for (int i = 0; i < 200; ++i) {
        float x = i * 0.37f, y = i * 0.11f;
        float v = fractalNoise(x, y, 9, 4);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 1);
        EXPECT_EQ(v, fractalNoise(x, y, 9, 4));
    }
    EXPECT_NE(valueNoise(1.5f, 2.5f, 1), valueNoise(1.5f, 2.5f, 2));
}

TEST(PaintedPictures, EveryWordOverlayHasLetteringOnATransparentScreen) {
    using namespace datafiles;
    for (const char* file :
         {kMusicOverlay, kFeatOverlay, kVsqOverlay, kOnTopOverlay, kRevoltOverlay, kTitleOverlay,
          kCodeOverlay, kCodeNamesOverlay, kGfxOverlay, kMorvaneOverlay, kVsqIsOverlay,
          kBackOverlay, kAgainOverlay}) {
        Picture picture = painted(file);
        EXPECT_EQ(picture.width, 1024) << file;
        EXPECT_EQ(picture.height, 768) << file;
        for (auto [x, y] : {std::pair{0, 0}, std::pair{1023, 0}, std::pair{0, 767}})
            EXPECT_EQ(picture.pixel(x, y)[3], 0) << file;
        int letters = countPixels(
            picture, [](const uint8_t* p) { return p[3] > 230 && p[0] + p[1] + p[2] > 450; });
        EXPECT_GT(letters, 800) << file;
    }
}

TEST(PaintedPictures, StationLayersLeaveTheSlidesVisible) {
    Picture frame = painted(datafiles::kTrainFramePicture);
    EXPECT_EQ(frame.channels, 4);
    EXPECT_LT(frame.pixel(frame.width / 2, frame.height / 2)[3], 40);
    EXPECT_EQ(frame.pixel(30, frame.height / 2)[3], 255);
    EXPECT_EQ(frame.pixel(frame.width / 2, 30)[3], 255);

    // The sign spans screen y 0.35 down to -1.15, the carriage window ends at -0.85: below
    // the picture's row 0.8 (screen -0.85) nothing of the sign may lie, or it is cut off.
    Picture sign = painted(datafiles::kTrainWaitingPicture);
    EXPECT_GT(sign.height, sign.width);
    EXPECT_EQ(sign.pixel(0, 0)[3], 0);
    EXPECT_EQ(sign.pixel(sign.width / 2, sign.height / 3)[3], 255);
    for (int x = 0; x < sign.width; x += 4)
        ASSERT_EQ(sign.pixel(x, sign.height * 8 / 10)[3], 0) << "column " << x;

    // The board spans screen x -1.025 to 0.525, under the caption cards (to x -0.37) and
    // beside the sign (from x 0.325): its panel keeps to the columns between them.
    Picture board = painted(datafiles::kTrainMessagePicture);
    int amber =
        countPixels(board, [](const uint8_t* p) { return p[3] > 200 && p[0] > 200 && p[2] < 120; });
    EXPECT_GT(amber, 2000);
    auto columnAlpha = [&](float u) {
        int x = static_cast<int>(u * board.width), most = 0;
        for (int y = 0; y < board.height; ++y)
            most = std::max(most, int(board.pixel(x, y)[3]));
        return most;
    };
    EXPECT_EQ(columnAlpha((-0.36f + 1.025f) / 1.55f), 0);
    EXPECT_EQ(columnAlpha((0.32f + 1.025f) / 1.55f), 0);
    EXPECT_GT(columnAlpha(0.6f), 200);

    // Short captions are short strips taped inside the window: both ends of "the future" are
    // clear, and the tape starts just before its words.
    Picture caption = painted(datafiles::kTrainCaptions[1]);
    EXPECT_EQ(caption.pixel(20, caption.height / 2)[3], 0);
    EXPECT_GT(caption.pixel(100, caption.height / 2)[3], 150);
    EXPECT_EQ(caption.pixel(caption.width - 20, caption.height / 2)[3], 0);
}

TEST(PaintedPictures, FlakeIsAFaintOutlinedCardInATransparentSquare) {
    Picture flake = painted(datafiles::kFlakePicture);
    ASSERT_EQ(flake.width, flake.height);
    // The card is a quarter of the square's width, centred; everything around it is clear.
    // 120 flakes drift across the greeting names, so the card's body stays faint: its edge and
    // its punched holes carry the light.
    int cardWidth = 128, cardHeight = 64;
    int left = (flake.width - cardWidth) / 2, top = (flake.height - cardHeight) / 2;
    int edge = 0, margin = 0, body = 0, bodyAlpha = 0;
    for (int y = 0; y < flake.height; ++y)
        for (int x = 0; x < flake.width; ++x) {
            int alpha = flake.pixel(x, y)[3];
            bool inside = x >= left && x < left + cardWidth && y >= top && y < top + cardHeight;
            if (!inside) {
                margin += alpha != 0;
            } else if (x >= left + 8 && x < left + cardWidth - 8 && y >= top + 6 &&
                       y < top + cardHeight - 6) {
                ++body;
                bodyAlpha += alpha;
            } else if (alpha > 60) {
                ++edge;
            }
        }
    EXPECT_GT(edge, 300);
    EXPECT_GT(bodyAlpha, 0);
    EXPECT_LT(bodyAlpha / body, 50);
    EXPECT_EQ(margin, 0);
}

TEST(PaintedPictures, GreetingNamesAreLitBelowTheGlowKneeOnBlack) {
    // The cards are added onto a dark backdrop and glowed; the glow pass adds each card a
    // second time and blooms what is brighter than about 0.75. A name must be bright enough to
    // read against the black card (about 0.7 once doubled) and no brighter, or it clips to
    // white and its letters bloom into one another.
    for (const char* file : datafiles::kGreetings) {
        Picture card = painted(file);
        auto luma = [&](int x, int y) {
            const uint8_t* p = card.pixel(x, y);
            return (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]) / 255;
        };
        float brightest = 0, surround = 0;
        for (int y = 0; y < card.height; ++y)
            for (int x = 0; x < card.width; ++x) {
                bool border = y < 12 || y >= card.height - 12 || x < 16 || x >= card.width - 16;
                (border ? surround : brightest) =
                    std::max(border ? surround : brightest, luma(x, y));
            }
        EXPECT_GT(brightest, 0.33f) << file;
        EXPECT_LT(brightest, 0.45f) << file;
        EXPECT_LT(surround, 0.05f) << file;
    }
}

TEST(PaintedPictures, RepeatingTexturesHaveNoSeams) {
    using namespace datafiles;
    for (const char* file : {kFacadeTexture, kPlatformTexture, kMetalTexture}) {
        Picture picture = painted(file);
        EXPECT_LT(seamRatio(picture, true), 2.0) << file << " across";
        EXPECT_LT(seamRatio(picture, false), 2.0) << file << " down";
    }
    // The tunnel's picture is a column per distance band: it repeats only along the tube.
    EXPECT_LT(seamRatio(painted(kTunnelTexture), false), 2.0) << kTunnelTexture << " down";
    EXPECT_LT(seamRatio(painted(kReliefTexture), true), 2.0);
}

TEST(PaintedPictures, SurfaceTexturesCarryNoTexelFineDetail) {
    using namespace datafiles;
    for (const char* file :
         {kFacadeTexture, kPlatformTexture, kRoofTexture, kMetalTexture, kTunnelTexture,
          kReliefTexture, kHallWallTexture, kHallFloorTexture, kNightSkyTexture})
        EXPECT_LT(fineDetail(painted(file)), 1.5) << file;
}

TEST(PaintedPictures, ArrivingTrainGrowsBrighterSlideBySlide) {
    auto brightPixels = [](int slide) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kTrainSlideFormat, slide);
        return countPixels(painted(path),
                           [](const uint8_t* p) { return p[0] > 235 && p[1] > 235 && p[2] > 235; });
    };
    int far = brightPixels(11), near = brightPixels(15), arriving = brightPixels(17);
    EXPECT_LT(far, near);
    EXPECT_LT(near, arriving);
}

TEST(StudioCommand, HelpIsUsageAndAnUnknownPictureIsAnError) {
    const std::string studio = std::string(LIRV_BINARY_DIR) + "/lirv-studio";
    ProcessResult help = runProcess({studio, "--help"}, ProcessOptions());
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("usage: lirv-studio COMMAND"), std::string::npos) << help.out;
    ScratchDir dir;
    ProcessResult unknown =
        runProcess({studio, "pictures", dir.path(), "title", "nosuchname"}, ProcessOptions());
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_NE(unknown.err.find("no picture matches 'nosuchname'"), std::string::npos)
        << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/title.png"));
}
