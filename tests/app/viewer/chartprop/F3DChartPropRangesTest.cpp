// The Scale Ranges page of the chart properties dialog.
#include "F3DChartPropTestSupport.h"

TEST_F(TChartPropDialog, TypedRangesAreClampedAndAutoScaleWritesNone) {
    ASSERT_TRUE(Chart.SetSize3D(2, 2)); // heights 0, ranges 0 ... 1 along X and Z
    Chart.XValues() = {0, 1};
    Chart.ZValues() = {0, 1};
    Chart.AxisY().SetAutoMax(false); // a file may leave the two flags apart
    Chart.AxisY().SetMaximum(50);
    OpenAt("TabSheetRanges");
    TQorEdit& xmin = Edit("CtrlXmin");
    EXPECT_FALSE(Shown(xmin));
    Toggle(Check("CtrlXAutoScale"));
    EXPECT_TRUE(Shown(xmin));
    EXPECT_FALSE(Chart.AxisX().AutoMin());
    EXPECT_FALSE(Chart.AxisX().AutoMax());
    Type(xmin, "200000000000000000000"); // 2e20
    EXPECT_EQ(Chart.AxisX().Minimum(), 1e20);
    EXPECT_EQ(xmin.CurrentColor(), QorOutOfRangeColor);
    Type(xmin, "-2.5");
    Type(Edit("CtrlXmax"), "7,25");
    EXPECT_EQ(Chart.AxisX().Minimum(), -2.5);
    EXPECT_EQ(Chart.AxisX().Maximum(), 7.25);

    // Y's box shows AutoMin; any change of the page sets both flags of a checked box, and
    // its edits, though typed into, are not written.
    ASSERT_TRUE(Check("CtrlYAutoScale").Checked());
    Edit("CtrlYmax").ChangeText("33");
    EXPECT_TRUE(Chart.AxisY().AutoMax());
    EXPECT_EQ(Chart.AxisY().Maximum(), 1); // the data range again, not 33
    EXPECT_EQ(Chart.AxisX().Maximum(), 7.25);
    Toggle(Check("CtrlXAutoScale"));
    EXPECT_EQ(Chart.AxisX().Maximum(), 1);
}
