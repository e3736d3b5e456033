#include "render/Qor3DSurfacePainter.h"

#include "Qor3DPaintTestSupport.h"

#include <QImage>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace QorPaint;
using ::testing::ElementsAre;
using TStrip = std::vector<std::pair<int, int>>;

class SurfacePaint : public TRecordedPaint {
protected:
    // A grid with x = column and z = 10 * row, so every vertex tells its grid point.
    void MakeGrid(int nx, int nz, bool LowMemory, double Slope = 0.0) {
        chart.SetUseLowMemory(LowMemory);
        Fill3D(
            chart, nx, nz, Identity, [](int k) { return 10.0 * k; },
            [Slope](double x, double) { return Slope * x; });
        chart.UpdateRanges();
        chart.UpdateNormals();
        chart.AxisY().Layout.DisplayMin = 0;
        chart.AxisY().Layout.DisplayMax = 1;
        rec.ClearLog();
    }
    std::vector<TStrip> Strips(double XScale = 1, double ZScale = 10) const {
        std::vector<TStrip> strips;
        for (const auto& v : Stream()) {
            if (v[0] == -1)
                strips.emplace_back();
            else if (v[0] >= 0)
                strips.back().emplace_back(int(std::lround(v[0] / XScale)),
                                           int(std::lround(v[2] / ZScale)));
        }
        return strips;
    }
    std::vector<double> Modes() const {
        std::vector<double> m;
        for (const TGLCall& c : rec.Calls("glBegin"))
            m.push_back(c.Args.at(0));
        return m;
    }
    TQor3DChart chart;
    TQorSceneFrame raw;
};

// ---- Strip patterns ----

