#include "runtime/registry.h"

#include "runtime/data_files.h"
#include "runtime/standins.h"
#include "scenes/city.h"
#include "scenes/credits.h"
#include "scenes/crowd.h"
#include "scenes/into_station.h"
#include "scenes/sound_ball.h"
#include "scenes/train.h"
#include "scenes/tunnel.h"

#include <cassert>

namespace {

// The registry as data, index by index. registerEffects constructs the same entries; the
// registry test checks that names and property lists agree with the constructed effects.
const EffectDescription kDescriptions[kEffectCount] = {
    {"Default Glow", kGlowProperties, 9},
    {"Directional Glow", kGlowProperties, 9},
    {"Credits", Credits::kProperties, Credits::kPropertyCount},
    {"data/deform.frag", nullptr, 0},
    {"Sound ball", SoundBall::kProperties, SoundBall::kPropertyCount},
    {"Overlay: data/music.png", kOverlayProperties, 5},
    {"Black", Black::kProperties, 2},
    {"Tunnel", nullptr, 0},
    {"Train", nullptr, 0},
    {"City 0", nullptr, 0},
    {"City 1", nullptr, 0},
    {"City 2", nullptr, 0},
    {"Crowd", nullptr, 0},
    {"IntoStation", nullptr, 0},
    {"Overlay: data/feat.png", kOverlayProperties, 5},
    {"Overlay: data/vsq.png", kOverlayProperties, 5},
    {"Overlay: data/on_top.png", kOverlayProperties, 5},
    {"Overlay: data/revolt.png", kOverlayProperties, 5},
    {"Overlay: data/vignette.png", kOverlayProperties, 5},
    {"Overlay: data/title.png", kOverlayProperties, 5},
    {"Overlay: data/code.png", kOverlayProperties, 5},
    {"Overlay: data/code-names.png", kOverlayProperties, 5},
    {"Overlay: data/gfx.png", kOverlayProperties, 5},
    {"Overlay: data/morvane.png", kOverlayProperties, 5},
    {"Overlay: data/vsq_is.png", kOverlayProperties, 5},
    {"Overlay: data/back.png", kOverlayProperties, 5},
    {"Overlay: data/again.png", kOverlayProperties, 5},
    {"Overlay: data/overlay.png", kOverlayProperties, 5},
    {"Overlay: data/revolt.png", kOverlayProperties, 5},
};

} // namespace

void registerEffects(EffectList& list) {
    using namespace datafiles;
    list.push_back(makeGlowStandIn(0));
    list.push_back(makeGlowStandIn(1));
    list.push_back(new Credits());
    list.push_back(makeDeformShaderStandIn(kDeformShader));
    list.push_back(new SoundBall());
    list.push_back(makeOverlayStandIn(kMusicOverlay));
    list.push_back(new Black());
    list.push_back(new Tunnel());
    list.push_back(new Train());
    list.push_back(new City(0));
    list.push_back(new City(1));
    list.push_back(new City(2));
    list.push_back(new Crowd());
    list.push_back(new IntoStation());
    list.push_back(makeOverlayStandIn(kFeatOverlay));
    list.push_back(makeOverlayStandIn(kVsqOverlay));
    list.push_back(makeOverlayStandIn(kOnTopOverlay));
    list.push_back(makeOverlayStandIn(kRevoltOverlay));
    list.push_back(makeOverlayStandIn(kVignetteOverlay));
    list.push_back(makeOverlayStandIn(kTitleOverlay));
    list.push_back(makeOverlayStandIn(kCodeOverlay));
    list.push_back(makeOverlayStandIn(kCodeNamesOverlay));
    list.push_back(makeOverlayStandIn(kGfxOverlay));
    list.push_back(makeOverlayStandIn(kMorvaneOverlay));
    list.push_back(makeOverlayStandIn(kVsqIsOverlay));
    list.push_back(makeOverlayStandIn(kBackOverlay));
    list.push_back(makeOverlayStandIn(kAgainOverlay));
    list.push_back(makeOverlayStandIn(kOverlayOverlay));
    list.push_back(makeOverlayStandIn(kRevoltOverlay));
    registeredEffects = &list;
}

const EffectDescription& describeEffect(int index) {
    assert(index >= 0 && index < kEffectCount);
    return kDescriptions[index];
}
