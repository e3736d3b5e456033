// Number text against the C library and std::from_chars on the same varied numbers.
#include "QorNumText.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<double>& Numbers() {
    static const std::vector<double> numbers = {
        0.0,     1.0,      -2.5,    0.1,          1.0 / 3.0,        123456.789,
        1e-5,    6.1e-05,  1e15,    -7.25e-100,   3.14159265358979, 1234567890123456.0,
        42.0,    0.000123, 9.99e99, -0.333333333, 2.5e-300,         100.0,
        65535.0, 1e-4};
    return numbers;
}

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (double v : Numbers())
            t.push_back(FloatToTextG(v));
        return t;
    }();
    return texts;
}

void BM_FloatToTextG(benchmark::State& state) {
    for (auto _ : state)
        for (double v : Numbers())
            benchmark::DoNotOptimize(FloatToTextG(v));
    state.SetItemsProcessed(state.iterations() * int64_t(Numbers().size()));
}

void BM_Snprintf15g(benchmark::State& state) {
    char buf[64];
    for (auto _ : state)
        for (double v : Numbers()) {
            benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%.15g", v));
            benchmark::DoNotOptimize(std::string(buf));
        }
    state.SetItemsProcessed(state.iterations() * int64_t(Numbers().size()));
}

void BM_TextToFloatDef(benchmark::State& state) {
    for (auto _ : state)
        for (const std::string& t : Texts())
            benchmark::DoNotOptimize(TextToFloatDef(t, 0));
    state.SetItemsProcessed(state.iterations() * int64_t(Texts().size()));
}

void BM_FromChars(benchmark::State& state) {
    for (auto _ : state)
        for (const std::string& t : Texts()) {
            double v = 0;
            std::from_chars(t.data(), t.data() + t.size(), v);
            benchmark::DoNotOptimize(v);
        }
    state.SetItemsProcessed(state.iterations() * int64_t(Texts().size()));
}

BENCHMARK(BM_FloatToTextG);
BENCHMARK(BM_Snprintf15g);
BENCHMARK(BM_TextToFloatDef);
BENCHMARK(BM_FromChars);

// Keeps the time per iteration of every run so the ratios can be printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                FTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* label, const std::string& ours, const std::string& theirs) const {
        const auto a = FTimes.find(ours);
        const auto b = FTimes.find(theirs);
        if (a != FTimes.end() && b != FTimes.end() && b->second > 0)
            std::printf("%s: %.2f x the time of %s\n", label, a->second / b->second,
                        theirs.c_str());
    }

private:
    std::map<std::string, double> FTimes;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("FloatToTextG", "BM_FloatToTextG", "BM_Snprintf15g");
    reporter.PrintRatio("TextToFloatDef", "BM_TextToFloatDef", "BM_FromChars");
    benchmark::Shutdown();
    return 0;
}
