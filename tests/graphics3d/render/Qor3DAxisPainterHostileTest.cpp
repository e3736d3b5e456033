// Axis settings a careless or hostile property file may carry: each draws in bounded time and
// memory, with the stored value kept as it was.
#include "render/Qor3DAxisPainter.h"

#include "HostileInputSupport.h"
#include "Qor3DSceneSamples.h"
#include "QorScale.h"
#include "chart/Qor3DChart.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

// NumSubSteps of a million drew a million minor ticks per step (and as many grid lines); an
// axis shows about two per pixel, normal counts keep exactly the ticks they had.
TEST_F(HostileInput, MinorTicksAreThinnedToWhatTheAxisLengthShows) {
    TQorChartAxis3D a;
    a.SetMinimum(0);
    a.SetMaximum(10);
    a.SetAutoSubSteps(false);
    const double scale = 1.0 / 10; // one world unit: 500 pixels
    const double pixels = 10 * scale / QorAxisPixelSize;
    for (const int count : {1000000, 2147483647}) {
        a.SetNumSubSteps(count);
        LayoutAxis(a, QorAxisPixelSize, scale);
        EXPECT_EQ(a.NumSubSteps(), count);
        EXPECT_LE(double(a.Layout.SubTickValues.size()), 2 * pixels);
        EXPECT_GE(double(a.Layout.SubTickValues.size()), pixels) << "still as dense as shown";
    }
    for (const int count : {0, 1, 4, 9, 49}) {
        a.SetNumSubSteps(count);
        LayoutAxis(a, QorAxisPixelSize, scale);
        const TQorScaleTicks unlimited =
            CalcAutoScale({.Min = 0,
                           .Max = 10,
                           .Length = 10 * scale,
                           .LabelSize = a.Layout.LabelHeight * QorAxisPixelSize,
                           .NumSubSteps = count,
                           .DecPlaces = a.DecPlaces(),
                           .DecPlacesEndPlus = a.DecPlacesEndPlus(),
                           .DecPlacesMax = a.DecPlacesMax(),
                           .DecPlacesEqual = a.DecPlacesEqual()});
        EXPECT_EQ(a.Layout.SubTickValues, unlimited.SubValues) << count;
    }
}

// A label font of 12,000 points took about 3 GB: every label was pictured at up to 16384 x
// 16384 texels. The label still covers its full size, from a picture of bounded size.
TEST_F(HostileInput, LabelsOfAHugeFontDrawFromBoundedTextures) {
    TGLRecordingPlatform rec;
    TQor3DChart chart;
    MakeWaveSurface(chart, 5, false);
    chart.AxisX().SetFont(TFont("Arial", 12000));
    const std::vector<TGLCall> log = RecordChartPaint(chart, rec);
    const int quadH = std::min(chart.AxisX().Layout.LabelHeight, 16384);
    ASSERT_GT(quadH, 8000);
    double halfHeight = 0;
    long uploads = 0;
    for (long i = FindCall(log, "glTexImage2D"); i >= 0;
         i = FindCall(log, "glTexImage2D", {}, i + 1), ++uploads) {
        // At most 64 MB in the GL's own copy.
        EXPECT_LE(log[size_t(i)].Args[3] * log[size_t(i)].Args[4], double(1 << 24));
        const long quad = FindCall(log, "glBegin", {GL_QUADS}, i);
        for (long v = FindCall(log, "glVertex2d", {}, quad); v >= 0 && v < quad + 9;
             v = FindCall(log, "glVertex2d", {}, v + 1))
            halfHeight = std::max(halfHeight, std::fabs(log[size_t(v)].Args[0]));
    }
    EXPECT_GT(uploads, 3);
    EXPECT_DOUBLE_EQ(halfHeight, quadH / 2.0);

    // The coarser picture still shows the text; normal sizes keep one texel per pixel.
    const TQorTextTexture texture = TextTextureFor(16384, quadH);
    EXPECT_LE(int64_t(texture.W) * texture.H, QorMaxTextTexels);
    EXPECT_NEAR(double(texture.W) / texture.H, 16384.0 / quadH, 0.01);
    QImage bitmap;
    TFont font("Arial", 12000);
    font.SetColor(clBlack);
    RenderTextTexture(bitmap, font, clWhite, "8", texture);
    ASSERT_EQ(bitmap.size(), QSize(texture.W, texture.H));
    long dark = 0;
    for (int y = 0; y < bitmap.height(); y += 4)
        for (int x = 0; x < bitmap.width(); x += 4)
            dark += qGray(bitmap.pixel(x, y)) < 64;
    EXPECT_GT(dark, long(texture.W / 4) * (texture.H / 4) / 20);
    const TQorTextTexture normal = TextTextureFor(30, 17);
    EXPECT_EQ((std::array<int, 4>{normal.W, normal.H, normal.PotW, normal.PotH}),
              (std::array<int, 4>{30, 17, 32, 32}));
}

} // namespace
