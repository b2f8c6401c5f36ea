#include "tools/preview/preview.h"

#include "engine/window.h"
#include "production/time_text.h"
#include "tools/capture/frame_read.h"

#include <SDL.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr double kBeatMs = 60000.0 / kProductionTempo.beatsPerMinute;
constexpr int kFramesPerSecondStep = 30; // the step of , and .
constexpr uint32_t kWatchIntervalMs = 100;
constexpr uint32_t kNoteMs = 5000;
constexpr int kHudPixels = 14, kSmallPixels = 11;
const int kHudBins[] = {1,  2,  10, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
                        41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54,
                        55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 100};

// A time moved by whole beats on the beat grid: forward to the next grid line after t, back to
// the last one before it, then further steps; kept inside the production.
uint32_t stepBeats(uint32_t t, int beats, int gridBeats) {
    double grid = kBeatMs * gridBeats;
    double position = double(t) / grid;
    double line = beats > 0 ? std::floor(position + 1e-6) : std::ceil(position - 1e-6);
    double steps = double(beats) / gridBeats;
    double target = std::floor((line + steps) * grid + 0.5);
    return uint32_t(std::clamp(target, 0.0, double(kRunTimeMs - 1)));
}

uint32_t stepFrames(uint32_t t, int frames) {
    double frame = std::floor(double(t) * kFramesPerSecondStep / 1000.0 + 0.5) + frames;
    double target = std::floor(frame * 1000.0 / kFramesPerSecondStep + 0.5);
    return uint32_t(std::clamp(target, 0.0, double(kRunTimeMs - 1)));
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string formatMs(double ms) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", ms);
    return text;
}

// The picture's render size: the production's size times the scale, made smaller when the
// window (the screen, in full screen) cannot hold it, keeping 4:3.
void chooseSizes(const PreviewOptions& options, SessionSettings& settings) {
    if (options.fullscreen && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        const SDL_VideoInfo* screen = SDL_GetVideoInfo();
        if (screen && screen->current_w > 0 && screen->current_h > 0)
            settings.windowWidth = screen->current_w, settings.windowHeight = screen->current_h;
    }
    double scale = std::min({options.scale, double(settings.windowWidth) / kScreenWidth,
                             double(settings.windowHeight) / kScreenHeight});
    settings.renderWidth = std::max(1, int(std::lround(kScreenWidth * scale)));
    settings.renderHeight = std::max(1, int(std::lround(kScreenHeight * scale)));
}

// Writes the picture as a PNG whole or not at all, and reads it back to check it.
bool writeScreenshot(const std::string& path, const Picture& picture, std::string& problem) {
    auto fill = [&picture](const std::string& temporary, std::string& reason) {
        errno = 0;
        Picture back;
        if (!writePng(temporary, picture)) {
            reason = errno ? strerror(errno) : "the PNG could not be written";
            return false;
        }
        if (!readPng(temporary, back, reason) || back.width != picture.width ||
            back.height != picture.height) {
            reason = "the PNG does not read back (" + reason + ")";
            return false;
        }
        return true;
    };
    return replaceFile(path, fill, problem);
}

} // namespace

Preview::Preview(const PreviewOptions& chosen) : options(chosen) {
    settings.caption = "vsq-14: lirv preview";
    settings.programName = "lirv-preview";
    settings.fullscreen = options.fullscreen;
    chooseSizes(options, settings);
    shaderFolder = options.shaderFolder;
    while (shaderFolder.size() > 1 && shaderFolder.back() == '/')
        shaderFolder.pop_back();
    looping = options.loop;
    loopSet = options.loop;
    loopStart = options.fromMs;
    loopEnd = options.toMs;
    showHud = options.hud;
    showStrip = options.hud && !options.fullscreen;
    stripSpan.last = kRunTimeMs;
}

void Preview::setPlaying(bool play) {
    playing = play;
    wallAnchor = SDL_GetTicks();
    timeAnchor = time;
    if (!music) return;
    if (play && Mix_PlayMusic(music, 1) == 0)
        Mix_SetMusicPosition(double(time) / 1000.0);
    else
        Mix_HaltMusic();
}

