// Labels that fit: where the axes' tick labels, captions or lines would fall outside the view,
// the chart is drawn smaller or shifted so that they are whole. The screen rectangles come from
// the drawing control's projection and view transform in software (draw/Qor3DViewMatrix), the
// scene's and axis painter's steps replicated in double, and the labels' text metrics; nothing is
// read back from GL.
//
// Sections: matrices; outline; fit.
#pragma once

#include "draw/Qor3DViewMatrix.h"
#include "render/Qor3DAxisPainter.h"
#include "render/Qor3DChartPaint.h"

#include <array>
#include <vector>

class TQor3DChart;

namespace QorPaint {

// ---- Matrices --------------------------------------------------------------------------------

// A 4 x 4 transform in column order that is built as GL builds its current matrix: every step
// multiplies on the right.
class TQorTransform {
public:
    TQorTransform();
    explicit TQorTransform(const TQorMatrix& M) : FM(M) {}
    const TQorMatrix& Matrix() const { return FM; }
    TQorTransform& Multiply(const TQorMatrix& M);
    TQorTransform& Translate(double X, double Y, double Z);
    TQorTransform& Scale(double X, double Y, double Z);
    // Angle in degrees about (X, Y, Z), as glRotated.
    TQorTransform& Rotate(double Angle, double X, double Y, double Z);
    // The homogeneous image of (X, Y, Z, 1).
    std::array<double, 4> Apply(double X, double Y, double Z) const;

private:
    TQorMatrix FM;
};

// ---- Outline ---------------------------------------------------------------------------------

// Clip-space points of what the axes draw: the line from its first tick to the caption, the
// tick marks, the arrowhead and the corners of every tick label and of the caption quad, with
// the axes laid out at PixelSize. ProjectView is projection x model-view of the scene (before
// the scene frame).
std::vector<std::array<double, 4>> ChartOutline(TQor3DChart& Chart, const TQorSceneFrame& Frame,
                                                const TQorMatrix& ProjectView, double PixelSize);

// ---- Fit -------------------------------------------------------------------------------------

// A zoom about the view's centre and a shift after the projection, in normalised device
// coordinates (the view spans -1 ... 1 along both sides).
struct TQorViewFit {
    double Scale = 1;
    double ShiftX = 0;
    double ShiftY = 0;
    // The labels' size against their own: below 1 only where no zoom brings them in whole.
    double Labels = 1;
    bool Identity() const { return Scale == 1 && ShiftX == 0 && ShiftY == 0 && Labels == 1; }
    // The pixel size the axes are laid out at: their own, undoing the zoom, times Labels.
    double PixelSize() const { return QorAxisPixelSize * Labels / Scale; }
    // Fit x Projection: what GL's projection becomes.
    TQorMatrix Applied(const TQorMatrix& Projection) const;
};

// Pixels kept free at the view's edges once a fit is needed.
constexpr double QorFitMarginPixels = 2;

// The fit zooms out no further than this first: a chart the user zoomed in on beyond the view's
// edges still grows with the zoom, only less.
constexpr double QorFitLeastZoom = 0.7;

// Where even that leaves labels outside but a smaller zoom would bring them all in, it zooms out
// further, down to QorFitLeastZoom times the chart's own zoom over QorFitFullZoom (twice the
// default) and never below QorFitLastZoom: long captions in a small view are whole at the chart's
// own zoom, while the least effective zoom still grows with the chart's.
constexpr double QorFitFullZoom = 1.6;
constexpr double QorFitLastZoom = 0.3;

// Where labels stick out even at that lower bound, they are drawn smaller, down to this share of
// their size, just enough to be whole there (fonts too large for a small view).
constexpr double QorFitLeastLabels = 0.5;

// The least change of the view that brings the chart's outline (laid out with labels of the
// same pixel size whatever the zoom: PixelSize / Scale) within Width x Height: the identity
// when everything lies inside already, else a shift alone where the outline is small enough,
// else the largest zoom from QorFitLeastZoom to 1 at which it fits, else the largest from the
// lower bound above at which it fits, else that bound with labels as large as fit there, else
// QorFitLeastZoom; shifted inside (along a side where even that zoom leaves it too wide, not
// shifted). Leaves the axes laid out for the fit found.
TQorViewFit FitChartView(TQor3DChart& Chart, const TQorSceneFrame& Frame, int Width, int Height);

// The view a paint of Chart at Width x Height draws with: the drawing control's projection with
// the fit applied, and its view transform; for turning mouse positions into the scene. Lays the
// axes out as the paint does.
TQor3DViewMatrix FittedViewMatrix(TQor3DChart& Chart, int Width, int Height);

} // namespace QorPaint
