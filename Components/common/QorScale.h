// Automatic scales: tick values, tick labels and minor ticks for a data range laid out along a
// given length, chosen so that no two labels overlap.
#pragma once

#include <string>
#include <vector>

// Lays out a scale over Min ... Max (data units) on Length, one label taking LabelSize along it.
// Fills Labels and Values (same length, at least 2, ascending) and SubValues (minor ticks strictly
// inside). On a logarithmic scale the values are decimal logarithms; the labels show data values.
void CalcAutoScale(bool Logarithmic, bool ShowMaxLabel, bool ShowMinLabel, double Min, double Max,
                   double Length, double LabelSize, bool AutoSubSteps, int NumSubSteps,
                   int DecPlaces, int DecPlacesEndPlus, int DecPlacesMax, bool DecPlacesEqual,
                   char DecSep, bool MinMaxRounding, std::vector<std::string>& Labels,
                   std::vector<double>& Values, std::vector<double>& SubValues);

// True when the labels at Values, mapped onto Length, do not overlap (an empty label takes no
// room).
bool ScaleLabelsFit(const std::vector<std::string>& Labels, const std::vector<double>& Values,
                    double Length, double LabelSize);
