// The axes and grid planes of the chart scene: axis layout (ticks, labels, text metrics),
// the axis drawing with its text quads, the placement of the three axes in the scene frame and
// the twelve stippled grid planes. Everything draws through GL() with a context active.
//
// Sections: layout; text quads; axis drawing; placement; grid planes.
#pragma once

#include "chart/Qor3DChartAxis.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QImage;

namespace QorPaint {

// World units per pixel of axis text, tick marks and caption offsets.
constexpr double QorAxisPixelSize = 0.002;

enum class TQorAxisId : uint8_t { X, Y, Z };

// A 4 x 4 matrix in column order, as glMultMatrixd takes it.
using TQorMatrix = std::array<double, 16>;

// ---- Layout ----------------------------------------------------------------------------------

// Fills the layout state of Axis: displayed range (axis space), text metrics, ticks and labels,
// caption position. Scale is one world unit per ScaleRange of the axis.
void LayoutAxis(TQorChartAxis3D& Axis, double PixelSize, double Scale);

// ---- Text quads ------------------------------------------------------------------------------

struct TQorTextQuadCorner {
    double X = 0; // along the axis, pixels
    double Y = 0; // across the axis, pixels
    double S = 0;
    double T = 0;
};

// The smallest power of two not below v (1 for v below 2).
int NextPowerOfTwo(int v);

// Texels of one text picture at most: the labels of a huge font cover their full size from a
// coarser picture instead of taking gigabytes. Normal texts stay far below it.
constexpr int64_t QorMaxTextTexels = int64_t(2048) * 2048;

// A text's quad of QuadW x QuadH pixels and its picture of W x H texels in a PotW x PotH
// texture. The picture has the quad's size unless that holds more than MaxTexels texels; then
// it keeps the quad's proportions within MaxTexels.
struct TQorTextTexture {
    int QuadW = 0;
    int QuadH = 0;
    int W = 0;
    int H = 0;
    int PotW = 1;
    int PotH = 1;
};
TQorTextTexture TextTextureFor(int QuadW, int QuadH, int64_t MaxTexels = QorMaxTextTexels);

// The corners of a text quad, centred on the tick along the axis and placed on the Justify side
// of the axis line.
std::array<TQorTextQuadCorner, 4> TextQuadCorners(const TQorTextTexture& Texture, int DashWidth,
                                                  TLeftRight Justify, bool Flip);

// Writes Text at (1, 1) of the quad on a W x H bitmap filled with Back (24 bits per pixel),
// scaled from the quad's pixels to the texels, and copies its rows, top row first, into a
// zeroed PotW x PotH buffer of blue, green, red bytes.
std::vector<uint8_t> RenderTextTexture(QImage& Bitmap, const TFont& Font, TColor Back,
                                       const std::string& Text, const TQorTextTexture& Texture);

// The text width plus 2, at most MaxTex.
int TextTextureWidth(const TFont& Font, const std::string& Text, int MaxTex);

// Draws Text as one textured quad at the current tick point, turned by Angle degrees in its
// plane. TexH is the texture height the caller chose; Font and the axis's TextBackColor form
// the picture. Empty texts draw nothing.
void DrawTextQuad(TQorChartAxis3D& Axis, const TFont& Font, const std::string& Text, double Angle,
                  int TexH, int MaxTex);

// ---- Axis drawing ----------------------------------------------------------------------------

// Lays out Axis and draws it in the current frame, whose x runs along the axis in world units
// and whose origin lies at axis value Offset. Changes the current matrix (callers push and pop).
// Qor3DViewFit's outline repeats these steps without drawing: change both together.
void DrawAxis(TQorChartAxis3D& Axis, double PixelSize, double Scale, double Offset);

// ---- Placement -------------------------------------------------------------------------------

// Where the frame of an axis has its origin, in the scene frame (axis space): value 0 along the
// axis, the Axis1Position / Axis2Position ends across it.
std::array<double, 3> AxisOrigin(TQorAxisId Id, const TQorChartAxis3D& X, const TQorChartAxis3D& Y,
                                 const TQorChartAxis3D& Z);

// The turn from the scene's directions to the axis frame: X keeps x, y, z; Y has x along +Y,
// y along -X; Z has x along +Z, y along -Y, z along +X.
TQorMatrix AxisFrameTurn(TQorAxisId Id);

// Places and draws the three axes in the scene frame whose per-axis scale is 1 / Range (the data
// lengths that make one world unit along X, Y, Z) and whose origin lies at Origin (axis space):
// far from zero the scene takes the centre of the displayed ranges, so that coordinates reach
// GL's floats as small differences, not as raw values. PixelSize is larger than
// QorAxisPixelSize where the view is zoomed out to fit the labels (they keep their pixel size).
void DrawSceneAxes(TQorChartAxis3D& X, TQorChartAxis3D& Y, TQorChartAxis3D& Z,
                   const std::array<double, 3>& Range, const std::array<double, 3>& Origin,
                   double PixelSize = QorAxisPixelSize);

// ---- Grid planes -----------------------------------------------------------------------------

enum class TQorGridPlane : uint8_t {
    XYmax,
    XZmax,
    YXmax,
    YZmax,
    ZXmax,
    ZYmax,
    XYmin,
    XZmin,
    YXmin,
    YZmin,
    ZXmin,
    ZYmin
};
constexpr int QorGridPlaneCount = 12;

bool GridPlaneFlag(const TQorGrid3DProp& Grid, TQorGridPlane Plane);

// The frame in which DrawGridPlane draws one plane, in a scene frame whose origin lies at
// Origin: local x along the tick axis (x = tick value - Offset), local y from the low end of
// the third axis, Length its displayed span.
struct TQorGridPlaneFrame {
    TQorMatrix Matrix{};
    double Length = 0;
    TQorAxisId TickAxis = TQorAxisId::X;
    double Offset = 0;
};
TQorGridPlaneFrame GridPlaneFrame(TQorGridPlane Plane, const TQorChartAxis3D& X,
                                  const TQorChartAxis3D& Y, const TQorChartAxis3D& Z,
                                  const std::array<double, 3>& Origin = {0, 0, 0});

// The lines of one plane in the current frame: for every tick value v of Axis the line from
// (v - Offset, 0, 0) to (v - Offset, Length, 0) in Major's style, then, with MinorOn, the minor
// ticks in Minor's.
void DrawGridPlane(const TQorChartAxis3D& Axis, bool MinorOn, const TQorGrid3DProp& Major,
                   const TQorGrid3DProp& Minor, double Length, double Offset);

// The twelve planes in their fixed order, each where Major's flag is on, with stippling on
// around them, in the scene frame whose origin lies at Origin (as for DrawSceneAxes).
void DrawSceneGridPlanes(const TQorChartAxis3D& X, const TQorChartAxis3D& Y,
                         const TQorChartAxis3D& Z, const TQorGrid3DProp& Major,
                         const TQorGrid3DProp& Minor, const std::array<double, 3>& Origin);

} // namespace QorPaint
