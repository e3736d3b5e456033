// Sections: data units; nearest point by data coordinates; ray casting; the drawn geometry by
// kind; readout text.
#include "render/Qor3DChartProbe.h"

#include "chart/Qor3DChart.h"
#include "render/Qor3D4DPainter.h"
#include "render/Qor3DChartScene.h"
#include "render/Qor3DSurfacePainter.h"
#include "render/Qor3DViewFit.h"

#include "QorParallel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <vector>

using namespace QorPaint;

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

// ---- Data units --------------------------------------------------------------------------

const TQorChartAxis3D& AxisOf(const TQor3DChart& Chart, int Axis) {
    return Axis == 0 ? Chart.AxisX() : Axis == 1 ? Chart.AxisY() : Chart.AxisZ();
}

// The data value of a stored coordinate: the value a logarithmic axis took the logarithm of.
double DataCoordinate(const TQor3DChart& Chart, int Axis, const float* Stored) {
    if (!AxisOf(Chart, Axis).Logarithmic())
        return *Stored;
    if (const float* real = Chart.RealCoordinate(Axis, Stored))
        return *real;
    return std::pow(10.0, double(*Stored));
}

// A data value as the painters place it; NaN where a logarithmic axis has no place for it.
double DrawnCoordinate(const TQor3DChart& Chart, int Axis, double Value) {
    if (!AxisOf(Chart, Axis).Logarithmic())
        return Value;
    return Value > 0 ? std::log10(Value) : std::numeric_limits<double>::quiet_NaN();
}

// Where one stored point keeps its three coordinates and its value (null: a surface's).
struct TStoredPoint {
    std::array<const float*, 3> Xyz{};
    const float* Value = nullptr;
};

TQorProbeResult Report(const TQor3DChart& Chart, const TStoredPoint& P) {
    TQorProbeResult r;
    r.Kind = Chart.DataKind();
    r.Found = true;
    r.X = DataCoordinate(Chart, 0, P.Xyz[0]);
    r.Y = DataCoordinate(Chart, 1, P.Xyz[1]);
    r.Z = DataCoordinate(Chart, 2, P.Xyz[2]);
    r.Value = P.Value != nullptr ? double(*P.Value) : 0.0;
    r.Drawn = {*P.Xyz[0], *P.Xyz[1], *P.Xyz[2]};
    return r;
}

bool Finite(const TStoredPoint& P) {
    return std::isfinite(*P.Xyz[0]) && std::isfinite(*P.Xyz[1]) && std::isfinite(*P.Xyz[2]) &&
           (P.Value == nullptr || std::isfinite(*P.Value));
}

// Point (i, k) of a surface grid; null pointers when the arrays are too short.
TStoredPoint SurfacePoint(const TQor3DChart& Chart, int i, int k) {
    const size_t p = size_t(i) + size_t(Chart.NX()) * size_t(k);
    const TArrGLfloat& data = Chart.Data();
    if (!Chart.LowMemoryLayout())
        return {{&data[3 * p], &data[3 * p + 1], &data[3 * p + 2]}, nullptr};
    return {{&Chart.XValues()[size_t(i)], &data[p], &Chart.ZValues()[size_t(k)]}, nullptr};
}

bool SurfaceComplete(const TQor3DChart& Chart) {
    const size_t points = size_t(std::max(Chart.NX(), 0)) * size_t(std::max(Chart.NZ(), 0));
    if (points == 0)
        return false;
    if (!Chart.LowMemoryLayout())
        return Chart.Data().size() >= 3 * points;
    return Chart.Data().size() >= points && Chart.XValues().size() >= size_t(Chart.NX()) &&
           Chart.ZValues().size() >= size_t(Chart.NZ());
}

// Point (i, j, k) of a 4D grid, stored as point P.
TStoredPoint GridPoint(const TQor3DChart& Chart, const std::array<int, 3>& G, int64_t P) {
    const TArrGLfloat& data = Chart.Data();
    const size_t p = size_t(P);
    if (!Chart.LowMemoryLayout())
        return {{&data[4 * p], &data[4 * p + 1], &data[4 * p + 2]}, &data[4 * p + 3]};
    return {{&Chart.XValues()[size_t(G[0])], &Chart.YValues()[size_t(G[1])],
             &Chart.ZValues()[size_t(G[2])]},
            &data[p]};
}

