#include "QorMath.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(QorMath, FloorIntTruncatesAndStepsDownForNegatives) {
    EXPECT_EQ(FloorInt(2.7), 2);
    EXPECT_EQ(FloorInt(0.0), 0);
    EXPECT_EQ(FloorInt(-2.5), -3);
    EXPECT_EQ(FloorInt(-2.0), -3);
    EXPECT_EQ(FloorInt(1e30), std::numeric_limits<int>::max());
    EXPECT_EQ(FloorInt(-1e30), std::numeric_limits<int>::min());
}

TEST(QorMath, SameValueDigits) {
    EXPECT_TRUE(SameValueDigits(11, 1.0, 1.00000000000001));
    EXPECT_FALSE(SameValueDigits(11, 1.0, 1.0000000001));
    EXPECT_TRUE(SameValueDigits(11, 0.0, 1e-101));
    EXPECT_FALSE(SameValueDigits(11, 0.0, 1e-90));
    EXPECT_FALSE(SameValueDigits(11, 1.0, 100.0));
    // Neighbouring decades compare by the larger exponent.
    EXPECT_TRUE(SameValueDigits(11, 9.999999999999999, 10.0));
    EXPECT_FALSE(SameValueDigits(11, std::nan(""), std::nan("")));
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(SameValueDigits(11, inf, inf));
}

TEST(QorMath, NearZeroAndMapLinear) {
    EXPECT_TRUE(IsNearZero(-9e-101));
    EXPECT_FALSE(IsNearZero(1e-99));
    EXPECT_DOUBLE_EQ(MapLinear(5, 0, 10, 10, 20), 15);
    EXPECT_DOUBLE_EQ(MapLinear(0, -1, 0, 1, 100), 50);
}
