#include "QorPalette.h"

#include <gtest/gtest.h>

namespace {

TQorColorArray Stops(std::initializer_list<TColor> used) {
    TQorColorArray c(used);
    c.resize(QorColorStopCount, clBlack);
    return c;
}

TColor Gray(int v) {
    return RGBColor(v, v, v);
}

TQorPalette Built(const TQorColorArray& c, int count, int layers = 0) {
    TQorPalette p{};
    BuildPalette(p, c, count);
    ApplyColorLayers(p, layers);
    return p;
}

// A minimal stop holder with the interface the preset operations use.
struct StopHolder {
    TQorColorArray Colors = Stops({1, 2, 3, 4, 5, 6});
    int Count = 6;
    int Updates = 0;
    std::vector<std::string> Log;
    void BeginUpdate() { ++Updates; }
    void EndUpdate() { --Updates; }
    int ColorCount() const { return Count; }
    TColor Color(int i) const { return Colors[size_t(i - 1)]; }
    void SetColorCount(int v) {
        Log.push_back("count");
        Count = v;
    }
    void SetColor(int i, TColor c) {
        Log.push_back(std::to_string(i));
        Colors[size_t(i - 1)] = c;
    }
};

} // namespace

TEST(QorPalette, EntriesOfBuiltPalettes) {
    using TEntries = std::vector<std::pair<size_t, TColor>>;
    const TQorColorArray blackWhite = Stops({clBlack, clWhite});
    const struct {
        const char* What;
        TQorPalette Palette;
        TEntries Entries;
    } cases[] = {
        {"gray: halves round to even", Built(Stops({clBlack, clSilver, clWhite}), 3),
         TEntries{{0, Gray(0)}, {1, Gray(2)}, {2, Gray(3)}, {3, Gray(4)}, {128, Gray(192)}}},
        {"stops sit at their entries", Built(Stops({clRed, clLime, clBlue, clWhite, clBlack}), 5),
         TEntries{{0, clRed}, {64, clLime}, {128, clBlue}, {191, clWhite}, {255, clBlack}}},
        {"two layers split in the middle", Built(blackWhite, 2, 2),
         TEntries{{0, Gray(0)}, {127, Gray(0)}, {128, Gray(255)}, {255, Gray(255)}}},
        {"one layer", Built(blackWhite, 2, 1), TEntries{{254, Gray(0)}, {255, Gray(255)}}},
    };
    for (const auto& c : cases) {
        for (const auto& [index, color] : c.Entries)
            EXPECT_EQ(c.Palette[index], color) << c.What << ", entry " << index;
    }
    EXPECT_EQ(cases[0].Palette[255], Gray(255));
}

TEST(QorPalette, TwoStopsGiveTheIdentityRamp) {
    const TQorPalette p = Built(Stops({clBlack, clWhite}), 2);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(p[size_t(i)], Gray(i)) << i;
}

TEST(QorPalette, DegenerateCounts) {
    TQorPalette p{};
    p.fill(clRed);
    BuildPalette(p, Stops({clBlue}), 0);
    EXPECT_EQ(p[17], clBlack);
    BuildPalette(p, Stops({clBlue}), 1);
    EXPECT_EQ(p[0], clBlue);
    EXPECT_EQ(p[255], clBlue);
    BuildPalette(p, TQorColorArray{clBlack, clWhite}, 6); // fewer stops than asked
    EXPECT_EQ(p[100], Gray(100));
}

TEST(QorPalette, SystemColoursAreResolved) {
    const TQorPalette p = Built(Stops({clWindow, clWindow}), 2);
    EXPECT_EQ(p[0], ColorToRGB(clWindow));
    EXPECT_FALSE(IsSystemColor(p[200]));
}

TEST(QorPalette, LayersThreeOnGray) {
    const TQorPalette p = Built(Stops({clBlack, clSilver, clWhite}), 3, 3);
    for (int i = 0; i < 256; ++i) {
        const TColor want = i <= 84 ? Gray(0) : i <= 169 ? Gray(192) : Gray(255);
        ASSERT_EQ(p[size_t(i)], want) << i;
    }
}

TEST(QorPalette, LayersTwentyEight) {
    const TQorPalette p = Built(Stops({clBlack, clWhite}), 2, 28);
    EXPECT_EQ(p[9], Gray(0));
    for (int i = 10; i <= 18; ++i)
        EXPECT_EQ(p[size_t(i)], Gray(9)) << i;
    EXPECT_NE(p[19], Gray(9));
    EXPECT_EQ(p[255], Gray(255));
}

TEST(QorPalette, LayersOutsideOneTo255KeepTheGradient) {
    const TQorPalette ramp = Built(Stops({clBlack, clWhite}), 2);
    EXPECT_EQ(Built(Stops({clBlack, clWhite}), 2, 0), ramp);
    EXPECT_EQ(Built(Stops({clBlack, clWhite}), 2, 256), ramp);
}