// Solid: a quadrilateral strip per pair of rows; wire: line strips along the rows, then along
// the columns; the reverse patterns of a translucent surface's second pass run the other way.
// One row draws no quadrilaterals, and a column of single points as wire.
TEST_F(SurfacePaint, StripPatternsForwardAndReverse) {
    struct TCase {
        int Cols, Rows;
        bool Wired;
        int Transparency;
        std::vector<TStrip> Strips;
    };
    const std::vector<TStrip> solid = {{{0, 0}, {0, 1}, {1, 0}, {1, 1}},
                                       {{0, 1}, {0, 2}, {1, 1}, {1, 2}}};
    const std::vector<TStrip> solidReverse = {{{1, 2}, {1, 1}, {0, 2}, {0, 1}},
                                              {{1, 1}, {1, 0}, {0, 1}, {0, 0}}};
    const std::vector<TStrip> wire = {{{0, 0}, {1, 0}},
                                      {{0, 1}, {1, 1}},
                                      {{0, 2}, {1, 2}},
                                      {{0, 0}, {0, 1}, {0, 2}},
                                      {{1, 0}, {1, 1}, {1, 2}}};
    const std::vector<TStrip> wireReverse = {{{1, 2}, {0, 2}},
                                             {{1, 1}, {0, 1}},
                                             {{1, 0}, {0, 0}},
                                             {{1, 2}, {1, 1}, {1, 0}},
                                             {{0, 2}, {0, 1}, {0, 0}}};
    const auto joined = [](std::vector<TStrip> a, const std::vector<TStrip>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<TCase> cases = {
        {2, 3, false, 0, solid},
        {2, 3, false, 3, joined(solid, solidReverse)},
        {2, 3, true, 1, joined(wire, wireReverse)},
        {3, 1, false, 0, {}},
        {3, 1, true, 0, {{{0, 0}, {1, 0}, {2, 0}}, {{0, 0}}, {{1, 0}}, {{2, 0}}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Cols << "x" << c.Rows << " wired " << c.Wired
                                        << " transparency " << c.Transparency);
        MakeGrid(c.Cols, c.Rows, true);
        chart.SetWired(c.Wired);
        chart.SetTransparency(c.Transparency);
        chart.SetShiny(false);
        rec.ClearLog();
        DrawChartSurface(chart, raw);
        EXPECT_EQ(Strips(), c.Strips);
        EXPECT_EQ(Modes(),
                  std::vector<double>(c.Strips.size(), c.Wired ? GL_LINE_STRIP : GL_QUAD_STRIP));
    }
    // The first triangle of either solid strip turns the same way in the grid plane.
    const auto turn = [](const TStrip& s) {
        return (s[1].first - s[0].first) * (s[2].second - s[0].second) -
               (s[1].second - s[0].second) * (s[2].first - s[0].first);
    };
    EXPECT_EQ(turn(solid[0]), turn(solidReverse[1]));
}

// ---- Passes ----

TEST_F(SurfacePaint, TranslucentPassesThenHighlight) {
    MakeGrid(3, 3, true);
    chart.SetTransparency(5);
    chart.SetShiny(true);
    DrawChartSurface(chart, raw);
    EXPECT_EQ(StateCalls(),
              Joined({TranslucentStart(28),
                      {"strips", "glColor4ub(255, 255, 255, 26)", "strips", "glDepthMask(1)",
                       "glDisable(GL_BLEND)", "glDisable(GL_TEXTURE_1D)"},
                      HighlightPass()}));
    // Texture coordinates in the two coloured passes only.
    EXPECT_EQ(Count("glTexCoord1fv"), 2 * 2 * 6u);
    EXPECT_EQ(Count("glVertex3fv"), 3 * 2 * 6u);
}

// The alpha of both passes by transparency; opaque draws one pass, 10 none.
TEST_F(SurfacePaint, AlphaTablesOpaqueAndFullyTransparent) {
    MakeGrid(2, 2, true);
    chart.SetShiny(false);
    const std::vector<std::pair<int, int>> expected = {
        {128, 85}, {85, 64}, {64, 51}, {43, 36}, {28, 26}, {21, 20}, {13, 13}, {6, 6}, {1, 1}};
    for (int t = 1; t <= 9; ++t) {
        rec.ClearLog();
        chart.SetTransparency(t);
        DrawChartSurface(chart, raw);
        const auto colours = rec.Calls("glColor4ub");
        ASSERT_EQ(colours.size(), 2u) << t;
        EXPECT_EQ(colours[0].Args[3], expected[size_t(t - 1)].first) << t;
        EXPECT_EQ(colours[1].Args[3], expected[size_t(t - 1)].second) << t;
    }
    for (const int t : {0, 10}) {
        rec.ClearLog();
        chart.SetTransparency(t);
        DrawChartSurface(chart, raw);
        const std::vector<std::string> passes =
            t == 0 ? std::vector<std::string>{"strips", "glDisable(GL_TEXTURE_1D)"}
                   : std::vector<std::string>{"glDisable(GL_TEXTURE_1D)"};
        EXPECT_EQ(StateCalls(), passes);
    }

    rec.ClearLog();
    chart.SetShiny(true);
    chart.SetWired(true);
    DrawChartSurface(chart, raw);
    EXPECT_EQ(Count("glTexCoord1fv"), 0u);
    EXPECT_EQ(Count("glColor4ub"), 1u);
    for (double m : Modes())
        EXPECT_EQ(m, GL_LINE_STRIP);
}

// ---- Vertex rules ----

TEST_F(SurfacePaint, FullLayoutSendsStoredNormalsAndPoints) {
    MakeGrid(3, 2, false, 0.5);
    chart.SetShiny(false);
    DrawChartSurface(chart, raw);
    const auto normals = rec.Calls("glNormal3sv");
    ASSERT_EQ(normals.size(), 6u);
    // Vertex (1, 1) is the fourth of the strip.
    for (int a = 0; a < 3; ++a)
        EXPECT_EQ(normals[3].Args[size_t(a)], chart.Normals()[size_t(3 * 4 + a)]);
    EXPECT_EQ(rec.Calls("glVertex3fv")[3].Args, (std::vector<double>{1, 0.5, 10}));
}

TEST_F(SurfacePaint, LowMemoryRawNormalsMatchTheStoredOnes) {
    TQor3DChart full;
    full.SetUseLowMemory(false);
    const auto X = [](int i) {
        return 0.3 * i * i;
    };
    const auto Z = [](int k) {
        return 1.0 + k;
    };
    const auto H = [](double x, double z) {
        return std::sin(x) * z;
    };
    Fill3D(full, 4, 3, X, Z, H);
    full.UpdateNormals();
    chart.SetUseLowMemory(true);
    Fill3D(chart, 4, 3, X, Z, H);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 4; ++i) {
            const TNormal16 n = VertexNormal(chart, i, k);
            for (int a = 0; a < 3; ++a)
                EXPECT_EQ(n[size_t(a)], full.Normals()[size_t(3 * (i + 4 * k) + a)]);
        }
}

TEST_F(SurfacePaint, BoxUnitsWithoutRawVertices) {
    MakeGrid(3, 2, true, 0.5);
    chart.SetShiny(false);
    TQorSceneFrame box;
    box.RX = 2;
    box.RY = 4;
    box.RZ = 10;
    box.RawVertices = false;
    DrawChartSurface(chart, box);
    const auto log = rec.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].Text(), "glScaled(2, 4, 10)");
    const auto vertices = rec.Calls("glVertex3fv");
    ASSERT_EQ(vertices.size(), 6u);
    EXPECT_EQ(vertices[3].Args, (std::vector<double>{0.5, 0.125, 1}));
    EXPECT_EQ(Count("glNormal3fv"), 6u);

    TQorSceneFrame unit;
    unit.RawVertices = false;
    const TNormalD n = VertexNormal(chart, unit, 1, 1);
    EXPECT_NEAR(n[0], -0.4472136, 1e-6);
    EXPECT_NEAR(n[1], 0.8944272, 1e-6);
    EXPECT_NEAR(n[2], 0, 1e-12);
    // The same slope in box units of this frame: y / 4 over x / 2 gives a quarter of the rise.
    const TNormalD b = VertexNormal(chart, box, 1, 1);
    EXPECT_NEAR(b[0] / b[1], -0.25, 1e-9);
}

