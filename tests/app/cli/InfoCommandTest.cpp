// plotyra-cli info in-process: the object a chart in memory gives (PlotyraCliTest runs the tool).
#include "InfoCommand.h"

#include "chart/Qor3DChart.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(InfoCommand, DescribesAChartInMemoryWithTheResultGiven) {
    TQor3DChart chart;
    ASSERT_TRUE(chart.SetSizeNx4D({{2, 2}, {3, 2}}));
    const std::string json = InfoJson(chart, -1);
    EXPECT_EQ(json.rfind("{\"result\":-1,\"kind\":\"dkNx4D\",", 0), 0u) << json;
    EXPECT_NE(json.find(",\"layers\":[[2,2],[3,2]],"), std::string::npos) << json;
    EXPECT_EQ(json.back(), '}');
    EXPECT_EQ(json.find('\n'), std::string::npos);
    const std::string end = ",\"warnings\":[]}";
    EXPECT_EQ(json.substr(json.size() - end.size()), end) << "no error without one";
    const std::string failed = InfoJson(chart, -1, "a\"b\\c.csv, line 1: \x01", {"w1", "w\t2"});
    EXPECT_EQ(
        failed.substr(failed.find(",\"error\"")),
        ",\"error\":\"a\\\"b\\\\c.csv, line 1: \\u0001\",\"warnings\":[\"w1\",\"w\\u00092\"]}");
}

} // namespace
