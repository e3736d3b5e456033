#include "render/Qor3DChartScene.h"

#include "chart/Qor3DChart.h"
#include "gl/Qor3DLib.h"
#include "render/Qor3DAxisPainter.h"
#include "render/Qor3DClipPlanes.h"
#include "render/Qor3DViewFit.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace QorPaint;

namespace {

constexpr int QorClipPlaneCount = 6;
// Enough for any nesting the painters use; bounds the unwinding after an error.
constexpr int QorMaxUnwind = 64;

std::array<TQorChartAxis3D*, 3> Axes(TQor3DChart& Chart) {
    return {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()};
}

bool AxisDrawable(const TQorChartAxis3D& Axis) {
    if (Axis.Logarithmic() && !(Axis.Minimum() > 0 && Axis.Maximum() > 0))
        return false;
    return std::fabs(Axis.Layout.DisplayMax - Axis.Layout.DisplayMin) > 1e-20;
}

double Centre(const TQorChartAxis3D& Axis) {
    return (Axis.Layout.DisplayMin + Axis.Layout.DisplayMax) / 2;
}

double ClipMargin(const TQorChartAxis3D& Axis) {
    return QorClipMargin * (Axis.Layout.DisplayMax - Axis.Layout.DisplayMin);
}

// Whether float vertices and matrices would carry an axis' data too coarsely: far from the
// origin for their scale range (the view's translation cancels most of their digits), or a
// scale range so small or large that the matrices and clip planes lose their precision.
bool LosesPrecision(double Centre, double Range) {
    constexpr double farOff = 64;
    constexpr double smallest = 1e-4;
    constexpr double largest = 1e6;
    return std::fabs(Centre) > farOff * Range || Range < smallest || Range > largest;
}

bool Is4DKind(TQorDataKind Kind) {
    return Kind == dkNx4D || Kind == dk4D || Kind == dk4DSurface;
}

// One plane of the clip box: through Point, turned by Angle degrees about Axis (not turned at
// 0); it keeps what lies below its local z = 0 plane.
struct TClipPlane {
    std::array<double, 3> Point{0, 0, 0};
    double Angle = 0;
    std::array<double, 3> Axis{0, 0, 1};
};

void SetClipPlane(const TGLFunctions& gl, const TQorSceneFrame& Frame, int Index,
                  const TClipPlane& Plane) {
    TQorClipPlanes plane(gl, Frame);
    plane.Translated(Plane.Point[0], Plane.Point[1], Plane.Point[2]);
    if (Plane.Angle != 0)
        plane.Rotated(Plane.Angle, Plane.Axis[0], Plane.Axis[1], Plane.Axis[2]);
    plane.Set(Index);
}

void SetClipBox(TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    const TGLFunctions& gl = GL();
    const TQorChartAxis3D& x = Chart.AxisX();
    const TQorChartAxis3D& y = Chart.AxisY();
    const TQorChartAxis3D& z = Chart.AxisZ();
    const double ex = ClipMargin(x);
    const double ey = ClipMargin(y);
    const double ez = ClipMargin(z);
    const TQorSceneFrame& f = Frame;
    SetClipPlane(gl, f, 0,
                 {.Point = {x.Layout.DisplayMin - ex, 0, 0}, .Angle = 90, .Axis = {0, -1, 0}});
    SetClipPlane(gl, f, 1,
                 {.Point = {x.Layout.DisplayMax + ex, 0, 0}, .Angle = 90, .Axis = {0, 1, 0}});
    SetClipPlane(gl, f, 2,
                 {.Point = {0, y.Layout.DisplayMin - ey, 0}, .Angle = 90, .Axis = {1, 0, 0}});
    if (Is4DKind(Chart.DataKind()) && y.AutoMax())
        SetCrossSectionPlane(Chart, Frame);
    else
        SetClipPlane(gl, f, 3,
                     {.Point = {0, y.Layout.DisplayMax + ey, 0}, .Angle = 90, .Axis = {-1, 0, 0}});
    SetClipPlane(gl, f, 4,
                 {.Point = {0, 0, z.Layout.DisplayMin - ez}, .Angle = 180, .Axis = {1, 0, 0}});
    SetClipPlane(gl, f, 5, {.Point = {0, 0, z.Layout.DisplayMax + ez}});
}

void DisableClipBox(const TGLFunctions& gl) {
    for (int i = 0; i < QorClipPlaneCount; ++i)
        gl.Disable(GLenum(GL_CLIP_PLANE0 + i));
}

void DrawData(TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    switch (Chart.DataKind()) {
    case dk3D:
        DrawChartSurface(Chart, Frame);
        if (!Frame.RawVertices && !Frame.BoxRelative)
            GL().Scaled(1 / Frame.RX, 1 / Frame.RY, 1 / Frame.RZ);
        break;
    case dk4D:
    case dk4DSurface:
        Draw4DLayers(Chart, Frame);
        break;
    case dkNx4D:
        DrawLayerList(Chart, Frame);
        break;
    }
}

int ModelViewDepth(const TGLFunctions& gl) {
    GLint depth = 0;
    gl.GetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

// After an error somewhere inside the chart drawing, whose scope guards have closed their
// primitives and popped their matrices (the scene frame's too): close a primitive and unwind
// matrices a paint hook may have left open, switch the clip box off and give back depth writes,
// so that OnAfterPaintGL and the next paint (which clears the depth buffer) work as usual.
void RestoreAfterError(int DepthBefore) {
    try {
        const TGLFunctions& gl = GL();
        gl.End();
        gl.GetError();
        for (int i = 0; i < QorMaxUnwind && ModelViewDepth(gl) > DepthBefore; ++i)
            gl.PopMatrix();
        DisableClipBox(gl);
        gl.DepthMask(GL_TRUE);
        gl.DepthFunc(GL_LESS);
        gl.Disable(GL_BLEND);
    } catch (...) {
        // Without a working context there is nothing to restore.
    }
}

// Labels that fit: where a label, caption or axis line would leave the view, the projection the
// drawing control set up is zoomed out and shifted (the view's stored properties stay as they
// are); returns the pixel size the axes are laid out at, which undoes the zoom so that labels
// keep their size (or shrinks them where nothing else brings them in). A chart that fits gets no
// GL call more. Hosts that set up the matrices themselves are left alone.
double FitView(TQor3DChart& Chart, const TQorSceneFrame& Frame, const TRect& PaintRect) {
    if (Chart.DisableMatrixInit())
        return QorAxisPixelSize;
    const int w = PaintRect.Width();
    const int h = PaintRect.Height();
    const TQorViewFit fit = FitChartView(Chart, Frame, w, h);
    if (fit.Identity())
        return QorAxisPixelSize;
    const TGLFunctions& gl = GL();
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadMatrixd(fit.Applied(TQor3DViewMatrix::OfDraw(Chart, w, h).Projection()).data());
    gl.MatrixMode(GL_MODELVIEW);
    return fit.PixelSize();
}

// Steps from the scale ranges to OnInChartPaintGL; FrameEntered tells the caller whether the
// scene frame was entered (an error inside it leaves state to restore).
void PaintChartFrame(TQor3DChart& Chart, const TRect& PaintRect, const TQorSceneOptions& Options,
                     bool& FrameEntered, int& DepthBefore) {
    TQorSceneFrame frame = ComputeSceneFrame(Chart);
    frame.TurningView = Options.TurningView;
    const double pixelSize = FitView(Chart, frame, PaintRect);
    TQorChartAxis3D& x = Chart.AxisX();
    TQorChartAxis3D& y = Chart.AxisY();
    TQorChartAxis3D& z = Chart.AxisZ();
    LayoutAxis(x, pixelSize, 1 / frame.RX);
    LayoutAxis(y, pixelSize, 1 / frame.RY);
    LayoutAxis(z, pixelSize, 1 / frame.RZ);

    const TGLFunctions& gl = GL();
    DepthBefore = ModelViewDepth(gl);
    TGLMatrixScope sceneFrame(gl);
    FrameEntered = true;
    gl.Scaled(1 / frame.RX, 1 / frame.RY, 1 / frame.RZ);
    // Box-relative axes and grids take their coordinates from the centre themselves: a float
    // translation by it would cancel their digits.
    const std::array<double, 3> origin =
        frame.BoxRelative ? frame.Centre : std::array<double, 3>{0, 0, 0};
    if (!frame.BoxRelative)
        gl.Translated(-Centre(x), -Centre(y), -Centre(z));

    DrawSceneAxes(x, y, z, {frame.RX, frame.RY, frame.RZ}, origin, pixelSize);
    DrawSceneGridPlanes(x, y, z, Chart.gridMajor(), Chart.gridMinor(), origin);

    // Box-relative data and clip planes go under the view transform alone.
    if (frame.BoxRelative)
        sceneFrame.Restore();
    SetClipBox(Chart, frame);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    SetupChartColorSource(Chart, frame);
    SetDataLighting(Options.LightsON);
    DrawData(Chart, frame);
    if (frame.BoxRelative) {
        sceneFrame.Restore();
        gl.Scaled(1 / frame.RX, 1 / frame.RY, 1 / frame.RZ);
        gl.Translated(-Centre(x), -Centre(y), -Centre(z));
    }

    if (Chart.OnInChartPaintGL)
        Chart.OnInChartPaintGL(&Chart, PaintRect);
    DisableClipBox(gl);
    sceneFrame.Close();
    FrameEntered = false;
}

} // namespace

void QorPaint::SetDataLighting(bool LightsON) {
    const TGLFunctions& gl = GL();
    if (!LightsON) {
        gl.Disable(GL_LIGHTING);
        gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        return;
    }
    static constexpr GLfloat black[4] = {0, 0, 0, 0};
    static constexpr GLfloat white[4] = {1, 1, 1, 1};
    gl.Enable(GL_LIGHTING);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, 120);
    gl.Lightfv(GL_LIGHT0, GL_AMBIENT, black);
    gl.Lightfv(GL_LIGHT0, GL_DIFFUSE, white);
    gl.Lightfv(GL_LIGHT0, GL_SPECULAR, white);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.Color4ub(255, 255, 255, 255);
}

