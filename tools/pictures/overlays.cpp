// The full-screen overlays: 1024 × 768 RGBA pictures stretched over the whole screen above the
// scenes, with transparent backgrounds.
#include "runtime/data_files.h"
#include "tools/pictures/logotype.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// Rows where labels ("code") and the names under them sit, so that pairs shown together line up.
constexpr int kLabelBaseline = 330;
constexpr int kNameBaseline = 450;

Canvas blank() {
    return Canvas(kWidth, kHeight);
}

// A soft dark cloud behind lettering, so that it reads over bright scenes.
void darkBackdrop(Canvas& canvas, float cx, float cy, float halfW, float halfH, float alpha) {
    Canvas cloud(kWidth, kHeight);
    cloud.fill(cx - halfW, cy - halfH, cx + halfW, cy + halfH, withAlpha(palette::kNight, alpha),
               [&](float x, float y) {
                   return boxDistance(x, y, cx, cy, halfW * 0.8f, halfH * 0.7f, halfH * 0.6f);
               });
    cloud.blur(static_cast<int>(halfH * 0.45f));
    canvas.draw(cloud, 0, 0);
}

// A horizontal hairline that fades out towards both ends, with a glow.
void glowLine(Canvas& canvas, float cx, float y, float halfLength, Rgba colour) {
    for (int x = static_cast<int>(cx - halfLength); x < cx + halfLength; ++x) {
        float fade = 1 - std::pow(std::fabs(x + 0.5f - cx) / halfLength, 2.0f);
        for (int dy = -6; dy <= 6; ++dy) {
            float core = coverage(std::fabs(y - (std::floor(y) + dy + 0.5f)) - 0.8f);
            float halo = 0.25f * std::exp(-dy * dy / 8.0f);
            canvas.put(x, static_cast<int>(std::floor(y)) + dy, colour, fade * std::max(core, halo),
                       Blend::Add);
        }
    }
}

// A plate of dark glass with a glowing rim, lifted off the scene by a soft shadow: words set
// on it read over any picture, and nothing of the scene crosses them.
void glassPlate(Canvas& canvas, float cx, float cy, float halfW, float halfH, float radius) {
    canvas.fill(cx - halfW - 70, cy - halfH - 70, cx + halfW + 70, cy + halfH + 70,
                withAlpha(palette::kNight, 0.6f), [&](float x, float y) {
                    return boxDistance(x, y, cx, cy, halfW + 24, halfH + 24, radius + 24) / 60;
                });
    canvas.fill(cx - halfW, cy - halfH, cx + halfW, cy + halfH, withAlpha(palette::kNight, 0.86f),
                [&](float x, float y) { return boxDistance(x, y, cx, cy, halfW, halfH, radius); });
    canvas.fill(cx - halfW, cy - halfH, cx + halfW, cy + halfH,
                withAlpha(palette::kDeepBlue, 0.35f), [&](float x, float y) {
                    return std::max(boxDistance(x, y, cx, cy, halfW, halfH, radius),
                                    (y - (cy - halfH)) / (2 * halfH) * 40 - 20);
                });
    Canvas rim(kWidth, kHeight);
    rim.fill(cx - halfW - 4, cy - halfH - 4, cx + halfW + 4, cy + halfH + 4, palette::kCyan,
             [&](float x, float y) {
                 return std::fabs(boxDistance(x, y, cx, cy, halfW - 12, halfH - 12, radius - 12)) -
                        1.5f;
             });
    Canvas halo = rim;
    halo.blur(8);
    canvas.draw(halo, 0, 0, 1.2f, Blend::Add);
    canvas.draw(rim, 0, 0, 0.8f);
}

// The group's mark and the title are set in the logotype; the big words carry its slit.
LogoSet logoSet(float xHeight, float slit = 0.055f) {
    LogoSet set;
    set.xHeight = xHeight;
    set.slit = slit;
    return set;
}

Canvas paintTitle(const Lettering&) {
    Canvas canvas = blank();
    darkBackdrop(canvas, 512, 400, 330, 170, 0.45f);
    TextStyle small = labelStyle();
    small.fill = palette::kWarmPale;
    LogoSet mark = logoSet(30, 0);
    mark.weight = 0.3f;
    mark.tracking = 0.34f;
    drawLogotype(canvas, "vsq-14:", mark, 512, 226, Align::Center, small);
    drawLogotype(canvas, "lirv", logoSet(190), 512, 520, Align::Center, overlayStyle());
    glowLine(canvas, 512, 566, 260, palette::kCyan);
    return canvas;
}

Canvas paintVsq(const Lettering&) {
    Canvas canvas = blank();
    glassPlate(canvas, 512, 384, 250, 150, 40);
    drawLogotype(canvas, "vsq", logoSet(150), 512, 428, Align::Center, overlayStyle());
    return canvas;
}

