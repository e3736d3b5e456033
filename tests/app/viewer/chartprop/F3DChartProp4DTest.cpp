// The 4th Dim. page of the chart properties dialog.
#include "F3DChartPropTestSupport.h"

TEST_F(TChartPropDialog, FourthDimensionPageFollowsTheDataKind) {
    OpenAt("TabSheet4D");
    EXPECT_FALSE(Shown(Get<QWidget>("Panel4Dim"))); // 3D data

    ASSERT_TRUE(Chart.SetSizeNx4D({{2, 2}, {3, 2}}));
    OpenAt("TabSheet4D");
    EXPECT_TRUE(Shown(Get<QWidget>("Panel4Dim")));
    for (const char* name : {"Ctrl4DNormal", "Ctrl4D1Layer", "Ctrl4DNLayer", "Label4DNormal"})
        EXPECT_FALSE(Shown(Get<QWidget>(name))) << name;
    EXPECT_TRUE(Shown(Edit("Ctrl4DCutIdx")));

    ASSERT_TRUE(Chart.SetSize4D(2, 2, 2));
    Chart.SetDim4CrossSectionOffset(0.25);
    OpenAt("TabSheet4D");
    for (const char* name : {"Ctrl4DNormal", "Ctrl4D1Layer", "Ctrl4DNLayer", "Ctrl4DHeight"})
        EXPECT_TRUE(Shown(Get<QWidget>(name))) << name;
    EXPECT_EQ(Edit("Ctrl4DCutOffset").Text(), "25");
    Pick(List("Ctrl4DNormal"), 6);
    EXPECT_EQ(Chart.Dim4Direction(), 6);
    Type(Edit("Ctrl4DHeight"), "250");
    EXPECT_DOUBLE_EQ(Chart.Dim4Height(), 2.5);
    Type(Edit("Ctrl4DCutOffset"), "-50");
    EXPECT_DOUBLE_EQ(Chart.Dim4CrossSectionOffset(), -0.5);
    Type(Edit("Ctrl4DCutIdx"), "9");
    EXPECT_EQ(Chart.Dim4CrossSection(), 8);
    Type(Edit("Ctrl4DCaption"), "T");
    EXPECT_EQ(Chart.Dim4Caption(), "T");
}
