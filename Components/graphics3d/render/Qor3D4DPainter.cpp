// Sections: layer rules; layer geometry; Draw4DLayers; DrawLayerList; the cross-section plane.
#include "render/Qor3D4DPainter.h"

#include "chart/Qor3DChart.h"

#include <algorithm>

using namespace QorPaint;

// ---- Layer rules -----------------------------------------------------------------------------

std::vector<int> QorPaint::LayersDrawn(int FirstLayer, int NthLayer, int Count) {
    std::vector<int> layers;
    const int64_t step = std::max(NthLayer, 1);
    for (int64_t k = std::max(FirstLayer - 1, 0); k < Count; k += step)
        layers.push_back(int(k));
    return layers;
}

QorPaint::TNormal16 LayerNormal(const float* Positions, int Cols, int Rows, int j, int i) {
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

TListLayer ListLayer(const TQor3DChart& Chart, int Layer) {
    const TXZInteger size = Chart.GetLayerSize(Layer);
    if (size.X <= 0 || size.Z <= 0)
        return {};
    const int64_t end = Chart.LayerStart(Layer) + int64_t(size.X) * size.Z;
    if (end > int64_t(Chart.Data().size() / 4))
        return {};
    return {Chart.Data().data() + 4 * Chart.LayerStart(Layer), size.X, size.Z};
}

} // namespace

