#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartNormals.h"
#include "chart/Qor3DChartSizing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <new>

namespace {

struct TRange {
    double Min = 0;
    double Max = 0;
};

// Linear scan from the first element, comparing the stored single-precision values.
void Scan(TQorDataExtremes& E, size_t Component, const float* p, size_t Count, size_t Stride) {
    for (size_t n = 0; n < Count; ++n)
        E.Add(Component, p[n * Stride]);
}

void MakeNonDegenerate(TRange& r) {
    if (std::fabs(r.Max - r.Min) < 1e-20)
        r.Max = r.Min + 1;
}

// The real range of a logarithmic axis from its stored extremes.
TRange RealRange(const TRange& r) {
    return {double(powl(10.0L, r.Min)), double(powl(10.0L, r.Max))};
}

float LogOf(float v) {
    return float(std::log10(double(v)));
}

void ConvertLog(float& v, bool ToLog) {
    v = ToLog ? LogOf(v) : float(std::pow(10.0, double(v)));
}

// Stored is the logarithm taken of Real (NaN for NaN and for negative values).
bool IsLogOf(float Stored, float Real) {
    const float l = LogOf(Real);
    return std::bit_cast<uint32_t>(l) == std::bit_cast<uint32_t>(Stored) ||
           (std::isnan(l) && std::isnan(Stored));
}

} // namespace

bool Dim4DirectionHasAxis(int Direction, int Axis) {
    static constexpr std::array<std::array<bool, 3>, 7> axes = {{
        {true, false, false},
        {false, true, false},
        {false, false, true},
        {true, true, false},
        {true, false, true},
        {false, true, true},
        {true, true, true},
    }};
    if (Direction < 0 || Direction > 6 || Axis < 0 || Axis > 2)
        return false;
    return axes[size_t(Direction)][size_t(Axis)];
}

void TQor3DChart::ClearData() {
    FNX = 0;
    FNY = 0;
    FNZ = 0;
    TArrGLfloat().swap(FXValues);
    TArrGLfloat().swap(FYValues);
    TArrGLfloat().swap(FZValues);
    TArrGLfloat().swap(FData);
    TArrGLshort().swap(FNormals);
    for (TArrGLfloat& real : FRealCoords)
        TArrGLfloat().swap(real);
}

void TQor3DChart::SetDataKind(int Kind) {
    const auto k = TQorDataKind(std::clamp(Kind, int(dk3D), int(dk4DSurface)));
    if (k == FDataKind)
        return;
    FDataKind = k;
    for (TArrGLfloat& real : FRealCoords)
        TArrGLfloat().swap(real);
    Changed();
}

int64_t TQor3DChart::FacePointCount(int nx, int ny, int nz) {
    return 2 * (int64_t(ny) * (int64_t(nx) + nz) + int64_t(nx) * nz);
}

int64_t TQor3DChart::FaceStart(int Face, int nx, int ny, int nz) {
    const int64_t xy = int64_t(nx) * ny;
    const int64_t yz = int64_t(ny) * nz;
    const int64_t xz = int64_t(nx) * nz;
    const std::array<int64_t, 6> starts = {
        0, xy, 2 * xy, 2 * xy + yz, 2 * xy + 2 * yz, 2 * xy + 2 * yz + xz};
    return Face >= 1 && Face <= 6 ? starts[size_t(Face - 1)] : 0;
}

int64_t TQor3DChart::LayerStart(int Layer) const {
    if (Layer <= 0 || FLayerStarts.empty())
        return 0;
    return FLayerStarts[std::min(size_t(Layer), FLayerStarts.size() - 1)];
}

