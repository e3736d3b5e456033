#include "render/Qor3DAxisPainter.h"

#include "QorScale.h"
#include "gl/Qor3DLib.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>

using namespace QorPaint;

namespace {

QColor ToQColor(TColor Color) {
    const TColor c = ColorToRGB(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QString ToQString(const std::string& Text) {
    return QString::fromStdString(Text);
}

// The cell height of the font, as the platform's text height reports it for one line.
int TextHeight(const TFont& Font, const std::string&) {
    return QFontMetrics(Font.ToQFont()).height();
}

int TextWidth(const TFont& Font, const std::string& Text) {
    return QFontMetrics(Font.ToQFont()).horizontalAdvance(ToQString(Text));
}

// Lines and text quads are drawn unlit and, apart from the text, untextured, whatever the
// data painting of the previous paint left switched on.
void PlainLineState(const TGLFunctions& gl) {
    gl.Disable(GL_LIGHTING);
    gl.Disable(GL_TEXTURE_1D);
    gl.Disable(GL_TEXTURE_2D);
}

int MaxTextureSize(const TGLFunctions& gl) {
    GLint size = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return std::max<GLint>(size, 0);
}

const TQorChartAxis3D& AxisOf(TQorAxisId Id, const TQorChartAxis3D& X, const TQorChartAxis3D& Y,
                              const TQorChartAxis3D& Z) {
    switch (Id) {
    case TQorAxisId::X:
        return X;
    case TQorAxisId::Y:
        return Y;
    case TQorAxisId::Z:
        break;
    }
    return Z;
}

double PositionOn(const TQorChartAxis3D& Axis, TQorAxisPosition Position) {
    switch (Position) {
    case apMinimum:
        return Axis.Layout.DisplayMin;
    case apMaximum:
        return Axis.Layout.DisplayMax;
    case apZero:
        break;
    }
    return 0;
}

size_t IndexOf(TQorAxisId Id) {
    return static_cast<size_t>(Id);
}

std::array<double, 3> UnitVector(TQorAxisId Id) {
    std::array<double, 3> v{0, 0, 0};
    v[IndexOf(Id)] = 1;
    return v;
}

} // namespace

// ---- Layout ----------------------------------------------------------------------------------

void QorPaint::LayoutAxis(TQorChartAxis3D& Axis, double PixelSize, double Scale) {
    TQorAxisLayout& L = Axis.Layout;
    // The data-unit ends, ascending.
    double dataMin = Axis.Minimum();
    double dataMax = Axis.Maximum();
    if (dataMin > dataMax)
        std::swap(dataMin, dataMax);
    L.DisplayMin = Axis.Logarithmic() ? std::log10(dataMin) : dataMin;
    L.DisplayMax = Axis.Logarithmic() ? std::log10(dataMax) : dataMax;

    L.CaptionHeight = TextHeight(Axis.CaptionFont(), "8" + Axis.Caption()) + 2;
    L.LabelHeight = TextHeight(Axis.Font(), "8,") + 2;
    L.DashWidth = TextWidth(Axis.Font(), "-");
    L.DashWidthHalf = L.DashWidth / 2;

    TQorScaleTicks ticks = CalcAutoScale({.Logarithmic = Axis.Logarithmic(),
                                          .ShowMaxLabel = Axis.VisibleMax(),
                                          .ShowMinLabel = Axis.VisibleMin(),
                                          .Min = dataMin,
                                          .Max = dataMax,
                                          .Length = (L.DisplayMax - L.DisplayMin) * Scale,
                                          .LabelSize = L.LabelHeight * PixelSize,
                                          .AutoSubSteps = Axis.AutoSubSteps(),
                                          .NumSubSteps = Axis.NumSubSteps(),
                                          // About two minor ticks per pixel at most.
                                          .MinSubStepLength = PixelSize / 2,
                                          .DecPlaces = Axis.DecPlaces(),
                                          .DecPlacesEndPlus = Axis.DecPlacesEndPlus(),
                                          .DecPlacesMax = Axis.DecPlacesMax(),
                                          .DecPlacesEqual = Axis.DecPlacesEqual(),
                                          .DecSep = Axis.DecSep(),
                                          .MinMaxRounding = false});
    L.TickLabels = std::move(ticks.Labels);
    L.TickValues = std::move(ticks.Values);
    L.SubTickValues = std::move(ticks.SubValues);
    if (!L.TickValues.empty()) {
        L.DisplayMin = L.TickValues.front();
        L.DisplayMax = L.TickValues.back();
    }
    // The caption one and a half caption heights beyond the last tick.
    L.CaptionPos = L.DisplayMax + 1.5 * L.CaptionHeight * PixelSize / Scale;
}

// ---- Text quads ------------------------------------------------------------------------------

int QorPaint::NextPowerOfTwo(int v) {
    int p = 1;
    while (p < v && p < (1 << 30))
        p <<= 1;
    return p;
}

TQorTextTexture QorPaint::TextTextureFor(int QuadW, int QuadH, int64_t MaxTexels) {
    TQorTextTexture t{QuadW, QuadH, QuadW, QuadH, 1, 1};
    const double texels = double(QuadW) * double(QuadH);
    if (MaxTexels > 0 && texels > double(MaxTexels)) {
        const double shrink = std::sqrt(texels / double(MaxTexels));
        t.W = std::max(1, int(QuadW / shrink));
        t.H = std::max(1, int(QuadH / shrink));
    }
    t.PotW = NextPowerOfTwo(t.W);
    t.PotH = NextPowerOfTwo(t.H);
    return t;
}

std::array<TQorTextQuadCorner, 4> QorPaint::TextQuadCorners(const TQorTextTexture& Texture,
                                                            int DashWidth, TLeftRight Justify,
                                                            bool Flip) {
    const TQorTextTexture& t = Texture;
    const double yOff = Justify == taLeftJustify ? -2.0 * DashWidth - t.QuadW : 2.0 * DashWidth;
    const double top = t.QuadH / 2.0;
    const double sLo = 1.0 / t.W;
    const double sHi = double(t.W - 1) / t.PotW;
    const double tLo = 1.0 / t.H;
    const double tHi = double(t.H - 1) / t.PotH;
    std::array<TQorTextQuadCorner, 4> c{{{top, yOff, sLo, tLo},
                                         {top, yOff + t.QuadW, sHi, tLo},
                                         {-top, yOff + t.QuadW, sHi, tHi},
                                         {-top, yOff, sLo, tHi}}};
    if (Flip)
        for (int i = 0; i < 2; ++i) {
            std::swap(c[i].S, c[i + 2].S);
            std::swap(c[i].T, c[i + 2].T);
        }
    return c;
}

int QorPaint::TextTextureWidth(const TFont& Font, const std::string& Text, int MaxTex) {
    return std::min(TextWidth(Font, Text) + 2, MaxTex);
}

std::vector<uint8_t> QorPaint::RenderTextTexture(QImage& Bitmap, const TFont& Font, TColor Back,
                                                 const std::string& Text,
                                                 const TQorTextTexture& Texture) {
    const TQorTextTexture& t = Texture;
    std::vector<uint8_t> buffer(size_t(t.PotW) * size_t(t.PotH) * 3, 0);
    if (t.W <= 0 || t.H <= 0 || t.QuadW <= 0 || t.QuadH <= 0)
        return buffer;
    Bitmap = QImage(t.W, t.H, QImage::Format_BGR888);
    if (Bitmap.isNull())
        return buffer;
    Bitmap.fill(ToQColor(Back));
    {
        QPainter painter(&Bitmap);
        if (t.W != t.QuadW || t.H != t.QuadH)
            painter.scale(double(t.W) / t.QuadW, double(t.H) / t.QuadH);
        const QFont font = Font.ToQFont();
        painter.setFont(font);
        painter.setPen(ToQColor(Font.Color()));
        painter.drawText(QPoint(1, 1 + QFontMetrics(font).ascent()), ToQString(Text));
    }
    const int rows = std::min(t.H, t.PotH);
    const size_t rowBytes = size_t(std::min(t.W, t.PotW)) * 3;
    for (int r = 0; r < rows; ++r)
        std::memcpy(buffer.data() + size_t(r) * size_t(t.PotW) * 3, Bitmap.constScanLine(r),
                    rowBytes);
    return buffer;
}

void QorPaint::DrawTextQuad(TQorChartAxis3D& Axis, const TFont& Font, const std::string& Text,
                            double Angle, int TexH, int MaxTex) {
    if (Text.empty())
        return;
    const int texW = TextTextureWidth(Font, Text, MaxTex);
    if (texW <= 0 || TexH <= 0)
        return;
    const TQorTextTexture texture = TextTextureFor(texW, TexH);
    const std::vector<uint8_t> pixels =
        RenderTextTexture(Axis.MeasureBitmap(), Font, Axis.TextBackColor(), Text, texture);

    const TGLFunctions& gl = GL();
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, texture.PotW, texture.PotH, 0, GL_BGR, GL_UNSIGNED_BYTE,
                  pixels.data());

    const TGLMatrixScope turned(gl);
    gl.Rotated(Angle, 0, 0, 1);
    const TGLPrimitive quad(gl, GL_QUADS);
    for (const TQorTextQuadCorner& c :
         TextQuadCorners(texture, Axis.Layout.DashWidth, Axis.TextJustify(), Axis.FlipText())) {
        gl.TexCoord2d(c.S, c.T);
        gl.Vertex2d(c.X, c.Y);
    }
}

// ---- Axis drawing ----------------------------------------------------------------------------

void QorPaint::DrawAxis(TQorChartAxis3D& Axis, double PixelSize, double Scale, double Offset) {
    LayoutAxis(Axis, PixelSize, Scale);
    if (!Axis.Visible() || !(Axis.Layout.DisplayMax - Axis.Layout.DisplayMin >= 1e-20))
        return;
    const TGLFunctions& gl = GL();
    const int maxTex = MaxTextureSize(gl);

    PlainLineState(gl);
    gl.Rotated(Axis.RotText(), 1, 0, 0);
    gl.Scaled(Scale, PixelSize, PixelSize);

    gl.LineWidth(GLfloat(Axis.AxisWidth()));
    SetGLColor(Axis.AxisColor());
    {
        const TGLPrimitive line(gl, GL_LINES);
        gl.Normal3d(0, 0, 1);
        gl.Vertex3d(Axis.Layout.DisplayMin - Offset, 0, 0);
        gl.Vertex3d(Axis.Layout.CaptionPos - Offset, 0, 0);
    }

    gl.LineWidth(GLfloat(Axis.StepWidth()));
    SetGLColor(Axis.StepColor());
    if (Axis.VisibleStep()) {
        const TGLPrimitive ticks(gl, GL_LINES);
        for (double v : Axis.Layout.TickValues) {
            gl.Vertex2d(v - Offset, -Axis.Layout.DashWidth);
            gl.Vertex2d(v - Offset, Axis.Layout.DashWidth);
        }
        for (double v : Axis.Layout.SubTickValues) {
            gl.Vertex2d(v - Offset, -Axis.Layout.DashWidthHalf);
            gl.Vertex2d(v - Offset, Axis.Layout.DashWidthHalf);
        }
    }

    // Both texts need the texture unit; the caption is textured even without tick labels.
    const double alongPixels = PixelSize / Scale;
    if (Axis.VisibleStepText() || Axis.VisibleCaption()) {
        gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        // Texture object 0: a texture object of the data (the picture) must not be overwritten.
        gl.BindTexture(GL_TEXTURE_2D, 0);
        gl.Enable(GL_TEXTURE_2D);
    }
    if (Axis.VisibleStepText()) {
        const int texH = std::min(Axis.Layout.LabelHeight, maxTex);
        const size_t n = std::min(Axis.Layout.TickValues.size(), Axis.Layout.TickLabels.size());
        for (size_t i = 0; i < n; ++i) {
            const TGLMatrixScope atTick(gl);
            gl.Translated(Axis.Layout.TickValues[i] - Offset, 0, 0);
            gl.Scaled(alongPixels, 1, 1);
            DrawTextQuad(Axis, Axis.Font(), Axis.Layout.TickLabels[i], Axis.RotTextT(), texH,
                         maxTex);
        }
    }

    gl.Translated(Axis.Layout.CaptionPos - Offset, 0, 0);
    gl.Scaled(alongPixels, 1, 1);
    if (Axis.VisibleCaption()) {
        const int texH = std::min(Axis.Layout.CaptionHeight, maxTex);
        const TGLMatrixScope atCaption(gl);
        gl.Translated(-Axis.Layout.CaptionHeight / 4.0, 0, 0);
        DrawTextQuad(Axis, Axis.CaptionFont(), Axis.Caption(), Axis.RotTextT(), texH, maxTex);
    }
    gl.Disable(GL_TEXTURE_2D);

    const double back = -Axis.Layout.CaptionHeight / 2.0;
    const double side = Axis.Layout.CaptionHeight / 6.0;
    const TGLPrimitive arrow(gl, GL_LINES);
    gl.Vertex2d(0, 0);
    gl.Vertex2d(back, side);
    gl.Vertex2d(0, 0);
    gl.Vertex2d(back, -side);
}

// ---- Placement -------------------------------------------------------------------------------

std::array<double, 3> QorPaint::AxisOrigin(TQorAxisId Id, const TQorChartAxis3D& X,
                                           const TQorChartAxis3D& Y, const TQorChartAxis3D& Z) {
    const TQorChartAxis3D& a = AxisOf(Id, X, Y, Z);
    switch (Id) {
    case TQorAxisId::X:
        return {0, PositionOn(Y, a.Axis1Position()), PositionOn(Z, a.Axis2Position())};
    case TQorAxisId::Y:
        return {PositionOn(X, a.Axis1Position()), 0, PositionOn(Z, a.Axis2Position())};
    case TQorAxisId::Z:
        break;
    }
    return {PositionOn(X, a.Axis1Position()), PositionOn(Y, a.Axis2Position()), 0};
}

TQorMatrix QorPaint::AxisFrameTurn(TQorAxisId Id) {
    switch (Id) {
    case TQorAxisId::X:
        return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    case TQorAxisId::Y:
        return {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    case TQorAxisId::Z:
        break;
    }
    return {0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
}

void QorPaint::DrawSceneAxes(TQorChartAxis3D& X, TQorChartAxis3D& Y, TQorChartAxis3D& Z,
                             const std::array<double, 3>& Range,
                             const std::array<double, 3>& Origin, double PixelSize) {
    const TGLFunctions& gl = GL();
    const std::array<TQorChartAxis3D*, 3> axes{&X, &Y, &Z};
    for (size_t i = 0; i < 3; ++i) {
        const auto id = static_cast<TQorAxisId>(i);
        // The axis frame starts at axis value Origin[i], so that only differences from Origin,
        // taken in double, reach GL.
        std::array<double, 3> at = AxisOrigin(id, X, Y, Z);
        for (size_t k = 0; k < 3; ++k)
            at[k] = k == i ? 0 : at[k] - Origin[k];
        const TQorMatrix turn = AxisFrameTurn(id);
        const TGLMatrixScope axisFrame(gl);
        gl.Translated(at[0], at[1], at[2]);
        // Back to world units, so that along-axis values and across-axis pixels scale alike on
        // all three axes.
        gl.Scaled(Range[0], Range[1], Range[2]);
        gl.MultMatrixd(turn.data());
        DrawAxis(*axes[i], PixelSize, 1.0 / Range[i], Origin[i]);
    }
}

// ---- Grid planes -----------------------------------------------------------------------------

namespace {

struct TPlaneAxes {
    TQorAxisId A; // ticks give the lines
    TQorAxisId B; // its end holds the plane
    TQorAxisId C; // the lines span it
    bool AtMax;
};

TPlaneAxes PlaneAxes(TQorGridPlane Plane) {
    using enum TQorAxisId;
    static constexpr std::array<std::array<TQorAxisId, 3>, 6> kinds{
        {{X, Y, Z}, {X, Z, Y}, {Y, X, Z}, {Y, Z, X}, {Z, X, Y}, {Z, Y, X}}};
    const int index = static_cast<int>(Plane);
    const auto& k = kinds[size_t(index % 6)];
    return {k[0], k[1], k[2], index < 6};
}

} // namespace

bool QorPaint::GridPlaneFlag(const TQorGrid3DProp& Grid, TQorGridPlane Plane) {
    switch (Plane) {
    case TQorGridPlane::XYmax:
        return Grid.GridXYmax();
    case TQorGridPlane::XZmax:
        return Grid.GridXZmax();
    case TQorGridPlane::YXmax:
        return Grid.GridYXmax();
    case TQorGridPlane::YZmax:
        return Grid.GridYZmax();
    case TQorGridPlane::ZXmax:
        return Grid.GridZXmax();
    case TQorGridPlane::ZYmax:
        return Grid.GridZYmax();
    case TQorGridPlane::XYmin:
        return Grid.GridXYmin();
    case TQorGridPlane::XZmin:
        return Grid.GridXZmin();
    case TQorGridPlane::YXmin:
        return Grid.GridYXmin();
    case TQorGridPlane::YZmin:
        return Grid.GridYZmin();
    case TQorGridPlane::ZXmin:
        return Grid.GridZXmin();
    case TQorGridPlane::ZYmin:
        break;
    }
    return Grid.GridZYmin();
}

TQorGridPlaneFrame QorPaint::GridPlaneFrame(TQorGridPlane Plane, const TQorChartAxis3D& X,
                                            const TQorChartAxis3D& Y, const TQorChartAxis3D& Z,
                                            const std::array<double, 3>& Origin) {
    const TPlaneAxes p = PlaneAxes(Plane);
    const TQorChartAxis3D& b = AxisOf(p.B, X, Y, Z);
    const TQorChartAxis3D& c = AxisOf(p.C, X, Y, Z);
    const auto eA = UnitVector(p.A);
    const auto eB = UnitVector(p.B);
    const auto eC = UnitVector(p.C);
    const double bEnd =
        (p.AtMax ? b.Layout.DisplayMax : b.Layout.DisplayMin) - Origin[IndexOf(p.B)];
    const double cMin = c.Layout.DisplayMin - Origin[IndexOf(p.C)];
    TQorGridPlaneFrame f;
    f.TickAxis = p.A;
    f.Offset = Origin[IndexOf(p.A)];
    f.Length = c.Layout.DisplayMax - c.Layout.DisplayMin;
    for (size_t r = 0; r < 3; ++r) {
        f.Matrix[r] = eA[r];
        f.Matrix[4 + r] = eC[r];
        f.Matrix[8 + r] = eB[r];
        f.Matrix[12 + r] = bEnd * eB[r] + cMin * eC[r];
    }
    f.Matrix[15] = 1;
    return f;
}

void QorPaint::DrawGridPlane(const TQorChartAxis3D& Axis, bool MinorOn, const TQorGrid3DProp& Major,
                             const TQorGrid3DProp& Minor, double Length, double Offset) {
    const TGLFunctions& gl = GL();
    PlainLineState(gl);
    auto lines = [&](const TQorGrid3DProp& Grid, const std::vector<double>& Values) {
        gl.LineWidth(GLfloat(Grid.GridWidth()));
        SetGLColor(Grid.GridColor());
        gl.LineStipple(1, Grid.GridStyle());
        const TGLPrimitive gridLines(gl, GL_LINES);
        for (double v : Values) {
            gl.Vertex3d(v - Offset, 0, 0);
            gl.Vertex3d(v - Offset, Length, 0);
        }
    };
    lines(Major, Axis.Layout.TickValues);
    if (MinorOn)
        lines(Minor, Axis.Layout.SubTickValues);
}

void QorPaint::DrawSceneGridPlanes(const TQorChartAxis3D& X, const TQorChartAxis3D& Y,
                                   const TQorChartAxis3D& Z, const TQorGrid3DProp& Major,
                                   const TQorGrid3DProp& Minor,
                                   const std::array<double, 3>& Origin) {
    const TGLFunctions& gl = GL();
    gl.Enable(GL_LINE_STIPPLE);
    for (int i = 0; i < QorGridPlaneCount; ++i) {
        const auto plane = static_cast<TQorGridPlane>(i);
        if (!GridPlaneFlag(Major, plane))
            continue;
        const TQorGridPlaneFrame f = GridPlaneFrame(plane, X, Y, Z, Origin);
        const TGLMatrixScope planeFrame(gl);
        gl.MultMatrixd(f.Matrix.data());
        DrawGridPlane(AxisOf(f.TickAxis, X, Y, Z), GridPlaneFlag(Minor, plane), Major, Minor,
                      f.Length, f.Offset);
    }
    gl.Disable(GL_LINE_STIPPLE);
}
