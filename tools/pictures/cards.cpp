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

// Lettering on black for additive drawing: black adds nothing, so the backdrop behind a card
// is kept dark and the card's own light is what reads. The scene's glow pass adds the cards
// once more (they show at twice their light) plus a bloom of what is brighter than about
// three quarters grey, and the timeline's glow adds a little more: the name is set at a
// little under 0.4, so on screen it is bright without clipping or blooming, and widely
// spaced, so its letters stay apart.
Canvas paintGreeting(const Lettering& fonts, int index) {
    Canvas canvas(kCardWidth, kCardHeight, Rgba{0, 0, 0, 1});
    Rgba accent = index % 2 ? palette::kWarm : palette::kCyan;
    std::string name = groupName(datafiles::kGreetings[index]);

    // The line above the name is set large enough to be read on the card's 77 screen rows.
    TextStyle small;
    small.fill = scaled(accent, 0.42f);
    drawText(canvas, fonts, Face::Text, "greetings to", 32, kCardWidth / 2.0f, 38, Align::Center,
             small, 6);

    TextStyle big;
    big.fill = scaled(palette::kIce, 0.4f);
    big.fillBottom = scaled(mix(palette::kIce, accent, 0.45f), 0.36f);
    int size = fittingSize(fonts, Face::TextBold, name, 92, 8, 460);
    drawText(canvas, fonts, Face::TextBold, name, size, kCardWidth / 2.0f, 128, Align::Center, big,
             8);

    // A rule under the name with a brighter centre, three pixels tall so it survives the
    // card's shrinking on screen.
    for (int x = 96; x < kCardWidth - 96; ++x) {
        float fade = 0.35f * (1 - std::fabs(x - kCardWidth / 2.0f) / (kCardWidth / 2.0f - 96));
        canvas.put(x, 157, accent, fade, Blend::Add);
        canvas.put(x, 156, accent, fade * 0.5f, Blend::Add);
        canvas.put(x, 158, accent, fade * 0.5f, Blend::Add);
    }
    return canvas;
}

// The card itself, 128 x 64: a faint body inside a dim edge, with its punched holes lit, so a
// flake that drifts across a name adds a faint outline and a few dots, never a sheet or a line
// that cuts the letters.
Canvas paintFlakeCard(const Lettering&) {
    const int width = 128, height = 64;
    Canvas canvas(width, height);
    Point outline[] = {{2, 10}, {10, 2}, {126, 2}, {126, 62}, {2, 62}};
    canvas.fill(0, 0, width, height, rgb(0x8fb4d8, 0.1f),
                [&](float x, float y) { return convexDistance(x, y, outline, 5); });
    canvas.fill(0, 0, width, height, rgb(0xb8d8f0, 0.3f), [&](float x, float y) {
        return std::fabs(convexDistance(x, y, outline, 5) + 1.5f) - 1.5f;
    });
    Random random(1402);
    for (int column = 0; column < 24; ++column) {
        float x = 10 + column * 4.6f;
        int holes = random.below(4);
        for (int h = 0; h < holes; ++h) {
            float y = 10 + random.below(12) * 4.2f;
            canvas.fill(x - 1, y - 1, x + 4, y + 5, rgb(0xb8d8f0, 0.3f), [&](float px, float py) {
                return boxDistance(px, py, x + 1, y + 1.5f, 1, 1.5f);
            });
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