// ---- Nearest point by data coordinates ------------------------------------------------------

// The nearest of the points offered, by distances relative to the extent of all of them along
// each axis used; a query outside that extent finds nothing, and neither does one whose nearest
// point has no finite value (a hole).
class TNearest {
public:
    TNearest(const TQorPoint3d& Query, const std::array<bool, 3>& Used)
        : FQuery(Query), FUsed(Used) {}

    void Offer(const TStoredPoint& P) {
        FCandidates.push_back(P);
        for (int a = 0; a < 3; ++a) {
            const double v = *P.Xyz[size_t(a)];
            if (std::isfinite(v)) {
                FMin[size_t(a)] = std::min(FMin[size_t(a)], v);
                FMax[size_t(a)] = std::max(FMax[size_t(a)], v);
            }
        }
    }

    const TStoredPoint* Result() const {
        std::array<double, 3> weight{};
        for (size_t a = 0; a < 3; ++a) {
            if (!FUsed[a])
                continue;
            const double span = FMax[a] - FMin[a];
            const double slack = 1e-9 * std::max(span, std::fabs(FMax[a]));
            if (!(FQuery[a] >= FMin[a] - slack && FQuery[a] <= FMax[a] + slack))
                return nullptr;
            weight[a] = span > 0 ? 1 / span : 1;
        }
        const TStoredPoint* best = nullptr;
        double bestDistance = Infinity;
        for (const TStoredPoint& p : FCandidates) {
            double d = 0;
            for (size_t a = 0; a < 3; ++a)
                if (FUsed[a]) {
                    const double delta = (*p.Xyz[a] - FQuery[a]) * weight[a];
                    d += delta * delta;
                }
            if (d < bestDistance) {
                bestDistance = d;
                best = &p;
            }
        }
        return best != nullptr && Finite(*best) ? best : nullptr;
    }

private:
    TQorPoint3d FQuery;
    std::array<bool, 3> FUsed;
    std::array<double, 3> FMin{Infinity, Infinity, Infinity};
    std::array<double, 3> FMax{-Infinity, -Infinity, -Infinity};
    std::vector<TStoredPoint> FCandidates;
};

// Every point the chart holds, in the order of its grid.
template <class F> void ForEachPoint(const TQor3DChart& Chart, F&& Take) {
    switch (Chart.DataKind()) {
    case dk3D:
        if (SurfaceComplete(Chart))
            for (int k = 0; k < Chart.NZ(); ++k)
                for (int i = 0; i < Chart.NX(); ++i)
                    Take(SurfacePoint(Chart, i, k));
        break;
    case dk4D:
    case dk4DSurface: {
        // The faces of a box are the first and last layer across each axis.
        for (const TLayerAxis axis : {LayerX, LayerY, LayerZ}) {
            const TLayerBuilder layer(Chart, axis, TPaletteMap{});
            const std::vector<int> all =
                Chart.DataKind() == dk4D ? LayersDrawn(1, 1, layer.Count()) : layer.Layers();
            for (const int k : layer.Valid() ? all : std::vector<int>{})
                for (int i = 0; i < layer.LayerSize().Z; ++i)
                    for (int j = 0; j < layer.LayerSize().X; ++j)
                        Take(
                            GridPoint(Chart, layer.GridIndex(j, i, k), layer.StoredPoint(j, i, k)));
            if (Chart.DataKind() == dk4D)
                break;
        }
        break;
    }
    case dkNx4D: {
        const TArrGLfloat& data = Chart.Data();
        for (size_t p = 0; p + 3 < data.size(); p += 4)
            Take(TStoredPoint{{&data[p], &data[p + 1], &data[p + 2]}, &data[p + 3]});
        break;
    }
    }
}

// ---- Ray casting ----------------------------------------------------------------------------

struct THit {
    double T = Infinity;
    int Layer = -1;
    int Col = 0;
    int Row = 0;
    TQorPoint3d Point{0, 0, 0};
};

