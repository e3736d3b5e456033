// Chart data files together with the colour-scale legend's property block, and the helpers
// the chart's data reader and writer share with tools.
#pragma once

#include "QorFileOutput.h" // WriteFileAtomically, for the callers that save beside chart files

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TQor3DChart;
class TQorTextSource;

// What a chart file needs of the legend: an update bracket, reading its block from the file's
// text and appending its block to a file being written.
class IQorChartFileLegend {
public:
    virtual ~IQorChartFileLegend() = default;
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    // The file's text from its first line beginning with "[" on.
    virtual void ReadFromFileText(std::string_view FileText) = 0;
    virtual void AppendText(std::string& Text) = 0;
};

struct TQorLoadReport;

// Loads the data and, with WithProperties, the chart's and the legend's properties when the
// file has any. Legend may be null. 0 on success, -1 on failure (also when the file changed
// while it was read); Report, when given, says why and what deserves a word.
int LoadChartFile(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& FileName,
                  bool WithProperties, TQorLoadReport* Report = nullptr);
// LoadChartFile over any source (a file, or text in memory such as standard input).
int LoadChartSource(TQor3DChart& Chart, IQorChartFileLegend* Legend, const TQorTextSource& Source,
                    bool WithProperties, TQorLoadReport* Report = nullptr);
// Saves the data, with WithProperties followed by the chart's and the legend's property text.
// The file is replaced only when everything was written. 0 on success, -1 on failure with the
// reason in Error when given.
int SaveChartFile(const TQor3DChart& Chart, IQorChartFileLegend* Legend,
                  const std::string& FileName, bool WithProperties, bool ForceGridForm,
                  std::string* Error = nullptr);

// Why Chart cannot be saved as it stands, or "" when it can: along a logarithmic axis the data
// hold the logarithm of a value that was not positive while that value is no longer known
// (saving refuses to write NAN for it).
std::string ChartSaveProblem(const TQor3DChart& Chart);

// How a load spreads its work: the numbers of a text of at least twice MinPieceBytes are split
// at line ends into pieces read on all cores and joined in order; smaller texts are read on the
// calling thread alone. Every worker has ended when the load returns.
struct TQorLoadTuning {
    uint64_t MinPieceBytes = uint64_t(1) << 20;
    unsigned Threads = 0; // 0: one per core
};

// What a load found besides the data.
struct TQorLoadReport {
    // The text from the first line beginning with "[" (after the tag line) on; empty when the
    // file has none.
    std::string PropertyText;
    bool HasProperties = false;
    // Why the load failed ("'abc' is not a number"), empty when it did not; and where: the line
    // and the number's place on it (both from 1), 0 when the cause has no place in the text.
    std::string Error;
    int64_t Line = 0;
    int64_t Field = 0;
    // What was read but deserves a word: "file ends after 5200 of 5307 values; the rest read
    // as 0".
    std::vector<std::string> Warnings;
};

// LoadFromFile over any source (a file, or text in memory).
int LoadChartText(TQor3DChart& Chart, const TQorTextSource& Source, bool WithProperties,
                  const TQorLoadTuning& Tuning = {}, TQorLoadReport* Report = nullptr);

// Why FileName cannot be read as a chart file (missing, a folder, not a regular file, no
// permission), or "" when it can.
std::string ChartFileProblem(const std::string& FileName);

// The property text of FileName (a property file, or a data file saved with properties): from
// its first line beginning with "[" to its end, or "" when it has none. Only a regular file is
// read (a FIFO or a device could block or never end), and only the property text is kept. False
// with the reason in Error.
bool ReadChartPropertyText(const std::string& FileName, std::string& Text,
                           std::string* Error = nullptr);

// Offset of the first non-empty line that begins with "[", or npos when there is none.
size_t FindPropertyBlock(std::string_view Text);

// The most numbers a data text of TextSize bytes may ask for. A file that ends early reads the
// missing numbers as 0, but only up to a fixed amount beyond what the text itself could hold.
int64_t MaxDataNumbers(uint64_t TextSize);
