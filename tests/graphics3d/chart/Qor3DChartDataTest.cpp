#include "Qor3DChartTestSupport.h"
#include "QorChangeCount.h"
#include "chart/Qor3DChartSizing.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct ChartData : ::testing::Test {
    TLimitedChart chart;
    int changes = 0;
    void SetUp() override { chart.OnChange = CountInto(changes); }
    void ExpectRange(const TQorChartAxis3D& axis, double lo, double hi) {
        EXPECT_DOUBLE_EQ(axis.Minimum(), lo);
        EXPECT_DOUBLE_EQ(axis.Maximum(), hi);
    }
    // The ranges of X, Y and Z, least and greatest of each.
    void ExpectRanges(std::array<double, 6> r) {
        ExpectRange(chart.AxisX(), r[0], r[1]);
        ExpectRange(chart.AxisY(), r[2], r[3]);
        ExpectRange(chart.AxisZ(), r[4], r[5]);
    }
    // The stored normal of point p.
    std::vector<int16_t> NormalAt(size_t p) const {
        return {chart.Normals().begin() + long(3 * p), chart.Normals().begin() + long(3 * p + 3)};
    }
    // A dk4D grid with x in 0..nx-1, y = 2j, z = 3k and v = i + j + k.
    void Fill4D(int nx, int ny, int nz) {
        ::Fill4D(
            chart, nx, ny, nz, Identity, [](int j) { return 2.0 * j; },
            [](int k) { return 3.0 * k; }, [](int i, int j, int k) { return float(i + j + k); });
    }
};

} // namespace

TEST_F(ChartData, CreationState) {
    EXPECT_EQ(chart.DataKind(), dk3D);
    EXPECT_EQ(chart.NX() + chart.NY() + chart.NZ(), 0);
    EXPECT_TRUE(chart.Data().empty());
    EXPECT_EQ(chart.ValueMin(), 0);
    EXPECT_EQ(chart.ValueMax(), 100);
    EXPECT_FALSE(chart.UseLowMemory());
    EXPECT_EQ(chart.Dim4Direction(), 1);
}

TEST_F(ChartData, SizingLengthsPerKindAndLayout) {
    ASSERT_TRUE(chart.SetSize3D(4, 5));
    EXPECT_EQ(chart.Data().size(), 60u);
    EXPECT_TRUE(chart.XValues().empty());
    EXPECT_EQ(chart.NY(), 0);
    chart.SetUseLowMemory(true);
    EXPECT_FALSE(chart.LowMemoryLayout()); // held data keep their layout
    ASSERT_TRUE(chart.SetSize3D(4, 5));
    EXPECT_TRUE(chart.LowMemoryLayout());
    EXPECT_EQ(chart.Data().size(), 20u);
    EXPECT_EQ(chart.XValues().size(), 4u);
    EXPECT_TRUE(chart.YValues().empty());
    EXPECT_EQ(chart.ZValues().size(), 5u);

    ASSERT_TRUE(chart.SetSize4D(2, 3, 4));
    EXPECT_EQ(chart.DataKind(), dk4D);
    EXPECT_EQ(chart.Data().size(), 24u);
    EXPECT_EQ(chart.YValues().size(), 3u);
    chart.SetUseLowMemory(false);
    ASSERT_TRUE(chart.SetSize4DSurface(2, 3, 4));
    EXPECT_EQ(chart.DataKind(), dk4DSurface);
    EXPECT_EQ(TQor3DChart::FacePointCount(2, 3, 4), 52);
    int face = 1;
    for (const int start : {0, 6, 12, 24, 36, 44})
        EXPECT_EQ(TQor3DChart::FaceStart(face++, 2, 3, 4), start) << face - 1;
    EXPECT_EQ(chart.Data().size(), 4u * 52);
    EXPECT_TRUE(chart.XValues().empty());

    ASSERT_TRUE(chart.SetSizeNx4D({{2, 3}, {4, 1}}));
    EXPECT_EQ(chart.DataKind(), dkNx4D);
    EXPECT_EQ(chart.Data().size(), 40u);
    EXPECT_EQ(chart.NX() + chart.NY() + chart.NZ(), 0);
    EXPECT_EQ(chart.LayerStart(1), 6);
    EXPECT_EQ(chart.GetLayerSize(1), (TXZInteger{4, 1}));
    EXPECT_EQ(chart.GetLayerSize(2), (TXZInteger{0, 0}));
    EXPECT_EQ(chart.GetLayerSize(-1), (TXZInteger{0, 0}));
}