TQorPoint3d Minus(const TQorPoint3d& A, const TQorPoint3d& B) {
    return {A[0] - B[0], A[1] - B[1], A[2] - B[2]};
}
TQorPoint3d Cross(const TQorPoint3d& A, const TQorPoint3d& B) {
    return {A[1] * B[2] - A[2] * B[1], A[2] * B[0] - A[0] * B[2], A[0] * B[1] - A[1] * B[0]};
}
double Dot(const TQorPoint3d& A, const TQorPoint3d& B) {
    return A[0] * B[0] + A[1] * B[1] + A[2] * B[2];
}

// A ray through a shared vertex or edge must not slip between the triangles by rounding.
constexpr double EdgeSlack = 1e-9;

// The ray's parameter where it meets triangle (A, B, C), or infinity.
double HitTriangle(const TQorRay& Ray, const TQorPoint3d& A, const TQorPoint3d& B,
                   const TQorPoint3d& C) {
    const TQorPoint3d e1 = Minus(B, A);
    const TQorPoint3d e2 = Minus(C, A);
    const TQorPoint3d p = Cross(Ray.Direction, e2);
    const double det = Dot(e1, p);
    if (std::fabs(det) < 1e-300)
        return Infinity;
    const TQorPoint3d s = Minus(Ray.Origin, A);
    const double u = Dot(s, p) / det;
    if (u < -EdgeSlack || u > 1 + EdgeSlack)
        return Infinity;
    const TQorPoint3d q = Cross(s, e1);
    const double v = Dot(Ray.Direction, q) / det;
    if (v < -EdgeSlack || u + v > 1 + EdgeSlack)
        return Infinity;
    const double t = Dot(e2, q) / det;
    return t >= 0 && t <= 1 ? t : Infinity;
}

// The box the clip planes keep, in drawing coordinates.
struct TBox {
    TQorPoint3d Min{0, 0, 0};
    TQorPoint3d Max{0, 0, 0};

    bool Contains(const TQorPoint3d& P) const {
        for (size_t a = 0; a < 3; ++a)
            if (!(P[a] >= Min[a] && P[a] <= Max[a]))
                return false;
        return true;
    }
    // Whether the ray meets the box before parameter Before.
    bool Meets(const TQorRay& Ray, double Before) const { return Entry(Ray, Before) < Infinity; }
    // Where the ray enters the box, if before parameter Before; Infinity where it does not.
    double Entry(const TQorRay& Ray, double Before) const {
        double t0 = 0;
        double t1 = std::min(Before, 1.0);
        for (size_t a = 0; a < 3; ++a) {
            const double d = Ray.Direction[a];
            if (d == 0) {
                if (Ray.Origin[a] < Min[a] || Ray.Origin[a] > Max[a])
                    return Infinity;
                continue;
            }
            double n = (Min[a] - Ray.Origin[a]) / d;
            double f = (Max[a] - Ray.Origin[a]) / d;
            if (n > f)
                std::swap(n, f);
            t0 = std::max(t0, n);
            t1 = std::min(t1, f);
            if (!(t0 <= t1))
                return Infinity;
        }
        return t0;
    }
    void Include(const TBox& B) {
        for (size_t a = 0; a < 3; ++a) {
            Min[a] = std::min(Min[a], B.Min[a]);
            Max[a] = std::max(Max[a], B.Max[a]);
        }
    }
};

struct TPickFrame {
    TQorRay Ray;
    TBox Clip;
    TQorPoint3d Scale{1, 1, 1};
    // The 4D kinds' cross-section plane, where it replaces the clip box's top: drawing
    // coordinates to the plane's own, whose z must not be above 0.
    bool Cut = false;
    TQorMatrix4 ToCut = QorMatrix::Identity();

    bool Keeps(const TQorPoint3d& P) const {
        return Clip.Contains(P) && (!Cut || QorMatrix::Transform(ToCut, P)[2] <= 1e-9);
    }
};

// A grid the ray is cast against: Cols × Rows points, the Layer reported for a hit.
struct TGridShape {
    int Cols = 0;
    int Rows = 0;
    int Layer = 0;
};

