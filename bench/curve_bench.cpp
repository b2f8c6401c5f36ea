// One CameraCurve::evaluate on a 1000-key curve at a late time: the linear key search walks
// almost every key of all three splines.
#include "curves/camera_curve.h"

#include <benchmark/benchmark.h>

namespace {

// Built once and never destroyed: destruction would print a line per key into the report.
const CameraCurve& longCurve() {
    static CameraCurve* curve = [] {
        CameraCurve* c = new CameraCurve;
        for (uint32_t i = 0; i < 1000; i++) {
            float f = float(i);
            c->addKeypoint({i * 1000, {f, f * 0.5f, -f}, {f + 1, 0, f}, {0, f, 0}});
        }
        return c;
    }();
    return *curve;
}

void BM_EvaluateLate1000Keys(benchmark::State& state) {
    const CameraCurve& curve = longCurve();
    const uint32_t t = 997500; // in the last segment before the end at 998000
    for (auto _ : state) {
        CurveRecord r = curve.evaluate(t, true);
        benchmark::DoNotOptimize(r);
    }
}

} // namespace

BENCHMARK(BM_EvaluateLate1000Keys);
BENCHMARK_MAIN();
