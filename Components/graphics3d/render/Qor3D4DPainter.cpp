// Sections: layer rules; density while turning; layer geometry; layer arrays; Draw4DLayers;
// DrawLayerList; the cross-section plane.
#include "render/Qor3D4DPainter.h"

#include "chart/Qor3DChart.h"
#include "draw/Qor3DViewMatrix.h"
#include "render/Qor3DClipPlanes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

using namespace QorPaint;

// ---- Layer rules -----------------------------------------------------------------------------

std::vector<int> QorPaint::LayersDrawn(int FirstLayer, int NthLayer, int Count) {
    std::vector<int> layers;
    const int64_t step = std::max(NthLayer, 1);
    for (int64_t k = std::max(FirstLayer - 1, 0); k < Count; k += step)
        layers.push_back(int(k));
    return layers;
}

TNormal16 QorPaint::LayerNormal(const float* Positions, int Cols, int Rows, int j, int i) {
    return GridNormal16(
        [=](int c, int r) {
            const float* p = Positions + 3 * (size_t(c) + size_t(Cols) * size_t(r));
            return TPoint3f{p[0], p[1], p[2]};
        },
        j, i, Cols, Rows);
}

namespace {

// A dkNx4D layer's points (four floats each, row by row) when the data hold all of them.
struct TListLayer {
    const float* Points = nullptr;
    int Cols = 0;
    int Rows = 0;

    TNormal16 Normal(int j, int i) const {
        return GridNormal16(
            [this](int c, int r) {
                const float* p = Point(c, r);
                return TPoint3f{p[0], p[1], p[2]};
            },
            j, i, Cols, Rows);
    }
    const float* Point(int j, int i) const {
        return Points + 4 * (size_t(j) + size_t(Cols) * size_t(i));
    }
};

// The layer of Size starting at point Start, when the data hold all of it.
TListLayer ListLayer(const TQor3DChart& Chart, TXZInteger Size, int64_t Start) {
    if (Size.X <= 0 || Size.Z <= 0)
        return {};
    const int64_t end = Start + int64_t(Size.X) * Size.Z;
    if (end > int64_t(Chart.Data().size() / 4))
        return {};
    return {Chart.Data().data() + 4 * Start, Size.X, Size.Z};
}

std::vector<TListLayer> ListLayers(const TQor3DChart& Chart) {
    std::vector<TListLayer> layers;
    layers.reserve(Chart.Layers().size());
    for (int l = 0; l < int(Chart.Layers().size()); ++l)
        layers.push_back(ListLayer(Chart, Chart.GetLayerSize(l), Chart.LayerStart(l)));
    return layers;
}

} // namespace

TNormal16 QorPaint::ListNormal(const TQor3DChart& Chart, int Layer, int j, int i) {
    if (Layer < 0 || Layer >= int(Chart.Layers().size()))
        return {1, 1, 1};
    const TListLayer layer = ListLayer(Chart, Chart.GetLayerSize(Layer), Chart.LayerStart(Layer));
    if (layer.Points == nullptr || j < 0 || i < 0 || j >= layer.Cols || i >= layer.Rows)
        return {1, 1, 1};
    return layer.Normal(j, i);
}

// ---- Density while turning -------------------------------------------------------------------

namespace {

// How many of Count lines GridLine keeps at Step.
int64_t LinesAt(int Count, int64_t Step) {
    return Count <= 0 ? 0 : (int64_t(Count) - 1 + Step - 1) / Step + 1;
}

} // namespace

TLayerDensity QorPaint::TurningDensity(std::span<const TXZInteger> Layers, TPoint View, int Share) {
    TLayerDensity d;
    if (View.X <= 0 || View.Y <= 0 || Layers.empty())
        return d;
    const int64_t share = std::max(Share, 1);
    const int64_t mostLayers = std::max<int64_t>(QorTurningLayers / share, 2);
    const int count = int(std::min<size_t>(Layers.size(), std::numeric_limits<int>::max()));
    while (d.LayerStep < (1 << 30) && LinesAt(count, d.LayerStep) > mostLayers)
        d.LayerStep *= 2;

    const int64_t cells = std::max(View.X, View.Y) / QorPixelsPerTurningCell + 1;
    const int64_t mostPoints = std::max<int64_t>(cells * cells / share, 1);
    int64_t longest = 1;
    std::vector<TXZInteger> drawn;
    for (const int n : GridLine(count, d.LayerStep)) {
        const TXZInteger s = Layers[size_t(n)];
        drawn.push_back(s);
        longest = std::max({longest, int64_t(s.X), int64_t(s.Z)});
        d.PointStep = std::max(d.PointStep, TurningStep(s.X, s.Z, View));
    }
    const auto points = [&drawn](int64_t Step) {
        int64_t sum = 0;
        for (const TXZInteger& s : drawn)
            sum += LinesAt(s.X, Step) * LinesAt(s.Z, Step);
        return sum;
    };
    // Beyond the longest side every layer is down to its corners.
    while (d.PointStep < longest && points(d.PointStep) > mostPoints)
        d.PointStep *= 2;
    return d;
}

