#include "engine/picture_decode.h"
#include "production/registry.h"
#include "runtime/clip.h"
#include "runtime/effect.h"
#include "tests/support/production_timeline.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

constexpr float kMiddleRow = 384; // of the 768 rows the pictures and the screen both have

bool isSwarmScene(const std::string& name) {
    return name == "City 1" || name == "City 2";
}

// The lowest row of the picture a pixel of which is not fully transparent, or -1 for a picture
// that covers the whole frame (the vignette, the camera frame): those hold no words.
int lowestInkedRow(const std::string& path) {
    Image image;
    TextureAlphaBox box;
    if (!decodePictureAsRgba(path.c_str(), &image, &box)) return -2;
    qorFreeImage(&image);
    return box.y0 == 0 && box.y1 == box.height - 1 ? -1 : box.y1;
}

int propertyIndex(Effect* effect, const char* name) {
    const std::vector<Property>& properties = effect->properties();
    for (size_t i = 0; i < properties.size(); i++)
        if (strcmp(properties[i].name, name) == 0) return int(i);
    return -1;
}

} // namespace

// The flights through the market and the harbour keep their balls below the middle of the
// picture; every word shown over them, moved and scaled as its keys say, stays above it, at
// every frame where it is visible. The crowd's balls fill the picture: no word shows over it.
TEST(ProductionTimeline, WordsOverTheSwarmsStayAboveTheMiddle) {
    std::vector<uint8_t> bytes = compileProductionTimeline();
    ASSERT_FALSE(bytes.empty());
    std::string error;
    TimelineFileData timeline;
    ASSERT_TRUE(parseTimeline(bytes.data(), bytes.size(), kEffectCount, timeline, error)) << error;
    static EffectList effects;
    if (effects.empty()) registerEffects(effects);

    std::vector<std::pair<uint32_t, uint32_t>> swarms, crowds;
    for (const TimelineClipData& clip : timeline.clips) {
        std::string scene = effects[clip.record.effect]->name();
        if (clip.record.layer != 0) continue;
        std::pair<uint32_t, uint32_t> span{clip.record.start,
                                           clip.record.start + clip.record.duration};
        if (isSwarmScene(scene)) swarms.push_back(span);
        if (scene == "Crowd") crowds.push_back(span);
    }
    ASSERT_FALSE(swarms.empty());

    std::map<std::string, int> lowestRows;
    int wordsChecked = 0;
    for (const TimelineClipData& data : timeline.clips) {
        Effect* effect = effects[data.record.effect];
        std::string name = effect->name();
        if (name.rfind("Overlay: ", 0) != 0) continue;
        std::string picture = name.substr(strlen("Overlay: "));
        if (!lowestRows.count(picture))
            lowestRows[picture] = lowestInkedRow(LIRV_SOURCE_DIR "/" + picture);
        int lowest = lowestRows[picture];
        ASSERT_NE(lowest, -2) << picture << " cannot be read";
        if (lowest < 0) continue;
        Clip clip(effect);
        for (const Key& key : data.keys)
            clip.addKey(key);
        const int transparency = propertyIndex(effect, "Transparency");
        const int scale = propertyIndex(effect, "Scale");
        const int positionY = propertyIndex(effect, "Position Y");
        for (uint32_t local = 0; local < data.record.duration; local += 50) {
            uint32_t t = data.record.start + local;
            bool overSwarm = false, overCrowd = false;
            for (auto [from, to] : swarms)
                overSwarm = overSwarm || (t >= from && t < to);
            for (auto [from, to] : crowds)
                overCrowd = overCrowd || (t >= from && t < to);
            if (clip.valueAt(transparency, local) < 0.02f) continue;
            EXPECT_FALSE(overCrowd) << picture << " over the crowd at " << t << " ms";
            if (!overSwarm) continue;
            float s = clip.valueAt(scale, local), y = clip.valueAt(positionY, local);
            float bottom = kMiddleRow + s * (float(lowest) - kMiddleRow) - y * kMiddleRow;
            EXPECT_LE(bottom, kMiddleRow) << picture << " at " << t << " ms";
            wordsChecked++;
        }
    }
    EXPECT_GT(wordsChecked, 0);
}