void QorPaint::SetDisplayedRanges(TQor3DChart& Chart) {
    for (TQorChartAxis3D* a : Axes(Chart)) {
        a->Layout.DisplayMin = a->Minimum();
        a->Layout.DisplayMax = a->Maximum();
        if (a->Layout.DisplayMin > a->Layout.DisplayMax)
            std::swap(a->Layout.DisplayMin, a->Layout.DisplayMax);
        if (a->Logarithmic()) {
            a->Layout.DisplayMin = std::log10(a->Layout.DisplayMin);
            a->Layout.DisplayMax = std::log10(a->Layout.DisplayMax);
        }
    }
}

bool QorPaint::ChartDrawable(const TQor3DChart& Chart) {
    if (Chart.Data().size() < 2)
        return false;
    if (!Chart.LowMemoryLayout() && Chart.Normals().size() < 2 && Chart.DataKind() == dk3D)
        return false;
    // A box of no height would scale the Y axis by infinity.
    if (!(Chart.HeightY() > 0) || !std::isfinite(Chart.HeightY()))
        return false;
    return AxisDrawable(Chart.AxisX()) && AxisDrawable(Chart.AxisY()) &&
           AxisDrawable(Chart.AxisZ());
}

TQorSceneFrame QorPaint::ComputeSceneFrame(const TQor3DChart& Chart) {
    const double dX = Chart.AxisX().Layout.DisplayMax - Chart.AxisX().Layout.DisplayMin;
    const double dY = Chart.AxisY().Layout.DisplayMax - Chart.AxisY().Layout.DisplayMin;
    const double dZ = Chart.AxisZ().Layout.DisplayMax - Chart.AxisZ().Layout.DisplayMin;
    TQorSceneFrame f;
    const bool aspectXZ = Chart.KeepAspectXZ();
    if (aspectXZ) {
        f.RX = f.RZ = std::max(dX, dZ);
    } else {
        f.RX = dX;
        f.RZ = dZ;
    }
    if (Chart.KeepAspectXY()) {
        const double m = std::max(f.RX, dY);
        f.RX = f.RY = m;
        if (aspectXZ)
            f.RZ = m;
    } else {
        f.RY = dY / Chart.HeightY();
    }
    f.RawVertices = !(Chart.DataKind() == dk3D && !Chart.Wired() && Chart.LowMemoryLayout());
    f.Centre = {Centre(Chart.AxisX()), Centre(Chart.AxisY()), Centre(Chart.AxisZ())};
    f.BoxRelative = LosesPrecision(f.Centre[0], f.RX) || LosesPrecision(f.Centre[1], f.RY) ||
                    LosesPrecision(f.Centre[2], f.RZ);
    return f;
}

