#include "F3DChartPropTestSupport.h"
#include "R3DAxisProp.h"

#include <QLabel>
#include <QTabWidget>

using TChartPropDialog = TDialogTest;

TEST_F(TChartPropDialog, OpensOnTheViewPageAndGivesTheFastBufferBackOnClose) {
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
}
