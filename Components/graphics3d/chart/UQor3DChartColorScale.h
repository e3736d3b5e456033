// The binding of chart and legend: copies the chart's colour stops, value range, caption and
// number settings into the legend, so the legend's bar shows the chart's palette.
#pragma once

class TQor3DChart;
class TQorColorScale;

// One batch on the legend: a single Changed at the end.
void ChartToColorScale(const TQor3DChart& Chart, TQorColorScale& ColorScale);
