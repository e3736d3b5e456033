#include "render/Qor3DChartScene.h"

#include "Qor3DSceneSamples.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

class SceneFrame : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixedRange(chart.AxisX(), 0, 10);
        SetFixedRange(chart.AxisY(), 0, 1);
        SetFixedRange(chart.AxisZ(), 0, 2);
        chart.SetHeightY(0.7);
    }
    TQorSceneFrame Frame() {
        SetDisplayedRanges(chart);
        return ComputeSceneFrame(chart);
    }
    TQor3DChart chart;
};

// Without aspect the box is 1 x 1 by HeightY; the aspects tie the ranges together, except
// between a linear and a logarithmic axis.
TEST_F(SceneFrame, AspectSettingsTieTheRanges) {
    struct TCase {
        bool XZ, XY;
        double YMin, YMax;
        bool LogY;
        double RX, RY, RZ;
    };
    const std::vector<TCase> cases = {
        {false, false, 0, 1, false, 10, 1 / 0.7, 2}, {true, false, 0, 1, false, 10, 1 / 0.7, 10},
        {true, true, 0, 20, false, 20, 20, 20},      {false, true, 0, 20, false, 20, 20, 2},
        {false, true, 1, 100, true, 10, 2 / 0.7, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.XZ << c.XY << " " << c.YMax << c.LogY);
        chart.SetKeepAspectXZ(c.XZ);
        chart.SetKeepAspectXY(c.XY);
        SetFixedRange(chart.AxisY(), c.YMin, c.YMax);
        chart.AxisY().SetLogarithmic(c.LogY);
        const TQorSceneFrame f = Frame();
        EXPECT_DOUBLE_EQ(f.RX, c.RX);
        EXPECT_DOUBLE_EQ(f.RY, c.RY);
        EXPECT_DOUBLE_EQ(f.RZ, c.RZ);
    }
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
    SetFixedRange(chart.AxisX(), 10, 0);
    SetFixedRange(chart.AxisY(), 1000, 1);
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
    SetFixedRange(noNormals.AxisY(), 0, 1);
    SetDisplayedRanges(noNormals);
    EXPECT_FALSE(ChartDrawable(noNormals)) << "full 3D layout without normals";

    TQor3DChart volume;
    MakeVolume(volume, dk4D, 3);
    SetDisplayedRanges(volume);
    EXPECT_TRUE(ChartDrawable(volume)) << "4D kinds need no normals";
}

// A surface is drawn unless a displayed range is degenerate, a logarithmic axis has an end at
// or below zero, or HeightY is not positive.
TEST(Drawable, RangesLogarithmicEndsAndHeightY) {
    struct TCase {
        const char* What;
        std::function<void(TQor3DChart&)> Change;
        bool Drawable;
    };
    const auto logX = [](double Min) {
        return [Min](TQor3DChart& c) {
            SetFixedRange(c.AxisX(), Min, 10);
            c.AxisX().SetLogarithmic(true);
        };
    };
    const std::vector<TCase> cases = {
        {"equal Z ends", [](TQor3DChart& c) { SetFixedRange(c.AxisZ(), 4, 4); }, false},
        {"Z over 1e-21", [](TQor3DChart& c) { SetFixedRange(c.AxisZ(), 0, 1e-21); }, false},
        {"Z over 1e-19", [](TQor3DChart& c) { SetFixedRange(c.AxisZ(), 0, 1e-19); }, true},
        {"logarithmic X from 0", logX(0), false},
        {"logarithmic X from 1", logX(1), true},
        {"HeightY 0", [](TQor3DChart& c) { c.SetHeightY(0); }, false},
    };
    for (const TCase& c : cases) {
        TQor3DChart chart;
        MakeWaveSurface(chart, 5, false);
        c.Change(chart);
        SetDisplayedRanges(chart);
        EXPECT_EQ(ChartDrawable(chart), c.Drawable) << c.What;
    }
}

} // namespace

namespace {

// The scene on the recording back-end, with each hook leaving a marker in the log.
class SceneRecording : public ::testing::Test {
protected:
    void SetUp() override {
        MakeWaveSurface(chart, 5, false);
        SetFixedRange(chart.AxisX(), 0, 10);
        SetFixedRange(chart.AxisY(), 0, 1);
        SetFixedRange(chart.AxisZ(), 0, 2);
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
    SetFixedRange(chart.AxisY(), 1, 1);
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
