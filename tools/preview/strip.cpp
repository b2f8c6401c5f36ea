#include "tools/preview/strip.h"

#include "runtime/effect.h"
#include "runtime/timeline.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kRowHeight = 15, kLoudnessHeight = 16, kLaneHeight = 17, kGutter = 24;
constexpr double kZoomFactor = 1.25, kShortestSpanMs = 2000;
constexpr int kLayers = 5;
constexpr double kLoudnessWindowMs = 10;

// Lane colours, one per layer.
const float kLaneColours[kLayers][3] = {{0.25f, 0.45f, 0.85f},
                                        {0.6f, 0.35f, 0.8f},
                                        {0.25f, 0.65f, 0.45f},
                                        {0.3f, 0.6f, 0.6f},
                                        {0.55f, 0.55f, 0.55f}};

// Each part draws its shapes, or with labels its text: all shapes go first, then all text, so
// that the batch needs few draw calls.
void drawGrid(const GlyphFont& font, const StripLayout& layout, const Tempo& tempo, bool labels) {
    if (!(tempo.beatsPerMinute > 0)) return;
    double beatMs = 60000.0 / tempo.beatsPerMinute, barMs = beatMs * tempo.beatsPerBar;
    double barPixels =
        barMs * double(layout.right - layout.left) / (layout.span.last - layout.span.first);
    int labelEvery = barPixels >= 40 ? 1 : barPixels >= 10 ? 4 : 8;
    bool beats = barPixels / tempo.beatsPerBar >= 6;
    long firstBeat = long(std::ceil(layout.span.first / beatMs - 1e-9));
    for (long beat = firstBeat; beat * beatMs <= layout.span.last; beat++) {
        bool bar = beat % tempo.beatsPerBar == 0;
        if (!bar && !beats) continue;
        long barNumber = beat / tempo.beatsPerBar;
        float x = std::floor(layout.xAt(double(beat) * beatMs));
        bool labelled = bar && barNumber % labelEvery == 0;
        if (labels && labelled) {
            paint::color(0.85f, 0.85f, 0.85f);
            font.draw(std::to_string(barNumber), x + 2, layout.barsTop);
        } else if (!labels) {
            paint::color(1, 1, 1, labelled ? 0.45f : bar ? 0.22f : 0.1f);
            paint::verticalLine(x, labelled ? layout.barsTop : layout.loudnessTop, layout.bottom);
        }
    }
}

void drawSections(const GlyphFont& font, const StripLayout& layout,
                  const std::vector<Section>& sections, bool labels) {
    for (size_t s = 0; s < sections.size(); s++) {
        double end = s + 1 < sections.size() ? sections[s + 1].start : layout.span.last;
        if (end < layout.span.first || sections[s].start > layout.span.last) continue;
        float x0 = std::max(layout.left, layout.xAt(sections[s].start));
        float x1 = std::min(layout.right, layout.xAt(end));
        if (labels) {
            paint::color(1, 0.9f, 0.6f);
            font.draw(sections[s].name.substr(0, font.fitting(x1 - x0 - 4)), x0 + 3,
                      layout.sectionsTop);
        } else {
            paint::color(1, 0.8f, 0.35f, s % 2 ? 0.18f : 0.3f);
            paint::fillRect(x0, layout.sectionsTop + 1, x1 - x0, kRowHeight - 2);
        }
    }
}

void drawLoudness(const StripLayout& layout, const Loudness& loudness) {
    double msPerPixel = (layout.span.last - layout.span.first) / double(layout.right - layout.left);
    float base = layout.loudnessTop + kLoudnessHeight - 1;
    paint::color(0.4f, 0.85f, 0.5f, 0.8f);
    for (float x = layout.left; x < layout.right; x += 1) {
        double t = layout.timeAt(x);
        float level = loudness.peak(t, t + msPerPixel);
        if (level > 0) paint::verticalLine(x, base, base - level * (kLoudnessHeight - 2));
    }
}

void drawKeyTicks(const StripLayout& layout, const ClipSpan& span, const StripState& state) {
    if (!state.selectedKeys) return;
    float top = layout.laneTop(span.layer);
    for (int pass = 0; pass < 2; pass++) // the selected property's ticks over the others
        for (const Key& key : *state.selectedKeys) {
            bool chosen = key.property == state.selectedProperty;
            if (chosen != (pass == 1)) continue;
            double t = double(span.start) + key.time;
            if (t < layout.span.first || t > layout.span.last) continue;
            float x = std::floor(layout.xAt(t));
            if (chosen)
                paint::color(1, 0.9f, 0.3f);
            else
                paint::color(1, 1, 1, 0.8f);
            float tickTop = chosen ? top + 1 : top + kLaneHeight / 2;
            paint::fillRect(x - 1, tickTop, 2, top + kLaneHeight - 1 - tickTop);
        }
}

