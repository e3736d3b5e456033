#include "chartprop/F3DChartPropView.h"
#include "F3DChartPropTestSupport.h"
#include "chartprop/R3DAxisProp.h"

#include <QScrollBar>
#include <cmath>

namespace {

class TViewPage : public TDialogTest {
protected:
    QScrollBar& Scroll(const char* Name) { return Get<QScrollBar>(Name); }
    TQor3DDraw& Preview() { return Get<TChartPropViewPage>("TabSheetView").Preview(); }
    QWidget& PreviewWidget() { return Get<QWidget>("OsyGL"); }
    // A left-button drag from one point to another in a single move.
    void Drag(QWidget& W, QPoint From, QPoint To) {
        QTest::mousePress(&W, Qt::LeftButton, {}, From);
        QTest::mouseMove(&W, To);
        QTest::mouseRelease(&W, Qt::LeftButton, {}, To);
    }
};

} // namespace

TEST_F(TViewPage, OpeningRoundsTheAnglesAndDragsTurnTwoDegreesAPixel) {
    Chart.SetViewRotX(0);
    Chart.SetViewRotY(130.4);
    Open();
    EXPECT_EQ(Scroll("ScrollZoom").value(), -52);
    EXPECT_DOUBLE_EQ(Chart.XMin(), std::pow(10.0, -0.52));
    EXPECT_DOUBLE_EQ(Chart.YMin(), Chart.XMin());
    EXPECT_EQ(Chart.ViewRotY(), 130);
    EXPECT_EQ(Chart.ViewRotX(), 0);
    EXPECT_EQ(Preview().ViewRotX(), 0); // not the preview's own 20
    EXPECT_EQ(Preview().ViewRotY(), 130);
    EXPECT_EQ(Scroll("ScrollRotY").toolTip(), QString("130") + QChar(0x00B0));
    EXPECT_TRUE(Preview().PerspectiveON());
    EXPECT_EQ(Preview().ViewScale(), 0.4);
    EXPECT_EQ(Preview().XMin(), 0.3); // the preview is never zoomed

    // The preview shows the translucent cube with its three axis lines on the chart's
    // background.
    ColorBox("CtrlBkColor").ChangeSelected(clBlack);
    EXPECT_EQ(Chart.BackgroundColor(), clBlack);
    const QImage shot = PreviewWidget().grab().toImage();
    ASSERT_EQ(shot.size(), QSize(119, 119));
    EXPECT_EQ(QColor(shot.pixel(1, 1)), QColor(Qt::black));
    for (int n : AxisLinePixels(shot))
        EXPECT_GT(n, 20);
    int cube = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c(shot.pixel(x, y));
            cube += c.red() > 60 && std::abs(c.red() - c.blue()) < 8 && c.red() == c.green();
        }
    EXPECT_GT(cube, 2000);

    // Drags turn the chart two degrees a pixel and move it on the pad.
    const double rotX = Chart.ViewRotX();
    Drag(PreviewWidget(), {50, 50}, {60, 50});
    EXPECT_EQ(Chart.ViewRotY(), 150);
    EXPECT_EQ(Preview().ViewRotY(), 150);
    EXPECT_EQ(Scroll("ScrollRotY").value(), 150);
    EXPECT_EQ(Chart.ViewRotX(), rotX);
    Drag(PreviewWidget(), {50, 50}, {50, 40});
    EXPECT_EQ(Chart.ViewRotX(), rotX - 20);
    EXPECT_EQ(Preview().ViewRotX(), rotX - 20);

    const double xmin = Chart.XMin();
    Drag(Get<QWidget>("CtrlMove"), {10, 10}, {30, 0});
    EXPECT_DOUBLE_EQ(Chart.ViewMoveX(), xmin);
    EXPECT_DOUBLE_EQ(Chart.ViewMoveY(), 0.1 + xmin / 2);
    EXPECT_EQ(Preview().ViewMoveX(), 0); // the preview never shifts

    Scroll("ScrollZoom").setValue(100);
    EXPECT_DOUBLE_EQ(Chart.XMin(), 10);
    EXPECT_DOUBLE_EQ(Chart.YMin(), 10);
    Scroll("ScrollRotX").setValue(-15);
    EXPECT_EQ(Chart.ViewRotX(), -15);
    EXPECT_EQ(Preview().ViewRotX(), -15);
}

