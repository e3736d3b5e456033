// The output names of a batch from a printf-style pattern.
#include "OutputPattern.h"

#include <gtest/gtest.h>

TEST(OutputPattern, FillsTheOneFieldAndKeepsPlainNames) {
    TOutputPattern p;
    std::string error;
    ASSERT_TRUE(p.Parse("frames/%04d.png", error));
    EXPECT_TRUE(p.HasField());
    EXPECT_EQ(p.Name(7), "frames/0007.png");
    EXPECT_EQ(p.Name(123456), "frames/123456.png");
    ASSERT_TRUE(p.Parse("%%d %3d%%", error));
    EXPECT_EQ(p.Name(5), "%d   5%");
    ASSERT_TRUE(p.Parse("a%d", error));
    EXPECT_EQ(p.Name(0), "a0");
    ASSERT_TRUE(p.Parse("50%%.png", error));
    EXPECT_FALSE(p.HasField());
    EXPECT_EQ(p.Name(3), "50%%.png") << "a plain name is used as given";
    for (const char* bad : {"%", "a%", "%s.png", "%-4d", "%17d", "%d%d", "%x", "%05.2d"})
        EXPECT_FALSE(p.Parse(bad, error)) << bad;
}
