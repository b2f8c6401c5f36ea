// The activation a seek rebuilds, against the frames of a straight run.
#include "production/production.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// One effect start as a test effect records it: which effect, at which activation time.
struct StartCall {
    int effect;
    uint32_t at;
    bool operator==(const StartCall& other) const {
        return effect == other.effect && at == other.at;
    }
};

std::vector<StartCall> startCalls;
uint32_t activationTime = 0;

void setActivationTime(uint32_t t) {
    activationTime = t;
}

class StartRecorder : public Effect {
  public:
    explicit StartRecorder(int index) : index(index), label("Recorder " + std::to_string(index)) {}
    void start() override { startCalls.push_back({index, activationTime}); }
    void render(uint32_t) override {}
    const char* name() override { return label.c_str(); }

  private:
    int index;
    std::string label;
};

// Clips on three layers, with an effect following itself on layer 0 (no second start), two
// clips starting together, and a clip starting exactly at the time sought below.
TimelineFileData sampleClips() {
    const uint32_t clips[][4] = {// effect, start, duration, layer
                                 {3, 0, 900, 0},    {5, 0, 400, 1},    {3, 900, 600, 0},
                                 {7, 1200, 600, 2}, {5, 1200, 600, 1}, {8, 1500, 900, 0},
                                 {9, 1500, 300, 2}, {3, 2000, 500, 0}, {7, 2400, 300, 1}};
    TimelineFileData file;
    for (const auto& clip : clips) {
        TimelineClipData data{};
        data.record.effect = clip[0];
        data.record.start = clip[1];
        data.record.duration = clip[2];
        data.record.layer = clip[3];
        file.clips.push_back(data);
    }
    file.clipCount = int32_t(file.clips.size());
    return file;
}

void fillWithRecorders(Timeline& timeline) {
    for (int i = 0; i < 10; i++)
        timeline.effects.push_back(new StartRecorder(i));
    timeline.setClips(sampleClips());
}

// Plays frames every millisecond from `from` to `to`, each activating at most one clip at the
// clock of its frame, and returns the start calls they made.
std::vector<StartCall> playFrames(Timeline& timeline, uint32_t from, uint32_t to) {
    startCalls.clear();
    for (uint32_t frame = from; frame <= to; frame++) {
        activationTime = frame;
        timeline.render(frame);
    }
    return startCalls;
}

TEST(SeekActivation, GivesTheStartCallsAndLayersOfAStraightRun) {
    Timeline timeline;
    fillWithRecorders(timeline);
    for (uint32_t t : {2400u, 1500u, 2401u, 900u, 0u, 1203u}) {
        timeline.rewind();
        std::vector<StartCall> straight = playFrames(timeline, 0, t);
        std::vector<Clip*> layers;
        for (int layer = 0; layer < LAYER_COUNT; layer++)
            layers.push_back(timeline.compositor.layerClip(layer));
        size_t next = timeline.nextClip;

        // Seek there from a later state, as a seek back would.
        playFrames(timeline, t + 1, 2600);
        startCalls.clear();
        rebuildActivation(timeline, t, setActivationTime);

        std::vector<int> straightEffects, seekEffects;
        for (const StartCall& call : straight)
            straightEffects.push_back(call.effect);
        for (const StartCall& call : startCalls)
            seekEffects.push_back(call.effect);
        EXPECT_EQ(seekEffects, straightEffects) << "seek to " << t;
        EXPECT_EQ(timeline.nextClip, next) << "seek to " << t;
        for (int layer = 0; layer < LAYER_COUNT; layer++)
            EXPECT_EQ(timeline.compositor.layerClip(layer), layers[size_t(layer)])
                << "seek to " << t << ", layer " << layer;
        // Each start runs at the time a capture's catch-up frame would start it.
        for (const StartCall& call : startCalls)
            EXPECT_LE(call.at, t == 0 ? 0 : t) << "seek to " << t;
    }
}

TEST(SeekActivation, StartsEachClipAtItsCatchUpFrameTime) {
    Timeline timeline;
    fillWithRecorders(timeline);
    startCalls.clear();
    rebuildActivation(timeline, 1500, setActivationTime);
    // Effect 3 at 0 + 1, 5 at 0 + 1, 7 at 1200 + 1, 5 again at 1200 + 1 (its layer held 5,
    // so no start: the clip before it on layer 1 had the same effect); 3 on layer 0 at 900
    // kept its effect. The clips at 1500 are due only after 1500.
    std::vector<StartCall> expected = {{3, 1}, {5, 1}, {7, 1201}};
    EXPECT_EQ(startCalls, expected);
}

} // namespace