// ---- Layer geometry --------------------------------------------------------------------------

TLayerBuilder::TLayerBuilder(const TQor3DChart& Chart, TLayerAxis Axis, const TPaletteMap& Map)
    : FChart(Chart), FAxis(Axis), FMap(Map), FSurface(Chart.DataKind() == dk4DSurface),
      FLow(Chart.LowMemoryLayout()) {
    const int nx = std::max(Chart.NX(), 0);
    const int ny = std::max(Chart.NY(), 0);
    const int nz = std::max(Chart.NZ(), 0);
    switch (Axis) {
    case LayerX:
        FCols = nz, FRows = ny, FCount = nx;
        break;
    case LayerY:
        FCols = nx, FRows = nz, FCount = ny;
        break;
    case LayerZ:
        FCols = nx, FRows = ny, FCount = nz;
        break;
    }
    FValid = nx > 0 && ny > 0 && nz > 0 && CheckLengths();
    SetPointStep(1);
}

void TLayerBuilder::SetPointStep(int Step) {
    FColLine = GridLine(FCols, Step);
    FRowLine = GridLine(FRows, Step);
    if (FValid) {
        const size_t points = FColLine.size() * FRowLine.size();
        FPositions.resize(3 * points);
        FValues.resize(points);
    }
}

bool TLayerBuilder::CheckLengths() const {
    const int64_t points = FSurface
                               ? TQor3DChart::FacePointCount(FChart.NX(), FChart.NY(), FChart.NZ())
                               : int64_t(FChart.NX()) * FChart.NY() * FChart.NZ();
    const int64_t data = int64_t(FChart.Data().size());
    if (!FLow)
        return data >= 4 * points;
    return int64_t(FChart.XValues().size()) >= FChart.NX() &&
           int64_t(FChart.YValues().size()) >= FChart.NY() &&
           int64_t(FChart.ZValues().size()) >= FChart.NZ() && data >= points;
}

std::vector<int> TLayerBuilder::Layers() const {
    if (!FValid)
        return {};
    if (FSurface)
        return FCount > 1 ? std::vector<int>{0, FCount - 1} : std::vector<int>{0};
    return LayersDrawn(FChart.Dim4FirstLayer(), FChart.Dim4NthLayer(), FCount);
}

std::array<int, 3> TLayerBuilder::GridIndex(int j, int i, int k) const {
    switch (FAxis) {
    case LayerX:
        return {k, i, j};
    case LayerY:
        return {j, k, i};
    case LayerZ:
        break;
    }
    return {j, i, k};
}

int64_t TLayerBuilder::StoredPoint(int j, int i, int k) const {
    if (FSurface) {
        // Faces 1, 2 lie across Z, 3, 4 across X, 5, 6 across Y; both stored row by row.
        static constexpr std::array<int, 3> firstFace = {3, 5, 1};
        const int face = firstFace[size_t(FAxis)] + (k > 0 ? 1 : 0);
        return TQor3DChart::FaceStart(face, FChart.NX(), FChart.NY(), FChart.NZ()) + j +
               int64_t(FCols) * i;
    }
    const std::array<int, 3> g = GridIndex(j, i, k);
    return g[0] + int64_t(FChart.NX()) * (g[1] + int64_t(FChart.NY()) * g[2]);
}

std::array<float, 3> TLayerBuilder::Middle(int k) const {
    return Source(FCols / 2, FRows / 2, k).Xyz;
}

TLayerBuilder::TSource TLayerBuilder::Source(int j, int i, int k) const {
    const float* data = FChart.Data().data();
    const int64_t p = StoredPoint(j, i, k);
    if (!FLow) {
        const float* q = data + 4 * p;
        return {{q[0], q[1], q[2]}, q[3]};
    }
    const std::array<int, 3> g = GridIndex(j, i, k);
    return {{FChart.XValues()[size_t(g[0])], FChart.YValues()[size_t(g[1])],
             FChart.ZValues()[size_t(g[2])]},
            data[p]};
}

