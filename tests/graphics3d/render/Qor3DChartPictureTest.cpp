// Pictures of whole charts rendered off-screen through OSMesa, compared with golden images.
#include "Qor3DPictureSupport.h"
#include "Qor3DSceneSamples.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"
#include "render/Qor3DChartScene.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr int W = 400;
constexpr int H = 300;

class ChartPicture : public ::testing::Test {
protected:
    QImage Render(TQor3DChart& Chart, int Width = W, int Height = H) {
        QImage image;
        try {
            image = RenderChartImage(Chart, Width, Height);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "render failed: " << e.what();
        }
        return image;
    }
};

TEST_F(ChartPicture, SurfaceWithAxesAndGrids) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    const QImage image = Render(chart);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(W, H));
    EXPECT_GT(NonBackgroundPixels(image), 1500);
    EXPECT_TRUE(MatchesGolden("surface3d", image));
}

TEST_F(ChartPicture, BothLayoutsLookTheSame) {
    TQor3DChart full;
    TQor3DChart low;
    MakeWaveSurface(full, 41, false);
    MakeWaveSurface(low, 41, true);
    ASSERT_TRUE(low.LowMemoryLayout());
    EXPECT_TRUE(PicturesAlike("surface3d-layouts", Render(full), Render(low), 0.02, 64));
}

TEST_F(ChartPicture, WireFrame) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 21, false);
    chart.SetWired(true);
    EXPECT_TRUE(MatchesGolden("surface3d-wired", Render(chart)));
}

TEST_F(ChartPicture, TransparencyFiveWithShine) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    chart.SetTransparency(5);
    chart.SetShiny(true);
    EXPECT_TRUE(MatchesGolden("surface3d-transparency5-shiny", Render(chart)));
}

TEST_F(ChartPicture, PictureTexture) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y,
                             ((x / 8 + y / 8) % 2) != 0 ? qRgb(200, 30, 30) : qRgb(240, 240, 80));
    chart.SetColorBitmap(picture);
    chart.SetColorBitmapApply(true);
    EXPECT_TRUE(MatchesGolden("surface3d-picture", Render(chart)));
}

TEST_F(ChartPicture, LogarithmicYAxis) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    chart.BeginUpdate();
    chart.AxisY().SetAutoMin(false);
    chart.AxisY().SetAutoMax(false);
    chart.AxisY().SetMinimum(0.1);
    chart.AxisY().SetMaximum(1000);
    chart.AxisY().SetLogarithmic(true);
    chart.gridMinor().SetGridYZmax(true);
    chart.EndUpdate();
    const QImage image = Render(chart);
    EXPECT_GT(NonBackgroundPixels(image), 1500);
    EXPECT_TRUE(MatchesGolden("surface3d-logy", image));
}

TEST_F(ChartPicture, EachFourDimensionalKind) {
    for (TQorDataKind kind : {dk4D, dk4DSurface}) {
        TQor3DChart chart;
        MakeVolume(chart, kind, 8);
        EXPECT_TRUE(MatchesGolden(kind == dk4D ? "volume4d" : "surface4d", Render(chart)));
    }
    TQor3DChart layers;
    MakeLayerList(layers);
    EXPECT_TRUE(MatchesGolden("layers-nx4d", Render(layers)));
}

TEST_F(ChartPicture, CrossSection) {
    TQor3DChart chart;
    MakeVolume(chart, dk4D, 8);
    chart.SetDim4CrossSection(1);
    ASSERT_TRUE(chart.AxisY().AutoMax());
    EXPECT_TRUE(MatchesGolden("volume4d-crosssection", Render(chart)));
}

TEST_F(ChartPicture, DegenerateAxisLeavesOnlyTheBackground) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 11, false);
    chart.AxisX().SetAutoMin(false);
    chart.AxisX().SetAutoMax(false);
    chart.AxisX().SetMinimum(3);
    chart.AxisX().SetMaximum(3);
    EXPECT_EQ(NonBackgroundPixels(Render(chart)), 0);
}

TEST_F(ChartPicture, SwappedRangeGivesTheSamePicture) {
    TQor3DChart a;
    TQor3DChart b;
    MakeWaveSurface(a, 21, false);
    MakeWaveSurface(b, 21, false);
    for (TQor3DChart* c : {&a, &b}) {
        c->AxisX().SetAutoMin(false);
        c->AxisX().SetAutoMax(false);
    }
    a.AxisX().SetMinimum(0);
    a.AxisX().SetMaximum(10);
    b.AxisX().SetMinimum(10);
    b.AxisX().SetMaximum(0);
    EXPECT_TRUE(PicturesAlike("swapped-range", Render(a), Render(b), 0, 0));
}

TEST_F(ChartPicture, GridPlanesShowAndHide) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 11, false);
    const QImage with = Render(chart);
    TQorGrid3DProp none;
    for (int i = 0; i < 2; ++i) {
        none.SetGridXYmin(false);
        none.SetGridXZmax(false);
        none.SetGridYXmax(false);
        none.SetGridYZmax(false);
        none.SetGridZXmax(false);
        none.SetGridZYmin(false);
    }
    chart.SetgridMajor(none);
    const QImage without = Render(chart);
    EXPECT_GT(NonBackgroundPixels(with), NonBackgroundPixels(without) + 300);
}

TEST_F(ChartPicture, ExampleFilesWithTheirProperties) {
    for (const char* name :
         {"surface.p3d", "surface-props.p3d", "volume.p4d", "box.p4d", "layers.p4d"}) {
        SCOPED_TRACE(name);
        TQor3DChart chart;
        ASSERT_EQ(LoadChartFile(chart, nullptr, std::string(PLOTYRA_EXAMPLES) + "/" + name, true),
                  0);
        std::string golden = std::string("example-") + name;
        golden = golden.substr(0, golden.rfind('.'));
        EXPECT_TRUE(MatchesGolden(golden, Render(chart)));
    }
}

TEST_F(ChartPicture, ExampleSurfaceInBothLayouts) {
    TQor3DChart full;
    TQor3DChart low;
    low.SetUseLowMemory(true);
    const std::string file = std::string(PLOTYRA_EXAMPLES) + "/surface.p3d";
    ASSERT_EQ(LoadChartFile(full, nullptr, file, true), 0);
    ASSERT_EQ(LoadChartFile(low, nullptr, file, true), 0);
    ASSERT_TRUE(low.LowMemoryLayout());
    EXPECT_TRUE(PicturesAlike("example-surface-layouts", Render(full), Render(low), 0.02, 64));
}

} // namespace
