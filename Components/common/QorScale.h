// Automatic scales: tick values, tick labels and minor ticks for a data range laid out along a
// given length, chosen so that no two labels overlap.
#pragma once

#include <string>
#include <vector>

// What a scale is laid out from: a data range, the length it has and the size of one label
// along it (in any one unit), and the rules of the ticks and the label texts.
struct TQorScaleSettings {
    bool Logarithmic = false;
    // Keep the text of the last (first) label; its tick stays either way.
    bool ShowMaxLabel = true;
    bool ShowMinLabel = true;
    // The data range, in data units (not logarithms).
    double Min = 0;
    double Max = 0;
    double Length = 0;
    double LabelSize = 0;
    // Minor ticks: chosen automatically, or NumSubSteps between two ticks (linear scales).
    bool AutoSubSteps = false;
    int NumSubSteps = 0;
    // The shortest gap between minor ticks along Length (0: no limit): a step gets no more
    // minor intervals than its length holds, whatever NumSubSteps asks for.
    double MinSubStepLength = 0;
    int DecPlaces = 0;
    // Extra decimals allowed for the exact ends.
    int DecPlacesEndPlus = 0;
    int DecPlacesMax = 9;
    bool DecPlacesEqual = false;
    char DecSep = '.';
    // Extend the scale outward to nice values instead of labelling the exact ends.
    bool MinMaxRounding = false;
};

// Labels and Values have the same length, at least 2, ascending; SubValues are the minor ticks
// strictly inside. On a logarithmic scale the values are decimal logarithms; the labels show data
// values.
struct TQorScaleTicks {
    std::vector<std::string> Labels;
    std::vector<double> Values;
    std::vector<double> SubValues;
};

// Lays out a scale so that no two labels overlap.
TQorScaleTicks CalcAutoScale(const TQorScaleSettings& Settings);

// True when the labels at Values, mapped onto Length, do not overlap (an empty label takes no
// room).
bool ScaleLabelsFit(const std::vector<std::string>& Labels, const std::vector<double>& Values,
                    double Length, double LabelSize);
