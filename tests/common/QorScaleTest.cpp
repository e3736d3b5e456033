#include "QorScale.h"

#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using Doubles = std::vector<double>;

// Inputs of one scale, defaulting to the usual axis settings, and after Run its ticks; one label
// is 1 unit, a slot 1.2, and the length is given in slots.
struct ScaleCase : TQorScaleSettings, TQorScaleTicks {
    ScaleCase() {
        Max = 10;
        LabelSize = 1;
        AutoSubSteps = true;
        DecPlacesEndPlus = 3;
    }
    double Slots = 10;

    ScaleCase& Run() {
        Length = Slots * 1.2 * LabelSize;
        static_cast<TQorScaleTicks&>(*this) = CalcAutoScale(*this);
        return *this;
    }
};

ScaleCase Linear(double min, double max, double slots) {
    ScaleCase c;
    c.Min = min;
    c.Max = max;
    c.Slots = slots;
    return c;
}

ScaleCase Log(double min, double max, double slots) {
    ScaleCase c = Linear(min, max, slots);
    c.Logarithmic = true;
    return c;
}

Doubles Log10s(const Doubles& v) {
    Doubles r;
    for (double x : v)
        r.push_back(std::log10(x));
    return r;
}

TEST(ScaleLabelsFit, MeasuresTheGapsBetweenNeighbours) {
    EXPECT_TRUE(ScaleLabelsFit({"0", "1"}, {0, 1}, 0.1, 10));
    EXPECT_TRUE(ScaleLabelsFit({"0", "1", "2"}, {0, 1, 2}, 0, 10));
    // Usable length 3.6 - 1.2 = 2.4, gaps 1.2: exactly enough.
    EXPECT_TRUE(ScaleLabelsFit({"0", "1", "2"}, {0, 1, 2}, 3.6, 1));
    EXPECT_FALSE(ScaleLabelsFit({"0", "1", "2"}, {0, 1, 2}, 3.5, 1));
    EXPECT_FALSE(ScaleLabelsFit({"0", "1", "2"}, {0, 1, 2}, 1.2, 1));
    // The last pair is the tight one.
    EXPECT_FALSE(ScaleLabelsFit({"0", "5", "9", "10"}, {0, 5, 9, 10}, 6, 1));
    EXPECT_TRUE(ScaleLabelsFit({"0", "5", "9", "10"}, {0, 5, 9, 10}, 13.2, 1));
}

TEST(ScaleLabelsFit, EmptyLabelsTakeNoRoom) {
    EXPECT_FALSE(ScaleLabelsFit({"0", "1", "2"}, {0, 1, 2}, 3, 1));
    // Usable 3 - 0.6 = 2.4; the gap before the empty label needs only 0.6.
    EXPECT_TRUE(ScaleLabelsFit({"0", "1", ""}, {0, 0.6, 1}, 3, 1));
    EXPECT_TRUE(ScaleLabelsFit({"", "", "", ""}, {0, 0.01, 0.02, 1}, 1, 1));
}

TEST(CalcAutoScaleLinear, ZeroToTenOnSixAndAHalfSlots) {
    ScaleCase c = Linear(0, 10, 6.5).Run();
    EXPECT_EQ(c.Labels, (Strings{"0", "2", "4", "6", "8", "10"}));
    EXPECT_TRUE(NearVector(c.Values, {0, 2, 4, 6, 8, 10}));
    EXPECT_TRUE(NearVector(c.SubValues, {1, 3, 5, 7, 9}));
}

TEST(CalcAutoScaleLinear, CandidatesNearTheExactEnds) {
    // Step 1 for 4.5 ... 7.5 slots; both candidates need 5.86 slots, the plain ticks 3.
    ScaleCase c = Linear(0.3, 3.7, 6).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.3", "1", "2", "3", "3.7"}));
    EXPECT_TRUE(NearVector(c.Values, {0.3, 1, 2, 3, 3.7}));
    EXPECT_TRUE(NearVector(c.SubValues,
                           {0.4, 0.6, 0.8, 1.2, 1.4, 1.6, 1.8, 2.2, 2.4, 2.6, 2.8, 3.2, 3.4, 3.6}));

    c = Linear(0.3, 3.7, 5).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.3", "2", "3.7"}));
    EXPECT_TRUE(NearVector(c.Values, {0.3, 2, 3.7}));
    // The left-out candidates still get their minor ticks.
    EXPECT_TRUE(NearVector(
        c.SubValues, {0.4, 0.6, 0.8, 1, 1.2, 1.4, 1.6, 1.8, 2.2, 2.4, 2.6, 2.8, 3, 3.2, 3.4, 3.6}));

    // Too little room for step 1: step 2, whose one candidate fits.
    c = Linear(0.3, 3.7, 4).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.3", "2", "3.7"}));
    EXPECT_TRUE(NearVector(c.SubValues, {1, 3}));
}

