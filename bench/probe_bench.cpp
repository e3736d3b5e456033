// The viewer's readout: picking the point under the cursor on a surface of 2000 × 2000 points
// at 800 × 600, in either layout, over the middle of the picture and over a corner off the
// data. The time per iteration is the time of one hover; firstMs that of the first one, which
// also makes the boxes of the blocks of cells.
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartProbe.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>

namespace {

constexpr int Points = 2000;

std::unique_ptr<TQor3DChart> MakeSurface(bool LowMemory) {
    auto chart = std::make_unique<TQor3DChart>();
    chart->SetUseLowMemory(LowMemory);
    if (!chart->SetSize3D(Points, Points))
        return chart;
    for (int k = 0; k < Points; ++k)
        for (int i = 0; i < Points; ++i) {
            const float h = float(std::sin(i * 15.0 / Points) * std::cos(k * 10.0 / Points));
            const size_t p = size_t(i) + size_t(Points) * size_t(k);
            if (LowMemory) {
                chart->Data()[p] = h;
            } else {
                chart->Data()[3 * p] = float(i);
                chart->Data()[3 * p + 1] = h;
                chart->Data()[3 * p + 2] = float(k);
            }
        }
    if (LowMemory)
        for (int i = 0; i < Points; ++i)
            chart->XValues()[size_t(i)] = chart->ZValues()[size_t(i)] = float(i);
    chart->UpdateRanges();
    chart->UpdateNormals();
    chart->SetViewRotY(-100);
    return chart;
}

void BM_PickSurface(benchmark::State& State) {
    static std::unique_ptr<TQor3DChart> charts[2] = {MakeSurface(false), MakeSurface(true)};
    TQor3DChart& chart = *charts[State.range(0)];
    const double x = State.range(1) == 0 ? 400 : 2;
    const double y = State.range(1) == 0 ? 300 : 2;
    // The first hover makes the blocks' boxes; the viewer's picker keeps them for the next.
    TQorChartPicker picker;
    const auto start = std::chrono::steady_clock::now();
    picker.AtPixel(chart, 800, 600, x, y);
    State.counters["firstMs"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (auto _ : State)
        benchmark::DoNotOptimize(picker.AtPixel(chart, 800, 600, x, y));
}
BENCHMARK(BM_PickSurface)
    ->ArgNames({"lowMemory", "corner"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
