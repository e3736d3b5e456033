#include "render/Qor3D4DPainter.h"

#include "Qor3DPaintTestSupport.h"
#include "Qor3DPictureSupport.h"
#include "render/Qor3DChartScene.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> Items) {
    std::sort(Items.begin(), Items.end());
    return Items;
}

using namespace QorPaint;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// ---- Layer rules ----

TEST(Layers4D, DirectionsAndSelectedLayers) {
    const std::vector<std::vector<bool>> table = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0},
                                                  {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    for (int d = 0; d <= 6; ++d)
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(Dim4DirectionHasAxis(d, a), table[size_t(d)][size_t(a)]) << d;
    EXPECT_FALSE(Dim4DirectionHasAxis(7, LayerX));
    EXPECT_THAT(LayersDrawn(2, 3, 10), ElementsAre(1, 4, 7));
    EXPECT_THAT(LayersDrawn(1, 1, 3), ElementsAre(0, 1, 2));
    EXPECT_TRUE(LayersDrawn(11, 1, 10).empty());
    EXPECT_THAT(LayersDrawn(1, 2147483647, 5), ElementsAre(0));
}

// A stack of 200 layers (the volume example's) keeps 8 of them at most, box faces and layer
// lists about as many points as the view has groups of pixels; no layer is drawn denser than a
// surface of its size, and a still view or small data draw everything.
TEST(Layers4D, TurningDensityLimitsLayersAndPoints) {
    const TPoint view{800, 600};
    const std::vector<TXZInteger> volume(200, TXZInteger{200, 5});
    const std::vector<TXZInteger> faces(2, TXZInteger{200, 200});
    EXPECT_EQ(TurningDensity(volume, {0, 0}, 1), (TLayerDensity{1, 1}));
    EXPECT_EQ(TurningDensity(volume, view, 1), (TLayerDensity{32, 1}));
    EXPECT_EQ(TurningDensity(volume, view, 3), (TLayerDensity{256, 1}));
    EXPECT_EQ(TurningDensity(faces, view, 3), (TLayerDensity{1, 4}));
    EXPECT_EQ(TurningDensity(faces, view, 1), (TLayerDensity{1, 2}));
    EXPECT_EQ(TurningDensity(std::vector<TXZInteger>(3, {12, 12}), view, 1), (TLayerDensity{1, 1}));
    EXPECT_EQ(TurningDensity({{TXZInteger{2000, 2000}}}, view, 1),
              (TLayerDensity{1, TurningStep(2000, 2000, view)}));
    EXPECT_EQ(TurningDensity({}, view, 1), (TLayerDensity{1, 1}));
    EXPECT_THAT(EveryNth(std::vector<int>{3, 4, 5, 6, 7, 8}, 4), ElementsAre(3, 7, 8));
}

class Paint4D : public TRecordedPaint {
protected:
    // A volume with x in {0, 1, ...}, y in {10, 11, ...}, z in {100, 101, ...} and the value
    // V(i, j, k).
    void MakeVolume(int nx, int ny, int nz, bool LowMemory,
                    const std::function<float(int, int, int)>& V) {
        chart.SetUseLowMemory(LowMemory);
        Fill4D(
            chart, nx, ny, nz, Identity, [](int j) { return 10.0 + j; },
            [](int k) { return 100.0 + k; }, V);
        chart.UpdateRanges();
        rec.ClearLog();
    }
    // The layers drawn, in order: the axis a strip is flat across and its coordinate there
    // ("Y12"), one entry per run of strips of the same layer.
    std::vector<std::string> LayerSequence() const {
        std::vector<std::string> out;
        std::vector<std::array<double, 3>> strip;
        for (const auto& v : Stream()) {
            if (v[0] == -1) {
                strip.clear();
            } else if (v[0] == -2) {
                std::string id = "?";
                for (int a = 0; a < 3 && !strip.empty(); ++a) {
                    bool flat = true;
                    for (const auto& p : strip)
                        flat = flat && p[size_t(a)] == strip[0][size_t(a)];
                    if (flat)
                        id = std::string(1, char('X' + a)) +
                             std::to_string(int(std::lround(strip[0][size_t(a)])));
                }
                if (out.empty() || out.back() != id)
                    out.push_back(id);
            } else {
                strip.push_back(v);
            }
        }
        return out;
    }
    TQor3DChart chart;
    TQorSceneFrame frame;
};

