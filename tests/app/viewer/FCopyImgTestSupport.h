// What the copy-image tests share: a sample chart with its legend as the main window binds them,
// fresh settings, and picture measures.
#pragma once

#include "QorColSc.h"
#include "QorStrg.h"
#include "chart/Qor3DChart.h"
#include "chart/UQor3DChartColorScale.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

class CopyImageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove(TQorStorage().RegistryFile());
        TQorColorScaleFileLegend fileLegend(legend);
        ASSERT_EQ(
            LoadChartFile(chart, &fileLegend, std::string(PLOTYRA_EXAMPLES) + "/surface.p3d", true),
            0);
        ChartToColorScale(chart, legend);
        legend.SetTransparent(false);
        legend.SetAlign(alRight);
        QGuiApplication::clipboard()->clear();
    }

    // The dialog's stored settings.
    TQorStorage& Stored() {
        storage.SetIniSection("TFormCopyImage");
        return storage;
    }

    TQor3DChart chart;
    TQorColorScale legend;
    TQorStorage storage;
};

// Pixels of column X that are clearly coloured (not white, black or grey): the legend's bar.
inline int ColouredPixels(const QImage& Image, int X) {
    int n = 0;
    for (int y = 0; y < Image.height(); ++y) {
        const QColor c = Image.pixelColor(X, y);
        const int spread =
            std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
        n += spread > 80 ? 1 : 0;
    }
    return n;
}

// Pixels where a channel differs by more than Tolerance (images of one size).
inline int DifferentPixels(const QImage& A, const QImage& B, int Tolerance) {
    int n = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x) {
            const QColor a = A.pixelColor(x, y);
            const QColor b = B.pixelColor(x, y);
            n += std::abs(a.red() - b.red()) > Tolerance ||
                         std::abs(a.green() - b.green()) > Tolerance ||
                         std::abs(a.blue() - b.blue()) > Tolerance
                     ? 1
                     : 0;
        }
    return n;
}
