#include "chart/Qor3DChartNormals.h"

#include "chart/Qor3DGridNormal.h"

#include "QorParallel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using TEdges = TQorNormalRows::TEdges;

// Rows per task when a grid's normals are spread over the cores.
constexpr size_t PointsPerTask = size_t(1) << 18;

// The grid's rule for one edge; the vector form below does the same operations lane by lane, so
// both give the same bits.
void UnitTo(const float* P, const float* Q, TEdges& Out, size_t i) {
    const TQorVec3<float> u =
        UnitTowards(TQorVec3<float>{P[0], P[1], P[2]}, TQorVec3<float>{Q[0], Q[1], Q[2]});
    Out.X[i] = u.X;
    Out.Y[i] = u.Y;
    Out.Z[i] = u.Z;
}

// The edges from the points P[0], P[3], ... to Q[0], Q[3], ..., Count of them.
void Edges(const float* P, const float* Q, size_t Count, TEdges& Out) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    const __m128 tiny = _mm_set1_ps(1e-20f);
    const __m128 one = _mm_set1_ps(1.0f);
    for (; i + 4 <= Count; i += 4) {
        const float* p = P + 3 * i;
        const float* q = Q + 3 * i;
        const __m128 dx =
            _mm_sub_ps(_mm_set_ps(q[9], q[6], q[3], q[0]), _mm_set_ps(p[9], p[6], p[3], p[0]));
        const __m128 dy =
            _mm_sub_ps(_mm_set_ps(q[10], q[7], q[4], q[1]), _mm_set_ps(p[10], p[7], p[4], p[1]));
        const __m128 dz =
            _mm_sub_ps(_mm_set_ps(q[11], q[8], q[5], q[2]), _mm_set_ps(p[11], p[8], p[5], p[2]));
        const __m128 finite = _mm_and_ps(_mm_and_ps(_mm_cmple_ps(_mm_and_ps(dx, absMask), largest),
                                                    _mm_cmple_ps(_mm_and_ps(dy, absMask), largest)),
                                         _mm_cmple_ps(_mm_and_ps(dz, absMask), largest));
        const auto length = [](__m128d x, __m128d y, __m128d z) {
            return _mm_cvtpd_ps(_mm_sqrt_pd(
                _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, x), _mm_mul_pd(y, y)), _mm_mul_pd(z, z))));
        };
        const auto high = [](__m128 v) {
            return _mm_cvtps_pd(_mm_movehl_ps(v, v));
        };
        __m128 len = _mm_movelh_ps(length(_mm_cvtps_pd(dx), _mm_cvtps_pd(dy), _mm_cvtps_pd(dz)),
                                   length(high(dx), high(dy), high(dz)));
        const __m128 small = _mm_cmplt_ps(len, tiny);
        len = _mm_or_ps(_mm_and_ps(small, one), _mm_andnot_ps(small, len));
        _mm_storeu_ps(Out.X.data() + i, _mm_and_ps(_mm_div_ps(dx, len), finite));
        _mm_storeu_ps(Out.Y.data() + i, _mm_and_ps(_mm_div_ps(dy, len), finite));
        _mm_storeu_ps(Out.Z.data() + i, _mm_and_ps(_mm_div_ps(dz, len), finite));
    }
#endif
    for (; i < Count; ++i)
        UnitTo(P + 3 * i, Q + 3 * i, Out, i);
}

void ZeroEdge(TEdges& E, size_t i) {
    E.X[i] = E.Y[i] = E.Z[i] = 0;
}

TQorVec3<float> Edge(const TEdges& E, size_t i) {
    return {E.X[i], E.Y[i], E.Z[i]};
}

} // namespace

TQorNormalRows::TQorNormalRows(const float* Data, size_t nx, size_t nz, int16_t* Out)
    : FData(Data), FNX(nx), FNZ(nz), FOut(Out) {
    for (TEdges* e : {&FUp, &FDown, &FRight}) {
        e->X.resize(nx);
        e->Y.resize(nx);
        e->Z.resize(nx);
    }
}