float Ramp(int i, int j, int k) {
    return float(i + j + k);
}

// ---- Draw4DLayers ----

// The stacks Dim4Direction names, X before Y before Z, and in each the layers from FirstLayer on
// at every NthLayer-th.
TEST_F(Paint4D, DirectionFirstAndNthLayerPickTheLayers) {
    struct TCase {
        int NY;
        bool LowMemory;
        int Direction, First, Nth;
        std::vector<std::string> Layers;
    };
    const std::vector<TCase> cases = {
        {3, true, 3, 1, 1, {"X0", "X1", "Y10", "Y11", "Y12"}},
        {3, true, 2, 1, 1, {"Z100", "Z101", "Z102", "Z103"}},
        {3, true, 6, 1, 1, {"X0", "X1", "Y10", "Y11", "Y12", "Z100", "Z101", "Z102", "Z103"}},
        {10, false, 1, 2, 3, {"Y11", "Y14", "Y17"}},
        {10, false, 1, 11, 3, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.Direction << " from " << c.First);
        MakeVolume(2, c.NY, c.NY == 3 ? 4 : 2, c.LowMemory, Ramp);
        chart.SetShiny(false);
        chart.SetDim4Direction(c.Direction);
        chart.SetDim4FirstLayer(c.First);
        chart.SetDim4NthLayer(c.Nth);
        Draw4DLayers(chart, frame);
        EXPECT_EQ(Sorted(LayerSequence()), Sorted(c.Layers));
        EXPECT_EQ(rec.Log().back().Text(), "glDisable(GL_TEXTURE_1D)");
    }
}

TEST_F(Paint4D, ColourPassesThenHighlightPasses) {
    MakeVolume(2, 2, 2, true, Ramp);
    chart.SetDim4Direction(0);
    chart.SetTransparency(4);
    chart.SetShiny(true);
    chart.SetLightsON(true);
    Draw4DLayers(chart, frame);
    // The chart's translucency once, then per layer its colour pass and its highlight pass.
    const std::vector<std::string> colour =
        Joined({TranslucentStart(43), {"strips", "glDepthMask(1)", "glDisable(GL_BLEND)"}});
    const std::vector<std::string> highlight =
        Joined({{"glDisable(GL_TEXTURE_1D)"}, HighlightPass()});
    EXPECT_EQ(StateCalls(), Joined({TranslucentStart(43),
                                    colour,
                                    colour,
                                    highlight,
                                    highlight,
                                    {"glDisable(GL_TEXTURE_1D)"}}));
    EXPECT_THAT(LayerSequence(), ElementsAre("X0", "X1", "X0", "X1"));
    EXPECT_EQ(Count("glTexCoord1fv"), 2 * 4u);

    rec.ClearLog();
    chart.SetLightsON(false);
    Draw4DLayers(chart, frame);
    EXPECT_THAT(LayerSequence(), ElementsAre("X0", "X1"));

    rec.ClearLog();
    chart.SetLightsON(true);
    chart.SetTransparency(10);
    Draw4DLayers(chart, frame);
    EXPECT_THAT(LayerSequence(), ElementsAre("X0", "X1"));
    EXPECT_EQ(Count("glTexCoord1fv"), 0u);

    rec.ClearLog();
    chart.SetShiny(false);
    Draw4DLayers(chart, frame);
    EXPECT_EQ(Count("glBegin"), 0u);
}

// Opaque layers are drawn nearest first, so that the depth test spares the hidden ones'
// colouring: seen from the other side the order turns round. Translucent layers blend, and
// keep their index order.
TEST_F(Paint4D, OpaqueLayersComeNearestFirst) {
    MakeVolume(2, 5, 2, false, Ramp);
    chart.SetShiny(false);
    chart.SetDim4Direction(1);
    const auto drawn = [&](double Tilt) {
        chart.SetViewRotX(Tilt);
        rec.ClearLog();
        Draw4DLayers(chart, frame);
        return LayerSequence();
    };
    const std::vector<std::string> index = {"Y10", "Y11", "Y12", "Y13", "Y14"};
    const std::vector<std::string> above = drawn(40);
    const std::vector<std::string> below = drawn(-40);
    EXPECT_TRUE(above == index || above == std::vector(index.rbegin(), index.rend()));
    EXPECT_EQ(below, std::vector(above.rbegin(), above.rend()));
    chart.SetTransparency(5);
    EXPECT_EQ(drawn(40)[0], "Y10");
    EXPECT_EQ(drawn(-40)[0], "Y10");
}

