// Load and save of a 2000 x 2000 "<3D>" chart file in both layouts, beside the bare passes that
// bound them: a single-threaded tokenise + std::from_chars pass over the same file, and a plain
// single-threaded std::to_chars writer of the same numbers (file write included), plus that
// writer's formatting alone in memory. Ratios above 1 mean faster than the bare pass.
//
// With --process it measures whole processes instead: `plotyra-cli info FILE` (both layouts)
// beside this program run as a bare tokenise + from_chars process over the same file, best of
// a few runs, and the peak memory of the loads beyond that of a tiny file against the arrays.
#include "QorDataText.h"
#include "chart/Qor3DChart.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

// The best of a few rounds of each pass, in seconds; a round runs every pass once.
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

bool MakeFile(const std::string& file, int Size) {
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
    return chart.SaveToFile(file, false, false) == 0;
}

std::string ReadWhole(const std::string& file) {
    std::string text;
    const int fd = open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return text;
    char buffer[1 << 16];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(n));
    close(fd);
    return text;
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

// Numbers as 15-digit general text, TAB-separated, nx to a CR LF line, into Out.
size_t PlainFormat(const std::vector<float>& numbers, size_t PerLine, char* out) {
    char* p = out;
    for (size_t i = 0; i < numbers.size(); ++i) {
        p = std::to_chars(p, p + 32, double(numbers[i]), std::chars_format::general, 15).ptr;
        if ((i + 1) % PerLine == 0) {
            *p++ = '\r';
            *p++ = '\n';
        } else {
            *p++ = '\t';
        }
    }
    return size_t(p - out);
}

// The plain writer: the same formatting into a 1 MiB buffer written out as it fills.
bool PlainWrite(const std::vector<float>& numbers, size_t PerLine, const std::string& file) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    std::vector<char> buffer(size_t(1) << 20);
    size_t used = 0;
    bool ok = true;
    for (size_t i = 0; i < numbers.size(); ++i) {
        char* p = buffer.data() + used;
        p = std::to_chars(p, p + 32, double(numbers[i]), std::chars_format::general, 15).ptr;
        *p++ = (i + 1) % PerLine == 0 ? '\r' : '\t';
        if ((i + 1) % PerLine == 0)
            *p++ = '\n';
        used = size_t(p - buffer.data());
        if (used > buffer.size() - 64) {
            ok = ok && write(fd, buffer.data(), used) == ssize_t(used);
            used = 0;
        }
    }
    ok = ok && write(fd, buffer.data(), used) == ssize_t(used);
    return close(fd) == 0 && ok;
}

