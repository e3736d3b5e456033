#include "render/Qor3DChartScene.h"

#include "Qor3DSceneSamples.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"

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
    EXPECT_DOUBLE_EQ(chart.AxisX().Layout.DisplayMin, 0);
    EXPECT_DOUBLE_EQ(chart.AxisX().Layout.DisplayMax, 10);
    EXPECT_DOUBLE_EQ(chart.AxisY().Layout.DisplayMin, 0);
    EXPECT_DOUBLE_EQ(chart.AxisY().Layout.DisplayMax, 3);
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

namespace {

// The scene on the recording back-end, with each hook leaving a marker in the log.
class SceneRecording : public ::testing::Test {
protected:
    void SetUp() override {
        MakeWaveSurface(chart, 5, false);
        SetFixed(chart.AxisX(), 0, 10);
        SetFixed(chart.AxisY(), 0, 1);
        SetFixed(chart.AxisZ(), 0, 2);
        chart.OnBeforePaintGL = [](TObject*, const TRect&) {
            GL().PointSize(101);
        };
        chart.OnInChartPaintGL = [](TObject*, const TRect&) {
            GL().PointSize(102);
        };
        chart.OnAfterPaintGL = [](TObject*, const TRect&) {
            GL().PointSize(103);
        };
    }
    std::vector<TGLCall> Paint() { return RecordChartPaint(chart, rec); }
    static long Marker(const std::vector<TGLCall>& log, double m) {
        return FindCall(log, "glPointSize", {m});
    }