TEST_F(SurfacePaint, FlatGridNormalsPointUp) {
    MakeGrid(3, 3, true);
    const TNormal16 n = VertexNormal(chart, 1, 1);
    EXPECT_EQ(n, (TNormal16{0, 32000, 0}));
    EXPECT_EQ(VertexNormal(chart, 0, 0)[1], 32000);
    TQorSceneFrame box;
    box.RawVertices = false;
    EXPECT_NEAR(VertexNormal(chart, box, 2, 2)[1], 1.0, 1e-12);
}

TEST_F(SurfacePaint, ShortArraysAreNotRead) {
    chart.SetUseLowMemory(false);
    Fill3D(chart, 3, 3, Identity, Identity, [](double, double) { return 0.0; });
    chart.SetShiny(false);
    rec.ClearLog();
    // Normals missing: they are computed while painting instead of read past the end.
    ASSERT_TRUE(chart.Normals().empty());
    DrawChartSurface(chart, raw);
    const auto normals = rec.Calls("glNormal3sv");
    ASSERT_EQ(normals.size(), 12u);
    for (const TGLCall& n : normals)
        EXPECT_EQ(n.Args, (std::vector<double>{0, 32000, 0}));

    rec.ClearLog();
    chart.Data().resize(5);
    DrawChartSurface(chart, raw);
    EXPECT_EQ(Count("glBegin"), 0u);
}

// ---- Colour source ----

