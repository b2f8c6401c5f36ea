// The greeting cards of the credits and the punch-card flake that drifts in front of them.
// Both are drawn with texture row 0 at the bottom of the quad, so they are stored flipped.
#include "runtime/data_files.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"

namespace {

constexpr int kCardWidth = 512;
constexpr int kCardHeight = 192;

// The group a card greets: its file name without directory and extension.
std::string groupName(const char* dataFile) {
    std::string path = dataFile;
    size_t slash = path.rfind('/'), dot = path.rfind('.');
    return path.substr(slash + 1, dot - slash - 1);
}

// Light lettering on black: the cards are added onto the picture, so black adds nothing.
Canvas paintGreeting(const Lettering& fonts, int index) {
    Canvas canvas(kCardWidth, kCardHeight, Rgba{0, 0, 0, 1});
    Rgba accent = index % 2 ? palette::kWarm : palette::kCyan;
    std::string name = groupName(datafiles::kGreetings[index]);

    TextStyle small;
    small.fill = scaled(accent, 0.85f);
    drawText(canvas, fonts, Face::Mono, "greetings to", 20, kCardWidth / 2.0f, 44, Align::Center,
             small, 8);

    TextStyle big;
    big.fill = palette::kIce;
    big.fillBottom = mix(palette::kIce, accent, 0.5f);
    big.glow = withAlpha(accent, 0.8f);
    big.glowRadius = 7;
    big.glowStrength = 1.3f;
    int size = fittingSize(fonts, Face::SansBold, name, 86, 3, 440);
    drawText(canvas, fonts, Face::SansBold, name, size, kCardWidth / 2.0f, 130, Align::Center, big,
             3);

    // A hairline under the name with a bright centre.
    for (int x = 96; x < kCardWidth - 96; ++x) {
        float fade = 1 - std::fabs(x - kCardWidth / 2.0f) / (kCardWidth / 2.0f - 96);
        canvas.put(x, 158, accent, fade, Blend::Add);
        canvas.put(x, 157, accent, fade * 0.3f, Blend::Add);
        canvas.put(x, 159, accent, fade * 0.3f, Blend::Add);
    }
    return canvas;
}

// The card itself, 128 x 64.
Canvas paintFlakeCard(const Lettering&) {
    const int width = 128, height = 64;
    Canvas canvas(width, height);
    Point outline[] = {{2, 10}, {10, 2}, {126, 2}, {126, 62}, {2, 62}};
    // Half transparent: 120 flakes are added over the cards and must not wash them out.
    Rgba card = rgb(0xcfe6f2, 0.45f);
    canvas.fill(0, 0, width, height, card,
                [&](float x, float y) { return convexDistance(x, y, outline, 5); });
    Random random(1402);
    for (int column = 0; column < 24; ++column) {
        float x = 10 + column * 4.6f;
        // Printed guide, then up to three punched holes in the column's twelve rows.
        canvas.fill(x, 8, x + 1, 60, rgb(0x6a9ab8, 0.35f), [&](float px, float py) {
            return boxDistance(px, py, x + 1.5f, 34, 0.4f, 25);
        });
        int holes = random.below(4);
        for (int h = 0; h < holes; ++h) {
            float y = 10 + random.below(12) * 4.2f;
            for (int py = static_cast<int>(y); py < y + 3; ++py)
                for (int px = static_cast<int>(x); px < x + 2; ++px)
                    canvas.at(px, py) = Rgba{0, 0, 0, 0};
        }
    }
    return canvas;
}

// A tiny punched card: a pale card with a cut corner, printed column guides and punched holes,
// in the middle of a transparent square. The scene stretches the whole picture over a square
// a third of the view wide, so the margin is what keeps the 120 flakes small.
Canvas paintFlake(const Lettering& fonts) {
    Canvas card = paintFlakeCard(fonts);
    const int size = 256;
    Canvas canvas(size, size);
    int left = (size - card.width()) / 2, top = (size - card.height()) / 2;
    for (int y = 0; y < card.height(); ++y)
        for (int x = 0; x < card.width(); ++x)
            canvas.at(left + x, top + y) = card.at(x, y);
    return canvas;
}

} // namespace

void addCardJobs(std::vector<PictureJob>& jobs) {
    for (int i = 0; i < datafiles::kGreetingCount; ++i)
        jobs.push_back({datafiles::kGreetings[i], 4, true,
                        [i](const Lettering& fonts) { return paintGreeting(fonts, i); }});
    jobs.push_back({datafiles::kFlakePicture, 4, true, paintFlake});
}
