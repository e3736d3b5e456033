#include "UQorTypes.h"

#include <QFont>
#include <gtest/gtest.h>

TEST(UQorTypes, ColourConstantsKeepTheirValues) {
    EXPECT_EQ(clBlack, 0);
    EXPECT_EQ(clRed, 255);
    EXPECT_EQ(clBlue, 16711680);
    EXPECT_EQ(clWhite, 16777215);
    EXPECT_EQ(uint32_t(clBtnFace), 0xFF00000Fu);
    EXPECT_TRUE(IsSystemColor(clWindowText));
    EXPECT_FALSE(IsSystemColor(clNone));
    EXPECT_EQ(GetRValue(RGBColor(1, 2, 3)), 1);
    EXPECT_EQ(GetBValue(RGBColor(1, 2, 3)), 3);
}

TEST(UQorTypes, ColorToRGBResolvesOnlySystemColours) {
    EXPECT_EQ(ColorToRGB(clFuchsia), clFuchsia);
    for (TColor c : {clWindow, clWindowText, clBtnFace, clInfoBk, clAppWorkSpace}) {
        const TColor rgb = ColorToRGB(c);
        EXPECT_FALSE(IsSystemColor(rgb));
        EXPECT_EQ(rgb & 0xFF000000, 0);
    }
}

TEST(UQorTypes, RoundHalfEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.6), -3);
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(UQorTypes, SetOfEnumerations) {
    TStorageOptions o{fpState, fpPosition};
    EXPECT_TRUE(o.Contains(fpPosition));
    EXPECT_FALSE(o.Contains(fpActiveControl));
    o.Exclude(fpState);
    EXPECT_EQ(o, TStorageOptions{fpPosition});
}

TEST(UQorTypes, FontSizeAndHeightFollowEachOther) {
    TFont f("Arial", 10, {fsBold});
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.Size(), 10);
    f.SetHeight(-16);
    EXPECT_EQ(f.Size(), 12);
    int changes = 0;
    f.OnChange = [&](TFont*) {
        ++changes;
    };
    f.SetSize(12); // same height, no change
    f.SetName("Arial");
    EXPECT_EQ(changes, 0);
    TFont g("Arial", 32);
    f.Assign(g);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(f.SameAs(g));
    EXPECT_FALSE(f.Style().Contains(fsBold));
}

TEST(UQorTypes, FontCopiesDoNotTakeTheHandler) {
    TFont f("Arial", 10);
    f.OnChange = [](TFont*) {
    };
    const TFont copy(f);
    EXPECT_FALSE(copy.OnChange);
    const QFont q = TFont("Arial", 10, {fsItalic}).ToQFont();
    EXPECT_EQ(q.pixelSize(), 13);
    EXPECT_TRUE(q.italic());
}
