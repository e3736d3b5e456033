#include "InfoCommand.h"

#include "CliFiles.h"
#include "HelpCommand.h"
#include "chart/Qor3DChart.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

const char* const InfoUsage =
    "plotyra-cli info FILE [--no-properties] [--low-memory] [IMPORT OPTIONS]\n";

// The shortest text that reads back to the same double; JSON has no infinities or NaN, so
// those are written as null.
std::string JsonNumber(double v) {
    if (!std::isfinite(v))
        return "null";
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : "null";
}

// A JSON string: quotes, backslashes and control characters escaped, other bytes as they are.
std::string JsonString(std::string_view Text) {
    std::string s = "\"";
    for (const char c : Text) {
        if (c == '"' || c == '\\') {
            s += '\\';
            s += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            s += escape;
        } else {
            s += c;
        }
    }
    return s + '"';
}

namespace {

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

std::string InfoJson(const TQor3DChart& Chart, int Result, const std::string& Error,
                     const std::vector<std::string>& Warnings) {
    std::string layers = "[";
    if (Chart.DataKind() == dkNx4D)
        for (size_t i = 0; i < Chart.Layers().size(); ++i) {
            const TXZInteger& l = Chart.Layers()[i];
            layers += (i > 0 ? ",[" : "[") + std::to_string(l.X) + "," + std::to_string(l.Z) + "]";
        }
    layers += "]";
    std::string notes = Error.empty() ? "" : ",\"error\":" + JsonString(Error);
    notes += ",\"warnings\":[";
    for (size_t i = 0; i < Warnings.size(); ++i)
        notes += (i > 0 ? "," : "") + JsonString(Warnings[i]);
    notes += "]";
    return "{\"result\":" + std::to_string(Result) + ",\"kind\":\"" + KindName(Chart.DataKind()) +
           "\",\"nx\":" + std::to_string(Chart.NX()) + ",\"ny\":" + std::to_string(Chart.NY()) +
           ",\"nz\":" + std::to_string(Chart.NZ()) +
           ",\"lowMemory\":" + (Chart.LowMemoryLayout() ? "true" : "false") +
           ",\"layers\":" + layers +
           ",\"x\":" + JsonRange(Chart.AxisX().Minimum(), Chart.AxisX().Maximum()) +
           ",\"y\":" + JsonRange(Chart.AxisY().Minimum(), Chart.AxisY().Maximum()) +
           ",\"z\":" + JsonRange(Chart.AxisZ().Minimum(), Chart.AxisZ().Maximum()) +
           ",\"value\":" + JsonRange(Chart.ValueMin(), Chart.ValueMax()) + notes + "}";
}

int InfoCommand(const std::vector<std::string>& Args) {
    const TInfoOptions o = ParseInfoOptions(Args);
    if (!o.Args.Valid || o.Args.Files.size() != 1)
        return UsageError();
    TQor3DChart chart;
    chart.SetUseLowMemory(o.LowMemory);
    const std::string& file = o.Args.Files[0];
    const TQorOpenOutcome loaded =
        LoadCliChart(chart, nullptr, file, !o.NoProperties, o.Args.Import);
    for (const std::string& w : loaded.Warnings)
        std::fprintf(stderr, "plotyra-cli: %s: %s\n", file.c_str(), w.c_str());
    if (!loaded.Ok)
        std::fprintf(stderr, "plotyra-cli: cannot load %s\n", loaded.Error.c_str());
    std::printf("%s\n", InfoJson(chart, loaded.Ok ? 0 : -1, loaded.Error, loaded.Warnings).c_str());
    return loaded.Ok ? 0 : 1;
}
