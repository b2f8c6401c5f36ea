// The night-time palette and lettering styles shared by the painters.
#pragma once

#include "tools/pictures/canvas.h"
#include "tools/pictures/lettering.h"

namespace palette {

const Rgba kNight = rgb(0x070d1f);    // sky and shadows
const Rgba kDeepBlue = rgb(0x0f2248); // lit sky, panels
const Rgba kCyan = rgb(0x4fd8ff);     // neon accents and glows
const Rgba kIce = rgb(0xdff6ff);      // lettering
const Rgba kWarm = rgb(0xffb75e);     // window light
const Rgba kWarmPale = rgb(0xffe2b0); // lamp cores
const Rgba kSignal = rgb(0xff4a3d);   // tail lights, alarms

} // namespace palette

// Big lettering for full-screen overlays: pale fill, cyan glow, soft shadow.
inline TextStyle overlayStyle(Rgba glow = palette::kCyan) {
    TextStyle style;
    style.fill = palette::kIce;
    style.fillBottom = mix(palette::kIce, glow, 0.35f);
    style.outline = withAlpha(palette::kNight, 0.55f);
    style.outlineWidth = 3;
    style.shadow = withAlpha(palette::kNight, 0.7f);
    style.shadowOffset = 6;
    style.shadowBlur = 8;
    style.glow = withAlpha(glow, 0.9f);
    style.glowRadius = 14;
    style.glowStrength = 1.6f;
    return style;
}

// Small spaced-out labels ("code", "music").
inline TextStyle labelStyle() {
    TextStyle style;
    style.fill = palette::kWarm;
    style.shadow = withAlpha(palette::kNight, 0.8f);
    style.shadowOffset = 3;
    style.shadowBlur = 4;
    style.glow = withAlpha(palette::kWarm, 0.6f);
    style.glowRadius = 8;
    style.glowStrength = 1.2f;
    return style;
}
