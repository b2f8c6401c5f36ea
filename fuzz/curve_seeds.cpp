// Writes the curve fuzz target's seed corpus with the studio's curve writer.
#include "fuzz/seed_writer.h"
#include "tools/formats/curve_writer.h"

#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    std::vector<CurveRecord> flight;
    for (uint32_t i = 0; i < 6; i++) {
        float f = float(i);
        flight.push_back({i * 1000, {f, 2 * f, 3 * f}, {f + 1, 0, -f}, {0, 90 * f, 0}});
    }
    std::vector<CurveRecord> unordered = {flight[3], flight[0], flight[5], flight[1]};
    std::vector<CurveRecord> sameTime = {flight[0], flight[0], flight[0]};
    bool ok = writeSeed(argv[1], "empty", formats::encodeCurve({})) &&
              writeSeed(argv[1], "two", formats::encodeCurve({flight[0], flight[1]})) &&
              writeSeed(argv[1], "flight", formats::encodeCurve(flight)) &&
              writeSeed(argv[1], "unordered", formats::encodeCurve(unordered)) &&
              writeSeed(argv[1], "same-time", formats::encodeCurve(sameTime));
    return ok ? 0 : 1;
}
