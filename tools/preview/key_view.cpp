#include "tools/preview/key_view.h"

#include "production/registry.h"
#include "runtime/effect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr float kMargin = 6;
constexpr size_t kViewCharacters = 58;

} // namespace

std::vector<KeyRow> keyRows(const TimelineClipData& clip, const Clip& running, uint32_t localTime,
                            const std::vector<size_t>& keyLines) {
    const EffectDescription& effect = describeEffect(int(clip.record.effect));
    std::vector<KeyRow> rows;
    for (int p = 0; p < effect.propertyCount; p++) {
        KeyRow row{p, effect.properties[p].name, running.valueAt(p, localTime), {}};
        for (size_t k = 0; k < clip.keys.size(); k++) {
            const Key& key = clip.keys[k];
            if (key.property != p) continue;
            int line = k < keyLines.size() ? int(keyLines[k]) + 1 : 0;
            row.marks.push_back({k, key.time, key.value, key.ease != 0, line});
        }
        std::stable_sort(row.marks.begin(), row.marks.end(),
                         [](const KeyMark& a, const KeyMark& b) { return a.time < b.time; });
        rows.push_back(row);
    }
    return rows;
}

long keyNear(const TimelineClipData& clip, int property, uint32_t localTime, uint32_t tolerance) {
    long best = -1;
    uint32_t bestDistance = 0;
    for (size_t k = 0; k < clip.keys.size(); k++) {
        const Key& key = clip.keys[k];
        if (key.property != property) continue;
        uint32_t distance = key.time > localTime ? key.time - localTime : localTime - key.time;
        if (distance <= tolerance && (best < 0 || distance < bestDistance)) {
            best = long(k);
            bestDistance = distance;
        }
    }
    return best;
}

float nudgeStep(const PropertyInfo& property) {
    double range = double(property.maxValue) - double(property.minValue);
    if (!(range > 0) || !std::isfinite(range)) return 0.01f;
    double raw = range / 100, power = std::pow(10.0, std::floor(std::log10(raw)));
    double mantissa = raw / power;
    double nice = mantissa < std::sqrt(2.0) ? 1 : mantissa < std::sqrt(10.0) ? 2 : 5;
    if (mantissa >= std::sqrt(50.0)) nice = 10;
    return float(nice * power);
}

float nudged(float value, float step, int steps) {
    double target = double(value) + double(step) * steps;
    // Rounded to a thousandth of the step, so that float noise does not pile up in the text.
    double grain = double(step) / 1000;
    return float(std::round(target / grain) * grain);
}

KeyViewFrame keyViewFrame(const GlyphFont& font, size_t rows, int windowWidth) {
    float width = font.width(kViewCharacters) + 2 * kMargin;
    float height = font.lineHeight() * float(rows + 2) + 2 * kMargin;
    return {float(windowWidth) - width - 8, 8, width, height};
}

void drawKeyView(const GlyphFont& font, const KeyViewFrame& frame, const std::string& title,
                 const std::vector<KeyRow>& rows, size_t selectedRow, long keyAtPlayhead,
                 const std::string& status) {
    float lineHeight = font.lineHeight();
    paint::color(0, 0, 0, 0.65f);
    paint::fillRect(frame.x, frame.y, frame.width, frame.height);
    float x = frame.x + kMargin, y = frame.y + kMargin;
    paint::color(1, 0.85f, 0.4f);
    font.draw(title.substr(0, kViewCharacters), x, y);
    for (size_t r = 0; r < rows.size(); r++) {
        const KeyRow& row = rows[r];
        float top = y + lineHeight * float(r + 1);
        if (r == selectedRow) {
            paint::color(0.3f, 0.45f, 0.8f, 0.55f);
            paint::fillRect(frame.x + 2, top - 1, frame.width - 4, lineHeight);
        }
        char head[64];
        snprintf(head, sizeof head, "%-17.17s %9s ", row.name.c_str(),
                 paint::formatNumber(row.value).c_str());
        std::string text = head;
        bool atPlayhead = false;
        if (row.marks.empty()) text += "default, no keys";
        for (const KeyMark& mark : row.marks) {
            atPlayhead = atPlayhead || long(mark.key) == keyAtPlayhead;
            bool here = long(mark.key) == keyAtPlayhead;
            std::string line = mark.line > 0 ? "l." + std::to_string(mark.line) : "key";
            text += here ? " [" + line + "]" : " " + line;
        }
        if (text.size() > kViewCharacters) text = text.substr(0, kViewCharacters - 3) + "...";
        if (row.marks.empty())
            paint::color(0.6f, 0.6f, 0.6f);
        else if (atPlayhead)
            paint::color(1, 1, 0.55f);
        else
            paint::color(0.9f, 0.9f, 0.9f);
        font.draw(text, x, top);
    }
    paint::color(0.75f, 0.85f, 1);
    font.draw(status.substr(0, kViewCharacters), x, y + lineHeight * float(rows.size() + 1));
}
