#include "production/session.h"

#include "engine/gl.h"
#include "engine/load_stats.h"
#include "engine/window.h"
#include "runtime/music.h"

#include <SDL.h>
#include <algorithm>
#include <cassert>
#include <cstdio>
#include <vector>

namespace {

// The capture clock behind qorGetTicks; main thread only.
uint64_t captureClock = kCaptureStartTicks;

uint64_t readCaptureClock() {
    return captureClock;
}

void setCaptureClock(uint32_t t) {
    captureClock = kCaptureStartTicks + t;
}

// The virtual X servers of test machines now and then hang up a connection being opened.
void startVideoWithRetries() {
    for (int attempt = 0; attempt < 20; attempt++) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return;
        SDL_Delay(50);
    }
}

// The second clip due before t, if the first is due too (the final frame starts the first).
bool twoClipsDue(const Timeline& timeline, uint32_t t) {
    size_t next = timeline.nextClip;
    return next + 1 < timeline.clips.size() && timeline.clips[next + 1]->start < t;
}

// Whether a layer holds a clip whose span ends exactly at t: drawn at t - 1, not at t.
bool clipEndsAt(const Timeline& timeline, uint32_t t) {
    for (int layer = 0; layer < LAYER_COUNT; layer++) {
        const Clip* clip = timeline.compositor.layerClip(layer);
        if (clip && clip->start < t - 1 && clip->start + clip->duration == t) return true;
    }
    return false;
}

} // namespace

ProductionSession::ProductionSession(const SessionSettings& settings)
    : musicPath(settings.musicPath), programName(settings.programName) {
    musicDecoder = std::thread([this] {
        double cpuStart = qorThreadCpuMs();
        musicDecoded = decodeMusic(musicPath, music, musicProblem);
        musicCpuMs = qorThreadCpuMs() - cpuStart;
    });
    try {
        Timeline::prefetchPictures(); // decodes beside the window's creation
        startVideoWithRetries();
        openProductionWindow(settings.caption, settings.fullscreen, settings.windowWidth,
                             settings.windowHeight);
        if (settings.renderWidth != settings.windowWidth ||
            settings.renderHeight != settings.windowHeight)
            qorSetRenderSize(settings.renderWidth, settings.renderHeight);
        qorSetTickSource(readCaptureClock);
        player = std::make_unique<Timeline>();
        loadProduction(*player, settings.timelinePath.c_str());
    } catch (...) { // a model that cannot be loaded throws; the decoder must end first
        musicDecoder.join();
        throw;
    }
    resetAnalysis();
}

ProductionSession::ProductionSession(const std::string& timelinePath, const std::string& musicPath)
    : ProductionSession(SessionSettings{timelinePath, musicPath}) {}

ProductionSession::~ProductionSession() {
    if (musicDecoder.joinable()) musicDecoder.join();
}

// Joins the music's decoding once, reporting a music file that cannot be decoded.
void ProductionSession::awaitMusic() {
    if (!musicDecoder.joinable()) return;
    musicDecoder.join();
    if (!musicDecoded)
        fprintf(stderr, "%s: %s; the spectrum stays at 0\n", programName, musicProblem.c_str());
}

const DecodedMusic& ProductionSession::decodedMusic() {
    awaitMusic();
    return music;
}

void ProductionSession::feedSpectrum(uint32_t t) {
    awaitMusic();
    constexpr size_t kBlockBytes = FFT_SIZE * 2 * sizeof(int16_t);
    size_t due = size_t(uint64_t(t) * kAnalysisRate / 1000 / FFT_SIZE);
    static const std::vector<int16_t> silence(FFT_SIZE * 2, 0);
    for (; blocksFed < due; blocksFed++) {
        size_t first = blocksFed * FFT_SIZE * 2;
        // After the music ends, the mixer keeps feeding silence.
        const int16_t* block =
            first + FFT_SIZE * 2 <= music.samples.size() ? &music.samples[first] : silence.data();
        analyseAudio(MIX_CHANNEL_POST, const_cast<int16_t*>(block), int(kBlockBytes), nullptr);
    }
}

void ProductionSession::catchUp(uint32_t t, const std::function<void(uint32_t)>& afterFrame) {
    Timeline& timeline = *player;
    while (timeline.nextClip < timeline.clips.size() &&
           timeline.clips[timeline.nextClip]->start < t) {
        uint32_t at = std::min(t, std::max(lastTime, timeline.clips[timeline.nextClip]->start + 1));
        // The frame at t itself starts the last clip due when nothing earlier is left for it.
        if (at == t && !twoClipsDue(timeline, t)) break;
        draw(at);
        present();
        if (afterFrame) afterFrame(at);
    }
}

void ProductionSession::draw(uint32_t t) {
    feedSpectrum(t);
    captureClock = kCaptureStartTicks + t;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    player->render(t);
    lastTime = t;
}

void ProductionSession::renderFrame(uint32_t t) {
    catchUp(t);
    draw(t);
}

void ProductionSession::seek(uint32_t t) {
    rebuildActivation(*player, t, setCaptureClock);
    resetAnalysis();
    blocksFed = 0;
    // On a cut the outgoing clip is no longer drawn at t and the incoming one not yet, and a run
    // shows there what its previous frame left in the compositor: the outgoing clip's last
    // picture. The seek draws it first, at t - 1, without showing it.
    if (t > 0 && clipEndsAt(*player, t)) draw(t - 1);
    feedSpectrum(t);
    lastTime = t;
}

void ProductionSession::play(uint32_t t) {
    if (t < lastTime) seek(t);
    activateClipsBefore(*player, t, setCaptureClock);
    draw(t);
}

void ProductionSession::present() {
    qorSwapBuffer();
}