void QorPaint::PaintScene(TQor3DChart& Chart, const TRect& PaintRect,
                          const TQorSceneOptions& Options) {
    if (Options.Designing && Chart.Data().empty())
        Chart.MakeSampleSurface();
    SetDisplayedRanges(Chart);
    if (Chart.OnBeforePaintGL)
        Chart.OnBeforePaintGL(&Chart, PaintRect);
    if (ChartDrawable(Chart)) {
        bool frameEntered = false;
        int depthBefore = 0;
        try {
            PaintChartFrame(Chart, PaintRect, Options, frameEntered, depthBefore);
        } catch (...) {
            // The chart shows what was drawn so far.
            Chart.RecordPaintError(std::current_exception());
            if (frameEntered)
                RestoreAfterError(depthBefore);
        }
    }
    if (Chart.OnAfterPaintGL)
        Chart.OnAfterPaintGL(&Chart, PaintRect);
}

void TQor3DChart::PaintChart(TObject*, const TRect& PaintRect) {
    PaintScene(*this, PaintRect, {LightsON(), Designing(), TurningView()});
}

QImage QorPaint::RenderChartImage(TQor3DChart& Chart, int Width, int Height) {
    Chart.RenderToBitmap(Width, Height);
    return Chart.ExportBitmap();
}
