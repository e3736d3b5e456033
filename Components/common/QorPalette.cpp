#include "QorPalette.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(TColor c, int shift) {
    return (c >> shift) & 255;
}

TColor Interpolate(TColor c1, TColor c2, int i, int e, int g) {
    TColor out = 0;
    for (int shift : {0, 8, 16}) {
        const double a = Channel(c1, shift);
        const double b = Channel(c2, shift);
        const int v = std::clamp(RoundHalfEven(a + (b - a) * (i - e) / (g - e)), 0, 255);
        out |= TColor(v) << shift;
    }
    return out;
}

} // namespace

void BuildPalette(TQorPalette& Palette, const TQorColorArray& Colors, int Count) {
    const int n = std::min<int>(Count, int(std::min<size_t>(Colors.size(), 256)));
    const int k = n - 1;
    if (k < 0) {
        Palette.fill(0);
        return;
    }
    std::vector<TColor> rgb(static_cast<size_t>(n));
    for (int s = 0; s < n; ++s)
        rgb[size_t(s)] = ColorToRGB(Colors[size_t(s)]) & 0xFFFFFF;
    if (k == 0) {
        Palette.fill(rgb[0]);
        return;
    }
    for (int i = 0; i < 256; ++i) {
        const int d = std::min(k - 1, i * k / 255);
        const int e = RoundHalfEven(255.0 / k * d);
        const int g = RoundHalfEven(255.0 / k * (d + 1));
        Palette[size_t(i)] = Interpolate(rgb[size_t(d)], rgb[size_t(d) + 1], i, e, g);
    }
}

void ApplyColorLayers(TQorPalette& Palette, int Layers) {
    if (Layers < 1 || Layers > 255)
        return;
    const int b = Layers == 1 ? 1 : Layers - 1;
    const TQorPalette old = Palette;
    for (int i = 0; i < 256; ++i) {
        const int band = i * Layers / 255;
        const int source = std::clamp(RoundHalfEven(double(band) * 255.0 / b), 0, 255);
        Palette[size_t(i)] = old[size_t(source)];
    }
}

TQorPalette64 PaletteTable64(const TQorPalette& Palette) {
    TQorPalette64 table{};
    table[0] = Palette[0];
    for (size_t j = 1; j < 63; ++j)
        table[j] = Palette[6 + 4 * (j - 1)];
    table[63] = Palette[255];
    return table;
}

// Lo lands about one texel (1/256 of the span, times 253/256) above the start of the texture
// and Hi about two below its end: the range lies on texels 1 ... 254, so linear filtering under
// GL_CLAMP never mixes in the border colour, even for values a little outside the range (the
// clip box reaches beyond it). A flat range keeps factor 1.
TQorPaletteMap PaletteMap(double Lo, double Hi) {
    const double r = Hi - Lo;
    return {Lo - r / 256.0, std::fabs(r) <= 1e-20 ? 1.0 : (253.0 / 256.0) / r};
}

TQorPresetSteps PalettePresetSteps(TQorPalettePreset Preset) {
    switch (Preset) {
    case ppRainbow:
        return {
            6,
            true,
            {{1, clFuchsia}, {2, clBlue}, {3, clAqua}, {4, clGreen}, {5, clYellow}, {6, clRed}}};
    case ppGray:
        return {3, true, {{1, clBlack}, {2, clSilver}, {3, clWhite}}};
    case ppHeat:
        return {5, true, {{1, clBlack}, {2, clBlue}, {3, clFuchsia}, {4, clRed}, {5, clYellow}}};
    case ppRGB:
        return {3, false, {{3, clRed}, {2, clLime}, {1, clBlue}}};
    case ppCMYK:
        return {4, false, {{4, clAqua}, {3, clFuchsia}, {2, clYellow}, {1, clBlack}}};
    case ppViridis: // #440154 #414487 #2A788E #22A884 #7AD151 #FDE725
        return {6,
                true,
                {{1, RGBColor(0x44, 0x01, 0x54)},
                 {2, RGBColor(0x41, 0x44, 0x87)},
                 {3, RGBColor(0x2A, 0x78, 0x8E)},
                 {4, RGBColor(0x22, 0xA8, 0x84)},
                 {5, RGBColor(0x7A, 0xD1, 0x51)},
                 {6, RGBColor(0xFD, 0xE7, 0x25)}}};
    case ppCividis: // #00204D #31446B #666970 #958F78 #CBBA69 #FFEA46
        return {6,
                true,
                {{1, RGBColor(0x00, 0x20, 0x4D)},
                 {2, RGBColor(0x31, 0x44, 0x6B)},
                 {3, RGBColor(0x66, 0x69, 0x70)},
                 {4, RGBColor(0x95, 0x8F, 0x78)},
                 {5, RGBColor(0xCB, 0xBA, 0x69)},
                 {6, RGBColor(0xFF, 0xEA, 0x46)}}};
    }
    return {};
}

std::vector<std::pair<int, int>> PaletteInvertPairs(int ColorCount) {
    std::vector<std::pair<int, int>> pairs;
    const int n = std::clamp(ColorCount, 0, QorColorStopCount);
    for (int a = 1, b = n; a < b; ++a, --b)
        pairs.emplace_back(a, b);
    return pairs;
}