TEST(QorPalette, Table64TakesEveryFourthEntry) {
    const TQorPalette64 t = PaletteTable64(Built(Stops({clBlack, clWhite}), 2));
    EXPECT_EQ(t[0], Gray(0));
    EXPECT_EQ(t[1], Gray(6));
    EXPECT_EQ(t[2], Gray(10));
    EXPECT_EQ(t[62], Gray(250));
    EXPECT_EQ(t[63], Gray(255));
}

TEST(QorPalette, TexCoordMapsTheRangeInsideTheTexels) {
    EXPECT_DOUBLE_EQ(PaletteMap(0, 1).Coord(0), 253.0 / 256 / 256);
    EXPECT_DOUBLE_EQ(PaletteMap(0, 1).Coord(1), 253.0 / 256 * (1 + 1.0 / 256));
    EXPECT_DOUBLE_EQ(PaletteMap(10, 20).Coord(15), 253.0 / 256 * (0.5 + 1.0 / 256));
    EXPECT_DOUBLE_EQ(PaletteMap(5, 5).Coord(5), 0.0); // a flat range uses factor 1
}

TEST(QorPalette, PresetsWriteTheirStopsInOrder) {
    StopHolder h;
    ApplyPalettePreset(h, ppRGB);
    EXPECT_EQ(h.Count, 3);
    EXPECT_EQ(h.Colors, (TQorColorArray{clBlue, clLime, clRed, 4, 5, 6}));
    EXPECT_EQ(h.Log, (std::vector<std::string>{"3", "2", "1", "count"}));
    EXPECT_EQ(h.Updates, 0);

    h.Log.clear();
    ApplyPalettePreset(h, ppHeat);
    EXPECT_EQ(h.Count, 5);
    EXPECT_EQ(h.Colors, (TQorColorArray{clBlack, clBlue, clFuchsia, clRed, clYellow, 6}));
    EXPECT_EQ(h.Log.front(), "count");

    ApplyPalettePreset(h, ppCMYK);
    EXPECT_EQ(h.Count, 4);
    EXPECT_EQ(h.Colors, (TQorColorArray{clBlack, clYellow, clFuchsia, clAqua, clYellow, 6}));

    ApplyPalettePreset(h, ppGray);
    EXPECT_EQ(h.Colors, (TQorColorArray{clBlack, clSilver, clWhite, clAqua, clYellow, 6}));

    ApplyPalettePreset(h, ppRainbow);
    EXPECT_EQ(h.Count, 6);
    EXPECT_EQ(h.Colors, (TQorColorArray{clFuchsia, clBlue, clAqua, clGreen, clYellow, clRed}));
}

// The two uniform maps run from dark to light: their luminance rises at every stop, and they
// start and end at the published ends of the maps.
TEST(QorPalette, ViridisAndCividisRiseInLightness) {
    for (TQorPalettePreset preset : {ppViridis, ppCividis}) {
        StopHolder h;
        h.Count = 2;
        ApplyPalettePreset(h, preset);
        EXPECT_EQ(h.Count, 6);
        EXPECT_EQ(h.Log.front(), "count");
        double last = -1;
        for (TColor c : h.Colors) {
            const double y = 0.2126 * GetRValue(c) + 0.7152 * GetGValue(c) + 0.0722 * GetBValue(c);
            EXPECT_GT(y, last + 20) << preset;
            last = y;
        }
    }
    StopHolder v;
    ApplyPalettePreset(v, ppViridis);
    EXPECT_EQ(v.Colors.front(), RGBColor(0x44, 0x01, 0x54));
    EXPECT_EQ(v.Colors.back(), RGBColor(0xFD, 0xE7, 0x25));
    StopHolder c;
    ApplyPalettePreset(c, ppCividis);
    EXPECT_EQ(c.Colors.front(), RGBColor(0x00, 0x20, 0x4D));
    EXPECT_EQ(c.Colors.back(), RGBColor(0xFF, 0xEA, 0x46));
}

TEST(QorPalette, InvertReversesTheUsedStopsOnly) {
    StopHolder h;
    h.Count = 5;
    InvertPalette(h);
    EXPECT_EQ(h.Colors, (TQorColorArray{5, 4, 3, 2, 1, 6}));
    InvertPalette(h);
    EXPECT_EQ(h.Colors, (TQorColorArray{1, 2, 3, 4, 5, 6}));
    h.Count = 2;
    InvertPalette(h);
    EXPECT_EQ(h.Colors, (TQorColorArray{2, 1, 3, 4, 5, 6}));
    EXPECT_EQ(PaletteInvertPairs(6), (std::vector<std::pair<int, int>>{{1, 6}, {2, 5}, {3, 4}}));
}
