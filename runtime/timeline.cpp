#include "runtime/timeline.h"

#include "engine/texture.h"
#include "engine/window.h"
#include "runtime/data_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// Decoded pictures uploaded after each frame: a 1024 x 768 picture takes about two
// milliseconds, a frame tens of them.
constexpr int kPictureUploadsPerFrame = 2;
// How far ahead of a clip's start its effect's pictures are uploaded, in ms of production time.
constexpr uint32_t kPictureUploadLookahead = 10000;

// Reads a whole file; false when it cannot be opened or read.
bool readFile(const char* path, std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    bytes.clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    bool failed = ferror(file) != 0;
    fclose(file);
    return !failed;
}

// The pictures the production's effects load besides the models' maps: overlays, scene
// pictures, the Train slides and the greeting cards.
std::vector<std::string> effectPictures() {
    std::vector<std::string> paths;
    for (const char* path : datafiles::kOverlayPictures)
        paths.push_back(path);
    for (const char* path : datafiles::kScenePictures)
        paths.push_back(path);
    for (int slide = 1; slide <= datafiles::kTrainSlideCount; slide++) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kTrainSlideFormat, slide);
        paths.push_back(path);
    }
    for (const char* path : datafiles::kGreetings)
        paths.push_back(path);
    return paths;
}

// The textures each effect's load asked for (by effect index), ordered by the first clip of
// each effect in file order; effects without a clip come last, so that their pictures are
// still decoded and checked.
std::vector<EffectPictures> picturesByFirstUse(const EffectList& effects,
                                               const std::vector<Clip*>& clips,
                                               std::vector<std::vector<GLuint>>& asked) {
    std::vector<EffectPictures> ordered;
    auto add = [&](Effect* effect, uint32_t start) {
        for (size_t i = 0; i < effects.size(); i++)
            if (effects[i] == effect && !asked[i].empty()) {
                ordered.push_back({effect, std::move(asked[i]), start});
                asked[i].clear();
            }
    };
    uint32_t lastStart = 0;
    for (Clip* clip : clips) {
        add(clip->effect, clip->start);
        lastStart = std::max(lastStart, clip->start);
    }
    for (Effect* effect : effects)
        add(effect, lastStart);
    return ordered;
}

} // namespace

Timeline::Timeline() = default;

void Timeline::load(const char* path, EffectRegistration registration, LoadingScreen showLoading) {
    registration(effects);

    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes)) {
        const int error = errno;
        printf("Could not find data files...\n");
        printf("Timeline file '%s' could not be read: %s\n", path, strerror(error));
        exit(1);
    }
    TimelineFileData file;
    std::string problem;
    if (!parseTimeline(bytes.data(), bytes.size(), uint32_t(effects.size()), file, problem)) {
        printf("Bad timeline file %s: %s\n", path, problem.c_str());
        exit(1);
    }

    setClips(file);

    // The models' maps decode on worker threads while the effects load, and upload on this
    // thread when the loads ask for them: models are shared between the effects of a class,
    // whose later loads do not ask for the maps again. The other pictures get their textures
    // at once and decode later: the compositor completes an effect's pictures before it first
    // draws, and uploads decoded ones between frames.
    std::vector<std::string> mapPaths(std::begin(datafiles::kModelTextures),
                                      std::end(datafiles::kModelTextures));
    qorPrefetchPictures(mapPaths);
    qorDeferPictures(effectPictures());
    qorTakeLoadedTextures(); // names asked for before this load
    std::vector<std::vector<GLuint>> asked(effects.size());
    for (size_t i = 0; i < effects.size(); i++) {
        if (!effects[i]->load()) {
            printf("Failed to load effect %s, aborting...\n", effects[i]->name());
            exit(1);
        }
        asked[i] = qorTakeLoadedTextures();
        showLoading(int32_t(double(i) * 100.0 / double(effects.size())));
    }
    compositor.holdPictures(picturesByFirstUse(effects, clips, asked));
    // Pending textures already have their pictures' format, sampling and power-of-two sides:
    // the warm-up builds the same shader variants with them.
    compositor.warmUp(clips);
}

void Timeline::setClips(const TimelineFileData& file) {
    rewind();
    for (Clip* clip : clips)
        delete clip;
    clips.clear();
    clipCount = file.clipCount;
    for (const TimelineClipData& data : file.clips) {
        Clip* clip = new Clip(effects[data.record.effect]);
        clip->start = data.record.start;
        clip->duration = data.record.duration;
        clip->layer = data.record.layer;
        clip->offset = data.record.offset;
        clips.push_back(clip);
        // One stable sort instead of a re-sort per key: the same order (by time, ties in file
        // order) without time quadratic in a key count that the file sets.
        clip->keys = data.keys;
        std::stable_sort(clip->keys.begin(), clip->keys.end(),
                         [](const Key& a, const Key& b) { return a.time < b.time; });
    }
}

void Timeline::rewind() {
    compositor.clearLayers();
    nextClip = 0;
}

void Timeline::render(uint32_t t) {
    if (nextClip < clips.size() && clips[nextClip]->start < t) {
        compositor.activateClip(clips[nextClip]);
        nextClip++;
    }
    compositor.compose(t);
    compositor.uploadDecodedPictures(kPictureUploadsPerFrame, t, kPictureUploadLookahead);
}

void Timeline::releaseClipList() {
    std::vector<Clip*>().swap(clips);
    nextClip = 0;
}

void Timeline::showLoadingProgress(int32_t percent) {
    drawLoadingProgress(percent);
    qorSwapBuffer();
}
