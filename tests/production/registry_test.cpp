#include "production/registry.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The registry is built once per test binary, as the demo builds it once per run.
const EffectList& registry() {
    static EffectList list;
    if (list.empty()) registerEffects(list);
    return list;
}

} // namespace

TEST(EffectRegistry, HoldsTwentyNineEntriesWithBlackOnlyAtSix) {
    const EffectList& list = registry();
    ASSERT_EQ(list.size(), 29u);
    for (size_t i = 0; i < list.size(); i++) {
        bool isBlack = dynamic_cast<Black*>(list[i]) != nullptr;
        EXPECT_EQ(isBlack, i == 6) << "entry " << i;
    }
}

TEST(EffectRegistry, NamesFollowTheFixedOrder) {
    const char* const names[29] = {"Default Glow",
                                   "Directional Glow",
                                   "Credits",
                                   "data/deform.frag",
                                   "Sound ball",
                                   "Overlay: data/music.png",
                                   "Black",
                                   "Tunnel",
                                   "Train",
                                   "City 0",
                                   "City 1",
                                   "City 2",
                                   "Crowd",
                                   "IntoStation",
                                   "Overlay: data/feat.png",
                                   "Overlay: data/vsq.png",
                                   "Overlay: data/on_top.png",
                                   "Overlay: data/revolt.png",
                                   "Overlay: data/vignette.png",
                                   "Overlay: data/title.png",
                                   "Overlay: data/code.png",
                                   "Overlay: data/code-names.png",
                                   "Overlay: data/gfx.png",
                                   "Overlay: data/morvane.png",
                                   "Overlay: data/vsq_is.png",
                                   "Overlay: data/back.png",
                                   "Overlay: data/again.png",
                                   "Overlay: data/overlay.png",
                                   "Overlay: data/revolt.png"};
    const EffectList& list = registry();
    ASSERT_EQ(list.size(), 29u);
    for (int i = 0; i < 29; i++) {
        EXPECT_STREQ(list[size_t(i)]->name(), names[i]) << "entry " << i;
        EXPECT_STREQ(describeEffect(i).name, names[i]) << "description " << i;
    }
}

TEST(EffectRegistry, FindEffectMatchesExactNamesInListOrder) {
    const EffectList& list = registry();
    EXPECT_EQ(findEffect("Default Glow"), list[0]);
    EXPECT_EQ(findEffect("Overlay: data/revolt.png"), list[17]);
    EXPECT_EQ(findEffect("Black"), list[6]);
    EXPECT_EQ(findEffect("black"), nullptr);
    EXPECT_EQ(findEffect("Black "), nullptr);
    EXPECT_EQ(findEffect(""), nullptr);
}

TEST(EffectRegistry, TwoOverlaysOfOnePictureAreDistinctObjects) {
    const EffectList& list = registry();
    EXPECT_NE(list[17], list[28]);
    EXPECT_STREQ(list[17]->name(), list[28]->name());
}

// Every entry that declares its properties when constructed declares exactly those of its
// description, in order, so the compiler's property indexes are the ones the demo applies.
// (Glow and Credits declare theirs in load, which needs GL and data files.)
TEST(EffectRegistry, ConstructedEffectsDeclareTheirDescribedProperties) {
    const EffectList& list = registry();
    int checked = 0;
    for (int i = 0; i < 29; i++) {
        const Effect* effect = list[size_t(i)];
        const EffectDescription& description = describeEffect(i);
        if (effect->properties().empty()) continue;
        checked++;
        ASSERT_EQ(effect->properties().size(), size_t(description.propertyCount)) << i;
        for (int p = 0; p < description.propertyCount; p++) {
            const Property& property = effect->properties()[size_t(p)];
            EXPECT_STREQ(property.name, description.properties[p].name) << i;
            EXPECT_EQ(property.defaultValue, description.properties[p].defaultValue) << i;
            EXPECT_EQ(property.minValue, description.properties[p].minValue) << i;
            EXPECT_EQ(property.maxValue, description.properties[p].maxValue) << i;
        }
    }
    EXPECT_GE(checked, 17); // Black, the sound ball and the 15 overlays
}

TEST(EffectRegistry, DescriptionsHoldEachClassTable) {
    EXPECT_EQ(describeEffect(0).propertyCount, 9);
    EXPECT_STREQ(describeEffect(0).properties[2].name, "Number of samples");
    EXPECT_EQ(describeEffect(1).properties, describeEffect(0).properties);
    EXPECT_EQ(describeEffect(5).propertyCount, 5);
    EXPECT_STREQ(describeEffect(5).properties[4].name, "Position Y");
    EXPECT_EQ(describeEffect(28).properties, describeEffect(5).properties);
    EXPECT_STREQ(describeEffect(4).properties[1].name, "Ball specular");
    EXPECT_STREQ(describeEffect(2).properties[0].name, "Blur focus");
    EXPECT_STREQ(describeEffect(6).properties[0].name, "Transparency");
    for (int i : {3, 7, 8, 9, 10, 11, 12, 13})
        EXPECT_EQ(describeEffect(i).propertyCount, 0) << i;
}