TEST_F(ChartData, EmptyNx4DClearsEverything) {
    ASSERT_TRUE(chart.SetSizeNx4D({{2, 2}}));
    ASSERT_TRUE(chart.SetSizeNx4D({}));
    EXPECT_EQ(chart.DataKind(), dkNx4D);
    EXPECT_TRUE(chart.Data().empty());
    EXPECT_TRUE(chart.Layers().empty());
    EXPECT_EQ(chart.GetLayerSize(0), (TXZInteger{0, 0}));
    ASSERT_TRUE(chart.SetSize3D(2, 2));
    EXPECT_EQ(chart.GetLayerSize(0), (TXZInteger{0, 0})); // other kinds have no layers
}

TEST_F(ChartData, BadSizesFailAndLeaveNoData) {
    ASSERT_TRUE(chart.SetSize3D(3, 3));
    EXPECT_FALSE(chart.SetSize3D(-1, 5));
    EXPECT_EQ(chart.NX(), 0);
    EXPECT_TRUE(chart.Data().empty());
    EXPECT_FALSE(chart.SetSize4D(2000000000, 2000000000, 2000000000)); // overflows 64 bits
    EXPECT_FALSE(chart.SetSize4DSurface(2147483647, 2147483647, 2147483647));
    EXPECT_FALSE(chart.SetSize3D(100000, 100000)); // beyond physical memory on any desktop
    EXPECT_FALSE(chart.SetSizeNx4D({{2, 2}, {-1, 3}}));
    EXPECT_TRUE(chart.Layers().empty());
    EXPECT_FALSE(chart.SetSizeNx4D(
        {{2000000000, 2000000000}, {2000000000, 2000000000}, {2000000000, 2000000000}}));
    chart.Limit = 1000;
    EXPECT_FALSE(chart.SetSize3D(10, 10));
    EXPECT_TRUE(chart.SetSize3D(5, 5));
    EXPECT_EQ(chart.NX() * chart.NZ(), 25);
}

TEST(QorSizing, CheckedArithmetic) {
    EXPECT_EQ(QorSizing::Product({3, 4, 5}), 60);
    EXPECT_FALSE(QorSizing::Product({-1, 4}));
    EXPECT_FALSE(QorSizing::Product({int64_t(1) << 40, int64_t(1) << 30}));
    EXPECT_EQ(QorSizing::Sum({1, 2}), 3);
    EXPECT_FALSE(QorSizing::Sum({INT64_MAX, 1}));
    EXPECT_TRUE(QorSizing::FitsInMemory(10, 4, 40));
    EXPECT_FALSE(QorSizing::FitsInMemory(11, 4, 40));
    EXPECT_GT(QorSizing::PhysicalMemory(), 1u << 20);
    EXPECT_FALSE(QorSizing::IsGridCount(int64_t(1) << 31));
}

TEST_F(ChartData, SetDataKindClampsAndNotifies) {
    chart.SetDataKind(7);
    EXPECT_EQ(chart.DataKind(), dk4DSurface);
    EXPECT_EQ(changes, 1);
    chart.SetDataKind(3);
    EXPECT_EQ(changes, 1);
    chart.SetDataKind(-2);
    EXPECT_EQ(chart.DataKind(), dk3D);
}