void TLayerBuilder::Build(int k) {
    const size_t a = size_t(FAxis);
    const TArrGLfloat& vector = a == 0   ? FChart.XValues()
                                : a == 1 ? FChart.YValues()
                                         : FChart.ZValues();
    const double lowExtent = FLow ? double(vector[size_t(FCount - 1)]) - vector[0] : 0.0;
    const double lift = FMap.F * FChart.Dim4Height();
    size_t n = 0;
    for (const int i : FRowLine)
        for (const int j : FColLine) {
            const TSource s = Source(j, i, k);
            float* out = FPositions.data() + 3 * n;
            std::copy(s.Xyz.begin(), s.Xyz.end(), out);
            if (lift != 0) {
                // The full layout need not be rectangular: the extent is taken per point.
                const double extent =
                    FLow ? lowExtent
                         : double(Source(j, i, FCount - 1).Xyz[a]) - Source(j, i, 0).Xyz[a];
                out[a] = float(s.Xyz[a] + (s.V - FMap.E) * lift * extent);
            }
            FValues[n] = s.V;
            ++n;
        }
}

// ---- Layer arrays ----------------------------------------------------------------------------

namespace {

// The positions a layer's data hold: three floats per point, Stride bytes apart (0: packed);
// no Data where the layer is drawn thinned.
struct TStoredPositions {
    const float* Data = nullptr;
    GLsizei Stride = 0;
};

// Whether a layer is drawn textured, with how many texture coordinates per point.
struct TLayerTexture {
    bool On = false;
    int Size = 1;
};

// The arrays of one layer, filled for all its points at once: positions (given, with their
// stride, or copied), normals from the layer's own points, texture coordinates and holes.
class TLayerArrays : public TGridSource {
public:
    TLayerArrays(TGridBuffers& Buffers, int Cols, int Rows)
        : FB(Buffers), FCols(Cols), FRows(Rows) {}

    int Cols() const override { return FCols; }
    int Rows() const override { return FRows; }
    size_t BlockPoints() const override { return std::numeric_limits<size_t>::max(); }
    const TGridBlock& Block(std::span<const int> Cols, std::span<const int> Rows, bool) override {
        IndexGridBlock(FB.Block, Cols, Rows, size_t(FCols), false);
        return FB.Block;
    }

    // Fills the arrays from Point(j, i), which gives x, y, z and the colour's value; with
    // Texture on, Coord writes the texture coordinate of a point. Stored (the positions as the
    // data hold them) is drawn as it is where Map is the identity.
    template <typename P, typename C>
    void Fill(P&& Point, const TVertexMap& Map, TStoredPositions Stored, TLayerTexture Texture,
              C&& Coord) {
        const size_t points = size_t(FCols) * size_t(FRows);
        const bool raw = Map.Identity();
        const bool stored = raw && Stored.Data != nullptr;
        FB.Resize(points, raw, Texture.Size, Texture.On);
        bool anyHole = false;
        for (int i = 0; i < FRows; ++i)
            for (int j = 0; j < FCols; ++j) {
                const size_t n = size_t(j) + size_t(FCols) * size_t(i);
                const std::array<float, 4> p = Point(j, i);
                const bool hole = !FinitePoint(p[0], p[1], p[2]) || !std::isfinite(p[3]);
                FB.Holes[n] = hole ? 1 : 0;
                anyHole |= hole;
                if (!raw)
                    Map.Position(p[0], p[1], p[2], &FB.Positions[3 * n]);
                else if (!stored)
                    std::copy(p.begin(), p.begin() + 3, &FB.Positions[3 * n]);
                if (Texture.On)
                    Coord(p, &FB.TexCoords[size_t(Texture.Size) * n]);
            }
        if (points > 0)
            FillNormals(Point, Map);
        FB.Bind(raw, Texture.Size, anyHole);
        if (stored) {
            FB.Block.Positions = Stored.Data;
            FB.Block.PositionStride = Stored.Stride;
        }
    }

private:
    // Each point and each edge's direction once: the same normals as GridNormal16's per point.
    template <typename P> void FillNormals(P&& Point, const TVertexMap& Map) {
        const auto position = [&Point](int c, int r) {
            const std::array<float, 4> q = Point(c, r);
            return TPoint3f{q[0], q[1], q[2]};
        };
        const TQorGridRect all{.Col0 = 0,
                               .Col1 = FCols - 1,
                               .Row0 = 0,
                               .Row1 = FRows - 1,
                               .Cols = FCols,
                               .Rows = FRows};
        FNormals.Compute(position, all, [&](int c, int r, const TQorVec3<double>& N) {
            const size_t n = size_t(c) + size_t(FCols) * size_t(r);
            const TNormal16 normal = NormalToInt16(N);
            if (Map.Identity())
                std::copy(normal.begin(), normal.end(), &FB.Normals16[3 * n]);
            else
                Map.Normal(normal[0], normal[1], normal[2], &FB.Normals[3 * n]);
        });
    }

