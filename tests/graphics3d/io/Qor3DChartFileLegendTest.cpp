#include "io/Qor3DChartFileLegend.h"
#include "QorChangeCount.h"
#include "QorColSc.h"
#include "QorPropText.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

#include <fstream>
#include <gtest/gtest.h>

// The legend's block is its font: the rest of the legend follows the chart. A file that holds
// all of the legend's properties (as older files do) gives the font alone.
TEST(ChartFileLegend, LegendBlockFollowsTheChartAndHoldsItsFont) {
    TempDir dir;
    const std::string file = dir.File("c.p3d");
    TQor3DChart chart;
    ASSERT_TRUE(chart.SetSize3D(2, 2));
    TQorColorScale saved;
    saved.SetScaleWidth(350);
    saved.SetCaption("Height");
    TFont font("Liberation Serif", 17);
    font.SetStyle({fsItalic});
    saved.SetFont(font);
    TQorColorScaleFileLegend savedFile(saved);
    ASSERT_EQ(SaveChartFile(chart, &savedFile, file, true, false), 0);
    const std::string text = ReadFileText(file);
    const size_t chartBlock = text.find("[FileVer]");
    const size_t legendBlock = text.find("[QorColorScale_FileVer]\r\nTQorColorScaleV7.2\r\n"
                                         "[QorColorScale_FontCharset]");
    ASSERT_NE(chartBlock, std::string::npos);
    ASSERT_NE(legendBlock, std::string::npos);
    EXPECT_LT(chartBlock, legendBlock);
    const std::string end = "[QorColorScale_FontStylefsStrikeOut]\r\nFALSE\r\n";
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    EXPECT_EQ(text.find("ScaleWidth"), std::string::npos);

    TQorColorScale full;
    full.SetScaleWidth(350);
    full.SetFont(font);
    TQorPropTextWriter fullBlock;
    full.WriteToText(fullBlock, "", csmFull);
    const std::string oldFile = dir.File("old.p3d");
    std::ofstream(oldFile, std::ios::binary) << text.substr(0, legendBlock) + fullBlock.Text();
    for (const std::string& name : {file, oldFile}) {
        SCOPED_TRACE(name);
        TQor3DChart loadedChart;
        TQorColorScale loaded;
        int changes = 0;
        loaded.OnChange = CountInto(changes);
        TQorColorScaleFileLegend loadedFile(loaded);
        ASSERT_EQ(LoadChartFile(loadedChart, &loadedFile, name, true), 0);
        EXPECT_TRUE(loaded.Font().SameAs(font));
        EXPECT_EQ(loaded.ScaleWidth(), 200);
        EXPECT_EQ(loaded.Caption(), "");
        EXPECT_EQ(changes, 1); // one batch around the whole load
    }
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
