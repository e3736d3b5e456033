#include "render/Qor3DAxisPainter.h"

#include "Qor3DSceneSamples.h"
#include "chart/Qor3DChart.h"

#include "TestSupport.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

std::array<double, 3> Apply(const TQorMatrix& m, double x, double y, double z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

void ExpectPoint(const std::array<double, 3>& p, double x, double y, double z) {
    EXPECT_NEAR(p[0], x, 1e-12);
    EXPECT_NEAR(p[1], y, 1e-12);
    EXPECT_NEAR(p[2], z, 1e-12);
}

TEST(LayoutAxis, TextMetricsComeFromTheFonts) {
    TQorChartAxis3D a;
    TFont label("Arial", 10);
    a.SetFont(label);
    LayoutAxis(a, QorAxisPixelSize, 1.0 / 100);
    EXPECT_EQ(a.Layout.LabelHeight, 15 + 2);
    EXPECT_EQ(a.Layout.DashWidth, 4);
    EXPECT_EQ(a.Layout.DashWidthHalf, 2);
    // The caption font is larger and bold: a taller cell.
    EXPECT_GT(a.Layout.CaptionHeight, a.Layout.LabelHeight);
}

TEST(LayoutAxis, RangeTicksAndCaptionPosition) {
    TQorChartAxis3D a;
    SetFixedRange(a, 100, 0);
    const double scale = 1.0 / 100;
    LayoutAxis(a, QorAxisPixelSize, scale);
    ASSERT_GE(a.Layout.TickValues.size(), 2u);
    EXPECT_EQ(a.Layout.TickValues.size(), a.Layout.TickLabels.size());
    EXPECT_DOUBLE_EQ(a.Layout.DisplayMin, a.Layout.TickValues.front());
    EXPECT_DOUBLE_EQ(a.Layout.DisplayMax, a.Layout.TickValues.back());
    EXPECT_DOUBLE_EQ(a.Layout.DisplayMin, 0);
    EXPECT_DOUBLE_EQ(a.Layout.DisplayMax, 100);
    EXPECT_EQ(a.Layout.TickLabels.front(), "0");
    EXPECT_EQ(a.Layout.TickLabels.back(), "100");
    EXPECT_DOUBLE_EQ(a.Layout.CaptionPos,
                     100 + 1.5 * a.Layout.CaptionHeight * QorAxisPixelSize / scale);
}

TEST(LayoutAxis, EqualEndsGiveAUnitRange) {
    TQorChartAxis3D a;
    SetFixedRange(a, 5, 5);
    LayoutAxis(a, QorAxisPixelSize, 1);
    EXPECT_DOUBLE_EQ(a.Layout.DisplayMin, 5);
    EXPECT_DOUBLE_EQ(a.Layout.DisplayMax, 6);
}

TEST(LayoutAxis, LogarithmicTicksAndMinorTicksSitAtLogarithms) {
    TQorChartAxis3D a;
    SetFixedRange(a, 1, 1000);
    a.SetLogarithmic(true);
    a.SetAutoSubSteps(true);
    LayoutAxis(a, QorAxisPixelSize, 1.0 / 3);
    EXPECT_TRUE(NearVector(a.Layout.TickValues, {0, 1, 2, 3}));
    std::vector<double> minor;
    for (double decade : {1.0, 10.0, 100.0})
        for (int m = 2; m <= 9; ++m)
            minor.push_back(std::log10(decade * m));
    EXPECT_TRUE(NearVector(a.Layout.SubTickValues, minor, 1e-9));
    EXPECT_EQ(a.Layout.TickLabels.back(), "1000");
}

TEST(LayoutAxis, HiddenEndLabelsAreEmpty) {
    TQorChartAxis3D a;
    a.SetVisibleMin(false);
    LayoutAxis(a, QorAxisPixelSize, 1.0 / 100);
    EXPECT_EQ(a.Layout.TickLabels.front(), "");
    EXPECT_NE(a.Layout.TickLabels.back(), "");
}

TEST(TextQuad, PowersOfTwo) {
    EXPECT_EQ(NextPowerOfTwo(0), 1);
    EXPECT_EQ(NextPowerOfTwo(1), 1);
    EXPECT_EQ(NextPowerOfTwo(17), 32);
    EXPECT_EQ(NextPowerOfTwo(32), 32);
    EXPECT_EQ(NextPowerOfTwo(16385), 32768);
}

// A 30 x 17 text in a 32 x 32 texture, placed either side of the axis; a flipped one turns the
// picture in the same rectangle.
TEST(TextQuad, CornersLeftAndRightOfTheAxisAndFlipped) {
    const TQorTextTexture texture{30, 17, 30, 17, 32, 32};
    const auto left = TextQuadCorners(texture, 4, taLeftJustify, false);
    EXPECT_DOUBLE_EQ(left[0].X, 8.5);
    EXPECT_DOUBLE_EQ(left[0].Y, -8 - 30);
    EXPECT_DOUBLE_EQ(left[1].Y, -8);
    EXPECT_DOUBLE_EQ(left[2].X, -8.5);
    EXPECT_DOUBLE_EQ(left[3].Y, -38);
    const auto right = TextQuadCorners(texture, 4, taRightJustify, false);
    EXPECT_DOUBLE_EQ(right[0].Y, 8);
    EXPECT_DOUBLE_EQ(right[1].Y, 38);
    // Texture: s across the text from its left, t down from its top.
    EXPECT_DOUBLE_EQ(right[0].S, 1.0 / 30);
    EXPECT_DOUBLE_EQ(right[0].T, 1.0 / 17);
    EXPECT_DOUBLE_EQ(right[1].S, 29.0 / 32);
    EXPECT_DOUBLE_EQ(right[1].T, 1.0 / 17);
    EXPECT_DOUBLE_EQ(right[2].S, 29.0 / 32);
    EXPECT_DOUBLE_EQ(right[2].T, 16.0 / 32);
    EXPECT_DOUBLE_EQ(right[3].S, 1.0 / 30);
    EXPECT_DOUBLE_EQ(right[3].T, 16.0 / 32);
    const auto flipped = TextQuadCorners(texture, 4, taRightJustify, true);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(flipped[i].X, right[i].X);
        EXPECT_DOUBLE_EQ(flipped[i].Y, right[i].Y);
        EXPECT_DOUBLE_EQ(flipped[i].S, right[(i + 2) % 4].S);
        EXPECT_DOUBLE_EQ(flipped[i].T, right[(i + 2) % 4].T);
    }
}

