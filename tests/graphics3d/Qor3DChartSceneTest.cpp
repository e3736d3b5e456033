#include "Qor3DChartScene.h"

#include "Qor3DChart.h"
#include "Qor3DSceneSamples.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

void SetFixed(TQorChartAxis3D& a, double min, double max) {
    a.SetAutoMin(false);
    a.SetAutoMax(false);
    a.SetMinimum(min);
    a.SetMaximum(max);
}

class SceneFrame : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixed(chart.AxisX(), 0, 10);
        SetFixed(chart.AxisY(), 0, 1);
        SetFixed(chart.AxisZ(), 0, 2);
        chart.SetHeightY(0.7);
    }
    TQorSceneFrame Frame() {
        SetDisplayedRanges(chart);
        return ComputeSceneFrame(chart);
    }
    TQor3DChart chart;
};

TEST_F(SceneFrame, WithoutAspectTheBoxIsOneByOneByHeightY) {
    chart.SetKeepAspectXZ(false);
    chart.SetKeepAspectXY(false);
    const TQorSceneFrame f = Frame();
    EXPECT_DOUBLE_EQ(10 / f.RX, 1);
    EXPECT_DOUBLE_EQ(2 / f.RZ, 1);
    EXPECT_DOUBLE_EQ(1 / f.RY, 0.7);
}

TEST_F(SceneFrame, KeepAspectXZ) {
    chart.SetKeepAspectXZ(true);
    const TQorSceneFrame f = Frame();
    EXPECT_DOUBLE_EQ(f.RX, 10);
    EXPECT_DOUBLE_EQ(f.RZ, 10);
    EXPECT_DOUBLE_EQ(2 / f.RZ, 0.2);
}

TEST_F(SceneFrame, KeepAspectXYWithAndWithoutXZ) {
    SetFixed(chart.AxisY(), 0, 20);
    chart.SetKeepAspectXY(true);
    chart.SetKeepAspectXZ(true);
    TQorSceneFrame f = Frame();
    EXPECT_DOUBLE_EQ(f.RX, 20);
    EXPECT_DOUBLE_EQ(f.RY, 20);
    EXPECT_DOUBLE_EQ(f.RZ, 20);
    chart.SetKeepAspectXZ(false);
    f = Frame();
    EXPECT_DOUBLE_EQ(f.RX, 20);
    EXPECT_DOUBLE_EQ(f.RY, 20);
    EXPECT_DOUBLE_EQ(f.RZ, 2);
}

TEST_F(SceneFrame, AspectIsIgnoredBetweenLinearAndLogarithmicAxes) {
    SetFixed(chart.AxisY(), 1, 100);
    chart.AxisY().SetLogarithmic(true);
    chart.SetKeepAspectXY(true);
    chart.SetKeepAspectXZ(false);
    const TQorSceneFrame f = Frame();
    EXPECT_DOUBLE_EQ(f.RX, 10);
    EXPECT_DOUBLE_EQ(f.RY, 2 / 0.7);
}

TEST_F(SceneFrame, RawVerticesOnlyOffForSolidLowMemorySurfaces) {
    MakeWaveSurface(chart, 5, true);
    EXPECT_FALSE(Frame().RawVertices);
    chart.SetWired(true);
    EXPECT_TRUE(Frame().RawVertices);
    TQor3DChart full;
    MakeWaveSurface(full, 5, false);
    SetDisplayedRanges(full);
    EXPECT_TRUE(ComputeSceneFrame(full).RawVertices);
    TQor3DChart volume;
    MakeVolume(volume, dk4D, 3);
    SetDisplayedRanges(volume);
    EXPECT_TRUE(ComputeSceneFrame(volume).RawVertices);
}

TEST(DisplayedRanges, SwappedAndLogarithmic) {
    TQor3DChart chart;
    SetFixed(chart.AxisX(), 10, 0);
    SetFixed(chart.AxisY(), 1000, 1);
    chart.AxisY().SetLogarithmic(true);
    SetDisplayedRanges(chart);
    EXPECT_DOUBLE_EQ(chart.AxisX().DisplayMin, 0);
    EXPECT_DOUBLE_EQ(chart.AxisX().DisplayMax, 10);
    EXPECT_DOUBLE_EQ(chart.AxisY().DisplayMin, 0);
    EXPECT_DOUBLE_EQ(chart.AxisY().DisplayMax, 3);
}

TEST(Drawable, NeedsDataNormalsAndRanges) {
    TQor3DChart chart;
    SetDisplayedRanges(chart);
    EXPECT_FALSE(ChartDrawable(chart)) << "no data";
    MakeWaveSurface(chart, 5, false);
    SetDisplayedRanges(chart);
    EXPECT_TRUE(ChartDrawable(chart));

    TQor3DChart noNormals;
    ASSERT_TRUE(noNormals.SetSize3D(3, 3));
    noNormals.UpdateRanges();
    SetFixed(noNormals.AxisY(), 0, 1);
    SetDisplayedRanges(noNormals);
    EXPECT_FALSE(ChartDrawable(noNormals)) << "full 3D layout without normals";

    TQor3DChart volume;
    MakeVolume(volume, dk4D, 3);
    SetDisplayedRanges(volume);
    EXPECT_TRUE(ChartDrawable(volume)) << "4D kinds need no normals";
}

TEST(Drawable, DegenerateRangesSuppressTheChart) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 5, false);
    SetFixed(chart.AxisZ(), 4, 4);
    SetDisplayedRanges(chart);
    EXPECT_FALSE(ChartDrawable(chart));
    SetFixed(chart.AxisZ(), 0, 1e-21);
    SetDisplayedRanges(chart);
    EXPECT_FALSE(ChartDrawable(chart));
    SetFixed(chart.AxisZ(), 0, 1e-19);
    SetDisplayedRanges(chart);
    EXPECT_TRUE(ChartDrawable(chart));
}

TEST(Drawable, LogarithmicAxisNeedsPositiveEnds) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 5, false);
    SetFixed(chart.AxisX(), 0, 10);
    chart.AxisX().SetLogarithmic(true);
    SetDisplayedRanges(chart);
    EXPECT_FALSE(ChartDrawable(chart));
    SetFixed(chart.AxisX(), 1, 10);
    SetDisplayedRanges(chart);
    EXPECT_TRUE(ChartDrawable(chart));
}

TEST(Drawable, NonPositiveHeightYDrawsNothing) {
    TQor3DChart chart;
    MakeWaveSurface(chart, 5, false);
    chart.SetHeightY(0);
    SetDisplayedRanges(chart);
    EXPECT_FALSE(ChartDrawable(chart));
}

} // namespace
