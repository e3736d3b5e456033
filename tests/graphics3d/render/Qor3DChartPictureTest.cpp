// Pictures of whole charts rendered off-screen through OSMesa, compared with the golden images:
// the 3D surface in both layouts, wire frame, transparency with shine, picture texture, a
// logarithmic axis, the 4D kinds with stacks, lift and cross-sections, and the example files.
#include "Qor3DPictureSupport.h"
#include "Qor3DSceneSamples.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"
#include "render/Qor3DChartScene.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

constexpr int W = 400;
constexpr int H = 300;

// The suite name keeps these pictures under scripts/update-golden.sh.
class ChartPicture : public ::testing::Test {
protected:
    static QImage Render(TQor3DChart& Chart) {
        QImage image;
        try {
            image = RenderChartImage(Chart, W, H);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "render failed: " << e.what();
        }
        EXPECT_EQ(Chart.LastPaintError(), "") << "the picture was not drawn whole";
        return image;
    }
    // Pixels that differ between two pictures of the same chart, as a share of all.
    static double Changed(const QImage& A, const QImage& B) {
        return ComparePictures(A, B, 24).Fraction();
    }
};

TEST_F(ChartPicture, SurfaceWithAxesAndGridsInBothLayouts) {
    for (const bool wired : {false, true}) {
        SCOPED_TRACE(wired ? "wired" : "solid");
        TQor3DChart full;
        TQor3DChart low;
        MakeWaveSurface(full, wired ? 21 : 41, false);
        MakeWaveSurface(low, wired ? 21 : 41, true);
        ASSERT_TRUE(low.LowMemoryLayout());
        full.SetWired(wired);
        low.SetWired(wired);
        const QImage image = Render(full);
        EXPECT_GT(NonBackgroundPixels(image), 6000);
        EXPECT_TRUE(MatchesGolden(wired ? "surface3d-wired" : "surface3d", image));
        EXPECT_TRUE(PicturesAlike(wired ? "surface3d-layouts-wired" : "surface3d-layouts", image,
                                  Render(low), QorLayoutTolerance));
    }
}

TEST_F(ChartPicture, TransparencyFiveWithShine) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    chart.SetShiny(false);
    const QImage opaque = Render(chart);
    chart.SetTransparency(5);
    chart.SetShiny(true);
    const QImage image = Render(chart);
    EXPECT_GT(Changed(opaque, image), 0.05);
    EXPECT_TRUE(MatchesGolden("surface3d-transparency5-shiny", image));

    // Transparency 10 draws no coloured surface: without shine only axes and grids remain.
    chart.SetTransparency(10);
    chart.SetShiny(false);
    EXPECT_LT(NonBackgroundPixels(Render(chart)), NonBackgroundPixels(opaque) / 2);
}

TEST_F(ChartPicture, HighlightAddsNothingWithoutLights) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 21, true);
    chart.SetLightsON(false);
    chart.SetShiny(false);
    const QImage plain = Render(chart);
    chart.SetShiny(true);
    EXPECT_TRUE(PicturesAlike("highlight-unlit", plain, Render(chart), QorExactPicture));
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
    const QImage image = Render(chart);
    // Each side rounded up to a power of two.
    ASSERT_TRUE(chart.PictureTexture());
    EXPECT_EQ(chart.PictureTexture()->Width, 64);
    EXPECT_EQ(chart.PictureTexture()->Height, 64);
    EXPECT_TRUE(MatchesGolden("surface3d-picture", image));
    // The cached texture gives the same picture again.
    EXPECT_TRUE(PicturesAlike("picture-cached", image, Render(chart), QorExactPicture));
}

TEST_F(ChartPicture, LogarithmicYAxis) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    chart.BeginUpdate();
    SetFixedRange(chart.AxisY(), 0.1, 1000);
    chart.AxisY().SetLogarithmic(true);
    chart.gridMinor().SetGridYZmax(true);
    chart.EndUpdate();
    const QImage image = Render(chart);
    EXPECT_GT(NonBackgroundPixels(image), 1500);
    EXPECT_TRUE(MatchesGolden("surface3d-logy", image));
}