TEST(TextQuad, TextureRowsTopFirstInBlueGreenRed) {
    QImage bitmap;
    TFont font("Arial", 10);
    font.SetColor(clBlack);
    const TColor back = RGBColor(10, 20, 30);
    const int texW = TextTextureWidth(font, "42", 16384);
    const TQorTextTexture texture = TextTextureFor(texW, 17);
    const std::vector<uint8_t> buf = RenderTextTexture(bitmap, font, back, "42", texture);
    const int potW = NextPowerOfTwo(texW);
    ASSERT_EQ(texture.PotW, potW);
    ASSERT_EQ(texture.PotH, 32);
    ASSERT_EQ(buf.size(), size_t(potW * 32 * 3));
    EXPECT_EQ(bitmap.width(), texW);
    EXPECT_EQ(bitmap.height(), 17);
    // Top-left texel is background, stored blue first.
    EXPECT_EQ(buf[0], 30);
    EXPECT_EQ(buf[1], 20);
    EXPECT_EQ(buf[2], 10);
    // Padding beyond the text is zero, in the row and below the rows.
    EXPECT_EQ(buf[size_t(texW) * 3], potW > texW ? 0 : buf[size_t(texW) * 3]);
    EXPECT_EQ(buf[size_t(potW) * 3 * 20], 0);
    // Some texel of the text is dark.
    int dark = 0;
    for (int r = 0; r < 17; ++r)
        for (int c = 0; c < texW; ++c)
            dark += buf[size_t((r * potW + c) * 3)] < 5 ? 1 : 0;
    EXPECT_GT(dark, 5);
}

TEST(TextQuad, WidthIsCutAtTheTextureLimit) {
    const TFont font("Arial", 28);
    EXPECT_EQ(TextTextureWidth(font, std::string(200, 'W'), 256), 256);
    EXPECT_LT(TextTextureWidth(font, "1", 256), 256);
}

TEST(AxisPlacement, EndsChosenByThePositions) {
    TQorChartAxis3D x, y, z;
    x.Layout.DisplayMin = -1;
    x.Layout.DisplayMax = 2;
    y.Layout.DisplayMin = -3;
    y.Layout.DisplayMax = 4;
    z.Layout.DisplayMin = -5;
    z.Layout.DisplayMax = 6;
    x.SetAxis1Position(apMinimum);
    x.SetAxis2Position(apMaximum);
    ExpectPoint(AxisOrigin(TQorAxisId::X, x, y, z), 0, -3, 6);
    y.SetAxis1Position(apMaximum);
    y.SetAxis2Position(apZero);
    ExpectPoint(AxisOrigin(TQorAxisId::Y, x, y, z), 2, 0, 0);
    z.SetAxis1Position(apMinimum);
    z.SetAxis2Position(apMaximum);
    ExpectPoint(AxisOrigin(TQorAxisId::Z, x, y, z), -1, 4, 0);
}

