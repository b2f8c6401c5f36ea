#include "tools/capture/session.h"

#include "engine/gl.h"
#include "engine/load_stats.h"
#include "engine/window.h"
#include "runtime/music.h"
#include "tools/capture/options.h"

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

// Copies bottom-up rows into the picture top row first.
void copyFlipped(const uint8_t* rows, Picture& frame) {
    size_t rowBytes = size_t(frame.width) * 3;
    for (int y = 0; y < frame.height; y++)
        std::copy_n(rows + size_t(frame.height - 1 - y) * rowBytes, rowBytes,
                    &frame.pixels[size_t(y) * rowBytes]);
}

void sizeFrame(Picture& frame) {
    frame.width = qorGetScreenWidth();
    frame.height = qorGetScreenHeight();
    frame.channels = 3;
    frame.pixels.resize(size_t(frame.width) * size_t(frame.height) * 3);
}

} // namespace

CaptureSession::CaptureSession(const std::string& timelinePath, const std::string& musicPath)
    : musicPath(musicPath) {
    musicDecoder = std::thread([this] {
        double cpuStart = qorThreadCpuMs();
        musicDecoded = decodeMusic(this->musicPath, music, musicProblem);
        musicCpuMs = qorThreadCpuMs() - cpuStart;
    });
    try {
        startVideoWithRetries();
        qorCreateWindow("vsq-14: lirv capture", kCaptureWidth, kCaptureHeight, false);
        qorSetTickSource(readCaptureClock);
        player = std::make_unique<Timeline>();
        player->load(timelinePath.c_str(), registerEffects);
    } catch (...) { // a model that cannot be loaded throws; the decoder must end first
        musicDecoder.join();
        throw;
    }
    resetAnalysis();
}

// Joins the music's decoding once, reporting a music file that cannot be decoded.
void CaptureSession::awaitMusic() {
    if (!musicDecoder.joinable()) return;
    musicDecoder.join();
    if (!musicDecoded)
        fprintf(stderr, "lirv-capture: %s; the spectrum stays at 0\n", musicProblem.c_str());
}

void CaptureSession::feedSpectrum(uint32_t t) {
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

void CaptureSession::catchUp(uint32_t t, const std::function<void(uint32_t)>& afterFrame) {
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

void CaptureSession::draw(uint32_t t) {
    feedSpectrum(t);
    captureClock = kCaptureStartTicks + t;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    player->render(t);
    lastTime = t;
}

void CaptureSession::renderFrame(uint32_t t) {
    catchUp(t);
    draw(t);
}

void CaptureSession::readFrame(Picture& frame) const {
    sizeFrame(frame);
    std::vector<uint8_t>& rows = readRows;
    rows.resize(frame.pixels.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    copyFlipped(rows.data(), frame);
}

CaptureSession::~CaptureSession() {
    if (musicDecoder.joinable()) musicDecoder.join();
    if (pixelBuffers[0] != 0) glDeleteBuffers(2, pixelBuffers);
}

void CaptureSession::requestFrame() {
    assert(framesRequested - framesFetched < 2);
    size_t bytes = size_t(qorGetScreenWidth()) * size_t(qorGetScreenHeight()) * 3;
    if (pixelBuffers[0] == 0) {
        glGenBuffers(2, pixelBuffers);
        for (GLuint buffer : pixelBuffers) {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ);
        }
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers[framesRequested % 2]);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, qorGetScreenWidth(), qorGetScreenHeight(), GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    framesRequested++;
}

bool CaptureSession::fetchFrame(Picture& frame) {
    if (framesFetched == framesRequested) return false;
    sizeFrame(frame);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers[framesFetched % 2]);
    const void* rows = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (rows) {
        copyFlipped(static_cast<const uint8_t*>(rows), frame);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    } else {
        std::fill(frame.pixels.begin(), frame.pixels.end(), uint8_t(0));
        fprintf(stderr, "lirv-capture: the frame read back could not be mapped\n");
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    framesFetched++;
    return true;
}

void CaptureSession::present() {
    qorSwapBuffer();
}