    TGridBuffers& FB;
    const int FCols;
    const int FRows;
    TQorGridRectNormals<float> FNormals;
};

// ---- Draw4DLayers ----------------------------------------------------------------------------

// How one layer is drawn: wire or solid, coloured through the palette texture (or, without
// Colour, plain for the highlight pass).
struct TLayerStyle {
    bool Wired = false;
    const TPaletteMap* Colour = nullptr;
    THiddenCells Hidden{};
};

void DrawLayer(const TGLFunctions& gl, const TLayerBuilder& Layer, TGridBuffers& Buffers,
               const TVertexMap& Map, const TLayerStyle& Style) {
    const TPaletteMap* colour = Style.Colour;
    TLayerArrays arrays(Buffers, Layer.Cols(), Layer.Rows());
    const float* positions = Layer.Positions().data();
    const float* values = Layer.Values().data();
    const auto point = [&](int j, int i) {
        const size_t n = size_t(j) + size_t(Layer.Cols()) * size_t(i);
        const float* p = positions + 3 * n;
        return std::array<float, 4>{p[0], p[1], p[2], values[n]};
    };
    const auto coord = [colour](const std::array<float, 4>& p, float* Out) {
        Out[0] = float(colour->Coord(p[3]));
    };
    arrays.Fill(point, Map, {.Data = positions, .Stride = 0}, {.On = colour != nullptr, .Size = 1},
                coord);
    DrawGrid(gl, StripPattern(Style.Wired, false), arrays, 1, colour != nullptr, Style.Hidden);
}

// ---- Cells the next layer hides ----

// Where opaque, flat layers stand in a rectilinear grid, a layer hides most of the one behind it:
// the ray from the eye through a point of the farther layer meets the nearer one first, by the
// gap between them, wherever it meets it inside its rectangle. Those cells are left out.

// Share of a layer's side kept as a margin inside its edges: a cell whose image comes that close
// to the edge is drawn.
constexpr double QorHiddenMargin = 1e-3;

// Layer columns and rows run along: X layers Z and Y, Y layers X and Z, Z layers X and Y.
constexpr std::array<std::array<size_t, 2>, 3> QorLayerSides{{{2, 1}, {0, 2}, {0, 1}}};

// Whether each of Grid's axes is finite and strictly monotone, with at least two coordinates.
bool Monotone(const std::array<std::vector<double>, 3>& Grid) {
    for (const std::vector<double>& g : Grid) {
        if (g.size() < 2)
            return false;
        const double sign = g[1] > g[0] ? 1 : -1;
        for (size_t i = 0; i < g.size(); ++i)
            if (!std::isfinite(g[i]) || (i > 0 && !(sign * (g[i] - g[i - 1]) > 0)))
                return false;
    }
    return true;
}

// The full layout of a dk4DSurface box: the coordinates along X and Y from the first Z face, along
// Z from the first X face; every point of the six faces must lie on them, each face at its end of
// its own axis, with a finite value.
std::optional<std::array<std::vector<double>, 3>> FaceGrid(const TQor3DChart& Chart) {
    const std::array<int, 3> n{Chart.NX(), Chart.NY(), Chart.NZ()};
    const float* data = Chart.Data().data();
    const auto point = [&](int Face, int64_t At) {
        return data + 4 * (TQor3DChart::FaceStart(Face, n[0], n[1], n[2]) + At);
    };
    std::array<std::vector<double>, 3> grid;
    for (int g = 0; g < n[0]; ++g)
        grid[0].push_back(point(1, g)[0]);
    for (int g = 0; g < n[1]; ++g)
        grid[1].push_back(point(1, int64_t(n[0]) * g)[1]);
    for (int g = 0; g < n[2]; ++g)
        grid[2].push_back(point(3, g)[2]);
    if (!Monotone(grid))
        return std::nullopt;
    // Faces 1, 2 lie across Z, 3, 4 across X, 5, 6 across Y.
    static constexpr std::array<size_t, 6> across{2, 2, 0, 0, 1, 1};
    for (int face = 1; face <= 6; ++face) {
        const size_t a = across[size_t(face - 1)];
        const auto [col, row] = QorLayerSides[a];
        const double at = face % 2 == 1 ? grid[a].front() : grid[a].back();
        for (int i = 0; i < n[row]; ++i)
            for (int j = 0; j < n[col]; ++j) {
                const float* q = point(face, j + int64_t(n[col]) * i);
                if (q[col] != float(grid[col][size_t(j)]) ||
                    q[row] != float(grid[row][size_t(i)]) || q[a] != float(at) ||
                    !std::isfinite(q[3]))
                    return std::nullopt;
            }
    }
    return grid;
}

// The grid's coordinates along each axis, when every point lies on that grid, every coordinate
// and value is finite and each axis is strictly monotone.
std::optional<std::array<std::vector<double>, 3>> GridCoordinates(const TQor3DChart& Chart) {
    const std::array<int, 3> n{Chart.NX(), Chart.NY(), Chart.NZ()};
    const std::array<const TArrGLfloat*, 3> vectors{&Chart.XValues(), &Chart.YValues(),
                                                    &Chart.ZValues()};
    const float* data = Chart.Data().data();
    const bool faces = Chart.DataKind() == dk4DSurface;
    const size_t points = faces ? size_t(TQor3DChart::FacePointCount(n[0], n[1], n[2]))
                                : size_t(n[0]) * size_t(n[1]) * size_t(n[2]);
    const bool low = Chart.LowMemoryLayout();
    if (n[0] < 2 || n[1] < 2 || n[2] < 2 || Chart.Data().size() != points * (low ? 1 : 4))
        return std::nullopt;
    if (low) {
        std::array<std::vector<double>, 3> grid;
        for (size_t a = 0; a < 3; ++a) {
            if (vectors[a]->size() != size_t(n[a]))
                return std::nullopt;
            grid[a].assign(vectors[a]->begin(), vectors[a]->end());
        }
        const bool finite =
            std::all_of(data, data + points, [](float v) { return std::isfinite(v); });
        return finite && Monotone(grid) ? std::optional(std::move(grid)) : std::nullopt;
    }
    if (faces)
        return FaceGrid(Chart);
    // Along axis a from the first point: every stride-th point.
    std::array<std::vector<double>, 3> grid;
    for (size_t a = 0; a < 3; ++a) {
        const size_t stride = a == 0 ? 1 : a == 1 ? size_t(n[0]) : size_t(n[0]) * size_t(n[1]);
        for (int g = 0; g < n[a]; ++g)
            grid[a].push_back(data[4 * stride * size_t(g) + a]);
    }
    if (!Monotone(grid))
        return std::nullopt;
    const float* q = data;
    for (int k = 0; k < n[2]; ++k)
        for (int j = 0; j < n[1]; ++j)
            for (int i = 0; i < n[0]; ++i, q += 4)
                if (q[0] != float(grid[0][size_t(i)]) || q[1] != float(grid[1][size_t(j)]) ||
                    q[2] != float(grid[2][size_t(k)]) || !std::isfinite(q[3]))
                    return std::nullopt;
    return grid;
}

// Whether the layers are opaque, solid and flat (no lift), drawn whole at full density, with
// nothing but the data's own extent cutting them.
bool DrawsOpaqueFlatLayers(const TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    if ((Chart.DataKind() != dk4D && Chart.DataKind() != dk4DSurface) ||
        Chart.Transparency() != 0 || Chart.Wired() || Chart.Dim4Height() != 0 ||
        Frame.TurningView != TPoint{0, 0})
        return false;
    // The cross-section plane, where there is one, must lie above the data.
    if (Chart.AxisY().AutoMax() &&
        (Chart.Dim4CrossSection() != 0 || Chart.Dim4CrossSectionOffset() < 0))
        return false;
    for (const TQorChartAxis3D* a : {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()})
        if (a->Logarithmic())
            return false;
    return true;
}

// The data-to-eye transform of the chart's view, as the scene sets it up for the data.
TQorMatrix4 DataToEye(const TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    const TQorMatrix4 model = QorMatrix::Multiply(
        QorMatrix::Scaling(1 / Frame.RX, 1 / Frame.RY, 1 / Frame.RZ),
        QorMatrix::Translation(-Frame.Centre[0], -Frame.Centre[1], -Frame.Centre[2]));
    return TQor3DViewMatrix::OfDraw(Chart, 1, 1).Then(model).ModelView();
}

// What a paint needs to find the hidden cells: the grid, and the eye in data coordinates (a
// point) or, for a parallel projection, the direction towards it.
struct TLayerOcclusion {
    std::array<std::vector<double>, 3> Grid;
    TQorPoint3d Eye{0, 0, 0};
    bool Perspective = true;
};

// Nothing where a layer may show through another: layers that are not opaque, flat and whole,
// points off a rectilinear grid, data beyond the clip box, or any part of it outside the near
// and far planes.
std::optional<TLayerOcclusion> LayerOcclusion(const TQor3DChart& Chart,
                                              const TQorSceneFrame& Frame) {
    if (!DrawsOpaqueFlatLayers(Chart, Frame))
        return std::nullopt;
    auto grid = GridCoordinates(Chart);
    if (!grid)
        return std::nullopt;
    const std::array<const TQorChartAxis3D*, 3> axes{&Chart.AxisX(), &Chart.AxisY(),
                                                     &Chart.AxisZ()};
    for (size_t a = 0; a < 3; ++a) {
        const auto [lo, hi] = std::minmax((*grid)[a].front(), (*grid)[a].back());
        if (lo < axes[a]->Layout.DisplayMin || hi > axes[a]->Layout.DisplayMax)
            return std::nullopt;
    }
    const TQorMatrix4 toEye = DataToEye(Chart, Frame);
    TQorMatrix4 fromEye{};
    if (!QorMatrix::Inverse(toEye, fromEye))
        return std::nullopt;
    for (int corner = 0; corner < 8; ++corner) {
        const TQorPoint3d p{(corner & 1 ? (*grid)[0].back() : (*grid)[0].front()),
                            (corner & 2 ? (*grid)[1].back() : (*grid)[1].front()),
                            (corner & 4 ? (*grid)[2].back() : (*grid)[2].front())};
        const double depth = -QorMatrix::Transform(toEye, p)[2];
        if (!(depth > Chart.ZNear() && depth < Chart.ZFar()))
            return std::nullopt;
    }
    TLayerOcclusion o{.Grid = std::move(*grid), .Perspective = Chart.PerspectiveON()};
    o.Eye = QorMatrix::Transform(fromEye, {0, 0, 0});
    if (!o.Perspective) {
        const TQorPoint3d ahead = QorMatrix::Transform(fromEye, {0, 0, -1});
        for (size_t a = 0; a < 3; ++a)
            o.Eye[a] -= ahead[a];
    }
    return o;
}

// The grid indices 0 ... Count - 1 along one side of a layer whose images lie inside the next
// layer's side (Lo, Hi) by the margin, as a range of cells (both corners inside); Image maps a
// coordinate onto the next layer.
template <typename F>
std::pair<int, int> CellsInside(const std::vector<double>& Side, const F& Image) {
    const auto [lo, hi] = std::minmax(Side.front(), Side.back());
    const double margin = QorHiddenMargin * (hi - lo);
    int first = -1, last = -2;
    for (int g = 0; g < int(Side.size()); ++g) {
        const double u = Image(Side[size_t(g)]);
        if (u > lo + margin && u < hi - margin) {
            if (first < 0)
                first = g;
            last = g;
        }
    }
    // The images of a side are monotone, so the points inside are one run: its cells.
    return {first, last - 1};
}

// The cells of layer K (of a stack across Axis, drawn in the order of Drawn) that the drawn
// layer next to it towards the eye hides.
THiddenCells HiddenCells(const TLayerOcclusion& O, TLayerAxis Axis, int K,
                         const std::vector<int>& Drawn) {
    const size_t a = size_t(Axis);
    const std::vector<double>& across = O.Grid[a];
    const double c = across[size_t(K)];
    // How far towards the eye along the axis each drawn layer lies from this one; the least
    // positive gap names the neighbour. For a parallel projection, Eye is a direction.
    const double towards = O.Perspective ? O.Eye[a] - c : O.Eye[a];
    if (towards == 0)
        return {};
    double gap = std::numeric_limits<double>::infinity();
    for (const int k : Drawn) {
        const double d = (across[size_t(k)] - c) / towards;
        if (d > 0 && (!O.Perspective || d < 1))
            gap = std::min(gap, across[size_t(k)] - c);
    }
    if (!std::isfinite(gap))
        return {};
    const auto side = [&](size_t b) {
        return CellsInside(O.Grid[b], [&](double u) {
            if (O.Perspective) // about the eye, by the ratio of the distances along the axis
                return O.Eye[b] + (u - O.Eye[b]) * (O.Eye[a] - (c + gap)) / (O.Eye[a] - c);
            return u + O.Eye[b] * gap / O.Eye[a];
        });
    };
    const auto [col0, col1] = side(QorLayerSides[a][0]);
    const auto [row0, row1] = side(QorLayerSides[a][1]);
    return {.Col0 = col0, .Col1 = col1, .Row0 = row0, .Row1 = row1};
}

// Opaque layers are drawn nearest first, so that the depth test turns the hidden ones'
// fragments away before they are coloured; the picture is the same in any order. Nearness is
// the eye-space depth of each layer's middle under the chart's view.
std::vector<int> NearestFirst(const TQor3DChart& Chart, const TQorSceneFrame& Frame,
                              const TLayerBuilder& Layer, std::vector<int> Ks) {
    const TQorMatrix4 view = DataToEye(Chart, Frame);
    const auto depth = [&](int k) {
        const std::array<float, 3> m = Layer.Middle(k);
        return QorMatrix::Transform(view, {m[0], m[1], m[2]})[2];
    };
    std::vector<std::pair<double, int>> keyed;
    keyed.reserve(Ks.size());
    for (const int k : Ks)
        keyed.emplace_back(-depth(k), k);
    // Stable, so that layers of equal depth keep their order.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    for (size_t n = 0; n < keyed.size(); ++n)
        Ks[n] = keyed[n].second;
    return Ks;
}

// How many stacks of layers the chart's picture draws.
int StacksDrawn(const TQor3DChart& Chart) {
    if (Chart.DataKind() == dk4DSurface)
        return 3;
    int n = 0;
    for (const TLayerAxis axis : {LayerX, LayerY, LayerZ})
        n += Dim4DirectionHasAxis(Chart.Dim4Direction(), axis) ? 1 : 0;
    return n;
}

} // namespace

