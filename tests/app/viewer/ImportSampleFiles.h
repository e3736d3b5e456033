// Foreign data files for the viewer's tests, written into a test's temporary folder: NumPy
// arrays through the program's own writer, archives of them through libzip.
#pragma once

#include "QorImportWrite.h"
#include "chart/Qor3DChart.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include <zip.h>

// A float32 .npy of an NX × NZ surface (a[k, i] = Height(i, k)).
inline void WriteSurfaceNpy(const std::string& File, int NX, int NZ,
                            const std::function<float(int I, int K)>& Height) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize3D(NX, NZ));
    for (int i = 0; i < NX; ++i)
        chart.XValues()[size_t(i)] = float(i);
    for (int k = 0; k < NZ; ++k)
        chart.ZValues()[size_t(k)] = float(k);
    for (int k = 0; k < NZ; ++k)
        for (int i = 0; i < NX; ++i)
            chart.Data()[size_t(i + NX * k)] = Height(i, k);
    std::string error;
    ASSERT_TRUE(WriteChartNpy(chart, File, error)) << error;
}

// An .npz as numpy.savez writes it: each (name, .npy file) as the member "name.npy".
inline void WriteNpz(const std::string& File,
                     const std::vector<std::pair<std::string, std::string>>& Members) {
    int code = 0;
    zip_t* zip = zip_open(File.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, npy] : Members) {
        zip_source_t* source = zip_source_file(zip, npy.c_str(), 0, -1);
        ASSERT_NE(source, nullptr);
        ASSERT_GE(zip_file_add(zip, (name + ".npy").c_str(), source, ZIP_FL_OVERWRITE), 0);
    }
    ASSERT_EQ(zip_close(zip), 0);
}
