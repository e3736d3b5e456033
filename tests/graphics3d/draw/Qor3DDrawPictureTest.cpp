// Pictures rendered off-screen through OSMesa, checked with tolerance: where colours lie, not
// exact bytes.
#include "Qor3DDrawTestHost.h"
#include "draw/Qor3DDraw.h"
#include "gl/Qor3DOSMesa.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct TRegion {
    int Count = 0;
    double X = 0; // centroid, as a fraction of the width
    double Y = 0; // centroid, as a fraction of the height
};

TRegion Find(const QImage& image, const std::function<bool(int r, int g, int b)>& test) {
    TRegion region;
    double sx = 0;
    double sy = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (test(qRed(p), qGreen(p), qBlue(p))) {
                ++region.Count;
                sx += x;
                sy += y;
            }
        }
    if (region.Count > 0) {
        region.X = sx / region.Count / image.width();
        region.Y = sy / region.Count / image.height();
    }
    return region;
}

bool SphereRed(int r, int g, int b) {
    return r > 180 && g > 60 && g < 215 && b > 60 && b < 215 && r - g > 40 && std::abs(g - b) < 30;
}
bool AxisRed(int r, int g, int b) {
    return r > 170 && g < 90 && b < 90;
}
bool AxisGreen(int r, int g, int b) {
    return g > 170 && r < 90 && b < 90;
}
bool AxisBlue(int r, int g, int b) {
    return b > 170 && r < 90 && g < 90;
}
bool CubeGrey(int r, int g, int b) {
    return r > 110 && r < 245 && std::abs(r - g) < 6 && std::abs(g - b) < 6;
}

void ExpectDesignScene(const QImage& image) {
    ASSERT_FALSE(image.isNull());
    const int area = image.width() * image.height();
    const TRegion sphere = Find(image, SphereRed);
    EXPECT_GT(sphere.Count, area / 30);
    EXPECT_LT(sphere.Count, area / 4);
    // (0.5, 0.5, 0.5) lies to the right of and above the origin.
    EXPECT_GT(sphere.X, 0.55);
    EXPECT_LT(sphere.X, 0.8);
    EXPECT_GT(sphere.Y, 0.2);
    EXPECT_LT(sphere.Y, 0.5);

    const TRegion cube = Find(image, CubeGrey);
    EXPECT_GT(cube.Count, area / 4);
    const QRgb corner = image.pixel(2, 2);
    EXPECT_EQ(corner, qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(image.pixel(image.width() / 4, image.height() / 2)), 255);

    const TRegion x = Find(image, AxisRed);
    const TRegion y = Find(image, AxisGreen);
    const TRegion z = Find(image, AxisBlue);
    for (const TRegion* axis : {&x, &y, &z})
        EXPECT_GT(axis->Count, 20);
    // y stands up from the origin near the centre; x runs to the right, z to the lower right.
    EXPECT_NEAR(y.X, 0.5, 0.03);
    EXPECT_LT(y.Y, 0.45);
    EXPECT_GT(x.X, y.X);
    EXPECT_GT(z.X, x.X);
    EXPECT_GT(z.Y, y.Y + 0.1);
    EXPECT_GT(z.Y, x.Y);
}

class Qor3DDrawPicture : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(Qor3DDrawPicture, DesignSceneShowsSphereCubeAndAxes) {
    TQor3DDraw d;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        d.DrawDesignScene();
    };
    const auto [w, h] = GetParam();
    d.RenderToBitmap(w, h);
    EXPECT_EQ(d.LastPaintError(), "");
    EXPECT_EQ(d.ExportBitmap().size(), QSize(w, h));
    ExpectDesignScene(d.ExportBitmap());
    EXPECT_EQ(ActivationCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Qor3DDrawPicture,
                         ::testing::Values(std::pair{200, 150}, std::pair{1000, 700}));

TEST(Qor3DDrawPictures, BackgroundColourFillsAnEmptyScene) {
    TQor3DDraw d;
    d.SetBackgroundColor(RGBColor(0, 128, 255));
    d.RenderToBitmap(40, 30);
    EXPECT_EQ(d.LastPaintError(), "");
    EXPECT_EQ(d.ExportBitmap().pixel(20, 15), qRgb(0, 128, 255));
}

TEST(Qor3DDrawPictures, AWindowFailureStillGivesAPictureThroughTheBitmap) {
    TGLRecordingPlatform window;
    window.FailOnCall = "glFrustum";
    TFakeDrawHost host{window, 200, 150};
    TQor3DDraw d;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        d.DrawDesignScene();
    };
    d.SetHost(&host);
    d.WindowCreated();
    EXPECT_FALSE(d.IsBitmapMode());
    d.PaintMessage();
    EXPECT_TRUE(d.IsBitmapMode());
    EXPECT_EQ(host.Shown, 0);
    EXPECT_NE(d.LastPaintError(), "");
    d.PaintMessage();
    EXPECT_EQ(host.Shown, 1);
    EXPECT_EQ(d.LastPaintError(), "");
    ExpectDesignScene(host.LastShown);
    d.WindowDestroying();
}

TEST(Qor3DDrawPictures, DesignTimeDrawsTheSampleSceneThroughTheBitmap) {
    TGLRecordingPlatform window;
    TFakeDrawHost host{window, 200, 150};
    TQor3DDraw d;
    d.SetDesigning(true);
    d.SetHost(&host);
    d.WindowCreated();
    d.PaintMessage();
    EXPECT_EQ(window.LiveContexts(), 0);
    ASSERT_EQ(host.Shown, 1);
    ExpectDesignScene(host.LastShown);
    d.WindowDestroying();
}

TEST(Qor3DDrawPictures, AMissingLibraryIsAContextFailure) {
    auto missing = CreateOSMesaPlatform("libOSMesa-not-installed.so.8");
    TQor3DDraw d;
    d.SetBitmapPlatform(*missing);
    try {
        d.RenderToBitmap(20, 20);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(std::string(e.what()).find("libOSMesa-not-installed.so.8"), std::string::npos);
    }
    EXPECT_EQ(ActivationCount(), 0);

    TGLRecordingPlatform window;
    TFakeDrawHost host{window, 20, 20};
    d.SetUseSafeBitmapMode(true);
    d.SetHost(&host);
    d.WindowCreated();
    d.PaintMessage(); // swallowed: that paint shows no picture, and says why
    EXPECT_EQ(host.Shown, 0);
    EXPECT_NE(d.LastPaintError().find("libOSMesa-not-installed.so.8"), std::string::npos);
    d.WindowDestroying();
}

TEST(Qor3DDrawPictures, RepeatedExportsReleaseTheirContexts) {
    TQor3DDraw d;
    for (int i = 0; i < 50; ++i)
        d.RenderToBitmap(16 + i, 16);
    EXPECT_EQ(d.ExportBitmap().width(), 65);
    EXPECT_EQ(CurrentRC(), nullptr);
}

} // namespace