void QorPaint::Draw4DLayers(TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    const TGLFunctions& gl = GL();
    const TPaletteMap map = ChartColorMapping(Chart).Palette;
    const int transparency = Chart.Transparency();
    const bool wired = Chart.Wired();
    const bool surface = Chart.DataKind() == dk4DSurface;
    const bool highlights = Chart.Shiny() && ChartLightsOn(Chart);
    const int stacks = StacksDrawn(Chart);
    TGridBuffers buffers;
    const TVertexMap vertices(Frame, false);
    const std::optional<TLayerOcclusion> occlusion = LayerOcclusion(Chart, Frame);
    BeginTransparency(gl, transparency);
    // X, Y, Z colour passes, three passes that draw nothing, then X, Y, Z highlight passes.
    for (int pass = 1; pass <= 9; ++pass) {
        const TLayerAxis axis = pass % 3 == 1 ? LayerX : pass % 3 == 2 ? LayerY : LayerZ;
        const bool colour = pass <= 3 && transparency < 10;
        const bool highlight = pass >= 7 && highlights;
        if (!(colour || highlight) ||
            !(surface || Dim4DirectionHasAxis(Chart.Dim4Direction(), axis)))
            continue;
        TLayerBuilder layer(Chart, axis, map);
        const std::vector<int> selected = layer.Layers();
        const std::vector<TXZInteger> sizes(selected.size(), layer.LayerSize());
        const TLayerDensity density = TurningDensity(sizes, Frame.TurningView, stacks);
        layer.SetPointStep(density.PointStep);
        std::vector<int> drawn = EveryNth(selected, density.LayerStep);
        if (colour && transparency == 0)
            drawn = NearestFirst(Chart, Frame, layer, std::move(drawn));
        for (const int k : drawn) {
            const THiddenCells hidden =
                occlusion ? HiddenCells(*occlusion, axis, k, drawn) : THiddenCells{};
            layer.Build(k);
            if (colour) {
                const TGLTransparency translucent(gl, transparency);
                DrawLayer(gl, layer, buffers, vertices,
                          {.Wired = wired, .Colour = &map, .Hidden = hidden});
            } else {
                gl.Disable(GL_TEXTURE_1D);
                const TGLHighlight highlight(gl);
                DrawLayer(gl, layer, buffers, vertices,
                          {.Wired = wired, .Colour = nullptr, .Hidden = hidden});
            }
        }
    }
    gl.Disable(GL_TEXTURE_1D);
}