TEST(AxisPlacement, FrameTurns) {
    const TQorMatrix y = AxisFrameTurn(TQorAxisId::Y);
    ExpectPoint(Apply(y, 1, 0, 0), 0, 1, 0);
    ExpectPoint(Apply(y, 0, 1, 0), -1, 0, 0);
    ExpectPoint(Apply(y, 0, 0, 1), 0, 0, 1);
    const TQorMatrix z = AxisFrameTurn(TQorAxisId::Z);
    ExpectPoint(Apply(z, 1, 0, 0), 0, 0, 1);
    ExpectPoint(Apply(z, 0, 1, 0), 0, -1, 0);
    ExpectPoint(Apply(z, 0, 0, 1), 1, 0, 0);
    ExpectPoint(Apply(AxisFrameTurn(TQorAxisId::X), 1, 2, 3), 1, 2, 3);
}

class GridPlanes : public ::testing::Test {
protected:
    void SetUp() override {
        x.Layout.DisplayMin = 0;
        x.Layout.DisplayMax = 10;
        y.Layout.DisplayMin = -1;
        y.Layout.DisplayMax = 1;
        z.Layout.DisplayMin = 2;
        z.Layout.DisplayMax = 4;
    }
    TQorChartAxis3D x, y, z;
};

TEST_F(GridPlanes, EveryPlaneSpansTheThirdAxisAtTheEndOfTheSecond) {
    const std::array<TQorChartAxis3D*, 3> axes{&x, &y, &z};
    const char* names[] = {"XYmax", "XZmax", "YXmax", "YZmax", "ZXmax", "ZYmax",
                           "XYmin", "XZmin", "YXmin", "YZmin", "ZXmin", "ZYmin"};
    for (int i = 0; i < QorGridPlaneCount; ++i) {
        SCOPED_TRACE(names[i]);
        const int a = names[i][0] - 'X';
        const int b = names[i][1] - 'X';
        const int c = 3 - a - b;
        const bool max = names[i][3] == 'a';
        const TQorGridPlaneFrame f = GridPlaneFrame(static_cast<TQorGridPlane>(i), x, y, z);
        EXPECT_EQ(static_cast<int>(f.TickAxis), a);
        const double bEnd =
            max ? axes[size_t(b)]->Layout.DisplayMax : axes[size_t(b)]->Layout.DisplayMin;
        for (const double v : {0.5, 3.0, 7.0}) {
            const auto p0 = Apply(f.Matrix, v, 0, 0);
            const auto p1 = Apply(f.Matrix, v, f.Length, 0);
            EXPECT_DOUBLE_EQ(p0[size_t(a)], v);
            EXPECT_DOUBLE_EQ(p1[size_t(a)], v);
            EXPECT_DOUBLE_EQ(p0[size_t(b)], bEnd);
            EXPECT_DOUBLE_EQ(p1[size_t(b)], bEnd);
            EXPECT_DOUBLE_EQ(p0[size_t(c)], axes[size_t(c)]->Layout.DisplayMin);
            EXPECT_DOUBLE_EQ(p1[size_t(c)], axes[size_t(c)]->Layout.DisplayMax);
        }
    }
}

TEST_F(GridPlanes, FlagsFollowTheGridObject) {
    TQorGrid3DProp g;
    std::vector<bool> flags;
    for (int i = 0; i < QorGridPlaneCount; ++i)
        flags.push_back(GridPlaneFlag(g, static_cast<TQorGridPlane>(i)));
    EXPECT_EQ(flags, (std::vector<bool>{false, true, true, true, true, false, true, false, false,
                                        false, false, true}));
    g.SetGridXYmax(true);
    g.SetGridZYmin(false);
    EXPECT_TRUE(GridPlaneFlag(g, TQorGridPlane::XYmax));
    EXPECT_FALSE(GridPlaneFlag(g, TQorGridPlane::ZYmin));
}

} // namespace

