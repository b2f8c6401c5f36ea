// The project's faces: their letter metrics, how lines are set and placed, and what the
// studio does with a character that has no letterform.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "runtime/data_files.h"
#include "tests/support/process.h"
#include "tools/pictures/dotmatrix.h"
#include "tools/pictures/logotype.h"
#include "tools/pictures/pictures.h"

namespace {

const Lettering fonts;
const Face kFaces[] = {Face::Logotype, Face::TextLight, Face::Text, Face::TextBold, Face::Dots};

// Rows and columns of a line's mask that are more than half covered (bottom and right are the
// last ones, inclusive).
struct Ink {
    int top, bottom, left, right;
};
Ink inkOf(const TextLine& line) {
    Ink ink{line.mask.height, -1, line.mask.width, -1};
    for (int y = 0; y < line.mask.height; ++y)
        for (int x = 0; x < line.mask.width; ++x)
            if (line.mask.at(x, y) > 0.5f)
                ink = {std::min(ink.top, y), std::max(ink.bottom, y), std::min(ink.left, x),
                       std::max(ink.right, x)};
    return ink;
}

} // namespace

TEST(FaceMetrics, StrokedFacesKeepTheirHeightsAndWeights) {
    // At 200 pixels to the em the x-height is 104 pixels, capitals and figures reach 1.4 of
    // it and descenders 0.42 below the baseline (slanted ends, as on l and p, overshoot);
    // stems are as thick as the face's weight says.
    const std::pair<Face, float> weights[] = {{Face::Logotype, 0.25f},
                                              {Face::TextLight, 0.12f},
                                              {Face::Text, 0.17f},
                                              {Face::TextBold, 0.25f}};
    for (const auto& [faceOfRow, weightOfRow] : weights) {
        // Plain copies: a lambda cannot capture structured bindings in C++17.
        Face face = faceOfRow;
        float weight = weightOfRow;
        auto measure = [&](const char* text) {
            TextLine line = fonts.line(face, text, 200);
            Ink box = inkOf(line);
            return std::make_tuple(line.baseline - box.top, box.bottom + 1 - line.baseline, line);
        };
        for (const char* letter : {"x", "n", "z"}) {
            auto [height, depth, line] = measure(letter);
            EXPECT_NEAR(height, 104, 1.5) << letter;
            EXPECT_NEAR(depth, 0, 1.5) << letter;
            EXPECT_EQ(line.baseline - line.xHeightTop, 104);
        }
        for (const char* tall : {"H", "E", "0", "7", "T"}) {
            auto [height, depth, line] = measure(tall);
            EXPECT_NEAR(height, 146, 1.5) << tall;
            EXPECT_NEAR(depth, 0, 1.5) << tall;
            EXPECT_EQ(line.baseline - line.capTop, 146);
        }
        for (const char* tail : {"g", "j", "y"})
            EXPECT_NEAR(std::get<1>(measure(tail)), 44, 1.5) << tail;
        // The stem of an "l", halfway up its ascender.
        TextLine l = fonts.line(face, "l", 200);
        float stem = 0;
        for (int x = 0; x < l.mask.width; ++x)
            stem += l.mask.at(x, l.baseline - 110);
        EXPECT_NEAR(stem, weight * 104, 1.0) << static_cast<int>(face);
    }
}

TEST(FaceMetrics, DotMatrixSetsOnePixelPerDotAtOnePixelCells) {
    // An H of 5 × 7 dots: two stems and a bar, 17 dots; a g hangs two rows lower.
    TextLine h = fonts.line(Face::Dots, "H", 10);
    Ink box = inkOf(h);
    EXPECT_EQ(box.right - box.left + 1, kDotColumns);
    EXPECT_EQ(box.bottom - box.top + 1, kDotRows);
    EXPECT_EQ(box.bottom, h.baseline - 1);
    int dots = 0;
    for (float v : h.mask.values)
        dots += v > 0.5f;
    EXPECT_EQ(dots, 17);
    EXPECT_EQ(inkOf(fonts.line(Face::Dots, "g", 10)).bottom, h.baseline - 1 + kDotDescent);
    // Letters advance by six cells; three-pixel cells make capitals 21 pixels tall.
    EXPECT_EQ(inkOf(fonts.line(Face::Dots, "HH", 10)).right - box.right, kDotAdvance);
    Ink big = inkOf(fonts.line(Face::Dots, "H", 30));
    EXPECT_EQ(big.bottom - big.top + 1, 3 * kDotRows);
}