void TQorNormalRows::Compute(size_t First, size_t Last) {
    Last = std::min(Last, FNZ);
    if (First >= Last || FNX == 0)
        return;
    // Each edge's unit vector serves both of its points: towards the previous neighbour it is
    // the negated vector of the edge. Starting afresh, the edges up from row First are the
    // edges down from the row before it.
    if (First != FNext && First > 0)
        Edges(Point(0, First - 1), Point(0, First), FNX, FDown);
    for (size_t k = First; k < Last; ++k) {
        std::swap(FUp, FDown);
        Edges(Point(0, k), Point(1, k), FNX - 1, FRight);
        ZeroEdge(FRight, FNX - 1);
        if (k + 1 < FNZ) {
            Edges(Point(0, k), Point(0, k + 1), FNX, FDown);
        } else {
            for (size_t i = 0; i < FNX; ++i)
                ZeroEdge(FDown, i);
        }
        Normals(k);
    }
    FNext = Last;
}

// The grid's rule with a = -up (none in the first row), b = -right of the previous column
// (none in the first column), c = down, d = right; the negation of a float is exact.
void TQorNormalRows::Normals(size_t k) {
    int16_t* out = FOut + 3 * FNX * k;
    const bool hasUp = k > 0;
    const auto normal = [&](size_t i) {
        const TQorVec3<float> a = hasUp ? Negated(Edge(FUp, i)) : TQorVec3<float>{};
        const TQorVec3<float> b = i > 0 ? Negated(Edge(FRight, i - 1)) : TQorVec3<float>{};
        const TQorNormal16 n = NormalToInt16(GridNormal(a, b, Edge(FDown, i), Edge(FRight, i)));
        std::copy(n.begin(), n.end(), out + 3 * i);
    };
    normal(0);
    size_t i = 1;
#if defined(__SSE2__)
    const __m128d tiny = _mm_set1_pd(1e-20);
    const __m128d largest = _mm_set1_pd(std::numeric_limits<double>::max());
    const __m128d scale = _mm_set1_pd(32000.0);
    const __m128d zero = _mm_setzero_pd();
    const auto pair = [](const std::vector<float>& v, size_t i) {
        return _mm_set_pd(double(v[i + 1]), double(v[i]));
    };
    for (; i + 2 <= FNX; i += 2) {
        const __m128d ax = hasUp ? _mm_sub_pd(zero, pair(FUp.X, i)) : zero;
        const __m128d ay = hasUp ? _mm_sub_pd(zero, pair(FUp.Y, i)) : zero;
        const __m128d az = hasUp ? _mm_sub_pd(zero, pair(FUp.Z, i)) : zero;
        const __m128d ux = _mm_sub_pd(ax, pair(FDown.X, i));
        const __m128d uy = _mm_sub_pd(ay, pair(FDown.Y, i));
        const __m128d uz = _mm_sub_pd(az, pair(FDown.Z, i));
        const __m128d vx = _mm_sub_pd(_mm_sub_pd(zero, pair(FRight.X, i - 1)), pair(FRight.X, i));
        const __m128d vy = _mm_sub_pd(_mm_sub_pd(zero, pair(FRight.Y, i - 1)), pair(FRight.Y, i));
        const __m128d vz = _mm_sub_pd(_mm_sub_pd(zero, pair(FRight.Z, i - 1)), pair(FRight.Z, i));
        const __m128d sx = _mm_sub_pd(_mm_mul_pd(uy, vz), _mm_mul_pd(uz, vy));
        const __m128d sy = _mm_sub_pd(_mm_mul_pd(uz, vx), _mm_mul_pd(ux, vz));
        const __m128d sz = _mm_sub_pd(_mm_mul_pd(ux, vy), _mm_mul_pd(uy, vx));
        const __m128d len = _mm_sqrt_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(sx, sx), _mm_mul_pd(sy, sy)), _mm_mul_pd(sz, sz)));
        const int good =
            _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(len, tiny), _mm_cmple_pd(len, largest)));
        const __m128d f = _mm_div_pd(scale, len);
        alignas(16) int32_t t[3][4];
        _mm_store_si128(reinterpret_cast<__m128i*>(t[0]), _mm_cvttpd_epi32(_mm_mul_pd(sx, f)));
        _mm_store_si128(reinterpret_cast<__m128i*>(t[1]), _mm_cvttpd_epi32(_mm_mul_pd(sy, f)));
        _mm_store_si128(reinterpret_cast<__m128i*>(t[2]), _mm_cvttpd_epi32(_mm_mul_pd(sz, f)));
        for (int lane = 0; lane < 2; ++lane) {
            int16_t* o = out + 3 * (i + size_t(lane));
            const bool ok = (good >> lane) & 1;
            for (int c = 0; c < 3; ++c)
                o[c] = ok ? int16_t(t[c][lane]) : int16_t(1);
        }
    }
#endif
    for (; i < FNX; ++i)
        normal(i);
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