bool TQor3DChart::SizeGrid(TQorDataKind Kind, int nx, int ny, int nz, bool ZeroFill) {
    SetDataKind(Kind);
    ClearData();
    if (nx < 0 || ny < 0 || nz < 0)
        return false;
    const bool low = FUseLowMemory;
    std::optional<int64_t> points;
    switch (Kind) {
    case dk3D:
        points = QorSizing::Product({nx, nz});
        break;
    case dk4D:
        points = QorSizing::Product({nx, ny, nz});
        break;
    default: {
        const auto sides = QorSizing::Product({ny, int64_t(nx) + nz});
        const auto caps = QorSizing::Product({nx, nz});
        const auto half = sides && caps ? QorSizing::Sum({*sides, *caps}) : std::nullopt;
        points = half ? QorSizing::Product({*half, 2}) : std::nullopt;
        break;
    }
    }
    // A grid of no points is the empty grid: counts such as 0 x 2147483647 would otherwise
    // make a writer put out billions of empty lines for nothing.
    if (points && *points == 0)
        nx = ny = nz = 0;
    const int stride = Kind == dk3D ? 3 : 4;
    const std::optional<int64_t> data =
        points ? QorSizing::Product({*points, low ? 1 : stride}) : std::nullopt;
    const int ny3 = Kind == dk3D ? 0 : ny;
    // Full-layout surfaces also get three 16-bit normals per point.
    const int64_t normals = Kind == dk3D && !low && points ? *points / 2 * 3 + 3 : 0;
    const std::optional<int64_t> total =
        data ? QorSizing::Sum({*data, low ? int64_t(nx) + ny3 + nz : 0, normals}) : std::nullopt;
    if (!total || !QorSizing::FitsInMemory(*total, sizeof(float), MemoryLimit()))
        return false;
    FLowMemoryLayout = low;
    try {
        // The vectors are small: always zeros, so a reader that fails in them leaves no
        // undefined numbers behind.
        if (ZeroFill)
            FData.assign(size_t(*data), 0.0f);
        else
            FData.resize(size_t(*data));
        if (low) {
            FXValues.assign(size_t(nx), 0.0f);
            FYValues.assign(size_t(ny3), 0.0f);
            FZValues.assign(size_t(nz), 0.0f);
        }
    } catch (const std::bad_alloc&) {
        ClearData();
        return false;
    }
    FNX = nx;
    FNY = ny3;
    FNZ = nz;
    return true;
}

bool TQor3DChart::SetSize3D(int nx, int nz, bool ZeroFill) {
    return SizeGrid(dk3D, nx, 0, nz, ZeroFill);
}

bool TQor3DChart::SetSize4D(int nx, int ny, int nz, bool ZeroFill) {
    return SizeGrid(dk4D, nx, ny, nz, ZeroFill);
}

bool TQor3DChart::SetSize4DSurface(int nx, int ny, int nz, bool ZeroFill) {
    return SizeGrid(dk4DSurface, nx, ny, nz, ZeroFill);
}

bool TQor3DChart::SetSizeNx4D(const TArrXZInteger& Layers, bool ZeroFill) {
    SetDataKind(dkNx4D);
    ClearData();
    // Layer sizes without data behind them would address into nothing.
    FLayers.clear();
    FLayerStarts.clear();
    FLowMemoryLayout = false;
    if (Layers.empty())
        return true;
    int64_t points = 0;
    for (const TXZInteger& l : Layers) {
        const std::optional<int64_t> n = QorSizing::Product({l.X, l.Z});
        const std::optional<int64_t> sum = n ? QorSizing::Sum({points, *n}) : std::nullopt;
        if (!sum)
            return false;
        points = *sum;
    }
    // Layers without points keep their place in the list (layer numbers stay), as (0, 0); a
    // list without any point is no list.
    if (points == 0)
        return true;
    const std::optional<int64_t> data = QorSizing::Product({points, 4});
    if (!data || !QorSizing::FitsInMemory(*data, sizeof(float), MemoryLimit()))
        return false;
    try {
        if (ZeroFill)
            FData.assign(size_t(*data), 0.0f);
        else
            FData.resize(size_t(*data));
        FLayers = Layers;
        FLayerStarts.assign(1, 0);
        FLayerStarts.reserve(FLayers.size() + 1);
        for (TXZInteger& l : FLayers) {
            if (int64_t(l.X) * l.Z == 0)
                l = {};
            FLayerStarts.push_back(FLayerStarts.back() + int64_t(l.X) * l.Z);
        }
    } catch (const std::bad_alloc&) {
        ClearData();
        FLayers.clear();
        FLayerStarts.clear();
        return false;
    }
    return true;
}

TXZInteger TQor3DChart::GetLayerSize(int Layer) const {
    if (FDataKind != dkNx4D || Layer < 0 || Layer >= int(FLayers.size()))
        return {};
    return FLayers[size_t(Layer)];
}

void TQor3DChart::SetAllAutoRanges() {
    for (TQorChartAxis3D* axis : {FAxisX.get(), FAxisY.get(), FAxisZ.get()}) {
        axis->SetAutoMin(true);
        axis->SetAutoMax(true);
    }
}

void TQor3DChart::UpdateRanges() {
    UpdateRangesFrom(DataExtremes());
}

