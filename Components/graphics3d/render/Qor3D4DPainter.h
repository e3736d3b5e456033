// The layer rules of the 4D painters: directions, the layers drawn, layer geometry with its
// lift, and the normals of layers and of the layer list.
#pragma once

#include "render/Qor3DSurfacePainter.h"

#include <vector>

namespace QorPaint {

// The axis a stack of layers lies across.
enum TLayerAxis : uint8_t { LayerX, LayerY, LayerZ };

// Indices of the layers drawn out of Count: FirstLayer - 1, then every NthLayer-th.
std::vector<int> LayersDrawn(int FirstLayer, int NthLayer, int Count);

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
    void Build(int k);

    int Cols() const { return FCols; }
    int Rows() const { return FRows; }
    int Count() const { return FCount; }
    const std::vector<float>& Positions() const { return FPositions; }
    const std::vector<float>& Values() const { return FValues; }

private:
    struct TSource {
        std::array<float, 3> Xyz;
        float V;
    };
    // Point (j, i) of layer k, before the lift.
    TSource Source(int j, int i, int k) const;
    std::array<int, 3> GridIndex(int j, int i, int k) const;
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
    std::vector<float> FPositions;
    std::vector<float> FValues;
};

// Normal of point (j, i) of a layer from its positions (three floats per point, row by row).
TNormal16 LayerNormal(const float* Positions, int Cols, int Rows, int j, int i);
// Normal of point (j, i) of dkNx4D layer Layer from the stored points.
TNormal16 ListNormal(const TQor3DChart& Chart, int Layer, int j, int i);

} // namespace QorPaint
