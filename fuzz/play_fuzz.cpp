// Plays random timelines through the real effects under an X display: the production's effects
// are loaded once from the generated data/ (in the source tree), then each input becomes up to
// eight clips of any of the 29 effects, on any layer, with keys of any property index and of
// values that include NaN, the infinities, huge, tiny and negative numbers, and a few frames are
// composed at times the input picks. A watchdog thread aborts (a finding, with the input saved)
// when one frame takes longer than kFrameLimitMs: a hang is as much a fault as a crash.
#include "engine/gl.h"
#include "engine/window.h"
#include "runtime/clip.h"
#include "runtime/music.h"
#include "production/registry.h"
#include "runtime/timeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <unistd.h>
#include <vector>

// Mesa and the X libraries keep allocations to the end of the process; leak reports here would
// be theirs (the readers' own leaks are caught by the targets without GL).
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace {

constexpr int kFrameLimitMs = 4000;
constexpr int kMaxClips = 8;
constexpr int kMaxKeys = 6;
constexpr int kFrames = 4;

// Bytes of the input, read front to back; zeros once they run out.
struct InputBytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint32_t u16() { return uint32_t(byte()) | uint32_t(byte()) << 8; }
    uint32_t u32() { return u16() | u16() << 16; }
    float value() {
        static const float kSpecial[] = {std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         1e9f,
                                         -1e9f,
                                         3e38f,
                                         -3e38f,
                                         1e-40f,
                                         0,
                                         1,
                                         -1,
                                         256,
                                         0.5f};
        uint8_t pick = byte();
        if (pick < sizeof kSpecial / sizeof kSpecial[0]) return kSpecial[pick];
        uint32_t bits = u32();
        float raw;
        memcpy(&raw, &bits, sizeof raw);
        return pick & 1 ? raw : float(int8_t(pick)) * 0.25f;
    }
};

Timeline* timeline = nullptr;
Clip* idleClips[LAYER_COUNT];
std::vector<Clip*> playing;

// Milliseconds on a monotonic clock at which the current frame began; 0 between frames.
std::atomic<int64_t> frameStartedMs{0};
std::atomic<uint32_t> frameTime{0};

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void watchFrames() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        int64_t started = frameStartedMs.load();
        if (started != 0 && nowMs() - started > kFrameLimitMs) {
            fprintf(stderr, "play_fuzz: the frame at %u ms took longer than %d ms\n",
                    frameTime.load(), kFrameLimitMs);
            abort();
        }
    }
}

void noLoadingScreen(int32_t) {}

Clip* makeClip(InputBytes& in) {
    Clip* clip = new Clip(timeline->effects[in.byte() % timeline->effects.size()]);
    clip->layer = in.byte() % LAYER_COUNT;
    clip->start = in.u16() * 4;
    clip->duration = in.byte() & 1 ? in.u32() : in.u16() * 4;
    clip->offset = in.byte() & 1 ? in.u32() : in.u16();
    int keys = in.byte() % (kMaxKeys + 1);
    for (int k = 0; k < keys; k++) {
        Key key{};
        key.time = in.u16() * 4;
        key.property = int8_t(in.byte()) % 12;
        key.value = in.value();
        key.ease = in.byte() & 1;
        clip->addKey(key);
    }
    return clip;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (chdir(LIRV_SOURCE_DIR) != 0) abort();
    qorCreateWindow("play_fuzz", 320, 240, false);
    timeline = new Timeline();
    timeline->load("data/time", registerEffects, noLoadingScreen);
    for (Clip*& idle : idleClips)
        idle = new Clip(timeline->effects[0]);
    for (int layer = 0; layer < LAYER_COUNT; layer++)
        idleClips[layer]->layer = uint32_t(layer);
    std::thread(watchFrames).detach();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputBytes in{data, size};
    // Empty every layer, then free the clips of the last input.
    for (Clip* idle : idleClips)
        timeline->compositor.activateClip(idle);
    for (Clip* clip : playing)
        delete clip;
    playing.clear();

    int clips = 1 + in.byte() % kMaxClips;
    for (int i = 0; i < clips; i++)
        playing.push_back(makeClip(in));
    std::stable_sort(playing.begin(), playing.end(),
                     [](const Clip* a, const Clip* b) { return a->start < b->start; });
    timeline->clips = playing;
    timeline->nextClip = 0;

    // Music of the input's own: one analysis block from its bytes.
    std::vector<uint8_t> audio(4 * FFT_SIZE);
    for (uint8_t& sample : audio)
        sample = in.byte();
    analyseAudio(0, audio.data(), int(audio.size()), nullptr);

    uint32_t t = 0;
    for (int frame = 0; frame < kFrames; frame++) {
        t += in.byte() & 1 ? in.u32() : in.u16() * 8;
        frameTime = t;
        frameStartedMs = nowMs();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        timeline->render(t);
        glFinish();
        frameStartedMs = 0;
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    return 0;
}