TEST_F(SurfacePaint, TextureCoordinatesAtTheEndsOfTheColourRange) {
    MakeGrid(2, 2, true, 1.0);
    chart.SetShiny(false);
    DrawChartSurface(chart, raw);
    const auto tex = rec.Calls("glTexCoord1fv");
    ASSERT_EQ(tex.size(), 4u);
    EXPECT_FLOAT_EQ(float(tex[0].Args[0]), float(253.0 / 65536));
    EXPECT_FLOAT_EQ(float(tex[2].Args[0]), float(253.0 / 256 * (1 + 1.0 / 256)));
    EXPECT_DOUBLE_EQ(PaletteMap(3, 3).F, 1.0);
}

TEST_F(SurfacePaint, PaletteTexture) {
    MakeGrid(2, 2, true);
    SetupChartColorSource(chart, raw);
    EXPECT_THAT(
        StateCalls(),
        ElementsAre("glDisable(GL_TEXTURE_2D)", "glBindTexture(GL_TEXTURE_1D, 0)",
                    "glEnable(GL_TEXTURE_1D)",
                    "glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, 10496)",
                    "glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, 9729)",
                    "glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, 9729)",
                    "glGetIntegerv(GL_MAX_TEXTURE_SIZE)",
                    "glTexImage1D(GL_TEXTURE_1D, 0, 6407, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE)"));
    rec.Integers[GL_MAX_TEXTURE_SIZE] = {255};
    rec.ClearLog();
    SetupChartColorSource(chart, raw);
    EXPECT_EQ(rec.Calls("glTexImage1D").at(0).Args.at(3), 64);
}

TEST(SurfacePicture, TextureSizes) {
    EXPECT_EQ(PictureTextureSize(2048, 300, 200), (TTextureSize{512, 256}));
    EXPECT_EQ(PictureTextureSize(2048, 10, 10), (TTextureSize{16, 16}));
    EXPECT_EQ(PictureTextureSize(2048, 5000, 10), (TTextureSize{2048, 16}));
    EXPECT_EQ(PictureTextureSize(0, 100, 10), (TTextureSize{64, 16}));
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    const std::vector<uint8_t> pixels = PictureTexturePixels(picture, {4, 4});
    ASSERT_EQ(pixels.size(), 48u);
    EXPECT_THAT(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 3), ElementsAre(30, 20, 10));
}

TEST_F(SurfacePaint, PictureTextureIsCachedAndSpansTheData) {
    MakeGrid(5, 3, false);
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    chart.SetColorBitmap(picture);
    chart.SetColorBitmapApply(true);
    chart.SetShiny(false);
    rec.Integers[GL_MAX_TEXTURE_SIZE] = {2048};
    rec.ClearLog();
    SetupChartColorSource(chart, raw);
    EXPECT_EQ(Count("glGetIntegerv"), 1u);
    EXPECT_EQ(rec.Calls("glTexImage2D").at(0).Text(),
              "glTexImage2D(GL_TEXTURE_2D, 0, 6407, 512, 256, 0, GL_BGR, GL_UNSIGNED_BYTE)");
    ASSERT_TRUE(chart.PictureTexture());
    const std::vector<uint8_t>& texels = chart.PictureTexture()->Pixels;
    EXPECT_EQ(texels.size(), 512u * 256 * 3);
    EXPECT_THAT(std::vector<uint8_t>(texels.begin(), texels.begin() + 3), ElementsAre(0, 0, 255));

    rec.ClearLog();
    SetupChartColorSource(chart, raw);
    EXPECT_EQ(Count("glGetIntegerv"), 0u);
    EXPECT_EQ(Count("glTexImage2D"), 1u);

    rec.ClearLog();
    DrawChartSurface(chart, raw);
    const auto tex = rec.Calls("glTexCoord2fv");
    ASSERT_FALSE(tex.empty());
    EXPECT_EQ(tex[0].Args, (std::vector<double>{0, 0}));
    EXPECT_EQ(tex.back().Args, (std::vector<double>{1, 1}));
    EXPECT_EQ(rec.Calls("glDisable").back().Args.at(0), GL_TEXTURE_2D);
}

} // namespace