TEST_F(Paint4D, ValuesLiftTheLayersAndGiveTheirColour) {
    for (const bool low : {true, false}) {
        // One corner at the top of the value range, the rest at the bottom.
        MakeVolume(2, 3, 2, low, [](int i, int j, int k) { return i + j + k == 0 ? 8.f : 0.f; });
        chart.SetDim4Height(0.5);
        const TPaletteMap map = ChartColorMapping(chart).Palette;
        TLayerBuilder layer(chart, LayerY, map);
        ASSERT_TRUE(layer.Valid());
        EXPECT_EQ(layer.Cols(), 2);
        EXPECT_EQ(layer.Rows(), 2);
        layer.Build(0);
        const double top = 253.0 / 256 * (1 + 1.0 / 256);
        const double bottom = 253.0 / 65536;
        // Extent along Y is 12 - 10.
        EXPECT_NEAR(layer.Positions()[1], 10 + top * 0.5 * 2, 1e-5) << low;
        EXPECT_NEAR(layer.Positions()[4], 10 + bottom * 0.5 * 2, 1e-5) << low;
        EXPECT_EQ(layer.Positions()[3], 1.f);
        EXPECT_EQ(layer.Positions()[5], 100.f);
        EXPECT_FLOAT_EQ(float(map.Coord(layer.Values()[1])), float(bottom));

        chart.SetDim4Direction(1);
        chart.SetShiny(false);
        chart.SetTransparency(1); // translucent layers come in index order, layer 0 first
        rec.ClearLog();
        Draw4DLayers(chart, frame);
        EXPECT_FLOAT_EQ(float(rec.Calls("glTexCoord1fv").at(0).Args[0]), float(top));
        EXPECT_FLOAT_EQ(float(rec.Calls("glTexCoord1fv").at(1).Args[0]), float(bottom));
    }
}

TEST_F(Paint4D, FlatLayersWithoutHeight) {
    MakeVolume(3, 3, 3, true, Ramp);
    TLayerBuilder layer(chart, LayerZ, ChartColorMapping(chart).Palette);
    layer.Build(2);
    for (size_t p = 0; p < 9; ++p)
        EXPECT_EQ(layer.Positions()[3 * p + 2], 102.f);
    EXPECT_EQ(LayerNormal(layer.Positions().data(), 3, 3, 1, 1), (TNormal16{0, 0, -32000}));
}

TEST_F(Paint4D, SurfaceFacesComeFromTheFaceBlocks) {
    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize4DSurface(2, 1, 3));
    for (int f = 1; f <= 6; ++f) {
        const int64_t end =
            f < 6 ? TQor3DChart::FaceStart(f + 1, 2, 1, 3) : TQor3DChart::FacePointCount(2, 1, 3);
        for (int64_t p = TQor3DChart::FaceStart(f, 2, 1, 3); p < end; ++p)
            chart.Data()[size_t(p)] = float(f);
    }
    chart.XValues() = {0, 1};
    chart.YValues() = {10};
    chart.ZValues() = {100, 101, 102};
    chart.UpdateRanges();
    const TPaletteMap map = ChartColorMapping(chart).Palette;
    TLayerBuilder z(chart, LayerZ, map);
    EXPECT_THAT(z.Layers(), ElementsAre(0, 2));
    z.Build(2);
    EXPECT_THAT(z.Values(), ElementsAre(2, 2));
    TLayerBuilder y(chart, LayerY, map);
    EXPECT_THAT(y.Layers(), ElementsAre(0));
    y.Build(0);
    EXPECT_THAT(y.Values(), ElementsAre(5, 5, 5, 5, 5, 5));
    TLayerBuilder x(chart, LayerX, map);
    x.Build(1);
    EXPECT_THAT(x.Values(), ElementsAre(4, 4, 4));

    // All three directions whatever Dim4Direction says; rows of one point draw no quads.
    chart.SetDim4Direction(0);
    chart.SetShiny(false);
    rec.ClearLog();
    Draw4DLayers(chart, frame);
    EXPECT_THAT(LayerSequence(), ElementsAre("Y10"));
    chart.SetWired(true);
    rec.ClearLog();
    Draw4DLayers(chart, frame);
    // X faces: one row strip and three column strips each; the Y face three plus two; the Z
    // faces one plus two each.
    EXPECT_EQ(Count("glBegin"), 2 * 4 + 5 + 2 * 3u);
}