TEST_F(TViewPage, FrontTurnsTheChartAndItsLabelsAndASecondFrontChangesNothing) {
    Open();
    Click("BtnFront");
    EXPECT_EQ(Chart.ViewRotX(), 0);
    EXPECT_EQ(Chart.ViewRotY(), 180);
    EXPECT_EQ(Preview().ViewRotY(), 180);
    EXPECT_EQ(Chart.RotY(), 0);
    EXPECT_FALSE(Chart.PerspectiveON());
    EXPECT_FALSE(Chart.LightsON());
    EXPECT_FALSE(Check("CtrlShiny").isVisibleTo(Dialog.get()));
    EXPECT_DOUBLE_EQ(Chart.ViewScale(), 0.7 / 2.5);
    EXPECT_EQ(Chart.AxisX().RotText(), 0);
    EXPECT_EQ(Chart.AxisZ().RotText(), -90);
    EXPECT_EQ(Chart.AxisY().Axis2Position(), apMinimum);
    EXPECT_EQ(Chart.AxisY().TextJustify(), taRightJustify);
    EXPECT_TRUE(Chart.AxisY().VisibleMin());
    EXPECT_TRUE(Dialog->AxisFrame(1).CtrlRot->Modified());  // 45 became 0
    EXPECT_FALSE(Dialog->AxisFrame(2).CtrlRot->Modified()); // already -90

    const std::string once = PropertyText(Chart);
    Click("BtnFront");
    EXPECT_EQ(PropertyText(Chart), once);
}

TEST_F(TViewPage, ASideViewAndThe3DViewGiveTheScaleBack) {
    Open();
    const std::string opened = PropertyText(Chart);
    Click("BtnTop");
    EXPECT_EQ(Chart.ViewRotX(), 90);
    EXPECT_EQ(Chart.RotY(), 90);
    EXPECT_DOUBLE_EQ(Chart.ViewScale(), 0.28);
    EXPECT_EQ(Chart.AxisY().Axis2Position(), apMaximum);
    EXPECT_FALSE(Chart.AxisY().VisibleMin());
    EXPECT_EQ(Chart.AxisY().RotText(), 45);
    Click("Btn3D");
    EXPECT_DOUBLE_EQ(Chart.ViewScale(), 0.7);
    EXPECT_EQ(Chart.ViewRotX(), 30);
    EXPECT_EQ(Chart.ViewRotY(), 130);
    EXPECT_EQ(Chart.RotY(), 0);
    EXPECT_DOUBLE_EQ(Chart.ViewMoveY(), 0.1);
    EXPECT_TRUE(Chart.PerspectiveON() && Chart.LightsON());
    EXPECT_EQ(PropertyText(Chart), opened);

    // The perspective box scales the same way by itself.
    Toggle(Check("CtrlPerspective"));
    EXPECT_DOUBLE_EQ(Chart.ViewScale(), 0.28);
    EXPECT_EQ(Preview().ViewScale(), 0.2);
    EXPECT_FALSE(Preview().PerspectiveON());
    Toggle(Check("CtrlPerspective"));
    EXPECT_DOUBLE_EQ(Chart.ViewScale(), 0.7);
}

TEST_F(TViewPage, ADefaultViewUpTo90DegreesUsesTheSecondTable) {
    DefaultChart.SetViewRotY(45);
    Open();
    Click("BtnFront");
    EXPECT_EQ(Chart.ViewRotY(), 90);
    EXPECT_FALSE(Chart.AxisX().Visible());
    EXPECT_TRUE(Chart.AxisY().Visible() && Chart.AxisZ().Visible());
    EXPECT_EQ(Chart.AxisY().TextJustify(), taLeftJustify);
    EXPECT_EQ(Chart.AxisY().RotText(), 90);
    EXPECT_TRUE(Chart.AxisZ().FlipText());
    EXPECT_EQ(Chart.AxisZ().Axis1Position(), apMinimum);
    EXPECT_DOUBLE_EQ(Chart.ViewScale(), 0.7 / 2.5);

    // The owner's standard view decides; when it fails the second table serves too.
    DefaultChart.SetViewRotY(130);
    Chart.OnSet3DViewAngle = [](TObject*) {
        throw std::runtime_error("no view");
    };
    Click("BtnLeft");
    EXPECT_EQ(Chart.ViewRotY(), 180);
    EXPECT_FALSE(Chart.AxisZ().Visible());
    Chart.OnSet3DViewAngle = [this](TObject*) {
        Chart.SetViewRotY(100);
    };
    Click("BtnLeft");
    EXPECT_EQ(Chart.ViewRotY(), -90); // the first table again
}
