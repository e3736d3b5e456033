#include "chart/Qor3DChartNormals.h"

#include "QorParallel.h"

#include <algorithm>
#include <cmath>

namespace {

using TVec = TQorNormalRows::TVec;

// Rows per task when a grid's normals are spread over the cores.
constexpr size_t PointsPerTask = size_t(1) << 18;

TVec Negated(const TVec& v) {
    return {-v.X, -v.Y, -v.Z};
}

// Unit vector from P to Q; a length below 1e-20 counts as 1, so P itself gives zero. A
// neighbour that is not finite (or too far to subtract) counts as missing: zero as well.
TVec UnitTo(const float* P, const float* Q) {
    const float dx = Q[0] - P[0];
    const float dy = Q[1] - P[1];
    const float dz = Q[2] - P[2];
    if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dz))
        return {};
    float len = float(std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz));
    if (len < 1e-20f)
        len = 1;
    return {dx / len, dy / len, dz / len};
}

// a x b + b x c + c x d + d x a, which equals (a - c) x (b - d).
void NormalFrom(const TVec& a, const TVec& b, const TVec& c, const TVec& d, int16_t* out) {
    const double ux = double(a.X) - c.X, uy = double(a.Y) - c.Y, uz = double(a.Z) - c.Z;
    const double vx = double(b.X) - d.X, vy = double(b.Y) - d.Y, vz = double(b.Z) - d.Z;
    const double sx = uy * vz - uz * vy;
    const double sy = uz * vx - ux * vz;
    const double sz = ux * vy - uy * vx;
    const double len = std::sqrt(sx * sx + sy * sy + sz * sz);
    if (!(len >= 1e-20) || !std::isfinite(len)) {
        out[0] = out[1] = out[2] = 1;
        return;
    }
    const double f = 32000.0 / len;
    out[0] = int16_t(std::trunc(sx * f));
    out[1] = int16_t(std::trunc(sy * f));
    out[2] = int16_t(std::trunc(sz * f));
}

} // namespace

TQorNormalRows::TQorNormalRows(const float* Data, size_t nx, size_t nz, int16_t* Out)
    : FData(Data), FNX(nx), FNZ(nz), FOut(Out), FUp(nx), FDown(nx), FRight(nx) {}

void TQorNormalRows::Compute(size_t First, size_t Last) {
    Last = std::min(Last, FNZ);
    if (First >= Last)
        return;
    // Each edge's unit vector serves both of its points: towards the previous neighbour it is
    // the negated vector of the edge. Starting afresh, the edges up from row First are the
    // edges down from the row before it.
    if (First != FNext && First > 0)
        for (size_t i = 0; i < FNX; ++i)
            FDown[i] = UnitTo(Point(i, First - 1), Point(i, First));
    for (size_t k = First; k < Last; ++k) {
        std::swap(FUp, FDown);
        for (size_t i = 0; i < FNX; ++i) {
            const float* P = Point(i, k);
            FRight[i] = i + 1 < FNX ? UnitTo(P, P + 3) : TVec{};
            FDown[i] = k + 1 < FNZ ? UnitTo(P, P + 3 * FNX) : TVec{};
        }
        int16_t* out = FOut + 3 * FNX * k;
        for (size_t i = 0; i < FNX; ++i, out += 3) {
            const TVec a = k > 0 ? Negated(FUp[i]) : TVec{};
            const TVec b = i > 0 ? Negated(FRight[i - 1]) : TVec{};
            NormalFrom(a, b, FDown[i], FRight[i], out);
        }
    }
    FNext = Last;
}

void ComputeNormalRows(const float* Data, size_t nx, size_t nz, size_t First, size_t Last,
                       int16_t* Out) {
    Last = std::min(Last, nz);
    if (First >= Last || nx == 0)
        return;
    const size_t rowsPerTask = std::max<size_t>(1, PointsPerTask / nx);
    const size_t tasks = (Last - First + rowsPerTask - 1) / rowsPerTask;
    QorParallel::For(tasks, [&](size_t t) {
        TQorNormalRows rows(Data, nx, nz, Out);
        const size_t from = First + t * rowsPerTask;
        rows.Compute(from, std::min(Last, from + rowsPerTask));
    });
}
