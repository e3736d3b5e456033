// Chart files written as another program would write them, for the tests of the watched file
// and folder.
#pragma once

#include "chart/Qor3DChart.h"

#include <functional>
#include <string>

// A "<3D>" chart text of N x N points, X and Z running 0 ... N-1, the height at (i, k) Height.
inline std::string SurfaceText(int N, const std::function<double(int, int)>& Height) {
    std::string text = "<3D>\n" + std::to_string(N) + "\t" + std::to_string(N) + "\n";
    for (int i = 0; i < N; ++i)
        text += std::to_string(i) + (i + 1 < N ? "\t" : "\n");
    for (int k = 0; k < N; ++k)
        text += std::to_string(k) + "\n";
    for (int k = 0; k < N; ++k)
        for (int i = 0; i < N; ++i)
            text += std::to_string(Height(i, k)) + (i + 1 < N ? "\t" : "\n");
    return text;
}

// The height of a surface at grid point (I, K), in either storage layout.
inline float HeightAt(const TQor3DChart& Chart, int I, int K) {
    const size_t point = size_t(I) + size_t(Chart.NX()) * size_t(K);
    if (Chart.UseLowMemory())
        return point < Chart.Data().size() ? Chart.Data()[point] : -1.0f;
    return 3 * point + 1 < Chart.Data().size() ? Chart.Data()[3 * point + 1] : -1.0f;
}