TEST_F(ChartData, Ranges3DInBothLayouts) {
    for (bool low : {false, true}) {
        chart.SetUseLowMemory(low);
        Fill3D(
            chart, 4, 3, [](int i) { return 10 - i; }, [](int k) { return 2 * k; },
            [](double x, double z) { return x + z; });
        chart.UpdateRanges();
        ExpectRanges({7, 10, 7, 14, 0, 4});
        EXPECT_EQ(chart.ValueMax(), 100); // the value range is for 4D data only
    }
}

TEST_F(ChartData, DegenerateRangesGrowByOne) {
    Fill3D(chart, 1, 1, Identity, Identity, [](double, double) { return 5; });
    chart.UpdateRanges();
    ExpectRanges({0, 1, 5, 6, 0, 1});
    chart.UpdateNormals();
    EXPECT_EQ(chart.Normals(), (TArrGLshort{1, 1, 1}));
}

TEST_F(ChartData, RangesRespectAutoFlagsAndEmptyData) {
    chart.AxisX().SetAutoMin(false);
    chart.AxisX().SetMinimum(-50);
    chart.AxisY().SetMaximum(42);
    chart.UpdateRanges(); // no data: nothing moves
    ExpectRange(chart.AxisY(), 0, 42);
    Fill3D(chart, 3, 3, Identity, Identity, [](double x, double) { return x; });
    chart.UpdateRanges();
    ExpectRange(chart.AxisX(), -50, 2);
    chart.SetAllAutoRanges();
    chart.UpdateRanges();
    ExpectRange(chart.AxisX(), 0, 2);
}

TEST_F(ChartData, RangeChangesGiveOneNotification) {
    Fill3D(chart, 3, 3, Identity, Identity, [](double x, double z) { return x * z; });
    changes = 0;
    chart.UpdateRanges();
    EXPECT_EQ(changes, 1);
    chart.UpdateRanges();
    EXPECT_EQ(changes, 1);
}

TEST_F(ChartData, Ranges4DStretchByDirection) {
    for (bool low : {false, true}) {
        chart.SetUseLowMemory(low);
        Fill4D(3, 6, 2); // x 0..2, y 0..10, z 0..3, v 0..8
        chart.SetDim4Height(0.5);
        chart.UpdateRanges();
        ExpectRanges({0, 2, 0, 15, 0, 3});
        EXPECT_EQ(chart.ValueMin(), 0);
        EXPECT_EQ(chart.ValueMax(), 8);
        chart.SetDim4Direction(6); // recomputes the ranges itself
        ExpectRanges({0, 3, 0, 15, 0, 4.5});
        chart.SetDim4Direction(4);
        ExpectRange(chart.AxisY(), 0, 10);
        chart.SetDim4Direction(9);
        EXPECT_EQ(chart.Dim4Direction(), 6);
        chart.SetDim4Direction(1);
        chart.SetDim4Height(0);
    }
}

TEST_F(ChartData, RangesNx4DAndSurface) {
    ASSERT_TRUE(chart.SetSizeNx4D({{1, 1}, {2, 1}}));
    const float pts[] = {1, 2, 3, 7, -1, 5, 3, 7, 4, 2, 3, 7};
    std::copy(std::begin(pts), std::end(pts), chart.Data().begin());
    chart.SetDim4Height(1); // not applied to layered data
    chart.UpdateRanges();
    ExpectRanges({-1, 4, 2, 5, 3, 4}); // degenerate
    EXPECT_EQ(chart.ValueMin(), 7);
    EXPECT_EQ(chart.ValueMax(), 8);

    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize4DSurface(2, 2, 2));
    for (size_t p = 0; p < chart.Data().size(); ++p)
        chart.Data()[p] = float(p);
    chart.XValues() = {0, 1};
    chart.YValues() = {0, 4};
    chart.ZValues() = {5, 6};
    chart.UpdateRanges();
    ExpectRange(chart.AxisY(), 0, 8); // Dim4Height 1 along Y
    EXPECT_EQ(chart.ValueMax(), 23);

    chart.SetUseLowMemory(false);
    ASSERT_TRUE(chart.SetSize4DSurface(1, 1, 2)); // 2 * (1 * 3 + 2) = 10 face points
    ASSERT_EQ(chart.Data().size(), 40u);
    for (size_t p = 0; p < 10; ++p) {
        chart.Data()[4 * p] = 1;
        chart.Data()[4 * p + 1] = float(p);
        chart.Data()[4 * p + 2] = -float(p);
        chart.Data()[4 * p + 3] = float(p % 3);
    }
    chart.UpdateRanges();
    ExpectRanges({1, 2, 0, 18, -9, 0});
    EXPECT_EQ(chart.ValueMin(), 0);
    EXPECT_EQ(chart.ValueMax(), 2);
}

