// The 256-entry colour palette shared by the chart and the colour-scale legend: the gradient
// through the colour stops, the banding, the texture lookup and the predefined stop sets.
#pragma once

#include "UQorTypes.h"

#include <array>
#include <vector>

// Entry = red + 256 * green + 65536 * blue; entry 0 belongs to the lowest value.
using TQorPalette = std::array<TColor, 256>;
// The reduced table for OpenGL implementations without 256-texel textures.
using TQorPalette64 = std::array<TColor, 64>;

// Fills all entries with the piecewise linear gradient through the first Count stops.
void BuildPalette(TQorPalette& Palette, const TQorColorArray& Colors, int Count);
// Cuts the palette into Layers flat bands; 0 and values above 255 keep the gradient.
void ApplyColorLayers(TQorPalette& Palette, int Layers);

// Entries 0, 6, 10, 14, ... 250 and 255.
TQorPalette64 PaletteTable64(const TQorPalette& Palette);

// The 1D texture coordinate (V - E) * F of a value V on the 256-texel palette for a colour
// range Lo ... Hi.
struct TQorPaletteMap {
    double E = 0;
    double F = 1;
    double Coord(double V) const { return (V - E) * F; }
};
TQorPaletteMap PaletteMap(double Lo, double Hi);

// Viridis and Cividis are the perceptually uniform maps, sampled at six even steps.
enum TQorPalettePreset { ppRainbow, ppGray, ppHeat, ppRGB, ppCMYK, ppViridis, ppCividis };

// One write of a preset: a stop (1 ... 6) and its colour.
struct TQorPaletteStop {
    int Index = 0;
    TColor Color = clBlack;
};

// A preset as its ColorCount and the stop writes in the order they are made.
struct TQorPresetSteps {
    int ColorCount = 0;
    bool CountFirst = true;
    std::vector<TQorPaletteStop> Stops;
};

TQorPresetSteps PalettePresetSteps(TQorPalettePreset Preset);

// The stop pairs (1-based) that Invert swaps for the given ColorCount.
std::vector<std::pair<int, int>> PaletteInvertPairs(int ColorCount);

// Applies a preset through the target's setters inside its update bracket, so a chart or a
// legend rebuilds its palette once. The target offers BeginUpdate, EndUpdate,
// SetColorCount(int) and SetColor(int index, TColor).
template <typename Target> void ApplyPalettePreset(Target& target, TQorPalettePreset Preset) {
    const TQorPresetSteps steps = PalettePresetSteps(Preset);
    target.BeginUpdate();
    if (steps.CountFirst)
        target.SetColorCount(steps.ColorCount);
    for (const TQorPaletteStop& s : steps.Stops)
        target.SetColor(s.Index, s.Color);
    if (!steps.CountFirst)
        target.SetColorCount(steps.ColorCount);
    target.EndUpdate();
}

// Reverses the used stops by swapping pairs through Color(int) and SetColor(int, TColor).
template <typename Target> void InvertPalette(Target& target) {
    target.BeginUpdate();
    for (const auto& [a, b] : PaletteInvertPairs(target.ColorCount())) {
        const TColor ca = target.Color(a);
        const TColor cb = target.Color(b);
        target.SetColor(a, cb);
        target.SetColor(b, ca);
    }
    target.EndUpdate();
}
