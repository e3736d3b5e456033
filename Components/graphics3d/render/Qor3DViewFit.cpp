#include "render/Qor3DViewFit.h"

#include "chart/Qor3DChart.h"
#include "render/Qor3DChartScene.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace QorPaint;

namespace {

using TClipPoints = std::vector<std::array<double, 4>>;

// No label texture is cut by the texture size limit in the outline: a cut label is smaller.
constexpr int QorOutlineMaxTex = 1 << 24;

double AxisCentre(const TQorChartAxis3D& Axis) {
    return (Axis.Layout.DisplayMin + Axis.Layout.DisplayMax) / 2;
}

void AddTextQuad(const TQorChartAxis3D& Axis, const TFont& Font, const std::string& Text, int TexH,
                 const TQorTransform& At, TClipPoints& Out) {
    if (Text.empty())
        return;
    const int texW = TextTextureWidth(Font, Text, QorOutlineMaxTex);
    if (texW <= 0 || TexH <= 0)
        return;
    const TQorTextTexture texture = TextTextureFor(texW, TexH);
    for (const TQorTextQuadCorner& c :
         TextQuadCorners(texture, Axis.Layout.DashWidth, Axis.TextJustify(), Axis.FlipText()))
        Out.push_back(At.Apply(c.X, c.Y, 0));
}

// The steps of DrawAxis, on an axis laid out already, without drawing.
void AxisOutline(const TQorChartAxis3D& Axis, double PixelSize, double Scale, double Offset,
                 TQorTransform M, TClipPoints& Out) {
    const TQorAxisLayout& L = Axis.Layout;
    if (!Axis.Visible() || !(L.DisplayMax - L.DisplayMin >= 1e-20))
        return;
    M.Rotate(Axis.RotText(), 1, 0, 0).Scale(Scale, PixelSize, PixelSize);
    Out.push_back(M.Apply(L.DisplayMin - Offset, 0, 0));
    Out.push_back(M.Apply(L.CaptionPos - Offset, 0, 0));
    if (Axis.VisibleStep())
        for (double v : L.TickValues) {
            Out.push_back(M.Apply(v - Offset, -L.DashWidth, 0));
            Out.push_back(M.Apply(v - Offset, L.DashWidth, 0));
        }
    const double alongPixels = PixelSize / Scale;
    if (Axis.VisibleStepText()) {
        const size_t n = std::min(L.TickValues.size(), L.TickLabels.size());
        for (size_t i = 0; i < n; ++i) {
            TQorTransform at = M;
            at.Translate(L.TickValues[i] - Offset, 0, 0)
                .Scale(alongPixels, 1, 1)
                .Rotate(Axis.RotTextT(), 0, 0, 1);
            AddTextQuad(Axis, Axis.Font(), L.TickLabels[i], L.LabelHeight, at, Out);
        }
    }
    M.Translate(L.CaptionPos - Offset, 0, 0).Scale(alongPixels, 1, 1);
    const double back = -L.CaptionHeight / 2.0;
    const double side = L.CaptionHeight / 6.0;
    Out.push_back(M.Apply(back, side, 0));
    Out.push_back(M.Apply(back, -side, 0));
    if (Axis.VisibleCaption()) {
        M.Translate(-L.CaptionHeight / 4.0, 0, 0).Rotate(Axis.RotTextT(), 0, 0, 1);
        AddTextQuad(Axis, Axis.CaptionFont(), Axis.Caption(), L.CaptionHeight, M, Out);
    }
}

// The outline's extent in normalised device coordinates after a zoom by Scale; points before
// the near or beyond the far plane are left out, as GL clips them.
struct TBounds {
    double Left = std::numeric_limits<double>::infinity();
    double Right = -std::numeric_limits<double>::infinity();
    double Bottom = std::numeric_limits<double>::infinity();
    double Top = -std::numeric_limits<double>::infinity();
    bool Empty() const { return !(Left <= Right && Bottom <= Top); }
};

TBounds BoundsOf(const TClipPoints& Points, double Scale) {
    TBounds b;
    for (const auto& p : Points) {
        if (!(p[3] > 1e-12) || !(std::fabs(p[2]) <= p[3]) || !std::isfinite(p[0]) ||
            !std::isfinite(p[1]))
            continue;
        const double x = Scale * p[0] / p[3];
        const double y = Scale * p[1] / p[3];
        b.Left = std::min(b.Left, x);
        b.Right = std::max(b.Right, x);
        b.Bottom = std::min(b.Bottom, y);
        b.Top = std::max(b.Top, y);
    }
    return b;
}

// The least shift that brings Lo ... Hi within -Limit ... Limit; none where it is wider (a
// chart zoomed in on purpose stays where the user put it).
double ShiftInto(double Lo, double Hi, double Limit) {
    if (Hi - Lo > 2 * Limit)
        return 0;
    if (Lo < -Limit)
        return -Limit - Lo;
    if (Hi > Limit)
        return Limit - Hi;
    return 0;
}

} // namespace