// While the view turns a volume draws every k-th of its layers and of their rows and columns,
// the last ones kept, and the highlights on exactly the points coloured; a still view draws all.
TEST_F(Paint4D, TurningThinsTheLayersTheirRowsAndColumns) {
    MakeVolume(21, 34, 19, false, Ramp);
    chart.SetDim4Direction(1);
    // Translucent, so that both passes draw the layers in index order and compare half by half.
    chart.SetTransparency(1);
    chart.SetShiny(true);
    chart.SetLightsON(true);
    Draw4DLayers(chart, frame);
    EXPECT_EQ(LayerSequence().size(), 2 * 34u);
    EXPECT_EQ(Count("glVertex3fv"), 2 * 34 * (2 * 21 * 18u));

    frame.TurningView = {40, 40};
    const TLayerDensity d =
        TurningDensity(std::vector<TXZInteger>(34, {21, 19}), frame.TurningView, 1);
    ASSERT_GT(d.LayerStep, 1);
    ASSERT_GT(d.PointStep, 1);
    rec.ClearLog();
    Draw4DLayers(chart, frame);
    std::vector<std::string> layers;
    for (const int k : GridLine(34, d.LayerStep))
        layers.push_back("Y" + std::to_string(10 + k));
    EXPECT_EQ(layers.back(), "Y43");
    EXPECT_EQ(LayerSequence(), Joined({layers, layers}));
    const std::vector<std::array<double, 3>> stream = Stream();
    std::set<int> xs, zs;
    for (const auto& v : stream)
        if (v[0] >= 0) {
            xs.insert(int(v[0]));
            zs.insert(int(v[2]) - 100);
        }
    EXPECT_EQ(std::vector<int>(xs.begin(), xs.end()), GridLine(21, d.PointStep));
    EXPECT_EQ(std::vector<int>(zs.begin(), zs.end()), GridLine(19, d.PointStep));
    const auto half = stream.begin() + std::ptrdiff_t(stream.size() / 2);
    EXPECT_TRUE(std::equal(stream.begin(), half, half, stream.end()));
    EXPECT_LT(Count("glVertex3fv"), 2 * 34 * (2 * 21 * 18u) / 20);
}

// The faces of a box share the picture's points while turning.
TEST_F(Paint4D, TurningThinsTheBoxFaces) {
    constexpr int n = 30;
    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize4DSurface(n, n, n));
    for (int i = 0; i < n; ++i) {
        chart.XValues()[size_t(i)] = float(i);
        chart.YValues()[size_t(i)] = float(10 + i);
        chart.ZValues()[size_t(i)] = float(100 + i);
    }
    for (size_t p = 0; p < chart.Data().size(); ++p)
        chart.Data()[p] = float(p % 7);
    chart.UpdateRanges();
    chart.SetShiny(false);
    Draw4DLayers(chart, frame);
    EXPECT_EQ(Count("glVertex3fv"), 6 * (2 * n * (n - 1u)));

    frame.TurningView = {40, 40};
    const TLayerDensity d = TurningDensity(std::vector<TXZInteger>(2, {n, n}), {40, 40}, 3);
    ASSERT_EQ(d.LayerStep, 1);
    const size_t lines = GridLine(n, d.PointStep).size();
    rec.ClearLog();
    Draw4DLayers(chart, frame);
    EXPECT_THAT(LayerSequence(), UnorderedElementsAre("X0", "X29", "Y10", "Y39", "Z100", "Z129"));
    EXPECT_EQ(Count("glVertex3fv"), 6 * (2 * lines * (lines - 1)));
    EXPECT_LE(6 * lines * lines, 3 * 11 * 11u);
}

