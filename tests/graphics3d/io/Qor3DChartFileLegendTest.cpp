#include "io/Qor3DChartFileLegend.h"
#include "QorColSc.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string ReadText(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(ChartFileLegend, LegendBlockFollowsTheChartAndReadsBack) {
    TempDir dir;
    const std::string file = dir.File("c.p3d");
    TQor3DChart chart;
    ASSERT_TRUE(chart.SetSize3D(2, 2));
    TQorColorScale saved;
    saved.SetScaleWidth(350);
    saved.SetCaption("Height");
    saved.SetLogarithmic(true);
    TQorColorScaleFileLegend savedFile(saved);
    ASSERT_EQ(SaveChartFile(chart, &savedFile, file, true, false), 0);
    const std::string text = ReadText(file);
    const size_t chartBlock = text.find("[FileVer]");
    const size_t legendBlock = text.find("[QorColorScale_FileVer]");
    ASSERT_NE(chartBlock, std::string::npos);
    ASSERT_NE(legendBlock, std::string::npos);
    EXPECT_LT(chartBlock, legendBlock);

    TQor3DChart loadedChart;
    TQorColorScale loaded;
    int changes = 0;
    loaded.OnChange = [&](TObject*) {
        ++changes;
    };
    TQorColorScaleFileLegend loadedFile(loaded);
    ASSERT_EQ(LoadChartFile(loadedChart, &loadedFile, file, true), 0);
    EXPECT_EQ(loaded.ScaleWidth(), 350);
    EXPECT_EQ(loaded.Caption(), "Height");
    EXPECT_TRUE(loaded.Logarithmic());
    EXPECT_EQ(changes, 1); // one batch around the whole load
}

TEST(ChartFileLegend, WithoutPropertiesTheLegendIsUntouched) {
    TempDir dir;
    const std::string file = dir.File("c.p3d");
    std::ofstream(file, std::ios::binary) << "2 2 0 1 0 1 5 6 7 8\r\n";
    TQor3DChart chart;
    TQorColorScale legend;
    legend.SetScaleWidth(123);
    TQorColorScaleFileLegend fileLegend(legend);
    ASSERT_EQ(LoadChartFile(chart, &fileLegend, file, true), 0);
    EXPECT_EQ(legend.ScaleWidth(), 123);
    EXPECT_EQ(chart.NX(), 2);
}