// ---- Matrices --------------------------------------------------------------------------------

TQorTransform::TQorTransform() : FM(QorMatrix::Identity()) {}

TQorTransform& TQorTransform::Multiply(const TQorMatrix& M) {
    FM = QorMatrix::Multiply(FM, M);
    return *this;
}

TQorTransform& TQorTransform::Translate(double X, double Y, double Z) {
    return Multiply(QorMatrix::Translation(X, Y, Z));
}

TQorTransform& TQorTransform::Scale(double X, double Y, double Z) {
    return Multiply(QorMatrix::Scaling(X, Y, Z));
}

TQorTransform& TQorTransform::Rotate(double Angle, double X, double Y, double Z) {
    return Multiply(QorMatrix::Rotation(Angle, X, Y, Z));
}

std::array<double, 4> TQorTransform::Apply(double X, double Y, double Z) const {
    std::array<double, 4> r{};
    for (size_t row = 0; row < 4; ++row)
        r[row] = FM[row] * X + FM[4 + row] * Y + FM[8 + row] * Z + FM[12 + row];
    return r;
}

// ---- Outline ---------------------------------------------------------------------------------

// The steps of PaintChartFrame and DrawSceneAxes up to each axis frame.
std::vector<std::array<double, 4>> QorPaint::ChartOutline(TQor3DChart& Chart,
                                                          const TQorSceneFrame& Frame,
                                                          const TQorMatrix& ProjectView,
                                                          double PixelSize) {
    TQorChartAxis3D& x = Chart.AxisX();
    TQorChartAxis3D& y = Chart.AxisY();
    TQorChartAxis3D& z = Chart.AxisZ();
    const std::array<double, 3> range{Frame.RX, Frame.RY, Frame.RZ};
    LayoutAxis(x, PixelSize, 1 / Frame.RX);
    LayoutAxis(y, PixelSize, 1 / Frame.RY);
    LayoutAxis(z, PixelSize, 1 / Frame.RZ);
    TQorTransform scene(ProjectView);
    scene.Scale(1 / Frame.RX, 1 / Frame.RY, 1 / Frame.RZ);
    const std::array<double, 3> origin =
        Frame.BoxRelative ? Frame.Centre : std::array<double, 3>{0, 0, 0};
    if (!Frame.BoxRelative)
        scene.Translate(-AxisCentre(x), -AxisCentre(y), -AxisCentre(z));

    TClipPoints out;
    const std::array<const TQorChartAxis3D*, 3> axes{&x, &y, &z};
    for (int corner = 0; corner < 8; ++corner) {
        std::array<double, 3> p{};
        for (size_t k = 0; k < 3; ++k) {
            const TQorAxisLayout& L = axes[k]->Layout;
            p[k] = ((corner >> k) & 1 ? L.DisplayMax : L.DisplayMin) - origin[k];
        }
        out.push_back(scene.Apply(p[0], p[1], p[2]));
    }
    for (size_t i = 0; i < 3; ++i) {
        const auto id = static_cast<TQorAxisId>(i);
        std::array<double, 3> at = AxisOrigin(id, x, y, z);
        for (size_t k = 0; k < 3; ++k)
            at[k] = k == i ? 0 : at[k] - origin[k];
        TQorTransform frame = scene;
        frame.Translate(at[0], at[1], at[2])
            .Scale(range[0], range[1], range[2])
            .Multiply(AxisFrameTurn(id));
        AxisOutline(*axes[i], PixelSize, 1.0 / range[i], origin[i], frame, out);
    }
    return out;
}

