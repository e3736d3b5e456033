// A property text (a property file, or the block after a data file's numbers) applied to a
// loaded chart and its legend.
#pragma once

#include <string>

class TQor3DChart;
class IQorChartFileLegend;

// The legend's block first, as the viewer's Load Properties reads it, then the chart's, with the
// ranges recomputed; Legend may be null.
void ApplyChartPropertyText(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                            const std::string& Text);