QorPaint::TNormal16 ListNormal(const TQor3DChart& Chart, int Layer, int j, int i) {
    const TListLayer layer = ListLayer(Chart, Layer);
    if (layer.Points == nullptr || j < 0 || i < 0 || j >= layer.Cols || i >= layer.Rows)
        return {1, 1, 1};
    return layer.Normal(j, i);
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
    if (FValid) {
        const size_t points = size_t(FCols) * size_t(FRows);
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

TLayerBuilder::TSource TLayerBuilder::Source(int j, int i, int k) const {
    const float* data = FChart.Data().data();
    int64_t p = 0;
    if (FSurface) {
        // Faces 1, 2 lie across Z, 3, 4 across X, 5, 6 across Y; both stored row by row.
        static constexpr std::array<int, 3> firstFace = {3, 5, 1};
        const int face = firstFace[size_t(FAxis)] + (k > 0 ? 1 : 0);
        p = TQor3DChart::FaceStart(face, FChart.NX(), FChart.NY(), FChart.NZ()) + j +
            int64_t(FCols) * i;
    } else {
        const std::array<int, 3> g = GridIndex(j, i, k);
        p = g[0] + int64_t(FChart.NX()) * (g[1] + int64_t(FChart.NY()) * g[2]);
    }
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
    for (int i = 0; i < FRows; ++i)
        for (int j = 0; j < FCols; ++j) {
            const TSource s = Source(j, i, k);
            // The full layout need not be rectangular: the extent is taken per point.
            const double extent =
                FLow ? lowExtent : double(Source(j, i, FCount - 1).Xyz[a]) - Source(j, i, 0).Xyz[a];
            const size_t n = size_t(j) + size_t(FCols) * size_t(i);
            float* out = FPositions.data() + 3 * n;
            std::copy(s.Xyz.begin(), s.Xyz.end(), out);
            out[a] = float(s.Xyz[a] + (s.V - FMap.E) * lift * extent);
            FValues[n] = s.V;
        }
}

// ---- Draw4DLayers ----------------------------------------------------------------------------

namespace {

void DrawLayer(const TGLFunctions& gl, const TLayerBuilder& Layer, bool Wired,
               const TPaletteMap* Colour) {
    const float* positions = Layer.Positions().data();
    const int cols = Layer.Cols();
    const int rows = Layer.Rows();
    DrawStrips(gl, StripPattern(Wired, false), cols, rows, [&](int j, int i) {
        const size_t n = size_t(j) + size_t(cols) * size_t(i);
        if (Colour != nullptr)
            gl.TexCoord1d(Colour->Coord(Layer.Values()[n]));
        const TNormal16 normal = LayerNormal(positions, cols, rows, j, i);
        gl.Normal3s(normal[0], normal[1], normal[2]);
        gl.Vertex3fv(positions + 3 * n);
    });
}

void DrawColourLayer(const TGLFunctions& gl, const TLayerBuilder& Layer, bool Wired,
                     const TPaletteMap& Map, int Transparency) {
    BeginTransparency(gl, Transparency);
    DrawLayer(gl, Layer, Wired, &Map);
    if (IsTranslucent(Transparency))
        EndTransparency(gl);
}

void DrawHighlightLayer(const TGLFunctions& gl, const TLayerBuilder& Layer, bool Wired) {
    gl.Disable(GL_TEXTURE_1D);
    BeginHighlight(gl);
    DrawLayer(gl, Layer, Wired, nullptr);
    EndHighlight(gl);
}

} // namespace

void Draw4DLayers(TQor3DChart& Chart, const TQorSceneFrame&) {
    const TGLFunctions& gl = GL();
    const TPaletteMap map = ChartColorMapping(Chart).Palette;
    const int transparency = Chart.Transparency();
    const bool wired = Chart.Wired();
    const bool surface = Chart.DataKind() == dk4DSurface;
    const bool highlights = Chart.Shiny() && ChartLightsOn(Chart);
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
        for (const int k : layer.Layers()) {
            layer.Build(k);
            if (colour)
                DrawColourLayer(gl, layer, wired, map, transparency);
            else
                DrawHighlightLayer(gl, layer, wired);
        }
    }
    gl.Disable(GL_TEXTURE_1D);
}

// ---- DrawLayerList ---------------------------------------------------------------------------

void DrawLayerList(TQor3DChart& Chart, const TQorSceneFrame&) {
    const TGLFunctions& gl = GL();
    const TColorMapping map = ChartColorMapping(Chart);
    const int transparency = Chart.Transparency();
    const bool wired = Chart.Wired();
    std::vector<TListLayer> layers;
    for (int l = 0; l < int(Chart.Layers().size()); ++l)
        layers.push_back(ListLayer(Chart, l));

    const auto draw = [&](const TListLayer& Layer, bool Reverse, bool Textured) {
        if (Layer.Points == nullptr)
            return;
        DrawStrips(gl, StripPattern(wired, Reverse), Layer.Cols, Layer.Rows, [&](int j, int i) {
            const float* p = Layer.Point(j, i);
            if (Textured)
                map.Emit(gl, p[0], p[3], p[2]);
            const TNormal16 n = Layer.Normal(j, i);
            gl.Normal3s(n[0], n[1], n[2]);
            gl.Vertex3fv(p);
        });
    };

    BeginTransparency(gl, transparency);
    if (transparency < 10)
        for (const TListLayer& layer : layers)
            draw(layer, false, true);
    if (IsTranslucent(transparency)) {
        gl.Color4ub(255, 255, 255, TransparencyAlpha(transparency).Second);
        for (auto it = layers.rbegin(); it != layers.rend(); ++it)
            draw(*it, true, true);
        EndTransparency(gl);
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
    BeginHighlight(gl);
    for (const TListLayer& layer : layers)
        draw(layer, false, false);
    EndHighlight(gl);
}

// ---- The cross-section plane -----------------------------------------------------------------

void SetCrossSectionPlane(TQor3DChart& Chart, const TQorSceneFrame&) {
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

    gl.PushMatrix();
    // From here on the plane is horizontal at the offset height, its own y along -Z.
    if (cut > 0) {
        gl.Translated(xMin, yMin + dY * offset, zMin);
        gl.Rotated(90, -1, 0, 0);
    }
    switch (cut) {
    case 1:
        gl.Rotated(alongX, 0, -1, 0);
        break;
    case 2:
        gl.Rotated(alongZ, -1, 0, 0);
        break;
    case 3:
        gl.Translated(dX, 0, 0);
        gl.Rotated(alongX, 0, 1, 0);
        break;
    case 4:
        gl.Translated(0, -dZ, 0);
        gl.Rotated(alongZ, 1, 0, 0);
        break;
    case 5:
        gl.Rotated(diagonal, -1, -1, 0);
        break;
    case 6:
        gl.Translated(dX, 0, 0);
        gl.Rotated(diagonal, -1, 1, 0);
        break;
    case 7:
        gl.Translated(0, -dZ, 0);
        gl.Rotated(diagonal, 1, -1, 0);
        break;
    case 8:
        gl.Translated(dX, -dZ, 0);
        gl.Rotated(diagonal, 1, 1, 0);
        break;
    default:
        // No cut: the top of the clip box, with the same margin beyond the span as its other
        // planes, moved by the offset.
        gl.Translated(0, yMin + dY * (offset + 1 + QorClipMargin), 0);
        gl.Rotated(90, -1, 0, 0);
        break;
    }
    static constexpr GLdouble equation[4] = {0, 0, -1, 0};
    gl.ClipPlane(GL_CLIP_PLANE3, equation);
    gl.Enable(GL_CLIP_PLANE3);
    gl.PopMatrix();
}
