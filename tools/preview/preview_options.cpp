#include "tools/preview/preview_options.h"

#include "production/production.h"
#include "production/time_text.h"
#include "tools/cli/cli.h"

#include <cmath>
#include <cstdlib>

namespace {

bool takeValue(const std::vector<std::string>& args, size_t& i, std::string& value,
               std::string& problem) {
    if (i + 1 >= args.size()) {
        problem = "option " + args[i] + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

// The file or folder named after an option; a word starting with '-' is an option instead.
bool takePath(const std::vector<std::string>& args, size_t& i, std::string& path,
              std::string& problem) {
    if (i + 1 < args.size() && looksLikeOption(args[i + 1])) {
        problem =
            "option " + args[i] + " needs a file or folder, not the option '" + args[i + 1] + "'";
        return false;
    }
    return takeValue(args, i, path, problem);
}

bool takeTime(const std::vector<std::string>& args, size_t& i, uint32_t& ms, std::string& problem) {
    std::string text, error;
    if (!takeValue(args, i, text, problem)) return false;
    if (parseTime(text, kCommandLineTime, &ms, &error)) return true;
    problem = "option " + args[i - 1] + ": " + error;
    return false;
}

bool takeScale(const std::vector<std::string>& args, size_t& i, double& scale,
               std::string& problem) {
    std::string text;
    if (!takeValue(args, i, text, problem)) return false;
    char* end = nullptr;
    scale = strtod(text.c_str(), &end);
    if (!text.empty() && *end == '\0' && std::isfinite(scale) && scale >= 0.25 && scale <= 1)
        return true;
    problem = "option --scale: '" + text + "' is not a scale from 0.25 to 1 (write 0.5)";
    return false;
}

} // namespace

bool parsePreviewOptions(const std::vector<std::string>& args, PreviewOptions& options,
                         std::string& problem) {
    options.toMs = kRunTimeMs;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& option = args[i];
        bool ok = true;
        if (isHelpOption(option))
            options.help = true;
        else if (isVersionOption(option))
            options.version = true;
        else if (option == "--from")
            ok = takeTime(args, i, options.fromMs, problem);
        else if (option == "--to")
            ok = takeTime(args, i, options.toMs, problem);
        else if (option == "--loop")
            options.loop = true;
        else if (option == "--fullscreen")
            options.fullscreen = true;
        else if (option == "--paused")
            options.paused = true;
        else if (option == "--no-hud")
            options.hud = false;
        else if (option == "--scale")
            ok = takeScale(args, i, options.scale, problem);
        else if (option == "--timeline")
            ok = takePath(args, i, options.timelineText, problem);
        else if (option == "--shaders")
            ok = takePath(args, i, options.shaderFolder, problem);
        else if (option == "--shots")
            ok = takePath(args, i, options.shotFolder, problem);
        else {
            problem = "unknown option '" + option + "' (see --help)";
            return false;
        }
        if (!ok) return false;
    }
    return checkPlayRange(options.fromMs, options.toMs, problem, options.rangeNote);
}

void placePreviewFiles(PreviewOptions& options, const RunFolders& folders) {
    const PreviewOptions defaults;
    if (options.timelineText != defaults.timelineText)
        options.timelineText = folders.fromUser(options.timelineText);
    if (options.shaderFolder != defaults.shaderFolder)
        options.shaderFolder = folders.fromUser(options.shaderFolder);
    options.shotFolder = folders.fromUser(options.shotFolder);
}

const char* previewUsage() {
    return "usage: lirv-preview [options]        (run where data/ lies, after building)\n"
           "\n"
           "Plays the production in a window with a HUD, seeks, pauses, loops, and reloads the\n"
           "timeline text and the shaders when they change.\n"
           "\n"
           "  --from T, --to T   the range played (default the whole production); T is seconds\n"
           "                     (12.5), minutes:seconds (1:40.2), or bars (bar 16, bar 16:2)\n"
           "  --loop             repeat the range\n"
           "  --fullscreen       the picture enlarged to the screen's height, 4:3, without the "
           "strip\n"
           "  --scale S          render at S times the size (0.25 to 1), shown enlarged\n"
           "  --timeline FILE    the timeline text to watch (default content/timeline.txt)\n"
           "  --shaders DIR      the shader sources to watch (default content/shaders)\n"
           "  --shots DIR        where F12 saves screenshots (default the working directory)\n"
           "  --paused           start paused at --from\n"
           "  --no-hud           start with the HUD and the strip hidden\n"
           "  --help, --version  this text; the version of this build\n"
           "\n"
           "Keys: Space pause/play; Left/Right one bar (with Shift one beat); Page Up/Down eight\n"
           "bars; Home 0:00; End the end; , and . one frame while paused; [ and ] loop start/end\n"
           "here; L loop on/off; H HUD; T strip; K key view; C curve view; Up/Down property;\n"
           "+ and - nudge the key under the playhead (Shift: ten steps); Insert add a key; Delete\n"
           "remove it; Ctrl+S save into the timeline text; R reload now (drops unsaved edits);\n"
           "F12 screenshot; Escape quit.\n"
           "Mouse on the strip: click seeks, drag scrubs (on the beat; Alt: exact), a click on a\n"
           "clip selects it, the wheel zooms; in the curve view, drag a key's point.\n"
           "\n"
           "An installed copy plays its own share/lirv (data/ and content/); files given here\n"
           "and screenshots count from the working directory. Exit status: 0 after Escape, 1\n"
           "when the production cannot start, 2 for a mistake in the options.\n";
}
