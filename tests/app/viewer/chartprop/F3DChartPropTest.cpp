// The chart properties dialog's shell: its pages, opening and closing, Default Properties.
#include "F3DChartPropTestSupport.h"
#include "chartprop/R3DAxisProp.h"

#include <QLabel>
#include <QTabWidget>

TEST_F(TChartPropDialog, OpensOnTheViewPageGivesTheFastBufferBackAndKeepsItsPlace) {
    Chart.SetUseFastDoubleBuffer(true);
    TForm3DChartProp& d = Open();
    EXPECT_EQ(d.windowTitle(), "3D Chart Properties");
    auto& tabs = Get<QTabWidget>("PageControl1");
    const QStringList expected{"View",   "Chart",  "Scale Ranges", "Grid",     "Settings",
                               "X-axis", "Y-axis", "Z-axis",       "4th Dim.", "Color Scale"};
    ASSERT_EQ(tabs.count(), expected.size());
    for (int i = 0; i < tabs.count(); ++i)
        EXPECT_EQ(tabs.tabText(i), expected[i]);
    EXPECT_EQ(tabs.currentWidget()->objectName(), "TabSheetView");
    EXPECT_FALSE(Chart.UseFastDoubleBuffer());
    EXPECT_TRUE(d.SavedFastDoubleBuffer());
    EXPECT_EQ(d.AxisFrame(0).Axis(), &Chart.AxisX());
    EXPECT_EQ(d.AxisFrame(1).Axis(), &Chart.AxisY());
    EXPECT_EQ(d.AxisFrame(2).LabelX2->text(), "Y =");

    // Another page takes the focus to Close; Esc closes the dialog, and closing unbinds.
    tabs.setCurrentIndex(3);
    EXPECT_EQ(d.focusWidget(), &Get<QPushButton>("BtnFinish"));
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    Dialog.reset();
    EXPECT_TRUE(Chart.UseFastDoubleBuffer());

    // Enter presses Close; the next showing keeps the placement.
    Open().setGeometry(40, 50, 760, 580);
    QTest::keyClick(Dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Open().geometry(), QRect(40, 50, 760, 580));
}

// ---- Default Properties ----

TEST_F(TChartPropDialog, DefaultPropertiesPutBackChartAndLegendWithTheUnchangedLook) {
    TForm3DChartProp& d = Open();
    EXPECT_TRUE(AllUnchanged(d));
    Toggle(Check("CtrlWired"));
    Pick(List("CtrlTransp"), 3);
    Click("BtnHeat");
    Type(*d.AxisFrame(2).CtrlCaption, "Depth");
    Pick(*d.AxisFrame(2).CtrlPosX1, 0);
    Toggle(Check("MAZYmin"));
    Legend.Font().SetHeight(-30);
    ASSERT_FALSE(AllUnchanged(d));
    Click("BtnDefault");
    EXPECT_EQ(PropertyText(Chart), PropertyText(DefaultChart));
    EXPECT_EQ(Legend.Font().Height(), -16);
    EXPECT_TRUE(AllUnchanged(d));
    EXPECT_EQ(d.AxisFrame(2).CtrlCaption->Text(), "Z");

    // Without default copies the constructor defaults serve.
    Dialog.reset();
    Chart.SetWired(true);
    Open(true, false);
    Click("BtnDefault");
    const TQor3DChart fresh;
    EXPECT_EQ(PropertyText(Chart), PropertyText(fresh));
    EXPECT_EQ(Legend.Font().Height(), TQorColorScale().Font().Height());
}
