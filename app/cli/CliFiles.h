// Files of the command-line tool: chart and property files by name, standard input for "-",
// and the checks that keep an output from destroying an input.
#pragma once

#include <string>

class TQor3DChart;
class IQorChartFileLegend;

// Loads File, or standard input for "-", as LoadChartFile does; on failure Error says why when
// the reason is known (empty otherwise: the text itself is no valid chart file).
int LoadCliChart(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& File,
                 bool WithProperties, std::string& Error);

// The whole text of a regular file, or of standard input for "-" (at most a quarter of the
// memory). False with the reason in Error.
bool ReadCliText(const std::string& File, std::string& Text, std::string& Error);

// True when A and B name the same existing file (also through links or other spellings).
bool SameFile(const std::string& A, const std::string& B);

// True when the chart holds no point at all.
bool HoldsNoChartData(const TQor3DChart& Chart);