TEST_F(ChartPicture, FourDimensionalKinds) {
    TQor3DChart volume;
    MakeVolume(volume, dk4D, 8);
    EXPECT_TRUE(MatchesGolden("volume4d", Render(volume)));

    TQor3DChart surface;
    MakeVolume(surface, dk4DSurface, 8);
    EXPECT_TRUE(MatchesGolden("surface4d", Render(surface)));
    surface.SetTransparency(3);
    EXPECT_TRUE(MatchesGolden("surface4d-translucent", Render(surface)));

    TQor3DChart layers;
    MakeLayerList(layers);
    EXPECT_TRUE(MatchesGolden("layers-nx4d", Render(layers)));
    layers.SetTransparency(5);
    layers.SetShiny(true);
    const QImage image = Render(layers);
    EXPECT_GT(NonBackgroundPixels(image), 15000);
    EXPECT_TRUE(MatchesGolden("layers-nx4d-transparency5-shiny", image));
}

TEST_F(ChartPicture, VolumeStacksAndLift) {
    TQor3DChart chart;
    MakeVolume(chart, dk4D, 6);
    chart.SetDim4Direction(6);
    chart.SetDim4NthLayer(2);
    const QImage flat = Render(chart);
    EXPECT_TRUE(MatchesGolden("volume4d-all", flat));
    chart.SetDim4Direction(1);
    chart.SetDim4Height(0.3);
    chart.SetWired(true);
    const QImage lifted = Render(chart);
    EXPECT_GT(Changed(flat, lifted), 0.02);
    EXPECT_TRUE(MatchesGolden("volume4d-lifted-wired", lifted));
}

TEST_F(ChartPicture, CrossSectionsCutTheVolume) {
    TQor3DChart chart;
    MakeVolume(chart, dk4D, 8);
    ASSERT_TRUE(chart.AxisY().AutoMax());
    chart.SetDim4CrossSection(1);
    EXPECT_TRUE(MatchesGolden("volume4d-crosssection", Render(chart)));

    chart.SetDim4CrossSection(0);
    chart.SetDim4Direction(6);
    const QImage whole = Render(chart);
    chart.SetDim4CrossSection(5);
    const QImage cut = Render(chart);
    EXPECT_GT(Changed(whole, cut), 0.02);
    EXPECT_LT(NonBackgroundPixels(cut), NonBackgroundPixels(whole));
    EXPECT_TRUE(MatchesGolden("volume4d-crosssection5", cut));

    // With AxisY.AutoMax off the settings have no effect.
    chart.AxisY().SetAutoMax(false);
    const QImage box = Render(chart);
    chart.SetDim4CrossSection(0);
    EXPECT_TRUE(PicturesAlike("crosssection-off", box, Render(chart), QorExactPicture));
}

TEST_F(ChartPicture, DegenerateAxisLeavesOnlyTheBackground) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 11, false);
    SetFixedRange(chart.AxisX(), 3, 3);
    EXPECT_EQ(NonBackgroundPixels(Render(chart)), 0);
}

TEST_F(ChartPicture, SwappedRangeGivesTheSamePicture) {
    TQor3DChart a;
    TQor3DChart b;
    MakeWaveSurface(a, 21, false);
    MakeWaveSurface(b, 21, false);
    SetFixedRange(a.AxisX(), 0, 10);
    SetFixedRange(b.AxisX(), 10, 0);
    EXPECT_TRUE(PicturesAlike("swapped-range", Render(a), Render(b), QorExactPicture));
}

TEST_F(ChartPicture, GridPlanesShowAndHide) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 11, false);
    const QImage with = Render(chart);
    HideGridPlanes(chart);
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
    EXPECT_TRUE(
        PicturesAlike("example-surface-layouts", Render(full), Render(low), QorLayoutTolerance));
}

// The golden comparison must see a colour change that keeps every shape in place: the palette
// shifted by four of its 256 entries (about 20 levels per channel on the surface) fails it,
// though a rule that only counted pixels off by more than 48 would let it pass.
TEST_F(ChartPicture, ShiftedPaletteFailsTheGoldenComparison) {
    if (UpdatingGoldenPictures())
        GTEST_SKIP() << "the golden images are being rewritten";
    TQor3DChart chart;
    MakeWaveSurface(chart, 41, false);
    TQorPalette shifted = chart.Palette();
    for (size_t i = 0; i < shifted.size(); ++i)
        shifted[i] = chart.Palette()[std::min<size_t>(i + 4, shifted.size() - 1)];
    chart.SetPaletteTable(shifted);
    const QImage golden = GoldenPicture("surface3d");
    ASSERT_FALSE(golden.isNull());
    const QImage image = Render(chart);
    EXPECT_FALSE(WithinTolerance(golden, image, TPictureTolerance{}));
    EXPECT_TRUE(WithinTolerance(golden, image, TPictureTolerance{48, 0.004}));
}

} // namespace
