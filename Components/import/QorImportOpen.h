// Opening any data file into a chart, the one way the viewer and the command-line tool do it:
// a native chart file through the chart's own reader, every other form through its importer.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <vector>

class TQor3DChart;
class IQorChartFileLegend;
class TQorImportRegistry;
class TQorTextSource;

struct TQorOpenOutcome {
    bool Ok = false;
    // Read by the chart's own reader (properties may have come with it).
    bool Native = false;
    // The reader's name ("Text matrices"), empty when no reader took the file.
    std::string Format;
    // Why the file could not be opened, with its place: "volcano.csv, line 3, field 7: 'abc' is
    // not a number". Empty on success.
    std::string Error;
    // The same in parts (File is the name without its folder): a caller that names the file
    // otherwise sets File and takes Failure.Text().
    TQorImportError Failure;
    // What was read but deserves a word: "file ends after 5200 of 5307 values; the rest read
    // as 0". Warnings do not name the file.
    std::vector<std::string> Warnings;
    // An archive of several arrays opened without a name: the arrays to choose from (Ok is
    // false; open again with Options.ArrayName set).
    std::vector<TQorImportArrayInfo> Choices;
};

// Loads FileName into Chart (and with WithProperties the chart's and the legend's properties of
// a native file that has any; Legend may be null). On failure the chart is left empty.
TQorOpenOutcome OpenChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                              const std::string& FileName, bool WithProperties,
                              const TQorImportOptions& Options);
TQorOpenOutcome OpenChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                              const std::string& FileName, bool WithProperties,
                              const TQorImportOptions& Options, const TQorImportRegistry& Registry);
// Loads native chart text from Source (standard input, text in memory); Name stands for the file
// in messages.
TQorOpenOutcome OpenChartSource(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                                const TQorTextSource& Source, const std::string& Name,
                                bool WithProperties);
