#include "engine/texture.h"
#include "production/registry.h"
#include "runtime/data_files.h"
#include "runtime/timeline.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/pictures/picture_io.h"
#include "tools/timeline/timeline_text.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Test registrations: 29 effects whose loads are recorded, or end the process with status 3
// (so that a fatal load error, status 1, proves no effect was loaded before it).
std::vector<int> loadOrder;
std::vector<int32_t> percentages;
int failingEffect = -1;
bool loadsAreForbidden = false;

class Recorder : public Effect {
  public:
    explicit Recorder(int index) : index(index), label("Recorder " + std::to_string(index)) {
        addProperty("Value", &value, 0, 1, 0);
    }
    bool load() override {
        if (loadsAreForbidden) _exit(3);
        loadOrder.push_back(index);
        return index != failingEffect;
    }
    void render(uint32_t) override {}
    const char* name() override { return label.c_str(); }

  private:
    int index;
    std::string label;
    static float value;
};
float Recorder::value;

void registerRecorders(EffectList& list) {
    for (int i = 0; i < kEffectCount; i++)
        list.push_back(new Recorder(i));
}

// Draws one of the production's pictures over the whole viewport.
class PictureLayer : public Effect {
  public:
    bool load() override {
        texture = qorLoadSharedTexture(datafiles::kVsqOverlay, true);
        return texture != 0;
    }
    void render(uint32_t) override {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor4f(1, 1, 1, 1);
        drawScreenQuad(1, 1);
    }
    const char* name() override { return "Picture layer"; }

    GLuint texture = 0;
};
PictureLayer* pictureLayer = nullptr;

void registerRecorderAndPictureLayer(EffectList& list) {
    list.push_back(new Recorder(0));
    pictureLayer = new PictureLayer;
    list.push_back(pictureLayer);
}

void recordPercentage(int32_t percent) {
    percentages.push_back(percent);
}

std::string writeTimeline(const ScratchDir& dir, const std::vector<uint8_t>& bytes) {
    dir.write("data/time", std::string(bytes.begin(), bytes.end()));
    return dir.path() + "/data/time";
}

std::string writeTimeline(const ScratchDir& dir, const TimelineFileData& timeline) {
    return writeTimeline(dir, encodeTimeline(timeline));
}

// Loads in a death-test child with standard output sent to standard error, where gtest reads
// the messages.
void loadWithMessagesOnStderr(const std::string& path, bool forbidLoads) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    loadsAreForbidden = forbidLoads;
    Timeline timeline;
    timeline.load(path.c_str(), registerRecorders, recordPercentage);
}

Key makeKey(uint32_t time, int32_t property, float value) {
    Key key{};
    key.time = time;
    key.property = property;
    key.value = value;
    return key;
}

struct TimelineLoad : testing::Test {
    void SetUp() override {
        loadOrder.clear();
        percentages.clear();
    }
    ScratchDir dir;
};

using TimelineLoadDeathTest = TimelineLoad;

} // namespace

TEST_F(TimelineLoad, AnEmptyTimelineLoadsEveryEffectInOrderWithTheLoadingScreen) {
    Timeline timeline;
    timeline.load(writeTimeline(dir, TimelineFileData()).c_str(), registerRecorders,
                  recordPercentage);
    EXPECT_EQ(timeline.clipCount, 0);
    EXPECT_TRUE(timeline.clips.empty());
    ASSERT_EQ(loadOrder.size(), 29u);
    for (int i = 0; i < 29; i++)
        EXPECT_EQ(loadOrder[size_t(i)], i);
    const std::vector<int32_t> expected = {0,  3,  6,  10, 13, 17, 20, 24, 27, 31,
                                           34, 37, 41, 44, 48, 51, 55, 58, 62, 65,
                                           68, 72, 75, 79, 82, 86, 89, 93, 96};
    EXPECT_EQ(percentages, expected);
}

TEST_F(TimelineLoad, ClipsAreReadInFileOrderWithTheirKeysInTimeOrder) {
    TimelineFileData file;
    file.clipCount = 2;
    file.clips.push_back({ClipRecord{3, 6, 100, 2000, 4, 30},
                          {makeKey(900, 0, 9), makeKey(100, 0, 1), makeKey(100, 1, 2)}});
    file.clips.push_back({ClipRecord{-5, 28, 50, 10, 0, 0}, {}});
    Timeline timeline;
    timeline.load(writeTimeline(dir, file).c_str(), registerRecorders, recordPercentage);
    ASSERT_EQ(timeline.clips.size(), 2u);
    const Clip& first = *timeline.clips[0];
    EXPECT_EQ(first.effect, timeline.effects[6]);
    EXPECT_EQ(first.start, 100u);
    EXPECT_EQ(first.duration, 2000u);
    EXPECT_EQ(first.layer, 4u);
    EXPECT_EQ(first.offset, 30u);
    ASSERT_EQ(first.keys.size(), 3u);
    EXPECT_EQ(first.keys[0].value, 1.0f);
    EXPECT_EQ(first.keys[1].value, 2.0f);
    EXPECT_EQ(first.keys[2].value, 9.0f);
    EXPECT_EQ(timeline.clips[1]->effect, timeline.effects[28]);
    EXPECT_TRUE(timeline.clips[1]->keys.empty());
}

