#include "Qor3DChartTestSupport.h"
#include "QorChangeCount.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Heights with curvature, so that linear and kernel values differ.
double Bowl(double x, double z) {
    return x * x + 3 * z * z + x * z;
}

double V(int a, int b) {
    return Bowl(a, b);
}

struct ChartDensity : ::testing::TestWithParam<bool> {
    TLimitedChart chart;
    void SetUp() override { chart.SetUseLowMemory(GetParam()); }
    void FillBowl(int nx, int nz) { Fill3D(chart, nx, nz, Identity, Identity, Bowl); }
    float X(int i) const {
        return chart.LowMemoryLayout() ? chart.XValues()[size_t(i)] : chart.Data()[3 * size_t(i)];
    }
    float Z(int i, int k) const {
        return chart.LowMemoryLayout() ? chart.ZValues()[size_t(k)]
                                       : chart.Data()[3 * size_t(i + chart.NX() * k) + 2];
    }
};

} // namespace

TEST_P(ChartDensity, ThreeByThreeBecomesFiveByFive) {
    FillBowl(3, 3);
    EXPECT_TRUE(chart.IncreaseDensity(10, -1));
    ASSERT_EQ(chart.NX(), 5);
    ASSERT_EQ(chart.NZ(), 5);
    for (int k = 0; k < 5; k += 2)
        for (int i = 0; i < 5; i += 2)
            EXPECT_FLOAT_EQ(Height(chart, i, k), V(i / 2, k / 2));
    EXPECT_FLOAT_EQ(Height(chart, 1, 0), (V(0, 0) + V(1, 0)) / 2);
    EXPECT_FLOAT_EQ(Height(chart, 4, 3), (V(2, 1) + V(2, 2)) / 2);
    EXPECT_FLOAT_EQ(Height(chart, 2, 1), (V(1, 0) + V(1, 1)) / 2);
    EXPECT_FLOAT_EQ(Height(chart, 3, 3), (V(1, 1) + V(2, 1) + V(1, 2) + V(2, 2)) / 4);
    EXPECT_FLOAT_EQ(X(3), 1.5f);
    EXPECT_FLOAT_EQ(Z(4, 1), 0.5f);
    EXPECT_EQ(chart.AxisY().Maximum(), V(2, 2));
    EXPECT_EQ(chart.Normals().size(), GetParam() ? 0u : 75u);
}

TEST_P(ChartDensity, TwoByTwoAndSingleColumn) {
    FillBowl(2, 2);
    chart.IncreaseDensity(10, -1);
    ASSERT_EQ(chart.NX(), 3);
    EXPECT_FLOAT_EQ(Height(chart, 1, 1), (V(0, 0) + V(1, 0) + V(0, 1) + V(1, 1)) / 4);
    EXPECT_FLOAT_EQ(Height(chart, 0, 1), (V(0, 0) + V(0, 1)) / 2);
    FillBowl(1, 3);
    chart.IncreaseDensity(10, -1);
    EXPECT_EQ(chart.NX(), 1);
    EXPECT_EQ(chart.NZ(), 5);
    EXPECT_FLOAT_EQ(Height(chart, 0, 3), (V(0, 1) + V(0, 2)) / 2);
}

TEST_P(ChartDensity, InteriorUsesTheFourPointKernel) {
    FillBowl(5, 5);
    chart.IncreaseDensity(10, -1);
    ASSERT_EQ(chart.NX(), 9);
    EXPECT_NEAR(Height(chart, 3, 4), (10 * (V(1, 2) + V(2, 2)) - (V(0, 2) + V(3, 2))) / 18, 1e-5);
    EXPECT_NEAR(Height(chart, 4, 5), (10 * (V(2, 2) + V(2, 3)) - (V(2, 1) + V(2, 4))) / 18, 1e-5);
    const double corners = V(0, 0) + V(3, 0) + V(0, 3) + V(3, 3);
    const double nearby = V(1, 1) + V(2, 1) + V(1, 2) + V(2, 2);
    EXPECT_NEAR(Height(chart, 3, 3), (10 * nearby - corners) / 36, 1e-5);
    // Second ring and outer ring stay linear.
    EXPECT_FLOAT_EQ(Height(chart, 1, 4), (V(0, 2) + V(1, 2)) / 2);
    EXPECT_FLOAT_EQ(Height(chart, 3, 7), (V(1, 3) + V(2, 3) + V(1, 4) + V(2, 4)) / 4);
    EXPECT_FLOAT_EQ(Height(chart, 3, 8), (V(1, 4) + V(2, 4)) / 2);

    FillBowl(5, 5);
    chart.IncreaseDensity(1, 0);
    EXPECT_FLOAT_EQ(Height(chart, 3, 4), (V(1, 2) + V(2, 2)) / 2);

    // Weights that sum to zero would divide by zero: the grid is left as it is.
    FillBowl(5, 5);
    EXPECT_FALSE(chart.IncreaseDensity(1, -1));
    EXPECT_FLOAT_EQ(Height(chart, 3, 4), V(3, 4));
    EXPECT_EQ(chart.NX(), 5);
}

