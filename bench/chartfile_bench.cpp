// Load and save of a 2000 x 2000 "<3D>" chart file in MB/s, beside a plain pass that only
// splits the same file into tokens and converts them with std::from_chars. The ratio of the
// load to that pass is the figure that counts: it shows what the chart reader adds to the
// unavoidable work of reading the numbers.
#include "QorDataText.h"
#include "chart/Qor3DChart.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int GridSize = 2000;
constexpr int Runs = 5;

// The best of a few runs, in seconds.
double BestTime(const std::function<void()>& f) {
    double best = 1e30;
    for (int r = 0; r < Runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
}

void MakeFile(const std::string& file) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    if (!chart.SetSize3D(GridSize, GridSize))
        return;
    for (int i = 0; i < GridSize; ++i) {
        chart.XValues()[size_t(i)] = float(i) * 0.01f;
        chart.ZValues()[size_t(i)] = float(i) * 0.02f;
    }
    for (size_t p = 0; p < chart.Data().size(); ++p)
        chart.Data()[p] = std::sin(float(p % 977) * 0.01f) * 100.0f;
    chart.SaveToFile(file, false, false);
}

// Whitespace tokens converted by from_chars, nothing else: no grammar check, no storage layout.
size_t PlainPass(std::string_view text, std::vector<float>& out) {
    out.clear();
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        while (p < end && static_cast<unsigned char>(*p) <= 32)
            ++p;
        const char* start = p;
        while (p<end&& static_cast<unsigned char>(*p)> 32)
            ++p;
        if (p == start)
            break;
        double v = 0;
        std::from_chars(start, p, v);
        out.push_back(float(v));
    }
    return out.size();
}

} // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "plotyra-bench";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "grid2000.p3d").string();
    const std::string copy = (dir / "grid2000-saved.p3d").string();
    MakeFile(file);
    const double mb = double(std::filesystem::file_size(file)) / 1e6;

    TQor3DChart full;
    TQor3DChart low;
    low.SetUseLowMemory(true);
    int failures = 0;
    const double loadFull = BestTime([&] { failures += full.LoadFromFile(file, false) != 0; });
    const double loadLow = BestTime([&] { failures += low.LoadFromFile(file, false) != 0; });
    const double saveLow = BestTime([&] { failures += low.SaveToFile(copy, false, false) != 0; });
    std::vector<float> numbers;
    numbers.reserve(size_t(GridSize) * GridSize + 2 * GridSize + 2);
    const double plain = BestTime([&] {
        TQorFileView view;
        view.Open(file);
        benchmark::DoNotOptimize(PlainPass(view.Text(), numbers));
    });

    std::printf("file: %d x %d \"<3D>\", %.1f MB%s\n", GridSize, GridSize, mb,
                failures != 0 ? " (some runs FAILED)" : "");
    std::printf("%-34s %9.1f MB/s\n", "load, full layout", mb / loadFull);
    std::printf("%-34s %9.1f MB/s\n", "load, low-memory layout", mb / loadLow);
    std::printf("%-34s %9.1f MB/s\n", "save, low-memory layout", mb / saveLow);
    std::printf("%-34s %9.1f MB/s\n", "plain tokenise + from_chars", mb / plain);
    std::printf("ratio load (full) / plain pass:     %.2f\n", plain / loadFull);
    std::printf("ratio load (low-memory) / plain:    %.2f\n", plain / loadLow);
    std::filesystem::remove_all(dir);
    return failures != 0 ? 1 : 0;
}
