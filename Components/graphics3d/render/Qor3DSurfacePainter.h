// Pieces of the data painting shared by the 3D surface and the 4D painters: the colour mapping,
// the picture texture cache, the alpha tables, the four strip patterns, the grid normals and the
// state of the translucent and highlight passes.
#pragma once

#include "gl/Qor3DLib.h"
#include "render/Qor3DChartPaint.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

class QImage;

namespace QorPaint {

// ---- Colour source ---------------------------------------------------------------------------

// True when the picture, not the palette, colours the data of the chart.
bool ChartUsesBitmap(const TQor3DChart& Chart);

// Palette coordinate (v - E) * F for a colour range Lo ... Hi.
struct TPaletteMap {
    double E = 0;
    double F = 1;
    double Coord(double V) const { return (V - E) * F; }
};
TPaletteMap PaletteMap(double Lo, double Hi);

// The texture coordinate of a point: 2D from x and z on the picture, 1D from the value on the
// palette.
struct TColorMapping {
    bool UseBitmap = false;
    TPaletteMap Palette;
    double XMin = 0;
    double XScale = 0;
    double ZMin = 0;
    double ZScale = 0;

    void Emit(const TGLFunctions& gl, double X, double Value, double Z) const {
        if (UseBitmap)
            gl.TexCoord2d((X - XMin) * XScale, (Z - ZMin) * ZScale);
        else
            gl.TexCoord1d(Palette.Coord(Value));
    }
};
// The 3D kind maps the displayed Y range, the 4D kinds their value range; the picture spans the
// x and z extents of the data.
TColorMapping ChartColorMapping(const TQor3DChart& Chart);

// Side N of the square picture texture: from GL_MAX_TEXTURE_SIZE halved while the picture
// fits into half of it, never below 32.
int PictureTextureSize(int MaxTextureSize, int Width, int Height);
// The picture stretched onto N x N pixels, blue-green-red triples, top row first.
std::vector<uint8_t> PictureTexturePixels(const QImage& Picture, int N);

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

// Blending and depth state before the data when translucent.
void BeginTransparency(const TGLFunctions& gl, int Transparency);
// Depth writes on and blending off after a translucent pass.
void EndTransparency(const TGLFunctions& gl);
// Additive specular-only drawing on top of the surface already there.
void BeginHighlight(const TGLFunctions& gl);
void EndHighlight(const TGLFunctions& gl);

// ---- Strip patterns --------------------------------------------------------------------------

enum class TStripPattern : uint8_t { WireForward, SolidForward, WireReverse, SolidReverse };

inline TStripPattern StripPattern(bool Wired, bool Reverse) {
    if (Wired)
        return Reverse ? TStripPattern::WireReverse : TStripPattern::WireForward;
    return Reverse ? TStripPattern::SolidReverse : TStripPattern::SolidForward;
}

// Emits a grid of Cols x Rows points as line strips or quadrilateral strips; Vertex(col, row)
// sends one vertex. The reverse solid pattern keeps the triangle orientation of the forward one.
template <typename F>
void DrawStrips(const TGLFunctions& gl, TStripPattern Pattern, int Cols, int Rows, F&& Vertex) {
    switch (Pattern) {
    case TStripPattern::WireForward:
        for (int r = 0; r < Rows; ++r) {
            gl.Begin(GL_LINE_STRIP);
            for (int c = 0; c < Cols; ++c)
                Vertex(c, r);
            gl.End();
        }
        for (int c = 0; c < Cols; ++c) {
            gl.Begin(GL_LINE_STRIP);
            for (int r = 0; r < Rows; ++r)
                Vertex(c, r);
            gl.End();
        }
        break;
    case TStripPattern::WireReverse:
        for (int r = Rows - 1; r >= 0; --r) {
            gl.Begin(GL_LINE_STRIP);
            for (int c = Cols - 1; c >= 0; --c)
                Vertex(c, r);
            gl.End();
        }
        for (int c = Cols - 1; c >= 0; --c) {
            gl.Begin(GL_LINE_STRIP);
            for (int r = Rows - 1; r >= 0; --r)
                Vertex(c, r);
            gl.End();
        }
        break;
    case TStripPattern::SolidForward:
        for (int r = 0; r + 1 < Rows; ++r) {
            gl.Begin(GL_QUAD_STRIP);
            for (int c = 0; c < Cols; ++c) {
                Vertex(c, r);
                Vertex(c, r + 1);
            }
            gl.End();
        }
        break;
    case TStripPattern::SolidReverse:
        for (int r = Rows - 2; r >= 0; --r) {
            gl.Begin(GL_QUAD_STRIP);
            for (int c = Cols - 1; c >= 0; --c) {
                Vertex(c, r + 1);
                Vertex(c, r);
            }
            gl.End();
        }
        break;
    }
}

// ---- Grid normals ----------------------------------------------------------------------------

struct TPoint3f {
    float X = 0;
    float Y = 0;
    float Z = 0;
};
using TNormal16 = std::array<int16_t, 3>;
using TNormalD = std::array<double, 3>;

namespace Detail {

inline TPoint3f UnitTo(const TPoint3f& P, const TPoint3f& Q) {
    const float dx = Q.X - P.X;
    const float dy = Q.Y - P.Y;
    const float dz = Q.Z - P.Z;
    float len = float(std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz));
    if (len < 1e-20f)
        len = 1;
    return {dx / len, dy / len, dz / len};
}

inline TPoint3f Cross(const TPoint3f& a, const TPoint3f& b) {
    return {float(double(a.Y) * b.Z - double(a.Z) * b.Y),
            float(double(a.Z) * b.X - double(a.X) * b.Z),
            float(double(a.X) * b.Y - double(a.Y) * b.X)};
}

inline TNormalD UnitToD(const TNormalD& P, const TNormalD& Q) {
    TNormalD d = {Q[0] - P[0], Q[1] - P[1], Q[2] - P[2]};
    double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len < 1e-20)
        len = 1;
    return {d[0] / len, d[1] / len, d[2] / len};
}