TEST_P(ChartDensity, AlongXOnly) {
    FillBowl(4, 2);
    chart.IncreaseDensityX(10, -1);
    ASSERT_EQ(chart.NX(), 7);
    ASSERT_EQ(chart.NZ(), 2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_FLOAT_EQ(Height(chart, 0, k), V(0, k));
        EXPECT_FLOAT_EQ(Height(chart, 1, k), (V(0, k) + V(1, k)) / 2);
        EXPECT_NEAR(Height(chart, 3, k), (10 * (V(1, k) + V(2, k)) - (V(0, k) + V(3, k))) / 18,
                    1e-5);
        EXPECT_FLOAT_EQ(Height(chart, 5, k), (V(2, k) + V(3, k)) / 2);
        EXPECT_FLOAT_EQ(Height(chart, 6, k), V(3, k));
        EXPECT_FLOAT_EQ(Z(5, k), float(k));
    }
    chart.DecreaseDensityX();
    EXPECT_EQ(chart.NX(), 4);
    EXPECT_FLOAT_EQ(Height(chart, 3, 1), V(3, 1));
}

TEST_P(ChartDensity, DecreaseKeepsEvenColumnsAndRows) {
    FillBowl(5, 4);
    chart.DecreaseDensity();
    ASSERT_EQ(chart.NX(), 3);
    ASSERT_EQ(chart.NZ(), 2);
    EXPECT_EQ(chart.Data().size(), GetParam() ? 6u : 18u);
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(Height(chart, i, k), V(2 * i, 2 * k));
            EXPECT_FLOAT_EQ(X(i), float(2 * i));
            EXPECT_FLOAT_EQ(Z(i, k), float(2 * k));
        }
}

TEST_P(ChartDensity, IncreaseThenDecreaseRestoresTheGrid) {
    Fill3D(
        chart, 6, 5, [](int i) { return 0.1 * i * i; }, [](int k) { return -3.0 * k; },
        [](double x, double z) { return std::sin(x) * z; });
    const TArrGLfloat data = chart.Data(), xs = chart.XValues(), zs = chart.ZValues();
    chart.IncreaseDensity(10, -1);
    chart.DecreaseDensity();
    EXPECT_EQ(chart.NX(), 6);
    EXPECT_EQ(chart.NZ(), 5);
    EXPECT_EQ(chart.Data(), data);
    EXPECT_EQ(chart.XValues(), xs);
    EXPECT_EQ(chart.ZValues(), zs);
}

TEST_P(ChartDensity, TooLargeAGridEndsWithNoData) {
    FillBowl(40, 40);
    chart.UpdateRanges();
    const double maxY = chart.AxisY().Maximum();
    chart.Limit = GetParam() ? 20000 : 60000; // holds the grid, not its doubled copy
    int changes = 0;
    chart.OnChange = CountInto(changes);
    EXPECT_FALSE(chart.IncreaseDensity(10, -1));
    EXPECT_EQ(chart.NX(), 0);
    EXPECT_EQ(chart.NZ(), 0);
    EXPECT_TRUE(chart.Data().empty());
    EXPECT_TRUE(chart.Normals().empty());
    EXPECT_EQ(chart.AxisY().Maximum(), maxY);
    EXPECT_EQ(chart.UpdateCount(), 0);
    EXPECT_TRUE(chart.DecreaseDensity()); // nothing left to resample
}

TEST_P(ChartDensity, OtherKindsAreLeftAlone) {
    ASSERT_TRUE(chart.SetSize4D(3, 3, 3));
    const TArrGLfloat before = chart.Data();
    int changes = 0;
    chart.OnChange = CountInto(changes);
    EXPECT_TRUE(chart.IncreaseDensity(10, -1));
    EXPECT_TRUE(chart.DecreaseDensityX());
    EXPECT_EQ(chart.NX(), 3);
    EXPECT_EQ(chart.Data(), before);
    EXPECT_EQ(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ChartDensity, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LowMemory" : "Full"; });
