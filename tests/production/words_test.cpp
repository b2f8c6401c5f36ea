#include "engine/picture_decode.h"
#include "production/registry.h"
#include "runtime/clip.h"
#include "runtime/effect.h"
#include "tests/support/production_timeline.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr float kMiddleRow = 384; // of the 768 rows the pictures and the screen both have

// The lowest row of a picture that holds ink, or -1 for one that covers the whole frame (the
// vignette, the camera frame): those hold no words.
int lowestInkedRow(const std::string& path) {
    Image image;
    TextureAlphaBox box;
    EXPECT_TRUE(decodePictureAsRgba(path.c_str(), &image, &box)) << path;
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
    std::string error;
    TimelineFileData timeline;
    ASSERT_TRUE(parseTimeline(bytes.data(), bytes.size(), kEffectCount, timeline, error)) << error;
    static EffectList effects;
    if (effects.empty()) registerEffects(effects);
    auto sceneAt = [&](uint32_t t) -> std::string {
        for (const TimelineClipData& clip : timeline.clips)
            if (clip.record.layer == 0 && t >= clip.record.start &&
                t < clip.record.start + clip.record.duration)
                return effects[clip.record.effect]->name();
        return "";
    };

    int framesChecked = 0;
    for (const TimelineClipData& data : timeline.clips) {
        Effect* effect = effects[data.record.effect];
        std::string name = effect->name();
        if (name.rfind("Overlay: ", 0) != 0) continue;
        std::string picture = name.substr(strlen("Overlay: "));
        int lowest = lowestInkedRow(LIRV_SOURCE_DIR "/" + picture);
        if (lowest < 0) continue;
        Clip clip(effect);
        for (const Key& key : data.keys)
            clip.addKey(key);
        const int transparency = propertyIndex(effect, "Transparency");
        const int scaleIndex = propertyIndex(effect, "Scale");
        const int positionY = propertyIndex(effect, "Position Y");
        for (uint32_t local = 0; local < data.record.duration; local += 50) {
            std::string scene = sceneAt(data.record.start + local);
            if (clip.valueAt(transparency, local) < 0.02f) continue;
            EXPECT_NE(scene, "Crowd") << picture << " at " << data.record.start + local << " ms";
            if (scene != "City 1" && scene != "City 2") continue;
            float scale = clip.valueAt(scaleIndex, local);
            float moved = clip.valueAt(positionY, local);
            float bottom = kMiddleRow + scale * (float(lowest) - kMiddleRow) - moved * kMiddleRow;
            EXPECT_LE(bottom, kMiddleRow) << picture << " at " << data.record.start + local << " ms";
            framesChecked++;
        }
    }
    EXPECT_GT(framesChecked, 0);
}