void Preview::jump(uint32_t t) {
    time = std::min(t, kRunTimeMs - 1);
    session->seek(time);
    setPlaying(playing);
    dirty = true;
}

void Preview::applyKeys() {
    KeyRequests asked = takeKeyRequests();
    if (asked.seekHome) jump(0);
    if (asked.seekEnd) jump(kRunTimeMs - 1);
    if (asked.beatSteps) {
        int grid = std::abs(asked.beatSteps) % kProductionTempo.beatsPerBar == 0
                       ? kProductionTempo.beatsPerBar
                       : 1;
        jump(stepBeats(time, asked.beatSteps, grid));
    }
    if (asked.frameSteps && !playing) jump(stepFrames(time, asked.frameSteps));
    if (asked.togglePause) setPlaying(!playing), dirty = true;
    if (asked.markLoopStart) loopStart = time, loopSet = true;
    if (asked.markLoopEnd) loopEnd = time, loopSet = true;
    if (asked.markLoopStart || asked.markLoopEnd) looping = looping && loopStart < loopEnd;
    if (asked.toggleLoop) looping = !looping && loopStart < loopEnd;
    if (asked.toggleHud) showHud = !showHud;
    if (asked.toggleStrip) showStrip = !showStrip;
    if (asked.toggleKeys) showKeys = !showKeys;
    if (asked.toggleCurve) showCurve = !showCurve;
    if (asked.reload) checkSources(true);
    applyEdits(asked);
    if (asked.screenshot) saveScreenshot();
}

// Follows the wall clock while playing; wraps at the loop's end, stops at the range's end.
void Preview::advanceClock() {
    if (!playing) return;
    uint32_t t = timeAnchor + (SDL_GetTicks() - wallAnchor);
    uint32_t end = looping ? loopEnd : options.toMs;
    if (t >= end) {
        if (looping) {
            jump(loopStart);
            return;
        }
        time = end > 0 ? end - 1 : 0;
        setPlaying(false);
    } else {
        time = t;
    }
    dirty = true;
}

void Preview::report(const std::string& source, const std::string& problem) {
    if (problem.empty()) {
        if (problems.erase(source)) printf("lirv-preview: %s is fine again\n", source.c_str());
        return;
    }
    problems[source] = problem;
    fprintf(stderr, "%s\n", problem.c_str());
}

void Preview::note(const std::string& message) {
    printf("lirv-preview: %s\n", message.c_str());
    lastNote = message;
    noteUntil = SDL_GetTicks() + kNoteMs;
}

void Preview::checkSources(bool force) {
    uint32_t now = SDL_GetTicks();
    if (!force && now - lastWatch < kWatchIntervalMs) return;
    lastWatch = now;
    struct stat info;
    if (problems.count(shaderFolder) && stat(shaderFolder.c_str(), &info) == 0 &&
        S_ISDIR(info.st_mode))
        report(shaderFolder, "");
    bool timelineChanged = force;
    for (const std::string& path : watch.changed()) {
        if (path == options.timelineText) {
            timelineChanged = true;
            continue;
        }
        // Only shader sources: editors' swap and backup files come and go beside them.
        if (!endsWith(path, ".frag") && !endsWith(path, ".vert")) continue;
        std::string problem;
        int relinked = reloadShader(path, shaderFolder, problem);
        report(path, problem);
        if (relinked > 0)
            printf("lirv-preview: relinked %d program(s) from %s\n", relinked, path.c_str());
        dirty = true;
    }
    if (timelineChanged) this->timelineChanged(force);
}

// The timeline text changed on disk (or R asked for it): adopted when it compiles to clips,
// unless it would drop unsaved edits without being asked to.
void Preview::timelineChanged(bool force) {
    const std::string& path = options.timelineText;
    std::string text, reason, problem;
    if (!readTextFile(path, text, reason)) {
        report(path, path + ": cannot read (" + reason + ")");
        return;
    }
    if (!force && document.loaded() && text == document.savedText()) return;
    if (!force && document.dirty()) {
        report(path, path + ": another program changed it while " +
                         std::to_string(document.editCount()) +
                         " edit(s) here are unsaved; they stay on screen and Ctrl+S will not "
                         "write over the file (R loads it and drops them)");
        return;
    }
    bool wasDirty = document.dirty();
    if (adoptTimelineText(path, text, document, session->timeline(), problem)) {
        editor->clipsReplaced();
        revision++;
        session->seek(time);
        if (wasDirty) printf("lirv-preview: dropped the unsaved edits\n");
        printf("lirv-preview: reloaded %s at %s\n", path.c_str(), formatClockTime(time).c_str());
        dirty = true;
    }
    report(path, problem);
}

