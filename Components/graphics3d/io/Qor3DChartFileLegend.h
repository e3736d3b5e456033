// The colour-scale legend as the legend part of a chart data file.
#pragma once

#include "io/Qor3DChartFile.h"

class TQorColorScale;

// Reads and appends the legend's full property block (prefix "QorColorScale_").
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
