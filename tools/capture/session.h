// Offline playback of the production: the demo's start-up (window, registry, timeline, every
// effect's load with the loading screen), then frames rendered at chosen timeline times with
// the engine clock and the music spectrum following those times instead of the wall clock.
#pragma once

#include "runtime/timeline.h"
#include "tools/capture/music_decode.h"
#include "tools/pictures/picture_io.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The engine clock's reading when the music would start: the demo's T0. Fixed, so that scenes
// reading the clock directly draw the same picture in every capture.
constexpr uint64_t kCaptureStartTicks = 5000;

class CaptureSession {
  public:
    // Opens a 1024 x 768 window (retrying while the X server refuses the connection), installs
    // the capture clock and loads the timeline as the demo does: exits with status 1 on the
    // demo's start-up failures. A music file that cannot be decoded gives a warning and a
    // silent spectrum, as the demo plays silently without it.
    CaptureSession(const std::string& timelinePath, const std::string& musicPath);
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;
    ~CaptureSession();

    // Renders, without reading them back, the extra frames that start every clip due before t:
    // the timeline starts at most one clip per frame, and a capture skips time between frames.
    // Each extra frame lies at its clip's start + 1 ms (never before the previous frame); a
    // clip due at t itself is left to the frame at t. afterFrame, when given, is called with
    // each extra frame's time once it is shown.
    void catchUp(uint32_t t, const std::function<void(uint32_t)>& afterFrame = {});
    // Renders the frame at t into the window's back buffer: spectrum fed up to t, clock at
    // kCaptureStartTicks + t, window cleared, timeline rendered. Does not swap.
    void draw(uint32_t t);
    // catchUp then draw.
    void renderFrame(uint32_t t);
    // Reads the back buffer into an RGB picture, top row first.
    void readFrame(Picture& frame) const;
    // Starts reading the back buffer into one of two pixel buffer objects, without waiting for
    // it; fetchFrame hands it over. At most two frames may be pending.
    void requestFrame();
    // Copies the oldest requested frame into an RGB picture, top row first; false when none
    // is pending.
    bool fetchFrame(Picture& frame);
    // Shows the back buffer and handles window events (qorSwapBuffer).
    void present();

    Timeline& timeline() { return *player; }
    // CPU time the music's decoding took on its own thread; valid once a frame is drawn.
    double musicDecodeCpuMs() const { return musicCpuMs; }
    uint32_t lastRenderedTime() const { return lastTime; }

  private:
    void feedSpectrum(uint32_t t);
    void awaitMusic();

    std::unique_ptr<Timeline> player;
    DecodedMusic music;       // written by musicDecoder until awaitMusic has joined it
    std::thread musicDecoder; // decodes while the window opens and the effects load
    std::string musicPath, musicProblem;
    bool musicDecoded = false;
    double musicCpuMs = 0;
    mutable std::vector<uint8_t> readRows; // glReadPixels' bottom-up rows, reused per frame
    unsigned pixelBuffers[2] = {};         // GL names; frames requested and not yet fetched
    size_t framesRequested = 0, framesFetched = 0;
    size_t blocksFed = 0;
    uint32_t lastTime = 0;
};