std::vector<HudLine> Preview::hudLines() const {
    std::vector<HudLine> lines;
    std::string status = playing ? "playing" : "paused";
    std::string loop = loopSet ? "loop " + formatClockTime(loopStart) + " - " +
                                     formatClockTime(loopEnd) + (looping ? " on" : " off")
                               : "loop off";
    lines.push_back({formatClockTime(time) + "  bar " + formatBarBeat(time, kProductionTempo) +
                     "  " + status + "  " + loop});
    std::string fps = frameMs > 0 ? formatMs(1000.0 / frameMs) : "-";
    lines.push_back({"frame " + formatMs(frameMs) + " ms  " + fps + " fps  render " +
                     std::to_string(settings.renderWidth) + "x" +
                     std::to_string(settings.renderHeight)});
    Timeline& timeline = session->timeline();
    for (int layer = 0; layer < LAYER_COUNT; layer++) {
        Clip* clip = timeline.compositor.layerClip(layer);
        std::string text = "layer " + std::to_string(layer) + "  ";
        if (clip && time < clip->start + clip->duration)
            text += std::string(clip->effect->name()) + "  " +
                    formatClockTime(clip->offset + time - clip->start);
        else
            text += "-";
        lines.push_back({text, 0.75f, 0.85f, 1.0f});
    }
    if (document.dirty())
        lines.push_back({std::to_string(document.editCount()) + " unsaved edit(s) to " +
                             document.path() + ": Ctrl+S saves",
                         1.0f, 0.85f, 0.4f});
    if (SDL_GetTicks() < noteUntil) lines.push_back({lastNote, 0.55f, 0.9f, 1.0f});
    for (const auto& [source, problem] : problems) {
        size_t start = 0;
        while (start < problem.size() && lines.size() < 24) {
            size_t end = problem.find('\n', start);
            if (end == std::string::npos) end = problem.size();
            lines.push_back({problem.substr(start, end - start), 1.0f, 0.4f, 0.35f});
            start = end + 1;
        }
    }
    lines.push_back({"spectrum bins 1, 2, 10, 30-65, 100", 0.6f, 0.6f, 0.6f});
    return lines;
}

void Preview::drawTools(int windowWidth, int windowHeight) {
    StripLayout layout(windowWidth, windowHeight, stripSpan);
    bool editing = editor->selectedClip() >= 0 && (showKeys || showCurve);
    if (showStrip || editing) {
        paint::begin(windowWidth, windowHeight);
        if (showStrip) {
            const TimelineClipData* selected = editor->clipData();
            StripState state;
            state.playhead = time;
            state.loopSet = loopSet, state.looping = looping;
            state.loopStart = loopStart, state.loopEnd = loopEnd;
            state.selectedClip = editor->selectedClip();
            state.selectedProperty = editor->selectedProperty();
            state.selectedKeys = selected ? &selected->keys : nullptr;
            state.sections = &document.sections();
            state.tempo = kProductionTempo;
            stripPainter.draw(smallFont, layout, session->timeline(), loudness, state, revision);
        }
        float stripTop = showStrip ? layout.top : float(windowHeight);
        editor->draw(hudFont, windowWidth, stripTop, time, showKeys, showCurve);
        paint::end();
    }
    if (showHud) {
        std::vector<HudBar> bars;
        for (int bin : kHudBins)
            bars.push_back({bin, spectrumLevel(bin)});
        drawHud(hudFont, hudLines(), bars, windowWidth, windowHeight);
    }
}