// ---- Fit -------------------------------------------------------------------------------------

TQorMatrix TQorViewFit::Applied(const TQorMatrix& Projection) const {
    return QorMatrix::Multiply({Scale, 0, 0, 0, 0, Scale, 0, 0, 0, 0, 1, 0, ShiftX, ShiftY, 0, 1},
                               Projection);
}

TQorViewFit QorPaint::FitChartView(TQor3DChart& Chart, const TQorSceneFrame& Frame, int Width,
                                   int Height) {
    if (Width <= 0 || Height <= 0)
        return {};
    const TQor3DViewMatrix view = TQor3DViewMatrix::OfDraw(Chart, Width, Height);
    const TQorMatrix projectView = QorMatrix::Multiply(view.Projection(), view.ModelView());
    const auto bounds = [&](double Scale, double Labels = 1) {
        const double pixelSize = TQorViewFit{.Scale = Scale, .Labels = Labels}.PixelSize();
        return BoundsOf(ChartOutline(Chart, Frame, projectView, pixelSize), Scale);
    };
    // Half a pixel over the edge cuts only the labels' blank border: that still counts as inside.
    const double slackX = 1.0 / Width;
    const double slackY = 1.0 / Height;
    const TBounds whole = bounds(1);
    if (whole.Empty() || (whole.Left >= -1 - slackX && whole.Right <= 1 + slackX &&
                          whole.Bottom >= -1 - slackY && whole.Top <= 1 + slackY))
        return {};

    const double limitX = 1 - 2 * QorFitMarginPixels / Width;
    const double limitY = 1 - 2 * QorFitMarginPixels / Height;
    const auto fits = [&](const TBounds& B) {
        return B.Right - B.Left <= 2 * limitX && B.Top - B.Bottom <= 2 * limitY;
    };
    // The largest X from Lo to Hi at which Fits(X), else Lo.
    const auto largest = [](double Lo, double Hi, const auto& Fits) {
        constexpr int steps = 16;
        if (Fits(Lo))
            for (int i = 0; i < steps; ++i) {
                const double mid = (Lo + Hi) / 2;
                (Fits(mid) ? Lo : Hi) = mid;
            }
        return Lo;
    };
    // Labels keep their pixel size, so the outline shrinks with the zoom only in part.
    const auto zoomFitting = [&](double Lo, double Hi, double Labels) {
        return largest(Lo, Hi, [&](double S) { return fits(bounds(S, Labels)); });
    };
    double scale = 1;
    double labels = 1;
    if (!fits(whole)) {
        scale = zoomFitting(QorFitLeastZoom, 1, 1);
        const double last = std::max(
            QorFitLastZoom, QorFitLeastZoom * std::min(1.0, Chart.ViewScale() / QorFitFullZoom));
        if (last < scale && !fits(bounds(scale))) {
            if (fits(bounds(last))) {
                scale = zoomFitting(last, scale, 1);
            } else if (fits(bounds(last, QorFitLeastLabels))) {
                labels = largest(QorFitLeastLabels, 1.0,
                                 [&](double L) { return fits(bounds(last, L)); });
                scale = zoomFitting(last, scale, labels);
            }
        }
    }
    const TBounds b = scale == 1 ? whole : bounds(scale, labels);
    return {scale, ShiftInto(b.Left, b.Right, limitX), ShiftInto(b.Bottom, b.Top, limitY), labels};
}

TQor3DViewMatrix QorPaint::FittedViewMatrix(TQor3DChart& Chart, int Width, int Height) {
    const TQor3DViewMatrix view = TQor3DViewMatrix::OfDraw(Chart, Width, Height);
    SetDisplayedRanges(Chart);
    if (Chart.DisableMatrixInit() || !ChartDrawable(Chart))
        return view;
    const TQorViewFit fit = FitChartView(Chart, ComputeSceneFrame(Chart), Width, Height);
    return {fit.Applied(view.Projection()), view.ModelView(), Width, Height};
}
