#include "chart/Qor3DChartAxis.h"
#include "Qor3DPropertySamples.h"
#include "QorNumText.h"

#include <gtest/gtest.h>

namespace {

template <typename T> struct Counted {
    T obj;
    int changes = 0;
    Counted() {
        obj.OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, &obj);
            ++changes;
        };
    }
};

} // namespace

TEST(QorChartAxis3D, Defaults) {
    TQorChartAxis3D a;
    EXPECT_TRUE(a.AutoMax());
    EXPECT_TRUE(a.AutoMin());
    EXPECT_FALSE(a.AutoSubSteps());
    EXPECT_EQ(a.Axis1Position(), apZero);
    EXPECT_EQ(a.AxisWidth(), 2);
    EXPECT_EQ(a.CaptionFont().Name(), "Arial");
    EXPECT_EQ(a.CaptionFont().Size(), 32);
    EXPECT_TRUE(a.CaptionFont().Style().Contains(fsBold));
    EXPECT_EQ(a.Font().Size(), 28);
    EXPECT_TRUE(a.Font().Style().Empty());
    EXPECT_EQ(a.DecPlacesEndPlus(), 3);
    EXPECT_EQ(a.DecPlacesMax(), 9);
    EXPECT_EQ(a.Maximum(), 100);
    EXPECT_EQ(a.Minimum(), 0);
    EXPECT_EQ(a.NumSubSteps(), 1);
    EXPECT_EQ(a.TextBackColor(), clWhite);
    EXPECT_EQ(a.StoredDecSep(), '.');
    EXPECT_TRUE(a.DecSepLocal());
    EXPECT_EQ(a.Layout.DisplayMin, 0);
    EXPECT_EQ(a.Layout.DisplayMax, 100);
    EXPECT_EQ(a.Layout.DashWidth, 2);
    EXPECT_EQ(a.Layout.DashWidthHalf, 1);
    EXPECT_FALSE(a.LogPrevious());
    EXPECT_FALSE(a.LogChangePending());
    EXPECT_EQ(a.MeasureBitmap().format(), QImage::Format_RGB888);
}

TEST(QorChartAxis3D, SettersNotifyOnlyOnChange) {
    Counted<TQorChartAxis3D> c;
    c.obj.SetMaximum(100);
    c.obj.SetCaption("");
    c.obj.SetFont(c.obj.Font());
    EXPECT_EQ(c.changes, 0);
    c.obj.SetMaximum(50);
    c.obj.SetCaption("X");
    EXPECT_EQ(c.changes, 2);
    c.obj.Font().SetSize(12); // sub-property of an owned font
    EXPECT_EQ(c.changes, 3);
    TFont big("Arial", 40);
    c.obj.SetCaptionFont(big);
    EXPECT_EQ(c.obj.CaptionFont().Size(), 40);
    EXPECT_EQ(c.changes, 4);
}

TEST(QorChartAxis3D, BatchesNestAndNotifyOnce) {
    Counted<TQorChartAxis3D> c;
    c.obj.BeginUpdate();
    c.obj.BeginUpdate();
    c.obj.SetMinimum(-1);
    c.obj.SetRotText(12);
    c.obj.EndUpdate();
    EXPECT_EQ(c.changes, 0);
    EXPECT_TRUE(c.obj.Updating());
    c.obj.EndUpdate();
    EXPECT_EQ(c.changes, 1);
    EXPECT_FALSE(c.obj.Updating());
    c.obj.EndUpdate(); // unbalanced: stays at 0 and has nothing to report
    EXPECT_EQ(c.obj.UpdateCount(), 0);
    EXPECT_EQ(c.changes, 1);
    c.obj.BeginUpdate();
    c.obj.EndUpdate();
    EXPECT_EQ(c.changes, 1);
}

// Every property's copy is checked with the stored forms (EveryProperty); here the one
// notification, the tracked logarithmic switch and what is not copied.
TEST(QorChartAxis3D, AssignCopiesEverythingWithOneNotification) {
    TQorChartAxis3D source;
    RestyleAxis(source);
    source.StoreDecSep(',');
    source.Layout.CaptionHeight = 17;
    Counted<TQorChartAxis3D> c;
    c.obj.Assign(source);
    EXPECT_EQ(c.changes, 1);
    EXPECT_TRUE(c.obj.Logarithmic());
    EXPECT_TRUE(c.obj.LogChangePending());
    EXPECT_FALSE(c.obj.LogPrevious());
    // Not copied: the separator and the layout state.
    EXPECT_EQ(c.obj.StoredDecSep(), '.');
    EXPECT_EQ(c.obj.Layout.CaptionHeight, 0);
    c.obj.Assign(source);
    EXPECT_EQ(c.changes, 1);
    // Another class is ignored.
    TQorGrid3DProp grid;
    grid.SetGridWidth(9);
    c.obj.Assign(grid);
    EXPECT_EQ(c.changes, 1);
    EXPECT_EQ(c.obj.AxisWidth(), source.AxisWidth());
}

TEST(QorChartAxis3D, LogPreviousKeepsTheStateBeforeTheFirstPendingChange) {
    Counted<TQorChartAxis3D> c;
    c.obj.SetLogarithmic(true);
    EXPECT_TRUE(c.obj.LogChangePending());
    EXPECT_FALSE(c.obj.LogPrevious());
    c.obj.SetLogarithmic(false);
    c.obj.SetLogarithmic(true);
    EXPECT_FALSE(c.obj.LogPrevious());
    EXPECT_EQ(c.changes, 3);
    c.obj.SetLogState(true, false); // the data are now converted
    c.obj.SetLogarithmic(false);
    EXPECT_TRUE(c.obj.LogPrevious());
    EXPECT_TRUE(c.obj.LogChangePending());
}

TEST(QorChartAxis3D, DecSepFollowsTheLocaleWhileLocal) {
    const TScopedLocaleDecSeparator german(',');
    Counted<TQorChartAxis3D> c;
    const char local = ',';
    EXPECT_EQ(c.obj.DecSep(), local); // the stored character is still "."
    c.obj.SetDecSep(';');
    EXPECT_EQ(c.changes, 1);
    EXPECT_EQ(c.obj.DecSep(), local);
    c.obj.SetDecSepLocal(false);
    EXPECT_EQ(c.obj.DecSep(), c.obj.StoredDecSep());
    EXPECT_EQ(c.changes, 2);
    c.obj.StoreDecSepLocal(true); // the chart's direct write is silent
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(c.obj.DecSep(), local);
}

TEST(QorGrid3DProp, DefaultsAndAssign) {
    TQorGrid3DProp g;
    EXPECT_EQ(g.GridColor(), clBlack);
    EXPECT_EQ(g.GridStyle(), 57735);
    EXPECT_EQ(g.GridWidth(), 1);
    EXPECT_TRUE(g.GridXZmax() && g.GridYXmax() && g.GridYZmax() && g.GridZXmax());
    EXPECT_TRUE(g.GridXYmin() && g.GridZYmin());
    EXPECT_FALSE(g.GridXYmax() || g.GridZYmax() || g.GridXZmin() || g.GridYXmin() ||
                 g.GridYZmin() || g.GridZXmin());

    TQorGrid3DProp source;
    RestyleGrid(source);
    Counted<TQorGrid3DProp> c;
    c.obj.Assign(source);
    EXPECT_EQ(c.changes, 1);
    EXPECT_EQ(c.obj.GridStyle(), source.GridStyle());
    TQorChartAxis3D axis;
    c.obj.Assign(axis);
    EXPECT_EQ(c.changes, 1);
}