// The six faces of a dk4DSurface box on the grid X(i), Y(j), Z(k), in the chart's layout, with
// the value V at each face point.
void FillBox(TQor3DChart& Chart, std::array<int, 3> N, const std::array<double (*)(int), 3>& At,
             float (*V)(int, int, int)) {
    ASSERT_TRUE(Chart.SetSize4DSurface(N[0], N[1], N[2]));
    const bool low = Chart.LowMemoryLayout();
    // Faces 1, 2 lie across Z, 3, 4 across X, 5, 6 across Y; columns and rows as the layers'.
    constexpr std::array<std::array<size_t, 3>, 3> sides{{{0, 1, 2}, {2, 1, 0}, {0, 2, 1}}};
    for (int face = 1; face <= 6; ++face) {
        const auto [col, row, across] = sides[size_t(face - 1) / 2];
        const int64_t start = TQor3DChart::FaceStart(face, N[0], N[1], N[2]);
        for (int i = 0; i < N[row]; ++i)
            for (int j = 0; j < N[col]; ++j) {
                std::array<int, 3> g{};
                g[col] = j, g[row] = i, g[across] = face % 2 == 1 ? 0 : N[across] - 1;
                const size_t p = size_t(start + j + int64_t(N[col]) * i);
                if (low) {
                    Chart.Data()[p] = V(g[0], g[1], g[2]);
                    continue;
                }
                for (size_t a = 0; a < 3; ++a)
                    Chart.Data()[4 * p + a] = float(At[a](g[a]));
                Chart.Data()[4 * p + 3] = V(g[0], g[1], g[2]);
            }
    }
    if (low)
        for (size_t a = 0; a < 3; ++a) {
            TArrGLfloat& v = a == 0 ? Chart.XValues() : a == 1 ? Chart.YValues() : Chart.ZValues();
            for (int g = 0; g < N[a]; ++g)
                v[size_t(g)] = float(At[a](g));
        }
}

// Opaque flat layers hide most of the layer behind them, and a box's near faces its far ones;
// those cells are left out: at every view, stack, layer selection, projection and layout the
// picture is the same as with every cell drawn. The reference is lifted by a height too small to
// move any coordinate (none is near 0), which draws every cell.
TEST(HiddenCells4D, PicturesMatchEveryCellDrawn) {
    constexpr int nx = 14, ny = 12, nz = 10;
    const auto value = [](int i, int j, int k) {
        return float(std::sin(i * 0.5) + j * 0.3 + k);
    };
    const std::array<double (*)(int), 3> at{[](int i) { return 1 + 0.5 * i; },
                                            [](int j) { return 3 - 0.25 * j; },
                                            [](int k) {
                                                return 1 + k * k * 0.1;
                                            }};
    struct TView {
        double RotX, RotY;
        bool Perspective;
    };
    const TView views[] = {{30, -100, true}, {-20, 35, false}, {70, 200, true}, {5, 10, false}};
    int compared = 0;
    for (const bool low : {false, true})
        for (const int direction : {1, 6, 2, -1}) // -1: the box's faces
            for (const TView& v : views) {
                SCOPED_TRACE(testing::Message() << "low " << low << " direction " << direction
                                                << " view " << v.RotX << " " << v.RotY);
                TQor3DChart charts[2];
                for (TQor3DChart& chart : charts) {
                    chart.SetUseLowMemory(low);
                    if (direction < 0)
                        FillBox(chart, {nx, ny, nz}, at, value);
                    else
                        Fill4D(chart, nx, ny, nz, at[0], at[1], at[2], value);
                    chart.UpdateRanges();
                    chart.SetDim4Direction(direction);
                    chart.SetDim4NthLayer(compared % 3 == 2 ? 2 : 1);
                    chart.SetViewRotX(v.RotX);
                    chart.SetViewRotY(v.RotY);
                    chart.SetPerspectiveON(v.Perspective);
                }
                charts[1].SetDim4Height(1e-12);
                const QImage culled = RenderChartImage(charts[0], 240, 180);
                const QImage whole = RenderChartImage(charts[1], 240, 180);
                ASSERT_FALSE(culled.isNull());
                EXPECT_EQ(ComparePictures(whole, culled, 0).Differing, 0);
                ++compared;
            }
}

