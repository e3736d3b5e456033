// Reading values off a chart: by data coordinates (plotyra-cli probe) and under a pixel (the
// viewer's readout), at views all round, with holes and logarithmic axes.
#include "render/Qor3DChartProbe.h"
#include "Qor3DChartTestSupport.h"
#include "Qor3DSceneSamples.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct TTurn {
    double ViewRotY, ViewRotX, RotZ;
    bool Perspective;
    double Scale, MoveX;
};

void Turn(TQor3DChart& Chart, const TTurn& T) {
    Chart.SetViewRotY(T.ViewRotY);
    Chart.SetViewRotX(T.ViewRotX);
    Chart.SetRotZ(T.RotZ);
    Chart.SetPerspectiveON(T.Perspective);
    Chart.SetViewScale(T.Scale);
    Chart.SetViewMoveX(T.MoveX);
}

constexpr TTurn Turns[] = {{0, 35, 0, true, 1, 0},
                           {-100, 40, 0, true, 1.3, 0.1},
                           {250, 60, 0, false, 0.8, -0.1},
                           {130, 25, 10, true, 2, 0.05},
                           {-300, 80, 0, false, 1, 0}};

// A gentle surface on a log X axis, 24 × 16 points, one hole; captions on X and Y only.
void MakeSurface(TQor3DChart& Chart) {
    Fill3D(
        Chart, 24, 16, [](int i) { return std::pow(10.0, 0.1 * i); }, [](int k) { return 2.0 * k; },
        [](double x, double z) { return 0.1 * std::log10(x) + 0.01 * z; });
    Chart.Data()[3 * (5 + 24 * 7) + 1] = NAN;
    Chart.BeginUpdate();
    Chart.AxisX().SetLogarithmic(true);
    Chart.AxisX().SetCaption("f [Hz]");
    Chart.AxisY().SetCaption("level");
    Chart.UpdateRanges();
    Chart.EndUpdate();
}

TEST(Qor3DChartProbe, SurfaceByDataAndByPixelAtEveryTurn) {
    TQor3DChart chart;
    MakeSurface(chart);
    const TQorProbeResult r = QorProbe::AtData(chart, 2.1, 99, 13.1);
    ASSERT_TRUE(r.Found);
    EXPECT_NEAR(r.X, std::pow(10.0, 0.3), 1e-5); // i = 3: data units, not the logarithm
    EXPECT_NEAR(r.Z, 14, 1e-6);
    EXPECT_NEAR(r.Y, 0.1 * 0.3 + 0.14, 1e-6);
    EXPECT_EQ(QorProbe::ReadoutText(chart, r), "f [Hz] = 1.995262   Z = 14   level = 0.17");
    EXPECT_FALSE(QorProbe::AtData(chart, 0.5, 0, 4).Found);                  // left of X
    EXPECT_FALSE(QorProbe::AtData(chart, 1, 0, 31).Found);                   // beyond Z
    EXPECT_FALSE(QorProbe::AtData(chart, std::pow(10.0, 0.5), 0, 14).Found); // the hole

    constexpr int w = 400;
    constexpr int h = 300;
    for (const TTurn& t : Turns) {
        Turn(chart, t);
        const TQor3DViewMatrix view = QorProbe::ChartView(chart, w, h);
        for (const auto& [i, k] : {std::pair{3, 7}, {12, 2}, {20, 13}, {9, 9}}) {
            const size_t p = size_t(i + 24 * k);
            const float* q = chart.Data().data() + 3 * p;
            const TQorScreenPoint s = view.Project({q[0], q[1], q[2]});
            const TQorProbeResult hit = QorProbe::AtPixel(chart, w, h, s.X, s.Y);
            ASSERT_TRUE(hit.Found) << t.ViewRotY << " " << i << "," << k;
            EXPECT_NEAR(std::log10(hit.X), 0.1 * i, 1e-5) << t.ViewRotY << " " << i << "," << k;
            EXPECT_NEAR(hit.Z, 2.0 * k, 1e-5) << t.ViewRotY << " " << i << "," << k;
        }
        // The hole's own cells are not drawn: its pixel shows what lies behind, or nothing.
        const float* hole = chart.Data().data() + 3 * (5 + 24 * 7);
        const TQorScreenPoint s = view.Project({hole[0], 0.1 * 0.5 + 0.07, hole[2]});
        const TQorProbeResult behind = QorProbe::AtPixel(chart, w, h, s.X, s.Y);
        EXPECT_FALSE(behind.Found && std::fabs(behind.Z - 14) < 1e-6 &&
                     std::fabs(std::log10(behind.X) - 0.5) < 1e-6);
    }
    chart.SetViewScale(0.3); // the chart no longer fills the corner
    EXPECT_FALSE(QorProbe::AtPixel(chart, w, h, 1, 1).Found);
}