// Cells of this many by this many are culled by their bounding box before their triangles
// are tried.
constexpr int BlockCells = 16;

// The bounding boxes of the blocks of a Cols × Rows grid whose point (j, i) Point gives,
// block row by block row, the rows in parallel. A NaN coordinate is passed over by the
// comparisons; an infinite one only widens its box.
template <class P> std::vector<TBox> BlockBoxes(int Cols, int Rows, const P& Point) {
    const int blockCols = std::max(Cols - 1 + BlockCells - 1, 0) / BlockCells;
    const int blockRows = std::max(Rows - 1 + BlockCells - 1, 0) / BlockCells;
    std::vector<TBox> boxes(size_t(blockCols) * size_t(blockRows),
                            {{Infinity, Infinity, Infinity}, {-Infinity, -Infinity, -Infinity}});
    QorParallel::For(size_t(blockRows), [&](size_t BlockRow) {
        const int bi = int(BlockRow) * BlockCells;
        const int i1 = std::min(bi + BlockCells, Rows - 1);
        for (int i = bi; i <= i1; ++i)
            for (int j = 0; j < Cols; ++j) {
                const TQorPoint3d p = Point(j, i);
                // A point on a block's last column is also the first of the next block's.
                for (int b = std::max(j - 1, 0) / BlockCells;
                     b <= std::min(j / BlockCells, blockCols - 1); ++b) {
                    TBox& box = boxes[BlockRow * size_t(blockCols) + size_t(b)];
                    for (size_t a = 0; a < 3; ++a) {
                        box.Min[a] = std::min(box.Min[a], p[a]);
                        box.Max[a] = std::max(box.Max[a], p[a]);
                    }
                }
            }
    });
    return boxes;
}

// Casts Ray against the cells of a Cols × Rows grid whose point (j, i) Point gives (a
// coordinate that is not finite makes a hole), trying only the blocks whose box (Boxes, as
// BlockBoxes makes them) the ray meets; hits outside Clip do not count. Best keeps the
// front-most hit so far.
template <class P>
void CastGrid(const TPickFrame& F, const TGridShape& Grid, std::span<const TBox> Boxes, P&& Point,
              THit& Best) {
    size_t b = 0;
    for (int bi = 0; bi + 1 < Grid.Rows; bi += BlockCells)
        for (int bj = 0; bj + 1 < Grid.Cols; bj += BlockCells) {
            if (b >= Boxes.size() || !Boxes[b++].Meets(F.Ray, Best.T))
                continue;
            const int i1 = std::min(bi + BlockCells, Grid.Rows - 1);
            const int j1 = std::min(bj + BlockCells, Grid.Cols - 1);
            for (int i = bi; i < i1; ++i)
                for (int j = bj; j < j1; ++j) {
                    const std::array<TQorPoint3d, 4> c = {Point(j, i), Point(j + 1, i),
                                                          Point(j + 1, i + 1), Point(j, i + 1)};
                    bool whole = true;
                    for (const TQorPoint3d& v : c)
                        whole = whole && std::isfinite(v[0]) && std::isfinite(v[1]) &&
                                std::isfinite(v[2]);
                    if (!whole)
                        continue;
                    const double t = std::min(HitTriangle(F.Ray, c[0], c[1], c[2]),
                                              HitTriangle(F.Ray, c[0], c[2], c[3]));
                    if (!(t < Best.T))
                        continue;
                    const TQorPoint3d hit{F.Ray.Origin[0] + t * F.Ray.Direction[0],
                                          F.Ray.Origin[1] + t * F.Ray.Direction[1],
                                          F.Ray.Origin[2] + t * F.Ray.Direction[2]};
                    if (F.Keeps(hit))
                        Best = {t, Grid.Layer, j, i, hit};
                }
        }
}

// Which corner of the hit cell lies nearest to the hit, measured in the scene's box (Scale).
template <class P>
std::array<int, 2> NearestCorner(const THit& Hit, const TQorPoint3d& Scale, P&& Point) {
    std::array<int, 2> best{Hit.Col, Hit.Row};
    double bestDistance = Infinity;
    for (int di = 0; di <= 1; ++di)
        for (int dj = 0; dj <= 1; ++dj) {
            const TQorPoint3d d = Minus(Point(Hit.Col + dj, Hit.Row + di), Hit.Point);
            double s = 0;
            for (size_t a = 0; a < 3; ++a)
                s += d[a] * Scale[a] * d[a] * Scale[a];
            if (s < bestDistance) {
                bestDistance = s;
                best = {Hit.Col + dj, Hit.Row + di};
            }
        }
    return best;
}