void drawClips(const GlyphFont& font, const StripLayout& layout, const std::vector<ClipSpan>& spans,
               const StripState& state, bool labels) {
    for (const ClipSpan& span : spans) {
        if (span.end <= layout.span.first || span.start >= layout.span.last) continue;
        float x0 = std::max(layout.left, layout.xAt(span.start));
        float x1 = std::min(layout.right, layout.xAt(span.end));
        float top = layout.laneTop(span.layer) + 1, height = kLaneHeight - 2;
        if (labels) {
            size_t fits = font.fitting(x1 - x0 - 4);
            paint::color(1, 1, 1);
            if (fits > 0) font.draw(span.label.substr(0, fits), x0 + 3, top);
            continue;
        }
        const float* colour = kLaneColours[span.layer];
        bool selected = long(span.clip) == state.selectedClip;
        paint::color(colour[0], colour[1], colour[2], selected ? 0.95f : 0.7f);
        paint::fillRect(x0, top, std::max(1.0f, x1 - x0 - 1), height);
        if (selected) {
            paint::color(1, 1, 1);
            paint::frameRect(x0, top, std::max(2.0f, x1 - x0 - 1), height);
            drawKeyTicks(layout, span, state);
        }
    }
}

void drawMarks(const StripLayout& layout, const StripState& state) {
    if (state.loopSet && state.loopEnd > state.loopStart) {
        float x0 = std::max(layout.left, layout.xAt(state.loopStart));
        float x1 = std::min(layout.right, layout.xAt(state.loopEnd));
        if (state.looping)
            paint::color(0.3f, 1, 0.4f, 0.25f);
        else
            paint::color(0.7f, 0.7f, 0.7f, 0.18f);
        if (x1 > x0) paint::fillRect(x0, layout.top, x1 - x0, layout.bottom - layout.top);
        paint::color(0.3f, 1, 0.4f, state.looping ? 1 : 0.5f);
        for (float x : {layout.xAt(state.loopStart), layout.xAt(state.loopEnd)})
            if (x >= layout.left && x <= layout.right)
                paint::fillRect(std::floor(x), layout.top, 2, layout.bottom - layout.top);
    }
    float x = layout.xAt(state.playhead);
    if (x >= layout.left && x <= layout.right) {
        paint::color(1, 0.3f, 0.25f);
        paint::fillRect(std::floor(x) - 1, layout.top, 2, layout.bottom - layout.top);
    }
}

} // namespace

void StripSpan::zoom(double at, int steps, double runMs) {
    double factor = std::pow(kZoomFactor, -steps);
    double length = std::clamp((last - first) * factor, kShortestSpanMs, runMs);
    double share = last > first ? (at - first) / (last - first) : 0.5;
    first = at - share * length;
    last = first + length;
    follow(at, runMs);
}

void StripSpan::follow(double t, double runMs) {
    double length = last - first;
    if (t < first || t > last) first = t - length / 10, last = first + length; // a page on
    if (first < 0) first = 0, last = length;
    if (last > runMs) last = runMs, first = std::max(0.0, runMs - length);
}

StripLayout::StripLayout(int windowWidth, int windowHeight, const StripSpan& shown)
    : span(shown), laneHeight(kLaneHeight) {
    float height = 2 * kRowHeight + kLoudnessHeight + kLayers * kLaneHeight + 4;
    bottom = float(windowHeight) - 2;
    top = bottom - height;
    left = kGutter;
    right = float(windowWidth) - 8;
    sectionsTop = top + 2;
    barsTop = sectionsTop + kRowHeight;
    loudnessTop = barsTop + kRowHeight;
    lanesTop = loudnessTop + kLoudnessHeight;
}

float StripLayout::xAt(double ms) const {
    return left + float((ms - span.first) / (span.last - span.first) * double(right - left));
}

double StripLayout::timeAt(float x) const {
    double share = std::clamp(double(x - left) / double(right - left), 0.0, 1.0);
    return span.first + share * (span.last - span.first);
}

bool StripLayout::contains(float x, float y) const {
    return y >= top && y < bottom && x >= 0 && x <= right + 8;
}

int StripLayout::laneAt(float y) const {
    if (y < lanesTop) return -1;
    int lane = int((y - lanesTop) / laneHeight);
    return lane < kLayers ? lane : -1;
}

std::string shortEffectName(const std::string& name) {
    std::string text = name;
    if (text.compare(0, 9, "Overlay: ") == 0) text = text.substr(9);
    size_t slash = text.rfind('/');
    if (slash != std::string::npos) text = text.substr(slash + 1);
    size_t dot = text.rfind('.');
    if (dot != std::string::npos && dot > 0 && text != name) text = text.substr(0, dot);
    return text;
}