TEST(Lettering, TextHasInkInsideItsMaskAndLongerTextIsWider) {
    TextLine short_ = fonts.line(Face::Text, "vsq", 64);
    TextLine long_ = fonts.line(Face::Text, "vsq-14: lirv", 64);
    EXPECT_GT(short_.mask.total(), 100);
    EXPECT_GT(short_.inkRight - short_.inkLeft, 60);
    EXPECT_GT(long_.inkRight - long_.inkLeft, 3 * (short_.inkRight - short_.inkLeft));
    EXPECT_LE(long_.inkRight, long_.mask.width);
    EXPECT_LT(short_.capTop, short_.xHeightTop);
    EXPECT_LT(short_.xHeightTop, short_.baseline);
    // The ink of "vsq" lies between the x-height and the baseline except for the q's tail.
    float above = 0;
    for (int y = 0; y < short_.xHeightTop - 2; ++y)
        for (int x = 0; x < short_.mask.width; ++x)
            above += short_.mask.at(x, y);
    EXPECT_LT(above, 1.0f);
}

TEST(Lettering, EmptyAndMalformedTextDoNotCrash) {
    EXPECT_EQ(fonts.line(Face::TextBold, "", 40).mask.total(), 0.0f);
    TextLine broken = fonts.line(Face::Dots, std::string("a\xff\xc3", 3), 40);
    EXPECT_GT(broken.mask.total(), 10);
}

TEST(Lettering, FittingSizeShrinksTextToTheWidth) {
    int size = fittingSize(fonts, Face::TextBold, "glasshouse", 200, 0, 300);
    EXPECT_LT(size, 200);
    TextLine fitted = fonts.line(Face::TextBold, "glasshouse", size);
    EXPECT_LE(fitted.inkRight - fitted.inkLeft, 300);
    EXPECT_EQ(fittingSize(fonts, Face::TextBold, "a", 40, 0, 300), 40);
}

TEST(Lettering, AlignmentPlacesTheInkAtTheGivenColumn) {
    for (Align align : {Align::Left, Align::Center, Align::Right}) {
        Canvas canvas(400, 100);
        int ink = drawText(canvas, fonts, Face::TextBold, "lirv", 48, 200, 70, align, TextStyle{});
        Picture picture = canvas.toPicture(4);
        int left = 400, right = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 400; ++x)
                if (picture.pixel(x, y)[3] > 0) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
        EXPECT_NEAR(right - left, ink, 1);
        if (align == Align::Left) {
            EXPECT_NEAR(left, 200, 1);
        }
        if (align == Align::Center) {
            EXPECT_NEAR((left + right) / 2.0, 200, 1);
        }
        if (align == Align::Right) {
            EXPECT_NEAR(right, 200, 1);
        }
    }
}

TEST(Lettering, TrackingWidensInEveryFace) {
    for (Face face : kFaces) {
        TextLine tight = fonts.line(face, "feat.", 40);
        TextLine loose = fonts.line(face, "feat.", 40, 10);
        EXPECT_NEAR((loose.inkRight - loose.inkLeft) - (tight.inkRight - tight.inkLeft), 40, 2);
    }
}

