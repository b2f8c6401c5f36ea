#include "runtime/timeline.h"

#include "engine/texture.h"
#include "engine/window.h"
#include "runtime/data_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

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

// Every picture the production's effects load, roughly in the order the registry's loads ask
// for them (the greetings, the models' maps, the scene pictures and the slides, then the
// overlays, which load last), so that the loads seldom wait for the decoding threads.
std::vector<std::string> productionPictures() {
    std::vector<std::string> paths;
    for (const char* path : datafiles::kGreetings)
        paths.push_back(path);
    for (const char* path : datafiles::kModelTextures)
        paths.push_back(path);
    for (const char* path : datafiles::kScenePictures)
        paths.push_back(path);
    for (int slide = 1; slide <= datafiles::kTrainSlideCount; slide++) {
        char path[64];
        snprintf(path, sizeof path, datafiles::kTrainSlideFormat, slide);
        paths.push_back(path);
    }
    for (const char* path : datafiles::kOverlayPictures)
        paths.push_back(path);
    return paths;
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

    // Every picture decodes on worker threads while the effects load; each load uploads its
    // pictures on this thread as it asks for them, and sees a picture that cannot be decoded
    // as the failure it is, before any frame.
    prefetchPictures();
    for (size_t i = 0; i < effects.size(); i++) {
        if (!effects[i]->load()) {
            printf("Failed to load effect %s, aborting...\n", effects[i]->name());
            exit(1);
        }
        showLoading(int32_t(double(i) * 100.0 / double(effects.size())));
    }
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
}

void Timeline::releaseClipList() {
    std::vector<Clip*>().swap(clips);
    nextClip = 0;
}

void Timeline::prefetchPictures() {
    qorPrefetchPictures(productionPictures());
}

void Timeline::showLoadingProgress(int32_t percent) {
    drawLoadingProgress(percent);
    qorSwapBuffer();
}
