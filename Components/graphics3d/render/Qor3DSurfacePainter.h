// Pieces of the data painting shared by the 3D surface and the 4D painters: the colour mapping,
// the picture texture cache, the alpha tables, the grid normals and the state of the translucent
// and highlight passes. The grids themselves go out through Qor3DGridArrays.
#pragma once

#include "QorPalette.h"
#include "chart/Qor3DGridNormal.h"
#include "gl/Qor3DLib.h"
#include "render/Qor3DChartPaint.h"
#include "render/Qor3DGridArrays.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

class QImage;

namespace QorPaint {

// ---- Colour source ---------------------------------------------------------------------------

// True when the picture, not the palette, colours the data of the chart.
bool ChartUsesBitmap(const TQor3DChart& Chart);

using TPaletteMap = TQorPaletteMap;

// The texture coordinate of a point: 2D from x and z on the picture, 1D from the value on the
// palette.
struct TColorMapping {
    bool UseBitmap = false;
    TPaletteMap Palette;
    double XMin = 0;
    double XScale = 0;
    double ZMin = 0;
    double ZScale = 0;

    int TexSize() const { return UseBitmap ? 2 : 1; }
    void Coord(double X, double Value, double Z, float* Out) const {
        if (UseBitmap) {
            Out[0] = float((X - XMin) * XScale);
            Out[1] = float((Z - ZMin) * ZScale);
        } else {
            Out[0] = float(Palette.Coord(Value));
        }
    }
};
// The 3D kind maps the displayed Y range, the 4D kinds their value range; the picture spans the
// x and z extents of the data.
TColorMapping ChartColorMapping(const TQor3DChart& Chart);

// Sides of the picture texture: each side of the picture rounded up to a power of two on its
// own, at most GL_MAX_TEXTURE_SIZE (taken as 64 when the query failed), so a texture never
// holds more than the picture's pixels justify.
struct TTextureSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TTextureSize&) const = default;
};
TTextureSize PictureTextureSize(int MaxTextureSize, int Width, int Height);
// The picture stretched onto Size, blue-green-red triples, top row first.
std::vector<uint8_t> PictureTexturePixels(const QImage& Picture, TTextureSize Size);

// ---- Passes ----------------------------------------------------------------------------------

struct TAlphaPair {
    uint8_t First = 255;
    uint8_t Second = 255;
};
// Alpha of the two translucent passes; opaque outside 1 ... 9.
TAlphaPair TransparencyAlpha(int Transparency);
inline bool IsTranslucent(int Transparency) {
    return Transparency > 0 && Transparency < 10;
}

// Blending and depth state before the data when translucent (nothing otherwise), without its
// close: Draw4DLayers sets it once before its layers, each of which then holds its own
// TGLTransparency.
void BeginTransparency(const TGLFunctions& gl, int Transparency);

// The translucent passes' state for a scope: BeginTransparency now and, when Transparency is
// translucent, depth writes on and blending off at the end.
class TGLTransparency : public TGLScope {
public:
    TGLTransparency(const TGLFunctions& gl, int Transparency);
};

// Additive specular-only drawing on top of the surface already there, for a scope: at its end
// the depth test is GL_LESS again, depth writes are on and blending is off.
class TGLHighlight : public TGLScope {
public:
    explicit TGLHighlight(const TGLFunctions& gl);
};

// ---- Grid normals ----------------------------------------------------------------------------

using TPoint3f = TQorVec3<float>;
using TNormal16 = TQorNormal16;
using TNormalD = std::array<double, 3>;

// The normal of grid point (Col, Row) as the chart stores normals. Point(c, r) gives a point.
template <typename F> TNormal16 GridNormal16(F&& Point, int Col, int Row, int Cols, int Rows) {
    return NormalToInt16(GridPointNormal(Point, Col, Row, Cols, Rows));
}

// The same rule on coordinates divided by the per-axis ranges (box units), in double precision,
// scaled to length 1.
inline TQorVec3<double> BoxPoint(const TPoint3f& P, const TQorSceneFrame& S) {
    return {double(P.X) / S.RX, double(P.Y) / S.RY, double(P.Z) / S.RZ};
}
template <typename F>
TNormalD GridNormalBox(F&& Point, int Col, int Row, int Cols, int Rows, const TQorSceneFrame& S) {
    const auto box = [&](int c, int r) {
        return BoxPoint(Point(c, r), S);
    };
    return NormalToUnit(GridPointNormal(box, Col, Row, Cols, Rows));
}

// Whether the data lighting is on for this paint.
bool ChartLightsOn(const TQor3DChart& Chart);

// The normal of a low-memory 3D grid point: in the data's own coordinates as 16-bit integers,
// or (without RawVertices) in box units as a unit vector.
TNormal16 VertexNormal(const TQor3DChart& Chart, int Col, int Row);
TNormalD VertexNormal(const TQor3DChart& Chart, const TQorSceneFrame& Frame, int Col, int Row);

} // namespace QorPaint
