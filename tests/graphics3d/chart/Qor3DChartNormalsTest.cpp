#include "chart/Qor3DChartNormals.h"

#include "chart/Qor3DGridNormal.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

// The rule, point by point and without shortcuts: unit vectors to the four neighbours (a
// missing or non-finite one gives zero), S = (a - c) x (b - d) in double precision, truncated
// to 16 bits at length 32000, (1, 1, 1) without a direction.
void Reference(const std::vector<float>& d, int nx, int nz, int i, int k, int16_t* out) {
    const float* p = &d[size_t(3 * (i + nx * k))];
    const auto unit = [&](int ni, int nk, double* u) {
        u[0] = u[1] = u[2] = 0;
        if (ni < 0 || nk < 0 || ni >= nx || nk >= nz)
            return;
        const float* q = &d[size_t(3 * (ni + nx * nk))];
        const float dx = q[0] - p[0], dy = q[1] - p[1], dz = q[2] - p[2];
        if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dz))
            return;
        float len = float(std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz));
        if (len < 1e-20f)
            len = 1;
        u[0] = dx / len, u[1] = dy / len, u[2] = dz / len;
    };
    double a[3], b[3], c[3], e[3];
    unit(i, k - 1, a), unit(i - 1, k, b), unit(i, k + 1, c), unit(i + 1, k, e);
    const double ux = a[0] - c[0], uy = a[1] - c[1], uz = a[2] - c[2];
    const double vx = b[0] - e[0], vy = b[1] - e[1], vz = b[2] - e[2];
    const double sx = uy * vz - uz * vy, sy = uz * vx - ux * vz, sz = ux * vy - uy * vx;
    const double len = std::sqrt(sx * sx + sy * sy + sz * sz);
    if (!(len >= 1e-20) || !std::isfinite(len)) {
        out[0] = out[1] = out[2] = 1;
        return;
    }
    const double f = 32000.0 / len;
    out[0] = int16_t(std::trunc(sx * f)), out[1] = int16_t(std::trunc(sy * f));
    out[2] = int16_t(std::trunc(sz * f));
}

} // namespace

// The vector form gives the rule's bits for every width (tails of 1 ... 4 columns), with
// non-finite and extreme heights, whether the rows come in one call, row by row as a reader
// computes them, or spread over the cores; the painters' point rule gives the same bits.
TEST(Qor3DChartNormals, RowsMatchThePointRuleBitForBit) {
    uint32_t state = 12345;
    const auto next = [&] {
        return (state = state * 1664525u + 1013904223u) >> 8;
    };
    for (const int nx : {1, 2, 3, 4, 5, 7, 9, 33}) {
        const int nz = 6;
        std::vector<float> d(size_t(3 * nx * nz));
        for (int k = 0; k < nz; ++k)
            for (int i = 0; i < nx; ++i) {
                float* p = &d[size_t(3 * (i + nx * k))];
                p[0] = float(i) + float(next() % 100) / 300.0f;
                p[2] = float(k) * 0.5f;
                const uint32_t r = next() % 40;
                p[1] = r == 0   ? std::numeric_limits<float>::quiet_NaN()
                       : r == 1 ? std::numeric_limits<float>::infinity()
                       : r == 2 ? 3e38f
                       : r == 3 ? p[1 - 1]
                                : float(next() % 1000) / 100.0f - 5.0f;
            }
        std::vector<int16_t> whole(d.size()), rows(d.size()), spread(d.size()), expected(d.size()),
            point(d.size());
        TQorNormalRows(d.data(), size_t(nx), size_t(nz), whole.data()).Compute(0, size_t(nz));
        TQorNormalRows stream(d.data(), size_t(nx), size_t(nz), rows.data());
        for (int k = 0; k < nz; ++k)
            stream.Compute(size_t(k), size_t(k + 1));
        ComputeNormalRows(d.data(), size_t(nx), size_t(nz), 0, size_t(nz), spread.data());
        for (int k = 0; k < nz; ++k)
            for (int i = 0; i < nx; ++i) {
                Reference(d, nx, nz, i, k, &expected[size_t(3 * (i + nx * k))]);
                const TQorNormal16 n = NormalToInt16(GridPointNormal(
                    [&](int c, int r) {
                        const float* p = &d[size_t(3 * (c + nx * r))];
                        return TQorVec3<float>{p[0], p[1], p[2]};
                    },
                    i, k, nx, nz));
                std::copy(n.begin(), n.end(), &point[size_t(3 * (i + nx * k))]);
            }
        EXPECT_EQ(whole, expected) << nx;
        EXPECT_EQ(rows, expected) << nx;
        EXPECT_EQ(spread, expected) << nx;
        EXPECT_EQ(point, expected) << nx;
    }
}