TEST_F(ChartData, NormalsOfFlatAndSlopedGrids) {
    // x along the columns, z along the rows: normals point up.
    Fill3D(chart, 3, 3, Identity, Identity, [](double, double) { return 2; });
    chart.UpdateNormals();
    ASSERT_EQ(chart.Normals().size(), 27u);
    for (size_t p = 0; p < 9; ++p)
        EXPECT_EQ(NormalAt(p), (std::vector<int16_t>{0, 32000, 0})) << p;
    // x falling along the columns turns the winding, and the normals point down.
    Fill3D(
        chart, 3, 3, [](int i) { return -i; }, Identity, [](double, double) { return 2; });
    chart.UpdateNormals();
    EXPECT_EQ(chart.Normals()[4 * 3 + 1], -32000);
    // A slope rising along x tilts the normal against x; 32000 / sqrt(2) truncated.
    Fill3D(chart, 4, 4, Identity, Identity, [](double x, double) { return x; });
    chart.UpdateNormals();
    for (size_t p : {0u, 5u, 15u})
        EXPECT_EQ(NormalAt(p), (std::vector<int16_t>{-22627, 22627, 0})) << p;
    // The mirror image of that slope: the winding turns, the normal is mirrored and flipped.
    Fill3D(
        chart, 4, 4, [](int i) { return -i; }, Identity, [](double x, double) { return -x; });
    chart.UpdateNormals();
    EXPECT_EQ(chart.Normals()[5 * 3 + 0], -22627);
    EXPECT_EQ(chart.Normals()[5 * 3 + 1], -22627);
}

TEST_F(ChartData, NormalsOnlyForFullLayoutSurfaces) {
    chart.SetUseLowMemory(true);
    Fill3D(chart, 3, 3, Identity, Identity, [](double, double) { return 1; });
    chart.UpdateNormals();
    EXPECT_TRUE(chart.Normals().empty());
    chart.SetUseLowMemory(false);
    ASSERT_TRUE(chart.SetSize4D(2, 2, 2));
    chart.UpdateNormals();
    EXPECT_TRUE(chart.Normals().empty());
}

TEST_F(ChartData, LogarithmicYConvertsHeights) {
    Fill3D(chart, 2, 2, Identity, Identity, [](double x, double z) { return 1 + 9 * x + 90 * z; });
    chart.UpdateRanges();
    chart.AxisY().SetLogarithmic(true);
    EXPECT_FALSE(chart.AxisY().LogChangePending());
    EXPECT_FLOAT_EQ(Height(chart, 0, 0), 0);
    EXPECT_FLOAT_EQ(Height(chart, 1, 0), 1);
    EXPECT_FLOAT_EQ(Height(chart, 1, 1), 2);
    EXPECT_FLOAT_EQ(chart.Data()[0], 0); // x untouched
    EXPECT_NEAR(chart.AxisY().Minimum(), 1, 1e-5);
    EXPECT_NEAR(chart.AxisY().Maximum(), 100, 1e-4);
    chart.AxisY().SetLogarithmic(false);
    EXPECT_NEAR(Height(chart, 1, 1), 100, 1e-4);
}