// Cells are left out only where nothing can show through: a hole anywhere, a lift or a
// translucent picture draws every cell.
TEST_F(Paint4D, OnlyCellsTheNextLayerHidesAreLeftOut) {
    const auto vertices = [&](const std::function<void()>& Change) {
        MakeVolume(14, 12, 10, false, Ramp);
        chart.SetDim4Direction(6);
        Change();
        SetDisplayedRanges(chart);
        Draw4DLayers(chart, ComputeSceneFrame(chart));
        return Count("glVertex3fv");
    };
    const size_t culled = vertices([] {});
    const size_t all = vertices([&] { chart.SetDim4Height(0.5); });
    EXPECT_LT(3 * culled, 2 * all);
    EXPECT_GT(vertices([&] { chart.Data()[4 * 7 + 3] = NAN; }), all * 9 / 10);
    EXPECT_EQ(vertices([&] { chart.SetTransparency(3); }), all);
}

TEST_F(Paint4D, ShortArraysDrawNothing) {
    MakeVolume(2, 2, 2, true, Ramp);
    chart.YValues().resize(1);
    chart.SetShiny(false);
    chart.SetDim4Direction(6);
    Draw4DLayers(chart, frame);
    EXPECT_EQ(Count("glBegin"), 0u);
}

// ---- DrawLayerList ----

class PaintList : public Paint4D {
protected:
    // Layer 0: 2 x 2 points at y = 0; layer 1: 3 x 2 points at y = 1; x = column, z = row.
    void MakeList(const TArrXZInteger& Sizes = {{2, 2}, {3, 2}}) {
        ASSERT_TRUE(chart.SetSizeNx4D(Sizes));
        size_t p = 0;
        for (size_t l = 0; l < Sizes.size(); ++l)
            for (int r = 0; r < Sizes[l].Z; ++r)
                for (int c = 0; c < Sizes[l].X; ++c, ++p) {
                    float* q = chart.Data().data() + 4 * p;
                    q[0] = float(c), q[1] = float(l), q[2] = float(r), q[3] = float(c + r);
                }
        chart.UpdateRanges();
        rec.ClearLog();
    }
};

TEST_F(PaintList, TranslucentListWithDepthAndHighlightPasses) {
    MakeList();
    chart.SetTransparency(5);
    chart.SetShiny(true);
    DrawLayerList(chart, frame);
    EXPECT_EQ(StateCalls(),
              Joined({TranslucentStart(28),
                      {"strips", "glColor4ub(255, 255, 255, 26)", "strips", "glDepthMask(1)",
                       "glDisable(GL_BLEND)", "glDisable(GL_TEXTURE_1D)", "glEnable(GL_BLEND)",
                       "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)", "glDepthMask(1)",
                       "glDepthFunc(GL_LESS)", "glColor4ub(255, 255, 255, 0)", "strips"},
                      HighlightPass()}));
    EXPECT_THAT(LayerSequence(), ElementsAre("Y0", "Y1", "Y0", "Y1", "Y0", "Y1"));
    // The reverse pass: layer 1 first, from its last column, the upper row first.
    const auto v = rec.Calls("glVertex3fv");
    EXPECT_EQ(v.at(4 + 6).Args, (std::vector<double>{2, 1, 1}));
    EXPECT_EQ(v.at(4 + 6 + 1).Args, (std::vector<double>{2, 1, 0}));
    EXPECT_EQ(Count("glTexCoord1fv"), 2 * 10u);
}

TEST_F(PaintList, OpaqueListHasNoDepthPass) {
    MakeList();
    DrawLayerList(chart, frame);
    EXPECT_EQ(Count("glColor4ub"), 1u);
    EXPECT_EQ(rec.Calls("glColor4ub")[0].Text(), "glColor4ub(0, 0, 0, 255)");
    EXPECT_EQ(LayerSequence().size(), 2 * 2u);
}

TEST_F(PaintList, NormalsColoursAndBrokenLayers) {
    MakeList({{2, 2}, {0, 3}, {3, 2}});
    EXPECT_EQ(ListNormal(chart, 2, 1, 0), (TNormal16{0, 32000, 0}));
    EXPECT_EQ(ListNormal(chart, 1, 0, 0), (TNormal16{1, 1, 1}));
    chart.SetShiny(false);
    DrawLayerList(chart, frame);
    EXPECT_THAT(LayerSequence(), ElementsAre("Y0", "Y2"));
    const auto tex = rec.Calls("glTexCoord1fv");
    EXPECT_FLOAT_EQ(float(tex.at(0).Args[0]), float(253.0 / 65536));

    // Points the data do not hold are not read.
    chart.Data().resize(4 * 5);
    rec.ClearLog();
    DrawLayerList(chart, frame);
    EXPECT_THAT(LayerSequence(), ElementsAre("Y0"));
}

