// Importers on a 2000 x 2000 grid: a .npy of float32 (bytes per second, read alone and put into
// a chart) and a CSV matrix beside the native "<3D>" load of the same numbers into a chart of
// the same layout. Ratios above 1 mean the import is faster than the native load.
//
// With --process it measures whole processes instead: the peak memory of a .npy import into a
// low-memory chart, beyond that of a tiny file's, against the chart's arrays.
#include "QorImportNpy.h"
#include "QorImportRegistry.h"
#include "QorImportText.h"
#include "QorImportWrite.h"
#include "chart/Qor3DChart.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int GridSize = 2000;
constexpr int Runs = 7;

// The best of a few rounds of each pass, in seconds; a round runs every pass once, so all of
// them meet the same load on a shared machine.
std::vector<double> BestTimes(const std::vector<std::function<void()>>& Passes) {
    std::vector<double> best(Passes.size(), 1e30);
    for (int r = 0; r < Runs; ++r)
        for (size_t i = 0; i < Passes.size(); ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            Passes[i]();
            const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
            best[i] = std::min(best[i], d.count());
        }
    return best;
}

// The same numbers as the chart-file benchmark, in the native form, as CSV and as .npy.
bool MakeFiles(const std::filesystem::path& Dir, int Size) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    if (!chart.SetSize3D(Size, Size))
        return false;
    for (int i = 0; i < Size; ++i) {
        chart.XValues()[size_t(i)] = float(i) * 0.01f;
        chart.ZValues()[size_t(i)] = float(i) * 0.02f;
    }
    for (size_t p = 0; p < chart.Data().size(); ++p)
        chart.Data()[p] = std::sin(float(p % 977) * 0.01f) * 100.0f;
    const std::string n = std::to_string(Size);
    std::string error;
    return chart.SaveToFile((Dir / ("grid" + n + ".p3d")).string(), false, false) == 0 &&
           WriteChartCsv(chart, (Dir / ("grid" + n + ".csv")).string(), error) &&
           WriteChartNpy(chart, (Dir / ("grid" + n + ".npy")).string(), error);
}

struct TRun {
    double Seconds = 1e30;
    long PeakBytes = 0;
    bool Ok = true;
};

TRun RunProcess(const std::vector<std::string>& Args) {
    TRun run;
    std::vector<char*> argv;
    for (const std::string& a : Args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        run.Ok = false;
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    run.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.Seconds = d.count();
    run.PeakBytes = usage.ru_maxrss * 1024;
    return run;
}

std::string SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

// One import of a .npy into a low-memory chart, as a process of its own.
int ImportNpyProcess(const std::string& File) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    return ApplyToChart(ReadNpyFile(File, {}), chart) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--npy") == 0)
        return ImportNpyProcess(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0)
        return MakeFiles(argv[2], GridSize) && MakeFiles(argv[2], 2) ? 0 : 1;
    const bool process = argc == 2 && std::strcmp(argv[1], "--process") == 0;

    std::string folder = (std::filesystem::temp_directory_path() / "plotyra-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "cannot make a folder for the sample files\n");
        return 1;
    }
    const std::filesystem::path dir = folder;
    const std::string n = std::to_string(GridSize);
    const std::string native = (dir / ("grid" + n + ".p3d")).string();
    const std::string csv = (dir / ("grid" + n + ".csv")).string();
    const std::string npy = (dir / ("grid" + n + ".npy")).string();
    // A child writes the samples, so that this process's own peak stays small.
    if (!RunProcess({SelfPath(), "--make", dir.string()}).Ok) {
        std::fprintf(stderr, "cannot write the sample files in %s\n", dir.c_str());
        std::filesystem::remove_all(dir);
        return 1;
    }
    const double npyMB = double(std::filesystem::file_size(npy)) / 1e6;
    const double arrayMB = double(GridSize) * GridSize * 4 / 1e6;

    if (process) {
        TRun big, tiny;
        for (int r = 0; r < Runs; ++r) {
            const TRun b = RunProcess({SelfPath(), "--npy", npy});
            const TRun t = RunProcess({SelfPath(), "--npy", (dir / "grid2.npy").string()});
            big.Seconds = std::min(big.Seconds, b.Seconds);
            big.PeakBytes = std::max(big.PeakBytes, b.PeakBytes);
            tiny.PeakBytes = std::max(tiny.PeakBytes, t.PeakBytes);
            big.Ok = big.Ok && b.Ok && t.Ok;
        }
        const double arrays = arrayMB * 1e6 + 2.0 * GridSize * 4;
        std::printf("file: %d x %d float32 .npy, %.1f MB%s\n", GridSize, GridSize, npyMB,
                    big.Ok ? "" : " (some runs FAILED)");
        std::printf("import into a low-memory chart, whole process: %.3f s\n", big.Seconds);
        std::printf("peak memory beyond a tiny file's: %.1f MB = %.3f x the chart's arrays\n",
                    double(big.PeakBytes - tiny.PeakBytes) / 1e6,
                    double(big.PeakBytes - tiny.PeakBytes) / arrays);
        std::filesystem::remove_all(dir);
        return big.Ok ? 0 : 1;
    }

    const double csvMB = double(std::filesystem::file_size(csv)) / 1e6;
    const double nativeMB = double(std::filesystem::file_size(native)) / 1e6;
    int failures = 0;
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    TQor3DChart full;
    const std::vector<std::function<void()>> passes = {
        [&] { failures += chart.LoadFromFile(native, false) != 0; },
        [&] { failures += !ApplyToChart(ReadTextTable(csv, {}), chart); },
        [&] { failures += full.LoadFromFile(native, false) != 0; },
        [&] { failures += !ApplyToChart(ReadTextTable(csv, {}), full); },
        [&] {
            TQorImportResult r = ReadNpyFile(npy, {});
            failures += !r.Ok();
            benchmark::DoNotOptimize(r.Values.data());
        },
        [&] { failures += !ApplyToChart(ReadNpyFile(npy, {}), chart); },
    };
    const std::vector<double> best = BestTimes(passes);
    std::printf("files: %d x %d, native \"<3D>\" %.1f MB, CSV %.1f MB, .npy %.1f MB%s\n", GridSize,
                GridSize, nativeMB, csvMB, npyMB, failures != 0 ? " (some runs FAILED)" : "");
    std::printf("%-44s %8.3f s\n", "native load, low-memory layout", best[0]);
    std::printf("%-44s %8.3f s  speed %.2f x native\n", "CSV import into a low-memory chart",
                best[1], best[0] / best[1]);
    std::printf("%-44s %8.3f s\n", "native load, full layout", best[2]);
    std::printf("%-44s %8.3f s  speed %.2f x native\n", "CSV import into a full-layout chart",
                best[3], best[2] / best[3]);
    std::printf("%-44s %8.1f MB/s of array data\n", ".npy read (float32, C order)",
                arrayMB / best[4]);
    std::printf("%-44s %8.1f MB/s of array data\n", ".npy read and put into a low-memory chart",
                arrayMB / best[5]);
    std::filesystem::remove_all(dir);
    return failures != 0 ? 1 : 0;
}