TEST_F(TimelineLoadDeathTest, AMissingFileEndsTheRunBeforeAnyLoad) {
    EXPECT_EXIT(loadWithMessagesOnStderr(dir.path() + "/data/time", true),
                testing::ExitedWithCode(1),
                "^Could not find data files\\.\\.\\.\nTimeline file '.*/data/time' could not be "
                "read: No such file or directory\n$");
}

TEST_F(TimelineLoadDeathTest, AnEffectIndexOfTwentyNineIsFatalBeforeAnyLoad) {
    TimelineFileData file;
    file.clipCount = 2;
    file.clips.push_back({ClipRecord{0, 28, 0, 10, 0, 0}, {}});
    file.clips.push_back({ClipRecord{0, 29, 0, 10, 0, 0}, {}});
    std::string path = writeTimeline(dir, file);
    EXPECT_EXIT(loadWithMessagesOnStderr(path, true), testing::ExitedWithCode(1),
                "^Bad timeline file .*/data/time: clip 1 uses effect index 29; there are only "
                "29 effects\n$");
}

TEST_F(TimelineLoadDeathTest, ALayerOfFiveIsFatalBeforeAnyLoad) {
    TimelineFileData file;
    file.clipCount = 1;
    file.clips.push_back({ClipRecord{0, 6, 0, 10, 5, 0}, {}});
    std::string path = writeTimeline(dir, file);
    EXPECT_EXIT(loadWithMessagesOnStderr(path, true), testing::ExitedWithCode(1),
                "^Bad timeline file .*/data/time: clip 0 is on layer 5; the layers are 0 to 4\n$");
}

TEST_F(TimelineLoadDeathTest, ATruncatedFileIsFatalBeforeAnyLoad) {
    TimelineFileData file;
    file.clipCount = 1;
    file.clips.push_back({ClipRecord{2, 6, 0, 10, 0, 0}, {makeKey(0, 0, 1)}});
    std::vector<uint8_t> bytes = encodeTimeline(file);
    std::string path = writeTimeline(dir, bytes);
    EXPECT_EXIT(loadWithMessagesOnStderr(path, true), testing::ExitedWithCode(1),
                "^Bad timeline file .*/data/time: the file ends inside the keys of clip 0 \\(2 "
                "keys, room for 1\\)\n$");

    bytes.resize(4 + 23);
    path = writeTimeline(dir, bytes);
    EXPECT_EXIT(loadWithMessagesOnStderr(path, true), testing::ExitedWithCode(1),
                "^Bad timeline file .*/data/time: the clip count is 1, but the file holds at "
                "most 0 clip records\n$");
}

TEST_F(TimelineLoadDeathTest, AHugeClipCountIsATruncatedFile) {
    TimelineFileData file;
    file.clipCount = 0x7FFFFFFF;
    std::string path = writeTimeline(dir, file);
    EXPECT_EXIT(loadWithMessagesOnStderr(path, true), testing::ExitedWithCode(1),
                "^Bad timeline file .*/data/time: the clip count is 2147483647, but the file "
                "holds at most 0 clip records\n$");
}

TEST_F(TimelineLoadDeathTest, AFailingLoadNamesTheEffectAndStopsLoading) {
    std::string path = writeTimeline(dir, TimelineFileData());
    EXPECT_EXIT(
        {
            failingEffect = 3;
            loadWithMessagesOnStderr(path, false);
        },
        testing::ExitedWithCode(1), "^Failed to load effect Recorder 3, aborting\\.\\.\\.\n$");
}

// A picture whose data is damaged inside (its header reads well) fails its effect's load while
// the effects load, before any frame: the decoder's message, the effect's name, status 1.
TEST_F(TimelineLoadDeathTest, APictureDamagedInsideFailsItsEffectsLoad) {
    TimelineFileData file;
    file.clipCount = 2;
    file.clips.push_back({ClipRecord{0, 0, 0, 60000, 0, 0}, {}});
    file.clips.push_back({ClipRecord{0, 1, 50000, 1000, 1, 0}, {}});
    writeTimeline(dir, file);
    Picture grey{64, 48, 3, std::vector<uint8_t>(64 * 48 * 3, 128)};
    const std::string path = dir.path() + "/" + datafiles::kVsqOverlay;
    ASSERT_TRUE(writePng(path, grey));
    std::string bytes = readFile(path);
    bytes[bytes.find("IDAT") + 8] ^= 0x55; // the compressed data no longer meets its checksum
    dir.write(datafiles::kVsqOverlay, bytes);
    ScopedWorkingDirectory inside(dir.path());
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Timeline timeline;
            timeline.load("data/time", registerRecorderAndPictureLayer, recordPercentage);
        },
        testing::ExitedWithCode(1),
        "QOR error: .*\n(.*\n)*Failed to load effect Picture layer, aborting...");
}
