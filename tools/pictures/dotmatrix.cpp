#include "tools/pictures/dotmatrix.h"

#include <cmath>

namespace {

// A glyph: rows from the top of the capitals down, '#' a lit dot; 7 rows, or 9 with the
// descender. Spaces between rows are for reading only.
struct DotGlyph {
    uint32_t code;
    const char* rows;
};

// The round letters turn their corners in one dot, as the stroked faces turn them in a
// fillet; figures are as tall as the capitals.
const DotGlyph kGlyphs[] = {
    {' ', "..... ..... ..... ..... ..... ..... ....."},
    {'A', ".###. #...# #...# ##### #...# #...# #...#"},
    {'B', "####. #...# #...# ####. #...# #...# ####."},
    {'C', ".#### #.... #.... #.... #.... #.... .####"},
    {'D', "####. #...# #...# #...# #...# #...# ####."},
    {'E', "##### #.... #.... ####. #.... #.... #####"},
    {'F', "##### #.... #.... ####. #.... #.... #...."},
    {'G', ".#### #.... #.... #..## #...# #...# .####"},
    {'H', "#...# #...# #...# ##### #...# #...# #...#"},
    {'I', ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'J', "..### ....# ....# ....# ....# #...# .###."},
    {'K', "#...# #..#. #.#.. ##... #.#.. #..#. #...#"},
    {'L', "#.... #.... #.... #.... #.... #.... #####"},
    {'M', "#...# ##.## #.#.# #.#.# #...# #...# #...#"},
    {'N', "#...# #...# ##..# #.#.# #..## #...# #...#"},
    {'O', ".###. #...# #...# #...# #...# #...# .###."},
    {'P', "####. #...# #...# ####. #.... #.... #...."},
    {'Q', ".###. #...# #...# #...# #.#.# #..#. .##.#"},
    {'R', "####. #...# #...# ####. #.#.. #..#. #...#"},
    {'S', ".#### #.... #.... .###. ....# ....# ####."},
    {'T', "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."},
    {'U', "#...# #...# #...# #...# #...# #...# .###."},
    {'V', "#...# #...# #...# #...# #...# .#.#. ..#.."},
    {'W', "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."},
    {'X', "#...# #...# .#.#. ..#.. .#.#. #...# #...#"},
    {'Y', "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."},
    {'Z', "##### ....# ...#. ..#.. .#... #.... #####"},
    {'a', "..... ..... .###. ....# .#### #...# .####"},
    {'b', "#.... #.... ####. #...# #...# #...# ####."},
    {'c', "..... ..... .#### #.... #.... #.... .####"},
    {'d', "....# ....# .#### #...# #...# #...# .####"},
    {'e', "..... ..... .###. #...# ##### #.... .####"},
    {'f', "..##. .#... ####. .#... .#... .#... .#..."},
    {'g', "..... ..... .#### #...# #...# #...# .#### ....# ####."},
    {'h', "#.... #.... ####. #...# #...# #...# #...#"},
    {'i', "..#.. ..... .##.. ..#.. ..#.. ..#.. .###."},
    {'j', "...#. ..... ..##. ...#. ...#. ...#. ...#. #..#. .##.."},
    {'k', "#.... #.... #..#. #.#.. ##... #.#.. #..#."},
    {'l', ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'m', "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#"},
    {'n', "..... ..... ####. #...# #...# #...# #...#"},
    {'o', "..... ..... .###. #...# #...# #...# .###."},
    {'p', "..... ..... ####. #...# #...# #...# ####. #.... #...."},
    {'q', "..... ..... .#### #...# #...# #...# .#### ....# ....#"},
    {'r', "..... ..... #.##. ##... #.... #.... #...."},
    {'s', "..... ..... .#### #.... .###. ....# ####."},
    {'t', ".#... .#... ####. .#... .#... .#... ..##."},
    {'u', "..... ..... #...# #...# #...# #...# .####"},
    {'v', "..... ..... #...# #...# #...# .#.#. ..#.."},
    {'w', "..... ..... #...# #...# #.#.# #.#.# .#.#."},
    {'x', "..... ..... #...# .#.#. ..#.. .#.#. #...#"},
    {'y', "..... ..... #...# #...# #...# #...# .#### ....# .###."},
    {'z', "..... ..... ##### ...#. ..#.. .#... #####"},
    {'0', ".###. #...# #..## #.#.# ##..# #...# .###."},
    {'1', "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'2', ".###. #...# ....# ...#. ..#.. .#... #####"},
    {'3', "####. ....# ....# .###. ....# ....# ####."},
    {'4', "...#. ..##. .#.#. #..#. ##### ...#. ...#."},
    {'5', "##### #.... ####. ....# ....# #...# .###."},
    {'6', "..##. .#... #.... ####. #...# #...# .###."},
    {'7', "##### ....# ...#. ..#.. .#... .#... .#..."},
    {'8', ".###. #...# #...# .###. #...# #...# .###."},
    {'9', ".###. #...# #...# .#### ....# ...#. .##.."},
    {'.', "..... ..... ..... ..... ..... ..... ..#.."},
    {',', "..... ..... ..... ..... ..... ..#.. ..#.. .#..."},
    {':', "..... ..... ..#.. ..... ..... ..#.. ....."},
    {';', "..... ..... ..#.. ..... ..... ..#.. ..#.. .#..."},
    {'-', "..... ..... ..... .###. ..... ..... ....."},
    {'+', "..... ..#.. ..#.. ##### ..#.. ..#.. ....."},
    {'?', ".###. #...# ....# ...#. ..#.. ..... ..#.."},
    {'!', "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#.."},
    {'\'', "..#.. ..#.. .#... ..... ..... ..... ....."},
    {'"', ".#.#. .#.#. ..... ..... ..... ..... ....."},
    {'/', "....# ....# ...#. ..#.. .#... #.... #...."},
    {'(', "...#. ..#.. .#... .#... .#... ..#.. ...#."},
    {')', ".#... ..#.. ...#. ...#. ...#. ..#.. .#..."},
    {'&', ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#"},
    {0x2192, "..... ..#.. ...#. ##### ...#. ..#.. ....."}, // rightwards arrow
};

// What stands in for a missing pattern: a hollow box.
const DotGlyph kMissing = {0, "##### #...# #...# #...# #...# #...# #####"};

const DotGlyph* find(uint32_t code) {
    for (const DotGlyph& g : kGlyphs)
        if (g.code == code) return &g;
    return nullptr;
}

// Calls lit(column, row) for each dot of the glyph; rows count from the top of the capitals.
template <class Lit> void forEachDot(const DotGlyph& g, Lit lit) {
    int column = 0, row = 0;
    for (const char* c = g.rows; *c; ++c) {
        if (*c == ' ') continue;
        if (*c == '#') lit(column, row);
        if (++column == kDotColumns) {
            column = 0;
            ++row;
        }
    }
}

} // namespace

bool dotMatrixCovers(const std::string& text) {
    for (uint32_t code : codePoints(text))
        if (!find(code)) return false;
    return true;
}

TextLine dotMatrixLine(const std::string& text, float cell, float tracking, int margin) {
    std::vector<uint32_t> codes = codePoints(text);
    const float radius = 0.42f * cell;
    const int pad = margin + 1;
    const float step = kDotAdvance * cell + tracking;
    float advance = codes.empty() ? 0 : step * codes.size() - cell - tracking;
    TextLine out;
    out.mask = Mask(static_cast<int>(std::ceil(std::fmax(advance, 0.0f))) + 2 * pad,
                    static_cast<int>(std::ceil((kDotRows + kDotDescent) * cell)) + 2 * pad);
    out.baseline = pad + static_cast<int>(std::ceil(kDotRows * cell));
    out.capTop = out.baseline - static_cast<int>(std::lround(kDotRows * cell));
    out.xHeightTop = out.baseline - static_cast<int>(std::lround(5 * cell));
    for (size_t i = 0; i < codes.size(); ++i) {
        const DotGlyph* g = find(codes[i]);
        if (!g) reportMissingLetterform(codes[i], text);
        float left = pad + i * step;
        forEachDot(g ? *g : kMissing, [&](int column, int row) {
            float cx = left + (column + 0.5f) * cell;
            float cy = out.baseline - (kDotRows - row - 0.5f) * cell;
            int x0 = std::max(0, static_cast<int>(cx - radius) - 1);
            int y0 = std::max(0, static_cast<int>(cy - radius) - 1);
            int x1 = std::min(out.mask.width, static_cast<int>(cx + radius) + 2);
            int y1 = std::min(out.mask.height, static_cast<int>(cy + radius) + 2);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    float cover = coverage(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius);
                    out.mask.at(x, y) = std::max(out.mask.at(x, y), cover);
                }
        });
    }
    measureInk(out, pad);
    return out;
}