// ---- DrawLayerList ---------------------------------------------------------------------------

void QorPaint::DrawLayerList(TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    const TGLFunctions& gl = GL();
    const TColorMapping map = ChartColorMapping(Chart);
    const int transparency = Chart.Transparency();
    const bool wired = Chart.Wired();
    std::vector<TListLayer> whole;
    std::vector<TXZInteger> sizes;
    for (const TListLayer& layer : ListLayers(Chart))
        if (layer.Points != nullptr) {
            whole.push_back(layer);
            sizes.push_back({layer.Cols, layer.Rows});
        }
    const TLayerDensity density = TurningDensity(sizes, Frame.TurningView, 1);
    const std::vector<TListLayer> layers = EveryNth(whole, density.LayerStep);
    TGridBuffers buffers;
    const TVertexMap vertices(Frame, false);

    const auto draw = [&](const TListLayer& Layer, bool Reverse, bool Textured) {
        const std::vector<int> cols = GridLine(Layer.Cols, density.PointStep);
        const std::vector<int> rows = GridLine(Layer.Rows, density.PointStep);
        TLayerArrays arrays(buffers, int(cols.size()), int(rows.size()));
        const auto point = [&](int j, int i) {
            const float* p = Layer.Point(cols[size_t(j)], rows[size_t(i)]);
            return std::array<float, 4>{p[0], p[1], p[2], p[3]};
        };
        const auto coord = [&map](const std::array<float, 4>& p, float* Out) {
            map.Coord(p[0], p[3], p[2], Out);
        };
        const bool thinned = density.PointStep > 1;
        const auto stride = GLsizei(4 * sizeof(float));
        arrays.Fill(point, vertices, {.Data = thinned ? nullptr : Layer.Points, .Stride = stride},
                    {.On = Textured, .Size = map.TexSize()}, coord);
        DrawGrid(gl, StripPattern(wired, Reverse), arrays, 1, Textured);
    };

    TGLTransparency translucent(gl, transparency);
    if (transparency < 10)
        for (const TListLayer& layer : layers)
            draw(layer, false, true);
    if (IsTranslucent(transparency)) {
        gl.Color4ub(255, 255, 255, TransparencyAlpha(transparency).Second);
        for (auto it = layers.rbegin(); it != layers.rend(); ++it)
            draw(*it, true, true);
        translucent.Close();
    }
    gl.Disable(map.UseBitmap ? GL_TEXTURE_2D : GL_TEXTURE_1D);
    if (!Chart.Shiny())
        return;
    // Depth only, so the highlights show on the nearest layer where translucent layers overlap.
    if (transparency > 0 && transparency <= 10) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.DepthMask(GL_TRUE);
        gl.DepthFunc(GL_LESS);
        gl.Color4ub(255, 255, 255, 0);
        for (const TListLayer& layer : layers)
            draw(layer, false, false);
    }
    const TGLHighlight highlight(gl);
    for (const TListLayer& layer : layers)
        draw(layer, false, false);
}

