#include "chart/UQor3DChartColorScale.h"
#include "QorChangeCount.h"
#include "QorColSc.h"
#include "chart/Qor3DChart.h"

#include <gtest/gtest.h>

namespace {

struct TBinding : ::testing::Test {
    TQor3DChart chart;
    TQorColorScale legend;
    int changes = 0;
    int scaleChanges = 0;
    void SetUp() override {
        legend.OnChange = CountInto(changes);
        legend.OnColorScaleChanged = CountInto(scaleChanges);
    }
    void Fill4D() {
        ASSERT_TRUE(chart.SetSize4D(2, 2, 2));
        for (size_t p = 0; p < 8; ++p) {
            const float v = -2.5f + float(p);
            if (chart.LowMemoryLayout())
                chart.Data()[p] = v;
            else
                chart.Data()[4 * p + 3] = v;
        }
        chart.UpdateRanges();
    }
};

} // namespace

TEST_F(TBinding, ThreeDimensionalDataFollowAxisY) {
    chart.BeginUpdate();
    chart.SetColorCount(4);
    chart.SetColor1(clBlack);
    chart.SetColor4(clWhite);
    chart.SetColorLayers(9);
    chart.AxisY().SetCaption("Height [m]");
    chart.AxisY().SetAutoMin(false);
    chart.AxisY().SetAutoMax(false);
    chart.AxisY().SetMinimum(1);
    chart.AxisY().SetMaximum(1000);
    chart.AxisY().SetLogarithmic(true);
    chart.AxisY().SetDecPlacesMax(4);
    chart.AxisY().SetDecPlaces(2);
    chart.AxisY().SetDecPlacesEndPlus(3);
    chart.AxisY().SetDecPlacesEqual(true);
    chart.AxisY().SetStepColor(clRed);
    chart.SetDecSepLocal(false);
    chart.SetDecSep(',');
    chart.EndUpdate();
    legend.SetMinMaxRounding(true);

    changes = scaleChanges = 0;
    ChartToColorScale(chart, legend);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(scaleChanges, 1);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(legend.Color(i), chart.Color(i)) << i;
    EXPECT_EQ(legend.ColorCount(), 4);
    EXPECT_EQ(legend.ColorLayers(), 9);
    EXPECT_EQ(legend.Palette(), chart.Palette()); // the bar shows the chart's colours
    EXPECT_EQ(legend.DecSep(), ',');
    EXPECT_FALSE(legend.DecSepLocal());
    EXPECT_FALSE(legend.MinMaxRounding());
    EXPECT_EQ(legend.Caption(), "Height [m]");
    EXPECT_TRUE(legend.Logarithmic());
    EXPECT_EQ(legend.Min(), chart.AxisY().Minimum());
    EXPECT_EQ(legend.Max(), chart.AxisY().Maximum());
    EXPECT_EQ(legend.DecPlaces(), chart.AxisY().DecPlaces());
    EXPECT_EQ(legend.DecPlacesEndPlus(), 3);
    EXPECT_TRUE(legend.DecPlacesEqual());
    EXPECT_EQ(legend.DecPlacesMax(), 4);
    EXPECT_EQ(legend.ScaleColor(), clRed);

    // The palette follows a later change of the chart.
    chart.ApplyPalettePreset(ppHeat);
    ChartToColorScale(chart, legend);
    EXPECT_EQ(legend.Palette(), chart.Palette());
    EXPECT_EQ(scaleChanges, 2);
    // Nothing new: one repaint, no palette rebuild.
    ChartToColorScale(chart, legend);
    EXPECT_EQ(scaleChanges, 2);
}

TEST_F(TBinding, FourDimensionalDataUseTheValueRange) {
    chart.AxisY().SetLogarithmic(true);
    ChartToColorScale(chart, legend); // a logarithmic 3D chart first
    Fill4D();
    chart.SetDim4Caption("Temperature");
    legend.SetDecPlaces(1);
    legend.Font().SetColor(clGreen);

    changes = 0;
    ChartToColorScale(chart, legend);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(legend.Caption(), "Temperature");
    EXPECT_EQ(legend.Min(), double(chart.ValueMin()));
    EXPECT_EQ(legend.Max(), double(chart.ValueMax()));
    EXPECT_EQ(legend.Min(), -2.5);
    EXPECT_EQ(legend.Max(), 4.5);
    EXPECT_EQ(legend.ScaleColor(), clGreen); // the legend's own font colour
    EXPECT_TRUE(legend.Logarithmic());       // kept from the 3D binding
    EXPECT_EQ(legend.DecPlaces(), 1);        // kept
}
