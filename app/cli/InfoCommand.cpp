#include "InfoCommand.h"

#include "CliFiles.h"
#include "HelpCommand.h"
#include "chart/Qor3DChart.h"

#include <charconv>
#include <cmath>
#include <cstdio>

const char* const InfoUsage =
    "plotyra-cli info FILE [--no-properties] [--low-memory] [IMPORT OPTIONS]\n";

namespace {

// The shortest text that reads back to the same double; JSON has no infinities or NaN, so
// those are written as null.
std::string JsonNumber(double v) {
    if (!std::isfinite(v))
        return "null";
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : "null";
}

std::string JsonRange(double Min, double Max) {
    return "[" + JsonNumber(Min) + "," + JsonNumber(Max) + "]";
}

const char* KindName(TQorDataKind Kind) {
    switch (Kind) {
    case dk3D:
        return "dk3D";
    case dkNx4D:
        return "dkNx4D";
    case dk4D:
        return "dk4D";
    case dk4DSurface:
        return "dk4DSurface";
    }
    return "dk3D";
}

struct TInfoOptions {
    bool NoProperties = false;
    bool LowMemory = false;
    TCliArgs Args;
};

TInfoOptions ParseInfoOptions(const std::vector<std::string>& Args) {
    TInfoOptions o;
    o.Args =
        ParseCliArgs(Args, {{"--low-memory", &o.LowMemory}, {"--no-properties", &o.NoProperties}});
    return o;
}

} // namespace

std::string InfoJson(const TQor3DChart& Chart, int Result) {
    std::string layers = "[";
    if (Chart.DataKind() == dkNx4D)
        for (size_t i = 0; i < Chart.Layers().size(); ++i) {
            const TXZInteger& l = Chart.Layers()[i];
            layers += (i > 0 ? ",[" : "[") + std::to_string(l.X) + "," + std::to_string(l.Z) + "]";
        }
    layers += "]";
    return "{\"result\":" + std::to_string(Result) + ",\"kind\":\"" + KindName(Chart.DataKind()) +
           "\",\"nx\":" + std::to_string(Chart.NX()) + ",\"ny\":" + std::to_string(Chart.NY()) +
           ",\"nz\":" + std::to_string(Chart.NZ()) +
           ",\"lowMemory\":" + (Chart.LowMemoryLayout() ? "true" : "false") +
           ",\"layers\":" + layers +
           ",\"x\":" + JsonRange(Chart.AxisX().Minimum(), Chart.AxisX().Maximum()) +
           ",\"y\":" + JsonRange(Chart.AxisY().Minimum(), Chart.AxisY().Maximum()) +
           ",\"z\":" + JsonRange(Chart.AxisZ().Minimum(), Chart.AxisZ().Maximum()) +
           ",\"value\":" + JsonRange(Chart.ValueMin(), Chart.ValueMax()) + "}";
}

int InfoCommand(const std::vector<std::string>& Args) {
    const TInfoOptions o = ParseInfoOptions(Args);
    if (!o.Args.Valid || o.Args.Files.size() != 1)
        return UsageError();
    TQor3DChart chart;
    chart.SetUseLowMemory(o.LowMemory);
    std::string error;
    const int result =
        LoadCliChart(chart, nullptr, o.Args.Files[0], !o.NoProperties, error, o.Args.Import);
    if (!error.empty())
        std::fprintf(stderr, "plotyra-cli: %s: %s\n", o.Args.Files[0].c_str(), error.c_str());
    std::printf("%s\n", InfoJson(chart, result).c_str());
    return 0;
}