// A long list turns with every k-th layer (the last kept) at every k-th row and column, in every
// pass; a still view draws all.
TEST_F(PaintList, TurningThinsTheListAndItsLayers) {
    MakeList(TArrXZInteger(40, {9, 9}));
    chart.SetTransparency(5);
    // The passes' layers as LayerSequence shows them: forward, reverse, depth, highlight.
    const auto passes = [](int Step) {
        std::vector<std::string> out;
        std::vector<std::string> layers;
        for (const int l : GridLine(40, Step))
            layers.push_back("Y" + std::to_string(l));
        const std::vector<std::string> reversed(layers.rbegin(), layers.rend());
        for (const std::string& id : Joined({layers, reversed, layers, layers}))
            if (out.empty() || out.back() != id)
                out.push_back(id);
        return out;
    };
    DrawLayerList(chart, frame);
    EXPECT_EQ(LayerSequence(), passes(1));
    EXPECT_EQ(Count("glTexCoord1fv"), 2 * 40 * (2 * 9 * 8u));

    frame.TurningView = {40, 40};
    const TLayerDensity d = TurningDensity(TArrXZInteger(40, {9, 9}), frame.TurningView, 1);
    ASSERT_GT(d.LayerStep, 1);
    ASSERT_GT(d.PointStep, 1);
    ASSERT_EQ(GridLine(40, d.LayerStep).back(), 39);
    rec.ClearLog();
    DrawLayerList(chart, frame);
    EXPECT_EQ(LayerSequence(), passes(d.LayerStep));
    const size_t lines = GridLine(9, d.PointStep).size();
    EXPECT_EQ(Count("glTexCoord1fv"),
              2 * GridLine(40, d.LayerStep).size() * (2 * lines * (lines - 1)));
}

TEST_F(PaintList, PictureSpansTheStoredPoints) {
    MakeList();
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    chart.SetColorBitmap(picture);
    chart.SetColorBitmapApply(true);
    chart.SetShiny(false);
    rec.ClearLog();
    DrawLayerList(chart, frame);
    const auto tex = rec.Calls("glTexCoord2fv");
    ASSERT_EQ(tex.size(), 10u);
    EXPECT_EQ(tex[0].Args, (std::vector<double>{0, 0}));
    EXPECT_EQ(tex.back().Args, (std::vector<double>{1, 1}));
    EXPECT_EQ(rec.Calls("glDisable").back().Args.at(0), GL_TEXTURE_2D);
}

// A box-relative frame gives the layer painters' positions too in box units around the centre.
TEST_F(PaintList, BoxRelativeLayersGoOutInBoxUnits) {
    TQor3DChart list;
    ASSERT_TRUE(list.SetSizeNx4D({{2, 2}}));
    for (int p = 0; p < 4; ++p) {
        float* q = list.Data().data() + 4 * p;
        q[0] = float(1e7 + 2 * (p % 2)), q[1] = 3, q[2] = float(p / 2), q[3] = 1;
    }
    list.UpdateRanges();
    list.SetShiny(false);
    TQorSceneFrame far;
    far.BoxRelative = true;
    far.RX = 2;
    far.Centre = {1e7 + 1, 3, 0.5};
    rec.ClearLog();
    DrawLayerList(list, far);
    const auto v = rec.Calls("glVertex3fv");
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].Args, (std::vector<double>{-0.5, 0, -0.5}));
    EXPECT_EQ(v[3].Args, (std::vector<double>{0.5, 0, 0.5}));
    EXPECT_EQ(Count("glNormal3fv"), 4u);
}

// ---- Cross-section plane ----