TQorDataExtremes TQor3DChart::DataExtremes() const {
    TQorDataExtremes e;
    const int64_t grid = int64_t(FNX) * FNZ;
    const bool low = FLowMemoryLayout && FDataKind != dkNx4D;
    if (FDataKind == dk3D) {
        if (low) {
            if (FXValues.empty() || FZValues.empty() || FData.empty())
                return e;
            Scan(e, 0, FXValues.data(), FXValues.size(), 1);
            Scan(e, 1, FData.data(), size_t(std::clamp<int64_t>(grid, 1, int64_t(FData.size()))),
                 1);
            Scan(e, 2, FZValues.data(), FZValues.size(), 1);
        } else {
            if (FData.size() < 3)
                return e;
            const size_t n = size_t(std::clamp<int64_t>(grid, 1, int64_t(FData.size() / 3)));
            for (size_t c = 0; c < 3; ++c)
                Scan(e, c, FData.data() + c, n, 3);
        }
        return e;
    }
    const int64_t values = FDataKind == dk4D          ? int64_t(FNX) * FNY * FNZ
                           : FDataKind == dk4DSurface ? FacePointCount(FNX, FNY, FNZ)
                                                      : int64_t(FData.size() / 4);
    if (low) {
        if (FXValues.empty() || FYValues.empty() || FZValues.empty() || FData.empty())
            return e;
        Scan(e, 0, FXValues.data(), FXValues.size(), 1);
        Scan(e, 1, FYValues.data(), FYValues.size(), 1);
        Scan(e, 2, FZValues.data(), FZValues.size(), 1);
        Scan(e, 3, FData.data(), size_t(std::clamp<int64_t>(values, 1, int64_t(FData.size()))), 1);
    } else {
        if (FData.size() < 4)
            return e;
        const size_t n = size_t(std::clamp<int64_t>(values, 1, int64_t(FData.size() / 4)));
        for (size_t c = 0; c < 4; ++c)
            Scan(e, c, FData.data() + c, n, 4);
    }
    return e;
}

void TQor3DChart::UpdateRangesFrom(const TQorDataExtremes& E) {
    const TQorUpdateScope scope(*this);
    std::array<TQorChartAxis3D*, 3> axes = {FAxisX.get(), FAxisY.get(), FAxisZ.get()};
    std::array<TRange, 3> r;
    for (size_t c = 0; c < 3; ++c)
        r[c] = {E.Min[c], E.Max[c]};
    if (FDataKind == dk3D) {
        for (size_t c = 0; c < 3; ++c) {
            if (axes[c]->Logarithmic())
                r[c] = RealRange(r[c]);
            MakeNonDegenerate(r[c]);
        }
    } else {
        if (E.Any[3]) {
            TRange value{E.Min[3], E.Max[3]};
            MakeNonDegenerate(value);
            FValueMin = float(value.Min);
            FValueMax = float(value.Max);
        }
        for (size_t c = 0; c < 3; ++c) {
            MakeNonDegenerate(r[c]);
            // Room above the top layer, in axis space where the layers are lifted.
            if (FDataKind != dkNx4D && Dim4DirectionHasAxis(FDim4Direction, int(c)))
                r[c].Max += (r[c].Max - r[c].Min) * FDim4Height;
            if (axes[c]->Logarithmic())
                r[c] = RealRange(r[c]);
        }
    }
    for (size_t c = 0; c < 3; ++c) {
        if (!E.Any[c])
            continue;
        if (axes[c]->AutoMin())
            axes[c]->SetMinimum(r[c].Min);
        if (axes[c]->AutoMax())
            axes[c]->SetMaximum(r[c].Max);
    }
}

void TQor3DChart::UpdateNormals() {
    const int64_t points = int64_t(FNX) * FNZ;
    if (FDataKind != dk3D || FLowMemoryLayout || points <= 0 ||
        int64_t(FData.size()) < 3 * points) {
        TArrGLshort().swap(FNormals);
        return;
    }
    try {
        FNormals.resize(size_t(3 * points));
    } catch (const std::bad_alloc&) {
        TArrGLshort().swap(FNormals);
        return;
    }
    ComputeNormalRows(FData.data(), size_t(FNX), size_t(FNZ), 0, size_t(FNZ), FNormals.data());
}

