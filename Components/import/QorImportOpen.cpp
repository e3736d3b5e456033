#include "QorImportOpen.h"

#include "QorImportRegistry.h"
#include "QorImportSupport.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

namespace {

// The chart's own reader's result as an outcome; Name stands for the file in the error.
TQorOpenOutcome NativeOutcome(int Result, TQorLoadReport& Report, const std::string& Name) {
    TQorOpenOutcome o;
    o.Native = true;
    o.Ok = Result == 0;
    o.Warnings = std::move(Report.Warnings);
    if (!o.Ok) {
        o.Failure.File = Name;
        o.Failure.Line = Report.Line;
        o.Failure.Field = Report.Field;
        o.Failure.Message = Report.Error.empty() ? "not a chart data file, or its data are damaged"
                                                 : std::move(Report.Error);
        o.Error = o.Failure.Text();
    }
    return o;
}

void Fail(TQorOpenOutcome& o, const std::string& FileName, TQorImportError Error) {
    o.Ok = false;
    o.Failure = std::move(Error);
    // Every message names the file once, at its start.
    if (o.Failure.File.empty())
        o.Failure.File = QorImport::BaseName(FileName);
    o.Error = o.Failure.Text();
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
        TQorLoadReport report;
        const int result = LoadChartFile(Chart, Legend, FileName, WithProperties, &report);
        TQorOpenOutcome o = NativeOutcome(result, report, QorImport::BaseName(FileName));
        o.Format = reader != nullptr ? reader->Name : std::string();
        return o;
    }
    TQorOpenOutcome o;
    o.Format = reader->Name;
    TQorImportResult result = reader->Read(FileName, Options);
    o.Warnings = result.Warnings;
    o.Choices = result.Choices;
    if (!result.Ok()) {
        Fail(o, FileName, result.Error);
        Chart.ClearData();
        return o;
    }
    o.Ok = ApplyToChart(std::move(result), Chart);
    if (!o.Ok) {
        TQorImportError e;
        e.Message = "the grid is too large for this chart";
        Fail(o, FileName, e);
    }
    return o;
}

TQorOpenOutcome OpenChartSource(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                                const TQorTextSource& Source, const std::string& Name,
                                bool WithProperties) {
    TQorLoadReport report;
    const int result = LoadChartSource(Chart, Legend, Source, WithProperties, &report);
    TQorOpenOutcome o = NativeOutcome(result, report, Name);
    o.Format = "Chart files";
    return o;
}
