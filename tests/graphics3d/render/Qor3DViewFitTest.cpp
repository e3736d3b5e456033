// Labels that fit: a chart whose caption or end labels would be cut at the view's edge is drawn
// smaller or shifted until they are whole; a chart that fits is left exactly as it was.
#include "render/Qor3DViewFit.h"
#include "Qor3DPictureSupport.h"
#include "Qor3DSceneSamples.h"
#include "chart/Qor3DChart.h"
#include "gl/Qor3DLib.h"
#include "io/Qor3DChartFile.h"
#include "render/Qor3DChartScene.h"

#include <QImage>
#include <QRect>
#include <cmath>
#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

constexpr int W = 400;
constexpr int H = 300;

// Keep Aspect Ratio (X and Y) with long X labels, zoomed in a little: the caption and the end
// labels stick out.
void MakeCutEndLabelsChart(TQor3DChart& Chart) {
    MakeWaveSurface(Chart, 21, false);
    UseViewerLook(Chart);
    SetFixedRange(Chart.AxisX(), 29909.391, 31783.21);
    Chart.AxisX().SetCaption("easting [m]");
    Chart.SetKeepAspectXY(true);
    // Zoomed in a little and turned so that X runs across the view.
    Chart.SetViewScale(1.1);
    Chart.SetViewRotY(160);
}

// A caption too long for the view even at the fit's first least zoom: at the chart's own
// zoom the fit goes further; zoomed in past twice that, it does not.
void MakeLongCaptionChart(TQor3DChart& Chart) {
    MakeCutCaptionChart(Chart);
    Chart.AxisY().SetCaption("height above sea [m]");
}

// A caption too long to fit at its own size even at that lower bound: it is drawn smaller.
void MakeTooLongCaptionChart(TQor3DChart& Chart) {
    MakeCutCaptionChart(Chart);
    Chart.AxisY().SetCaption("height above sea level [m]");
}

// The box of the pixels that differ from the top-left corner's colour.
QRect InkBox(const QImage& Image) {
    const QImage a = Image.convertToFormat(QImage::Format_RGB32);
    const QRgb back = a.pixel(0, 0);
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != back)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The outline of the scene as drawn (fit included), in pixels from the top-left corner.
QRectF OutlineBox(TQor3DChart& Chart) {
    SetDisplayedRanges(Chart);
    const TQorSceneFrame frame = ComputeSceneFrame(Chart);
    const TQorViewFit fit = FitChartView(Chart, frame, W, H);
    const TQor3DViewMatrix view = TQor3DViewMatrix::OfDraw(Chart, W, H);
    const TQorMatrix pv = QorMatrix::Multiply(fit.Applied(view.Projection()), view.ModelView());
    QRectF box;
    for (const auto& p : ChartOutline(Chart, frame, pv, fit.PixelSize())) {
        if (std::fabs(p[2]) > p[3])
            continue;
        const double x = (p[0] / p[3] + 1) / 2 * W;
        const double y = (1 - p[1] / p[3]) / 2 * H;
        box |= QRectF(x, y, 1e-9, 1e-9);
    }
    return box;
}

bool Fits(TQor3DChart& Chart) {
    SetDisplayedRanges(Chart);
    return FitChartView(Chart, ComputeSceneFrame(Chart), W, H).Identity();
}

QImage Render(TQor3DChart& Chart) {
    const QImage image = RenderChartImage(Chart, W, H);
    EXPECT_EQ(Chart.LastPaintError(), "");
    return image;
}

} // namespace