// A single word in the logotype over a soft dark cloud, centred on a row.
Canvas paintLogoWord(const char* word, const LogoSet& set, int baseline, Rgba glow) {
    Canvas canvas = blank();
    TextLine line = logotypeLine(word, set);
    float halfW = (line.inkRight - line.inkLeft) * 0.5f + set.xHeight * 0.9f;
    darkBackdrop(canvas, 512, baseline - set.xHeight * 0.5f, halfW, set.xHeight * 0.85f, 0.42f);
    drawTextLine(canvas, line, 512, baseline, Align::Center, overlayStyle(glow));
    return canvas;
}

// The closing lockup "vsq is / back / again" on one plate. Each of its three pictures is the
// lockup as far as it has been said ("vsq is", "vsq is back", all of it), on the same plate in
// the same place: shown one after another, each cut adds a word, and the last picture holds
// and fades as one.
Canvas paintLockup(int words) {
    struct Line {
        const char* text;
        float xHeight;
        int baseline;
        Rgba glow;
    };
    const Line lines[] = {{"vsq is", 56, 236, palette::kCyan},
                          {"back", 112, 420, palette::kWarm},
                          {"again", 84, 574, palette::kCyan}};
    Canvas canvas = blank();
    glassPlate(canvas, 512, 384, 276, 270, 40);
    for (int i = 0; i < words; ++i)
        drawLogotype(canvas, lines[i].text, logoSet(lines[i].xHeight), 512, lines[i].baseline,
                     Align::Center, overlayStyle(lines[i].glow));
    return canvas;
}

// A credit: a small label above a name, both centred. The label's picture carries the glass
// plate both sit on, so that the name's picture, shown over it, can drift along the plate.
Canvas paintCredit(const char* label, const char* name) {
    Canvas canvas = blank();
    if (label) {
        // The plate runs from a label's height above the label to just below the name.
        const float top = kLabelBaseline - 72, bottom = kNameBaseline + 44;
        glassPlate(canvas, 512, (top + bottom) / 2, 476, (bottom - top) / 2, 36);
        LogoSet set = logoSet(34, 0);
        set.weight = 0.28f;
        set.tracking = 0.4f;
        drawLogotype(canvas, label, set, 512, kLabelBaseline, Align::Center, labelStyle());
    }
    if (name) {
        // The names in a light cut of the logotype, as wide as fits.
        LogoSet set = logoSet(72, 0);
        set.weight = 0.15f;
        set.tracking = 0.2f;
        TextLine line = logotypeLine(name, set);
        set.xHeight = std::min(72.0f, 72.0f * 800 / (line.inkRight - line.inkLeft));
        drawLogotype(canvas, name, set, 512, kNameBaseline, Align::Center, overlayStyle());
    }
    return canvas;
}

Canvas paintRevolt(const Lettering&) {
    Canvas canvas = blank();
    glassPlate(canvas, 512, 385, 500, 118, 36);
    // Light streaks running out of the word.
    for (int i = 0; i < 7; ++i) {
        float y = 330 + i * 18.0f;
        float length = 300 + 160 * hashUnit(i, 1, 77);
        glowLine(canvas, 512, y, length + 150, withAlpha(palette::kWarm, 0.35f));
    }
    TextStyle style = overlayStyle(palette::kWarm);
    style.fillBottom = palette::kWarmPale;
    // The heaviest cut, leaning forward.
    LogoSet set = logoSet(122, 0.06f);
    set.weight = 0.3f;
    set.tracking = 0.14f;
    set.slant = 0.12f;
    drawLogotype(canvas, "revolt", set, 512, 452, Align::Center, style);
    return canvas;
}

Canvas paintVignette(const Lettering&) {
    Canvas canvas = blank();
    canvas.shade([](float x, float y) {
        // Distance from the centre on the 4:3 screen, 1 at the corners.
        float dx = (x - 512) / 512 * 4 / 3, dy = (y - 384) / 384;
        float r = std::hypot(dx, dy) / std::hypot(4.0f / 3, 1.0f);
        float dark = std::pow(smoothStep(0.3f, 1.05f, r), 1.4f) * 0.92f;
        // A whisper of noise breaks up the banding of 8-bit alpha.
        dark = clamp01(dark + (hashUnit(static_cast<int>(x), static_cast<int>(y), 5) - 0.5f) / 255);
        return withAlpha(mix(palette::kNight, Rgba{0, 0, 0, 1}, r), dark);
    });
    return canvas;
}

