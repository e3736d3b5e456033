// The layer rules of the 4D painters: directions, the layers drawn (all, or fewer while the view
// turns), layer geometry with its lift, and the normals of layers and of the layer list.
#pragma once

#include "render/Qor3DSurfacePainter.h"

#include <span>
#include <vector>

namespace QorPaint {

// The axis a stack of layers lies across.
enum TLayerAxis : uint8_t { LayerX, LayerY, LayerZ };

// Indices of the layers drawn out of Count: FirstLayer - 1, then every NthLayer-th.
std::vector<int> LayersDrawn(int FirstLayer, int NthLayer, int Count);

// ---- Density while turning ----

// How a stack of layers (or the layer list) is drawn: every LayerStep-th of the layers selected
// and in each layer every PointStep-th row and column, the last ones always kept.
struct TLayerDensity {
    int LayerStep = 1;
    int PointStep = 1;
    bool operator==(const TLayerDensity&) const = default;
};

// Each layer covers much of the picture, so the layers drawn cost fill time however few points
// they have: while the view turns, the stacks of a picture together show at most this many.
constexpr int QorTurningLayers = 8;

// The density of a stack whose selected layers have the sizes Layers (X columns, Z rows): full
// for View {0, 0}. Otherwise powers of two, the least that leave at most QorTurningLayers / Share
// layers (but two), and in them together no more points than a surface with a cell per group of
// QorPixelsPerTurningCell pixels along the view's longer side has, divided by Share; no layer is
// drawn denser than TurningStep allows. Share: how many stacks the picture draws.
TLayerDensity TurningDensity(std::span<const TXZInteger> Layers, TPoint View, int Share);

// Every Step-th of Items, the last one kept.
template <class T> std::vector<T> EveryNth(const std::vector<T>& Items, int Step) {
    std::vector<T> out;
    for (const int n : GridLine(int(Items.size()), Step))
        out.push_back(Items[size_t(n)]);
    return out;
}

// ---- Layer geometry ----

// The layers across one axis of a dk4D volume or the two faces of a dk4DSurface box, built one at
// a time: positions (three floats per point, row by row) lifted along the axis by the value, and
// the values themselves.
class TLayerBuilder {
public:
    TLayerBuilder(const TQor3DChart& Chart, TLayerAxis Axis, const TPaletteMap& Map);

    // False when the arrays are too short for the counts; nothing is then drawn.
    bool Valid() const { return FValid; }
    // The layer indices to draw: the selected layers, or the faces k = 0 and k = Count - 1.
    std::vector<int> Layers() const;
    // Build then takes every Step-th row and column of a layer, the last ones kept.
    void SetPointStep(int Step);
    void Build(int k);

    // The columns and rows Build fills (the whole layer unless thinned).
    int Cols() const { return int(FColLine.size()); }
    int Rows() const { return int(FRowLine.size()); }
    // The size of a whole layer, and the number of layers across the axis.
    TXZInteger LayerSize() const { return {FCols, FRows}; }
    int Count() const { return FCount; }
    const std::vector<float>& Positions() const { return FPositions; }
    const std::vector<float>& Values() const { return FValues; }

    // Point (j, i) of layer k: its grid index (i along X, j along Y, k along Z) and the point
    // it is stored as (Data holds it at 4 * index, or its value at index in the low-memory
    // layout).
    std::array<int, 3> GridIndex(int j, int i, int k) const;
    int64_t StoredPoint(int j, int i, int k) const;
    // Where the middle point of layer k lies in data coordinates, before any lift.
    std::array<float, 3> Middle(int k) const;

private:
    struct TSource {
        std::array<float, 3> Xyz;
        float V;
    };
    // Point (j, i) of layer k, before the lift.
    TSource Source(int j, int i, int k) const;
    bool CheckLengths() const;

    const TQor3DChart& FChart;
    const TLayerAxis FAxis;
    const TPaletteMap FMap;
    const bool FSurface;
    const bool FLow;
    int FCols = 0;
    int FRows = 0;
    int FCount = 0;
    bool FValid = false;
    std::vector<int> FColLine;
    std::vector<int> FRowLine;
    std::vector<float> FPositions;
    std::vector<float> FValues;
};

// Normal of point (j, i) of a layer from its positions (three floats per point, row by row).
TNormal16 LayerNormal(const float* Positions, int Cols, int Rows, int j, int i);
// Normal of point (j, i) of dkNx4D layer Layer from the stored points.
TNormal16 ListNormal(const TQor3DChart& Chart, int Layer, int j, int i);

} // namespace QorPaint
