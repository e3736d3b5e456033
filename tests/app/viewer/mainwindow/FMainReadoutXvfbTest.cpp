// The value readout on a real display (run under xvfb-run; skipped offscreen): the user moves
// the mouse over a grid point of the chart and reads its coordinates and value in the status
// bar, at a turned view and in safe bitmap mode too; off the data the readout is empty.
#include "Qor3DDrawWidget.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "render/Qor3DChartProbe.h"

#include <QLabel>
#include <QWheelEvent>

namespace {

using FormMainReadoutXvfb = TFormMainFixture;

// A 16 × 12 surface with x = i / 2, z = k and a gentle height of 0.01 (i + 2k).
std::string SurfaceFile() {
    std::string text = "<3D>\n16\t12\n";
    for (int i = 0; i < 16; ++i)
        text += std::to_string(i * 0.5) + (i + 1 < 16 ? "\t" : "\n");
    for (int k = 0; k < 12; ++k)
        text += std::to_string(k) + "\n";
    for (int k = 0; k < 12; ++k)
        for (int i = 0; i < 16; ++i)
            text += std::to_string(0.01 * (i + 2 * k)) + (i + 1 < 16 ? "\t" : "\n");
    return text;
}

// Moves the mouse over the drawn point P (drawing coordinates) of the chart; the readout's text
// once the marker stands on that point (empty when it never does). Motion from where the cursor
// was before may still be on its way, and the window's layout may still settle after the load:
// the marker tells which move the text belongs to, and the move is tried again at the chart's
// size of the moment.
QString HoverOver(TFormMain& Window, const TQorPoint3d& P) {
    TQor3DDrawWidget& chart = Window.ChartWidget();
    auto& marker = *Window.findChild<QWidget*>("ReadoutMarker");
    for (int attempt = 0; attempt < 3; ++attempt) {
        const TPoint size = chart.ClientSize();
        const TQorScreenPoint s = QorProbe::ChartView(Window.Chart(), size.X, size.Y).Project(P);
        const QPoint target(int(s.X), int(s.Y));
        QTest::mouseMove(&chart, target + QPoint(9, 9));
        QTest::qWait(50);
        QTest::mouseMove(&chart, target);
        if (WaitFor(
                [&] {
                    return marker.isVisible() &&
                           (marker.geometry().center() - target).manhattanLength() <= 3;
                },
                1000))
            return Window.findChild<QLabel*>("StatusReadout")->text();
    }
    return {};
}

// The chart is drawn (again) after Change.
void Redrawn(TFormMain& Window, const std::function<void()>& Change) {
    const int renders = Window.Chart().RenderCount();
    Change();
    ASSERT_TRUE(WaitFor([&] { return Window.Chart().RenderCount() > renders; }));
}

} // namespace

TEST_F(FormMainReadoutXvfb, HoverShowsTheSurfacePointAtEveryViewAndMode) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const std::string file = dir.File("surface.p3d");
    WriteFileText(file, SurfaceFile());
    ASSERT_TRUE(StartOnScreen({QString::fromStdString(file)}));
    TFormMain& w = *Window;
    ASSERT_TRUE(WaitFor([&] { return w.Chart().NX() == 16; }));
    ASSERT_TRUE(w.ChartWidget().InWindowMode());
    auto& marker = Control<QWidget>("ReadoutMarker");

    EXPECT_EQ(HoverOver(w, {3.5, 0.01 * (7 + 10), 5}), "X = 3.5   Z = 5   Y = 0.17");
    EXPECT_TRUE(marker.isVisible());

    Redrawn(w, [&] { w.Chart().SetViewRotY(-100); });
    EXPECT_EQ(HoverOver(w, {6, 0.01 * (12 + 4), 2}), "X = 6   Z = 2   Y = 0.16");

    Redrawn(w, [&] { w.Chart().SetUseSafeBitmapMode(true); });
    ASSERT_TRUE(WaitFor([&] { return w.Chart().IsBitmapMode(); }));
    EXPECT_EQ(HoverOver(w, {1, 0.01 * (2 + 18), 9}), "X = 1   Z = 9   Y = 0.2");
    EXPECT_TRUE(marker.isVisible());

    // A wheel zoom moves the chart under the still cursor: the old point is not shown.
    const QPoint at = marker.geometry().center();
    QWheelEvent wheel(QPointF(at), QPointF(w.ChartWidget().mapToGlobal(at)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&w.ChartWidget(), &wheel);
    EXPECT_EQ(Control<QLabel>("StatusReadout").text(), "");
    EXPECT_FALSE(marker.isVisible());

    // Off the data the readout and the marker go.
    Redrawn(w, [&] { w.Chart().SetViewScale(0.3); });
    QTest::mouseMove(&w.ChartWidget(), QPoint(3, 3));
    QTest::qWait(100);
    EXPECT_EQ(Control<QLabel>("StatusReadout").text(), "");
    EXPECT_FALSE(marker.isVisible());
}

TEST_F(FormMainReadoutXvfb, HoverShowsTheVolumeCellAndItsValue) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const std::string file = dir.File("volume.p4d");
    std::string text = "<4D>\n4\t3\t5\n0\t1\t2\t3\n0\t10\t20\n0\t1\t2\t3\t4\n";
    for (int a = 0; a < 5; ++a) {
        text += "\n";
        for (int b = 0; b < 3; ++b)
            for (int c = 0; c < 4; ++c)
                text += std::to_string(100 * a + 10 * b + c) + (c + 1 < 4 ? "\t" : "\n");
    }
    WriteFileText(file, text);
    ASSERT_TRUE(StartOnScreen({QString::fromStdString(file)}));
    TFormMain& w = *Window;
    TQor3DChart& chart = w.Chart();
    ASSERT_TRUE(WaitFor([&] { return chart.NX() == 4; }));
    Redrawn(w, [&] {
        chart.SetDim4Direction(1); // layers across Y: the top one faces the viewer
        chart.SetViewRotY(-100);
    });
    // Grid point (2, 2, 3) on the top layer, its value as the chart holds it.
    const size_t p = size_t(2 + 4 * (2 + 3 * 3));
    const float value = chart.LowMemoryLayout() ? chart.Data()[p] : chart.Data()[4 * p + 3];
    EXPECT_EQ(HoverOver(w, {2, 20, 3}),
              QString("X = 2   Y = 20   Z = 3   Value = %1").arg(double(value)));
}
