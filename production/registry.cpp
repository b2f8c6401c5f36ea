#include "production/registry.h"

#include "effects/glow.h"
#include "effects/screen_shader.h"
#include "runtime/data_files.h"
#include "scenes/city.h"
#include "scenes/credits.h"
#include "scenes/crowd.h"
#include "scenes/into_station.h"
#include "scenes/overlay.h"
#include "scenes/sound_ball.h"
#include "scenes/train.h"
#include "scenes/tunnel.h"

#include <cassert>

namespace {

// The registry as data, index by index. registerEffects constructs the same entries; the
// registry test checks that names and property lists agree with the constructed effects.
const EffectDescription kDescriptions[kEffectCount] = {
    {"Default Glow", Glow::kProperties, Glow::kPropertyCount},
    {"Directional Glow", Glow::kProperties, Glow::kPropertyCount},
    {"Credits", Credits::kProperties, Credits::kPropertyCount},
    {"data/deform.frag", nullptr, 0},
    {"Sound ball", SoundBall::kProperties, SoundBall::kPropertyCount},
    {"Overlay: data/music.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Black", Black::kProperties, 2},
    {"Tunnel", nullptr, 0},
    {"Train", nullptr, 0},
    {"City 0", nullptr, 0},
    {"City 1", nullptr, 0},
    {"City 2", nullptr, 0},
    {"Crowd", nullptr, 0},
    {"IntoStation", nullptr, 0},
    {"Overlay: data/feat.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/vsq.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/on_top.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/revolt.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/vignette.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/title.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/code.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/code-names.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/gfx.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/morvane.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/vsq_is.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/back.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/again.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/overlay.png", Overlay::kProperties, Overlay::kPropertyCount},
    {"Overlay: data/revolt.png", Overlay::kProperties, Overlay::kPropertyCount},
};

} // namespace

void registerEffects(EffectList& list) {
    using namespace datafiles;
    list.push_back(new Glow(0));
    list.push_back(new Glow(1));
    list.push_back(new Credits());
    list.push_back(new DeformShader(nullptr, kDeformShader));
    list.push_back(new SoundBall());
    list.push_back(new Overlay(kMusicOverlay));
    list.push_back(new Black());
    list.push_back(new Tunnel());
    list.push_back(new Train());
    list.push_back(new City(0));
    list.push_back(new City(1));
    list.push_back(new City(2));
    list.push_back(new Crowd());
    list.push_back(new IntoStation());
    list.push_back(new Overlay(kFeatOverlay));
    list.push_back(new Overlay(kVsqOverlay));
    list.push_back(new Overlay(kOnTopOverlay));
    list.push_back(new Overlay(kRevoltOverlay));
    list.push_back(new Overlay(kVignetteOverlay));
    list.push_back(new Overlay(kTitleOverlay));
    list.push_back(new Overlay(kCodeOverlay));
    list.push_back(new Overlay(kCodeNamesOverlay));
    list.push_back(new Overlay(kGfxOverlay));
    list.push_back(new Overlay(kMorvaneOverlay));
    list.push_back(new Overlay(kVsqIsOverlay));
    list.push_back(new Overlay(kBackOverlay));
    list.push_back(new Overlay(kAgainOverlay));
    list.push_back(new Overlay(kOverlayOverlay));
    list.push_back(new Overlay(kRevoltOverlay));
    registeredEffects = &list;
}

const EffectDescription& describeEffect(int index) {
    assert(index >= 0 && index < kEffectCount);
    return kDescriptions[index];
}