class CrossSection : public Paint4D {
protected:
    void SetUp() override {
        Paint4D::SetUp();
        chart.AxisX().Layout.DisplayMin = 1, chart.AxisX().Layout.DisplayMax = 3;
        chart.AxisY().Layout.DisplayMin = 5, chart.AxisY().Layout.DisplayMax = 6;
        chart.AxisZ().Layout.DisplayMin = 10, chart.AxisZ().Layout.DisplayMax = 12;
    }
    // The plane's own z of a scene point: the recorded transforms undone one after the other.
    double PlaneZ(std::array<double, 3> p) const {
        for (const TGLCall& c : rec.Log()) {
            const auto& a = c.Args;
            if (c.Name == "glTranslated") {
                for (size_t i = 0; i < 3; ++i)
                    p[i] -= a[i];
            } else if (c.Name == "glRotated") {
                const double len = std::sqrt(a[1] * a[1] + a[2] * a[2] + a[3] * a[3]);
                const std::array<double, 3> k = {a[1] / len, a[2] / len, a[3] / len};
                const double t = -a[0] * M_PI / 180, cs = std::cos(t), sn = std::sin(t);
                const double dot = k[0] * p[0] + k[1] * p[1] + k[2] * p[2];
                const std::array<double, 3> cr = {k[1] * p[2] - k[2] * p[1],
                                                  k[2] * p[0] - k[0] * p[2],
                                                  k[0] * p[1] - k[1] * p[0]};
                for (size_t i = 0; i < 3; ++i)
                    p[i] = p[i] * cs + cr[i] * sn + k[i] * dot * (1 - cs);
            }
        }
        return p[2];
    }
    struct TCase {
        int Cut;
        double Offset;
        std::vector<std::array<double, 3>> On;
        std::array<double, 3> Kept;
        std::array<double, 3> Cut_;
        // The diagonal cuts turn by an angle taken in float.
        double Tolerance = 1e-6;
    };
};

// Each cut's plane through the points On, keeping Kept and cutting Cut_; the offset moves it.
TEST_F(CrossSection, PlaneCallsAndCuts) {
    const std::vector<TCase> cases = {
        {0, 0, {{2, 6.0001, 11}, {1, 6.0001, 12}}, {2, 6, 11}, {2, 6.0002, 11}},
        {1, 0, {{1, 5, 10}, {3, 6, 10}, {3, 6, 12}, {1, 5, 12}}, {3, 5, 11}, {1, 6, 11}},
        {2, 0, {{1, 5, 10}, {1, 6, 12}, {3, 6, 12}}, {2, 5, 12}, {2, 6, 10}},
        {3, 0, {{3, 5, 10}, {1, 6, 10}, {1, 6, 12}}, {1, 5, 11}, {3, 6, 11}},
        {4, 0, {{1, 5, 12}, {1, 6, 10}, {3, 6, 10}}, {2, 5, 10}, {2, 6, 12}},
        {5, 0, {{1, 5, 10}, {3, 6, 12}, {2, 5, 9}}, {3, 5, 12}, {1, 6, 10}},
        {6, 0, {{3, 5, 10}, {1, 6, 12}}, {1, 5, 12}, {3, 6, 10}},
        {7, 0, {{1, 5, 12}, {3, 6, 10}}, {3, 5, 10}, {1, 6, 12}},
        {8, 0, {{3, 5, 12}, {1, 6, 10}}, {1, 5, 10}, {3, 6, 12}},
        {0, -0.5, {{2, 5.5001, 11}}, {2, 5.49, 11}, {2, 5.51, 11}, 1e-9},
        {1, 0.5, {{1, 5.5, 10}, {3, 6.5, 12}}, {3, 5.5, 11}, {1, 6.5, 11}, 1e-9},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "cut " << c.Cut << " offset " << c.Offset);
        rec.ClearLog();
        chart.SetDim4CrossSection(c.Cut);
        chart.SetDim4CrossSectionOffset(c.Offset);
        SetCrossSectionPlane(chart, frame);
        const auto names = rec.Names();
        ASSERT_GE(names.size(), 4u);
        EXPECT_EQ(names.front(), "glPushMatrix");
        EXPECT_EQ(names.back(), "glPopMatrix");
        EXPECT_EQ(rec.Calls("glClipPlane").at(0).Text(),
                  "glClipPlane(GL_CLIP_PLANE3, 0, 0, -1, 0)");
        EXPECT_EQ(rec.Calls("glEnable").at(0).Text(), "glEnable(GL_CLIP_PLANE3)");
        for (const auto& p : c.On)
            EXPECT_NEAR(PlaneZ(p), 0, c.Tolerance) << p[0] << " " << p[1];
        EXPECT_LT(PlaneZ(c.Kept), 0);
        EXPECT_GT(PlaneZ(c.Cut_), 0);
    }
}

} // namespace