// A process run: wall time in seconds and peak resident memory in bytes.
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
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned) {
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

std::string CliPath() {
    return (std::filesystem::path(SelfPath()).parent_path().parent_path() / "app" / "plotyra-cli")
        .string();
}

int Bare(const std::string& file) {
    std::vector<float> numbers;
    const std::string text = ReadWhole(file);
    std::printf("%zu\n", PlainPass(text, numbers));
    return 0;
}

int Process(const std::string& file, const std::string& tiny, double mb) {
    const std::string cli = CliPath();
    TRun bare, full, low, tinyFull, tinyLow;
    const auto better = [](TRun& Best, const TRun& Run) {
        Best.Seconds = std::min(Best.Seconds, Run.Seconds);
        Best.PeakBytes = std::max(Best.PeakBytes, Run.PeakBytes);
        Best.Ok = Best.Ok && Run.Ok;
    };
    // Interleaved rounds: the machine is shared, so each command meets the same load.
    for (int r = 0; r < Runs; ++r) {
        better(bare, RunProcess({SelfPath(), "--bare", file}));
        better(full, RunProcess({cli, "info", file}));
        better(low, RunProcess({cli, "info", "--low-memory", file}));
        better(tinyFull, RunProcess({cli, "info", tiny}));
        better(tinyLow, RunProcess({cli, "info", "--low-memory", tiny}));
    }
    const double points = double(GridSize) * GridSize;
    // Full: x, height, z and three 16-bit normals per point; low-memory: one height per point.
    const double arraysFull = points * (12 + 6);
    const double arraysLow = points * 4 + 2 * GridSize * 4;
    std::printf("file: %d x %d \"<3D>\", %.1f MB%s\n", GridSize, GridSize, mb,
                bare.Ok && full.Ok && low.Ok ? "" : " (some runs FAILED)");
    std::printf("%-46s %8.3f s\n", "bare tokenise + from_chars process", bare.Seconds);
    std::printf("%-46s %8.3f s  speed %.2f x bare\n", "plotyra-cli info, full layout", full.Seconds,
                bare.Seconds / full.Seconds);
    std::printf("%-46s %8.3f s  speed %.2f x bare\n", "plotyra-cli info --low-memory", low.Seconds,
                bare.Seconds / low.Seconds);
    std::printf("peak memory beyond a tiny file's, full:       %6.1f MB = %.3f x the arrays\n",
                double(full.PeakBytes - tinyFull.PeakBytes) / 1e6,
                double(full.PeakBytes - tinyFull.PeakBytes) / arraysFull);
    std::printf("peak memory beyond a tiny file's, low-memory: %6.1f MB = %.3f x the arrays\n",
                double(low.PeakBytes - tinyLow.PeakBytes) / 1e6,
                double(low.PeakBytes - tinyLow.PeakBytes) / arraysLow);
    return bare.Ok && full.Ok && low.Ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--bare") == 0)
        return Bare(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--make") == 0)
        return MakeFile(argv[2], GridSize) && MakeFile(argv[3], 2) ? 0 : 1;
    const bool process = argc == 2 && std::strcmp(argv[1], "--process") == 0;
    // A folder of this run's own: runs side by side must not share (or remove) each other's.
    std::string folder = (std::filesystem::temp_directory_path() / "plotyra-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "cannot make a folder for the sample files\n");
        return 1;
    }
    const std::filesystem::path dir = folder;
    const std::string file = (dir / "grid2000.p3d").string();
    const std::string tiny = (dir / "tiny.p3d").string();
    const std::string copy = (dir / "grid2000-saved.p3d").string();
    // A child process writes the samples: a spawned process's peak memory counts the peak of
    // the process that spawned it, which must therefore stay small.
    const bool made = process ? RunProcess({SelfPath(), "--make", file, tiny}).Ok
                              : MakeFile(file, GridSize) && MakeFile(tiny, 2);
    if (!made) {
        std::fprintf(stderr, "cannot write the sample files in %s\n", dir.c_str());
        std::filesystem::remove_all(dir);
        return 1;
    }
    const double mb = double(std::filesystem::file_size(file)) / 1e6;
    if (process) {
        const int rc = Process(file, tiny, mb);
        std::filesystem::remove_all(dir);
        return rc;
    }

    TQor3DChart full;
    TQor3DChart low;
    low.SetUseLowMemory(true);
    int failures = 0;
    failures += low.LoadFromFile(file, false) != 0;
    std::vector<float> numbers;
    numbers.reserve(size_t(GridSize) * GridSize + 2 * GridSize + 2);
    const std::vector<float> heights(low.Data().begin(), low.Data().end());
    std::vector<char> text(heights.size() * 28);
    // The machine is shared: every measurement runs once per round, so all of them meet the
    // same load, and the best round of each counts.
    const std::vector<std::function<void()>> passes = {
        [&] { failures += full.LoadFromFile(file, false) != 0; },
        [&] { failures += low.LoadFromFile(file, false) != 0; },
        [&] {
            TQorTextSource source;
            source.Open(file);
            const std::string t = source.ReadString(0, source.Size());
            benchmark::DoNotOptimize(PlainPass(t, numbers));
        },
        [&] { failures += full.SaveToFile(copy, true, false) != 0; },
        [&] { failures += low.SaveToFile(copy, false, false) != 0; },
        [&] { failures += !PlainWrite(heights, GridSize, copy); },
        [&] { benchmark::DoNotOptimize(PlainFormat(heights, GridSize, text.data())); },
    };
    const std::vector<double> best = BestTimes(passes);
    const double loadFull = best[0], loadLow = best[1], plain = best[2], saveFull = best[3],
                 saveLow = best[4], plainWrite = best[5], format = best[6];

    std::printf("file: %d x %d \"<3D>\", %.1f MB%s\n", GridSize, GridSize, mb,
                failures != 0 ? " (some runs FAILED)" : "");
    std::printf("%-40s %8.1f MB/s\n", "load, full layout", mb / loadFull);
    std::printf("%-40s %8.1f MB/s\n", "load, low-memory layout", mb / loadLow);
    std::printf("%-40s %8.1f MB/s\n", "bare tokenise + from_chars", mb / plain);
    std::printf("%-40s %8.1f MB/s\n", "save, full layout (\"<3D>\")", mb / saveFull);
    std::printf("%-40s %8.1f MB/s\n", "save, low-memory layout", mb / saveLow);
    std::printf("%-40s %8.1f MB/s\n", "plain to_chars writer, file included", mb / plainWrite);
    std::printf("%-40s %8.1f MB/s\n", "plain to_chars formatting in memory", mb / format);
    std::printf("load (full) / bare pass:          %.2f\n", plain / loadFull);
    std::printf("load (low-memory) / bare pass:    %.2f\n", plain / loadLow);
    std::printf("save (full) / plain writer:       %.2f\n", plainWrite / saveFull);
    std::printf("save (low-memory) / plain writer: %.2f\n", plainWrite / saveLow);
    std::printf("save (low-memory) / formatting:   %.2f\n", format / saveLow);
    std::filesystem::remove_all(dir);
    return failures != 0 ? 1 : 0;
}
