// The main window on a real display (run under xvfb-run; skipped offscreen): the user clicks
// a sample in the file list and sees its chart and legend.
#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorColorScaleWidget.h"
#include "app/viewer/FMainTestSupport.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Pixels of Area (in window coordinates) in a strong colour, as the palette paints them.
int ColouredPixels(const QImage& Shot, const QRect& Area) {
    int n = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (QColor(Shot.pixel(x, y)).hsvSaturation() > 150)
                ++n;
    return n;
}

// Distinct hues (in steps of 10 degrees) down one column of Area: a colour bar shows many.
int HuesDownTheColumns(const QImage& Shot, const QRect& Area) {
    QSet<int> hues;
    for (int x = Area.left(); x <= Area.right(); ++x)
        for (int y = Area.top(); y <= Area.bottom(); ++y) {
            const QColor c(Shot.pixel(x, y));
            if (c.hsvSaturation() > 150 && c.value() > 100)
                hues.insert(c.hsvHue() / 10);
        }
    return int(hues.size());
}

} // namespace

using FormMainXvfb = TFormMainFixture;

TEST_F(FormMainXvfb, ClickingASampleDrawsItsChartAndLegend) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    const QImage before = ScreenShot(w);

    const int renders = w.Chart().RenderCount();
    ClickFile("surface.p3d");
    ASSERT_TRUE(WaitFor([&] { return w.Chart().RenderCount() > renders; }));
    const QImage shot = ScreenShot(w);
    ASSERT_EQ(shot.size(), w.size());

    EXPECT_TRUE(w.ChartWidget().InWindowMode());
    const QRect chart = AreaOf(w, w.ChartWidget());
    EXPECT_GT(ColouredPixels(shot, chart), chart.width() * chart.height() / 20);
    EXPECT_NE(shot.copy(chart), before.copy(chart)); // the sample gave way to the file
    const QRect legend = AreaOf(w, w.ColorScaleWidget());
    EXPECT_GE(legend.left(), chart.right());
    EXPECT_GE(HuesDownTheColumns(shot, legend), 15);
    EXPECT_TRUE(Control<QLabel>("StatusFile").text().endsWith("surface.p3d"));
}

// The colour the chart shows near its top-left corner, once it has been drawn anew.
QColor ChartCorner(TFormMain& Window, TColor Background) {
    const int renders = Window.Chart().RenderCount();
    Window.Chart().SetBackgroundColor(Background);
    WaitFor([&] { return Window.Chart().RenderCount() > renders; });
    const QRect chart = AreaOf(Window, Window.ChartWidget());
    return QColor(ScreenShot(Window).pixel(chart.topLeft() + QPoint(3, 3)));
}

// Toggles the safe-mode box in "Program Properties" and leaves with BtnClose or BtnCancel.
void ToggleSafeMode(QAction& Command, const char* Button) {
    OnNextModal([Button](QWidget* dialog) {
        QTest::keyClick(dialog->findChild<TQorCheckBox*>("ChSafeGL"), Qt::Key_Space);
        QTest::mouseClick(dialog->findChild<QPushButton*>(Button), Qt::LeftButton);
    });
    Command.trigger();
}

TEST_F(FormMainXvfb, SafeModeOnAndOffKeepsTheChartOnTheScreen) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    ASSERT_TRUE(StartOnScreen({"/S"}, {900, 600}));
    TFormMain& w = *Window;
    EXPECT_TRUE(w.Chart().IsBitmapMode());
    EXPECT_EQ(ChartCorner(w, clAqua), QColor(0, 255, 255)); // drawn through OSMesa

    // Started in safe mode, the chart gets its OpenGL window when the user switches it off.
    ToggleSafeMode(Action("PropertiesMenuItem"), "BtnClose");
    ASSERT_TRUE(WaitFor([&] { return w.ChartWidget().InWindowMode(); }));
    EXPECT_EQ(ChartCorner(w, clLime), QColor(0, 255, 0));
    EXPECT_TRUE(w.GLVersion().contains("Mesa"));

    // On and cancelled: the window's OpenGL picture comes back, not the last bitmap.
    ToggleSafeMode(Action("PropertiesMenuItem"), "BtnCancel");
    ASSERT_TRUE(WaitFor([&] { return w.ChartWidget().InWindowMode(); }));
    EXPECT_EQ(ChartCorner(w, clYellow), QColor(255, 255, 0));
}
