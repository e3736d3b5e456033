#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartSizing.h"

#include <new>
#include <stdexcept>

namespace {

// Raised inside the resampling when the new grid cannot be held.
struct TSizingError : std::runtime_error {
    TSizingError() : std::runtime_error("grid too large") {}
};

struct TGridView {
    const float* Src;
    size_t Stride;
    size_t NX;
    size_t NZ;
    float V(size_t a, size_t b) const { return Src[(a + NX * b) * Stride]; }
};

// The weights of the four-point kernel: the two near points and the two far ones.
struct TKernelWeights {
    double Near;
    double Far;
};

// New heights of a grid doubled along X (and along Z when AlongZ), every DstStride-th float
// from dst: old points are copied, the two border rings are interpolated linearly, the interior
// with the four-point kernel.
void DensifyHeights(const TGridView& g, bool AlongZ, TKernelWeights W, float* dst,
                    size_t DstStride) {
    const double N = W.Near;
    const double F = W.Far;
    const size_t nz = g.NZ;
    const size_t nx2 = 2 * g.NX - 1;
    const size_t nz2 = AlongZ ? 2 * nz - 1 : nz;
    const double w2 = 2 * (N + F);
    const double w4 = 4 * (N + F);
    for (size_t k = 0; k < nz2; ++k) {
        const bool oddK = AlongZ && (k & 1) != 0;
        const size_t b = AlongZ ? k >> 1 : k;
        const bool rowBorder = AlongZ && (k <= 1 || k + 2 >= nz2);
        float* out = dst + k * nx2 * DstStride;
        for (size_t i = 0; i < nx2; ++i, out += DstStride) {
            const bool oddI = (i & 1) != 0;
            const size_t a = i >> 1;
            const bool border = rowBorder || i <= 1 || i + 2 >= nx2;
            double h;
            if (!oddI && !oddK) {
                h = g.V(a, b);
            } else if (oddI && !oddK) {
                const double near = double(g.V(a, b)) + g.V(a + 1, b);
                h = border ? near / 2
                           : (N * near + F * (double(g.V(a - 1, b)) + g.V(a + 2, b))) / w2;
            } else if (!oddI) {
                const double near = double(g.V(a, b)) + g.V(a, b + 1);
                h = border ? near / 2
                           : (N * near + F * (double(g.V(a, b - 1)) + g.V(a, b + 2))) / w2;
            } else {
                const double near =
                    double(g.V(a, b)) + g.V(a + 1, b) + g.V(a, b + 1) + g.V(a + 1, b + 1);
                h = border ? near / 4
                           : (N * near + F * (double(g.V(a - 1, b - 1)) + g.V(a + 2, b - 1) +
                                              g.V(a - 1, b + 2) + g.V(a + 2, b + 2))) /
                                 w4;
            }
            *out = float(h);
        }
    }
}

// c'[2m] = c[m], c'[2m + 1] = (c[m] + c[m + 1]) / 2.
TArrGLfloat DoubleVector(const TArrGLfloat& c) {
    TArrGLfloat out(c.empty() ? 0 : 2 * c.size() - 1);
    for (size_t m = 0; m < c.size(); ++m) {
        out[2 * m] = c[m];
        if (m + 1 < c.size())
            out[2 * m + 1] = float((double(c[m]) + c[m + 1]) / 2);
    }
    return out;
}

void KeepEvenEntries(TArrGLfloat& c) {
    const size_t n = (c.size() + 1) / 2;
    for (size_t m = 0; m < n; ++m)
        c[m] = c[2 * m];
    c.resize(n);
}

// The new count of a doubled axis, refused beyond the 32-bit counts.
int DoubledCount(int n) {
    const int64_t d = 2 * int64_t(n) - 1;
    if (!QorSizing::IsGridCount(d))
        throw TSizingError();
    return int(d);
}

} // namespace

bool TQor3DChart::DensityWeightsUsable(int NearWeight, int FarWeight) {
    // The kernel divides by 2 (N + F): a zero sum turns every new point into 0/0.
    return int64_t(NearWeight) + FarWeight != 0;
}

bool TQor3DChart::IncreaseDensity(int NearWeight, int FarWeight) {
    return DensityWeightsUsable(NearWeight, FarWeight) &&
           Resample(true, true, NearWeight, FarWeight);
}

bool TQor3DChart::IncreaseDensityX(int NearWeight, int FarWeight) {
    return DensityWeightsUsable(NearWeight, FarWeight) &&
           Resample(true, false, NearWeight, FarWeight);
}

bool TQor3DChart::DecreaseDensity() {
    return Resample(false, true, 0, 0);
}

bool TQor3DChart::DecreaseDensityX() {
    return Resample(false, false, 0, 0);
}

