// What the scene painting hands to the data painters, and the data painters themselves.
// All of them draw through GL() with the chart's context active, in the scene frame.
#pragma once

#include "UQorTypes.h"

#include <array>

class TQor3DChart;

// Factor of the displayed span by which the clip box reaches beyond each end of an axis, so
// data lying exactly on an end are drawn.
constexpr double QorClipMargin = 0.0001;

// Working values of one scene paint.
struct TQorSceneFrame {
    // Data lengths that become one world unit along X, Y, Z.
    double RX = 1;
    double RY = 1;
    double RZ = 1;
    // False only for 3D data drawn solid from the low-memory layout.
    bool RawVertices = true;
    // Set where the scene frame would lose float precision on the data (far from the origin
    // for their span, or scale ranges far from 1): the data and the clip planes are then given
    // in box units around Centre, the centre of the displayed ranges, in the view transform.
    bool BoxRelative = false;
    std::array<double, 3> Centre{0, 0, 0};
    // The view's size while it turns at reduced density; {0, 0} at full density.
    TPoint TurningView{0, 0};
};

namespace QorPaint {

// The colour source of the data: the picture as a 2D texture or the palette as a 1D texture,
// with the value-to-texture-coordinate mapping for the kind's colour range.
void SetupChartColorSource(TQor3DChart& Chart, const TQorSceneFrame& Frame);

// The 3D kind: transparency set-up, strips or wire, passes and highlight. With RawVertices
// false the per-axis scale is taken out; the scene puts it back afterwards.
void DrawChartSurface(TQor3DChart& Chart, const TQorSceneFrame& Frame);

// dk4D and dk4DSurface: the layers (or faces) with their passes.
void Draw4DLayers(TQor3DChart& Chart, const TQorSceneFrame& Frame);

// dkNx4D: the list of separately gridded layers.
void DrawLayerList(TQor3DChart& Chart, const TQorSceneFrame& Frame);

// Clip plane 3 as the cross-section plane of the 4D kinds (set instead of the box plane
// y <= Y max when AxisY.AutoMax is on).
void SetCrossSectionPlane(TQor3DChart& Chart, const TQorSceneFrame& Frame);

} // namespace QorPaint
