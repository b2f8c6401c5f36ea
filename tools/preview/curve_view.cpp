#include "tools/preview/curve_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float kPanelWidth = 460, kPanelHeight = 170, kPad = 8, kLabelWidth = 58;
constexpr float kHitPixels = 6;

} // namespace

CurveLayout::CurveLayout(float left, float top, float panelWidth, float panelHeight,
                         uint32_t length, float lowest, float highest)
    : x(left), y(top), width(panelWidth), height(panelHeight), duration(length), low(lowest),
      high(highest) {
    plotLeft = x + kLabelWidth;
    plotRight = x + width - kPad;
    plotTop = y + 22;
    plotBottom = y + height - kPad;
}

float CurveLayout::xAt(double ms) const {
    double share = duration > 0 ? ms / double(duration) : 0;
    return plotLeft + float(share * double(plotRight - plotLeft));
}

float CurveLayout::yAt(float value) const {
    float share = high > low ? (value - low) / (high - low) : 0.5f;
    return plotBottom - share * (plotBottom - plotTop);
}

double CurveLayout::timeAt(float px) const {
    double share = std::clamp(double(px - plotLeft) / double(plotRight - plotLeft), 0.0, 1.0);
    return share * double(duration);
}

float CurveLayout::valueAt(float py) const {
    return low + (plotBottom - py) / (plotBottom - plotTop) * (high - low);
}

bool CurveLayout::contains(float px, float py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
}

void curveRange(const std::vector<Key>& keys, int property, float defaultValue, float& low,
                float& high) {
    low = high = defaultValue;
    bool any = false;
    for (const Key& key : keys) {
        if (key.property != property || !std::isfinite(key.value)) continue;
        low = any ? std::min(low, key.value) : key.value;
        high = any ? std::max(high, key.value) : key.value;
        any = true;
    }
    float room = (high - low) * 0.1f;
    if (!(room > 0)) room = std::max(0.05f, std::fabs(high) * 0.1f);
    low -= room;
    high += room;
}

CurveLayout placeCurve(int windowWidth, float stripTop, uint32_t duration, float low, float high) {
    float left = float(windowWidth) - kPanelWidth - 8;
    return CurveLayout(left, stripTop - kPanelHeight - 6, kPanelWidth, kPanelHeight, duration, low,
                       high);
}

long keyPointAt(const CurveLayout& layout, const std::vector<Key>& keys, int property, float px,
                float py) {
    long best = -1;
    float bestDistance = kHitPixels;
    for (size_t k = 0; k < keys.size(); k++) {
        if (keys[k].property != property) continue;
        float dx = layout.xAt(keys[k].time) - px, dy = layout.yAt(keys[k].value) - py;
        float distance = std::sqrt(dx * dx + dy * dy);
        if (distance <= bestDistance) best = long(k), bestDistance = distance;
    }
    return best;
}

void drawCurve(const GlyphFont& font, const CurveLayout& layout, const std::string& title,
               const Clip& running, int property, const std::vector<Key>& keys, long markedKey,
               uint32_t localTime) {
    paint::color(0, 0, 0, 0.7f);
    paint::fillRect(layout.x, layout.y, layout.width, layout.height);
    paint::color(1, 0.85f, 0.4f);
    font.draw(title.substr(0, font.fitting(layout.width - 2 * kPad)), layout.x + kPad,
              layout.y + 3);
    paint::color(0.7f, 0.7f, 0.7f);
    float textHeight = font.lineHeight();
    font.draw(paint::formatNumber(layout.high), layout.x + kPad, layout.plotTop - 2);
    font.draw(paint::formatNumber(layout.low), layout.x + kPad, layout.plotBottom - textHeight + 2);
    paint::color(1, 1, 1, 0.15f);
    paint::frameRect(layout.plotLeft, layout.plotTop, layout.plotRight - layout.plotLeft + 1,
                     layout.plotBottom - layout.plotTop + 1);
    // Every column at its own clip-local millisecond: the value the render would be given.
    // Each column joins its value to the one before, so that holds show as upright steps.
    paint::color(0.45f, 0.8f, 1);
    float previous = 0;
    for (float px = layout.plotLeft; px <= layout.plotRight; px += 1) {
        uint32_t t = uint32_t(std::lround(layout.timeAt(px)));
        float py = layout.yAt(running.valueAt(property, t));
        if (px == layout.plotLeft) previous = py;
        float top = std::min(previous, py), bottom = std::max(previous, py);
        paint::fillRect(px, top - 0.5f, 1, bottom - top + 1);
        previous = py;
    }
    for (size_t k = 0; k < keys.size(); k++) {
        if (keys[k].property != property) continue;
        float px = layout.xAt(keys[k].time), py = layout.yAt(keys[k].value);
        bool marked = long(k) == markedKey;
        paint::color(marked ? 1 : 0.9f, marked ? 0.9f : 0.9f, marked ? 0.3f : 0.9f);
        paint::fillRect(px - 3, py - 3, 7, 7);
        paint::color(0, 0, 0);
        paint::frameRect(px - 3, py - 3, 7, 7);
    }
    if (localTime <= layout.duration) {
        float px = std::floor(layout.xAt(localTime));
        paint::color(1, 0.3f, 0.25f);
        paint::fillRect(px, layout.plotTop, 1, layout.plotBottom - layout.plotTop);
    }
}