inline TNormalD CrossD(const TNormalD& a, const TNormalD& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

} // namespace Detail

// The normal of grid point (Col, Row) from its neighbours in the previous row, previous column,
// next row and next column (the point itself where one is missing), scaled to length 32000 in
// 16-bit integers; (1, 1, 1) where the neighbours give no direction. Point(c, r) gives a point.
template <typename F> TNormal16 GridNormal16(F&& Point, int Col, int Row, int Cols, int Rows) {
    const TPoint3f p = Point(Col, Row);
    const TPoint3f a = Detail::UnitTo(p, Row > 0 ? Point(Col, Row - 1) : p);
    const TPoint3f b = Detail::UnitTo(p, Col > 0 ? Point(Col - 1, Row) : p);
    const TPoint3f c = Detail::UnitTo(p, Row + 1 < Rows ? Point(Col, Row + 1) : p);
    const TPoint3f d = Detail::UnitTo(p, Col + 1 < Cols ? Point(Col + 1, Row) : p);
    const TPoint3f ab = Detail::Cross(a, b), bc = Detail::Cross(b, c);
    const TPoint3f cd = Detail::Cross(c, d), da = Detail::Cross(d, a);
    const float sx = float(double(ab.X) + bc.X + cd.X + da.X);
    const float sy = float(double(ab.Y) + bc.Y + cd.Y + da.Y);
    const float sz = float(double(ab.Z) + bc.Z + cd.Z + da.Z);
    const double len = std::sqrt(double(sx) * sx + double(sy) * sy + double(sz) * sz);
    if (!(len >= 1e-20))
        return {1, 1, 1};
    const double f = 32000.0 / len;
    return {int16_t(std::trunc(sx * f)), int16_t(std::trunc(sy * f)), int16_t(std::trunc(sz * f))};
}

// The same rule in double precision on coordinates divided by the per-axis ranges (box units),
// scaled to length 1.
template <typename F>
TNormalD GridNormalBox(F&& Point, int Col, int Row, int Cols, int Rows, const TQorSceneFrame& S) {
    const auto box = [&](int c, int r) {
        const TPoint3f q = Point(c, r);
        return TNormalD{double(q.X) / S.RX, double(q.Y) / S.RY, double(q.Z) / S.RZ};
    };
    const TNormalD p = box(Col, Row);
    const TNormalD a = Detail::UnitToD(p, Row > 0 ? box(Col, Row - 1) : p);
    const TNormalD b = Detail::UnitToD(p, Col > 0 ? box(Col - 1, Row) : p);
    const TNormalD c = Detail::UnitToD(p, Row + 1 < Rows ? box(Col, Row + 1) : p);
    const TNormalD d = Detail::UnitToD(p, Col + 1 < Cols ? box(Col + 1, Row) : p);
    const TNormalD ab = Detail::CrossD(a, b), bc = Detail::CrossD(b, c);
    const TNormalD cd = Detail::CrossD(c, d), da = Detail::CrossD(d, a);
    const TNormalD s = {ab[0] + bc[0] + cd[0] + da[0], ab[1] + bc[1] + cd[1] + da[1],
                        ab[2] + bc[2] + cd[2] + da[2]};
    const double len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (!(len >= 1e-280))
        return {1, 1, 1};
    return {s[0] / len, s[1] / len, s[2] / len};
}

// Whether the data lighting is on for this paint.
bool ChartLightsOn(const TQor3DChart& Chart);

} // namespace QorPaint

// The normal of a low-memory 3D grid point: in the data's own coordinates as 16-bit integers,
// or (without RawVertices) in box units as a unit vector.
QorPaint::TNormal16 VertexNormal(const TQor3DChart& Chart, int Col, int Row);
QorPaint::TNormalD VertexNormal(const TQor3DChart& Chart, const TQorSceneFrame& Frame, int Col,
                                int Row);
