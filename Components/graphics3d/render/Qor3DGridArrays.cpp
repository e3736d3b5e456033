// Sections: density; arrays; frame of the data; drawing.
#include "render/Qor3DGridArrays.h"

#include "chart/Qor3DGridNormal.h"

#include <algorithm>
#include <limits>
#include <utility>

using namespace QorPaint;

// ---- Density ---------------------------------------------------------------------------------

std::vector<int> QorPaint::GridLine(int Count, int Step) {
    std::vector<int> line;
    if (Count <= 0)
        return line;
    const int step = std::max(Step, 1);
    line.reserve(size_t(Count / step + 2));
    for (int i = 0; i < Count - 1; i += step)
        line.push_back(i);
    line.push_back(Count - 1);
    return line;
}

int QorPaint::TurningStep(int Cols, int Rows, TPoint View) {
    if (View.X <= 0 || View.Y <= 0)
        return 1;
    const int64_t cells = std::max<int64_t>(std::max(View.X, View.Y) / QorPixelsPerTurningCell, 1);
    int step = 1;
    while (step < (1 << 30) && ((Cols - 1) / step > cells || (Rows - 1) / step > cells))
        step *= 2;
    return step;
}

// ---- Arrays ----------------------------------------------------------------------------------

void QorPaint::IndexGridBlock(TGridBlock& Block, std::span<const int> Cols,
                              std::span<const int> Rows, size_t Pitch, bool Compact) {
    Block.Col.resize(Cols.size());
    Block.Row.resize(Rows.size());
    for (size_t j = 0; j < Cols.size(); ++j)
        Block.Col[j] = GLuint(Compact ? j : size_t(Cols[j]));
    for (size_t i = 0; i < Rows.size(); ++i)
        Block.Row[i] = GLuint(Compact ? i * Cols.size() : size_t(Rows[i]) * Pitch);
}

void TGridBuffers::Resize(size_t Points, bool ShortNormals, int TexSize, bool Textured) {
    Positions.resize(3 * Points);
    if (ShortNormals)
        Normals16.resize(3 * Points);
    else
        Normals.resize(3 * Points);
    if (Textured)
        TexCoords.resize(size_t(TexSize) * Points);
    Holes.resize(Points);
}

void TGridBuffers::Bind(bool ShortNormals, int TexSize, bool AnyHole) {
    Block.Positions = Positions.data();
    Block.PositionStride = 0;
    Block.NormalType = ShortNormals ? GL_SHORT : GL_FLOAT;
    Block.Normals = ShortNormals ? static_cast<const void*>(Normals16.data())
                                 : static_cast<const void*>(Normals.data());
    Block.TexCoords = TexCoords.data();
    Block.TexSize = TexSize;
    Block.Holes = AnyHole ? Holes.data() : nullptr;
}

// ---- Frame of the data -----------------------------------------------------------------------

TVertexMap::TVertexMap(const TQorSceneFrame& Frame, bool BoxUnits) {
    if (!Frame.BoxRelative && !BoxUnits)
        return;
    FIdentity = false;
    FScale = {1 / Frame.RX, 1 / Frame.RY, 1 / Frame.RZ};
    if (Frame.BoxRelative)
        FOrigin = Frame.Centre;
}

void TVertexMap::Normal(double X, double Y, double Z, float* Out) const {
    // Positions divided by s have normals multiplied by s.
    const std::array<double, 3> n =
        NormalToUnit(TQorVec3<double>{X / FScale[0], Y / FScale[1], Z / FScale[2]});
    Out[0] = float(n[0]);
    Out[1] = float(n[1]);
    Out[2] = float(n[2]);
}

// ---- Drawing ---------------------------------------------------------------------------------

