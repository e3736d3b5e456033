// Grids of points (rows of columns) drawn through client-side vertex arrays: the rows and
// columns a paint draws (all, or every k-th while the view turns), the arrays a painter offers
// for a block of points, the frame the positions and normals are given in, and the strips of
// the four patterns, split where a point is a hole, each one glDrawElements.
#pragma once

#include "UQorTypes.h"
#include "gl/Qor3DLib.h"
#include "render/Qor3DChartPaint.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace QorPaint {

// ---- Strip patterns --------------------------------------------------------------------------

// Wire: line strips along every row, then along every column. Solid: one quadrilateral strip
// per pair of rows, the vertex of the lower row first. The reverse patterns run the other way
// and keep the triangle orientation of the forward ones.
enum class TStripPattern : uint8_t { WireForward, SolidForward, WireReverse, SolidReverse };

inline TStripPattern StripPattern(bool Wired, bool Reverse) {
    if (Wired)
        return Reverse ? TStripPattern::WireReverse : TStripPattern::WireForward;
    return Reverse ? TStripPattern::SolidReverse : TStripPattern::SolidForward;
}

// ---- Density ---------------------------------------------------------------------------------

// The indices 0 ... Count - 1 at every Step-th, the last one always kept.
std::vector<int> GridLine(int Count, int Step);

// The step (a power of two) at which a grid of Cols x Rows points is drawn: 1 at full density
// (View {0, 0}); otherwise the least step that leaves no more cells along either side than the
// view's longer side has groups of QorPixelsPerTurningCell pixels. Grids below the pixel count
// are thinned too: a 500 x 500 surface costs several frames' time on a software renderer.
constexpr int QorPixelsPerTurningCell = 4;
int TurningStep(int Cols, int Rows, TPoint View);

// ---- Arrays ----------------------------------------------------------------------------------

// The arrays glDrawElements reads for one block of grid points. Point (j, i) of the block, the
// j-th of its columns in the i-th of its rows, has index Col[j] + Row[i]; Holes, when set, holds
// a nonzero byte at the index of every point that is not drawn (a non-finite value).
struct TGridBlock {
    const void* Positions = nullptr;
    GLsizei PositionStride = 0;
    GLenum NormalType = GL_FLOAT;
    const void* Normals = nullptr;
    const float* TexCoords = nullptr;
    GLint TexSize = 1;
    const uint8_t* Holes = nullptr;
    std::vector<GLuint> Col;
    std::vector<GLuint> Row;
};

// What a painter offers for one grid: the arrays of any block of its points.
class TGridSource {
public:
    virtual ~TGridSource() = default;
    virtual int Cols() const = 0;
    virtual int Rows() const = 0;
    // The most points one block holds (no limit for arrays of the whole grid).
    virtual size_t BlockPoints() const = 0;
    // The arrays of the points at grid columns Cols in grid rows Rows (both ascending), with
    // texture coordinates when Textured; valid until the next call.
    virtual const TGridBlock& Block(std::span<const int> Cols, std::span<const int> Rows,
                                    bool Textured) = 0;
    // Which block the next call asks for, so that a source may compute it while the current
    // one is drawn; the spans stay valid until that call.
    virtual void Expect(std::span<const int> Cols, std::span<const int> Rows, bool Textured) {
        (void)Cols;
        (void)Rows;
        (void)Textured;
    }
};

// Points per block for sources that compute their arrays block by block.
constexpr size_t QorGridBlockPoints = size_t(1) << 15;

// The indices of a block of the points Cols x Rows of a grid whose point (c, r) lies at
// c + Pitch * r of the arrays; Compact: the arrays hold just the block's points, row by row.
void IndexGridBlock(TGridBlock& Block, std::span<const int> Cols, std::span<const int> Rows,
                    size_t Pitch, bool Compact);

// Arrays a source owns: three floats per position, three floats or three 16-bit integers per
// normal, TexSize floats per texture coordinate, a byte per point for holes (left empty while
// there are none). Their memory is kept from block to block.
struct TGridBuffers {
    std::vector<float> Positions;
    std::vector<float> Normals;
    std::vector<int16_t> Normals16;
    std::vector<float> TexCoords;
    std::vector<uint8_t> Holes;
    TGridBlock Block;

    void Resize(size_t Points, bool ShortNormals, int TexSize, bool Textured);
    // Points Block at these arrays.
    void Bind(bool ShortNormals, int TexSize, bool AnyHole);
};

// ---- Frame of the data -----------------------------------------------------------------------

// How positions go to GL: as stored (the scene frame), divided by the scale ranges (box units,
// the scene's scale undone), or in box units around the centre of the displayed ranges (the view
// transform, for data that the scene frame would draw without float precision).
class TVertexMap {
public:
    TVertexMap() = default;
    // BoxUnits: the low-memory solid surface, whose positions are always in box units.
    TVertexMap(const TQorSceneFrame& Frame, bool BoxUnits);

    bool Identity() const { return FIdentity; }
    void Position(float X, float Y, float Z, float* Out) const {
        Out[0] = float((double(X) - FOrigin[0]) * FScale[0]);
        Out[1] = float((double(Y) - FOrigin[1]) * FScale[1]);
        Out[2] = float((double(Z) - FOrigin[2]) * FScale[2]);
    }
    // A normal in data coordinates, of any length, as a unit normal of the mapped positions;
    // (1, 1, 1) where it has no direction.
    void Normal(double X, double Y, double Z, float* Out) const;

private:
    bool FIdentity = true;
    std::array<double, 3> FOrigin{0, 0, 0};
    std::array<double, 3> FScale{1, 1, 1};
};

inline bool FinitePoint(float X, float Y, float Z) {
    return std::isfinite(X) && std::isfinite(Y) && std::isfinite(Z);
}

// ---- Drawing ---------------------------------------------------------------------------------

// A rectangle of cells a solid drawing leaves out, by grid cell index (cell (c, r) lies between
// columns c, c + 1 and rows r, r + 1), both ends included; empty by default. Only a drawing of
// every row and column leaves cells out.
struct THiddenCells {
    int Col0 = 0;
    int Col1 = -1;
    int Row0 = 0;
    int Row1 = -1;
    bool Empty() const { return Col0 > Col1 || Row0 > Row1; }
};

// Draws the grid of Source in Pattern at every Step-th row and column, each strip one
// glDrawElements, split where a point is a hole: the cells and line segments that touch a hole
// are left out, everything else is drawn. A solid drawing leaves the Hidden cells out: a row of
// cells that holds none of them is the same strip as ever, the cells left of and right of them
// are a strip each. Enables the arrays it uses and disables them again.
void DrawGrid(const TGLFunctions& gl, TStripPattern Pattern, TGridSource& Source, int Step,
              bool Textured, const THiddenCells& Hidden = {});

} // namespace QorPaint
