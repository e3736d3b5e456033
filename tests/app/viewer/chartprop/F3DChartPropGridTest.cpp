// The Grid page of the chart properties dialog.
#include "F3DChartPropTestSupport.h"

TEST_F(TChartPropDialog, ClearingAMajorGridKeepsTheMinorOneAsItWas) {
    OpenAt("TabSheetGrid");
    TQorCheckBox& major = Check("MAXYmin");
    TQorCheckBox& minor = Check("MIXYmin");
    ASSERT_TRUE(major.Checked());
    ASSERT_TRUE(minor.Checked() && minor.isEnabled());
    EXPECT_FALSE(Check("MIXYmax").isEnabled());
    Toggle(major);
    EXPECT_FALSE(Chart.gridMajor().GridXYmin());
    EXPECT_FALSE(minor.isEnabled());
    EXPECT_TRUE(minor.Checked());
    EXPECT_TRUE(Chart.gridMinor().GridXYmin());
    Toggle(Check("MIZYmin"));
    EXPECT_FALSE(Chart.gridMinor().GridZYmin());
    EXPECT_TRUE(Chart.gridMajor().GridZYmin());

    Pick(List("CtrlMILS"), 1);
    EXPECT_EQ(Chart.gridMinor().GridStyle(), 0xAAAA);
    Type(Edit("CtrlMALW"), "3");
    EXPECT_EQ(Chart.gridMajor().GridWidth(), 3);
    ColorBox("CtrlMALC").ChangeSelected(clRed);
    EXPECT_EQ(Chart.gridMajor().GridColor(), clRed);

    // A stipple the list does not know leaves the list where it was.
    EXPECT_EQ(List("CtrlMALS").currentIndex(), 4);
    Chart.gridMajor().SetGridStyle(0x1234);
    Pick(List("CtrlMILS"), 5);
    Dialog->LoadFromChart();
    EXPECT_EQ(List("CtrlMALS").currentIndex(), 4);
    EXPECT_EQ(List("CtrlMILS").currentIndex(), 5);
}
