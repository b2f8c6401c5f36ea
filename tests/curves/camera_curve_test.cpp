#include "curves/camera_curve.h"
#include "tests/support/process.h"
#include "tools/formats/curve_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

CurveRecord record(uint32_t time, float base) {
    return {time,
            {base, base + 1, base + 2},
            {base + 10, base + 11, base + 12},
            {base + 20, base + 21, base + 22}};
}

const std::vector<CurveRecord> kThreeRecords = {record(0, 0), record(1000, 100), record(2000, 200)};

class CurveFiles : public testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        dir.write(name, bytes);
        return dir.path() + "/" + name;
    }
    ScratchDir dir;
};

// Loads a file into a fresh curve, returning what it printed.
std::string loadQuietly(CameraCurve& curve, const std::string& path) {
    CaptureStdout();
    curve.load(path.c_str());
    return GetCapturedStdout();
}

std::vector<uint32_t> times(const Spline& spline) {
    std::vector<uint32_t> result;
    for (const SplineKeypoint* key : spline.keys())
        result.push_back(key->time);
    return result;
}

} // namespace

TEST_F(CurveFiles, ThreeRecordsFeedThreeSplines) {
    std::string path = write("three.curve", formats::encodeCurve(kThreeRecords));
    auto curve = std::make_unique<CameraCurve>();
    EXPECT_EQ(loadQuietly(*curve, path), "");
    const std::vector<uint32_t> expected = {0, 1000, 2000};
    EXPECT_EQ(times(curve->positionSpline), expected);
    EXPECT_EQ(times(curve->aimSpline), expected);
    EXPECT_EQ(times(curve->rotationSpline), expected);
    const SplineKeypoint& second = *curve->aimSpline.keys()[1];
    EXPECT_EQ(second.value, (SplineValue{110, 111, 112, 0}));
    EXPECT_EQ(curve->rotationSpline.keys()[2]->value[2], 222.0f);
    EXPECT_EQ(curve->positionSpline.keys()[0]->value[1], 1.0f);

    CaptureStdout();
    curve.reset();
    std::string removed = GetCapturedStdout();
    std::string expectedLines;
    for (int i = 0; i < 9; i++)
        expectedLines += "Removed keypoint\n";
    EXPECT_EQ(removed, expectedLines);
}

TEST_F(CurveFiles, LoadingTwiceAppends) {
    std::string path = write("twice.curve", formats::encodeCurve(kThreeRecords));
    CameraCurve curve;
    loadQuietly(curve, path);
    loadQuietly(curve, path);
    EXPECT_EQ(times(curve.positionSpline), (std::vector<uint32_t>{0, 1000, 2000, 0, 1000, 2000}));
    EXPECT_EQ(curve.aimSpline.keys().size(), 6u);
}

TEST_F(CurveFiles, EmptyCurveLoadsSilently) {
    std::string path = write("empty.curve", formats::encodeCurve({}));
    CameraCurve curve;
    EXPECT_EQ(loadQuietly(curve, path), "");
    EXPECT_TRUE(curve.positionSpline.keys().empty());
    CurveRecord r = curve.evaluate(1234, true);
    EXPECT_EQ(r.position[0], 0.0f);
    EXPECT_EQ(r.aimPoint[2], 0.0f);
}

TEST_F(CurveFiles, MissingFileIsReported) {
    CameraCurve curve;
    std::string path = dir.path() + "/none.curve";
    EXPECT_EQ(loadQuietly(curve, path), "Error opening file " + path + "...\n");
    EXPECT_TRUE(curve.positionSpline.keys().empty());
}

TEST_F(CurveFiles, WrongMagicIsRejected) {
    std::string bytes = formats::encodeCurve(kThreeRecords);
    bytes[19] = ' ';
    std::string path = write("space.curve", bytes);
    CameraCurve curve;
    EXPECT_EQ(loadQuietly(curve, path), "File '" + path + "' is not a camera curve file.\n");
    EXPECT_TRUE(curve.aimSpline.keys().empty());

    std::string shortPath = write("short.curve", std::string("VELOXIUM_CURVE_v1.1", 19));
    EXPECT_EQ(loadQuietly(curve, shortPath),
              "File '" + shortPath + "' is not a camera curve file.\n");
}

TEST_F(CurveFiles, TruncatedFileStopsAtTheLastWholeRecordNamingTheFile) {
    std::string bytes = formats::encodeCurve(kThreeRecords);
    bytes.resize(bytes.size() - 1);
    std::string path = write("cut.curve", bytes);
    CameraCurve curve;
    EXPECT_EQ(loadQuietly(curve, path), "File '" + path + "' ends after 2 of its 3 keypoints.\n");
    EXPECT_EQ(times(curve.rotationSpline), (std::vector<uint32_t>{0, 1000}));

    // A count far beyond the records present reads what is there.
    std::string lying = formats::encodeCurve(kThreeRecords);
    lying[20] = lying[21] = lying[22] = lying[23] = '\xff';
    CameraCurve other;
    loadQuietly(other, write("lying.curve", lying));
    EXPECT_EQ(other.positionSpline.keys().size(), 3u);
}

TEST(CameraCurveEvaluate, ThreeSplinesAtOnce) {
    CameraCurve curve;
    for (uint32_t i = 0; i < 4; i++)
        curve.addKeypoint(record(i * 1000, 6.0f * i));
    CurveRecord r = curve.evaluate(500, true);
    EXPECT_EQ(r.time, 0u);
    EXPECT_NEAR(r.position[0], 3.12501, 1e-5);
    // Every key of the aim spline is 10 above the position: so is the blend (q overshoot aside).
    EXPECT_NEAR(r.aimPoint[0], 3.12501 + 10 * 1.000002, 1e-4);
    EXPECT_NEAR(r.rotation[2], 3.12501 + 22 * 1.000002, 1e-4);
}
