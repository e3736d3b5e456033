// Chart fixtures shared by the chart tests.
#pragma once

#include "chart/Qor3DChart.h"

#include <functional>
#include <gtest/gtest.h>

// A chart that can be given a small memory budget.
class TLimitedChart : public TQor3DChart {
public:
    uint64_t Limit = 0;

protected:
    uint64_t MemoryLimit() const override {
        return Limit != 0 ? Limit : TQor3DChart::MemoryLimit();
    }
};

// Fills a dk3D grid with x = X(i), z = Z(k) and height H(x, z) in the chart's current layout.
inline void Fill3D(TQor3DChart& chart, int nx, int nz, const std::function<double(int)>& X,
                   const std::function<double(int)>& Z,
                   const std::function<double(double, double)>& H) {
    ASSERT_TRUE(chart.SetSize3D(nx, nz));
    for (int k = 0; k < nz; ++k)
        for (int i = 0; i < nx; ++i) {
            const size_t p = size_t(i + nx * k);
            const double x = X(i), z = Z(k), h = H(x, z);
            if (chart.LowMemoryLayout()) {
                chart.Data()[p] = float(h);
            } else {
                chart.Data()[3 * p] = float(x);
                chart.Data()[3 * p + 1] = float(h);
                chart.Data()[3 * p + 2] = float(z);
            }
        }
    if (chart.LowMemoryLayout()) {
        for (int i = 0; i < nx; ++i)
            chart.XValues()[size_t(i)] = float(X(i));
        for (int k = 0; k < nz; ++k)
            chart.ZValues()[size_t(k)] = float(Z(k));
    }
}

// Fills a dk4D grid with x = X(i), y = Y(j), z = Z(k) and value V(i, j, k) in the chart's
// current layout.
inline void Fill4D(TQor3DChart& chart, int nx, int ny, int nz, const std::function<double(int)>& X,
                   const std::function<double(int)>& Y, const std::function<double(int)>& Z,
                   const std::function<float(int, int, int)>& V) {
    ASSERT_TRUE(chart.SetSize4D(nx, ny, nz));
    for (int k = 0; k < nz; ++k)
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                const size_t p = size_t(i + nx * (j + ny * k));
                if (chart.LowMemoryLayout()) {
                    chart.Data()[p] = V(i, j, k);
                } else {
                    float* q = chart.Data().data() + 4 * p;
                    q[0] = float(X(i)), q[1] = float(Y(j)), q[2] = float(Z(k)), q[3] = V(i, j, k);
                }
            }
    if (chart.LowMemoryLayout()) {
        for (int i = 0; i < nx; ++i)
            chart.XValues()[size_t(i)] = float(X(i));
        for (int j = 0; j < ny; ++j)
            chart.YValues()[size_t(j)] = float(Y(j));
        for (int k = 0; k < nz; ++k)
            chart.ZValues()[size_t(k)] = float(Z(k));
    }
}

inline double Identity(int i) {
    return i;
}

// The height of point (i, k) of a dk3D grid in either layout.
inline float Height(const TQor3DChart& chart, int i, int k) {
    const size_t p = size_t(i + chart.NX() * k);
    return chart.LowMemoryLayout() ? chart.Data()[p] : chart.Data()[3 * p + 1];
}
