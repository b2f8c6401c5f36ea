// Playback of the production at chosen times: the demo's start-up (window, registry, timeline,
// every effect's load with the loading screen), then frames rendered at chosen timeline times
// with the engine clock and the music spectrum following those times instead of the wall clock.
// lirv-capture, lirv-preview and the frame benchmark all play the production through it.
#pragma once

#include "production/music_decode.h"
#include "production/production.h"
#include "runtime/timeline.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// The engine clock's reading when the music would start: the demo's T0. Fixed, so that scenes
// reading the clock directly draw the same picture in every capture.
constexpr uint64_t kCaptureStartTicks = 5000;

struct SessionSettings {
    std::string timelinePath = "data/time";
    std::string musicPath = "data/morvane-quelfin.ogg";
    const char* caption = "vsq-14: lirv capture";
    const char* programName = "lirv-capture"; // starts the warnings it prints
    bool fullscreen = false;
    // The size the production renders at, in the window's lower-left corner, no larger than the
    // window. The window is kScreenWidth x kScreenHeight unless a full-screen player asks for
    // the screen's size.
    int renderWidth = kScreenWidth;
    int renderHeight = kScreenHeight;
    int windowWidth = kScreenWidth;
    int windowHeight = kScreenHeight;
};

class ProductionSession {
  public:
    // Opens the window (retrying while the X server refuses the connection), installs the
    // session clock and loads the timeline as the demo does: exits with status 1 on the demo's
    // start-up failures. A music file that cannot be decoded gives a warning and a silent
    // spectrum, as the demo plays silently without it.
    explicit ProductionSession(const SessionSettings& settings);
    ProductionSession(const std::string& timelinePath, const std::string& musicPath);
    ProductionSession(const ProductionSession&) = delete;
    ProductionSession& operator=(const ProductionSession&) = delete;
    ~ProductionSession();

    // Renders, without reading them back, the extra frames that start every clip due before t:
    // the timeline starts at most one clip per frame, and a capture skips time between frames.
    // Each extra frame lies at its clip's start + 1 ms (never before the previous frame); a
    // clip due at t itself is left to the frame at t. afterFrame, when given, is called with
    // each extra frame's time once it is shown.
    void catchUp(uint32_t t, const std::function<void(uint32_t)>& afterFrame = {});
    // Renders the frame at t into the window's back buffer: spectrum fed up to t, clock at
    // kCaptureStartTicks + t, window cleared, timeline rendered. Does not swap. Times must not
    // go back between frames without a seek.
    void draw(uint32_t t);
    // catchUp then draw.
    void renderFrame(uint32_t t);
    // Jumps to t: the clips activated as a straight run would have them (rebuildActivation) and
    // the spectrum analysed afresh from the decoded music up to t. On a cut (a clip's span ends
    // at t) it draws the frame at t - 1 without showing it, so that the compositor holds the
    // outgoing picture a run shows at t. The next draw may be at t or later.
    void seek(uint32_t t);
    // Renders the frame at t as a capture would, without drawing catch-up frames: seeks first
    // when t lies before the last frame drawn, then activates every clip due before t
    // (activateClipsBefore) and draws. For players that follow a clock.
    void play(uint32_t t);
    // Shows the back buffer and handles window events (qorSwapBuffer).
    void present();

    Timeline& timeline() { return *player; }
    // The decoded music (empty when it could not be decoded); waits for the decoding.
    const DecodedMusic& decodedMusic();
    uint32_t lastRenderedTime() const { return lastTime; }
    // CPU time the music's decoding took on its own thread; valid once a frame is drawn.
    double musicDecodeCpuMs() const { return musicCpuMs; }

  private:
    void feedSpectrum(uint32_t t);
    void awaitMusic();

    std::unique_ptr<Timeline> player;
    DecodedMusic music;       // written by musicDecoder until awaitMusic has joined it
    std::thread musicDecoder; // decodes while the window opens and the effects load
    std::string musicPath, musicProblem;
    const char* programName;
    bool musicDecoded = false;
    double musicCpuMs = 0;
    size_t blocksFed = 0;
    uint32_t lastTime = 0;
};
