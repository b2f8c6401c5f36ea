// lirv-preview: the production in a window with a HUD; seek, pause and loop from the keyboard;
// the timeline text and the shaders reload when they change.
#include "engine/gl.h"
#include "engine/window.h"
#include "production/production.h"
#include "production/session.h"
#include "production/time_text.h"
#include "runtime/music.h"
#include "tools/capture/frame_read.h"
#include "tools/cli/cli.h"
#include "tools/preview/hud.h"
#include "tools/preview/preview_options.h"
#include "tools/preview/reload.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sys/stat.h>

namespace {

constexpr double kBeatMs = 60000.0 / kProductionTempo.beatsPerMinute;
constexpr int kFramesPerSecondStep = 30; // the step of , and .
constexpr uint32_t kWatchIntervalMs = 100;
const int kHudBins[] = {1,  2,  10, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
                        41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54,
                        55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 100};

// What the keys ask for; written by the key callback during present, read after it by the
// loop. Main thread only.
struct KeyRequests {
    bool togglePause = false;
    bool seek = false;
    uint32_t seekTo = 0;
    int beatSteps = 0; // signed beats to move, counted from the time shown
    int frameSteps = 0;
    bool markLoopStart = false, markLoopEnd = false, toggleLoop = false;
    bool toggleHud = false, reload = false, screenshot = false, quit = false;
};
KeyRequests keys;

void onKey(int code, uint8_t*) {
    bool shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
    int barBeats = kProductionTempo.beatsPerBar;
    switch (code) {
    case SDLK_SPACE:
        keys.togglePause = true;
        break;
    case SDLK_LEFT:
        keys.beatSteps -= shift ? 1 : barBeats;
        break;
    case SDLK_RIGHT:
        keys.beatSteps += shift ? 1 : barBeats;
        break;
    case SDLK_PAGEUP:
        keys.beatSteps -= 8 * barBeats;
        break;
    case SDLK_PAGEDOWN:
        keys.beatSteps += 8 * barBeats;
        break;
    case SDLK_HOME:
        keys.seek = true, keys.seekTo = 0, keys.beatSteps = 0;
        break;
    case SDLK_COMMA:
        keys.frameSteps--;
        break;
    case SDLK_PERIOD:
        keys.frameSteps++;
        break;
    case SDLK_LEFTBRACKET:
        keys.markLoopStart = true;
        break;
    case SDLK_RIGHTBRACKET:
        keys.markLoopEnd = true;
        break;
    case SDLK_l:
        keys.toggleLoop = true;
        break;
    case SDLK_h:
        keys.toggleHud = true;
        break;
    case SDLK_r:
        keys.reload = true;
        break;
    case SDLK_F12:
        keys.screenshot = true;
        break;
    case SDLK_ESCAPE:
        keys.quit = true;
        break;
    default:
        break;
    }
}

// Closing the window, or SIGTERM and Ctrl+C (SDL turns both into a quit event), ends the preview
// like Escape. The engine's event loop drops quit events, so they are caught as SDL posts them.
int catchQuit(const SDL_Event* event) {
    if (event->type == SDL_QUIT) keys.quit = true;
    return 1;
}

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

class Preview {
  public:
    explicit Preview(const PreviewOptions& options);
    int run();

  private:
    void jump(uint32_t t);
    void setPlaying(bool play);
    void applyKeys();
    void advanceClock();
    void checkSources(bool force);
    void report(const std::string& source, const std::string& problem);
    void renderFrame(bool productionChanged);
    std::vector<HudLine> hudLines() const;
    void saveScreenshot();

    PreviewOptions options;
    SessionSettings settings;
    std::unique_ptr<ProductionSession> session;
    Mix_Music* music = nullptr;
    Hud hud;
    FrameHold frame;
    FileWatch watch;
    std::string shaderFolder;