    TGLRecordingPlatform rec;
    TQor3DChart chart;
};

TEST_F(SceneRecording, ClipPlanesAreTranslatedThenTurned) {
    const std::vector<TGLCall> log = Paint();
    struct Expected {
        std::vector<double> Translation;
        std::vector<double> Rotation;
    };
    const std::vector<Expected> planes{
        {{-0.001, 0, 0}, {90, 0, -1, 0}},  {{10.001, 0, 0}, {90, 0, 1, 0}},
        {{0, -0.0001, 0}, {90, 1, 0, 0}},  {{0, 1.0001, 0}, {90, -1, 0, 0}},
        {{0, 0, -0.0002}, {180, 1, 0, 0}}, {{0, 0, 2.0002}, {}}};
    for (size_t i = 0; i < planes.size(); ++i) {
        SCOPED_TRACE(i);
        const double plane = GL_CLIP_PLANE0 + double(i);
        const long at = FindCall(log, "glClipPlane", {plane});
        ASSERT_GE(at, 4);
        EXPECT_TRUE(NearVector(log[size_t(at)].Args, {plane, 0, 0, -1, 0}));
        long t = at - 1;
        if (!planes[i].Rotation.empty()) {
            EXPECT_EQ(log[size_t(t)].Name, "glRotated");
            EXPECT_TRUE(NearVector(log[size_t(t)].Args, planes[i].Rotation));
            --t;
        }
        EXPECT_EQ(log[size_t(t)].Name, "glTranslated");
        EXPECT_TRUE(NearVector(log[size_t(t)].Args, planes[i].Translation, 1e-12));
        EXPECT_EQ(log[size_t(t - 1)].Name, "glPushMatrix");
        EXPECT_EQ(FindCall(log, "glEnable", {plane}, at), at + 1);
        EXPECT_EQ(log[size_t(at + 2)].Name, "glPopMatrix");
        EXPECT_EQ(CountCalls(log, "glClipPlane", {plane}), 1);
    }
}

TEST_F(SceneRecording, FourDimensionalKindsTakeTheCrossSectionAsPlaneThree) {
    TQor3DChart volume;
    MakeVolume(volume, dk4D, 4);
    volume.SetDim4CrossSection(1);
    ASSERT_TRUE(volume.AxisY().AutoMax());
    const std::vector<TGLCall> withCut = RecordChartPaint(volume, rec);
    EXPECT_EQ(CountCalls(withCut, "glClipPlane", {GL_CLIP_PLANE3}), 1);
    // Rising from X min to X max: the last turn is about -Y of the horizontal plane frame.
    const long at = FindCall(withCut, "glClipPlane", {GL_CLIP_PLANE3});
    ASSERT_GE(at, 1);
    EXPECT_EQ(withCut[size_t(at - 1)].Name, "glRotated");
    EXPECT_TRUE(
        NearVector({withCut[size_t(at - 1)].Args.begin() + 1, withCut[size_t(at - 1)].Args.end()},
                   {0, -1, 0}));

    volume.AxisY().SetAutoMax(false);
    const std::vector<TGLCall> box = RecordChartPaint(volume, rec);
    const long top = FindCall(box, "glClipPlane", {GL_CLIP_PLANE3});
    ASSERT_GE(top, 2);
    EXPECT_TRUE(NearVector(box[size_t(top - 1)].Args, {90, -1, 0, 0}));
}

TEST_F(SceneRecording, StepsRunInTheirOrder) {
    const std::vector<TGLCall> log = Paint();
    const long before = Marker(log, 101);
    const long frame = FindCall(log, "glPushMatrix", {}, before);
    const long axes = FindCall(log, "glMultMatrixd", {}, frame);
    const long stipple = FindCall(log, "glEnable", {GL_LINE_STIPPLE}, axes);
    const long noStipple = FindCall(log, "glDisable", {GL_LINE_STIPPLE}, stipple);
    const long clip = FindCall(log, "glClipPlane", {}, noStipple);
    const long unpack = FindCall(log, "glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}, clip);
    const long lighting = FindCall(log, "glEnable", {GL_LIGHTING}, unpack);
    const long inChart = Marker(log, 102);
    const long unclip = FindCall(log, "glDisable", {GL_CLIP_PLANE0 + 5.0}, inChart);
    const long after = Marker(log, 103);
    for (long i :
         {before, frame, axes, stipple, noStipple, clip, unpack, lighting, inChart, unclip, after})
        EXPECT_GE(i, 0);
    EXPECT_LT(lighting, inChart);
    EXPECT_EQ(log[size_t(unclip + 1)].Name, "glPopMatrix");
    EXPECT_GT(after, unclip);
    // The scene frame: scale by 1 / R, then centre the displayed ranges.
    EXPECT_EQ(log[size_t(frame + 1)].Name, "glScaled");
    EXPECT_TRUE(NearVector(log[size_t(frame + 1)].Args, {1 / 10.0, 0.7, 1 / 10.0}, 1e-12));
    EXPECT_EQ(log[size_t(frame + 2)].Name, "glTranslated");
    EXPECT_TRUE(NearVector(log[size_t(frame + 2)].Args, {-5, -0.5, -1}, 1e-12));
}

TEST_F(SceneRecording, DataLighting) {
    std::vector<TGLCall> log = Paint();
    long at = FindCall(log, "glMaterialf", {GL_FRONT_AND_BACK, GL_SHININESS, 120});
    ASSERT_GE(at, 0);
    EXPECT_GE(FindCall(log, "glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE}, at),
              0);
    EXPECT_GE(FindCall(log, "glColor4ub", {255, 255, 255, 255}, at), 0);
    chart.SetLightsON(false);
    log = Paint();
    const long clip = FindCall(log, "glClipPlane");
    EXPECT_GE(FindCall(log, "glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE}, clip),
              0);
    EXPECT_EQ(FindCall(log, "glEnable", {GL_LIGHTING}, clip), -1);
}

TEST_F(SceneRecording, UndrawableChartStillRunsBothOuterHooks) {
    SetFixed(chart.AxisY(), 1, 1);
    const std::vector<TGLCall> log = Paint();
    EXPECT_GE(Marker(log, 101), 0);
    EXPECT_GE(Marker(log, 103), 0);
    EXPECT_EQ(Marker(log, 102), -1);
    EXPECT_EQ(FindCall(log, "glBegin"), -1);
    EXPECT_EQ(FindCall(log, "glClipPlane"), -1);
}

TEST_F(SceneRecording, AnErrorIsSwallowedAndTheFrameRestored) {
    rec.FailOnCall = "glClipPlane";
    std::vector<TGLCall> log;
    EXPECT_NO_THROW(log = Paint());
    const long failed = FindCall(log, "glClipPlane");
    ASSERT_GE(failed, 0);
    EXPECT_EQ(CountCalls(log, "glClipPlane"), 1) << "the paint stops at the failure";
    EXPECT_EQ(Marker(log, 102), -1);
    const long after = Marker(log, 103);
    ASSERT_GT(after, failed);
    // Between the failure and OnAfterPaintGL: the clip planes pushed matrix and the scene frame
    // are popped, all six planes are off and depth writes are back on.
    long pops = 0;
    for (long i = failed; i < after; ++i)
        pops += log[size_t(i)].Name == "glPopMatrix" ? 1 : 0;
    EXPECT_GE(pops, 1);
    for (int p = 0; p < 6; ++p)
        EXPECT_GE(FindCall(log, "glDisable", {GL_CLIP_PLANE0 + double(p)}, failed), 0) << p;
    EXPECT_GE(FindCall(log, "glDepthMask", {GL_TRUE}, failed), 0);
    // The swallowed failure is reported to whoever asked for the picture.
    EXPECT_NE(chart.LastPaintError().find("glClipPlane"), std::string::npos)
        << chart.LastPaintError();
}

TEST_F(SceneRecording, AnOwnPaintHandlerReplacesTheScene) {
    chart.OnPaintGL = [](TObject*, const TRect&) {
        GL().PointSize(7);
    };
    const std::vector<TGLCall> log = Paint();
    EXPECT_GE(FindCall(log, "glPointSize", {7}), 0);
    EXPECT_EQ(Marker(log, 101), -1);
    EXPECT_EQ(FindCall(log, "glClipPlane"), -1);
}

} // namespace
