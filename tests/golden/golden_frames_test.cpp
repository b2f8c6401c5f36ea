// Golden frames: the generated production captured by lirv-capture at fixed times, shrunk to
// 256 x 192 thumbnails and compared with the references in tests/golden/frames/.
//
// The tolerance is a PSNR of at least 50 dB per frame: a mean squared error of at most 0.65
// squared levels (an RMS difference of 0.8 of 255 levels) over the thumbnail's channels. The
// 4 x 4 box average keeps rounding noise, a changed order of float operations and a few hundred
// pixels decided differently at a depth tie well above 55 dB, while light falling on walls 3 %
// darker already drops the city to 45 dB, and a missing layer, a moved caption or a glow drawn
// twice far below that.
//
// After a deliberate change of the art, regenerate the references with scripts/golden-update
// (this test with LIRV_GOLDEN_UPDATE=1) and commit them on their own. A failing run leaves its
// thumbnails in build/golden-actual/ to compare with the references.
#include "tests/support/process.h"
#include "tools/pictures/picture_io.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kShrink = 4; // 1024 x 768 frames become 256 x 192 thumbnails
constexpr double kMinPsnrDb = 50;

// One or two per scene and picture layer: the title, each city, the sound ball under the deform
// pass, the tunnel with and without it, the station photographs, the flight into the station,
// the crowd under its captions, the credits and the closing city.
const uint32_t kTimesMs[] = {8000,  22500, 33000,  43000,  54000,  66000, 74000,
                             85000, 97000, 103000, 118000, 128000, 134000};

std::string frameName(uint32_t t) {
    char name[32];
    snprintf(name, sizeof name, "t%06u.png", unsigned(t));
    return name;
}

// The mean of each kShrink x kShrink block, as RGB.
Picture shrink(const Picture& frame) {
    Picture small;
    small.width = frame.width / kShrink;
    small.height = frame.height / kShrink;
    small.channels = 3;
    small.pixels.resize(size_t(small.width) * small.height * 3);
    for (int y = 0; y < small.height; y++)
        for (int x = 0; x < small.width; x++)
            for (int c = 0; c < 3; c++) {
                int sum = 0;
                for (int dy = 0; dy < kShrink; dy++)
                    for (int dx = 0; dx < kShrink; dx++)
                        sum += frame.pixel(x * kShrink + dx, y * kShrink + dy)[c];
                small.pixels[(size_t(y) * small.width + x) * 3 + c] =
                    uint8_t((sum + kShrink * kShrink / 2) / (kShrink * kShrink));
            }
    return small;
}

// Peak signal-to-noise ratio in dB of two RGB pictures of one size; infinite when identical.
double psnr(const Picture& a, const Picture& b) {
    double squares = 0;
    for (size_t i = 0; i < a.pixels.size(); i++) {
        double d = double(a.pixels[i]) - double(b.pixels[i]);
        squares += d * d;
    }
    if (squares == 0) return INFINITY;
    return 10 * std::log10(255.0 * 255.0 * double(a.pixels.size()) / squares);
}

Picture readPicture(const std::string& path) {
    Picture picture;
    std::string error;
    if (!readPng(path, picture, error)) ADD_FAILURE() << error;
    return picture;
}

TEST(GoldenFrames, TheProductionLooksAsItsReferences) {
    ScratchDir dir;
    std::string times;
    for (uint32_t t : kTimesMs)
        times += (times.empty() ? "" : ",") + std::to_string(t) + "ms";
    ProcessOptions options;
    options.workingDirectory = LIRV_SOURCE_DIR;
    options.environment = {"SDL_AUDIODRIVER=dummy"};
    options.timeoutSeconds = 400;
    ProcessResult run = runProcess(
        {LIRV_CAPTURE_EXECUTABLE, "--times", times, "--out", dir.path(), "--quiet"}, options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    const std::string references = std::string(LIRV_SOURCE_DIR) + "/tests/golden/frames/";
    const std::string actual = std::string(LIRV_BINARY_DIR) + "/golden-actual/";
    bool update = getenv("LIRV_GOLDEN_UPDATE") && *getenv("LIRV_GOLDEN_UPDATE") == '1';
    mkdir(actual.c_str(), 0777);
    for (uint32_t t : kTimesMs) {
        Picture frame = readPicture(dir.path() + "/" + frameName(t));
        ASSERT_EQ(frame.width, 1024);
        ASSERT_EQ(frame.height, 768);
        Picture thumbnail = shrink(frame);
        remove((actual + frameName(t)).c_str()); // left by an earlier failing run
        if (update) {
            ASSERT_TRUE(writePng(references + frameName(t), thumbnail));
            continue;
        }
        Picture reference = readPicture(references + frameName(t));
        ASSERT_EQ(reference.width, thumbnail.width) << frameName(t);
        ASSERT_EQ(reference.height, thumbnail.height) << frameName(t);
        ASSERT_EQ(reference.channels, 3) << frameName(t);
        double db = psnr(thumbnail, reference);
        printf("%s: %.1f dB\n", frameName(t).c_str(), db);
        EXPECT_GE(db, kMinPsnrDb) << "frame at " << t << " ms (see " << actual << frameName(t)
                                  << ")";
        if (db < kMinPsnrDb) writePng(actual + frameName(t), thumbnail);
    }
}

} // namespace
