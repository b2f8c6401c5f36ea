#include "production/production.h"

#include "engine/window.h"
#include "production/registry.h"

#include <algorithm>

void openProductionWindow(const char* caption, bool fullscreen, int width, int height) {
    qorCreateWindow(caption, width, height, fullscreen);
}

void loadProduction(Timeline& timeline, const char* timelinePath,
                    Timeline::LoadingScreen showLoading) {
    timeline.load(timelinePath, registerEffects, showLoading);
}

void rebuildActivation(Timeline& timeline, uint32_t t, ActivationClock setClock) {
    timeline.rewind();
    activateClipsBefore(timeline, t, setClock);
}

void activateClipsBefore(Timeline& timeline, uint32_t t, ActivationClock setClock) {
    while (timeline.nextClip < timeline.clips.size() &&
           timeline.clips[timeline.nextClip]->start < t) {
        Clip* clip = timeline.clips[timeline.nextClip];
        if (setClock) setClock(std::min(t, clip->start + 1));
        timeline.compositor.activateClip(clip);
        timeline.nextClip++;
    }
}
