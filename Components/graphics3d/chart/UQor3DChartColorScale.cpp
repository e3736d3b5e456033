#include "chart/UQor3DChartColorScale.h"

#include "QorColSc.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"

void ChartToColorScale(const TQor3DChart& Chart, TQorColorScale& ColorScale) {
    const TQorUpdateScope scope(ColorScale);
    for (int i = 1; i <= QorColorStopCount; ++i)
        ColorScale.SetColor(i, Chart.Color(i));
    ColorScale.SetColorCount(Chart.ColorCount());
    ColorScale.SetColorLayers(Chart.ColorLayers());
    ColorScale.SetDecSep(Chart.DecSep());
    ColorScale.SetDecSepLocal(Chart.DecSepLocal());
    ColorScale.SetMinMaxRounding(false);
    if (Chart.DataKind() != dk3D) {
        // The value v colours a 4D picture; its range is the chart's 32-bit value range.
        ColorScale.SetCaption(Chart.Dim4Caption());
        ColorScale.SetMin(double(Chart.ValueMin()));
        ColorScale.SetMax(double(Chart.ValueMax()));
        ColorScale.SetScaleColor(ColorScale.Font().Color());
    } else {
        const TQorChartAxis3D& axis = Chart.AxisY();
        ColorScale.SetCaption(axis.Caption());
        ColorScale.SetLogarithmic(axis.Logarithmic());
        ColorScale.SetMin(axis.Minimum());
        ColorScale.SetMax(axis.Maximum());
        ColorScale.SetDecPlaces(axis.DecPlaces());
        ColorScale.SetDecPlacesEndPlus(axis.DecPlacesEndPlus());
        ColorScale.SetDecPlacesEqual(axis.DecPlacesEqual());
        ColorScale.SetDecPlacesMax(axis.DecPlacesMax());
        ColorScale.SetScaleColor(axis.StepColor());
    }
}
