// Reading values off a chart: the data point at given data coordinates (plotyra-cli probe) or
// under a pixel of the drawn picture (the viewer's readout), reported alike. The pick casts the
// pixel's ray against the geometry the painters draw (surface cells, the drawn 4D layers and
// faces, the list layers), in software: no GL is needed and nothing is read back.
#pragma once

#include "draw/Qor3DViewMatrix.h"

#include "UQorTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class TQor3DChart;

// One data point. Coordinates and height are in data units (not their logarithms along a
// logarithmic axis); for a surface Y is the height and Value is unused.
struct TQorProbeResult {
    bool Found = false;
    TQorDataKind Kind = dk3D;
    double X = 0;
    double Y = 0;
    double Z = 0;
    double Value = 0;
    // Where the painters put the point (drawing coordinates: logarithms along logarithmic axes),
    // for a marker.
    TQorPoint3d Drawn{0, 0, 0};
};

// One labelled number of a readout: "lat [degrees_north]" and 12.5.
struct TQorProbeField {
    std::string Label;
    double Value = 0;
};

namespace QorProbe {

// The point nearest to (X, Y, Z) in data units, Y ignored for a surface: the nearest grid
// point of a surface (by X and Z), the cell of a volume that holds the point, the nearest
// point of box faces or list layers. Nothing is found off the data (outside their extent, or at
// a point without a finite value).
TQorProbeResult AtData(const TQor3DChart& Chart, double X, double Y, double Z);

// The view a paint of Chart at Width × Height pixels draws its data under: the drawing
// control's view transform, then the chart's scaling and centring. Sets the chart's displayed
// ranges as a paint does.
TQor3DViewMatrix ChartView(TQor3DChart& Chart, int Width, int Height);

// The data point drawn under pixel position (PX, PY) (from the top-left corner) of a picture of
// Width × Height pixels: the front-most drawn cell the pixel's ray meets, and of it the grid
// point nearest to the hit.
TQorProbeResult AtPixel(TQor3DChart& Chart, int Width, int Height, double PX, double PY);

} // namespace QorProbe

// Picks as QorProbe::AtPixel does, one hover after another: the bounding boxes of a surface's
// or layer list's blocks of cells are kept between picks, made again when the chart's grid
// (arrays, counts, kind, layout, logarithmic axes) is another, or after Forget (the data were
// changed in place).
class TQorChartPicker {
public:
    TQorChartPicker();
    TQorChartPicker(const TQorChartPicker&) = delete;
    TQorChartPicker& operator=(const TQorChartPicker&) = delete;
    ~TQorChartPicker();

    TQorProbeResult AtPixel(TQor3DChart& Chart, int Width, int Height, double PX, double PY);
    void Forget();

private:
    struct TCache;
    std::unique_ptr<TCache> FCache;
};

namespace QorProbe {

// The labelled numbers of a readout, in the order shown: X, Z and height for a surface; X, Y, Z
// and the value otherwise. Labels are the axis captions ("X", "Y", "Z", "Value" without one).
std::array<TQorProbeField, 4> Fields(const TQor3DChart& Chart, const TQorProbeResult& Result);
int FieldCount(const TQorProbeResult& Result);

// The status-bar text: "lat [degrees_north] = 12.5   lon = 3   height = 0.25".
std::string ReadoutText(const TQor3DChart& Chart, const TQorProbeResult& Result);

} // namespace QorProbe
