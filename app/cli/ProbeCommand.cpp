#include "ProbeCommand.h"

#include "CliFiles.h"
#include "HelpCommand.h"
#include "InfoCommand.h"
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartProbe.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

const char* const ProbeUsage = "plotyra-cli probe FILE X [Y] Z [IMPORT OPTIONS]\n";

namespace {

// The whole Text as a finite number, or nothing.
std::optional<double> Coordinate(const std::string& Text) {
    double v = 0;
    const char* end = Text.data() + Text.size();
    const auto [ptr, ec] = std::from_chars(Text.data(), end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

std::string ProbeJson(const TQor3DChart& Chart, const TQorProbeResult& Result) {
    const bool surface = Result.Kind == dk3D;
    const std::array<TQorProbeField, 4> fields = QorProbe::Fields(Chart, Result);
    static constexpr std::array<const char*, 4> surfaceKeys = {"x", "z", "height", ""};
    static constexpr std::array<const char*, 4> keys4D = {"x", "y", "z", "value"};
    const std::array<const char*, 4>& keys = surface ? surfaceKeys : keys4D;
    std::string values;
    std::string captions;
    for (int n = 0; n < QorProbe::FieldCount(Result); ++n) {
        const std::string key = std::string("\"") + keys[size_t(n)] + "\":";
        values += key + JsonNumber(fields[size_t(n)].Value) + ",";
        captions += (n > 0 ? "," : "") + key + JsonString(fields[size_t(n)].Label);
    }
    return "{" + values + "\"captions\":{" + captions + "}}";
}

int ProbeCommand(const std::vector<std::string>& Args) {
    const TCliArgs args = ParseCliArgs(Args, {});
    if (!args.Valid || args.Files.size() < 3 || args.Files.size() > 4)
        return UsageError();
    std::array<double, 3> at{};
    const bool withY = args.Files.size() == 4;
    for (size_t n = 1; n < args.Files.size(); ++n) {
        const std::optional<double> v = Coordinate(args.Files[n]);
        if (!v) {
            std::fprintf(stderr, "plotyra-cli: '%s' is not a number\n", args.Files[n].c_str());
            return UsageError();
        }
        at[withY ? n - 1 : (n == 1 ? 0 : 2)] = *v;
    }
    TQor3DChart chart;
    const std::string& file = args.Files[0];
    const std::string error = LoadCliChartData(chart, nullptr, file, true, args.Import);
    if (!error.empty()) {
        std::fprintf(stderr, "plotyra-cli: %s\n", error.c_str());
        return 1;
    }
    if ((chart.DataKind() == dk3D) == withY) {
        std::fprintf(stderr, "plotyra-cli: %s holds %s: give %s\n", file.c_str(),
                     withY ? "a surface" : "4D data", withY ? "X Z" : "X Y Z");
        return 1;
    }
    const TQorProbeResult r = QorProbe::AtData(chart, at[0], at[1], at[2]);
    if (!r.Found) {
        std::fprintf(stderr, "plotyra-cli: the point lies off the data of %s\n", file.c_str());
        return 1;
    }
    std::printf("%s\n", ProbeJson(chart, r).c_str());
    return 0;
}