bool TQor3DChart::Resample(bool Increase, bool AlongZ, int NearWeight, int FarWeight) {
    if (FDataKind != dk3D)
        return true;
    const TQorUpdateScope scope(*this);
    // New points were never read: no value of them is known beyond their logarithm.
    for (TArrGLfloat& real : FRealCoords)
        TArrGLfloat().swap(real);
    bool ok = true;
    try {
        const size_t nx = size_t(std::max(FNX, 0));
        const size_t nz = size_t(std::max(FNZ, 0));
        const size_t stride = FLowMemoryLayout ? 1 : 3;
        if (FData.size() < nx * nz * stride ||
            (FLowMemoryLayout && (FXValues.size() != nx || FZValues.size() != nz)))
            throw TSizingError();
        if (nx > 0 && nz > 0) {
            if (Increase)
                IncreaseGrid(AlongZ, NearWeight, FarWeight);
            else
                DecreaseGrid(AlongZ);
        }
    } catch (const TSizingError&) {
        ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        ClearData();
    }
    UpdateRanges();
    if (!FLowMemoryLayout)
        UpdateNormals();
    return ok;
}

void TQor3DChart::IncreaseGrid(bool AlongZ, int NearWeight, int FarWeight) {
    const size_t nx = size_t(FNX);
    const size_t nz = size_t(FNZ);
    const int nx2 = DoubledCount(FNX);
    const int nz2 = AlongZ ? DoubledCount(FNZ) : FNZ;
    const size_t stride = FLowMemoryLayout ? 1 : 3;
    const auto points = QorSizing::Product({nx2, nz2});
    const auto newLength = points ? QorSizing::Product({*points, int64_t(stride)}) : std::nullopt;
    // The old data stay alive beside the new ones while resampling.
    const auto total = newLength ? QorSizing::Sum({*newLength, int64_t(nx * nz * stride),
                                                   2 * int64_t(nx2) + 2 * int64_t(nz2)})
                                 : std::nullopt;
    if (!total || !QorSizing::FitsInMemory(*total, sizeof(float), MemoryLimit()))
        throw TSizingError();

    const double N = NearWeight;
    const double F = FarWeight;
    const TArrGLfloat old = std::move(FData);
    FData.clear();
    const size_t length = size_t(*newLength);
    if (FLowMemoryLayout) {
        FXValues = DoubleVector(FXValues);
        if (AlongZ)
            FZValues = DoubleVector(FZValues);
        FData.assign(length, 0.0f);
        DensifyHeights({.Src = old.data(), .Stride = 1, .NX = nx, .NZ = nz}, AlongZ,
                       {.Near = N, .Far = F}, FData.data(), 1);
    } else {
        TArrGLfloat xs(nx), zs(nz);
        for (size_t a = 0; a < nx; ++a)
            xs[a] = old[3 * a];
        for (size_t b = 0; b < nz; ++b)
            zs[b] = old[3 * nx * b + 2];
        const TArrGLfloat x2 = DoubleVector(xs);
        const TArrGLfloat z2 = AlongZ ? DoubleVector(zs) : zs;
        FData.assign(length, 0.0f);
        DensifyHeights({.Src = old.data() + 1, .Stride = 3, .NX = nx, .NZ = nz}, AlongZ,
                       {.Near = N, .Far = F}, FData.data() + 1, 3);
        for (size_t k = 0; k < size_t(nz2); ++k) {
            float* p = FData.data() + 3 * size_t(nx2) * k;
            for (size_t i = 0; i < size_t(nx2); ++i, p += 3) {
                p[0] = x2[i];
                p[2] = z2[k];
            }
        }
    }
    FNX = nx2;
    FNZ = nz2;
}

// Keeps the points whose column (and row, AlongZ) is even, compacting forward in place.
void TQor3DChart::DecreaseGrid(bool AlongZ) {
    const size_t nx = size_t(FNX);
    const size_t nz = size_t(FNZ);
    const size_t nx2 = (nx + 1) / 2;
    const size_t nz2 = AlongZ ? (nz + 1) / 2 : nz;
    const size_t stride = FLowMemoryLayout ? 1 : 3;
    for (size_t k = 0; k < nz2; ++k) {
        const size_t b = AlongZ ? 2 * k : k;
        for (size_t i = 0; i < nx2; ++i)
            for (size_t c = 0; c < stride; ++c)
                FData[(i + nx2 * k) * stride + c] = FData[(2 * i + nx * b) * stride + c];
    }
    FData.resize(nx2 * nz2 * stride);
    if (FLowMemoryLayout) {
        KeepEvenEntries(FXValues);
        if (AlongZ)
            KeepEvenEntries(FZValues);
    }
    FNX = int(nx2);
    FNZ = int(nz2);
}