void TQor3DChart::ApplyLogarithmicChange() {
    std::array<TQorChartAxis3D*, 3> axes = {FAxisX.get(), FAxisY.get(), FAxisZ.get()};
    bool any = false;
    for (TQorChartAxis3D* axis : axes) {
        if (axis->LogChangePending() && axis->Logarithmic() == axis->LogPrevious())
            axis->SetLogState(axis->LogPrevious(), false);
        any = any || axis->LogChangePending();
    }
    if (!any)
        return;
    std::array<bool, 3> pending{}, toLog{};
    for (size_t c = 0; c < 3; ++c) {
        pending[c] = axes[c]->LogChangePending();
        toLog[c] = axes[c]->Logarithmic();
    }
    const bool low = FLowMemoryLayout && FDataKind != dkNx4D;
    const size_t stride = FDataKind == dk3D ? 3 : 4;
    for (size_t c = 0; c < 3; ++c) {
        if (!pending[c])
            continue;
        // Element n of the component: the n-th entry of its vector, or of its points.
        TArrGLfloat& array = !low || (c == 1 && FDataKind == dk3D) ? FData
                             : c == 0                              ? FXValues
                             : c == 1                              ? FYValues
                                                                   : FZValues;
        const size_t step = low ? 1 : stride;
        const size_t first = low ? 0 : c;
        const size_t count = array.size() / step;
        if (toLog[c]) {
            KeepRealCoords(c);
            TArrGLfloat& real = FRealCoords[c];
            if (real.size() != count)
                TArrGLfloat().swap(real);
            for (size_t n = 0; n < count; ++n) {
                float& v = array[first + n * step];
                if (!real.empty())
                    real[n] = v;
                ConvertLog(v, true);
            }
        } else {
            // Back to the values read where they are known, so nothing drifts or stays NaN.
            const TArrGLfloat& real = FRealCoords[c];
            for (size_t n = 0; n < count; ++n) {
                float& v = array[first + n * step];
                if (n < real.size() && IsLogOf(v, real[n]))
                    v = real[n];
                else
                    ConvertLog(v, false);
            }
            TArrGLfloat().swap(FRealCoords[c]);
        }
    }
    for (TQorChartAxis3D* axis : axes)
        axis->SetLogState(axis->Logarithmic(), false);
    UpdateRanges();
    UpdateNormals();
}

const TArrGLfloat& TQor3DChart::OwnedCoords(size_t Component) const {
    // dk3D keeps its heights in FData, the 4D kinds their Y coordinates in FYValues.
    return Component == 0      ? FXValues
           : Component == 2    ? FZValues
           : FDataKind == dk3D ? FData
                               : FYValues;
}

void TQor3DChart::KeepRealCoords(size_t Component) {
    TArrGLfloat& real = FRealCoords[Component];
    TArrGLfloat().swap(real);
    const bool low = FLowMemoryLayout && FDataKind != dkNx4D;
    const size_t count =
        low ? OwnedCoords(Component).size() : FData.size() / (FDataKind == dk3D ? 3 : 4);
    // The copy joins the arrays already held; without room the values are simply not kept.
    int64_t held = int64_t(FData.size() + FXValues.size() + FYValues.size() + FZValues.size() +
                           FNormals.size() / 2 + count);
    for (const TArrGLfloat& r : FRealCoords)
        held += int64_t(r.size());
    if (count == 0 || !QorSizing::FitsInMemory(held, sizeof(float), MemoryLimit()))
        return;
    try {
        real.resize(count);
    } catch (const std::bad_alloc&) {
        TArrGLfloat().swap(real);
    }
}

const float* TQor3DChart::RealCoordinate(int Axis, const float* Stored) const {
    if (Axis < 0 || Axis > 2 || Stored == nullptr)
        return nullptr;
    const TArrGLfloat& real = FRealCoords[size_t(Axis)];
    if (real.empty())
        return nullptr;
    const bool low = FLowMemoryLayout && FDataKind != dkNx4D;
    const TArrGLfloat& array = low ? OwnedCoords(size_t(Axis)) : FData;
    const std::less<const float*> before;
    if (array.empty() || before(Stored, array.data()) ||
        !before(Stored, array.data() + array.size()))
        return nullptr;
    const size_t at = size_t(Stored - array.data());
    const size_t stride = low ? 1 : FDataKind == dk3D ? 3 : 4;
    if (at % stride != (low ? 0 : size_t(Axis)))
        return nullptr;
    const size_t n = at / stride;
    return n < real.size() && IsLogOf(*Stored, real[n]) ? &real[n] : nullptr;
}

void TQor3DChart::MakeSampleSurface() {
    if (!Designing() || (FNX > 0 && FNZ > 0))
        return;
    constexpr int n = 101;
    const bool low = FUseLowMemory;
    FUseLowMemory = false;
    const bool sized = SetSize3D(n, n);
    FUseLowMemory = low;
    if (!sized)
        return;
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < n; ++i) {
            const double x = (5.0 * i - 250) / 101 + 3;
            const double z = (5.0 * k - 250) / 101 + 3;
            float* p = FData.data() + 3 * size_t(i + n * k);
            p[0] = float(x);
            p[1] = float(std::sin(x - 3) + std::cos(z - 3) + 2);
            p[2] = float(z);
        }
    }
    UpdateRanges();
    UpdateNormals();
}
