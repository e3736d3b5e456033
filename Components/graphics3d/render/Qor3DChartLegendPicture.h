// The chart picture with the colour-scale legend beside it, as the copy-image dialog and the
// command-line renderer compose it: the legend drawn as a vector picture at the picture's
// height and as wide as its labels need, the chart rendered off-screen in the rest.
#pragma once

#include <QImage>
#include <QPicture>
#include <QRect>
#include <optional>
#include <string>

class QPainter;
class TQor3DChart;
class TQorColorScale;

// The parts of R for the chart and the legend: the legend as wide as its picture scaled to R's
// height, at R's left edge with LegendLeft, else at its right edge; the chart in the rest; both
// intersected with R.
struct TChartLegendLayout {
    QRect Chart;
    QRect Legend;
};

namespace QorPaint {

TChartLegendLayout LayoutChartAndLegend(const QRect& R, const QSize& LegendSize, bool LegendLeft);

} // namespace QorPaint

// The legend as a vector drawing of Size, and the side it stands on.
struct TQorLegendPicture {
    QPicture Picture;
    QSize Size;
    bool Left = false;
};

namespace QorPaint {

// Draws Legend for a picture of Width x Height. A copy of it with AutoSize on paints once so
// that it finds the width its labels need, then paints again at that width. A legend as wide
// as Width or wider would leave the chart no room: it then gets Width / 2 and is cut there.
TQorLegendPicture DrawLegendPicture(const TQorColorScale& Legend, int Width, int Height);

} // namespace QorPaint

// A rendered chart bitmap with its legend (absent when the legend is hidden).
struct TQorChartPicture {
    QImage Chart;
    std::optional<TQorLegendPicture> ScaleImage;
    QSize Size;
    // What the chart's painting swallowed during the render (its LastPaintError), empty when
    // it drew everything.
    std::string PaintError;
    // The chart was drawn whole, at the size asked for (a render that could not get its
    // off-screen buffer leaves no bitmap).
    bool Complete() const;
};

namespace QorPaint {

// Renders Chart at Width x Height, less the legend's width when Legend is given. Raises what
// RenderToBitmap raises.
TQorChartPicture RenderChartPicture(TQor3DChart& Chart, const TQorColorScale* Legend, int Width,
                                    int Height);

// Draws the picture stretched into R. The legend goes first and the opaque chart bitmap over
// it, so a legend cut to its part stays cut even where the paint device cannot clip (SVG).
void DrawChartPicture(QPainter& Painter, const QRect& R, const TQorChartPicture& Picture);

// The picture as one bitmap of its size on white; a null image when no memory could be had.
QImage ChartPictureImage(const TQorChartPicture& Picture);

} // namespace QorPaint