TQorPoint3d ToVec(const TStoredPoint& P) {
    return {*P.Xyz[0], *P.Xyz[1], *P.Xyz[2]};
}

// ---- The drawn geometry by kind -------------------------------------------------------------

// The block boxes of every grid of a surface or layer list, with what they were made for.
struct TBlockCache {
    const float* Data = nullptr;
    size_t Size = 0;
    std::array<int, 3> Counts{};
    std::array<bool, 3> Logarithmic{};
    TQorDataKind Kind = dk3D;
    bool LowMemory = false;
    std::vector<std::vector<TBox>> Grids;
    // What the 4D layers' boxes were made for, besides the data: the layers drawn and how far
    // the 4th value lifts them.
    std::array<double, 6> LayerSettings{};

    bool Serves(const TQor3DChart& Chart) const {
        return Data == Chart.Data().data() && Size == Chart.Data().size() &&
               Counts == std::array<int, 3>{Chart.NX(), Chart.NY(), Chart.NZ()} &&
               Logarithmic == std::array<bool, 3>{Chart.AxisX().Logarithmic(),
                                                  Chart.AxisY().Logarithmic(),
                                                  Chart.AxisZ().Logarithmic()} &&
               Kind == Chart.DataKind() && LowMemory == Chart.LowMemoryLayout();
    }
    void Reset(const TQor3DChart& Chart) {
        *this = {
            Chart.Data().data(),
            Chart.Data().size(),
            {Chart.NX(), Chart.NY(), Chart.NZ()},
            {Chart.AxisX().Logarithmic(), Chart.AxisY().Logarithmic(), Chart.AxisZ().Logarithmic()},
            Chart.DataKind(),
            Chart.LowMemoryLayout(),
            {},
            {}};
    }
    // Forgets the layers' boxes when the settings they were made for have changed.
    void KeepLayers(const std::array<double, 6>& Settings) {
        if (Settings != LayerSettings)
            Grids.clear();
        LayerSettings = Settings;
    }
    // The boxes of grid Index, made by Make the first time.
    template <class M> const std::vector<TBox>& Boxes(size_t Index, M&& Make) {
        if (Grids.size() <= Index)
            Grids.resize(Index + 1);
        if (Grids[Index].empty())
            Grids[Index] = Make();
        return Grids[Index];
    }
};

TQorProbeResult PickSurface(const TQor3DChart& Chart, const TPickFrame& F, TBlockCache& Cache) {
    if (!SurfaceComplete(Chart))
        return {};
    const auto point = [&Chart](int j, int i) {
        return ToVec(SurfacePoint(Chart, j, i));
    };
    const TGridShape grid{Chart.NX(), Chart.NZ(), 0};
    THit hit;
    CastGrid(F, grid, Cache.Boxes(0, [&] { return BlockBoxes(grid.Cols, grid.Rows, point); }),
             point, hit);
    if (hit.Layer < 0)
        return {};
    const auto [i, k] = NearestCorner(hit, F.Scale, point);
    return Report(Chart, SurfacePoint(Chart, i, k));
}

// Point (j, i) of the layer Layer last built; a missing value makes a hole.
auto LayerPoint(const TLayerBuilder& Layer) {
    return [&Layer](int j, int i) {
        const size_t n = size_t(j) + size_t(Layer.Cols()) * size_t(i);
        const float* q = Layer.Positions().data() + 3 * n;
        if (!std::isfinite(Layer.Values()[n]))
            return TQorPoint3d{Infinity, Infinity, Infinity};
        return TQorPoint3d{q[0], q[1], q[2]};
    };
}