// Both charts are cut without the fit; drawn, every pixel of theirs keeps off the picture's
// border, within the outline the fit computed, and the outline lies inside the picture.
TEST(ViewFit, CutCaptionAndEndLabelsAreDrawnWhole) {
    for (const auto make : {&MakeCutCaptionChart, &MakeCutEndLabelsChart, &MakeLongCaptionChart,
                            &MakeTooLongCaptionChart}) {
        TQor3DChart chart;
        make(chart);
        ASSERT_FALSE(Fits(chart));
        const QImage image = Render(chart);
        const QRect ink = InkBox(image);
        const QRectF outline = OutlineBox(chart);
        EXPECT_TRUE(QRect(1, 1, W - 2, H - 2).contains(ink))
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        EXPECT_TRUE(QRectF(0, 0, W, H).contains(outline));
        EXPECT_TRUE(outline.adjusted(-1, -1, 1, 1).contains(QRectF(ink)));
        // The stored view stays as it was.
        EXPECT_EQ(chart.ViewMoveX(), 0);
        EXPECT_EQ(chart.ViewMoveY(), 0.1);
    }
}

TEST(ViewFit, OnlyAChartAtItsOwnZoomIsShrunkPastTheLeastZoom) {
    TQor3DChart chart;
    MakeLongCaptionChart(chart);
    SetDisplayedRanges(chart);
    const TQorViewFit own = FitChartView(chart, ComputeSceneFrame(chart), W, H);
    EXPECT_LT(own.Scale, QorFitLeastZoom);
    EXPECT_EQ(own.Labels, 1);
    TQor3DChart longer;
    MakeTooLongCaptionChart(longer);
    SetDisplayedRanges(longer);
    const TQorViewFit shrunk = FitChartView(longer, ComputeSceneFrame(longer), W, H);
    EXPECT_LT(shrunk.Labels, 1);
    EXPECT_GE(shrunk.Labels, QorFitLeastLabels);
    chart.SetViewScale(QorFitFullZoom);
    SetDisplayedRanges(chart);
    EXPECT_EQ(FitChartView(chart, ComputeSceneFrame(chart), W, H).Scale, QorFitLeastZoom);
}

// The GL projection and model-view after a paint are FittedViewMatrix's: the drawing control's
// alone for a chart that fits, with the fit for a cut one.
TEST(ViewFit, FittedViewMatrixIsWhatGLDrewWith) {
    for (const bool cut : {false, true}) {
        TQor3DChart chart;
        if (cut)
            MakeCutCaptionChart(chart);
        else
            MakeWaveSurface(chart, 21, false);
        chart.SetViewRotX(25);
        chart.SetRotZ(10);
        ASSERT_EQ(Fits(chart), !cut);
        const TQor3DViewMatrix plain = TQor3DViewMatrix::OfDraw(chart, W, H);
        const TQor3DViewMatrix fitted = FittedViewMatrix(chart, W, H);
        EXPECT_EQ(fitted.Projection() == plain.Projection(), !cut);
        TQorMatrix projection{};
        TQorMatrix modelView{};
        chart.OnAfterPaintGL = [&](TObject*, const TRect&) {
            GL().GetDoublev(GL_PROJECTION_MATRIX, projection.data());
            GL().GetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
        };
        Render(chart);
        for (size_t i = 0; i < 16; ++i) {
            EXPECT_NEAR(projection[i], fitted.Projection()[i], 1e-5) << i;
            EXPECT_NEAR(modelView[i], fitted.ModelView()[i], 1e-5) << i;
        }
    }
}

// The golden pictures' charts lie inside their views: the fit leaves them alone, so the scene
// issues the same GL calls as before and the pictures stay bit for bit.
TEST(ViewFit, ChartsThatFitAreLeftAlone) {
    for (const char* name :
         {"surface.p3d", "surface-props.p3d", "volume.p4d", "box.p4d", "layers.p4d"}) {
        TQor3DChart chart;
        ASSERT_EQ(LoadChartFile(chart, nullptr, std::string(PLOTYRA_EXAMPLES) + "/" + name, true),
                  0);
        EXPECT_TRUE(Fits(chart)) << name;
    }
    TQor3DChart wave;
    MakeWaveSurface(wave, 21, false);
    EXPECT_TRUE(Fits(wave));
}
