#include "QorImportOpen.h"

#include "QorImportRegistry.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

namespace {

TQorOpenOutcome OpenNative(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                           const std::string& FileName, bool WithProperties) {
    TQorOpenOutcome o;
    o.Native = true;
    o.Ok = LoadChartFile(Chart, Legend, FileName, WithProperties) == 0;
    if (!o.Ok) {
        o.Error = ChartFileProblem(FileName);
        if (o.Error.empty())
            o.Error = "not a chart data file, or its data are damaged";
    }
    return o;
}

} // namespace

TQorOpenOutcome OpenChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                              const std::string& FileName, bool WithProperties,
                              const TQorImportOptions& Options) {
    return OpenChartData(Chart, Legend, FileName, WithProperties, Options,
                         TQorImportRegistry::Default());
}

TQorOpenOutcome OpenChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                              const std::string& FileName, bool WithProperties,
                              const TQorImportOptions& Options,
                              const TQorImportRegistry& Registry) {
    const TQorImportReader* reader = Registry.Choose(FileName);
    if (reader == nullptr || reader->Native) {
        TQorOpenOutcome o = OpenNative(Chart, Legend, FileName, WithProperties);
        o.Format = reader != nullptr ? reader->Name : std::string();
        return o;
    }
    TQorOpenOutcome o;
    o.Format = reader->Name;
    TQorImportResult result = reader->Read(FileName, Options);
    o.Warnings = result.Warnings;
    o.Choices = result.Choices;
    if (!result.Ok()) {
        o.Error = result.Error.Text();
        Chart.ClearData();
        return o;
    }
    o.Ok = ApplyToChart(std::move(result), Chart);
    if (!o.Ok)
        o.Error = "the grid is too large for this chart";
    return o;
}
