// One off-screen render (OSMesa) of a 500 x 500 surface at 800 x 600, axes and grids included:
// solid, solid with the highlight pass, and wire frame.
#include "Qor3DChart.h"
#include "Qor3DChartScene.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int N = 500;

void FillSurface(TQor3DChart& Chart) {
    if (!Chart.SetSize3D(N, N))
        return;
    for (int k = 0; k < N; ++k)
        for (int i = 0; i < N; ++i) {
            const double x = 10.0 * i / (N - 1);
            const double z = 10.0 * k / (N - 1);
            const size_t p = size_t(i + N * k);
            Chart.Data()[3 * p] = float(x);
            Chart.Data()[3 * p + 1] = float(1 + std::sin(x * 0.6) * std::cos(z * 0.4));
            Chart.Data()[3 * p + 2] = float(z);
        }
    Chart.UpdateRanges();
    Chart.UpdateNormals();
}

enum class TMode { Solid, Shiny, Wired };

void BM_RenderSurface(benchmark::State& State, TMode Mode) {
    TQor3DChart chart;
    FillSurface(chart);
    chart.SetShiny(Mode == TMode::Shiny);
    chart.SetWired(Mode == TMode::Wired);
    for (auto _ : State) {
        const QImage image = RenderChartImage(chart, 800, 600);
        benchmark::DoNotOptimize(image.constBits());
    }
    State.counters["points"] = double(N) * N;
}

BENCHMARK_CAPTURE(BM_RenderSurface, solid, TMode::Solid)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderSurface, shiny, TMode::Shiny)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderSurface, wired, TMode::Wired)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The axis labels need the GUI font machinery, never a display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
