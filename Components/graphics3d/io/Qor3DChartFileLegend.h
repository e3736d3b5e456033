// The colour-scale legend as the legend part of a chart data file and of a property file.
#pragma once

#include "io/Qor3DChartFile.h"

class TQorColorScale;

// Reads and appends the legend's font block (its marker and Font, prefix "QorColorScale_"):
// everything else of the legend follows the chart. A block of all its properties, as older files
// hold, gives only its font.
class TQorColorScaleFileLegend : public IQorChartFileLegend {
public:
    explicit TQorColorScaleFileLegend(TQorColorScale& Legend) : FLegend(Legend) {}

    void BeginUpdate() override;
    void EndUpdate() override;
    void ReadFromFileText(std::string_view FileText) override;
    void AppendText(std::string& Text) override;

private:
    TQorColorScale& FLegend;
};
