// Charts filled in code for the scene and picture tests.
#pragma once

#include "Qor3DRecording.h"
#include "chart/Qor3DChart.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// A smooth 3D surface on an n x n grid, x and z over 0 ... 10, heights about 0 ... 2.
inline void MakeWaveSurface(TQor3DChart& Chart, int n, bool LowMemory) {
    Chart.SetUseLowMemory(LowMemory);
    ASSERT_TRUE(Chart.SetSize3D(n, n));
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i) {
            const double x = 10.0 * i / (n - 1);
            const double z = 10.0 * k / (n - 1);
            const double h = 1 + std::sin(x * 0.6) * std::cos(z * 0.4);
            const size_t p = size_t(i + n * k);
            if (LowMemory) {
                Chart.Data()[p] = float(h);
            } else {
                Chart.Data()[3 * p] = float(x);
                Chart.Data()[3 * p + 1] = float(h);
                Chart.Data()[3 * p + 2] = float(z);
            }
        }
    if (LowMemory) {
        for (int i = 0; i < n; ++i) {
            Chart.XValues()[size_t(i)] = float(10.0 * i / (n - 1));
            Chart.ZValues()[size_t(i)] = float(10.0 * i / (n - 1));
        }
    }
    Chart.UpdateRanges();
    Chart.UpdateNormals();
}

// A 4D volume or 4D surface (low-memory layout) on n points per axis over 0 ... n - 1, with the
// value growing along the diagonal.
inline void MakeVolume(TQor3DChart& Chart, TQorDataKind Kind, int n) {
    Chart.SetUseLowMemory(true);
    ASSERT_TRUE(Kind == dk4D ? Chart.SetSize4D(n, n, n) : Chart.SetSize4DSurface(n, n, n));
    for (int i = 0; i < n; ++i) {
        Chart.XValues()[size_t(i)] = float(i);
        Chart.YValues()[size_t(i)] = float(i);
        Chart.ZValues()[size_t(i)] = float(i);
    }
    for (size_t p = 0; p < Chart.Data().size(); ++p)
        Chart.Data()[p] = float(std::sin(double(p) * 0.37) * 5 + double(p % 7));
    Chart.UpdateRanges();
}

// Three layers of 12 x 12 points at heights 1, 2 and 3, slightly waved.
inline void MakeLayerList(TQor3DChart& Chart) {
    constexpr int n = 12;
    ASSERT_TRUE(Chart.SetSizeNx4D({{n, n}, {n, n}, {n, n}}));
    for (int l = 0; l < 3; ++l)
        for (int r = 0; r < n; ++r)
            for (int i = 0; i < n; ++i) {
                const size_t p = size_t(Chart.LayerStart(l) + i + n * r);
                Chart.Data()[4 * p] = float(i);
                Chart.Data()[4 * p + 1] = float(l + 1 + 0.2 * std::sin(i * 0.5));
                Chart.Data()[4 * p + 2] = float(r);
                Chart.Data()[4 * p + 3] = float(i + r + 5 * l);
            }
    Chart.UpdateRanges();
}

// An axis with its ends fixed at Min and Max.
inline void SetFixedRange(TQorChartAxis3D& Axis, double Min, double Max) {
    Axis.SetAutoMin(false);
    Axis.SetAutoMax(false);
    Axis.SetMinimum(Min);
    Axis.SetMaximum(Max);
}

// The view and the large axis fonts the viewer's main window gives its chart.
inline void UseViewerLook(TQor3DChart& Chart) {
    Chart.SetPerspectiveON(true);
    Chart.SetXMin(0.3);
    Chart.SetYMin(0.3);
    Chart.SetZNear(1);
    Chart.SetZFar(100);
    Chart.SetViewMoveX(0);
    Chart.SetViewMoveY(0.1);
    Chart.SetViewMoveZ(-2.5);
    Chart.SetViewRotX(30);
    Chart.SetViewRotY(130);
    Chart.SetViewScale(0.7);
    for (TQorChartAxis3D* axis : {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()}) {
        TFont caption("Arial", 10, {fsBold});
        caption.SetHeight(-64);
        axis->SetCaptionFont(caption);
        TFont labels("Arial", 10);
        labels.SetHeight(-48);
        axis->SetFont(labels);
    }
}

// The wave surface as the viewer shows it, with the Y caption "height [m]", which runs past
// the view's right edge unless the chart is fitted.
inline void MakeCutCaptionChart(TQor3DChart& Chart) {
    MakeWaveSurface(Chart, 21, false);
    UseViewerLook(Chart);
    Chart.AxisY().SetCaption("height [m]");
}

// The chart's major grid with the six planes that are on by default turned off: no plane is
// drawn.
inline void HideGridPlanes(TQor3DChart& Chart) {
    TQorGrid3DProp none;
    none.SetGridXZmax(false);
    none.SetGridYXmax(false);
    none.SetGridYZmax(false);
    none.SetGridZXmax(false);
    none.SetGridXYmin(false);
    none.SetGridZYmin(false);
    Chart.SetgridMajor(none);
}

// One off-screen render of the chart on the recording back-end; returns the recorded calls.
inline std::vector<TGLCall> RecordChartPaint(TQor3DChart& Chart, TGLRecordingPlatform& Rec) {
    Chart.SetBitmapPlatform(Rec);
    Rec.ClearLog();
    Chart.RenderToBitmap(64, 64);
    return Rec.Log();
}

// Index of the first call named Name with the given leading arguments at or after From; -1
// when there is none.
inline long FindCall(const std::vector<TGLCall>& Log, const std::string& Name,
                     const std::vector<double>& Args = {}, long From = 0) {
    for (long i = std::max(From, 0L); i < long(Log.size()); ++i) {
        const TGLCall& c = Log[size_t(i)];
        if (c.Name != Name || c.Args.size() < Args.size())
            continue;
        if (std::equal(Args.begin(), Args.end(), c.Args.begin()))
            return i;
    }
    return -1;
}

inline long CountCalls(const std::vector<TGLCall>& Log, const std::string& Name,
                       const std::vector<double>& Args = {}) {
    long n = 0;
    for (long i = FindCall(Log, Name, Args); i >= 0; i = FindCall(Log, Name, Args, i + 1))
        ++n;
    return n;
}
