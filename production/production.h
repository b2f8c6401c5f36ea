// The production as every program builds it: its size and running time, its window, the
// timeline loaded with the registry's effects, and the activation state a seek rebuilds.
#pragma once

#include "runtime/timeline.h"

#include <cstdint>

constexpr uint32_t kRunTimeMs = 139000; // the demo stops here
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// Opens the production's window, kScreenWidth x kScreenHeight unless a player that shows the
// picture enlarged asks for another size; fatal on failure.
void openProductionWindow(const char* caption, bool fullscreen, int width = kScreenWidth,
                          int height = kScreenHeight);

// Fills the timeline's effect list from the registry, reads the timeline file and loads every
// effect with the loading screen. Returns only on success; prints the problem and exits with
// status 1 otherwise (Timeline::load).
void loadProduction(Timeline& timeline, const char* timelinePath,
                    Timeline::LoadingScreen showLoading = Timeline::showLoadingProgress);

// Called with the timeline time of the frame that activates a clip, right before it does.
using ActivationClock = void (*)(uint32_t t);

// Activates, in file order, every clip from the next one on that starts before t, as the frames
// of a straight run would have by the frame at t; setClock (may be null) is told each
// activation's time first: the clip's start + 1 ms, but never after t.
void activateClipsBefore(Timeline& timeline, uint32_t t, ActivationClock setClock);

// Puts the timeline in the state a straight run has reached when it draws its frame at t: every
// layer emptied, then every clip that starts before t activated in file order, so that each
// effect's start runs exactly as often and in the same order as in a straight run. Each
// activation happens at the time a capture's catch-up frame would (activateClipsBefore).
void rebuildActivation(Timeline& timeline, uint32_t t, ActivationClock setClock);
