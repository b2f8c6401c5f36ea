// lirv-preview's window: the production played at a time the keys and the mouse move, with
// the HUD, the timeline strip, the key view and the curve view drawn over it, and the timeline
// text and shaders reloaded as they change. The editing and the mouse live in preview_edit.cpp.
#pragma once

#include "production/session.h"
#include "runtime/music.h"
#include "tools/preview/editor.h"
#include "tools/preview/frame_hold.h"
#include "tools/preview/hud.h"
#include "tools/preview/input.h"
#include "tools/preview/preview_options.h"
#include "tools/preview/reload.h"
#include "tools/preview/strip.h"

#include <map>
#include <memory>
#include <string>

class Preview {
  public:
    explicit Preview(const PreviewOptions& options);
    // Opens the window and plays until asked to quit; returns the exit status.
    int run();

  private:
    void start();
    void jump(uint32_t t);
    void setPlaying(bool play);
    void applyKeys();
    void applyEdits(const KeyRequests& asked);
    void applyPointer();
    void press(const PointerEvent& event);
    void move(const PointerEvent& event);
    void release(const PointerEvent& event);
    uint32_t stripTime(const PointerEvent& event) const;
    void edited(bool changed, const std::string& message);
    bool mayQuit();
    void advanceClock();
    void checkSources(bool force);
    void timelineChanged(bool force);
    void report(const std::string& source, const std::string& problem);
    void note(const std::string& message);
    void renderFrame(bool productionChanged);
    std::vector<HudLine> hudLines() const;
    void drawTools(int windowWidth, int windowHeight);
    void saveScreenshot();

    PreviewOptions options;
    SessionSettings settings;
    std::unique_ptr<ProductionSession> session;
    Mix_Music* music = nullptr;
    GlyphFont hudFont, smallFont;
    FrameHold frame;
    FileWatch watch;
    TimelineDocument document;
    std::unique_ptr<Editor> editor;
    Loudness loudness;
    StripSpan stripSpan;
    StripPainter stripPainter;
    uint64_t revision = 0; // counts every change of the clips and keys, for the strip's cache
    std::string shaderFolder;

    uint32_t time = 0;
    bool playing = true;
    bool looping = false, loopSet = false;
    uint32_t loopStart = 0, loopEnd = 0;
    bool showHud = true, showStrip = true, showKeys = true, showCurve = true;
    uint32_t wallAnchor = 0, timeAnchor = 0; // SDL ticks and timeline time when play resumed
    uint32_t lastWatch = 0;
    double frameMs = 0;
    int shotCount = 0;
    bool dirty = true; // the production's picture must be drawn again
    void startScrub(const PointerEvent& event);

    // A press on a clip selects it and becomes a scrub only once the pointer moves.
    enum class Drag { None, OnClip, Scrub, Curve } drag = Drag::None;
    float pressX = 0;
    bool playingBeforeDrag = false, draggedKey = false;
    bool quitAsked = false;                      // Escape pressed once over unsaved edits
    std::string lastNote;                        // the latest edit message, shown on the HUD
    uint32_t noteUntil = 0;                      // SDL ticks
    std::map<std::string, std::string> problems; // by source file, shown until fixed
};