TEST(Logotype, LettersSitBetweenBaselineAndXHeightWithTheirAscendersAndTails) {
    // Ink rows of one letter set at an x-height of 100 pixels, as (top, bottom) mask rows.
    auto inkRows = [](char letter, TextLine& line) {
        LogoSet set;
        set.xHeight = 100;
        line = logotypeLine(std::string(1, letter), set);
        Ink ink = inkOf(line);
        return std::make_pair(ink.top, ink.bottom);
    };
    TextLine line;
    for (char letter : std::string("vsr")) {
        auto [top, bottom] = inkRows(letter, line);
        EXPECT_NEAR(top, line.xHeightTop, 2) << letter;
        EXPECT_NEAR(bottom, line.baseline - 1, 2) << letter;
        EXPECT_GT(line.inkRight - line.inkLeft, 40) << letter;
    }
    auto [lTop, lBottom] = inkRows('l', line);
    EXPECT_LT(lTop, line.xHeightTop - 40);
    EXPECT_NEAR(lBottom, line.baseline - 1, 2);
    auto [qTop, qBottom] = inkRows('q', line);
    EXPECT_NEAR(qTop, line.xHeightTop, 2);
    EXPECT_GT(qBottom, line.baseline + 30);
    auto [iTop, iBottom] = inkRows('i', line);
    EXPECT_LT(iTop, line.xHeightTop - 15) << "the dot above the stem";
    EXPECT_NEAR(iBottom, line.baseline - 1, 2);
}

TEST(Lettering, ACharacterWithoutALetterformFailsItsPicture) {
    // A character no face has is set as an empty box, named on the console and counted; the
    // studio refuses to write a picture that holds one.
    int before = missingLetterforms();
    EXPECT_GT(fonts.line(Face::Text, "caf\u00e9", 40).mask.total(), 10);
    EXPECT_EQ(missingLetterforms(), before + 1);
    fonts.line(Face::Dots, "\u00e9", 10);
    EXPECT_EQ(missingLetterforms(), before + 2);
    EXPECT_TRUE(fonts.covers(Face::Text, "so where is it? platform 14 \u2192"));
    EXPECT_FALSE(fonts.covers(Face::Dots, "caf\u00e9"));

    ScratchDir dir;
    PictureJob job{"data/word.png", 4, false, [](const Lettering& f) {
                       Canvas canvas(64, 32);
                       drawText(canvas, f, Face::Text, "\u00e9t\u00e9", 20, 2, 24, Align::Left,
                                TextStyle{});
                       return canvas;
                   }};
    EXPECT_FALSE(writePictureJob(job, fonts, dir.path()));
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/word.png"));
}

TEST(ClosingLockup, EachPictureAddsAWordOnTheSamePlate) {
    // "vsq is", "vsq is back", "vsq is back again": the same plate in the same place, each
    // picture holding the one before it, so cuts between them only add a word.
    std::vector<PictureJob> jobs = pictureJobs();
    auto paint = [&](const char* file) {
        for (const PictureJob& job : jobs)
            if (job.dataFile == file) return job.paint(fonts).toPicture(4);
        ADD_FAILURE() << file;
        return Picture();
    };
    Picture words[] = {paint(datafiles::kVsqIsOverlay), paint(datafiles::kBackOverlay),
                       paint(datafiles::kAgainOverlay)};
    // The first and last rows where two pictures differ.
    auto changedRows = [&](const Picture& a, const Picture& b) {
        int first = a.height, last = -1;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                if (memcmp(a.pixel(x, y), b.pixel(x, y), 4) != 0) {
                    first = std::min(first, y);
                    last = y;
                }
        return std::make_pair(first, last);
    };
    // "back" (rows 263 to 428) and its glow change only the rows around it; so does "again"
    // (rows 457 to 609).
    auto [backFirst, backLast] = changedRows(words[0], words[1]);
    EXPECT_GT(backFirst, 263 - 50);
    EXPECT_LT(backFirst, 290);
    EXPECT_LT(backLast, 428 + 50);
    auto [againFirst, againLast] = changedRows(words[1], words[2]);
    EXPECT_GT(againFirst, 457 - 50);
    EXPECT_GT(againLast, 600);
    EXPECT_LT(againLast, 609 + 50);
    // The plate is dark and nearly opaque beside the words.
    const uint8_t* plate = words[2].pixel(512 - 240, 384);
    EXPECT_GT(plate[3], 200);
    EXPECT_LT(plate[0] + plate[1] + plate[2], 120);
}