TEST_F(ChartData, LogarithmicOnAndOffInOneBracketConvertsNothing) {
    Fill3D(chart, 2, 2, Identity, Identity, [](double x, double) { return 10 + x; });
    const TArrGLfloat before = chart.Data();
    chart.BeginUpdate();
    chart.AxisX().SetLogarithmic(true);
    chart.AxisY().SetLogarithmic(true);
    chart.AxisX().SetLogarithmic(false);
    chart.AxisY().SetLogarithmic(false);
    chart.EndUpdate();
    EXPECT_EQ(chart.Data(), before);
    EXPECT_FALSE(chart.AxisX().LogChangePending());
    EXPECT_FALSE(chart.AxisY().LogChangePending());
}

TEST_F(ChartData, LogarithmicLowMemoryVectorsAndBadValues) {
    chart.SetUseLowMemory(true);
    Fill3D(
        chart, 3, 2, [](int i) { return i * 10.0; }, Identity, [](double, double) { return 5; });
    chart.AxisX().SetLogarithmic(true);
    EXPECT_EQ(chart.XValues()[0], -INFINITY);
    EXPECT_FLOAT_EQ(chart.XValues()[1], 1);
    EXPECT_FLOAT_EQ(chart.XValues()[2], std::log10(20.0f));
    EXPECT_FLOAT_EQ(chart.Data()[0], 5); // heights belong to Y
    chart.AxisZ().SetLogarithmic(true);
    EXPECT_EQ(chart.ZValues()[0], -INFINITY);
    EXPECT_FLOAT_EQ(chart.ZValues()[1], 0);
}

TEST_F(ChartData, Logarithmic4DRangesAreRealAndStretchInAxisSpace) {
    ASSERT_TRUE(chart.SetSize4D(1, 2, 1));
    const float pts[] = {1, 1, 1, 0, 1, 100, 1, 5};
    std::copy(std::begin(pts), std::end(pts), chart.Data().begin());
    chart.SetDim4Height(0.5);
    chart.AxisY().SetLogarithmic(true); // y stored as 0 .. 2, stretched to 3
    EXPECT_FLOAT_EQ(chart.Data()[5], 2);
    EXPECT_FLOAT_EQ(chart.Data()[7], 5); // v is never converted
    EXPECT_NEAR(chart.AxisY().Minimum(), 1, 1e-9);
    EXPECT_NEAR(chart.AxisY().Maximum(), 1000, 1e-6);
}

TEST_F(ChartData, ClearDataKeepsKindAndValueRange) {
    Fill4D(2, 2, 2);
    chart.UpdateRanges();
    chart.ClearData();
    EXPECT_EQ(chart.DataKind(), dk4D);
    EXPECT_EQ(chart.NX() + chart.NY() + chart.NZ(), 0);
    EXPECT_TRUE(chart.Data().empty());
    EXPECT_EQ(chart.ValueMax(), 3);
}

TEST_F(ChartData, SampleSurface) {
    chart.SetUseLowMemory(true);
    chart.MakeSampleSurface(); // only in the form designer
    EXPECT_EQ(chart.NX(), 0);
    chart.SetDesigning(true);
    chart.MakeSampleSurface();
    EXPECT_TRUE(chart.UseLowMemory());
    EXPECT_FALSE(chart.LowMemoryLayout());
    ASSERT_EQ(chart.NX(), 101);
    ASSERT_EQ(chart.NZ(), 101);
    EXPECT_FLOAT_EQ(chart.Data()[0], float(-250.0 / 101 + 3));
    EXPECT_FLOAT_EQ(Height(chart, 50, 50), 3);
    EXPECT_EQ(chart.Normals().size(), 3u * 101 * 101);
    EXPECT_NEAR(chart.AxisX().Maximum(), 250.0 / 101 + 3, 1e-6);
    Fill3D(chart, 2, 2, Identity, Identity, [](double, double) { return 1; });
    chart.MakeSampleSurface(); // a held grid stays
    EXPECT_EQ(chart.NX(), 2);
}
