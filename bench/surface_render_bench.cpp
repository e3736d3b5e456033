// One off-screen render of a 500 x 500 surface at 800 x 600 through OSMesa: solid, shiny and
// wired, from either layout. The time per iteration is the time per frame.
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartScene.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int GridSize = 500;

enum TStyle { Solid, Shiny, Wired };

bool FillWaves(TQor3DChart& Chart, int n, bool LowMemory) {
    Chart.SetUseLowMemory(LowMemory);
    if (!Chart.SetSize3D(n, n))
        return false;
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i) {
            const float h = float(std::sin(i * 0.03) * std::cos(k * 0.02));
            const size_t p = size_t(i) + size_t(n) * size_t(k);
            if (LowMemory) {
                Chart.Data()[p] = h;
            } else {
                Chart.Data()[3 * p] = float(i);
                Chart.Data()[3 * p + 1] = h;
                Chart.Data()[3 * p + 2] = float(k);
            }
        }
    if (LowMemory)
        for (int i = 0; i < n; ++i)
            Chart.XValues()[size_t(i)] = Chart.ZValues()[size_t(i)] = float(i);
    Chart.UpdateRanges();
    Chart.UpdateNormals();
    return true;
}

void BM_RenderSurface(benchmark::State& state) {
    const auto style = TStyle(state.range(0));
    TQor3DChart chart;
    if (!FillWaves(chart, GridSize, state.range(1) != 0)) {
        state.SkipWithError("the grid does not fit");
        return;
    }
    chart.SetShiny(style == Shiny);
    chart.SetWired(style == Wired);
    // The first render loads OSMesa and fills the caches.
    RenderChartImage(chart, 800, 600);
    for (auto _ : state) {
        const QImage image = RenderChartImage(chart, 800, 600);
        benchmark::DoNotOptimize(image.constBits());
    }
}

BENCHMARK(BM_RenderSurface)
    ->ArgNames({"style", "lowmem"})
    ->ArgsProduct({{Solid, Shiny, Wired}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    // Axis labels need fonts, and so a GUI application, also without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
