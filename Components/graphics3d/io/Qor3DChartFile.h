// Chart data files together with the colour-scale legend's property block, and the helpers
// the chart's data reader and writer share with tools.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TQor3DChart;

// What a chart file needs of the legend: an update bracket, reading its block from the file's
// text and appending its block to a file being written.
class IQorChartFileLegend {
public:
    virtual ~IQorChartFileLegend() = default;
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    virtual void ReadFromFileText(std::string_view FileText) = 0;
    virtual void AppendText(std::string& Text) = 0;
};

// Loads the data and, with WithProperties, the chart's and the legend's properties when the
// file has any. Legend may be null. 0 on success, -1 on failure.
int LoadChartFile(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& FileName,
                  bool WithProperties);
// Saves the data, with WithProperties followed by the chart's and the legend's property text.
// The file is replaced only when everything was written. 0 on success, -1 on failure.
int SaveChartFile(const TQor3DChart& Chart, IQorChartFileLegend* Legend,
                  const std::string& FileName, bool WithProperties, bool ForceGridForm);

// Offset of the first non-empty line that begins with "[", or npos when there is none.
size_t FindPropertyBlock(std::string_view Text);

// Writes Text to FileName through a temporary file in the same folder that replaces the target
// only when everything was written, so a failure leaves an existing file as it was.
bool WriteFileAtomically(const std::string& FileName, std::string_view Text);

// The most numbers a data text of TextSize bytes may ask for. A file that ends early reads the
// missing numbers as 0, but only up to a fixed amount beyond what the text itself could hold.
int64_t MaxDataNumbers(size_t TextSize);