void Preview::renderFrame(bool productionChanged) {
    int windowWidth = qorGetWindowWidth(), windowHeight = qorGetWindowHeight();
    if (productionChanged) {
        session->play(time);
        frame.capture(settings.renderWidth, settings.renderHeight);
    }
    frame.show(windowWidth, windowHeight);
    if (playing && drag == Drag::None) stripSpan.follow(time, kRunTimeMs);
    drawTools(windowWidth, windowHeight);
}

void Preview::saveScreenshot() {
    const std::string& folder = options.shotFolder;
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "lirv-preview: %s: cannot make the screenshot folder (%s)\n",
                folder.c_str(), strerror(errno));
        return;
    }
    char name[64];
    snprintf(name, sizeof name, "/preview-%03d.png", ++shotCount);
    std::string path = folder + name, problem;
    bool changed = dirty; // a seek asked for in the same moment shows first
    dirty = false;
    renderFrame(changed);
    Picture picture;
    readBackBuffer(qorGetWindowWidth(), qorGetWindowHeight(), picture);
    if (writeScreenshot(path, picture, problem))
        printf("lirv-preview: screenshot %s at %s\n", path.c_str(), formatClockTime(time).c_str());
    else
        fprintf(stderr, "lirv-preview: screenshot %s\n", problem.c_str());
}

void Preview::start() {
    session = std::make_unique<ProductionSession>(settings);
    editor = std::make_unique<Editor>(document, session->timeline());
    std::string problem;
    if (!hudFont.open(kHudPixels, problem) || !smallFont.open(kSmallPixels, problem))
        fprintf(stderr, "lirv-preview: %s; the HUD and the strip show no text\n", problem.c_str());
    // The music plays through the mixer; the spectrum comes from the decoded music instead, on
    // this thread, so the analysis must not also run on the audio thread.
    music = loadMusic(settings.musicPath.c_str());
    Mix_UnregisterEffect(MIX_CHANNEL_POST, analyseAudio);
    if (!music)
        fprintf(stderr, "lirv-preview: %s: cannot be played; the preview is silent\n",
                settings.musicPath.c_str());
    loudness.measure(session->decodedMusic());

    watch.add(options.timelineText);
    struct stat info;
    std::string folderProblem;
    if (stat(shaderFolder.c_str(), &info) != 0)
        folderProblem = errno == ENOENT ? "no such folder" : strerror(errno);
    else if (!S_ISDIR(info.st_mode))
        folderProblem = "not a folder";
    if (!folderProblem.empty())
        report(shaderFolder, "lirv-preview: --shaders " + shaderFolder + ": " + folderProblem +
                                 "; shader edits are not watched");
    watch.addFolder(shaderFolder);
    if (stat(options.timelineText.c_str(), &info) == 0) {
        std::string text, reason;
        if (!readTextFile(options.timelineText, text, reason))
            report(options.timelineText, options.timelineText + ": cannot read (" + reason + ")");
        else if (adoptTimelineText(options.timelineText, text, document, session->timeline(),
                                   problem))
            printf("lirv-preview: compiled %s\n", options.timelineText.c_str());
        report(options.timelineText, problem);
    } else {
        fprintf(stderr, "lirv-preview: %s: not found; playing data/time without live edits\n",
                options.timelineText.c_str());
    }
    installInput();
    time = options.fromMs;
    session->seek(time);
    setPlaying(!options.paused);
    printf("lirv-preview: %s at %s\n", playing ? "playing" : "paused",
           formatClockTime(time).c_str());
}

int Preview::run() {
    start();
    uint32_t last = SDL_GetTicks();
    while (true) {
        advanceClock();
        bool changed = dirty;
        dirty = false;
        renderFrame(changed);
        session->present();
        if (quitRequested() && mayQuit()) break;
        applyPointer();
        applyKeys();
        checkSources(false);
        uint32_t now = SDL_GetTicks();
        if (changed) frameMs = frameMs > 0 ? frameMs * 0.9 + (now - last) * 0.1 : now - last;
        if (!playing && !dirty && drag == Drag::None) SDL_Delay(20);
        last = now;
    }
    Mix_HaltMusic();
    removeInput();
    return 0;
}