TEST(CalcAutoScaleLinear, CandidatesAreTriedBothLowThenHigh) {
    // High candidate 3 lies 0.9 below 3.9, low candidate 1 only 0.7 above 0.3: only the high fits.
    ScaleCase c = Linear(0.3, 3.9, 5.5).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.3", "2", "3", "3.9"}));
    // Mirrored: only the low candidate fits.
    c = Linear(0.1, 3.7, 5.5).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.1", "1", "2", "3.7"}));
    // With room for both, both go in.
    c = Linear(0.1, 3.7, 7).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.1", "1", "2", "3", "3.7"}));
}

TEST(CalcAutoScaleLinear, BothCandidatesInOneGapKeepTheirOrder) {
    // Step 1: low candidate 1, no inner tick, high candidate 2, all between 0.1 and 2.9.
    ScaleCase c = Linear(0.1, 2.9, 6).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.1", "1", "2", "2.9"}));
    EXPECT_TRUE(NearVector(c.Values, {0.1, 1, 2, 2.9}));
}

TEST(CalcAutoScaleLinear, NegativeWholeMinimumStartsOnItsOwnTick) {
    ScaleCase c = Linear(-4, 4, 5.4).Run();
    EXPECT_EQ(c.Labels, (Strings{"-4", "-2", "0", "2", "4"}));
    EXPECT_TRUE(NearVector(c.SubValues, {-3, -1, 1, 3}));
    c.MinMaxRounding = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"-4", "-2", "0", "2", "4"}));
}

TEST(CalcAutoScaleLinear, MinMaxRoundingExtendsToNiceValues) {
    ScaleCase c = Linear(0.3, 3.7, 6);
    c.MinMaxRounding = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"0", "1", "2", "3", "4"}));
    EXPECT_TRUE(NearVector(c.Values, {0, 1, 2, 3, 4}));

    c = Linear(-7, 23, 8);
    c.MinMaxRounding = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"-10", "0", "10", "20", "30"}));
    EXPECT_TRUE(
        NearVector(c.SubValues, {-8, -6, -4, -2, 2, 4, 6, 8, 12, 14, 16, 18, 22, 24, 26, 28}));
}

TEST(CalcAutoScaleLinear, MinMaxRoundingDropsTheMiddleOfThreeTicks) {
    ScaleCase c = Linear(-0.5, 0.5, 2);
    c.MinMaxRounding = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"-1", "1"}));
    EXPECT_TRUE(NearVector(c.Values, {-1, 1}));
    // Minor ticks of step 1 (every 0.2), including where the middle tick was.
    EXPECT_TRUE(NearVector(c.SubValues, {-0.8, -0.6, -0.4, -0.2, 0, 0.2, 0.4, 0.6, 0.8}));
}

TEST(CalcAutoScaleLinear, DecimalPlaces) {
    ScaleCase c = Linear(0, 2, 5.4).Run();
    EXPECT_EQ(c.Labels, (Strings{"0", "0.5", "1", "1.5", "2"}));
    c.DecPlacesEqual = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"0.0", "0.5", "1.0", "1.5", "2.0"}));
    EXPECT_TRUE(NearVector(c.SubValues, {0.1, 0.2, 0.3, 0.4, 0.6, 0.7, 0.8, 0.9, 1.1, 1.2, 1.3, 1.4,
                                         1.6, 1.7, 1.8, 1.9}));
    c.DecPlaces = 2;
    c.DecPlacesEqual = false;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"0.00", "0.50", "1.00", "1.50", "2.00"}));
    c.DecSep = ',';
    c.DecPlaces = 0;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"0", "0,5", "1", "1,5", "2"}));
}

TEST(CalcAutoScaleLinear, EndLabelsKeepExtraDecimals) {
    ScaleCase c = Linear(0.123456, 1, 14).Run();
    ASSERT_FALSE(c.Labels.empty());
    EXPECT_EQ(c.Labels.front(), "0.1235");
    EXPECT_EQ(c.Labels.back(), "1");
    EXPECT_EQ(c.Labels[1], "0.2");
    c.DecPlacesMax = 2;
    c.Run();
    EXPECT_EQ(c.Labels.front(), "0.12");
    c.DecPlacesMax = 9;
    c.DecPlacesEndPlus = 0;
    c.Run();
    EXPECT_EQ(c.Labels.front(), "0.1");
}

TEST(CalcAutoScaleLinear, SubStepsByCount) {
    ScaleCase c = Linear(0, 10, 6.5);
    c.AutoSubSteps = false;
    c.NumSubSteps = 3;
    c.Run();
    EXPECT_TRUE(
        NearVector(c.SubValues, {0.5, 1, 1.5, 2.5, 3, 3.5, 4.5, 5, 5.5, 6.5, 7, 7.5, 8.5, 9, 9.5}));
    // No minor steps: only the step multiples that are no ticks (the left-out candidates).
    c = Linear(0.3, 3.7, 5);
    c.AutoSubSteps = false;
    c.NumSubSteps = 0;
    c.Run();
    EXPECT_TRUE(NearVector(c.SubValues, {1, 3}));
    c.NumSubSteps = -5;
    c.Run();
    EXPECT_TRUE(NearVector(c.SubValues, {1, 3}));
}

