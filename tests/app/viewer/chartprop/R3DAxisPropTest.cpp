// The axis pages (X-, Y- and Z-axis) of the chart properties dialog.
#include "chartprop/R3DAxisProp.h"
#include "F3DChartPropTestSupport.h"

#include <QFont>
#include <QGroupBox>

TEST_F(TChartPropDialog, AHiddenYAxisOf3DDataStillEditsTheLegendCaption) {
    Chart.AxisX().SetVisible(false);
    Chart.AxisY().SetVisible(false);
    TForm3DChartProp& d = OpenAt("TabSheetY");
    TFrame3DAxisProp& y = d.AxisFrame(1);
    EXPECT_FALSE(Shown(*y.CtrlLog));
    EXPECT_FALSE(Shown(*y.PanelNumbering));
    EXPECT_FALSE(Shown(*y.CtrlCaptionFont));
    EXPECT_TRUE(Shown(*y.CtrlCaption));
    Type(*y.CtrlCaption, "Height");
    EXPECT_EQ(Chart.AxisY().Caption(), "Height");

    ShowPage("TabSheetX");
    TFrame3DAxisProp& x = d.AxisFrame(0);
    EXPECT_FALSE(Shown(*x.CtrlCaption));
    Toggle(*x.CtrlVisible);
    EXPECT_TRUE(Chart.AxisX().Visible());
    EXPECT_TRUE(Shown(*x.CtrlCaption) && Shown(*x.PanelNumberingSub) && Shown(*x.CtrlFont));
    Toggle(*x.CtrlNumVisible);
    EXPECT_FALSE(Chart.AxisX().VisibleStepText());
    EXPECT_FALSE(Shown(*x.PanelNumberingSub) || Shown(*x.CtrlFont));
    Toggle(*x.CtrlSubStepAuto);
    EXPECT_TRUE(Chart.AxisX().AutoSubSteps());
    EXPECT_FALSE(Shown(*x.CtrlSubStepCount));
    Toggle(*x.CtrlStepVisible);
    EXPECT_FALSE(Shown(*x.PanelStepsSub));
    Toggle(*x.CtrlLeft);
    EXPECT_EQ(Chart.AxisX().TextJustify(), taRightJustify);
    Pick(*x.CtrlPosX2, 2);
    EXPECT_EQ(Chart.AxisX().Axis2Position(), apMaximum);
    Type(*x.CtrlRot, "-45");
    EXPECT_EQ(Chart.AxisX().RotText(), -45);

    // The axis font comes from the font dialog.
    QFont serif("Liberation Serif");
    serif.setPixelSize(40);
    serif.setItalic(true);
    OnNextModal([&](QWidget* w) { ChooseFont(w, serif); });
    QTest::mouseClick(x.CtrlFont, Qt::LeftButton);
    EXPECT_EQ(Chart.AxisX().Font().Name(), "Liberation Serif");
    EXPECT_TRUE(Chart.AxisX().Font().Style().Contains(fsItalic));
    EXPECT_EQ(Chart.AxisX().CaptionFont().Name(), "Arial");

    // With 4D data no legend shows the Y caption: it hides with its axis.
    ASSERT_TRUE(Chart.SetSize4D(2, 2, 2));
    OpenAt("TabSheetY");
    EXPECT_FALSE(Shown(*Dialog->AxisFrame(1).CtrlCaption));
}