// The layers move with the 4th dimension's settings (which, how far lifted): their boxes are
// kept for those settings. Layers are tried in the order the ray enters their boxes, so a pick
// builds only the layers in front of the first hit.
TQorProbeResult PickLayers(const TQor3DChart& Chart, const TPickFrame& F, TBlockCache& Cache) {
    const TPaletteMap map = ChartColorMapping(Chart).Palette;
    const bool surface = Chart.DataKind() == dk4DSurface;
    Cache.KeepLayers({double(Chart.Dim4Direction()), double(Chart.Dim4FirstLayer()),
                      double(Chart.Dim4NthLayer()), Chart.Dim4Height(), map.E, map.F});
    struct TCandidate {
        double Entry = Infinity;
        size_t Grid = 0;
        size_t Builder = 0;
        int Layer = 0;
    };
    std::vector<TCandidate> candidates;
    std::vector<std::unique_ptr<TLayerBuilder>> builders;
    size_t grid = 0;
    for (const TLayerAxis axis : {LayerX, LayerY, LayerZ}) {
        if (!surface && !Dim4DirectionHasAxis(Chart.Dim4Direction(), axis))
            continue;
        builders.push_back(std::make_unique<TLayerBuilder>(Chart, axis, map));
        TLayerBuilder& layer = *builders.back();
        for (const int k : layer.Layers()) {
            // The first box of a layer's list is the whole layer's, the blocks' follow.
            const std::vector<TBox>& boxes = Cache.Boxes(grid, [&] {
                layer.Build(k);
                const auto point = LayerPoint(layer);
                std::vector<TBox> blocks = BlockBoxes(layer.Cols(), layer.Rows(), point);
                TBox whole{{Infinity, Infinity, Infinity}, {-Infinity, -Infinity, -Infinity}};
                for (const TBox& b : blocks)
                    whole.Include(b);
                blocks.insert(blocks.begin(), whole);
                return blocks;
            });
            const double entry = boxes.front().Entry(F.Ray, Infinity);
            if (entry < Infinity)
                candidates.push_back({entry, grid, builders.size() - 1, k});
            ++grid;
        }
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const TCandidate& A, const TCandidate& B) { return A.Entry < B.Entry; });
    THit best;
    std::array<int, 3> index{};
    int64_t stored = 0;
    for (const TCandidate& c : candidates) {
        if (!(c.Entry < best.T))
            break;
        TLayerBuilder& layer = *builders[c.Builder];
        layer.Build(c.Layer);
        const auto point = LayerPoint(layer);
        const std::span<const TBox> blocks = std::span(Cache.Grids[c.Grid]).subspan(1);
        const double before = best.T;
        CastGrid(F, {layer.Cols(), layer.Rows(), c.Layer}, blocks, point, best);
        if (best.T < before) {
            const auto [j, i] = NearestCorner(best, F.Scale, point);
            index = layer.GridIndex(j, i, c.Layer);
            stored = layer.StoredPoint(j, i, c.Layer);
        }
    }
    if (best.Layer < 0)
        return {};
    return Report(Chart, GridPoint(Chart, index, stored));
}

TQorProbeResult PickLayerList(const TQor3DChart& Chart, const TPickFrame& F, TBlockCache& Cache) {
    const TArrGLfloat& data = Chart.Data();
    THit best;
    const float* found = nullptr;
    for (int l = 0; l < int(Chart.Layers().size()); ++l) {
        const TXZInteger size = Chart.GetLayerSize(l);
        const int64_t start = Chart.LayerStart(l);
        if (size.X <= 0 || size.Z <= 0 ||
            start + int64_t(size.X) * size.Z > int64_t(data.size() / 4))
            continue;
        const float* points = data.data() + 4 * start;
        const auto at = [&](int j, int i) {
            return points + 4 * (size_t(j) + size_t(size.X) * size_t(i));
        };
        const auto point = [&](int j, int i) {
            const float* p = at(j, i);
            return std::isfinite(p[3]) ? TQorPoint3d{p[0], p[1], p[2]}
                                       : TQorPoint3d{Infinity, Infinity, Infinity};
        };
        const double before = best.T;
        const TGridShape grid{size.X, size.Z, l};
        CastGrid(F, grid, Cache.Boxes(size_t(l), [&] { return BlockBoxes(size.X, size.Z, point); }),
                 point, best);
        if (best.T < before) {
            const auto [j, i] = NearestCorner(best, F.Scale, point);
            found = at(j, i);
        }
    }
    if (found == nullptr)
        return {};
    return Report(Chart, {{found, found + 1, found + 2}, found + 3});
}

