// The timeline: every clip of the timeline file, the effects they draw, and the compositor that
// plays them.
#pragma once

#include "runtime/clip.h"
#include "runtime/compositor.h"
#include "runtime/effect_list.h"

#include <cstdint>
#include <vector>

class Timeline {
  public:
    // Shows the loading screen for a percentage after an effect's load.
    using LoadingScreen = void (*)(int32_t percent);

    // Empty clip list and a ready compositor. Needs the GL context.
    Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // Fills the effect list with the registration step, reads the timeline file, then loads
    // every effect in list order with the loading screen after each, and warms the clips'
    // effects up (Compositor::warmUp). Returns only on success;
    // prints the problem on standard output and exits with status 1 otherwise (a missing file,
    // a bad file, an effect that fails to load). A bad file is refused before any effect loads.
    void load(const char* path, EffectRegistration registration,
              LoadingScreen showLoading = showLoadingProgress);

    // Replaces the clip list with the file's clips (effects by index into the effect list,
    // which the caller has checked) and empties every layer. The old clips are deleted.
    void setClips(const TimelineFileData& file);
    // Empties every layer and makes the first clip the next to activate.
    void rewind();

    // Activates at most one clip (the next in file order, once its start is below t), then
    // composes the frame at timeline time t into the current framebuffer.
    void render(uint32_t t);

    // Releases the clip list's storage; the clips and effects stay alive.
    void releaseClipList();

    // Starts decoding every picture the production's effects load on worker threads
    // (qorPrefetchPictures); load does it too. Needs no GL context: called before the window
    // opens, the decoding runs beside the window's creation.
    static void prefetchPictures();

    // The loading screen of the demo: drawLoadingProgress, shown with qorSwapBuffer.
    static void showLoadingProgress(int32_t percent);

    int32_t clipCount = 0;    // as read from the file
    std::vector<Clip*> clips; // file order; live until replaced by setClips
    size_t nextClip = 0;      // the next clip to activate; only moves forward
    EffectList effects;       // filled by the registration step
    Compositor compositor;
};