namespace {

// Only the X axis drawn, on the recording back-end.
class AxisRecording : public ::testing::Test {
protected:
    void SetUp() override {
        MakeWaveSurface(chart, 5, false);
        chart.AxisY().SetVisible(false);
        chart.AxisZ().SetVisible(false);
        HideGridPlanes(chart);
    }
    long NonEmptyLabels() const {
        return std::count_if(chart.AxisX().Layout.TickLabels.begin(),
                             chart.AxisX().Layout.TickLabels.end(),
                             [](const std::string& s) { return !s.empty(); });
    }
    TGLRecordingPlatform rec;
    TQor3DChart chart;
};

TEST_F(AxisRecording, OneTextureUploadPerLabelAndCaption) {
    const std::vector<TGLCall> log = RecordChartPaint(chart, rec);
    EXPECT_EQ(CountCalls(log, "glTexImage2D"), NonEmptyLabels() + 1);
    EXPECT_EQ(CountCalls(log, "glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL}),
              NonEmptyLabels() + 1);
    const long upload = FindCall(log, "glTexImage2D");
    ASSERT_GE(upload, 0);
    // RGB texture from blue-green-red bytes, power-of-two sides.
    const TGLCall& t = log[size_t(upload)];
    EXPECT_EQ(t.Args[2], GL_RGB);
    EXPECT_EQ(NextPowerOfTwo(int(t.Args[3])), int(t.Args[3]));
    EXPECT_EQ(NextPowerOfTwo(int(t.Args[4])), int(t.Args[4]));
    EXPECT_EQ(t.Args[6], GL_BGR);
}

TEST_F(AxisRecording, HiddenCaptionKeepsTheArrowhead) {
    const long linesWith = CountCalls(RecordChartPaint(chart, rec), "glBegin", {GL_LINES});
    chart.AxisX().SetVisibleCaption(false);
    const std::vector<TGLCall> log = RecordChartPaint(chart, rec);
    EXPECT_EQ(CountCalls(log, "glTexImage2D"), NonEmptyLabels());
    EXPECT_EQ(CountCalls(log, "glBegin", {GL_LINES}), linesWith);
}

TEST_F(AxisRecording, InvisibleAxisIsLaidOutButNotDrawn) {
    chart.AxisX().SetVisible(false);
    chart.AxisX().Layout.TickValues.clear();
    const std::vector<TGLCall> log = RecordChartPaint(chart, rec);
    EXPECT_EQ(CountCalls(log, "glTexImage2D"), 0);
    EXPECT_FALSE(chart.AxisX().Layout.TickValues.empty());
}

TEST_F(AxisRecording, LabelsAreCutAtTheTextureLimit) {
    rec.Integers[GL_MAX_TEXTURE_SIZE] = {16};
    const std::vector<TGLCall> log = RecordChartPaint(chart, rec);
    for (long i = FindCall(log, "glTexImage2D"); i >= 0;
         i = FindCall(log, "glTexImage2D", {}, i + 1)) {
        EXPECT_LE(log[size_t(i)].Args[3], 16);
        EXPECT_LE(log[size_t(i)].Args[4], 16);
    }
}

TEST(GridRecording, PlanesInOrderWithStippleAndMinorOnlyWhereMajorIsOn) {
    TGLRecordingPlatform rec;
    TQor3DChart chart;
    MakeWaveSurface(chart, 5, false);
    chart.gridMinor().SetGridXYmax(true); // major plane off: no minor lines there
    const std::vector<TGLCall> log = RecordChartPaint(chart, rec);
    const long on = FindCall(log, "glEnable", {GL_LINE_STIPPLE});
    const long off = FindCall(log, "glDisable", {GL_LINE_STIPPLE}, on);
    ASSERT_GE(on, 0);
    ASSERT_GT(off, on);
    std::vector<double> patterns;
    std::vector<std::vector<double>> origins;
    for (long i = on; i < off; ++i) {
        const TGLCall& c = log[size_t(i)];
        if (c.Name == "glLineStipple")
            patterns.push_back(c.Args[1]);
        if (c.Name == "glMultMatrixd")
            origins.push_back({c.Args[12], c.Args[13], c.Args[14]});
    }
    // Six planes on by default, each with its major and its minor lines.
    EXPECT_EQ(patterns, (std::vector<double>{0xE187, 0x2184, 0xE187, 0x2184, 0xE187, 0x2184, 0xE187,
                                             0x2184, 0xE187, 0x2184, 0xE187, 0x2184}));
    ASSERT_EQ(origins.size(), 6u);
    const TQorChartAxis3D& x = chart.AxisX();
    const TQorChartAxis3D& y = chart.AxisY();
    const TQorChartAxis3D& z = chart.AxisZ();
    // XZmax, YXmax, YZmax, ZXmax, XYmin, ZYmin: the origin lies at the holding end and the low
    // end of the spanned axis.
    EXPECT_TRUE(NearVector(origins[0], {0, y.Layout.DisplayMin, z.Layout.DisplayMax}));
    EXPECT_TRUE(NearVector(origins[1], {x.Layout.DisplayMax, 0, z.Layout.DisplayMin}));
    EXPECT_TRUE(NearVector(origins[2], {x.Layout.DisplayMin, 0, z.Layout.DisplayMax}));
    EXPECT_TRUE(NearVector(origins[3], {x.Layout.DisplayMax, y.Layout.DisplayMin, 0}));
    EXPECT_TRUE(NearVector(origins[4], {0, y.Layout.DisplayMin, z.Layout.DisplayMin}));
    EXPECT_TRUE(NearVector(origins[5], {x.Layout.DisplayMin, y.Layout.DisplayMin, 0}));
}

} // namespace
