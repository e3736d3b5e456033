// The chart's scene painting: the box around the origin that the three axis ranges are fitted
// into, the axes and grid planes, the clip box, the colour source and lighting of the data, the
// data by kind and the three paint hooks of the owner.
#pragma once

#include "UQorTypes.h"
#include "render/Qor3DChartPaint.h"

#include <QImage>

class TQor3DChart;

// What the scene painting takes from the drawing control the chart is shown in.
struct TQorSceneOptions {
    bool LightsON = true;
    // At design time an empty chart shows the sample surface.
    bool Designing = false;
    // The view's size in pixels while the user turns it (the painters may then thin out big
    // grids); {0, 0} for a full-density picture.
    TPoint TurningView{0, 0};
};

namespace QorPaint {

// DisplayMin ... DisplayMax of the three axes from Minimum and Maximum (ascending, decimal
// logarithms on a logarithmic axis).
void SetDisplayedRanges(TQor3DChart& Chart);

// Whether the chart has anything to draw with the displayed ranges now set.
bool ChartDrawable(const TQor3DChart& Chart);

// ScaleRange of the three axes from the displayed ranges, the aspect options and HeightY, and
// whether the data painters take raw vertices.
TQorSceneFrame ComputeSceneFrame(const TQor3DChart& Chart);

// The lighting and material of the data (or none), set after the axes, which draw unlit.
void SetDataLighting(bool LightsON);

// The whole scene, called with the chart's context active in the view transform of the
// drawing control. No exception of the chart drawing leaves it; OnAfterPaintGL always runs.
void PaintScene(TQor3DChart& Chart, const TRect& PaintRect, const TQorSceneOptions& Options);

// Renders the chart off-screen (the drawing control's bitmap back-end, OSMesa unless changed)
// at Width x Height and returns the picture. Raises what RenderToBitmap raises.
QImage RenderChartImage(TQor3DChart& Chart, int Width, int Height);

} // namespace QorPaint