TEST(CalcAutoScaleLinear, HiddenEndLabels) {
    ScaleCase c = Linear(0, 10, 6.5);
    c.ShowMinLabel = false;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"", "2", "4", "6", "8", "10"}));
    EXPECT_TRUE(NearVector(c.Values, {0, 2, 4, 6, 8, 10}));
    c.ShowMaxLabel = false;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"", "2", "4", "6", "8", ""}));
}

TEST(CalcAutoScaleLinear, DegenerateRanges) {
    ScaleCase c = Linear(5, 5, 10).Run();
    EXPECT_DOUBLE_EQ(c.Values.front(), 5);
    EXPECT_DOUBLE_EQ(c.Values.back(), 6);
    EXPECT_EQ(c.Labels.front(), "5");
    EXPECT_EQ(c.Labels.back(), "6");

    c = Linear(3, 1, 10).Run();
    EXPECT_DOUBLE_EQ(c.Values.front(), 3);
    EXPECT_DOUBLE_EQ(c.Values.back(), 4);

    // No room at all: everything fits, one interval covering the range.
    c = Linear(0, 10, 0).Run();
    EXPECT_TRUE(NearVector(c.Values, {0, 10}));
    EXPECT_EQ(c.Labels, (Strings{"0", "10"}));
}

TEST(CalcAutoScaleLinear, BadNumbersEndQuickly) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (auto [min, max] : {std::pair{0.0, inf}, {-inf, 0.0}, {nan, 1.0}, {0.0, 1e305}}) {
        ScaleCase c = Linear(min, max, 10).Run();
        ASSERT_EQ(c.Values.size(), 2u);
        EXPECT_EQ(c.Labels, (Strings{"", ""}));
    }
    // Wider than 1e20 per interval and a large offset with a tiny spread still lay out.
    ScaleCase c = Linear(0, 1e30, 10).Run();
    EXPECT_LE(c.Values.size(), 12u);
    EXPECT_DOUBLE_EQ(c.Values.back(), 1e30);
    c = Linear(1e17, 1e17, 10).Run();
    EXPECT_LE(c.Values.size(), 12u);
}

TEST(CalcAutoScaleLog, OneToThousand) {
    ScaleCase c = Log(1, 1000, 20).Run();
    EXPECT_EQ(c.Labels, (Strings{"1", "10", "100", "1000"}));
    EXPECT_TRUE(NearVector(c.Values, {0, 1, 2, 3}));
    Doubles minor;
    for (double decade : {1.0, 10.0, 100.0})
        for (int k = 2; k <= 9; ++k)
            minor.push_back(k * decade);
    EXPECT_TRUE(NearVector(c.SubValues, Log10s(minor)));
}

TEST(CalcAutoScaleLog, DecimalsFollowTheDecades) {
    ScaleCase c = Log(0.01, 100, 20).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.01", "0.1", "1", "10", "100"}));
    EXPECT_TRUE(NearVector(c.Values, {-2, -1, 0, 1, 2}));
    // Equal decimals: the places stop falling after the first step past the minimum.
    c.DecPlacesEqual = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"0.01", "0.1", "1.0", "10.0", "100.0"}));
}

TEST(CalcAutoScaleLog, CandidatesAndRounding) {
    ScaleCase c = Log(2, 5000, 20).Run();
    EXPECT_EQ(c.Labels, (Strings{"2", "10", "100", "1000", "5000"}));
    EXPECT_TRUE(NearVector(c.Values, Log10s({2, 10, 100, 1000, 5000})));

    c.MinMaxRounding = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"1", "10", "100", "1000", "10000"}));
    EXPECT_TRUE(NearVector(c.Values, {0, 1, 2, 3, 4}));
}

TEST(CalcAutoScaleLog, WiderStepsWhenDecadesDoNotFit) {
    // Seven decades on room for four labels: every second decade.
    ScaleCase c = Log(1, 1e6, 4.5);
    c.MinMaxRounding = true;
    c.Run();
    EXPECT_EQ(c.Labels, (Strings{"1", "100", "10000", "1000000"}));
    EXPECT_TRUE(NearVector(c.Values, {0, 2, 4, 6}));
}

TEST(CalcAutoScaleLog, MaxBelowHundredMakesOneAttempt) {
    // Does not fit, and a factor of 100 would exceed the maximum: the first layout stands.
    ScaleCase c = Log(0.01, 50, 2).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.01", "0.1", "1", "50"}));
    EXPECT_FALSE(ScaleLabelsFit(c.Labels, c.Values, 2 * 1.2, 1));
    // With a maximum of 200 a second attempt (factor 100, decimals carried over) replaces it.
    c = Log(0.01, 200, 2).Run();
    EXPECT_EQ(c.Labels, (Strings{"0.01", "1", "200"}));
    EXPECT_TRUE(NearVector(c.Values, Log10s({0.01, 1, 200})));
}

TEST(CalcAutoScaleLog, MinimumRaisedToTheFinestStep) {
    ScaleCase c = Log(-5, 10, 30);
    c.DecPlacesMax = 2;
    c.Run();
    EXPECT_DOUBLE_EQ(c.Values.front(), -2);
    EXPECT_EQ(c.Labels.front(), "0.01");
    EXPECT_EQ(c.Labels.back(), "10");
}

} // namespace
