#include "tools/pictures/icon.h"

#include "tools/pictures/logotype.h"
#include "tools/pictures/palette.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kMinIconSize = 16;
constexpr int kMaxIconSize = 1024;

// The word's ink spans this share of the icon's width.
constexpr float kInkShare = 0.74f;

// The tile: a rounded square with a little room around it, lit from above, with a cyan rim.
void paintTile(Canvas& canvas) {
    const float size = float(canvas.width()), half = size / 2;
    const float inset = size * 0.04f, radius = size * 0.2f;
    const float rim = size / 64 < 1 ? 1 : size / 64;
    canvas.shade([&](float x, float y) {
        float d = boxDistance(x, y, half, half, half - inset, half - inset, radius);
        Rgba light = mix(palette::kDeepBlue, palette::kNight, y / size);
        // The outermost `rim` pixels inside the edge (d from -rim to 0) are the rim.
        Rgba c = mix(light, palette::kCyan, 0.6f * coverage(-d - rim));
        return withAlpha(c, coverage(d));
    });
}

// The logotype's word, its ink centred on the tile, with a glow of the title's cyan.
void paintWord(Canvas& canvas) {
    const int size = canvas.width();
    LogoSet set;
    set.xHeight = 100;
    TextLine probe = logotypeLine("lirv", set);
    set.xHeight = 100 * kInkShare * size / float(probe.inkRight - probe.inkLeft);
    set.margin = size / 16;
    TextLine word = logotypeLine("lirv", set);
    int x = (size - (word.inkRight + word.inkLeft)) / 2;
    int y = (size - (word.baseline + word.capTop)) / 2;
    Mask glow = word.mask;
    blur(glow, size / 40 < 1 ? 1 : size / 40);
    canvas.draw(glow, x, y, withAlpha(palette::kCyan, 0.9f), Blend::Add);
    canvas.draw(word.mask, x, y, palette::kIce);
}

} // namespace

Canvas paintIcon(int size) {
    Canvas canvas(size, size);
    paintTile(canvas);
    paintWord(canvas);
    return canvas;
}

int runIconCommand(int argc, char** argv) {
    char* end = nullptr;
    long size = argc == 3 ? strtol(argv[1], &end, 10) : 0;
    if (argc != 3 || *end != '\0' || size < kMinIconSize || size > kMaxIconSize) {
        fprintf(stderr, "usage: lirv-studio icon SIZE OUT.png   (SIZE in pixels, %d to %d)\n",
                kMinIconSize, kMaxIconSize);
        return 2;
    }
    if (!writePng(argv[2], paintIcon(int(size)).toPicture(4))) return 1;
    printf("icon: wrote %s (%ld x %ld)\n", argv[2], size, size);
    return 0;
}