namespace {

// The arrays of one grid drawing, enabled for its duration.
class TClientArrays {
public:
    TClientArrays(const TGLFunctions& gl, bool Textured) : Fgl(gl), FTextured(Textured) {
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.EnableClientState(GL_NORMAL_ARRAY);
        if (Textured)
            gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    TClientArrays(const TClientArrays&) = delete;
    TClientArrays& operator=(const TClientArrays&) = delete;
    ~TClientArrays() {
        try {
            Fgl.DisableClientState(GL_VERTEX_ARRAY);
            Fgl.DisableClientState(GL_NORMAL_ARRAY);
            if (FTextured)
                Fgl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        } catch (...) {
            // A failing context is cleaned up by the scene's error handling.
        }
    }
    void Use(const TGridBlock& B) const {
        Fgl.VertexPointer(3, GL_FLOAT, B.PositionStride, B.Positions);
        Fgl.NormalPointer(B.NormalType, 0, B.Normals);
        if (FTextured)
            Fgl.TexCoordPointer(B.TexSize, GL_FLOAT, 0, B.TexCoords);
    }

private:
    const TGLFunctions& Fgl;
    const bool FTextured;
};

// The indices of one strip, drawn in pieces between the holes.
class TStrip {
public:
    TStrip(const TGLFunctions& gl, GLenum Mode, std::vector<GLuint>& Indices)
        : Fgl(gl), FMode(Mode), FIndices(Indices) {}
    void Start(const uint8_t* Holes) {
        FHoles = Holes;
        FIndices.clear();
    }
    void Add(GLuint a) {
        if (FHoles != nullptr && FHoles[a] != 0)
            return Flush();
        FIndices.push_back(a);
    }
    void Add(GLuint a, GLuint b) {
        if (FHoles != nullptr && (FHoles[a] != 0 || FHoles[b] != 0))
            return Flush();
        FIndices.push_back(a);
        FIndices.push_back(b);
    }
    // Pieces between holes too short to show anything (a lone point, one pair of a
    // quadrilateral strip) are dropped; whole strips go out as they are.
    void Flush() {
        const size_t least = FHoles == nullptr ? 1 : FMode == GL_QUAD_STRIP ? 4 : 2;
        if (FIndices.size() >= least)
            Fgl.DrawElements(FMode, GLsizei(FIndices.size()), GL_UNSIGNED_INT, FIndices.data());
        FIndices.clear();
    }

private:
    const TGLFunctions& Fgl;
    const GLenum FMode;
    std::vector<GLuint>& FIndices;
    const uint8_t* FHoles = nullptr;
};

size_t LinesPerBlock(const TGridSource& Source, size_t Across, size_t Lines, size_t Least) {
    const size_t limit = Source.BlockPoints();
    const size_t per = limit == std::numeric_limits<size_t>::max() ? Lines : limit / Across;
    return std::clamp(per, Least, std::max(Lines, Least));
}

// One drawing of a grid: its columns C and rows R, backwards when Reverse, with texture
// coordinates when Textured.
struct TGridPass {
    TGridSource& Source;
    std::span<const int> C;
    std::span<const int> R;
    bool Reverse = false;
    bool Textured = false;
};

// How ForEachBlock cuts a pass into blocks: of whole rows (ByRows) or of whole columns, each of
// at least Least lines, each sharing its last line with the next one when Overlap is set.
struct TBlockCut {
    bool ByRows = true;
    size_t Least = 1;
    bool Overlap = false;
};

// Cuts the lines C x R of the pass into blocks as Cut says, as many lines as a block of the
// source holds, the last block first when the pass is Reverse. Draw(block) draws each; the
// source learns each next block before the current one is drawn.
template <typename F> void ForEachBlock(const TGridPass& Pass, const TBlockCut& Cut, F&& Draw) {
    TGridSource& source = Pass.Source;
    const std::span<const int> split = Cut.ByRows ? Pass.R : Pass.C;
    const size_t per =
        LinesPerBlock(source, Cut.ByRows ? Pass.C.size() : Pass.R.size(), split.size(), Cut.Least);
    std::vector<std::pair<std::span<const int>, std::span<const int>>> blocks;
    const size_t advance = Cut.Overlap ? per - 1 : per;
    for (size_t s = 0; s + (Cut.Overlap ? 1 : 0) < split.size(); s += advance) {
        const std::span<const int> part = split.subspan(s, std::min(per, split.size() - s));
        blocks.emplace_back(Cut.ByRows ? Pass.C : part, Cut.ByRows ? part : Pass.R);
    }
    if (Pass.Reverse)
        std::reverse(blocks.begin(), blocks.end());
    for (size_t i = 0; i < blocks.size(); ++i) {
        const TGridBlock& block = source.Block(blocks[i].first, blocks[i].second, Pass.Textured);
        if (i + 1 < blocks.size())
            source.Expect(blocks[i + 1].first, blocks[i + 1].second, Pass.Textured);
        Draw(block, blocks[i].second);
    }
}

void DrawSolid(const TClientArrays& Arrays, TStrip& Strip, const TGridPass& Pass,
               const THiddenCells& Hidden) {
    if (Pass.R.size() < 2 || Pass.C.empty())
        return;
    const bool reverse = Pass.Reverse;
    const auto draw = [&](const TGridBlock& b, std::span<const int> Rows) {
        Arrays.Use(b);
        const size_t rows = b.Row.size();
        const size_t cols = b.Col.size();
        // One strip over the block's columns First ... Last, between rows I and I + 1.
        const auto strip = [&](size_t I, size_t First, size_t Last) {
            Strip.Start(b.Holes);
            for (size_t m = 0; m <= Last - First; ++m) {
                const size_t j = reverse ? Last - m : First + m;
                const GLuint low = b.Col[j] + b.Row[I];
                const GLuint high = b.Col[j] + b.Row[I + 1];
                if (reverse)
                    Strip.Add(high, low);
                else
                    Strip.Add(low, high);
            }
            Strip.Flush();
        };
        for (size_t n = 0; n + 1 < rows; ++n) {
            const size_t i = reverse ? rows - 2 - n : n;
            if (Hidden.Empty() || Rows[i] < Hidden.Row0 || Rows[i] > Hidden.Row1) {
                strip(i, 0, cols - 1);
                continue;
            }
            // Columns are grid indices here: hidden cells come only with every column drawn.
            const bool left = Hidden.Col0 > 0;
            const bool right = size_t(Hidden.Col1) + 2 < cols;
            if (left && !reverse)
                strip(i, 0, size_t(Hidden.Col0));
            if (right)
                strip(i, size_t(Hidden.Col1) + 1, cols - 1);
            if (left && reverse)
                strip(i, 0, size_t(Hidden.Col0));
        }
    };
    ForEachBlock(Pass, {.ByRows = true, .Least = 2, .Overlap = true}, draw);
}

void DrawWire(const TClientArrays& Arrays, TStrip& Strip, const TGridPass& Pass) {
    if (Pass.R.empty() || Pass.C.empty())
        return;
    const auto order = [reverse = Pass.Reverse](size_t n, size_t count) {
        return reverse ? count - 1 - n : n;
    };
    // Line strips along the rows of a block of whole rows, then along the columns of a block of
    // whole columns.
    for (const bool byRows : {true, false})
        ForEachBlock(Pass, {.ByRows = byRows, .Least = 1, .Overlap = false},
                     [&](const TGridBlock& b, std::span<const int>) {
                         Arrays.Use(b);
                         const size_t lines = byRows ? b.Row.size() : b.Col.size();
                         const size_t points = byRows ? b.Col.size() : b.Row.size();
                         for (size_t n = 0; n < lines; ++n) {
                             const size_t l = order(n, lines);
                             Strip.Start(b.Holes);
                             for (size_t m = 0; m < points; ++m) {
                                 const size_t p = order(m, points);
                                 Strip.Add(byRows ? b.Col[p] + b.Row[l] : b.Col[l] + b.Row[p]);
                             }
                             Strip.Flush();
                         }
                     });
}

} // namespace

void QorPaint::DrawGrid(const TGLFunctions& gl, TStripPattern Pattern, TGridSource& Source,
                        int Step, bool Textured, const THiddenCells& Hidden) {
    const std::vector<int> cols = GridLine(Source.Cols(), Step);
    const std::vector<int> rows = GridLine(Source.Rows(), Step);
    if (cols.empty() || rows.empty())
        return;
    const bool solid =
        Pattern == TStripPattern::SolidForward || Pattern == TStripPattern::SolidReverse;
    if (solid && rows.size() < 2)
        return;
    const bool reverse =
        Pattern == TStripPattern::WireReverse || Pattern == TStripPattern::SolidReverse;
    std::vector<GLuint> indices;
    indices.reserve(2 * std::max(cols.size(), rows.size()));
    TStrip strip(gl, solid ? GL_QUAD_STRIP : GL_LINE_STRIP, indices);
    const TClientArrays arrays(gl, Textured);
    const TGridPass pass{
        .Source = Source, .C = cols, .R = rows, .Reverse = reverse, .Textured = Textured};
    if (solid)
        DrawSolid(arrays, strip, pass, Step == 1 ? Hidden : THiddenCells{});
    else
        DrawWire(arrays, strip, pass);
}