    uint32_t time = 0;
    bool playing = true;
    bool looping = false;
    uint32_t loopStart = 0, loopEnd = 0;
    bool showHud = true;
    uint32_t wallAnchor = 0, timeAnchor = 0; // SDL ticks and timeline time when play resumed
    uint32_t lastWatch = 0;
    double frameMs = 0;
    int shotCount = 0;
    bool dirty = true;                           // the production's picture must be drawn again
    std::map<std::string, std::string> problems; // by source file, shown until fixed
};

Preview::Preview(const PreviewOptions& chosen) : options(chosen) {
    settings.caption = "vsq-14: lirv preview";
    settings.programName = "lirv-preview";
    settings.fullscreen = options.fullscreen;
    settings.renderWidth = int(std::lround(kScreenWidth * options.scale));
    settings.renderHeight = int(std::lround(kScreenHeight * options.scale));
    shaderFolder = options.shaderFolder;
    while (shaderFolder.size() > 1 && shaderFolder.back() == '/')
        shaderFolder.pop_back();
    looping = options.loop;
    loopStart = options.fromMs;
    loopEnd = options.toMs;
    showHud = options.hud;
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
    KeyRequests asked = keys;
    keys = KeyRequests();
    keys.quit = asked.quit;
    if (asked.quit) return;
    if (asked.seek) jump(asked.seekTo);
    if (asked.beatSteps) {
        int grid = std::abs(asked.beatSteps) % kProductionTempo.beatsPerBar == 0
                       ? kProductionTempo.beatsPerBar
                       : 1;
        jump(stepBeats(time, asked.beatSteps, grid));
    }
    if (asked.frameSteps && !playing) jump(stepFrames(time, asked.frameSteps));
    if (asked.togglePause) setPlaying(!playing), dirty = true;
    if (asked.markLoopStart) loopStart = time, looping = looping && loopStart < loopEnd;
    if (asked.markLoopEnd) loopEnd = time, looping = looping && loopStart < loopEnd;
    if (asked.toggleLoop) looping = !looping && loopStart < loopEnd;
    if (asked.toggleHud) showHud = !showHud;
    if (asked.reload) checkSources(true);
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

void Preview::checkSources(bool force) {
    uint32_t now = SDL_GetTicks();
    if (!force && now - lastWatch < kWatchIntervalMs) return;
    lastWatch = now;
    std::vector<std::string> changed = watch.changed();
    if (force) changed = {options.timelineText};
    bool timelineChanged = false;
    for (const std::string& path : changed) {
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
    if (!timelineChanged) return;
    std::string problem;
    if (reloadTimelineText(options.timelineText, session->timeline(), problem)) {
        session->seek(time);
        printf("lirv-preview: reloaded %s at %s\n", options.timelineText.c_str(),
               formatClockTime(time).c_str());
        dirty = true;
    }
    report(options.timelineText, problem);
}

std::vector<HudLine> Preview::hudLines() const {
    std::vector<HudLine> lines;
    std::string status = playing ? "playing" : "paused";
    std::string loop = looping
                           ? "loop " + formatClockTime(loopStart) + " - " + formatClockTime(loopEnd)
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
    for (const auto& [source, problem] : problems) {
        size_t start = 0;
        while (start < problem.size() && lines.size() < 20) {
            size_t end = problem.find('\n', start);
            if (end == std::string::npos) end = problem.size();
            lines.push_back(
                {problem.substr(start, std::min<size_t>(end - start, 120)), 1.0f, 0.4f, 0.35f});
            start = end + 1;
        }
    }
    lines.push_back({"spectrum bins 1, 2, 10, 30-65, 100", 0.6f, 0.6f, 0.6f});
    return lines;
}

void Preview::renderFrame(bool productionChanged) {
    int windowWidth = qorGetWindowWidth(), windowHeight = qorGetWindowHeight();
    if (productionChanged) {
        session->play(time);
        frame.capture(settings.renderWidth, settings.renderHeight);
    }
    frame.show(windowWidth, windowHeight);
    if (showHud) {
        std::vector<HudBar> bars;
        for (int bin : kHudBins)
            bars.push_back({bin, spectrumLevel(bin)});
        hud.draw(hudLines(), bars, windowWidth, windowHeight);
    }
}

void Preview::saveScreenshot() {
    mkdir(options.shotFolder.c_str(), 0777);
    char name[64];
    snprintf(name, sizeof name, "/preview-%03d.png", ++shotCount);
    std::string path = options.shotFolder + name;
    renderFrame(false);
    Picture picture;
    readBackBuffer(qorGetWindowWidth(), qorGetWindowHeight(), picture);
    if (writePng(path, picture))
        printf("lirv-preview: screenshot %s at %s\n", path.c_str(), formatClockTime(time).c_str());
    else
        fprintf(stderr, "lirv-preview: %s: the screenshot could not be written\n", path.c_str());
}

int Preview::run() {
    session = std::make_unique<ProductionSession>(settings);
    std::string problem;
    if (!hud.open(problem))
        fprintf(stderr, "lirv-preview: %s; the HUD shows no text\n", problem.c_str());
    // The music plays through the mixer; the spectrum comes from the decoded music instead, on
    // this thread, so the analysis must not also run on the audio thread.
    music = loadMusic(settings.musicPath.c_str());
    Mix_UnregisterEffect(MIX_CHANNEL_POST, analyseAudio);
    if (!music)
        fprintf(stderr, "lirv-preview: %s: cannot be played; the preview is silent\n",
                settings.musicPath.c_str());

    watch.add(options.timelineText);
    watch.addFolder(shaderFolder);
    struct stat info;
    if (stat(options.timelineText.c_str(), &info) == 0) {
        if (reloadTimelineText(options.timelineText, session->timeline(), problem))
            printf("lirv-preview: compiled %s\n", options.timelineText.c_str());
        report(options.timelineText, problem);
    } else
        fprintf(stderr, "lirv-preview: %s: not found; playing data/time without live edits\n",
                options.timelineText.c_str());
    qorSetKeyCallback(onKey);
    SDL_SetEventFilter(catchQuit);
    time = options.fromMs;
    session->seek(time);
    setPlaying(!options.paused);
    printf("lirv-preview: %s at %s\n", playing ? "playing" : "paused",
           formatClockTime(time).c_str());

    uint32_t last = SDL_GetTicks();
    while (!keys.quit) {
        advanceClock();
        bool changed = dirty;
        dirty = false;
        renderFrame(changed);
        session->present();
        applyKeys();
        checkSources(false);
        uint32_t now = SDL_GetTicks();
        if (changed) frameMs = frameMs > 0 ? frameMs * 0.9 + (now - last) * 0.1 : now - last;
        if (!playing && !dirty) SDL_Delay(20);
        last = now;
    }
    Mix_HaltMusic();
    SDL_SetEventFilter(nullptr);
    qorSetKeyCallback(nullptr);
    return 0;
}

} // namespace

// Status lines are line-buffered so that they reach a pipe as they are printed. A mistake in
// the options ends with status 2, a missing or broken data/ with status 1; later problems are
// reported and the preview keeps running on its last good state.
int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    PreviewOptions options;
    std::string problem;
    if (!parsePreviewOptions(std::vector<std::string>(argv + 1, argv + argc), options, problem)) {
        fprintf(stderr, "lirv-preview: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (options.help) {
        fputs(previewUsage(), stdout);
        return kExitSuccess;
    }
    if (options.version) {
        printVersion("lirv-preview");
        return kExitSuccess;
    }
    RunFolders folders;
    if (!enterInstallFolder(folders, problem)) {
        fprintf(stderr, "lirv-preview: %s\n", problem.c_str());
        return kExitFailure;
    }
    placePreviewFiles(options, folders);
    if (!options.rangeNote.empty())
        fprintf(stderr, "lirv-preview: %s\n", options.rangeNote.c_str());
    struct stat info;
    if (stat("data/time", &info) != 0) {
        fprintf(stderr, "lirv-preview: data/time: not found; run it where data/ lies (the "
                        "repository root after building)\n");
        return 1;
    }
    int status = 1;
    try {
        status = Preview(options).run();
    } catch (int) {
        status = 1;
    }
    qorSetTickSource(nullptr);
    return status;
}