// The cross-section plane as SetCrossSectionPlane places it (Qor3D4DPainter.cpp), from the
// displayed ranges: false where the clip box keeps its top.
bool CrossSection(const TQor3DChart& Chart, TQorMatrix4& ToCut) {
    const TQorDataKind kind = Chart.DataKind();
    if (!((kind == dkNx4D || kind == dk4D || kind == dk4DSurface) && Chart.AxisY().AutoMax()))
        return false;
    using namespace QorMatrix;
    constexpr double degrees = 57.295779513082320877;
    const double xMin = Chart.AxisX().Layout.DisplayMin;
    const double dX = Chart.AxisX().Layout.DisplayMax - xMin;
    const double yMin = Chart.AxisY().Layout.DisplayMin;
    const double dY = Chart.AxisY().Layout.DisplayMax - yMin;
    const double zMin = Chart.AxisZ().Layout.DisplayMin;
    const double dZ = Chart.AxisZ().Layout.DisplayMax - zMin;
    const double offset = Chart.Dim4CrossSectionOffset();
    const int cut = Chart.Dim4CrossSection();
    const double diagonal = float(std::atan(float(dY / std::sqrt(dZ * dZ + dX * dX))) * degrees);
    const double alongX = std::atan(dY / dX) * degrees;
    const double alongZ = std::atan(dY / dZ) * degrees;
    TQorMatrix4 m = Identity();
    const auto then = [&m](const TQorMatrix4& Step) {
        m = Multiply(m, Step);
    };
    if (cut > 0) {
        then(Translation(xMin, yMin + dY * offset, zMin));
        then(Rotation(90, -1, 0, 0));
    }
    switch (cut) {
    case 1:
        then(Rotation(alongX, 0, -1, 0));
        break;
    case 2:
        then(Rotation(alongZ, -1, 0, 0));
        break;
    case 3:
        then(Translation(dX, 0, 0));
        then(Rotation(alongX, 0, 1, 0));
        break;
    case 4:
        then(Translation(0, -dZ, 0));
        then(Rotation(alongZ, 1, 0, 0));
        break;
    case 5:
        then(Rotation(diagonal, -1, -1, 0));
        break;
    case 6:
        then(Translation(dX, 0, 0));
        then(Rotation(diagonal, -1, 1, 0));
        break;
    case 7:
        then(Translation(0, -dZ, 0));
        then(Rotation(diagonal, 1, -1, 0));
        break;
    case 8:
        then(Translation(dX, -dZ, 0));
        then(Rotation(diagonal, 1, 1, 0));
        break;
    default:
        then(Translation(0, yMin + dY * (offset + 1 + QorClipMargin), 0));
        then(Rotation(90, -1, 0, 0));
        break;
    }
    return Inverse(m, ToCut);
}

// ---- Readout text ---------------------------------------------------------------------------

std::string Label(const std::string& Caption, const char* Fallback) {
    return Caption.empty() ? Fallback : Caption;
}

// Seven significant digits, the precision the data are stored with.
std::string NumberText(double V) {
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, V, std::chars_format::general, 7);
    return ec == std::errc() ? std::string(buffer, end) : "?";
}

} // namespace

TQorProbeResult QorProbe::AtData(const TQor3DChart& Chart, double X, double Y, double Z) {
    const bool surface = Chart.DataKind() == dk3D;
    const TQorPoint3d query{DrawnCoordinate(Chart, 0, X),
                            surface ? 0 : DrawnCoordinate(Chart, 1, Y),
                            DrawnCoordinate(Chart, 2, Z)};
    if (!std::isfinite(query[0]) || !std::isfinite(query[1]) || !std::isfinite(query[2]))
        return {};
    TNearest nearest(query, {true, !surface, true});
    ForEachPoint(Chart, [&nearest](const TStoredPoint& P) { nearest.Offer(P); });
    const TStoredPoint* p = nearest.Result();
    return p != nullptr ? Report(Chart, *p) : TQorProbeResult{};
}

