// Data-side costs of a large surface: ranges plus normals, and doubling the density.
#include "chart/Qor3DChart.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int GridSize = 2000;

void FillWaves(TQor3DChart& chart, int n) {
    if (!chart.SetSize3D(n, n))
        return;
    float* p = chart.Data().data();
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = float(i);
            p[1] = float(std::sin(i * 0.01) * std::cos(k * 0.013));
            p[2] = float(k);
        }
}

// Seconds per grid point, shown beside the time per iteration.
benchmark::Counter PerPoint(double points) {
    return benchmark::Counter(points, benchmark::Counter::kIsIterationInvariantRate |
                                          benchmark::Counter::kInvert);
}

void BM_UpdateRangesAndNormals(benchmark::State& state) {
    TQor3DChart chart;
    FillWaves(chart, GridSize);
    for (auto _ : state) {
        chart.UpdateRanges();
        chart.UpdateNormals();
        benchmark::DoNotOptimize(chart.Normals().data());
    }
    state.counters["time_per_point"] = PerPoint(double(GridSize) * GridSize);
}

void BM_IncreaseDensity(benchmark::State& state) {
    TQor3DChart chart;
    for (auto _ : state) {
        state.PauseTiming();
        FillWaves(chart, GridSize);
        state.ResumeTiming();
        chart.IncreaseDensity(10, -1);
        benchmark::DoNotOptimize(chart.Data().data());
    }
    // Per point of the new grid, which is what the operation computes.
    const double newPoints = double(2 * GridSize - 1) * (2 * GridSize - 1);
    state.counters["time_per_point"] = PerPoint(newPoints);
}

} // namespace

BENCHMARK(BM_UpdateRangesAndNormals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncreaseDensity)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
