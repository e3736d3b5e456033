#include "ConvertCommand.h"

#include "CliFiles.h"
#include "HelpCommand.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

#include <cstdio>

const char* const ConvertUsage =
    "plotyra-cli convert IN OUT [--with-properties] [--force-grid-form] [--low-memory]\n";

namespace {

struct TConvertOptions {
    std::vector<std::string> Files;
    bool WithProperties = false;
    bool ForceGridForm = false;
    bool LowMemory = false;
    bool Valid = true;
};

TConvertOptions ParseConvertOptions(const std::vector<std::string>& Args) {
    TConvertOptions o;
    for (const std::string& a : Args) {
        if (a == "--low-memory")
            o.LowMemory = true;
        else if (a == "--with-properties")
            o.WithProperties = true;
        else if (a == "--force-grid-form")
            o.ForceGridForm = true;
        else if (a.starts_with("--"))
            o.Valid = false;
        else
            o.Files.push_back(a);
    }
    return o;
}

int Fail(const std::string& Message) {
    std::fprintf(stderr, "plotyra-cli: %s\n", Message.c_str());
    return 1;
}

} // namespace

int ConvertCommand(const std::vector<std::string>& Args) {
    const TConvertOptions o = ParseConvertOptions(Args);
    if (!o.Valid || o.Files.size() != 2)
        return UsageError();
    TQor3DChart chart;
    chart.SetUseLowMemory(o.LowMemory);
    if (const std::string error = LoadCliChartData(chart, nullptr, o.Files[0], o.WithProperties);
        !error.empty())
        return Fail(error);
    if (SaveChartFile(chart, nullptr, o.Files[1], o.WithProperties, o.ForceGridForm) != 0)
        return Fail("cannot save " + o.Files[1]);
    return 0;
}