// ---- The cross-section plane -----------------------------------------------------------------

void QorPaint::SetCrossSectionPlane(TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    constexpr double degrees = 57.295779513082320877;
    const TGLFunctions& gl = GL();
    const double xMin = Chart.AxisX().Layout.DisplayMin,
                 dX = Chart.AxisX().Layout.DisplayMax - xMin;
    const double yMin = Chart.AxisY().Layout.DisplayMin,
                 dY = Chart.AxisY().Layout.DisplayMax - yMin;
    const double zMin = Chart.AxisZ().Layout.DisplayMin,
                 dZ = Chart.AxisZ().Layout.DisplayMax - zMin;
    const double offset = Chart.Dim4CrossSectionOffset();
    const int cut = Chart.Dim4CrossSection();
    const float diagonal = float(std::atan(float(dY / std::sqrt(dZ * dZ + dX * dX))) * degrees);
    const double alongX = std::atan(dY / dX) * degrees;
    const double alongZ = std::atan(dY / dZ) * degrees;

    TQorClipPlanes plane(gl, Frame);
    // From here on the plane is horizontal at the offset height, its own y along -Z.
    if (cut > 0) {
        plane.Translated(xMin, yMin + dY * offset, zMin);
        plane.Rotated(90, -1, 0, 0);
    }
    switch (cut) {
    case 1:
        plane.Rotated(alongX, 0, -1, 0);
        break;
    case 2:
        plane.Rotated(alongZ, -1, 0, 0);
        break;
    case 3:
        plane.Translated(dX, 0, 0);
        plane.Rotated(alongX, 0, 1, 0);
        break;
    case 4:
        plane.Translated(0, -dZ, 0);
        plane.Rotated(alongZ, 1, 0, 0);
        break;
    case 5:
        plane.Rotated(diagonal, -1, -1, 0);
        break;
    case 6:
        plane.Translated(dX, 0, 0);
        plane.Rotated(diagonal, -1, 1, 0);
        break;
    case 7:
        plane.Translated(0, -dZ, 0);
        plane.Rotated(diagonal, 1, -1, 0);
        break;
    case 8:
        plane.Translated(dX, -dZ, 0);
        plane.Rotated(diagonal, 1, 1, 0);
        break;
    default:
        // No cut: the top of the clip box, with the same margin beyond the span as its other
        // planes, moved by the offset.
        plane.Translated(0, yMin + dY * (offset + 1 + QorClipMargin), 0);
        plane.Rotated(90, -1, 0, 0);
        break;
    }
    plane.Set(3);
}
