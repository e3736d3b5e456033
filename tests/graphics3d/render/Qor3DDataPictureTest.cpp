// Pictures of the data painters through OSMesa: surfaces in both layouts, wire frame,
// transparency with shine, picture texture, the 4D kinds and a cross-section.
#include "Qor3DPictureSupport.h"
#include "Qor3DSceneSamples.h"
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartScene.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr int W = 320;
constexpr int H = 240;

// The suite name keeps these pictures under scripts/update-golden.sh.
class ChartPictureData : public ::testing::Test {
protected:
    static QImage Render(TQor3DChart& Chart) {
        QImage image;
        try {
            image = RenderChartImage(Chart, W, H);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "render failed: " << e.what();
        }
        return image;
    }
    // Pixels that differ between two pictures of the same chart, as a share of all.
    static double Changed(const QImage& A, const QImage& B) {
        return ComparePictures(A, B, 24).Fraction();
    }
};

TEST_F(ChartPictureData, SurfaceLayoutsLookTheSame) {
    for (const bool wired : {false, true}) {
        TQor3DChart full;
        TQor3DChart low;
        MakeWaveSurface(full, 31, false);
        MakeWaveSurface(low, 31, true);
        full.SetWired(wired);
        low.SetWired(wired);
        const QImage a = Render(full);
        EXPECT_GT(NonBackgroundPixels(a), 6000) << wired;
        EXPECT_TRUE(
            PicturesAlike(wired ? "data-layouts-wired" : "data-layouts", a, Render(low), 0.01, 48));
        EXPECT_TRUE(MatchesGolden(wired ? "data-surface3d-wired" : "data-surface3d", a));
    }
}

TEST_F(ChartPictureData, TransparencyFiveWithShine) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 31, true);
    chart.SetShiny(false);
    const QImage opaque = Render(chart);
    chart.SetTransparency(5);
    chart.SetShiny(true);
    const QImage image = Render(chart);
    EXPECT_GT(Changed(opaque, image), 0.05);
    EXPECT_TRUE(MatchesGolden("data-surface3d-transparency5-shiny", image));

    // Transparency 10 draws no coloured surface: without shine only axes and grids remain.
    chart.SetTransparency(10);
    chart.SetShiny(false);
    const QImage none = Render(chart);
    EXPECT_LT(NonBackgroundPixels(none), NonBackgroundPixels(opaque) / 2);
}

TEST_F(ChartPictureData, HighlightAddsNothingWithoutLights) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 21, true);
    chart.SetLightsON(false);
    chart.SetShiny(false);
    const QImage plain = Render(chart);
    chart.SetShiny(true);
    EXPECT_TRUE(PicturesAlike("data-highlight-unlit", plain, Render(chart), 0, 0));
}

TEST_F(ChartPictureData, PictureTexture) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 31, false);
    QImage picture(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, x < 150 ? qRgb(220, 40, 40) : qRgb(40, 60, 220));
    chart.SetColorBitmap(picture);
    chart.SetColorBitmapApply(true);
    const QImage image = Render(chart);
    EXPECT_EQ(chart.TextureSize(), 512);
    EXPECT_TRUE(MatchesGolden("data-surface3d-picture", image));
    // The cached texture gives the same picture again.
    EXPECT_TRUE(PicturesAlike("data-picture-cached", image, Render(chart), 0, 0));
}

TEST_F(ChartPictureData, VolumeStacksAndLift) {
    TQor3DChart chart;
    MakeVolume(chart, dk4D, 6);
    chart.SetDim4Direction(6);
    chart.SetDim4NthLayer(2);
    const QImage flat = Render(chart);
    EXPECT_TRUE(MatchesGolden("data-volume4d-all", flat));
    chart.SetDim4Direction(1);
    chart.SetDim4Height(0.3);
    chart.SetWired(true);
    const QImage lifted = Render(chart);
    EXPECT_GT(Changed(flat, lifted), 0.02);
    EXPECT_TRUE(MatchesGolden("data-volume4d-lifted-wired", lifted));
}

TEST_F(ChartPictureData, FaceSurfaceAndLayerList) {
    TQor3DChart surface;
    MakeVolume(surface, dk4DSurface, 6);
    surface.SetTransparency(3);
    EXPECT_TRUE(MatchesGolden("data-surface4d-translucent", Render(surface)));

    TQor3DChart layers;
    MakeLayerList(layers);
    layers.SetTransparency(5);
    layers.SetShiny(true);
    const QImage image = Render(layers);
    EXPECT_GT(NonBackgroundPixels(image), 15000);
    EXPECT_TRUE(MatchesGolden("data-layers-nx4d-transparency5-shiny", image));
}

TEST_F(ChartPictureData, CrossSectionCutsTheVolume) {
    TQor3DChart chart;
    MakeVolume(chart, dk4D, 6);
    chart.SetDim4Direction(6);
    const QImage whole = Render(chart);
    chart.SetDim4CrossSection(5);
    const QImage cut = Render(chart);
    EXPECT_GT(Changed(whole, cut), 0.02);
    EXPECT_LT(NonBackgroundPixels(cut), NonBackgroundPixels(whole));
    EXPECT_TRUE(MatchesGolden("data-volume4d-crosssection5", cut));

    // With AxisY.AutoMax off the settings have no effect.
    chart.AxisY().SetAutoMax(false);
    const QImage box = Render(chart);
    chart.SetDim4CrossSection(0);
    EXPECT_TRUE(PicturesAlike("data-crosssection-off", box, Render(chart), 0, 0));
}

} // namespace
