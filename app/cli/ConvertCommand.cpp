#include "ConvertCommand.h"

#include "CliFiles.h"
#include "HelpCommand.h"
#include "QorImportWrite.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

const char* const ConvertUsage =
    "plotyra-cli convert IN OUT [--with-properties] [--force-grid-form] [--low-memory]\n"
    "                   [IMPORT OPTIONS]   (OUT.npy and OUT.csv write those forms)\n";

namespace {

struct TConvertOptions {
    bool WithProperties = false;
    bool ForceGridForm = false;
    bool LowMemory = false;
    TCliArgs Args;
};

TConvertOptions ParseConvertOptions(const std::vector<std::string>& Args) {
    TConvertOptions o;
    o.Args = ParseCliArgs(Args, {{"--low-memory", &o.LowMemory},
                                 {"--with-properties", &o.WithProperties},
                                 {"--force-grid-form", &o.ForceGridForm}});
    return o;
}

int Fail(const std::string& Message) {
    std::fprintf(stderr, "plotyra-cli: %s\n", Message.c_str());
    return 1;
}

bool EndsWith(const std::string& Name, const char* Suffix) {
    const std::string s(Suffix);
    return Name.size() >= s.size() &&
           std::equal(s.rbegin(), s.rend(), Name.rbegin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

// .npy and .csv outputs take the data in those forms; every other name the chart-file form.
int Save(const TQor3DChart& Chart, const TConvertOptions& o) {
    const std::string& out = o.Args.Files[1];
    std::string error;
    if (EndsWith(out, ".npy") || EndsWith(out, ".csv")) {
        const bool ok = EndsWith(out, ".npy") ? WriteChartNpy(Chart, out, error)
                                              : WriteChartCsv(Chart, out, error);
        return ok ? 0 : Fail("cannot save " + out + (error.empty() ? "" : ": " + error));
    }
    if (SaveChartFile(Chart, nullptr, out, o.WithProperties, o.ForceGridForm, &error) != 0)
        return Fail("cannot save " + out + (error.empty() ? "" : ": " + error));
    return 0;
}

} // namespace

int ConvertCommand(const std::vector<std::string>& Args) {
    const TConvertOptions o = ParseConvertOptions(Args);
    if (!o.Args.Valid || o.Args.Files.size() != 2)
        return UsageError();
    TQor3DChart chart;
    chart.SetUseLowMemory(o.LowMemory);
    if (const std::string error =
            LoadCliChartData(chart, nullptr, o.Args.Files[0], o.WithProperties, o.Args.Import);
        !error.empty())
        return Fail(error);
    return Save(chart, o);
}
