#include "tools/preview/hud.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 6, kBarGap = 2, kBarHeight = 60, kMargin = 8;

} // namespace

std::vector<std::string> wrapHudText(const std::string& text, size_t maxCharacters) {
    std::vector<std::string> pieces;
    maxCharacters = std::max<size_t>(maxCharacters, 8);
    std::string rest = text;
    while (rest.size() > maxCharacters) {
        size_t cut = rest.rfind(' ', maxCharacters);
        if (cut == std::string::npos || cut < maxCharacters / 2) cut = maxCharacters;
        pieces.push_back(rest.substr(0, cut));
        size_t next = rest.find_first_not_of(' ', cut);
        rest = next == std::string::npos ? "" : "  " + rest.substr(next);
    }
    if (pieces.empty() || !rest.empty()) pieces.push_back(rest);
    return pieces;
}

void drawHud(const GlyphFont& font, const std::vector<HudLine>& given,
             const std::vector<HudBar>& bars, int windowWidth, int windowHeight) {
    std::vector<HudLine> lines;
    size_t widest = font.fitting(float(windowWidth - 2 * kMargin));
    for (const HudLine& line : given)
        for (const std::string& piece : wrapHudText(line.text, widest))
            lines.push_back({piece, line.red, line.green, line.blue});
    size_t longest = 0;
    for (const HudLine& line : lines)
        longest = std::max(longest, line.text.size());
    float lineHeight = font.ready() ? font.lineHeight() : 0;
    float textHeight = lineHeight * float(lines.size());
    float graphWidth = float(bars.size() * (kBarWidth + kBarGap));
    float panelWidth = std::max(font.width(longest), graphWidth) + 2 * kMargin;
    float graphTop = kMargin + textHeight + kMargin;
    float panelHeight = graphTop + kBarHeight + kMargin;

    paint::begin(windowWidth, windowHeight);
    paint::color(0, 0, 0, 0.6f);
    paint::fillRect(0, 0, panelWidth, panelHeight);
    for (size_t i = 0; i < bars.size(); i++) {
        float level = std::clamp(bars[i].level, 0.0f, 1.0f);
        float x = kMargin + float(i * (kBarWidth + kBarGap));
        paint::color(0.25f, 0.25f, 0.3f, 0.8f);
        paint::fillRect(x, graphTop, kBarWidth, kBarHeight);
        paint::color(0.3f, 0.85f, 0.45f, 1);
        paint::fillRect(x, graphTop + kBarHeight * (1 - level), kBarWidth, kBarHeight * level);
    }
    for (size_t i = 0; i < lines.size(); i++) {
        paint::color(lines[i].red, lines[i].green, lines[i].blue, 1);
        font.draw(lines[i].text, kMargin, kMargin + lineHeight * float(i));
    }
    paint::end();
}
