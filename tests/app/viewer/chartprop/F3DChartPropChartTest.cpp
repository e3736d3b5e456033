// The Chart page of the chart properties dialog.
#include "F3DChartPropTestSupport.h"

TEST_F(TChartPropDialog, ChartPageWritesEachChangeAtOnce) {
    int repaints = 0;
    Chart.OnChange = [&](TObject*) {
        ++repaints;
    };
    OpenAt("TabSheetChart");
    TQorEdit& height = Edit("CtrlHeightY");
    EXPECT_EQ(height.Text(), "70");
    EXPECT_TRUE(Shown(height));
    repaints = 0;
    Type(height, "125");
    EXPECT_DOUBLE_EQ(Chart.HeightY(), 1.25);
    EXPECT_TRUE(height.Modified());
    EXPECT_GT(repaints, 0);
    Toggle(Check("CtrlKeepXY"));
    EXPECT_TRUE(Chart.KeepAspectXY());
    EXPECT_FALSE(Shown(height)); // the height follows X
    Toggle(Check("CtrlWired"));
    EXPECT_TRUE(Chart.Wired());

    QComboBox& transparency = List("CtrlTransp");
    EXPECT_EQ(transparency.count(), 11);
    EXPECT_EQ(transparency.palette().color(QPalette::Button), QColor(0, 255, 255));
    Pick(transparency, 4);
    EXPECT_EQ(Chart.Transparency(), 4);
    EXPECT_NE(transparency.palette().color(QPalette::Button), QColor(0, 255, 255));
}
