#include "QorNumText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(FloatToTextG, FixedNotationAndTrailingZeros) {
    const TScopedLocaleDecSeparator dot('.');
    EXPECT_EQ(FloatToTextG(0.0), "0");
    EXPECT_EQ(FloatToTextG(-0.0), "0");
    EXPECT_EQ(FloatToTextG(1.0), "1");
    EXPECT_EQ(FloatToTextG(-2.5), "-2.5");
    EXPECT_EQ(FloatToTextG(100.0), "100");
    EXPECT_EQ(FloatToTextG(0.1), "0.1");
    EXPECT_EQ(FloatToTextG(0.1 + 0.2), "0.3");
    EXPECT_EQ(FloatToTextG(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FloatToTextG(123.456), "123.456");
}

TEST(FloatToTextG, SwitchToScientificAtTheExponentLimits) {
    const TScopedLocaleDecSeparator dot('.');
    EXPECT_EQ(FloatToTextG(1e-4), "0.0001");
    EXPECT_EQ(FloatToTextG(1e-5), "1E-005");
    EXPECT_EQ(FloatToTextG(-1.5e-5), "-1.5E-005");
    EXPECT_EQ(FloatToTextG(std::ldexp(1.0, -14)), "6.103515625E-005");
    EXPECT_EQ(FloatToTextG(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToTextG(1e14), "100000000000000");
    EXPECT_EQ(FloatToTextG(1234567890123456.0), "1.23456789012346E015");
    EXPECT_EQ(FloatToTextG(1e15), "1E015");
    EXPECT_EQ(FloatToTextG(1e100), "1E100");
    EXPECT_EQ(FloatToTextG(2.5e-300), "2.5E-300");
    EXPECT_EQ(FloatToTextG(-1e300), "-1E300");
    EXPECT_EQ(FloatToTextG(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
}

TEST(FloatToTextG, RoundsTo15SignificantDigits) {
    const TScopedLocaleDecSeparator dot('.');
    EXPECT_EQ(FloatToTextG(0.1234567890123456), "0.123456789012346");
    // Rounding that carries into a new leading digit moves the exponent.
    EXPECT_EQ(FloatToTextG(9.9999999999999999e14), "1E015");
    EXPECT_EQ(FloatToTextG(999999999999999.4), "999999999999999");
    EXPECT_EQ(FloatToTextG(0.99999999999999999), "1");
}

TEST(FloatToTextG, InfinityAndNotANumber) {
    EXPECT_EQ(FloatToTextG(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToTextG(-std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(FloatToTextG(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(FloatToTextG, UsesTheLocaleSeparator) {
    const TScopedLocaleDecSeparator comma(',');
    EXPECT_EQ(FloatToTextG(-2.5), "-2,5");
    EXPECT_EQ(FloatToTextG(1.5e-7), "1,5E-007");
    std::string text = FloatToTextG(0.25);
    SetDecSeparators(text, '.');
    EXPECT_EQ(text, "0.25");
}

TEST(FloatToTextDec, TrimsTrailingZerosDownToTheMinimum) {
    EXPECT_EQ(FloatToTextDec(',', 0, 3, 2.5, 0), "2,5");
    EXPECT_EQ(FloatToTextDec('.', 2, 3, 2.5, 0), "2.50");
    EXPECT_EQ(FloatToTextDec('.', 0, 3, 2, 0), "2");
    EXPECT_EQ(FloatToTextDec('.', 0, -1, 2.7, 0), "3");
    EXPECT_EQ(FloatToTextDec('.', 0, 2, 100, 0), "100");
    EXPECT_EQ(FloatToTextDec('.', 0, 1, 12345.6, 3), "123");
    EXPECT_EQ(FloatToTextDec('.', 0, 1, 12345.6, 6), "12345");
    EXPECT_EQ(FloatToTextDec('.', 5, 2, 1.0, 0), "1.00");
    EXPECT_EQ(FloatToTextDec('.', -3, 2, 1.0, 0), "1");
    EXPECT_EQ(FloatToTextDec('.', 0, 9, 0.1 + 0.2, 0), "0.3");
}

TEST(FloatToTextDec, RoundsHalvesAwayFromZeroOnTheDecimalValue) {
    EXPECT_EQ(FloatToTextDec('.', 0, 0, 2.5, 0), "3");
    EXPECT_EQ(FloatToTextDec('.', 0, 0, -2.5, 0), "-3");
    EXPECT_EQ(FloatToTextDec('.', 0, 0, 0.5, 0), "1");
    EXPECT_EQ(FloatToTextDec('.', 0, 2, 2.675, 0), "2.68");
    EXPECT_EQ(FloatToTextDec('.', 0, 1, 0.15, 0), "0.2");
    EXPECT_EQ(FloatToTextDec('.', 0, 4, 0.123456, 0), "0.1235");
    EXPECT_EQ(FloatToTextDec('.', 0, 2, 9.996, 0), "10");
    EXPECT_EQ(FloatToTextDec('.', 2, 2, 99.999, 0), "100.00");
    EXPECT_EQ(FloatToTextDec('.', 0, 2, 0.004, 0), "0");
    EXPECT_EQ(FloatToTextDec('.', 0, 2, 0.005, 0), "0.01");
    EXPECT_EQ(FloatToTextDec('.', 0, 3, 1e22, 0), "10000000000000000000000");
    EXPECT_EQ(FloatToTextDec('.', 0, 12, 1e-10, 0), "0.0000000001");
}

TEST(FloatToTextDec, NegativeValuesAndZero) {
    EXPECT_EQ(FloatToTextDec('.', 0, 2, -1.25, 0), "-1.25");
    EXPECT_EQ(FloatToTextDec('.', 1, 3, -0.0, 0), "0.0");
    // A tick that only rounding noise moved below zero must not read "-0".
    EXPECT_EQ(FloatToTextDec('.', 0, 9, -1e-17, 0), "0");
    EXPECT_EQ(FloatToTextDec('.', 0, 2, -0.004, 0), "0");
    EXPECT_EQ(FloatToTextDec('.', 0, 3, std::numeric_limits<double>::infinity(), 0), "INF");
    EXPECT_EQ(FloatToTextDec('.', 0, 3, std::numeric_limits<double>::quiet_NaN(), 0), "NAN");
}

TEST(TextToFloatDef, AcceptsDotAndCommaUnderEitherLocale) {
    for (char locale : {'.', ','}) {
        const TScopedLocaleDecSeparator scoped(locale);
        EXPECT_EQ(TextToFloatDef("1,5", -1), 1.5) << locale;
        EXPECT_EQ(TextToFloatDef("1.5", -1), 1.5) << locale;
        EXPECT_EQ(TextToFloatDef("  -2,25e2 ", -1), -225) << locale;
        EXPECT_EQ(TextToFloatDef("+3", -1), 3) << locale;
        EXPECT_EQ(TextToFloatDef("1E-005", -1), 1e-5) << locale;
        EXPECT_EQ(TextToFloatDef(".5", -1), 0.5) << locale;
        EXPECT_EQ(TextToFloatDef("5.", -1), 5) << locale;
        EXPECT_EQ(TextToFloatDef("0.1", -1), 0.1) << locale;
    }
}

TEST(TextToFloatDef, GivesTheDefaultForAnythingElse) {
    const TScopedLocaleDecSeparator comma(',');
    for (const char* bad : {"", "   ", "1,234.5", "1.2.3", "abc", "1.5x", "1e", "e5", "-", ".",
                            "1 5", "INF", "NAN", "inf", "0x10", "--1", "1e999"})
        EXPECT_EQ(TextToFloatDef(bad, 42.0), 42.0) << '"' << bad << '"';
}

TEST(TextToFloatDef, ReadsBackWhatFloatToTextGWrites) {
    const TScopedLocaleDecSeparator comma(',');
    for (double v : {0.1, -2.5, 1e-5, 6.103515625e-05, 123456789012345.0, 1e300, -7.25e-100}) {
        std::string text = FloatToTextG(v);
        EXPECT_EQ(TextToFloatDef(text, 0), v) << text;
        SetDecSeparators(text, '.');
        EXPECT_EQ(TextToFloatDef(text, 0), v) << text;
    }
}

TEST(DecSeparators, ReplaceEveryKindOfSeparator) {
    const TScopedLocaleDecSeparator semicolon(';');
    std::string text = "1,2.3;4";
    SetDecSeparators(text, '.');
    EXPECT_EQ(text, "1.2.3.4");
    LocalDecSeparators(text);
    EXPECT_EQ(text, "1;2;3;4");
}

TEST(DecSeparators, ScopedOverrideRestoresThePreviousSeparator) {
    const char original = LocaleDecSeparator();
    {
        const TScopedLocaleDecSeparator comma(',');
        EXPECT_EQ(LocaleDecSeparator(), ',');
        {
            const TScopedLocaleDecSeparator dot('.');
            EXPECT_EQ(LocaleDecSeparator(), '.');
        }
        EXPECT_EQ(LocaleDecSeparator(), ',');
    }
    EXPECT_EQ(LocaleDecSeparator(), original);
}

} // namespace
