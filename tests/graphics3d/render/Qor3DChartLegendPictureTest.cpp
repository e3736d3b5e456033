// The chart picture with its legend: the split of a rectangle, the legend's width from its own
// first drawing, and the rule for a legend too wide for the picture.
#include "render/Qor3DChartLegendPicture.h"
#include "QorColSc.h"

#include <gtest/gtest.h>

using namespace QorPaint;

TEST(ChartLegendLayout, LegendScaledToTheHeightAtItsSide) {
    const QRect r(10, 20, 200, 100);
    // A legend picture 40 x 200 shown 100 high is 20 wide.
    TChartLegendLayout l = LayoutChartAndLegend(r, QSize(40, 200), false);
    EXPECT_EQ(l.Chart, QRect(10, 20, 180, 100));
    EXPECT_EQ(l.Legend, QRect(190, 20, 20, 100));
    l = LayoutChartAndLegend(r, QSize(40, 200), true);
    EXPECT_EQ(l.Legend, QRect(10, 20, 20, 100));
    EXPECT_EQ(l.Chart, QRect(30, 20, 180, 100));
    // Never beyond R; an empty legend leaves R to the chart.
    l = LayoutChartAndLegend(r, QSize(900, 100), false);
    EXPECT_EQ(l.Legend, r);
    EXPECT_TRUE(l.Chart.isEmpty());
    EXPECT_EQ(LayoutChartAndLegend(r, QSize(0, 0), false).Chart, r);
}

TEST(ChartLegendPicture, WidthOfTheLabelsAndHalfThePictureAtMost) {
    TQorColorScale legend;
    legend.SetAutoSize(false);
    legend.SetWidth(300);
    const TQorLegendPicture p = DrawLegendPicture(legend, 500, 400);
    // A copy measured its labels ("100" and its bar): far less than the legend's own width.
    EXPECT_GT(p.Size.width(), 20);
    EXPECT_LT(p.Size.width(), 100);
    EXPECT_EQ(p.Size.height(), 400);
    EXPECT_FALSE(p.Left);
    EXPECT_FALSE(p.Picture.isNull());
    EXPECT_EQ(legend.Width(), 300) << "the legend itself is left as it was";

    legend.SetAlign(alLeft);
    EXPECT_TRUE(DrawLegendPicture(legend, 500, 400).Left);
    EXPECT_EQ(DrawLegendPicture(legend, p.Size.width(), 400).Size.width(), p.Size.width() / 2);
    EXPECT_EQ(DrawLegendPicture(legend, 1, 400).Size.width(), 0);
}