TEST(Qor3DChartProbe, VolumeCellsOnALogAxisAndTheDrawnLayers) {
    TQor3DChart chart;
    chart.SetUseLowMemory(false);
    Fill4D(
        chart, 5, 4, 6, [](int i) { return i; }, [](int j) { return std::pow(10.0, j); },
        [](int k) { return 0.5 * k; },
        [](int i, int j, int k) { return float(100 * i + 10 * j + k); });
    chart.BeginUpdate();
    chart.AxisY().SetLogarithmic(true);
    chart.AxisY().SetCaption("depth");
    chart.SetDim4Caption("T");
    chart.SetDim4Direction(1); // layers across Y
    chart.UpdateRanges();
    chart.EndUpdate();

    const TQorProbeResult r = QorProbe::AtData(chart, 2.2, 90, 1.1);
    ASSERT_TRUE(r.Found);
    EXPECT_DOUBLE_EQ(r.Value, 222);
    EXPECT_NEAR(r.Y, 100, 1e-3);
    EXPECT_EQ(QorProbe::ReadoutText(chart, r), "X = 2   depth = 100   Z = 1   T = 222");
    EXPECT_FALSE(QorProbe::AtData(chart, 2, 5000, 1).Found);

    // From above, the top layer (j = 3) is the first drawn one the ray meets. One picker serves
    // every pick, as the viewer's does: what it keeps must follow the 4th value's settings.
    TQorChartPicker picker;
    constexpr int w = 300;
    constexpr int h = 300;
    for (const TTurn& t : Turns) {
        Turn(chart, t);
        const TQor3DViewMatrix view = QorProbe::ChartView(chart, w, h);
        const TQorScreenPoint s = view.Project({3, 3, 1.5});
        const TQorProbeResult hit = picker.AtPixel(chart, w, h, s.X, s.Y);
        ASSERT_TRUE(hit.Found) << t.ViewRotY;
        EXPECT_DOUBLE_EQ(hit.Value, 333) << t.ViewRotY;
        EXPECT_NEAR(hit.Y, 1000, 1e-2);
    }
    // The cross-section plane halfway up cuts the upper layers away: the ray goes on below.
    chart.SetDim4CrossSectionOffset(-0.5);
    const TQorScreenPoint cut = QorProbe::ChartView(chart, w, h).Project({3, 3, 1.5});
    const TQorProbeResult below = picker.AtPixel(chart, w, h, cut.X, cut.Y);
    ASSERT_TRUE(below.Found);
    EXPECT_LT(below.Y, 11);
    chart.SetDim4CrossSectionOffset(0);
    // Only the second layer drawn: the ray goes through the top one's place to it.
    chart.SetDim4FirstLayer(2);
    chart.SetDim4NthLayer(10);
    Turn(chart, Turns[1]);
    const TQorScreenPoint s = QorProbe::ChartView(chart, w, h).Project({3, 1, 1.5});
    EXPECT_DOUBLE_EQ(picker.AtPixel(chart, w, h, s.X, s.Y).Value, 313);
}

TEST(Qor3DChartProbe, LayerListAndBoxFaces) {
    TQor3DChart list;
    MakeLayerList(list);
    const TQorProbeResult r = QorProbe::AtData(list, 4, 2.1, 6);
    ASSERT_TRUE(r.Found);
    EXPECT_DOUBLE_EQ(r.Value, 4 + 6 + 5);
    Turn(list, Turns[0]);
    const TQorScreenPoint s = QorProbe::ChartView(list, 200, 200)
                                  .Project({4, list.Data()[4 * (2 * 144 + 4 + 12 * 6) + 1], 6});
    EXPECT_DOUBLE_EQ(QorProbe::AtPixel(list, 200, 200, s.X, s.Y).Value, 4 + 6 + 10);

    TQor3DChart box;
    MakeVolume(box, dk4DSurface, 5);
    const TQorProbeResult face = QorProbe::AtData(box, 4, 2, 2);
    ASSERT_TRUE(face.Found);
    EXPECT_DOUBLE_EQ(face.X, 4);
    Turn(box, Turns[2]);
    const TQorScreenPoint top = QorProbe::ChartView(box, 200, 200).Project({2, 4, 2});
    const TQorProbeResult hit = QorProbe::AtPixel(box, 200, 200, top.X, top.Y);
    ASSERT_TRUE(hit.Found);
    EXPECT_EQ(hit.Y, 4);
}

// The chart's own scaling and centring as the scene sets them, read back inside a paint.
TEST(Qor3DChartProbePicture, ChartViewIsTheSceneMatrix) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 20, false);
    Turn(chart, Turns[1]);
    TQorMatrix4 modelView{};
    TQorMatrix4 projection{};
    chart.OnInChartPaintGL = [&](TObject*, const TRect&) {
        GL().GetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
        GL().GetDoublev(GL_PROJECTION_MATRIX, projection.data());
    };
    chart.RenderToBitmap(320, 200);
    ASSERT_EQ(chart.LastPaintError(), "");
    const TQor3DViewMatrix view = QorProbe::ChartView(chart, 320, 200);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(view.ModelView()[i], modelView[i], 1e-5) << i;
        EXPECT_NEAR(view.Projection()[i], projection[i], 1e-5) << i;
    }
}

} // namespace