// A cinematic frame: letterbox bars with hairlines, corner marks, scanlines and small captions.
Canvas paintFrameOverlay(const Lettering& fonts) {
    Canvas canvas = blank();
    canvas.shade([](float, float y) {
        float scan = static_cast<int>(y) % 3 == 0 ? 0.07f : 0.0f;
        return withAlpha(palette::kNight, scan);
    });
    const float bar = 70;
    for (float top : {0.0f, kHeight - bar}) {
        canvas.fill(
            0, top, kWidth, top + bar, withAlpha(Rgba{0.01f, 0.02f, 0.05f, 1}, 0.88f),
            [&](float x, float y) { return boxDistance(x, y, 512, top + bar / 2, 600, bar / 2); });
        glowLine(canvas, 512, top == 0 ? bar : kHeight - bar, 500, withAlpha(palette::kCyan, 0.6f));
    }
    // Corner brackets inside the picture area.
    for (int corner = 0; corner < 4; ++corner) {
        float sx = corner & 1 ? -1.0f : 1.0f, sy = corner & 2 ? -1.0f : 1.0f;
        float cx = corner & 1 ? kWidth - 40.0f : 40.0f,
              cy = corner & 2 ? kHeight - bar - 24 : bar + 24;
        Rgba c = withAlpha(palette::kIce, 0.8f);
        canvas.fill(cx - 60, cy - 60, cx + 60, cy + 60, c, [&](float x, float y) {
            return std::min(segmentDistance(x, y, cx, cy, cx + sx * 40, cy, 1.5f),
                            segmentDistance(x, y, cx, cy, cx, cy + sy * 40, 1.5f));
        });
    }
    TextStyle caption;
    caption.fill = withAlpha(palette::kIce, 0.85f);
    caption.glow = withAlpha(palette::kCyan, 0.5f);
    caption.glowRadius = 5;
    LogoSet mark = logoSet(14, 0);
    mark.weight = 0.3f;
    mark.tracking = 0.3f;
    drawLogotype(canvas, "vsq-14", mark, 48, 44, Align::Left, caption);
    drawLogotype(canvas, "lirv", mark, kWidth - 48, 44, Align::Right, caption);
    // The camera's read-out in the dot matrix, three pixels to the dot, lit brighter than the
    // marks so that its thin dots read on the dark bar.
    TextStyle readout = caption;
    readout.fill = palette::kIce;
    readout.glow = withAlpha(palette::kCyan, 0.9f);
    readout.glowRadius = 7;
    drawText(canvas, fonts, Face::Dots, "music: morvane - quelfin", 30, 48, kHeight - 25,
             Align::Left, readout);
    TextStyle rec = readout;
    rec.fill = palette::kSignal;
    rec.glow = withAlpha(palette::kSignal, 0.6f);
    drawText(canvas, fonts, Face::Dots, "REC", 30, kWidth - 48, kHeight - 25, Align::Right, rec);
    canvas.fill(
        kWidth - 136, kHeight - 48, kWidth - 112, kHeight - 24, palette::kSignal,
        [&](float x, float y) { return circleDistance(x, y, kWidth - 124, kHeight - 35, 7); });
    return canvas;
}

} // namespace

void addOverlayJobs(std::vector<PictureJob>& jobs) {
    using namespace datafiles;
    using namespace palette;
    auto add = [&](const char* file, std::function<Canvas(const Lettering&)> paint) {
        jobs.push_back({file, 4, false, std::move(paint)});
    };
    add(kTitleOverlay, paintTitle);
    add(kVsqOverlay, paintVsq);
    add(kFeatOverlay, [](const Lettering&) {
        // The thin cut, leaning: the small word between two names.
        LogoSet set = logoSet(84, 0);
        set.weight = 0.15f;
        set.tracking = 0.2f;
        set.slant = 0.2f;
        return paintLogoWord("feat.", set, 430, kWarm);
    });
    add(kOnTopOverlay,
        [](const Lettering&) { return paintLogoWord("on top", logoSet(104), 444, kCyan); });
    add(kRevoltOverlay, paintRevolt);
    add(kVsqIsOverlay, [](const Lettering&) { return paintLockup(1); });
    add(kBackOverlay, [](const Lettering&) { return paintLockup(2); });
    add(kAgainOverlay, [](const Lettering&) { return paintLockup(3); });
    add(kCodeOverlay, [](const Lettering&) { return paintCredit("code", nullptr); });
    add(kCodeNamesOverlay,
        [](const Lettering&) { return paintCredit(nullptr, "kestrel & fennec"); });
    add(kGfxOverlay, [](const Lettering&) { return paintCredit("gfx", "vantablack"); });
    add(kMusicOverlay, [](const Lettering&) { return paintCredit("music", nullptr); });
    add(kMorvaneOverlay, [](const Lettering&) { return paintCredit(nullptr, "morvane"); });
    add(kVignetteOverlay, paintVignette);
    add(kOverlayOverlay, paintFrameOverlay);
}