TQor3DViewMatrix QorProbe::ChartView(TQor3DChart& Chart, int Width, int Height) {
    SetDisplayedRanges(Chart);
    const TQorSceneFrame f = ComputeSceneFrame(Chart);
    const TQorMatrix4 model =
        QorMatrix::Multiply(QorMatrix::Scaling(1 / f.RX, 1 / f.RY, 1 / f.RZ),
                            QorMatrix::Translation(-f.Centre[0], -f.Centre[1], -f.Centre[2]));
    // The view a paint draws with, including the zoom or shift that keeps labels whole.
    return QorPaint::FittedViewMatrix(Chart, Width, Height).Then(model);
}

TQorProbeResult QorProbe::AtPixel(TQor3DChart& Chart, int Width, int Height, double PX, double PY) {
    return TQorChartPicker().AtPixel(Chart, Width, Height, PX, PY);
}

struct TQorChartPicker::TCache : TBlockCache {};

TQorChartPicker::TQorChartPicker() : FCache(std::make_unique<TCache>()) {}
TQorChartPicker::~TQorChartPicker() = default;

void TQorChartPicker::Forget() {
    *FCache = {};
}

TQorProbeResult TQorChartPicker::AtPixel(TQor3DChart& Chart, int Width, int Height, double PX,
                                         double PY) {
    if (Width <= 0 || Height <= 0)
        return {};
    TPickFrame f;
    if (!QorProbe::ChartView(Chart, Width, Height).RayThrough(PX, PY, f.Ray) ||
        !ChartDrawable(Chart))
        return {};
    const TQorSceneFrame frame = ComputeSceneFrame(Chart);
    f.Scale = {1 / frame.RX, 1 / frame.RY, 1 / frame.RZ};
    for (int a = 0; a < 3; ++a) {
        const TQorChartAxis3D& axis = AxisOf(Chart, a);
        const double margin = QorClipMargin * (axis.Layout.DisplayMax - axis.Layout.DisplayMin);
        f.Clip.Min[size_t(a)] = axis.Layout.DisplayMin - margin;
        f.Clip.Max[size_t(a)] = axis.Layout.DisplayMax + margin;
    }
    f.Cut = CrossSection(Chart, f.ToCut);
    if (f.Cut) // the plane replaces the box's top
        f.Clip.Max[1] = Infinity;
    if (!FCache->Serves(Chart))
        FCache->Reset(Chart);
    switch (Chart.DataKind()) {
    case dk3D:
        return PickSurface(Chart, f, *FCache);
    case dk4D:
    case dk4DSurface:
        return PickLayers(Chart, f, *FCache);
    case dkNx4D:
        return PickLayerList(Chart, f, *FCache);
    }
    return {};
}

int QorProbe::FieldCount(const TQorProbeResult& Result) {
    return Result.Kind == dk3D ? 3 : 4;
}

std::array<TQorProbeField, 4> QorProbe::Fields(const TQor3DChart& Chart,
                                               const TQorProbeResult& Result) {
    const std::string x = Label(Chart.AxisX().Caption(), "X");
    const std::string y = Label(Chart.AxisY().Caption(), "Y");
    const std::string z = Label(Chart.AxisZ().Caption(), "Z");
    if (Result.Kind == dk3D)
        return {{{x, Result.X}, {z, Result.Z}, {y, Result.Y}, {}}};
    return {{{x, Result.X},
             {y, Result.Y},
             {z, Result.Z},
             {Label(Chart.Dim4Caption(), "Value"), Result.Value}}};
}

std::string QorProbe::ReadoutText(const TQor3DChart& Chart, const TQorProbeResult& Result) {
    if (!Result.Found)
        return {};
    const std::array<TQorProbeField, 4> fields = Fields(Chart, Result);
    std::string text;
    for (int n = 0; n < FieldCount(Result); ++n) {
        if (n > 0)
            text += "   ";
        text += fields[size_t(n)].Label + " = " + NumberText(fields[size_t(n)].Value);
    }
    return text;
}