std::vector<ClipSpan> clipSpans(const Timeline& timeline) {
    std::vector<ClipSpan> spans;
    for (size_t c = 0; c < timeline.clips.size(); c++) {
        const Clip& clip = *timeline.clips[c];
        if (clip.layer >= uint32_t(kLayers)) continue;
        uint64_t end = uint64_t(clip.start) + clip.duration;
        // The next clip on the layer takes it over as soon as it starts.
        for (size_t n = c + 1; n < timeline.clips.size(); n++)
            if (timeline.clips[n]->layer == clip.layer) {
                end = std::min<uint64_t>(end, timeline.clips[n]->start);
                break;
            }
        spans.push_back({c, clip.start, uint32_t(std::max<uint64_t>(end, clip.start)),
                         int(clip.layer), shortEffectName(clip.effect->name())});
    }
    return spans;
}

long clipAt(const StripLayout& layout, const std::vector<ClipSpan>& spans, float x, float y) {
    int lane = layout.laneAt(y);
    if (lane < 0 || x < layout.left || x > layout.right) return -1;
    double t = layout.timeAt(x);
    for (const ClipSpan& span : spans)
        if (span.layer == lane && t >= span.start && t < span.end) return long(span.clip);
    return -1;
}

void Loudness::measure(const DecodedMusic& music) {
    size_t window = size_t(kAnalysisRate * kLoudnessWindowMs / 1000);
    levels.clear();
    float loudest = 0;
    for (size_t first = 0; first + window <= music.frameCount(); first += window) {
        double sum = 0;
        for (size_t i = first * 2; i < (first + window) * 2; i++)
            sum += double(music.samples[i]) * music.samples[i];
        levels.push_back(float(std::sqrt(sum / double(window * 2))));
        loudest = std::max(loudest, levels.back());
    }
    // Shown on a square-root scale, nearer to how loud it sounds than the plain level.
    if (loudest > 0)
        for (float& level : levels)
            level = std::sqrt(level / loudest);
}

float Loudness::peak(double fromMs, double toMs) const {
    long first = long(std::floor(fromMs / kLoudnessWindowMs));
    long last = std::max(first, long(std::ceil(toMs / kLoudnessWindowMs)) - 1);
    float level = 0;
    for (long i = std::max(0L, first); i <= last && i < long(levels.size()); i++)
        level = std::max(level, levels[size_t(i)]);
    return level;
}

namespace {

// Everything but the playhead and the loop.
void drawStripBody(const GlyphFont& font, const StripLayout& layout,
                   const std::vector<ClipSpan>& spans, const Loudness& loudness,
                   const StripState& state) {
    paint::color(0.05f, 0.05f, 0.08f, 0.82f);
    paint::fillRect(0, layout.top, layout.right + 8, layout.bottom - layout.top + 2);
    paint::color(1, 1, 1, 0.08f);
    for (int layer = 0; layer <= kLayers; layer++)
        paint::fillRect(layout.left, layout.laneTop(layer) - 1, layout.right - layout.left, 1);
    static const std::vector<Section> kNoSections;
    const std::vector<Section>& sections = state.sections ? *state.sections : kNoSections;
    drawSections(font, layout, sections, false);
    drawLoudness(layout, loudness);
    drawGrid(font, layout, state.tempo, false);
    drawClips(font, layout, spans, state, false);
    paint::color(0.7f, 0.7f, 0.7f);
    for (int layer = 0; layer < kLayers; layer++)
        font.draw(std::to_string(layer), 8, layout.laneTop(layer));
    drawSections(font, layout, sections, true);
    drawGrid(font, layout, state.tempo, true);
    drawClips(font, layout, spans, state, true);
}

} // namespace

void drawStrip(const GlyphFont& font, const StripLayout& layout, const std::vector<ClipSpan>& spans,
               const Loudness& loudness, const StripState& state) {
    drawStripBody(font, layout, spans, loudness, state);
    drawMarks(layout, state);
}

void StripPainter::draw(const GlyphFont& font, const StripLayout& layout, const Timeline& timeline,
                        const Loudness& loudness, const StripState& state, uint64_t revision) {
    bool same = drawn && span.first == layout.span.first && span.last == layout.span.last &&
                top == layout.top && right == layout.right && selectedClip == state.selectedClip &&
                selectedProperty == state.selectedProperty && shownRevision == revision;
    if (!same) {
        int width = int(std::ceil(layout.right + 8)),
            height = int(std::ceil(layout.bottom - layout.top + 2));
        bool cached = cache.beginDrawing(0, layout.top, width, height);
        drawStripBody(font, layout, clipSpans(timeline), loudness, state);
        if (!cached) {
            drawMarks(layout, state);
            return;
        }
        cache.endDrawing();
        drawn = true;
        span = layout.span, top = layout.top, right = layout.right;
        selectedClip = state.selectedClip, selectedProperty = state.selectedProperty;
        shownRevision = revision;
    }
    cache.show();
    drawMarks(layout, state);
}
